// Start-up and shutdown of the utilities: the DLL search restriction, OLE,
// and the entry points bound at run time (shell folder lookup, network names).
#include <string>

#include "InstUtils.h"
#include "Internal.h"

namespace {

typedef BOOL(WINAPI* SetDefaultDllDirectoriesFn)(DWORD);
typedef BOOL(WINAPI* SetDllDirectoryAFn)(LPCSTR);
typedef HRESULT(WINAPI* SHGetFolderPathAFn)(HWND, int, HANDLE, DWORD, LPSTR);
typedef DWORD(WINAPI* WNetGetConnectionAFn)(LPCSTR, LPSTR, LPDWORD);

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

bool initialised = false;
bool oleStarted = false;
// True once SetDefaultDllDirectories has taken: LoadLibraryEx then knows the
// LOAD_LIBRARY_SEARCH_* flags (Windows 7 without KB2533623 does not).
bool searchFlagsKnown = false;

bool folderLookupBound = false;
SHGetFolderPathAFn shGetFolderPathA = nullptr;

bool networkBound = false;
WNetGetConnectionAFn wnetGetConnectionA = nullptr;

FARPROC Kernel32Proc(const char* name) {
  HMODULE k = GetModuleHandleA("kernel32.dll");  // borrowed, always loaded
  return k ? GetProcAddress(k, name) : nullptr;
}

std::string SystemFolder() {
  UINT n = GetSystemDirectoryA(nullptr, 0);
  for (int attempt = 0; attempt < 3 && n > 0; ++attempt) {
    std::string s(n, '\0');
    const UINT got = GetSystemDirectoryA(&s[0], n);
    if (got == 0) break;
    if (got < n) {
      s.resize(got);
      return s;
    }
    n = got + 1;
  }
  return std::string();
}

void RestrictDllSearch() {
  auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
      reinterpret_cast<void*>(Kernel32Proc("SetDefaultDllDirectories")));
  if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    searchFlagsKnown = true;
    return;
  }
  // Older systems: at least take the current directory out of the search;
  // our own loads then name the system folder in full.
  auto setDir = reinterpret_cast<SetDllDirectoryAFn>(
      reinterpret_cast<void*>(Kernel32Proc("SetDllDirectoryA")));
  if (setDir) setDir("");
}

void BindFolderLookup() {
  if (folderLookupBound) return;
  folderLookupBound = true;
  // Neither library is ever freed: the entry point lives for the whole run.
  HMODULE shell = LoadSystemLibrary("shell32.dll");
  if (shell)
    shGetFolderPathA = reinterpret_cast<SHGetFolderPathAFn>(
        reinterpret_cast<void*>(GetProcAddress(shell, "SHGetFolderPathA")));
  if (!shGetFolderPathA) {
    HMODULE shfolder = LoadSystemLibrary("shfolder.dll");
    if (shfolder)
      shGetFolderPathA = reinterpret_cast<SHGetFolderPathAFn>(
          reinterpret_cast<void*>(GetProcAddress(shfolder, "SHGetFolderPathA")));
  }
}

}  // namespace

HMODULE LoadSystemLibrary(const char* name) {
  if (searchFlagsKnown) return LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  const std::string folder = SystemFolder();
  if (folder.empty()) return nullptr;
  // The altered search path makes the library's own imports come from its
  // folder too, not from the program's.
  return LoadLibraryExA(JoinPath(folder, name).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void InitInstUtils() {
  if (initialised) return;
  initialised = true;
  RestrictDllSearch();
  const HRESULT hr = OleInitialize(nullptr);
  oleStarted = SUCCEEDED(hr);
  BindFolderLookup();
}

void ShutdownInstUtils() {
  ReleaseFolderStack();
  if (oleStarted) OleUninitialize();
  oleStarted = false;
}

std::string SpecialFolderPath(int csidl) {
  BindFolderLookup();  // no-op after InitInstUtils
  if (!shGetFolderPathA) return std::string();
  char buffer[MAX_PATH + 1] = {};
  // The call writes at most MAX_PATH bytes; the extra byte keeps the buffer
  // terminated whatever it does.
  if (shGetFolderPathA(nullptr, csidl, nullptr, 0, buffer) != S_OK) return std::string();
  buffer[MAX_PATH] = '\0';
  return std::string(buffer);
}

DWORD BoundWNetGetConnectionA(LPCSTR localName, LPSTR remoteName, LPDWORD length) {
  if (!networkBound) {
    networkBound = true;
    HMODULE mpr = LoadSystemLibrary("mpr.dll");  // never freed
    if (mpr)
      wnetGetConnectionA = reinterpret_cast<WNetGetConnectionAFn>(
          reinterpret_cast<void*>(GetProcAddress(mpr, "WNetGetConnectionA")));
  }
  if (!wnetGetConnectionA) return ERROR_NOT_SUPPORTED;
  return wnetGetConnectionA(localName, remoteName, length);
}
