// A DLL that only tells on itself: loaded into a process, it writes
// "<its own path>.loaded" holding the path of the program that loaded it.
// Copied under the names of system DLLs into a program's folder, a marker
// means the program took a DLL from its own folder.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  char dll[MAX_PATH * 2] = {}, exe[MAX_PATH * 2] = {};
  GetModuleFileNameA(self, dll, MAX_PATH);
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  lstrcatA(dll, ".loaded");
  HANDLE f = CreateFileA(dll, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f != INVALID_HANDLE_VALUE) {
    DWORD put = 0;
    WriteFile(f, exe, static_cast<DWORD>(lstrlenA(exe)), &put, nullptr);
    CloseHandle(f);
  }
  return TRUE;
}
