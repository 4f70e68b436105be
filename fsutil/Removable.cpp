// Whether a path lies on a drive the user can carry away.
#include <cstddef>
#include <cstring>

#include "InstUtils.h"
#include "OwnedHandles.h"

namespace {
const size_t DescriptorBufferSize = 548;
const size_t RemovableMediaOffset = offsetof(STORAGE_DEVICE_DESCRIPTOR, RemovableMedia);
const size_t BusTypeOffset = offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType);
static_assert(RemovableMediaOffset == 10 && BusTypeOffset == 28, "descriptor layout");
static_assert(sizeof(STORAGE_PROPERTY_QUERY) == 12, "query layout");
static_assert(IOCTL_STORAGE_QUERY_PROPERTY == 0x2D1400, "query code");
}  // namespace

UINT DriveTypeOf(const std::string& path) {
  std::string root = DrivePart(path);
  // GetDriveType of an empty string would answer for the current drive.
  if (root.empty()) return DRIVE_NO_ROOT_DIR;
  AddPathDelimiter(root);
  return GetDriveTypeA(root.c_str());
}

bool DescriptorMeansRemovable(const unsigned char* descriptor, size_t size) {
  if (!descriptor) return false;
  if (size >= BusTypeOffset + 4) {
    uint32_t bus;
    std::memcpy(&bus, descriptor + BusTypeOffset, 4);
    if (bus == BusType1394 || bus == BusTypeUsb) return true;
  }
  return size > RemovableMediaOffset && descriptor[RemovableMediaOffset] != 0;
}

bool IsRemovableDrive(const std::string& path) {
  const UINT type = DriveTypeOf(path);
  if (type == DRIVE_REMOVABLE) return true;
  if (type != DRIVE_FIXED) return false;
  const std::string device = "\\\\.\\" + DrivePart(path);
  FileHandle volume(CreateFileW(WidenString(device).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                nullptr));
  if (!volume.valid()) return false;
  STORAGE_PROPERTY_QUERY query;
  std::memset(&query, 0, sizeof query);
  query.PropertyId = StorageDeviceProperty;
  query.QueryType = PropertyStandardQuery;
  unsigned char descriptor[DescriptorBufferSize] = {};
  const uint32_t size = DescriptorBufferSize;
  std::memcpy(descriptor + 4, &size, 4);
  DWORD returned = 0;
  if (!DeviceIoControl(volume.get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, descriptor,
                       sizeof descriptor, &returned, nullptr))
    return false;
  // What the device did not fill keeps its zeros: neither bus, not removable.
  return DescriptorMeansRemovable(descriptor, sizeof descriptor);
}
