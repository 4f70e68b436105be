#include "Generate.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace {

// splitmix64: small, fast and the same on every compiler (no <random>
// distributions, whose output is implementation-defined).
class Rng {
 public:
  explicit Rng(uint64_t seed) : s_(seed) {}
  uint64_t Next() {
    uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(Next() % n); }
  // Small values far more often than large ones: word frequencies in text.
  uint32_t Skewed(uint32_t n) {
    uint64_t a = Below(n), b = Below(n);
    return static_cast<uint32_t>(a * b / n);
  }

 private:
  uint64_t s_;
};

typedef std::vector<unsigned char> Bytes;

// Tuned so that the full-size payload deflates about as well as the real one.
const size_t kThesVocabulary = 20000;
const uint32_t kThesExtraMeanings = 3;
const uint32_t kThesListedPercent = 35;

void Put(Bytes& b, const std::string& s) { b.insert(b.end(), s.begin(), s.end()); }

void Fit(Bytes& b, size_t size, unsigned char pad) {
  if (b.size() > size) b.resize(size);
  while (b.size() < size) b.push_back(pad);
}

// Irish-looking words: consonant clusters and vowel groups, some with acute
// accents (UTF-8 or Latin-1).
std::string Word(Rng& r, bool utf8) {
  static const char* const kOnsets[] = {"b", "bh", "c", "ch", "d", "dh", "f", "g", "gh", "l", "m",
                                        "mh", "n", "p", "r", "s", "sh", "t", "th", "br", "cl",
                                        "gl", "tr", "str", "sc"};
  static const char* const kVowels[] = {"a", "e", "i", "o", "u", "ai", "ea", "ei", "io", "ui",
                                        "ao", "ia", "ua", "oi", "\xC3\xA1", "\xC3\xA9",
                                        "\xC3\xAD", "\xC3\xB3", "\xC3\xBA", "\xC3\xA1i"};
  std::string w;
  int syllables = 1 + static_cast<int>(r.Skewed(4));
  for (int i = 0; i < syllables; ++i) {
    w += kOnsets[r.Below(sizeof kOnsets / sizeof *kOnsets)];
    w += kVowels[r.Skewed(sizeof kVowels / sizeof *kVowels)];
  }
  if (r.Below(3)) w += kOnsets[r.Below(sizeof kOnsets / sizeof *kOnsets)];
  if (!utf8) {  // to Latin-1: C3 xx -> xx + 0x40
    std::string l;
    for (size_t i = 0; i < w.size(); ++i) {
      if (static_cast<unsigned char>(w[i]) == 0xC3 && i + 1 < w.size()) {
        l += static_cast<char>(static_cast<unsigned char>(w[++i]) + 0x40);
      } else {
        l += w[i];
      }
    }
    w = l;
  }
  return w;
}

std::vector<std::string> Vocabulary(Rng& r, size_t n, bool utf8) {
  std::vector<std::string> v;
  v.reserve(n);
  for (size_t i = 0; i < n; ++i) v.push_back(Word(r, utf8));
  return v;
}

Bytes LicenseText(size_t size) {
  Bytes b;
  const std::string para =
      "SAMPLE LICENCE TEXT. This generated file stands in for the licence agreement of the "
      "add-on. It has the same size as the real one and is made of plain text with LF line "
      "ends.\n\n";
  while (b.size() < size) Put(b, para);
  Fit(b, size, '\n');
  return b;
}

// Looks like a 32-bit library: a DOS stub, headers, code with a skewed
// opcode mix, tables of addresses and zero padding between sections.
Bytes EngineLibrary(size_t size) {
  Rng r(0xD11);
  Bytes b;
  Put(b, "MZ");
  Fit(b, 0x40, 0);
  Put(b, "This program cannot be run in DOS mode. SAMPLE stand-in for the engine library.\r\n");
  Fit(b, 0x400, 0);
  static const unsigned char kOps[] = {0x8B, 0x89, 0x55, 0x5D, 0xC3, 0xE8, 0x83, 0xC4, 0x50,
                                       0x51, 0x52, 0x53, 0x56, 0x57, 0x85, 0x74, 0x75, 0xEB,
                                       0x0F, 0x33, 0xFF, 0x8D, 0x6A, 0x68, 0x00, 0x01, 0x04,
                                       0x08, 0x10, 0x24, 0x45, 0xEC};
  while (b.size() < size) {
    size_t block = 2048 + r.Below(8192);
    for (size_t i = 0; i < block && b.size() < size; ++i) {
      uint32_t k = r.Below(8);
      if (k < 7) b.push_back(kOps[r.Skewed(sizeof kOps)]);
      else b.push_back(static_cast<unsigned char>(r.Skewed(256)));
    }
    // A table of 32-bit addresses close to each other, then alignment.
    uint32_t addr = 0x10001000 + r.Below(0x40000);
    for (int i = 0; i < 64 && b.size() + 4 <= size; ++i) {
      addr += 4 + r.Below(64);
      for (int k = 0; k < 4; ++k) b.push_back(static_cast<unsigned char>(addr >> (8 * k)));
    }
    while (b.size() % 512 && b.size() < size) b.push_back(0);
  }
  Fit(b, size, 0);
  return b;
}

