// paytool: builds, lists and checks the payload that Setup.exe carries.
//   paytool build [-D VAR=VALUE]... [--depfile FILE] LIST OUT
//   paytool list PAYLOAD
//   paytool verify PAYLOAD
//   paytool fullsize OUT      (generated stand-in of the full-size payload)
//   paytool highratio OUT     (small payload that deflates far better than 5:1)
#include "Container.h"
#include "DosTime.h"
#include "Generate.h"
#include "PayloadList.h"
#include "Zlib.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

typedef std::vector<unsigned char> Bytes;

int Usage() {
  std::fprintf(stderr,
               "usage: paytool build [-D VAR=VALUE]... [--depfile FILE] LIST OUT\n"
               "       paytool list PAYLOAD\n"
               "       paytool verify PAYLOAD\n"
               "       paytool fullsize OUT\n"
               "       paytool highratio OUT\n");
  return 2;
}

bool ReadFile(const std::string& path, Bytes& out, std::string& error) {
  std::error_code ec;
  if (std::filesystem::exists(path, ec) && !std::filesystem::is_regular_file(path, ec)) {
    error = path + ": not a file";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot open";
    return false;
  }
  in.seekg(0, std::ios::end);
  std::streamoff len = in.tellg();
  if (len < 0) {
    error = path + ": cannot read";
    return false;
  }
  if (len > 0x7FFFFFFF - 1) {
    error = path + ": 2 GiB or larger; entry sizes are signed 32-bit";
    return false;
  }
  in.seekg(0);
  out.resize(static_cast<size_t>(len));
  if (len && !in.read(reinterpret_cast<char*>(out.data()), len)) {
    error = path + ": cannot read";
    return false;
  }
  return true;
}

// Written beside the target and renamed, so a failed run leaves no half file
// that a build system would take for finished.
bool WriteFileAtomic(const std::string& path, const Bytes& data, std::string& error) {
  const std::string tmp = path + ".part";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out || !out.write(reinterpret_cast<const char*>(data.data()), data.size()) || !out.flush()) {
      error = tmp + ": cannot write";
      std::remove(tmp.c_str());
      return false;
    }
  }
  if (std::rename(tmp.c_str(), path.c_str()) != 0) {
    error = path + ": cannot replace";
    std::remove(tmp.c_str());
    return false;
  }
  return true;
}

std::string FormatTime(double t) {
  CalendarTime c = DecodeDateTime(t);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day, c.hour,
                c.minute, c.second);
  if (c.millisecond) std::snprintf(buf + std::strlen(buf), sizeof buf - std::strlen(buf), ".%03d", c.millisecond);
  return buf;
}

// Inflates and parses; also holds the times to the DOS grid the store relies on.
bool LoadPayload(const std::string& path, Bytes& packed, Bytes& container,
                 std::vector<ContainerEntry>& entries, std::string& error) {
  if (!ReadFile(path, packed, error)) return false;
  std::string why;
  if (!ZlibInflateStrict(packed, container, why)) {
    error = path + ": " + why;
    return false;
  }
  size_t at = 0;
  ContainerError ce = ParseContainer(container.data(), container.size(), entries, &at);
  if (ce != ContainerError::None) {
    error = path + ": at inflated offset " + std::to_string(at) + ": " + ContainerErrorText(ce);
    return false;
  }
  for (const ContainerEntry& e : entries) {
    // Only finite values in range go to the conversion: a NaN or a huge
    // double would not survive its integer arithmetic.
    const bool inRange = std::isfinite(e.modTime) && e.modTime > 0 && e.modTime < 2958466;
    const uint32_t dos = inRange ? DateTimeToDos(e.modTime) : 0;
    if (dos == 0 || DosToDateTime(dos) != e.modTime) {
      char raw[32];
      std::snprintf(raw, sizeof raw, "%.17g", e.modTime);
      error = path + ": entry \"" + e.name + "\": time " + raw +
              " is not a DOS time (two-second steps, 1980 to 2099)";
      return false;
    }
  }
  return true;
}

void Summary(const std::string& out, size_t count, size_t inflated, size_t packed) {
  std::printf("%s: %zu entries, %zu bytes inflated, %zu compressed (%.3f : 1)\n", out.c_str(), count,
              inflated, packed, packed ? double(inflated) / double(packed) : 0.0);
}

bool WritePayload(const std::string& out, const Bytes& container, size_t count, std::string& error) {
  Bytes packed = ZlibCompress(container);
  if (!WriteFileAtomic(out, packed, error)) return false;
  // Read back what a reader of the resource will see.
  Bytes p2, c2;
  std::vector<ContainerEntry> e2;
  if (!LoadPayload(out, p2, c2, e2, error)) return false;
  if (c2 != container || e2.size() != count) {
    error = out + ": the written payload does not read back as built";
    return false;
  }
  Summary(out, count, container.size(), packed.size());
  return true;
}

