// Folder and file operations. None of them reports: each answers or quietly
// does what the system lets it do.
#include <vector>

#include "InstUtils.h"
#include "OwnedHandles.h"
#include "Internal.h"

namespace {

// Saved current directories; one entry during a FolderExists, else empty.
// Made on first use and released by ShutdownInstUtils, never by a static
// destructor: objects destroyed at process exit (a store freed then) still
// test folders, and would meet an already destroyed stack.
std::vector<std::string>* folderStack = nullptr;

std::vector<std::string>& FolderStack() {
  if (!folderStack) folderStack = new std::vector<std::string>();
  return *folderStack;
}

bool IsDotEntry(const char* name) {
  return (name[0] == '.' && name[1] == '\0') || (name[0] == '.' && name[1] == '.' && name[2] == '\0');
}

}  // namespace

void ReleaseFolderStack() {
  delete folderStack;
  folderStack = nullptr;
}

std::string CurrentFolder() {
  // The size can change between the two calls (another thread, in theory);
  // ask again until the buffer holds the answer.
  DWORD n = GetCurrentDirectoryA(0, nullptr);
  std::string s;
  for (int attempt = 0; attempt < 4 && n > 0; ++attempt) {
    s.assign(n, '\0');
    const DWORD got = GetCurrentDirectoryA(n, &s[0]);
    if (got == 0) {
      s.clear();
      break;
    }
    if (got < n) {
      s.resize(got);
      break;
    }
    n = got;  // too small: got is the size needed, NUL included
    s.clear();
  }
  AddPathDelimiter(s);
  return s;
}

void PushCurrentFolder() { FolderStack().push_back(CurrentFolder()); }

void PopCurrentFolder() {
  if (!folderStack || folderStack->empty()) return;
  std::vector<std::string>& stack = *folderStack;
  SetCurrentDirectoryA(stack.back().c_str());
  stack.pop_back();
}

bool FolderExists(const std::string& path) {
  if (path.empty()) return false;
  PushCurrentFolder();
  std::string copy = path;
  AddPathDelimiter(copy);
  // A path with a NUL inside would be cut short by the call and could name
  // another folder; the comparison below then fails on the length.
  SetCurrentDirectoryA(copy.c_str());
  const bool answer = EqualsNoCase(CurrentFolder(), copy);
  PopCurrentFolder();
  return answer;
}

bool IsExistingFile(const std::string& path) {
  WIN32_FIND_DATAA data;
  FindHandle search(FindFirstFileA(path.c_str(), &data));
  return search.valid() && !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

void MakeDirTree(const std::string& path) {
  if (FolderExists(path)) return;
  std::string s = path;
  if (LastChar(s) == '\\' && EndsWithDelimiter(s)) DeleteLastChar(s);
  s = FolderPart(s);
  if (s.size() < path.size()) MakeDirTree(s);
  CreateDirectoryW(WidenString(path).c_str(), nullptr);
}

void SaveStringToFile(const std::string& fileName, const std::string& content) {
  FileHandle file(CreateFileW(WidenString(fileName).c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.valid()) return;
  const char* p = content.data();
  size_t left = content.size();
  while (left > 0) {
    const DWORD chunk = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left);
    DWORD written = 0;
    if (!WriteFile(file.get(), p, chunk, &written, nullptr) || written == 0) break;
    p += written;
    left -= written;
  }
}

bool RemoveLink(const std::string& link) {
  std::string name = link;
  while (EndsWithDelimiter(name)) DeleteLastChar(name);
  // Opened as the link itself, the handle can be deleted without following
  // the link. Wine opens the target even when asked for the link (and its
  // RemoveDirectory on a link to an empty folder removes that folder), so
  // the handle is only deleted once it proves to be the reparse point.
  FileHandle h(CreateFileW(WidenString(name).c_str(), DELETE | FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                           nullptr));
  if (!h.valid()) return false;
  FILE_ATTRIBUTE_TAG_INFO tag;
  if (!GetFileInformationByHandleEx(h.get(), FileAttributeTagInfo, &tag, sizeof tag) ||
      !(tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return false;
  FILE_DISPOSITION_INFO disposition;
  disposition.DeleteFile = TRUE;
  return SetFileInformationByHandle(h.get(), FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

void RemoveFoundEntry(const std::string& fullName, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
    RemoveLink(fullName);  // never entered: its target lies outside the tree
  else if (attributes & FILE_ATTRIBUTE_DIRECTORY)
    RemoveDirTree(fullName);
  else
    DeleteFileW(WidenString(fullName).c_str());
}

void RemoveDirTree(const std::string& folder) {
  std::string dir = folder;
  AddPathDelimiter(dir);
  if (dir.empty()) return;
  {
    // A link handed in by the caller is removed as a link, like one met
    // inside the tree.
    std::string self = dir;
    DeleteLastChar(self);
    const DWORD attrs = LastChar(self) == ':' ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(self.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_REPARSE_POINT)) {
      RemoveLink(self);
      return;
    }
  }
  {
    WIN32_FIND_DATAA data;
    FindHandle search(FindFirstFileA((dir + "*.*").c_str(), &data));
    if (search.valid()) {
      do {
        if (IsDotEntry(data.cFileName)) continue;
        RemoveFoundEntry(dir + data.cFileName, data.dwFileAttributes);
      } while (FindNextFileA(search.get(), &data));
    }
  }
  RemoveDirectoryW(WidenString(dir).c_str());
}

TDateTime FileModTime(const std::string& path) {
  WIN32_FIND_DATAA data;
  {
    FindHandle search(FindFirstFileA(path.c_str(), &data));
    if (!search.valid()) return CurrentDateTime();
  }
  FILETIME local;
  WORD date = 0, time = 0;
  // A time the DOS format cannot hold gives day 0, which no payload time has.
  if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) ||
      !FileTimeToDosDateTime(&local, &date, &time)) {
    date = 0;
    time = 0;
  }
  return DosToDateTime((uint32_t(date) << 16) | time);
}

TDateTime CurrentDateTime() {
  // One reading for both halves: two readings straddling midnight would
  // pair one day's date with the next day's time.
  SYSTEMTIME st;
  GetLocalTime(&st);
  CalendarTime c{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
  return EncodeDateTime(c);
}
