#include "Container.h"

#include <cstring>
#include <stdexcept>
#include <unordered_set>

namespace {

uint32_t ReadU32LE(const unsigned char* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

double ReadF64LE(const unsigned char* p) {
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = bits << 8 | p[i];
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

void PutU32LE(std::vector<unsigned char>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

void PutF64LE(std::vector<unsigned char>& out, double d) {
  uint64_t bits;
  std::memcpy(&bits, &d, sizeof bits);
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<unsigned char>(bits >> (8 * i)));
}

std::string AsciiUpper(const std::string& s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return r;
}

const size_t kMaxContainer = 0x7FFFFFFF;

}  // namespace

const char* ContainerErrorText(ContainerError e) {
  switch (e) {
    case ContainerError::None: return "no error";
    case ContainerError::TruncatedHeader: return "an entry's header runs past the end of the data";
    case ContainerError::NegativeSize: return "an entry has a negative size";
    case ContainerError::TruncatedData: return "an entry's data runs past the end of the data";
    case ContainerError::DuplicateName: return "two entries have the same name (ignoring case)";
    case ContainerError::TooLarge: return "the container is larger than 2 GiB";
  }
  return "unknown container error";
}

ContainerError ParseContainer(const unsigned char* data, size_t size,
                              std::vector<ContainerEntry>& entries, size_t* errorOffset) {
  entries.clear();
  auto fail = [&](ContainerError e, size_t at) {
    entries.clear();
    if (errorOffset) *errorOffset = at;
    return e;
  };
  if (size > kMaxContainer) return fail(ContainerError::TooLarge, 0);

  std::unordered_set<std::string> seen;
  size_t offset = 0;
  while (offset < size) {
    const size_t n = data[offset];
    // Length byte, name, 8-byte time, 4-byte size.
    if (size - offset < 13 + n) return fail(ContainerError::TruncatedHeader, offset);
    const unsigned char* p = data + offset + 1;
    ContainerEntry e;
    e.name.assign(reinterpret_cast<const char*>(p), n);
    e.modTime = ReadF64LE(p + n);
    e.size = static_cast<int32_t>(ReadU32LE(p + n + 8));
    if (e.size < 0) return fail(ContainerError::NegativeSize, offset);
    const size_t dataStart = offset + 13 + n;
    if (size - dataStart < static_cast<size_t>(e.size)) return fail(ContainerError::TruncatedData, offset);
    if (!seen.insert(AsciiUpper(e.name)).second) return fail(ContainerError::DuplicateName, offset);
    e.dataOffset = static_cast<int32_t>(dataStart);
    entries.push_back(std::move(e));
    offset = dataStart + static_cast<size_t>(entries.back().size);
  }
  return ContainerError::None;
}

void AppendEntry(std::vector<unsigned char>& out, const std::string& name, double modTime,
                 const unsigned char* data, size_t size) {
  if (name.size() > 255) throw std::length_error("container entry name longer than 255 bytes");
  if (size > kMaxContainer) throw std::length_error("container entry larger than 2 GiB");
  out.reserve(out.size() + 13 + name.size() + size);
  out.push_back(static_cast<unsigned char>(name.size()));
  out.insert(out.end(), name.begin(), name.end());
  PutF64LE(out, modTime);
  PutU32LE(out, static_cast<uint32_t>(size));
  if (size) out.insert(out.end(), data, data + size);
}
