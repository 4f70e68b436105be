// Test helper: the shell's Program Files folder made unknown for a while, by
// pointing the registry value it comes from at a folder that does not exist
// (SHGetFolderPathA then fails for CSIDL_PROGRAM_FILES). Put back on every
// path out of the scope.
#pragma once
#include <windows.h>

#include <string>

class NoProgramFiles {
 public:
  NoProgramFiles() {
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key_) != ERROR_SUCCESS) return;
    char buf[MAX_PATH] = {};
    DWORD size = sizeof buf, type = 0;
    if (RegQueryValueExA(key_, kValue, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) != ERROR_SUCCESS) return;
    saved_.assign(buf, size);
    type_ = type;
    const char missing[] = "C:\\No Program Files Here";
    changed_ = RegSetValueExA(key_, kValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(missing), sizeof missing) ==
               ERROR_SUCCESS;
  }
  ~NoProgramFiles() {
    if (changed_)
      RegSetValueExA(key_, kValue, 0, type_, reinterpret_cast<const BYTE*>(saved_.data()),
                     static_cast<DWORD>(saved_.size()));
    if (key_) RegCloseKey(key_);
  }
  NoProgramFiles(const NoProgramFiles&) = delete;
  NoProgramFiles& operator=(const NoProgramFiles&) = delete;
  bool ok() const { return changed_; }

 private:
  static constexpr const char* kKey = "Software\\Microsoft\\Windows\\CurrentVersion";
  static constexpr const char* kValue = "ProgramFilesDir";
  HKEY key_ = nullptr;
  std::string saved_;
  DWORD type_ = REG_SZ;
  bool changed_ = false;
};
