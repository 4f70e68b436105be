// Text rules of the drive and folder controls that need no window.
#include <windows.h>

#include "FileCtrl.h"
#include "InstUtils.h"

namespace {

// The double-byte facts of the ANSI code page, read once.
struct DbcsInfo {
  bool enabled = false;
  bool lead[256] = {};
  DbcsInfo() {
    enabled = GetSystemMetrics(SM_DBCSENABLED) != 0;
    CPINFO info{};
    if (GetCPInfo(CP_ACP, &info))
      for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i]; i += 2)
        for (int b = info.LeadByte[i]; b <= info.LeadByte[i + 1] && b < 256; ++b) lead[b] = true;
  }
};
const DbcsInfo& Dbcs() {
  static const DbcsInfo info;
  return info;
}

bool IsLeadByte(char c) { return Dbcs().lead[static_cast<unsigned char>(c)]; }

std::string LocaleLower(const std::string& s) {
  std::string r = s;
  if (!r.empty()) CharLowerBuffA(&r[0], static_cast<DWORD>(r.size()));
  return r;
}

}  // namespace

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

std::string LowerCaseFileText(const std::string& text) {
  if (!Dbcs().enabled) return LocaleLower(text);
  std::string r;
  r.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (IsLeadByte(c)) {
      r += c;
      if (i + 1 < text.size()) r += text[++i];
    } else {
      r += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    }
  }
  return r;
}

int PathLevel(const std::string& path) {
  size_t end = path.size();
  int count = 0;
  bool lastIsDelimiter = false;
  for (size_t i = 0; i < end; ++i) {
    if (IsLeadByte(path[i]) && i + 1 < end) {
      ++i;
      lastIsDelimiter = false;
      continue;
    }
    lastIsDelimiter = path[i] == '\\';
    if (lastIsDelimiter) ++count;
  }
  if (lastIsDelimiter) --count;
  return count;
}

std::string NamePart(const std::string& path) { return path.substr(FolderPart(path).size()); }

