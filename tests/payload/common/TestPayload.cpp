#include "TestPayload.h"

#include <zlib.h>

#include <cmath>
#include <stdexcept>

#include "Container.h"

namespace testkit {

TDateTime Local(int year, int month, int day, int hour, int minute, int second) {
  if (year < 1980 || year > 2107) return EncodeDateTime({year, month, day, hour, minute, second, 0});
  const uint32_t date = uint32_t(year - 1980) << 9 | uint32_t(month) << 5 | uint32_t(day);
  const uint32_t time = uint32_t(hour) << 11 | uint32_t(minute) << 5 | uint32_t(second / 2);
  const TDateTime even = DosToDateTime(date << 16 | time);
  return second % 2 ? even + 1 / 86400.0 : even;
}

Bytes Container(const std::vector<Item>& items) {
  Bytes out;
  for (const Item& i : items)
    AppendEntry(out, i.name, i.time, reinterpret_cast<const unsigned char*>(i.data.data()), i.data.size());
  return out;
}

Bytes Compress(const Bytes& raw, int level) {
  uLongf n = compressBound(static_cast<uLong>(raw.size()));
  Bytes out(n);
  if (compress2(out.data(), &n, raw.data(), static_cast<uLong>(raw.size()), level) != Z_OK)
    throw std::runtime_error("compress2 failed");
  out.resize(n);
  return out;
}

Bytes InflateReference(const Bytes& stream) {
  Bytes out;
  z_stream zs = {};
  inflateInit(&zs);
  zs.next_in = const_cast<Bytef*>(stream.data());
  zs.avail_in = static_cast<uInt>(stream.size());
  unsigned char chunk[65536];
  int ret;
  do {
    zs.next_out = chunk;
    zs.avail_out = sizeof chunk;
    ret = inflate(&zs, Z_NO_FLUSH);
    out.insert(out.end(), chunk, chunk + (sizeof chunk - zs.avail_out));
  } while (ret == Z_OK);
  inflateEnd(&zs);
  if (ret != Z_STREAM_END) throw std::runtime_error("reference inflate failed");
  return out;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool ReadBytes(const std::string& path, Bytes& out) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  GetFileSizeEx(h, &size);
  out.resize(static_cast<size_t>(size.QuadPart));
  DWORD got = 0;
  const bool ok = out.empty() || (ReadFile(h, out.data(), static_cast<DWORD>(out.size()), &got, nullptr) &&
                                  got == out.size());
  CloseHandle(h);
  return ok;
}

bool ReadText(const std::string& path, std::string& out) {
  Bytes b;
  if (!ReadBytes(path, b)) return false;
  out.assign(b.begin(), b.end());
  return true;
}

bool WriteText(const std::string& path, const std::string& content) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  const bool ok = content.empty() ||
                  (WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &put, nullptr) &&
                   put == content.size());
  CloseHandle(h);
  return ok;
}

uint64_t WriteTimeUtc(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA a;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a)) return 0;
  return uint64_t(a.ftLastWriteTime.dwHighDateTime) << 32 | a.ftLastWriteTime.dwLowDateTime;
}

bool SetWriteTimeUtc(const std::string& path, uint64_t t) {
  HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  FILETIME ft = {static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
  const bool ok = SetFileTime(h, nullptr, nullptr, &ft) != FALSE;
  CloseHandle(h);
  return ok;
}

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA fd;
  HANDLE f = FindFirstFileA((folder + "\\*").c_str(), &fd);
  if (f != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = folder + "\\" + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(path);
      else
        DeleteFileA(path.c_str());
    } while (FindNextFileA(f, &fd));
    FindClose(f);
  }
  RemoveDirectoryA(folder.c_str());
}

Scratch::Scratch(const std::string& tag) {
  char tmp[MAX_PATH + 1];
  DWORD n = GetTempPathA(sizeof tmp, tmp);
  static unsigned counter = 0;
  path_ = std::string(tmp, n) + "store " + tag + " " + std::to_string(GetCurrentProcessId()) + "-" +
          std::to_string(++counter);
  RemoveTree(path_);
  CreateDirectoryA(path_.c_str(), nullptr);
}

Scratch::~Scratch() { RemoveTree(path_); }

}  // namespace testkit
