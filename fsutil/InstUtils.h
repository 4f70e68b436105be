// The file-system vocabulary of the setup: paths, special folders, folder and
// file operations, temporary files and the removable-drive test.
// None of these report or raise: they answer false, the empty string or the
// current time.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include "DosTime.h"

// ---- Paths and special folders ----

enum : int {
  CSIDL_PERSONAL_ID = 5,         // the user's documents
  CSIDL_COMMON_APPDATA_ID = 35,  // application data shared by all users
  CSIDL_PROGRAM_FILES_ID = 38,
};

void AddPathDelimiter(std::string& path);
std::string JoinPath(const std::string& folder, const std::string& name);
char LastChar(const std::string& s);
void DeleteFirstChar(std::string& s);
void DeleteLastChar(std::string& s);
bool EqualsNoCase(const std::string& a, const std::string& b);
// Paths are ANSI strings of the system's code page; widened by that code page.
std::wstring WidenString(const std::string& s);
// The program's own message texts are code page 1252 on every system.
std::wstring WidenMessage(const std::string& s);
std::string DrivePart(const std::string& path);
std::string FolderPart(const std::string& path);
std::string SpecialFolderPath(int csidl);

// Start-up: restricts the DLL search to the system folder, starts OLE and
// binds SHGetFolderPathA. Called first thing by the entry; a second call does
// nothing. (SpecialFolderPath binds by itself if it runs before.)
void InitInstUtils();
// OLE shutdown, at the very end of the program.
void ShutdownInstUtils();
// A library loaded from the system folder only, never from the program's
// folder or the current directory; nullptr when that fails.
HMODULE LoadSystemLibrary(const char* name);
// WNetGetConnectionA of mpr.dll, loaded from the system folder on first use
// (mpr is not imported statically); ERROR_NOT_SUPPORTED when unavailable.
DWORD BoundWNetGetConnectionA(LPCSTR localName, LPSTR remoteName, LPDWORD length);

// ---- Directory and file operations ----

std::string CurrentFolder();
void PushCurrentFolder();
void PopCurrentFolder();
bool FolderExists(const std::string& path);
bool IsExistingFile(const std::string& path);
void MakeDirTree(const std::string& path);
void SaveStringToFile(const std::string& fileName, const std::string& content);
// Folder links (junctions, symbolic links) are never entered: a link is
// removed as a link where that can be done safely, else left in place.
void RemoveDirTree(const std::string& folder);
TDateTime FileModTime(const std::string& path);
TDateTime CurrentDateTime();

// ---- Temporary files ----

std::string TempFolder();
std::string TempFilePrefix();
std::string MakeTempFileName();
void RemoveTempFiles();

// ---- Removable drives ----

// DRIVE_NO_ROOT_DIR for a path with neither drive letter nor share.
UINT DriveTypeOf(const std::string& path);
bool IsRemovableDrive(const std::string& path);
// The storage-descriptor rule on the bytes a query returned (548-byte buffer,
// zero-filled beyond what the device answered).
bool DescriptorMeansRemovable(const unsigned char* descriptor, size_t size);
