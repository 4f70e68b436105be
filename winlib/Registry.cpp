#include "Registry.h"
#include <vector>

std::string RegistryDataText(const unsigned char* data, size_t size) {
  size_t n = 0;
  while (n < size && data[n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(data), n);
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
  CloseKey();
  HKEY result = nullptr;
  LONG rc;
  if (canCreate)
    rc = RegCreateKeyExA(RootKey_, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &result,
                         nullptr);
  else
    rc = RegOpenKeyExA(RootKey_, key.c_str(), 0, KEY_ALL_ACCESS, &result);
  if (rc != ERROR_SUCCESS) return false;
  Key_ = result;
  return true;
}

void TRegistry::CloseKey() {
  if (Key_) {
    RegCloseKey(Key_);
    Key_ = nullptr;
  }
}

bool TRegistry::ValueExists(const std::string& name) const {
  if (!Key_) return false;
  return RegQueryValueExA(Key_, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::string TRegistry::ReadString(const std::string& name) const {
  if (!Key_) return std::string();
  // The value may grow between the two calls: ask again until it fits.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD size = 0;
    if (RegQueryValueExA(Key_, name.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return std::string();
    std::vector<unsigned char> buffer(size + 1, 0);
    DWORD got = size;
    LONG rc = RegQueryValueExA(Key_, name.c_str(), nullptr, nullptr, buffer.data(), &got);
    if (rc == ERROR_MORE_DATA) continue;
    if (rc != ERROR_SUCCESS) return std::string();
    // Only what the call says it wrote; data without a NUL ends there.
    return RegistryDataText(buffer.data(), got < size ? got : size);
  }
  return std::string();
}

bool TRegistry::ReadInteger(const std::string& name, int32_t& value) const {
  if (!Key_) return false;
  DWORD type = 0, data = 0, size = sizeof data;
  if (RegQueryValueExA(Key_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS)
    return false;
  if (type != REG_DWORD || size != sizeof data) return false;
  value = static_cast<int32_t>(data);
  return true;
}

bool TRegistry::WriteString(const std::string& name, const std::string& value) {
  if (!Key_) return false;
  std::string text(value.c_str());  // up to a NUL, then the NUL itself
  return RegSetValueExA(Key_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool TRegistry::WriteInteger(const std::string& name, int32_t value) {
  if (!Key_) return false;
  DWORD data = static_cast<DWORD>(value);
  return RegSetValueExA(Key_, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data) ==
         ERROR_SUCCESS;
}