Bytes LanguageDescriptor(size_t size) {
  Bytes b;
  Put(b, "[Language]\r\nName=Irish\r\nLCID=2108\r\nEngine=hunspell\r\n[Lexicons]\r\n"
         "Fixed=ga_IE.dic\r\nUser=userdicir.tlx\r\n; SAMPLE generated descriptor\r\n");
  Fit(b, size - 2, ';');
  Put(b, "\r\n");
  return b;
}

// Sorted, as hunspell word lists are; about a third of the words carry flags.
Bytes WordList(size_t size) {
  Rng r(0xD1C);
  std::vector<std::string> flags = {"A", "B", "C", "D", "E", "F", "G", "H", "S", "Z", "AS", "BS",
                                    "AE", "CF", "DGS", "ABC"};
  std::vector<std::string> words;
  size_t total = 0;
  while (total < size) {
    std::string w = Word(r, false);
    if (r.Below(3) == 0) w += "/" + flags[r.Skewed(static_cast<uint32_t>(flags.size()))];
    total += w.size() + 1;
    words.push_back(w);
  }
  std::sort(words.begin(), words.end());
  Bytes b;
  Put(b, std::to_string(words.size()) + "\n");
  for (const std::string& w : words) Put(b, w + "\n");
  Fit(b, size, '\n');
  return b;
}

Bytes AffixRules(size_t size) {
  Rng r(0xAFF);
  Bytes b;
  Put(b, "# SAMPLE generated affix rules\nSET ISO8859-1\nTRY aeinrhsotcdlgmbuf\n\n");
  const char kFlags[] = "ABCDEFGHSZ";
  while (b.size() < size) {
    char f = kFlags[r.Below(10)];
    uint32_t n = 2 + r.Below(10);
    Put(b, std::string("SFX ") + f + " Y " + std::to_string(n) + "\n");
    for (uint32_t i = 0; i < n; ++i) {
      std::string strip = r.Below(2) ? "0" : Word(r, false).substr(0, 1 + r.Below(2));
      Put(b, std::string("SFX ") + f + "   " + strip + "  " + Word(r, false).substr(0, 1 + r.Below(4)) +
                 "  ." + "\n");
    }
    b.push_back('\n');
  }
  Fit(b, size, '\n');
  return b;
}

Bytes HyphenationPatterns(size_t size) {
  Rng r(0x4B9);
  Bytes b = {0xEF, 0xBB, 0xBF};
  Put(b, "UTF-8\nLEFTHYPHENMIN 2\nRIGHTHYPHENMIN 2\n");
  while (b.size() < size) {
    std::string w = Word(r, true);
    std::string p;
    for (size_t i = 0; i < w.size() && i < 6; ++i) {
      if (r.Below(3) == 0) p += static_cast<char>('1' + r.Below(5));
      p += w[i];
    }
    if (r.Below(4) == 0) p = "." + p;
    Put(b, p + "\n");
  }
  Fit(b, size, '\n');
  return b;
}

// The thesaurus is nine tenths of the payload, so it sets the ratio. As in
// real ones, a group of synonyms is listed under each of its members in turn,
// so lines repeat close to each other; other meanings come from recent groups.
Bytes Thesaurus(size_t size) {
  Rng r(0x7E5);
  std::vector<std::string> vocab = Vocabulary(r, kThesVocabulary, true);
  static const char* const kPos[] = {"(ainm.)", "(br.)", "(aid.)", "(dobh.)"};
  Bytes b = {0xEF, 0xBB, 0xBF};
  Put(b, "UTF-8\n");
  std::vector<std::vector<std::string>> groups;
  while (b.size() < size) {
    std::vector<std::string> g(3 + r.Below(6));
    for (std::string& w : g) w = vocab[r.Skewed(static_cast<uint32_t>(vocab.size()))];
    groups.push_back(g);
    const char* pos = kPos[r.Skewed(4)];
    for (size_t h = 0; h < g.size() && b.size() < size; ++h) {
      if (h > 0 && r.Below(100) >= kThesListedPercent) continue;
      uint32_t extra = r.Below(kThesExtraMeanings);
      Put(b, g[h] + "|" + std::to_string(1 + extra) + "\n");
      Put(b, pos);
      for (size_t i = 0; i < g.size(); ++i)
        if (i != h) Put(b, "|" + g[i]);
      b.push_back('\n');
      for (uint32_t m = 0; m < extra; ++m) {
        size_t back = 1 + r.Below(static_cast<uint32_t>(std::min<size_t>(groups.size(), 40)));
        const std::vector<std::string>& o = groups[groups.size() - back];
        Put(b, kPos[r.Skewed(4)]);
        for (const std::string& w : o) Put(b, "|" + w);
        b.push_back('\n');
      }
    }
  }
  Fit(b, size, '\n');
  return b;
}

