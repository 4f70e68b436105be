// Loading the payload: inflate into one growing buffer, parse, refuse damage.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>

#include "AttachFiles.h"
#include "InstUtils.h"
#include "TestPayload.h"

using namespace testkit;

namespace {

std::string Reason(const Bytes& stream) {
  try {
    TAttachedFiles store(stream.data(), stream.size());
  } catch (const PayloadError& e) {
    return e.what;
  }
  return "(accepted)";
}

Bytes WithDictionary(const Bytes& raw) {
  z_stream zs = {};
  deflateInit(&zs, 9);
  const char dict[] = "preset dictionary";
  deflateSetDictionary(&zs, reinterpret_cast<const Bytef*>(dict), sizeof dict - 1);
  Bytes out(compressBound(static_cast<uLong>(raw.size())) + 64);
  zs.next_in = const_cast<Bytef*>(raw.data());
  zs.avail_in = static_cast<uInt>(raw.size());
  zs.next_out = out.data();
  zs.avail_out = static_cast<uInt>(out.size());
  deflate(&zs, Z_FINISH);
  out.resize(zs.total_out);
  deflateEnd(&zs);
  return out;
}

Bytes Raw(std::initializer_list<unsigned> bytes) {
  Bytes b;
  for (unsigned v : bytes) b.push_back(static_cast<unsigned char>(v));
  return b;
}

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace

TEST(StoreLoad, FullSizePayloadParsesToTheTenEntries) {
  Bytes stream;
  const std::string path = BuildFolder() + "\\tests\\payload\\fullsize.bin";
  ASSERT_TRUE(ReadBytes(path, stream)) << path;
  TAttachedFiles store(stream.data(), stream.size());

  struct Row {
    const char* name;
    int32_t size;
    TDateTime time;
  };
  const Row rows[] = {
      {"License.txt", 1939, Local(2021, 2, 10, 11, 58, 46)},
      {"hunspell.dll", 375296, Local(2013, 4, 6, 21, 31, 14)},
      {"Irish.asc", 148, Local(2013, 4, 7, 20, 12, 30)},
      {"userdicir.tlx", 0, Local(2013, 4, 4, 22, 4, 42)},
      {"ga_IE.dic", 1195245, Local(2013, 4, 7, 20, 13, 14)},
      {"ga_IE.aff", 19880, Local(2013, 4, 7, 20, 13, 20)},
      {"Irish.hyph", 53639, Local(2023, 10, 31, 16, 3, 54)},
      {"Irish.thes", 29453701, Local(2023, 12, 27, 17, 1, 26)},
      {"Logo.bmp", 15718, Local(2013, 4, 7, 20, 28, 36)},
      {"LogoSmall.bmp", 2102, Local(2019, 4, 12, 3, 37, 30)},
  };
  ASSERT_EQ(10u, store.Entries().size());
  int64_t entryStart = 0;
  for (size_t i = 0; i < 10; ++i) {
    const TAttachedFile& e = *store.Entries()[i];
    SCOPED_TRACE(rows[i].name);
    EXPECT_EQ(rows[i].name, e.Name);
    EXPECT_EQ(rows[i].size, e.Size);
    EXPECT_EQ(rows[i].time, e.ModTime);  // exact: the DOS grid value
    EXPECT_EQ(entryStart + 13 + int64_t(e.Name.size()), e.DataOffset);  // entries tile the data
    if (e.Name == "ga_IE.dic") {
      EXPECT_EQ(377480, entryStart);
    }
    entryStart = int64_t(e.DataOffset) + e.Size;
  }
  EXPECT_EQ(24, store.Entries()[0]->DataOffset);
  EXPECT_EQ(44237.49914351852, store.Entries()[0]->ModTime);
  EXPECT_EQ(31117902, store.DataSize());
  EXPECT_EQ(31117902, entryStart);
  EXPECT_EQ(0, store.InflateGrowths()) << "five times the compressed size covers the present payload";
}

TEST(StoreLoad, InflatesExactlyAtEveryRatio) {
  std::string random(300000, '\0');
  uint32_t x = 12345;
  for (char& c : random) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
  struct Case {
    const char* what;
    std::vector<Item> items;
    bool mustGrow;
  };
  const Case cases[] = {
      {"incompressible", {{"noise.bin", Local(2013, 4, 7, 20, 13, 14), random}}, false},
      {"about five to one", {{"text.txt", Local(2013, 4, 7, 20, 13, 14), [&] {
                                std::string s;
                                for (int i = 0; i < 40000; ++i) s += std::to_string(x = x * 69069u + 1u) + " ";
                                return s;
                              }()}},
       false},
      {"far better than five to one",
       {{"zeros.bin", Local(2013, 4, 7, 20, 13, 14), std::string(3000000, '\0')},
        {"empty.tlx", Local(2013, 4, 4, 22, 4, 42), ""},
        {std::string(255, 'N'), Local(2099, 12, 31, 23, 59, 58), "last"}},
       true},
      {"empty container", {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Bytes raw = Container(c.items);
    const Bytes stream = Compress(raw);
    TAttachedFiles store(stream.data(), stream.size());
    ASSERT_EQ(int32_t(raw.size()), store.DataSize());
    EXPECT_TRUE(raw.empty() || std::memcmp(raw.data(), store.Data(), raw.size()) == 0);
    if (c.mustGrow) {
      EXPECT_LT(0, store.InflateGrowths());
    }
    ASSERT_EQ(c.items.size(), store.Entries().size());
    for (size_t i = 0; i < c.items.size(); ++i) {
      const TAttachedFile& e = *store.Entries()[i];
      EXPECT_EQ(c.items[i].name, e.Name);
      EXPECT_EQ(c.items[i].time, e.ModTime);
      ASSERT_EQ(int32_t(c.items[i].data.size()), e.Size);
      EXPECT_EQ(c.items[i].data, std::string(reinterpret_cast<const char*>(store.Data()) + e.DataOffset, e.Size));
    }
  }
}

TEST(StoreLoad, HighRatioPayloadFileLoadsExactly) {
  Bytes stream;
  const std::string path = BuildFolder() + "\\tests\\payload\\highratio.bin";
  ASSERT_TRUE(ReadBytes(path, stream)) << path;
  const Bytes reference = InflateReference(stream);
  ASSERT_GT(reference.size(), stream.size() * 5) << "the fixture must compress better than five to one";
  TAttachedFiles store(stream.data(), stream.size());
  EXPECT_LT(0, store.InflateGrowths());
  ASSERT_EQ(int32_t(reference.size()), store.DataSize());
  EXPECT_EQ(0, std::memcmp(reference.data(), store.Data(), reference.size()));
  EXPECT_FALSE(store.Entries().empty());
}

TEST(StoreLoad, DamagedPayloadsAreRefusedWithTheirReason) {
  const std::vector<Item> good = {{"License.txt", Local(2021, 2, 10, 11, 58, 46), std::string(5000, 'L')},
                                  {"Irish.asc", Local(2013, 4, 7, 20, 12, 30), "[Irish]\r\n"}};
  const Bytes stream = Stream(good);
  const Bytes raw = Container(good);
  Bytes flipped = stream;
  flipped[flipped.size() / 2] ^= 0x55;
  flipped[flipped.size() / 2 + 1] ^= 0xAA;
  Bytes badCheck = stream;
  badCheck.back() ^= 1;
  Bytes negative = raw;
  negative[1 + 11 + 8 + 3] = 0x80;  // License.txt's size becomes negative
  const Bytes dupe = Container({{"Irish.asc", 0, "a"}, {"IRISH.ASC", 0, "b"}});
  // Equal only under the ANSI case mapping (code page 1252: e-acute and E-acute).
  const Bytes dupeAnsi = Container({{"\xE9ire.dic", 0, "a"}, {"\xC9IRE.dic", 0, "b"}});

  struct Case {
    const char* damage;
    Bytes stream;
    const char* reason;  // a part of the expected text
  };
  const Case cases[] = {
      {"empty resource", {}, "empty"},
      {"not a zlib stream", Raw({'P', 'K', 3, 4, 0, 0, 0, 0}), "corrupt"},
      {"deflate data damaged", flipped, "corrupt"},
      {"Adler-32 wrong", badCheck, "corrupt"},
      {"cut inside the deflate data", Bytes(stream.begin(), stream.begin() + stream.size() / 2), "cut short"},
      {"cut inside the checksum", Bytes(stream.begin(), stream.end() - 1), "cut short"},
      {"needs a preset dictionary", WithDictionary(raw), "preset dictionary"},
      {"trailing bytes", Concat(stream, Raw({0, 0, 0})), "3 stray bytes"},
      {"header past the end", Compress(Concat(raw, Raw({5, 'a', 'b'}))), "header runs past the end"},
      {"data past the end", Compress(Bytes(raw.begin(), raw.end() - 1)), "data runs past the end"},
      {"negative size", Compress(negative), "negative size"},
      {"names repeat (ASCII case)", Compress(dupe), "same name"},
      {"names repeat (ANSI case)", Compress(dupeAnsi), "twice"},
  };
  for (const Case& c : cases) {
    const std::string got = Reason(c.stream);
    EXPECT_NE(std::string::npos, got.find(c.reason)) << c.damage << ": got \"" << got << "\", expected a text with \""
                                                     << c.reason << "\"";
  }
}

TEST(StoreLoad, NamesThatLeaveTheirFolderAreRefused) {
  const struct {
    const char* name;
    bool refused;
  } cases[] = {
      {"..\\x.dll", true},
      {"Dicts\\..\\..\\x.dll", true},
      {"Dicts/../x.dll", true},
      {"..", true},
      {"\\Windows\\x.dll", true},
      {"/x.dll", true},
      {"C:\\x.dll", true},
      {"C:x.dll", true},
      {"x.dic:stream", true},
      {"..x.dic", false},
      {"x..dic", false},
      {"Dicts\\...\\x.dic", true},  // only dots
      {".. \\x.dic", true},
      {"Dicts\\.\\x.dic", false},
      {"Dicts\\a.dic", false},
      {"", false},
  };
  for (const auto& c : cases) {
    const std::string got = Reason(Stream({{c.name, 0, "data"}}));
    const bool refused = got.find("leads out of its folder") != std::string::npos;
    EXPECT_EQ(c.refused, refused) << "\"" << c.name << "\": got \"" << got << "\"";
  }
}

TEST(StoreLoad, ProgramWithoutPayloadResourceIsRefused) {
  std::string got = "(accepted)";
  try {
    TAttachedFiles store;
  } catch (const PayloadError& e) {
    got = e.what;
  }
  EXPECT_NE(std::string::npos, got.find("missing")) << got;
}

TEST(Lookup, StoreTakesTheLastEqualNameQueueTheFirst) {
  TAttachedFileList list;
  for (const char* name : {"Irish.asc", "Dicts\\a.dic", "IRISH.ASC", "Dict", "dicts\\B.aff", "Dicts"})
    list.push_back(std::make_unique<TAttachedFile>(TAttachedFile{name, 0, 0, 0}));
  auto at = [&](size_t i) { return list[i].get(); };
  EXPECT_EQ(at(2), FindEntryByName(list, "irish.asc"));
  EXPECT_EQ(nullptr, FindEntryByName(list, "Irish.as"));

  struct Case {
    const char* name;
    std::vector<const TAttachedFile*> expected;
  };
  const Case cases[] = {
      {"irish.ASC", {at(0)}},                  // first only
      {"DICTS\\", {at(1), at(4)}},             // every entry with the prefix, container order
      {"Dict", {at(3)}},                       // no backslash: the exact name
      {"Dicts\\a.dic\\", {}},                  // longer than every name
      {"Dic\\", {}},
      {"Nothing.txt", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, SelectEntries(list, c.name)) << c.name;
}
