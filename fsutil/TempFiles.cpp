// The program's temporary files: one folder, one name prefix, a free name,
// and the clean-up of everything carrying the prefix.
#include <vector>

#include "InstUtils.h"
#include "Internal.h"
#include "OwnedHandles.h"

namespace {
// The window title of the setup; the prefix is made of its letters.
const char* const TitleForPrefix = "Quillora Irish Spellchecker - Setup";
}  // namespace

std::string TempFolder() {
  std::string path;
  DWORD n = GetTempPathA(0, nullptr);
  // The variables behind the answer may change between two calls; take the
  // new size and ask again.
  for (int attempt = 0; attempt < 4 && n > 0; ++attempt) {
    std::vector<char> buffer(n + 1, '\0');
    const DWORD got = GetTempPathA(n, buffer.data());
    if (got == 0) break;
    if (got < n) {
      path.assign(buffer.data());  // up to the first NUL
      break;
    }
    n = got;
  }
  if (!FolderExists(path)) path = SpecialFolderPath(CSIDL_PERSONAL_ID);
  AddPathDelimiter(path);
  return path;
}

std::string TempFilePrefix() {
  std::string prefix = "~";
  for (const char* p = TitleForPrefix; *p; ++p)
    if ((*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z')) prefix += *p;
  return prefix;
}

std::string MakeTempFileName() {
  const std::string base = TempFolder() + TempFilePrefix();
  for (unsigned long n = 0;; ++n) {
    const std::string name = base + std::to_string(n) + ".tmp";
    if (!IsExistingFile(name)) return name;
  }
}

void RemoveTempFiles() {
  const std::string folder = TempFolder();
  const std::string prefix = TempFilePrefix();
  WIN32_FIND_DATAA data;
  FindHandle search(FindFirstFileA((folder + "*.*").c_str(), &data));
  if (!search.valid()) return;
  do {
    if (std::string(data.cFileName).compare(0, prefix.size(), prefix) != 0) continue;
    RemoveFoundEntry(folder + data.cFileName, data.dwFileAttributes);
  } while (FindNextFileA(search.get(), &data));
}
