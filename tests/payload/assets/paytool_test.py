#!/usr/bin/env python3
"""Checks of paytool and of the payloads the build makes.

    paytool_test.py payloads|refusals|damage PAYTOOL BUILD_DIR

Each check prints a table of what it got and what it expected."""
import os
import struct
import subprocess
import sys
import tempfile
import zlib

failures = 0


def report(rows, title):
    global failures
    print("== " + title)
    for case, got, want, ok in rows:
        print("%-4s %-44s got: %-40s want: %s" % ("ok" if ok else "FAIL", case, got, want))
        if not ok:
            failures += 1


def run(*args):
    p = subprocess.run([PAYTOOL] + list(args), stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                       universal_newlines=True)
    return p.returncode, p.stdout, p.stderr


def entry(name, time, data):
    n = name.encode("latin-1")
    return bytes([len(n)]) + n + struct.pack("<di", time, len(data)) + data


# 2021-02-10 11:58:46 and 2013-04-04 22:04:42, exact DOS times.
T1 = 44237.49914351852
T2 = 41368.91993055555


def listing(path):
    """Rows of `paytool list`: (entry offset, data offset, size, end, raw time, name)."""
    rc, out, err = run("list", path)
    rows = []
    for line in out.splitlines():
        f = line.split()
        if len(f) >= 9 and f[0].isdigit():
            rows.append((int(f[1]), int(f[2]), int(f[3]), int(f[4]), float(f[7]), f[8]))
    return rc, rows, err


def check_payloads():
    rows = []
    for rel in ("resources/FILES.bin", "tests/payload/fullsize.bin", "tests/payload/highratio.bin"):
        rc, out, err = run("verify", os.path.join(BUILD, rel))
        rows.append(("verify " + rel, "exit %d %s" % (rc, err.strip()), "exit 0", rc == 0))

    full = os.path.join(BUILD, "tests/payload/fullsize.bin")
    rc, entries, err = listing(full)
    names = [e[5] for e in entries]
    want_names = ["License.txt", "hunspell.dll", "Irish.asc", "userdicir.tlx", "ga_IE.dic", "ga_IE.aff",
                  "Irish.hyph", "Irish.thes", "Logo.bmp", "LogoSmall.bmp"]
    rows.append(("fullsize names", ",".join(names)[:40], "the ten, in order", names == want_names))
    if names == want_names:
        rows.append(("License.txt data offset", entries[0][1], 24, entries[0][1] == 24))
        rows.append(("userdicir.tlx entry size", entries[4][0] - entries[3][0], 26,
                     entries[4][0] - entries[3][0] == 26))
        rows.append(("ga_IE.dic entry offset", entries[4][0], 377480, entries[4][0] == 377480))
        rows.append(("last entry end", entries[9][3], 31117902, entries[9][3] == 31117902))
        rows.append(("License.txt raw time", repr(entries[0][4]), repr(T1), entries[0][4] == T1))
        sizes = [e[2] for e in entries]
        want_sizes = [1939, 375296, 148, 0, 1195245, 19880, 53639, 29453701, 15718, 2102]
        rows.append(("fullsize sizes", sizes == want_sizes, True, sizes == want_sizes))
    packed = open(full, "rb").read()
    rows.append(("fullsize zlib header", packed[:2].hex(), "78da", packed[:2] == b"\x78\xda"))
    ratio = 31117902 / len(packed)
    rows.append(("fullsize ratio", "%.3f (%d bytes)" % (ratio, len(packed)), "4.935 +-3%",
                 abs(ratio / 4.935 - 1) < 0.03))
    hr = open(os.path.join(BUILD, "tests/payload/highratio.bin"), "rb").read()
    hr_ratio = len(zlib.decompress(hr)) / len(hr)
    rows.append(("highratio ratio", "%.1f" % hr_ratio, "> 5 (about 40)", hr_ratio > 5))

    if os.environ.get("PAYLOAD_IS_SAMPLE") != "1":
        report(rows, "built payloads (FILES.bin from another list: its content is not checked)")
        return
    # The shipped payload: the ten entries with the times of the shipped one.
    rc, entries, err = listing(os.path.join(BUILD, "resources/FILES.bin"))
    got = [e[5] for e in entries]
    rows.append(("FILES.bin names", ",".join(got)[:40], "the ten, in order", got == want_names))
    if got == want_names:
        rows.append(("FILES.bin License.txt time", repr(entries[0][4]), repr(T1), entries[0][4] == T1))
        rows.append(("FILES.bin userdicir.tlx", "size %d time %r" % (entries[3][2], entries[3][4]),
                     "size 0 time %r" % T2, entries[3][2] == 0 and entries[3][4] == T2))
    # What the shipped files must look like for the setup and the host.
    files = {}
    data = zlib.decompress(open(os.path.join(BUILD, "resources/FILES.bin"), "rb").read())
    o = 0
    while o < len(data):
        n = data[o]
        size = struct.unpack("<i", data[o + 9 + n:o + 13 + n])[0]
        files[data[o + 1:o + 1 + n].decode("latin-1")] = data[o + 13 + n:o + 13 + n + size]
        o += 13 + n + size

    def bmp(b):
        if b[:2] != b"BM":
            return None
        w, h, _, bpp = struct.unpack("<iiHH", b[18:30])
        return "%dx%d %dbpp %d bytes" % (w, h, bpp, len(b))

    asc = files.get("Irish.asc", b"")
    shipped = [
        ("Logo.bmp", bmp(files.get("Logo.bmp", b"")), "120x260 4bpp 15718 bytes"),
        ("LogoSmall.bmp", bmp(files.get("LogoSmall.bmp", b"")), "32x32 8bpp 2102 bytes"),
        ("License.txt line ends", b"\r" in files.get("License.txt", b"\r") and "CR" or "LF", "LF"),
        ("Irish.asc line ends", asc.count(b"\r\n") == asc.count(b"\n") > 0 and "CR LF" or "mixed", "CR LF"),
        ("Irish.asc names", all(w in asc for w in (b"2108", b"hunspell", b"ga_IE.dic", b"userdicir.tlx")),
         True),
        ("Irish.hyph BOM", files.get("Irish.hyph", b"")[:3].hex(), "efbbbf"),
        ("Irish.thes BOM", files.get("Irish.thes", b"")[:3].hex(), "efbbbf"),
        ("userdicir.tlx size", len(files.get("userdicir.tlx", b"x")), 0),
        ("ga_IE.dic word count line", files.get("ga_IE.dic", b"").split(b"\n")[0].isdigit(), True),
    ]
    for case, got, want in shipped:
        rows.append((case, got, want, got == want))
    report(rows, "built payloads")


