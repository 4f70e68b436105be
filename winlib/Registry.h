// The registry class: failures are results (false, empty), never raised.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

class TRegistry {
 public:
  TRegistry() = default;
  ~TRegistry() { CloseKey(); }
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  HKEY RootKey() const { return RootKey_; }
  void SetRootKey(HKEY root) { CloseKey(); RootKey_ = root; }  // default HKEY_CURRENT_USER
  // canCreate: RegCreateKeyExA (non-volatile, KEY_ALL_ACCESS), so the key
  // exists afterwards; otherwise RegOpenKeyExA with KEY_ALL_ACCESS.
  bool OpenKey(const std::string& key, bool canCreate);
  void CloseKey();
  HKEY CurrentKey() const { return Key_; }  // owned; nullptr when closed

  bool ValueExists(const std::string& name) const;
  // The data of a value of any type and length as text up to its first NUL
  // (nothing beyond the data is read). Empty when the value is missing.
  std::string ReadString(const std::string& name) const;
  // A REG_DWORD value; false (value untouched) when missing or of another type.
  bool ReadInteger(const std::string& name, int32_t& value) const;
  bool WriteString(const std::string& name, const std::string& value);  // REG_SZ with its NUL
  bool WriteInteger(const std::string& name, int32_t value);           // REG_DWORD

 private:
  HKEY RootKey_ = HKEY_CURRENT_USER;
  HKEY Key_ = nullptr;
};

// The text of raw value data: up to the first NUL, never beyond size.
std::string RegistryDataText(const unsigned char* data, size_t size);
