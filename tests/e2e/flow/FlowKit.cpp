#include "FlowKit.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "DosTime.h"

namespace flow {

const char* const kDictNames[7] = {"Irish.asc",     "hunspell.dll", "ga_IE.dic", "ga_IE.aff",
                                   "userdicir.tlx", "Irish.hyph",   "Irish.thes"};

const char* const kTitles[6] = {"Welcome to the Quillora Irish Spellchecker",
                                "License Agreement",
                                "Specify Home Folder",
                                "Ready to Install",
                                "Installing",
                                "Installation Complete"};

namespace {

std::vector<PayloadEntry> LoadPayload() {
  std::vector<PayloadEntry> out;
  HMODULE exe = LoadLibraryExA(SetupExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!exe) return out;
  HRSRC res = FindResourceA(exe, "FILES", "FILES");
  HGLOBAL mem = res ? LoadResource(exe, res) : nullptr;
  const unsigned char* data = mem ? static_cast<const unsigned char*>(LockResource(mem)) : nullptr;
  const DWORD size = res ? SizeofResource(exe, res) : 0;
  std::vector<unsigned char> raw;
  if (data && size) {
    z_stream zs{};
    inflateInit(&zs);
    zs.next_in = const_cast<Bytef*>(data);
    zs.avail_in = size;
    unsigned char chunk[65536];
    int rc;
    do {
      zs.next_out = chunk;
      zs.avail_out = sizeof chunk;
      rc = inflate(&zs, Z_NO_FLUSH);
      raw.insert(raw.end(), chunk, chunk + (sizeof chunk - zs.avail_out));
    } while (rc == Z_OK);
    inflateEnd(&zs);
    if (rc != Z_STREAM_END) raw.clear();
  }
  FreeLibrary(exe);
  std::vector<ContainerEntry> entries;
  if (raw.empty() || ParseContainer(raw.data(), raw.size(), entries) != ContainerError::None) return out;
  for (const ContainerEntry& e : entries)
    out.push_back({e.name, e.modTime, std::string(reinterpret_cast<const char*>(raw.data()) + e.dataOffset, e.size)});
  return out;
}

std::string CommonAppDataFolder() { return CommonAppData(); }

}  // namespace

const std::vector<PayloadEntry>& Payload() {
  static const std::vector<PayloadEntry> payload = LoadPayload();
  return payload;
}

const PayloadEntry& Entry(const std::string& name) {
  for (const PayloadEntry& e : Payload())
    if (_stricmp(e.name.c_str(), name.c_str()) == 0) return e;
  ADD_FAILURE() << "no payload entry " << name << " in " << SetupExePath();
  static const PayloadEntry none{"", 0, ""};
  return none;
}

std::string SharedRoot() { return Join(CommonAppDataFolder(), "Quillora"); }
std::string PublicFolder(const std::string& dict) { return Join(Join(SharedRoot(), "Public"), dict); }
std::string StampPath() { return Join(SharedRoot(), "Hidden\\install_stamp"); }
std::string LogPath() { return Join(SharedRoot(), "Update.log"); }

CleanPrefix::CleanPrefix() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, InstallKeyPath, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    hadKey_ = true;
    for (DWORD i = 0;; ++i) {
      char name[256];
      DWORD nameLen = sizeof name, type = 0, size = 0;
      if (RegEnumValueA(key, i, name, &nameLen, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
      std::vector<unsigned char> data(size + 4);
      nameLen = sizeof name;
      DWORD got = size;
      RegEnumValueA(key, i, name, &nameLen, nullptr, &type, data.data(), &got);
      data.resize(got);
      data.insert(data.begin(), reinterpret_cast<unsigned char*>(&type), reinterpret_cast<unsigned char*>(&type) + 4);
      values_.push_back({std::string(name, nameLen), data});
    }
    RegCloseKey(key);
  }
  reg::DeleteKey();
  if (FolderExists(SharedRoot())) {
    savedShared_ = SharedRoot() + ".flow-saved-" + std::to_string(GetCurrentProcessId());
    RemoveTree(savedShared_);
    if (!MoveFileA(SharedRoot().c_str(), savedShared_.c_str())) {
      ADD_FAILURE() << "could not move " << SharedRoot() << " aside";
      savedShared_.clear();
    }
  }
}

CleanPrefix::~CleanPrefix() {
  reg::DeleteKey();
  if (hadKey_) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, InstallKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
      for (const auto& v : values_) {
        DWORD type;
        std::memcpy(&type, v.second.data(), 4);
        RegSetValueExA(key, v.first.c_str(), 0, type, v.second.data() + 4, static_cast<DWORD>(v.second.size() - 4));
      }
      RegCloseKey(key);
    }
  }
  EXPECT_TRUE(RemoveTree(SharedRoot())) << "could not remove " << SharedRoot();
  if (!savedShared_.empty()) MoveFileA(savedShared_.c_str(), SharedRoot().c_str());
  CloseHostWindows(5s);
}