def check_refusals():
    rows = []
    with tempfile.TemporaryDirectory() as d:
        src = os.path.join(d, "a.txt")
        open(src, "wb").write(b"hello")
        good = "License.txt\t2021-02-10 11:58:46\ta.txt\n"
        cases = [
            # (case, second line of the list, the reason's words)
            ("odd second", "B.txt\t2021-02-10 11:58:47\ta.txt", "two-second"),
            ("year 1979", "B.txt\t1979-12-31 23:59:58\ta.txt", "1980 to 2099"),
            ("year 2100", "B.txt\t2100-01-01 00:00:00\ta.txt", "1980 to 2099"),
            ("30 February", "B.txt\t2021-02-30 10:00:00\ta.txt", "no real date"),
            ("hour 24", "B.txt\t2021-02-10 24:00:00\ta.txt", "no real date"),
            ("milliseconds", "B.txt\t2021-02-10 11:58:46.000\ta.txt", "YYYY-MM-DD"),
            ("same name other case", "LICENSE.TXT\t2021-02-10 11:58:46\ta.txt", "repeats"),
            ("name of 256 bytes", "N" * 256 + "\t2021-02-10 11:58:46\ta.txt", "1 to 255"),
            ("dot-dot part", "..\\evil.txt\t2021-02-10 11:58:46\ta.txt", "\"..\""),
            ("absolute name", "\\evil.txt\t2021-02-10 11:58:46\ta.txt", "empty"),
            ("drive in name", "C:evil.txt\t2021-02-10 11:58:46\ta.txt", "cannot"),
            ("two fields", "B.txt\t2021-02-10 11:58:46", "three fields"),
            ("missing file", "B.txt\t2021-02-10 11:58:46\tnone.txt", "cannot open"),
            ("unknown variable", "B.txt\t2021-02-10 11:58:46\t${NOPE}/a.txt", "${NOPE}"),
        ]
        for case, line, words in cases:
            lst = os.path.join(d, "p.list")
            open(lst, "w").write("# comment\n" + good + line + "\n")
            out = os.path.join(d, "out.bin")
            if os.path.exists(out):
                os.remove(out)
            rc, _, err = run("build", lst, out)
            ok = rc != 0 and (":3:" in err) and words in err and not os.path.exists(out)
            rows.append((case, "exit %d %s" % (rc, err.strip()[-60:]), "refused at line 3: " + words, ok))

        # Accepted: a byte-order mark before the first name, a name of 255
        # bytes, a folder part, the first and last storable seconds.
        lst = os.path.join(d, "ok.list")
        open(lst, "w", encoding="utf-8-sig").write(good + "N" * 255 + "\t2099-12-31 23:59:58\ta.txt\n"
                             "Sub\\Dir\\c.txt\t1980-01-01 00:00:00\t" + src + "\n")
        out = os.path.join(d, "ok.bin")
        rc, _, err = run("build", lst, out)
        rows.append(("BOM, 255-byte name, folder part, limits", "exit %d %s" % (rc, err.strip()), "exit 0", rc == 0))
        if rc == 0:
            data = zlib.decompress(open(out, "rb").read())
            want = (entry("License.txt", T1, b"hello") + entry("N" * 255, 73050 + 86398000 / 86400000, b"hello") +
                    entry("Sub\\Dir\\c.txt", 29221.0, b"hello"))
            rows.append(("container bytes", len(data), "%d, byte for byte" % len(want), data == want))
    report(rows, "list refusals")


