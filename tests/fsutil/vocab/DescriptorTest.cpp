// The storage-descriptor rule: bus 4 (IEEE 1394) or 7 (USB) counts as
// removable, otherwise the RemovableMedia byte decides; what the answer did
// not reach counts as neither.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "InstUtils.h"

namespace {

TEST(DescriptorMeansRemovable, Cases) {
  const struct {
    const char* what;
    uint32_t bus;
    unsigned char removableMedia;
    size_t size;
    bool want;
  } cases[] = {
      {"all zero", 0, 0, 548, false},
      {"USB", 7, 0, 548, true},
      {"IEEE 1394", 4, 0, 548, true},
      {"SATA", 11, 0, 548, false},
      {"SATA, removable media", 11, 1, 548, true},
      {"ATA, removable media 0x80", 3, 0x80, 548, true},
      {"SCSI", 1, 0, 548, false},
      {"SD", 12, 0, 548, false},
      {"USB in the low byte only", 0x107, 0, 548, false},
      {"bus byte 29", 0x700, 0, 548, false},
      {"USB beyond a 31-byte answer", 7, 0, 31, false},
      {"USB in a 32-byte answer", 7, 0, 32, true},
      {"removable media in an 11-byte answer", 0, 1, 11, true},
      {"removable media beyond a 10-byte answer", 0, 1, 10, false},
      {"empty answer", 7, 1, 0, false},
  };
  for (const auto& c : cases) {
    std::vector<unsigned char> d(548, 0);
    std::memcpy(&d[28], &c.bus, 4);
    d[10] = c.removableMedia;
    EXPECT_EQ(DescriptorMeansRemovable(d.data(), c.size), c.want) << c.what;
  }
  EXPECT_FALSE(DescriptorMeansRemovable(nullptr, 548)) << "no buffer";
}

}  // namespace
