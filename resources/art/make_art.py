#!/usr/bin/env python3
"""Draws the setup's pictures: the program icon, the two wizard pictures and
the four glyphs of the drive and folder controls.

    make_art.py OUTDIR [--preview]

Standard library only, and deterministic: the same bytes on every run, so two
builds give the same Setup.exe. --preview also writes a PNG of each picture.
"""
import math
import os
import struct
import sys
import zlib

# ---------------------------------------------------------------- file formats


def png_bytes(width, height, rgba):
    """rgba: rows top-down of (r, g, b, a) tuples."""
    raw = bytearray()
    for row in rgba:
        raw.append(0)
        for r, g, b, a in row:
            raw += bytes((r, g, b, a))

    def chunk(kind, data):
        c = kind + data
        return struct.pack(">I", len(data)) + c + struct.pack(">I", zlib.crc32(c) & 0xFFFFFFFF)

    ihdr = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def bmp_indexed(width, height, bpp, palette, indices):
    """A bottom-up BITMAPINFOHEADER bitmap; indices: rows top-down."""
    colours = 1 << bpp
    pal = list(palette) + [(0, 0, 0)] * (colours - len(palette))
    stride = (width * bpp + 31) // 32 * 4
    pixels = bytearray()
    for row in reversed(indices):
        line = bytearray(stride)
        for x, v in enumerate(row):
            if bpp == 8:
                line[x] = v
            elif x % 2 == 0:
                line[x // 2] |= v << 4
            else:
                line[x // 2] |= v
        pixels += line
    off = 14 + 40 + colours * 4
    head = b"BM" + struct.pack("<IHHI", off + len(pixels), 0, 0, off)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, 0, len(pixels), 2835, 2835,
                       colours, 0)
    return head + info + b"".join(bytes((b, g, r, 0)) for r, g, b in pal) + bytes(pixels)


def ico_dib(size, rgba):
    """32-bit icon image: BGRA, bottom-up, then the AND mask."""
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(rgba):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask_stride = (size + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(rgba):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return info + bytes(xor) + bytes(mask)


def ico_file(images):
    """images: list of (size, bytes). 256 is written as 0 in the directory."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    body = b""
    for size, data in images:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
        body += data
    return out + body


# -------------------------------------------------------------------- drawing
# Shapes are signed distance functions in picture units; a pixel's coverage
# is its distance to the edge over one pixel, which is enough antialiasing
# for shapes this simple.


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(len(a)))


def sd_round_rect(x, y, x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r
    dx, dy = abs(x - cx) - hx, abs(y - cy) - hy
    outside = math.hypot(max(dx, 0.0), max(dy, 0.0))
    return outside + min(max(dx, dy), 0.0) - r


def sd_circle(x, y, cx, cy, r):
    return math.hypot(x - cx, y - cy) - r


def sd_segment(x, y, ax, ay, bx, by):
    px, py, vx, vy = x - ax, y - ay, bx - ax, by - ay
    t = clamp((px * vx + py * vy) / (vx * vx + vy * vy))
    return math.hypot(px - vx * t, py - vy * t)


def sd_polyline(x, y, pts, width):
    return min(sd_segment(x, y, *pts[i], *pts[i + 1]) for i in range(len(pts) - 1)) - width / 2


class Canvas:
    def __init__(self, w, h, bg=(0, 0, 0, 0)):
        self.w, self.h = w, h
        self.px = [[tuple(float(c) for c in bg) for _ in range(w)] for _ in range(h)]

    def fill(self, sdf, colour, scale, opacity=1.0):
        """colour: (r,g,b) or a function (u, v) -> (r,g,b); u, v in picture units."""
        for j in range(self.h):
            v = (j + 0.5) / scale
            row = self.px[j]
            for i in range(self.w):
                u = (i + 0.5) / scale
                cov = clamp(0.5 - sdf(u, v) * scale) * opacity
                if cov <= 0.0:
                    continue
                c = colour(u, v) if callable(colour) else colour
                r, g, b, a = row[i]
                na = cov + a * (1 - cov)
                if na <= 0:
                    continue
                row[i] = (
                    (c[0] * cov + r * a * (1 - cov)) / na,
                    (c[1] * cov + g * a * (1 - cov)) / na,
                    (c[2] * cov + b * a * (1 - cov)) / na,
                    na,
                )

    def rgba8(self):
        return [[(int(round(r)), int(round(g)), int(round(b)), int(round(a * 255)))
                 for r, g, b, a in row] for row in self.px]

    def rgb_on(self, bg):
        out = []
        for row in self.px:
            out.append([tuple(int(round(c * a + bg[k] * (1 - a))) for k, c in enumerate((r, g, b)))
                        for r, g, b, a in row])
        return out


# Colours of the motif: the greens of the add-on, the cream of the pages and
# the gold of the tick.
DARK_GREEN = (14, 84, 48)
GREEN = (32, 140, 72)
LIGHT_GREEN = (120, 204, 120)
CREAM = (250, 246, 228)
PAGE_SHADE = (214, 206, 178)
GOLD = (246, 190, 40)
GOLD_DARK = (170, 112, 10)
OUTLINE = (8, 48, 26)


def draw_shamrock(cv, scale, cx, cy):
    """Three round leaves and a curved stem, centred on (cx, cy)."""
    leaves = [(cx, cy - 1.5), (cx - 1.45, cy + 0.5), (cx + 1.45, cy + 0.5)]
    cv.fill(lambda u, v: sd_polyline(u, v, [(cx, cy + 0.6), (cx + 0.4, cy + 2.6), (cx + 1.2, cy + 3.6)],
                                     0.55), LIGHT_GREEN, scale)
    for lx, ly in leaves:
        cv.fill(lambda u, v, lx=lx, ly=ly: sd_circle(u, v, lx, ly, 1.45), LIGHT_GREEN, scale)
    for lx, ly in leaves:
        cv.fill(lambda u, v, lx=lx, ly=ly: sd_segment(u, v, cx, cy, lx, ly) - 0.08,
                mix(LIGHT_GREEN, GREEN, 0.6), scale)


def draw_book_mark(cv, scale, detail):
    """The program's mark in a 16-unit square: a green book seen from the front,
    a shamrock on its cover and a gold tick across its lower right corner."""
    # Page block showing below and right of the cover.
    cv.fill(lambda u, v: sd_round_rect(u, v, 3.2, 2.4, 14.2, 14.6, 1.0), OUTLINE, scale)
    cv.fill(lambda u, v: sd_round_rect(u, v, 3.7, 2.9, 13.7, 14.1, 0.7),
            lambda u, v: mix(CREAM, PAGE_SHADE, clamp((v - 11.0) / 3.0)), scale)
    if detail:
        for k in range(3):
            yy = 12.6 + k * 0.45
            cv.fill(lambda u, v, yy=yy: sd_segment(u, v, 4.5, yy, 13.2, yy) - 0.06, PAGE_SHADE, scale)
    # Cover.
    cv.fill(lambda u, v: sd_round_rect(u, v, 1.6, 1.0, 12.8, 12.6, 1.2), OUTLINE, scale)
    cv.fill(lambda u, v: sd_round_rect(u, v, 2.1, 1.5, 12.3, 12.1, 0.8),
            lambda u, v: mix(GREEN, DARK_GREEN, clamp((u + v - 4.0) / 18.0)), scale)
    # Spine band with a highlight.
    cv.fill(lambda u, v: sd_round_rect(u, v, 2.1, 1.5, 4.0, 12.1, 0.6),
            lambda u, v: mix(DARK_GREEN, OUTLINE, 0.3), scale)
    if detail:
        cv.fill(lambda u, v: sd_segment(u, v, 4.45, 2.2, 4.45, 11.4) - 0.12, LIGHT_GREEN, scale, 0.7)
    if detail:
        draw_shamrock(cv, scale, 8.2, 5.9)
    else:
        # At 16 pixels a shamrock is a smudge: a light label on the cover instead.
        cv.fill(lambda u, v: sd_round_rect(u, v, 5.6, 3.4, 10.8, 6.2, 0.5), LIGHT_GREEN, scale)
    # Tick with a dark edge, crossing the cover's lower right corner.
    tick = [(7.3, 10.7), (9.9, 13.4), (14.1, 7.3)]
    cv.fill(lambda u, v: sd_polyline(u, v, tick, 3.2), OUTLINE, scale)
    cv.fill(lambda u, v: sd_polyline(u, v, tick, 2.1),
            lambda u, v: mix(GOLD, GOLD_DARK, clamp((v - 8.0) / 7.0)), scale)
    if detail:
        cv.fill(lambda u, v: sd_polyline(u, v, [(7.9, 10.8), (9.9, 12.8), (13.6, 7.5)], 0.35),
                (255, 232, 150), scale, 0.8)


def icon_image(size):
    cv = Canvas(size, size)
    draw_book_mark(cv, size / 16.0, detail=size >= 32)
    return cv.rgba8()


# ----------------------------------------------------------- the left strip

# 16 colours: a ramp of greens for the dithered panel, then the motif's colours.
LOGO_PALETTE = [
    (6, 40, 24), (10, 56, 32), (14, 72, 40), (20, 88, 50), (26, 106, 60), (34, 124, 70),
    (46, 144, 82), (64, 164, 96), (92, 186, 116), (136, 210, 146), (196, 234, 196),
    (255, 255, 255), (250, 242, 214), (246, 190, 40), (170, 112, 10), (0, 0, 0),
]

BAYER4 = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def nearest(pal, c):
    best, bd = 0, None
    for k, p in enumerate(pal):
        d = (p[0] - c[0]) ** 2 * 3 + (p[1] - c[1]) ** 2 * 4 + (p[2] - c[2]) ** 2 * 2
        if bd is None or d < bd:
            best, bd = k, d
    return best


def logo_strip():
    w, h = 120, 260
    cv = Canvas(w, h, (0, 0, 0, 1))

    def panel(u, v):
        # Darker at the top and the right edge, with a soft diagonal sheen.
        t = clamp(v / h * 0.85 + 0.1 - (u / w) * 0.12)
        sheen = math.exp(-((u * 0.9 + v * 0.45 - 150) / 38.0) ** 2) * 0.35
        return mix(LOGO_PALETTE[1], LOGO_PALETTE[7], clamp(t * 0.75 + sheen))

    cv.fill(lambda u, v: -1.0, panel, 1.0)
    # Faint rings behind the mark.
    for r, op in ((70, 0.10), (52, 0.13), (36, 0.16)):
        cv.fill(lambda u, v, r=r: abs(sd_circle(u, v, 60, 150, r)) - 1.2, (196, 234, 196), 1.0, op)
    # The mark, large, centred a little below the middle.
    mark = Canvas(96, 96)
    draw_book_mark(mark, 6.0, detail=True)
    for j in range(96):
        for i in range(96):
            r, g, b, a = mark.px[j][i]
            if a > 0:
                y, x = 102 + j, 12 + i
                br, bg, bb, _ = cv.px[y][x]
                cv.px[y][x] = (r * a + br * (1 - a), g * a + bg * (1 - a), b * a + bb * (1 - a), 1.0)
    # A light rule near the top and three small shamrock leaves above it.
    cv.fill(lambda u, v: sd_segment(u, v, 20, 62, 100, 62) - 0.6, (196, 234, 196), 1.0, 0.8)
    for lx, ly in ((60, 34), (53, 45), (67, 45)):
        cv.fill(lambda u, v, lx=lx, ly=ly: sd_circle(u, v, lx, ly, 6.5), (196, 234, 196), 1.0)
    cv.fill(lambda u, v: sd_polyline(u, v, [(60, 46), (62, 54), (66, 58)], 2.4), (196, 234, 196), 1.0)
    # A few dots along the bottom.
    for k in range(5):
        cv.fill(lambda u, v, k=k: sd_circle(u, v, 36 + k * 12, 232, 2.0), (136, 210, 146), 1.0, 0.9)

    rows = []
    for j, row in enumerate(cv.px):
        out = []
        for i, (r, g, b, _) in enumerate(row):
            d = (BAYER4[j % 4][i % 4] - 7.5) * 2.2
            out.append(nearest(LOGO_PALETTE, (r + d, g + d, b + d)))
        rows.append(out)
    return rows


def logo_small():
    """32x32, 256 colours, for the right of the white title band."""
    cv = Canvas(32, 32)
    draw_book_mark(cv, 2.0, detail=True)
    rgb = cv.rgb_on((255, 255, 255))
    # Palette: the picture's own colours, most frequent first (reduced to
    # 5 bits a channel when there would be more than 256).
    counts = {}
    for row in rgb:
        for c in row:
            counts[c] = counts.get(c, 0) + 1
    if len(counts) > 256:
        reduced = {}
        for c, n in counts.items():
            q = tuple((v >> 3) << 3 | 4 for v in c)
            reduced[q] = reduced.get(q, 0) + n
        counts = reduced
    palette = [c for c, _ in sorted(counts.items(), key=lambda kv: (-kv[1], kv[0]))][:256]
    index = {c: k for k, c in enumerate(palette)}
    rows = [[index[c] if c in index else nearest(palette, c) for c in row] for row in rgb]
    return palette, rows


# ------------------------------------------------------------------ glyphs
# 16-colour glyphs drawn pixel by pixel. The bottom-left pixel is the colour
# the controls draw as transparent.

VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
KEYS = {"k": 0, "G": 2, "o": 3, "s": 7, "g": 8, "l": 10, "y": 11, "B": 12, "w": 15}

FIXEDDRIVE = [
    "BBBBBBBBBBBBBBBB",
    "wwwwwwwwwwwwwwwk",
    "wssssssssssssssk",
    "wsgggggggggsssgk",
    "wswwwwwwwwwsssgk",
    "wssssssssssssssk",
    "wsgggggggggsGGsk",
    "wswwwwwwwwwsGlsk",
    "wssssssssssssssk",
    "kkkkkkkkkkkkkkkk",
    "BBBBBBBBBBBBBBBB",
]

REMOVABLEDRIVE = [
    "wwwwwwwwwwwwwwww",
    "wwwwwwwwwwkkwwww",
    "wwwwwwwkkkkkwwww",
    "wwwwwwkwwwkkwkww",
    "wkkwwkwwwwwwwkkw",
    "kkkkkkkkkkkkkkkk",
    "wkkwwwkwwwwwwkkw",
    "wwwwwwwkwwkkwkww",
    "wwwwwwwwkkkkwwww",
    "wwwwwwwwwwwwwwww",
]

CLOSEDFOLDER = [
    "oooooooooooooooo",
    "oooooooooooooooo",
    "ookkkkkooooooooo",
    "okwyyyykkkkkkkoo",
    "okwwwwwwwwwwwwko",
    "okwyyyyyyyyyyyko",
    "okwyyyyyyyyyyyko",
    "okwyyyyyyyyyyyko",
    "okwyyyyyyyyyyyko",
    "okwyyyyyyyyyyyko",
    "okwyyyyyyyyyyyko",
    "okwyyyyyyyyyyyko",
    "okkkkkkkkkkkkkko",
    "oooooooooooooooo",
    "oooooooooooooooo",
    "oooooooooooooooo",
]

OPENFOLDER = [
    "oooooooooooooooo",
    "oooooooooooooooo",
    "ookkkkkooooooooo",
    "okwyyyykkkkkkooo",
    "okwwwwwwwwwwkooo",
    "okwyyyyyyyyykooo",
    "okwyykkkkkkkkkkk",
    "okwykwwwwwwwwwwk",
    "okwykyyyyyyyyyko",
    "okykwyyyyyyyyyko",
    "okkwyyyyyyyyykoo",
    "okkyyyyyyyyyykoo",
    "okkkkkkkkkkkkooo",
    "oooooooooooooooo",
    "oooooooooooooooo",
    "oooooooooooooooo",
]


def glyph(rows):
    width = len(rows[0])
    for r in rows:
        assert len(r) == width, r
    return width, len(rows), [[KEYS[c] for c in r] for r in rows]


# ------------------------------------------------------------------- main


def indexed_rgba(palette, rows):
    return [[palette[v] + (255,) for v in row] for row in rows]


def main(argv):
    if len(argv) < 2:
        sys.stderr.write(__doc__)
        return 2
    out = argv[1]
    preview = "--preview" in argv[2:]
    os.makedirs(out, exist_ok=True)

    def write(name, data):
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)

    previews = {}
    images = []
    for size in (256, 48, 32, 16):
        rgba = icon_image(size)
        previews["icon%d" % size] = (size, size, rgba)
        images.append((size, png_bytes(size, size, rgba) if size == 256 else ico_dib(size, rgba)))
    write("Setup.ico", ico_file(images))

    strip = logo_strip()
    write("Logo.bmp", bmp_indexed(120, 260, 4, LOGO_PALETTE, strip))
    previews["Logo"] = (120, 260, indexed_rgba(LOGO_PALETTE, strip))

    pal, small = logo_small()
    write("LogoSmall.bmp", bmp_indexed(32, 32, 8, pal, small))
    previews["LogoSmall"] = (32, 32, indexed_rgba(pal, small))

    for name, rows in (("FIXEDDRIVE", FIXEDDRIVE), ("REMOVABLEDRIVE", REMOVABLEDRIVE),
                       ("OPENFOLDER", OPENFOLDER), ("CLOSEDFOLDER", CLOSEDFOLDER)):
        w, h, idx = glyph(rows)
        write(name + ".bmp", bmp_indexed(w, h, 4, VGA16, idx))
        previews[name] = (w, h, indexed_rgba(VGA16, idx))

    if preview:
        for name, (w, h, rgba) in previews.items():
            with open(os.path.join(out, "preview-%s.png" % name), "wb") as f:
                f.write(png_bytes(w, h, rgba))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