void PutLE(Bytes& b, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

// A valid bottom-up BMP with a greyscale-ish palette and diagonal bands.
Bytes Bitmap(int w, int h, int bpp) {
  const int colours = 1 << bpp;
  const uint32_t stride = ((w * bpp + 31) / 32) * 4;
  const uint32_t offBits = 14 + 40 + colours * 4;
  Bytes b;
  Put(b, "BM");
  PutLE(b, offBits + stride * h, 4);
  PutLE(b, 0, 4);
  PutLE(b, offBits, 4);
  PutLE(b, 40, 4);
  PutLE(b, static_cast<uint32_t>(w), 4);
  PutLE(b, static_cast<uint32_t>(h), 4);
  PutLE(b, 1, 2);
  PutLE(b, static_cast<uint32_t>(bpp), 2);
  PutLE(b, 0, 4);
  PutLE(b, stride * h, 4);
  PutLE(b, 2835, 4);
  PutLE(b, 2835, 4);
  PutLE(b, static_cast<uint32_t>(colours), 4);
  PutLE(b, 0, 4);
  for (int i = 0; i < colours; ++i) {
    unsigned char g = static_cast<unsigned char>(i * 255 / (colours - 1));
    b.push_back(g / 2);
    b.push_back(g);
    b.push_back(g / 3);
    b.push_back(0);
  }
  for (int y = 0; y < h; ++y) {
    Bytes row(stride, 0);
    for (int x = 0; x < w; ++x) {
      unsigned v = static_cast<unsigned>((x + y) * colours / (w + h)) % colours;
      if (bpp == 8) row[x] = static_cast<unsigned char>(v);
      else row[x / 2] |= static_cast<unsigned char>(x % 2 ? v : v << 4);
    }
    b.insert(b.end(), row.begin(), row.end());
  }
  return b;
}

}  // namespace

std::vector<GeneratedEntry> FullSizeEntries() {
  std::vector<GeneratedEntry> e;
  e.push_back({"License.txt", "2021-02-10 11:58:46", LicenseText(1939)});
  e.push_back({"hunspell.dll", "2013-04-06 21:31:14", EngineLibrary(375296)});
  e.push_back({"Irish.asc", "2013-04-07 20:12:30", LanguageDescriptor(148)});
  e.push_back({"userdicir.tlx", "2013-04-04 22:04:42", {}});
  e.push_back({"ga_IE.dic", "2013-04-07 20:13:14", WordList(1195245)});
  e.push_back({"ga_IE.aff", "2013-04-07 20:13:20", AffixRules(19880)});
  e.push_back({"Irish.hyph", "2023-10-31 16:03:54", HyphenationPatterns(53639)});
  e.push_back({"Irish.thes", "2023-12-27 17:01:26", Thesaurus(29453701)});
  e.push_back({"Logo.bmp", "2013-04-07 20:28:36", Bitmap(120, 260, 4)});
  e.push_back({"LogoSmall.bmp", "2019-04-12 03:37:30", Bitmap(32, 32, 8)});
  return e;
}

std::vector<GeneratedEntry> HighRatioEntries() {
  // Lines picked at random from a few dozen long ones: deflate codes each
  // repeat as one back-reference.
  Rng r(0x40);
  std::vector<std::string> lines;
  for (int i = 0; i < 24; ++i) {
    std::string l;
    while (l.size() < 70) l += Word(r, true) + " ";
    lines.push_back(l + "\n");
  }
  Bytes thes = {0xEF, 0xBB, 0xBF};
  while (thes.size() < 4000000) Put(thes, lines[r.Below(static_cast<uint32_t>(lines.size()))]);
  Fit(thes, 4000000, '\n');
  std::vector<GeneratedEntry> e;
  e.push_back({"License.txt", "2021-02-10 11:58:46", LicenseText(1939)});
  e.push_back({"userdicir.tlx", "2013-04-04 22:04:42", {}});
  e.push_back({"Irish.thes", "2023-12-27 17:01:26", thes});
  e.push_back({"LogoSmall.bmp", "2019-04-12 03:37:30", Bitmap(32, 32, 8)});
  return e;
}
