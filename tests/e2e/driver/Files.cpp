// Files, folders, the registry key and the stand-in host, for scenarios.
#include <shlobj.h>

#include <algorithm>
#include <cstring>

#include "Driver.h"

namespace e2e {

// ---- paths ----

std::string ThisExePath() {
  char buf[MAX_PATH * 2] = {};
  GetModuleFileNameA(nullptr, buf, sizeof buf);
  return buf;
}

std::string ThisExeFolder() {
  std::string p = ThisExePath();
  size_t slash = p.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : p.substr(0, slash);
}

std::string BuildFolder() {
  static std::string found = [] {
    std::string dir = ThisExeFolder();
    for (;;) {
      if (FileExists(Join(dir, "CMakeCache.txt"))) return dir;
      size_t slash = dir.find_last_of("\\/");
      if (slash == std::string::npos || slash < 3) break;
      dir.resize(slash);
    }
    Fail("no CMakeCache.txt in a folder above " + ThisExeFolder());
    return ThisExeFolder();
  }();
  return found;
}

std::string SetupExePath() { return Join(BuildFolder(), "Setup.exe"); }

std::string ScreenshotFolder() {
  std::string f = Join(BuildFolder(), "screenshots");
  MakeFolders(f);
  return f;
}

std::string Join(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  char last = folder.back();
  return (last == '\\' || last == '/') ? folder + name : folder + "\\" + name;
}

std::string SpecialFolder(int csidl) {
  char buf[MAX_PATH + 1] = {};
  if (SHGetFolderPathA(nullptr, csidl, nullptr, 0, buf) != S_OK) return {};
  return buf;
}
std::string CommonAppData() { return SpecialFolder(35); }
std::string Documents() { return SpecialFolder(5); }
std::string ProgramFiles() { return SpecialFolder(38); }

std::string TempFolder() {
  char buf[MAX_PATH + 1] = {};
  DWORD n = GetTempPathA(sizeof buf, buf);
  std::string t(buf, n);
  while (!t.empty() && (t.back() == '\\' || t.back() == '/')) t.pop_back();
  return t;
}

// ---- files ----

bool FileExists(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool WaitForFile(const std::string& path, Duration timeout) {
  return WaitUntil([&] { return FileExists(path); }, timeout);
}

namespace {
struct File {
  HANDLE h;
  explicit File(HANDLE handle) : h(handle) {}
  ~File() { if (h != INVALID_HANDLE_VALUE) CloseHandle(h); }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
};
struct Find {
  HANDLE h;
  explicit Find(HANDLE handle) : h(handle) {}
  ~Find() { if (h != INVALID_HANDLE_VALUE) FindClose(h); }
  Find(const Find&) = delete;
  Find& operator=(const Find&) = delete;
};
struct Key {
  HKEY h = nullptr;
  ~Key() { if (h) RegCloseKey(h); }
};
}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path) {
  File f(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, 0, nullptr));
  if (f.h == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string data;
  char buf[65536];
  DWORD got = 0;
  while (ReadFile(f.h, buf, sizeof buf, &got, nullptr) && got > 0) data.append(buf, got);
  return data;
}

bool WriteWholeFile(const std::string& path, const std::string& content) {
  File f(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (f.h == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  return WriteFile(f.h, content.data(), static_cast<DWORD>(content.size()), &put, nullptr) && put == content.size();
}

bool MakeFolders(const std::string& path) {
  if (path.empty()) return false;
  if (FolderExists(path)) return true;
  size_t slash = path.find_last_of("\\/");
  if (slash != std::string::npos && slash > 2) MakeFolders(path.substr(0, slash));
  return CreateDirectoryA(path.c_str(), nullptr) || FolderExists(path);
}

bool RemoveTree(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return true;
  if (a & FILE_ATTRIBUTE_READONLY) SetFileAttributesA(path.c_str(), a & ~FILE_ATTRIBUTE_READONLY);
  if (!(a & FILE_ATTRIBUTE_DIRECTORY)) return DeleteFileA(path.c_str()) != 0;
  // Reparse points (Unix links under Wine) are removed, not followed.
  if (!(a & FILE_ATTRIBUTE_REPARSE_POINT)) {
    WIN32_FIND_DATAA fd;
    Find f(FindFirstFileA(Join(path, "*").c_str(), &fd));
    if (f.h != INVALID_HANDLE_VALUE) {
      do {
        if (strcmp(fd.cFileName, ".") && strcmp(fd.cFileName, "..")) RemoveTree(Join(path, fd.cFileName));
      } while (FindNextFileA(f.h, &fd));
    }
  }
  return RemoveDirectoryA(path.c_str()) != 0 || GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

bool CopyFileTo(const std::string& from, const std::string& to) { return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0; }

std::vector<std::string> ListFolder(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA fd;
  Find f(FindFirstFileA(Join(folder, "*").c_str(), &fd));
  if (f.h == INVALID_HANDLE_VALUE) return names;
  do {
    if (!strcmp(fd.cFileName, ".") || !strcmp(fd.cFileName, "..")) continue;
    names.push_back(std::string(fd.cFileName) + ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? "\\" : ""));
  } while (FindNextFileA(f.h, &fd));
  std::sort(names.begin(), names.end());
  return names;
}

namespace {
void ListTreeInto(const std::string& root, const std::string& rel, std::vector<std::string>& out) {
  for (const std::string& n : ListFolder(rel.empty() ? root : Join(root, rel))) {
    if (n.back() == '\\')
      ListTreeInto(root, rel + n, out);
    else
      out.push_back(rel + n);
  }
}
}  // namespace

std::vector<std::string> ListTree(const std::string& folder) {
  std::vector<std::string> out;
  ListTreeInto(folder, "", out);
  std::sort(out.begin(), out.end());
  return out;
}

uint64_t FileWriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) return 0;
  return (static_cast<uint64_t>(d.ftLastWriteTime.dwHighDateTime) << 32) | d.ftLastWriteTime.dwLowDateTime;
}

// ---- Sandbox ----

Sandbox::Sandbox(const std::string& tag) {
  static unsigned counter = 0;
  for (;;) {
    path_ = Join(TempFolder(), "e2e " + tag + " " + std::to_string(GetCurrentProcessId()) + "-" +
                                   std::to_string(++counter));
    if (GetFileAttributesA(path_.c_str()) == INVALID_FILE_ATTRIBUTES) break;
  }
  if (!MakeFolders(path_)) Fail("could not make the sandbox " + path_);
}

Sandbox::~Sandbox() { RemoveTree(path_); }

// ---- registry ----

namespace reg {

namespace {
bool Open(Key& k, REGSAM access) {
  return RegOpenKeyExA(HKEY_CURRENT_USER, InstallKeyPath, 0, access, &k.h) == ERROR_SUCCESS;
}
}  // namespace

bool KeyExists() {
  Key k;
  return Open(k, KEY_READ);
}

bool DeleteKey() {
  LONG r = RegDeleteKeyA(HKEY_CURRENT_USER, InstallKeyPath);
  return r == ERROR_SUCCESS || !KeyExists();
}

std::optional<DWORD> Type(const std::string& value) {
  Key k;
  if (!Open(k, KEY_READ)) return std::nullopt;
  DWORD type = 0;
  if (RegQueryValueExA(k.h, value.c_str(), nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS) return std::nullopt;
  return type;
}

std::optional<std::string> String(const std::string& value) {
  Key k;
  if (!Open(k, KEY_READ)) return std::nullopt;
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(k.h, value.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
  std::string data(size, '\0');
  if (size && RegQueryValueExA(k.h, value.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size) !=
                  ERROR_SUCCESS)
    return std::nullopt;
  data.resize(strnlen(data.c_str(), size));
  return data;
}

std::optional<DWORD> Dword(const std::string& value) {
  Key k;
  if (!Open(k, KEY_READ)) return std::nullopt;
  DWORD type = 0, data = 0, size = sizeof data;
  if (RegQueryValueExA(k.h, value.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
      type != REG_DWORD)
    return std::nullopt;
  return data;
}

namespace {
bool OpenForWrite(Key& k) {
  return RegCreateKeyExA(HKEY_CURRENT_USER, InstallKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k.h,
                         nullptr) == ERROR_SUCCESS;
}
}  // namespace

bool SetString(const std::string& value, const std::string& data) {
  Key k;
  return OpenForWrite(k) && RegSetValueExA(k.h, value.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                                           static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
}

bool SetDword(const std::string& value, DWORD data) {
  Key k;
  return OpenForWrite(k) &&
         RegSetValueExA(k.h, value.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data) ==
             ERROR_SUCCESS;
}

bool DeleteValue(const std::string& value) {
  Key k;
  if (!Open(k, KEY_ALL_ACCESS)) return true;
  LONG r = RegDeleteValueA(k.h, value.c_str());
  return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
}

std::string Describe() {
  Key k;
  if (!Open(k, KEY_READ)) return std::string("HKCU\\") + InstallKeyPath + ": (no key)\n";
  std::string r = std::string("HKCU\\") + InstallKeyPath + ":\n";
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD nameLen = sizeof name, type = 0;
    BYTE data[1024];
    DWORD size = sizeof data;
    if (RegEnumValueA(k.h, i, name, &nameLen, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
    r += "  " + std::string(name) + " = ";
    if (type == REG_DWORD && size == 4) {
      DWORD v;
      memcpy(&v, data, 4);
      r += "REG_DWORD " + std::to_string(v);
    } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
      r += "REG_SZ \"" + std::string(reinterpret_cast<char*>(data), strnlen(reinterpret_cast<char*>(data), size)) +
           "\"";
    } else {
      r += "type " + std::to_string(type) + ", " + std::to_string(size) + " bytes";
    }
    r += "\n";
  }
  return r;
}

}  // namespace reg

// ---- the stand-in host ----

std::string StandInHostPath() { return Join(BuildFolder(), "tests\\fixtures\\qlr\\qlr.exe"); }

std::string InstallStandInHost(const std::string& folder) {
  std::string to = Join(folder, "qlr.exe");
  if (!MakeFolders(folder) || !CopyFileTo(StandInHostPath(), to)) {
    Fail("could not copy the stand-in host " + StandInHostPath() + " to " + to);
    return {};
  }
  return to;
}

std::string HostLogBeside(const std::string& folder) { return Join(folder, "qlr-started.txt"); }

std::optional<HostStart> WaitHostStarted(const std::string& logFile, Duration timeout) {
  if (!WaitForFile(logFile, timeout)) return std::nullopt;
  std::optional<std::string> text = ReadWholeFile(logFile);
  if (!text) return std::nullopt;
  // Two lines: "CommandLine: ..." and "CurrentDir: ...", each ended by CR LF.
  HostStart s;
  size_t pos = 0;
  while (pos < text->size()) {
    size_t end = text->find("\r\n", pos);
    if (end == std::string::npos) end = text->size();
    std::string line = text->substr(pos, end - pos);
    if (line.rfind("CommandLine: ", 0) == 0) s.commandLine = line.substr(13);
    if (line.rfind("CurrentDir: ", 0) == 0) s.currentDir = line.substr(12);
    pos = end + 2;
  }
  return s;
}

void SetHostEnvironment(const std::string& logFile, unsigned timeoutMs) {
  SetEnvironmentVariableA("QLR_LOG", logFile.empty() ? nullptr : logFile.c_str());
  SetEnvironmentVariableA("QLR_TIMEOUT_MS", timeoutMs ? std::to_string(timeoutMs).c_str() : nullptr);
}

namespace {
BOOL CALLBACK CollectHosts(HWND hwnd, LPARAM lp) {
  if (GetPropA(hwnd, HostProperty)) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
  return TRUE;
}
}  // namespace

std::vector<HWND> HostWindows() {
  std::vector<HWND> r;
  EnumWindows(CollectHosts, reinterpret_cast<LPARAM>(&r));
  return r;
}

bool WaitHostWindow(Duration timeout) {
  return WaitUntil([] { return !HostWindows().empty(); }, timeout);
}

bool CloseHostWindows(Duration timeout) {
  for (HWND h : HostWindows()) PostMessageA(h, WM_CLOSE, 0, 0);
  if (WaitUntil([] { return HostWindows().empty(); }, timeout)) return true;
  Fail("host windows still open after WM_CLOSE");
  return false;
}

SetupRun StartHost(const std::string& qlrPath, bool running, Duration timeout) {
  SetupRun host = SetupRun::Start(qlrPath, running ? std::vector<std::string>{"--running"} : std::vector<std::string>{});
  if (!host) return host;
  bool up = WaitUntil(
      [&] {
        for (HWND h : HostWindows()) {
          DWORD pid = 0;
          GetWindowThreadProcessId(h, &pid);
          if (pid == host.Pid()) return true;
        }
        return !host.Running();
      },
      timeout);
  if (!up || !host.Running()) Fail("the stand-in host " + qlrPath + " made no window with the host's property");
  return host;
}

}  // namespace e2e