std::string DepEscape(const std::string& s) {
  std::string r;
  for (char c : s) {
    if (c == ' ' || c == '\\' || c == '#') r += '\\';
    if (c == '$') r += '$';
    r += c;
  }
  return r;
}

int Build(int argc, char** argv) {
  std::map<std::string, std::string> vars;
  std::string depfile;
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "-D" && i + 1 < argc) {
      std::string d = argv[++i];
      size_t eq = d.find('=');
      if (eq == std::string::npos || eq == 0) return Usage();
      vars[d.substr(0, eq)] = d.substr(eq + 1);
    } else if (a == "--depfile" && i + 1 < argc) {
      depfile = argv[++i];
    } else {
      args.push_back(a);
    }
  }
  if (args.size() != 2) return Usage();
  const std::string& list = args[0];
  const std::string& out = args[1];
  std::vector<ListEntry> entries;
  std::string error;
  if (!ReadPayloadList(list, vars, entries, error)) {
    std::fprintf(stderr, "paytool: %s\n", error.c_str());
    return 1;
  }
  Bytes container;
  for (const ListEntry& e : entries) {
    Bytes data;
    if (!ReadFile(e.source, data, error)) {
      std::fprintf(stderr, "paytool: %s:%d: %s\n", list.c_str(), e.line, error.c_str());
      return 1;
    }
    if (container.size() + 13 + e.name.size() + data.size() > 0x7FFFFFFF) {
      std::fprintf(stderr, "paytool: %s:%d: the container would reach 2 GiB\n", list.c_str(), e.line);
      return 1;
    }
    AppendEntry(container, e.name, e.modTime, data.data(), data.size());
  }
  if (!WritePayload(out, container, entries.size(), error)) {
    std::fprintf(stderr, "paytool: %s\n", error.c_str());
    return 1;
  }
  if (!depfile.empty()) {
    std::string d = DepEscape(out) + ": " + DepEscape(list);
    for (const ListEntry& e : entries) d += " \\\n  " + DepEscape(e.source);
    d += "\n";
    if (!WriteFileAtomic(depfile, Bytes(d.begin(), d.end()), error)) {
      std::fprintf(stderr, "paytool: %s\n", error.c_str());
      return 1;
    }
  }
  return 0;
}

int List(const std::string& path, bool print) {
  Bytes packed, container;
  std::vector<ContainerEntry> entries;
  std::string error;
  if (!LoadPayload(path, packed, container, entries, error)) {
    std::fprintf(stderr, "paytool: %s\n", error.c_str());
    return 1;
  }
  if (print) {
    std::printf("%-4s %-10s %-10s %-10s %-10s %-19s %-19s %s\n", "#", "entry", "data", "size", "end",
                "time", "raw", "name");
    size_t i = 0;
    for (const ContainerEntry& e : entries) {
      const size_t entryOffset = e.dataOffset - 13 - e.name.size();
      std::printf("%-4zu %-10zu %-10d %-10d %-10lld %-19s %-19.17g %s\n", ++i, entryOffset, e.dataOffset,
                  e.size, static_cast<long long>(e.dataOffset) + e.size, FormatTime(e.modTime).c_str(),
                  e.modTime, e.name.c_str());
    }
  }
  Summary(path, entries.size(), container.size(), packed.size());
  if (print && packed.size() >= 2) std::printf("zlib header: %02X %02X\n", packed[0], packed[1]);
  return 0;
}

int Generated(const std::vector<GeneratedEntry>& gen, const std::string& out) {
  Bytes container;
  for (const GeneratedEntry& g : gen) {
    uint32_t dos;
    std::string why;
    if (!ParseDosTime(g.timeText, dos, why)) {
      std::fprintf(stderr, "paytool: %s: %s\n", g.name.c_str(), why.c_str());
      return 1;
    }
    AppendEntry(container, g.name, DosToDateTime(dos), g.data.data(), g.data.size());
  }
  std::string error;
  if (!WritePayload(out, container, gen.size(), error)) {
    std::fprintf(stderr, "paytool: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string cmd = argv[1];
  try {
    if (cmd == "build") return Build(argc - 2, argv + 2);
    if (cmd == "list" && argc == 3) return List(argv[2], true);
    if (cmd == "verify" && argc == 3) return List(argv[2], false);
    if (cmd == "fullsize" && argc == 3) return Generated(FullSizeEntries(), argv[2]);
    if (cmd == "highratio" && argc == 3) return Generated(HighRatioEntries(), argv[2]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "paytool: %s\n", e.what());
    return 1;
  }
  return Usage();
}