std::vector<std::string> SetupTempFiles() {
  std::vector<std::string> out;
  for (const std::string& name : ListFolder(TempFolder()))
    if (name.rfind("~QuilloraIrishSpellcheckerSetup", 0) == 0) out.push_back(name);
  return out;
}

double ModTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA a;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a)) return -1;
  FILETIME local;
  WORD date = 0, time = 0;
  if (!FileTimeToLocalFileTime(&a.ftLastWriteTime, &local) || !FileTimeToDosDateTime(&local, &date, &time)) return -1;
  return DosToDateTime(uint32_t(date) << 16 | time);
}

bool SetModTime(const std::string& path, double localTime) {
  const uint32_t dos = DateTimeToDos(localTime);
  FILETIME local, utc;
  if (!DosDateTimeToFileTime(static_cast<WORD>(dos >> 16), static_cast<WORD>(dos & 0xFFFF), &local) ||
      !LocalFileTimeToFileTime(&local, &utc))
    return false;
  HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool ok = SetFileTime(h, nullptr, nullptr, &utc) != 0;
  CloseHandle(h);
  return ok;
}

void SortLikeTheLog(std::vector<std::string>& lines) {
  std::stable_sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE | SORT_STRINGSORT, a.c_str(), -1, b.c_str(), -1) ==
           CSTR_LESS_THAN;
  });
}

std::vector<std::string> SplitCrLf(const std::string& text, bool* everyLineEnded) {
  std::vector<std::string> lines;
  size_t pos = 0;
  bool ended = true;
  while (pos < text.size()) {
    size_t end = text.find("\r\n", pos);
    if (end == std::string::npos) {
      lines.push_back(text.substr(pos));
      ended = false;
      break;
    }
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 2;
  }
  if (everyLineEnded) *everyLineEnded = ended;
  return lines;
}

std::string Hex(const std::string& bytes) {
  static const char* d = "0123456789ABCDEF";
  std::string r;
  for (unsigned char c : bytes) {
    r += d[c >> 4];
    r += d[c & 15];
  }
  return r;
}

std::string Printable(const std::string& s) {
  std::string r;
  for (char c : s) {
    if (c == '\r') r += "\\r";
    else if (c == '\n') r += "\\n";
    else if (c == '\t') r += "\\t";
    else r += c;
  }
  return r;
}

bool NextTo(const Wizard& w, int from, int to, const std::string& tag) {
  for (int p = from; p < to;) {
    if (!tag.empty()) w.Screenshot(tag + "-page" + std::to_string(p));
    if (!w.Press("&Next >")) return false;
    const int expect = p + 1 == 4 ? 5 : p + 1;  // the installation runs inside page 4
    if (!w.WaitTitle(kTitles[expect], 20s)) return false;
    p = expect;
  }
  if (!tag.empty()) w.Screenshot(tag + "-page" + std::to_string(to));
  return true;
}

bool IsCloseQuestion(const std::string& text) { return text.rfind("Setup is not complete.", 0) == 0; }

}  // namespace flow
