// Payloads made in tests, and the folders they are written to.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

#include "DosTime.h"
#include "LockerClient.h"

namespace testkit {

typedef std::vector<unsigned char> Bytes;

struct Item {
  std::string name;
  TDateTime time;
  std::string data;
};

// The TDateTime of a local date and time as the payload stores it (the DOS
// value); an odd second is added after the packing, so the value keeps it.
TDateTime Local(int year, int month, int day, int hour, int minute, int second);

Bytes Container(const std::vector<Item>& items);
Bytes Compress(const Bytes& raw, int level = 9);
inline Bytes Stream(const std::vector<Item>& items) { return Compress(Container(items)); }
// Inflates a whole stream by zlib alone, for comparison.
Bytes InflateReference(const Bytes& stream);

using fixture::BuildFolder;  // nearest folder above holding CMakeCache.txt
bool ReadBytes(const std::string& path, Bytes& out);
bool ReadText(const std::string& path, std::string& out);
bool WriteText(const std::string& path, const std::string& content);
bool Exists(const std::string& path);
// Last-write time as FILETIME (UTC), 0 when absent.
uint64_t WriteTimeUtc(const std::string& path);
bool SetWriteTimeUtc(const std::string& path, uint64_t t);

// A fresh folder below the temporary folder, removed with the object.
class Scratch {
 public:
  explicit Scratch(const std::string& tag);
  ~Scratch();
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// Removes a folder with everything in it, attributes cleared first.
void RemoveTree(const std::string& folder);

}  // namespace testkit
