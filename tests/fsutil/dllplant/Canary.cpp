// A DLL that only tells that it was loaded: on process attach it writes the
// file "<its own file name>.loaded" beside itself, holding the program's
// path. Copied under the name of a DLL that a program loads (mpr.dll,
// shfolder.dll, ...) it shows whether the program took it from its own
// folder instead of the system folder.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  WCHAR marker[MAX_PATH + 16];
  const DWORD n = GetModuleFileNameW(instance, marker, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return TRUE;
  lstrcatW(marker, L".loaded");
  char program[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, program, MAX_PATH);
  HANDLE h = CreateFileW(marker, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(h, program, lstrlenA(program), &written, nullptr);
    CloseHandle(h);
  }
  return TRUE;
}
