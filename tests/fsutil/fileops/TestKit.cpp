#include "TestKit.h"

#include <vector>

#include "DriveCtl.h"

namespace {
std::string SystemTemp() {
  char buf[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathA(MAX_PATH + 1, buf);
  return n > 0 && n <= MAX_PATH ? std::string(buf, n) : std::string("C:\\");
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }
}  // namespace

Scratch::Scratch(const char* tag) {
  // Unique per object: the removal of an earlier one may still be running.
  static int counter = 0;
  path_ = SystemTemp() + "fsutil-" + tag + "-" + std::to_string(GetCurrentProcessId()) + "-" +
          std::to_string(++counter) + "\\";
  CreateDirectoryA(path_.c_str(), nullptr);
}

Scratch::~Scratch() {
  // rm -rf removes links as links; nothing here follows them.
  const std::string unix = UnixPathOf(path_);
  if (!unix.empty() && unix.size() > 8) RunUnix("/bin/rm -rf " + Quoted(unix));
}

DWORD RunAndWait(const std::string& commandLine, const std::string& workFolder) {
  std::vector<char> cmd(commandLine.begin(), commandLine.end());
  cmd.push_back('\0');
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi;
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      workFolder.empty() ? nullptr : workFolder.c_str(), &si, &pi))
    return 999;
  WaitForSingleObject(pi.hProcess, 60000);
  DWORD code = 998;
  if (!GetExitCodeProcess(pi.hProcess, &code)) code = 998;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

bool RunUnix(const std::string& commandLine) { return RunAndWait(commandLine) != 999; }

bool MakeUnixLink(const std::string& target, const std::string& link) {
  const std::string t = UnixPathOf(target), l = UnixPathOf(link);
  if (t.empty() || l.empty()) return false;
  if (!RunUnix("/bin/ln -s " + Quoted(t) + " " + Quoted(l))) return false;
  // Waiting on a Unix process under Wine returns at once; poll for the link.
  for (int i = 0; i < 100; ++i) {
    WIN32_FIND_DATAA d;
    HANDLE h = FindFirstFileA(link.c_str(), &d);
    if (h != INVALID_HANDLE_VALUE) {
      FindClose(h);
      return true;
    }
    Sleep(50);
  }
  return false;
}

bool WriteBytes(const std::string& path, const std::string& content) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(h, content.data(), DWORD(content.size()), &written, nullptr) && written == content.size();
  CloseHandle(h);
  return ok;
}

std::string ReadBytes(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  std::string s;
  char buf[4096];
  DWORD got = 0;
  while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) s.append(buf, got);
  CloseHandle(h);
  return s;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string RawCurrentDirectory() {
  char buf[MAX_PATH + 1] = {};
  GetCurrentDirectoryA(MAX_PATH + 1, buf);
  return buf;
}
