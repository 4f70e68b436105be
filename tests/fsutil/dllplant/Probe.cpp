// dllprobe <mode>: loads what the setup loads, the way a mode says.
//   protected        InitInstUtils, SpecialFolderPath, BoundWNetGetConnectionA
//   protected-plain  the same, then LoadLibraryA of mpr.dll and shfolder.dll
//   plain            only LoadLibraryA of mpr.dll and shfolder.dll (no restriction)
// Exit code: bit 0 SpecialFolderPath(35) was empty, bit 1 the network call
// was not bound, 64 for an unknown mode.
#include <windows.h>

#include <cstring>

#include "InstUtils.h"

int main(int argc, char** argv) {
  const char* mode = argc > 1 ? argv[1] : "";
  int result = 0;
  const bool restricted = std::strcmp(mode, "protected") == 0 || std::strcmp(mode, "protected-plain") == 0;
  if (restricted) {
    InitInstUtils();
    if (SpecialFolderPath(CSIDL_COMMON_APPDATA_ID).empty()) result |= 1;
    char remote[261] = {};
    DWORD size = sizeof remote;
    if (BoundWNetGetConnectionA("C:", remote, &size) == ERROR_NOT_SUPPORTED) result |= 2;
  } else if (std::strcmp(mode, "plain") != 0) {
    return 64;
  }
  if (std::strcmp(mode, "protected") != 0) {
    LoadLibraryA("mpr.dll");
    LoadLibraryA("shfolder.dll");
  }
  if (restricted) ShutdownInstUtils();
  return result;
}