def check_damage():
    good = entry("License.txt", T1, b"L" * 300) + entry("userdicir.tlx", T2, b"")
    stream = zlib.compress(good, 9)
    flipped = bytearray(stream)
    flipped[len(flipped) // 2] ^= 0x55
    badsum = bytearray(stream)
    badsum[-1] ^= 1
    co = zlib.compressobj(9, zlib.DEFLATED, 15, 8, zlib.Z_DEFAULT_STRATEGY, zdict=b"License.txt")
    dictionary = co.compress(good) + co.flush()
    neg = bytearray(good)
    neg[1 + 11 + 8 + 3] = 0x80
    cases = [
        ("good", stream, None),
        ("empty container", zlib.compress(b"", 9), None),
        ("flipped bytes", bytes(flipped), "zlib"),
        ("bad checksum", bytes(badsum), "zlib"),
        ("truncated stream", stream[:-6], "truncated"),
        ("preset dictionary", dictionary, "preset dictionary"),
        ("trailing bytes", stream + b"\0", "follow the end"),
        ("partial entry at the end", zlib.compress(good + b"\x05abc", 9), "header runs past"),
        ("last header cut short", zlib.compress(good[:-2], 9), "header runs past"),
        ("data cut short", zlib.compress(good[:200], 9), "data runs past"),
        ("negative size", zlib.compress(bytes(neg), 9), "negative size"),
        ("duplicate names", zlib.compress(good + entry("LICENSE.TXT", T1, b"x"), 9), "same name"),
        ("time off the DOS grid", zlib.compress(entry("a", T1 + 1 / 86400.0, b""), 9), "not a DOS time"),
        ("time NaN", zlib.compress(entry("a", float("nan"), b""), 9), "not a DOS time"),
        ("not zlib", b"PK\x03\x04" + stream, "not a zlib header"),
    ]
    rows = []
    with tempfile.TemporaryDirectory() as d:
        for case, data, words in cases:
            path = os.path.join(d, "p.bin")
            open(path, "wb").write(data)
            rc, _, err = run("verify", path)
            if words is None:
                ok, want = rc == 0, "exit 0"
            else:
                ok, want = rc != 0 and words in err, "refused: " + words
            rows.append((case, "exit %d %s" % (rc, err.strip()[-60:]), want, ok))
    report(rows, "damaged payloads")


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    what, PAYTOOL, BUILD = sys.argv[1:]
    {"payloads": check_payloads, "refusals": check_refusals, "damage": check_damage}[what]()
    sys.exit(1 if failures else 0)
