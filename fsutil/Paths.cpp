// The path vocabulary: delimiters, joining, comparing, widening, and the
// drive and folder parts of a path.
#include <climits>

#include "InstUtils.h"
#include "Internal.h"

bool IsTrailByteAt(const std::string& s, size_t index) {
  // Only a forward scan can tell a trail byte from a lead byte or a single
  // byte: in code page 932 the second byte of many characters is 0x5C.
  size_t i = 0;
  while (i < index) i += IsDBCSLeadByte(static_cast<BYTE>(s[i])) ? 2 : 1;
  return i > index;
}

bool EndsWithDelimiter(const std::string& s) {
  if (s.empty()) return false;
  const char c = s.back();
  return (c == '\\' || c == '/') && !IsTrailByteAt(s, s.size() - 1);
}

void AddPathDelimiter(std::string& path) {
  if (path.empty()) return;
  if (EndsWithDelimiter(path))
    path.back() = '\\';
  else
    path += '\\';
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  std::string result = folder;
  AddPathDelimiter(result);
  return result + name;
}

char LastChar(const std::string& s) { return s.empty() ? '\0' : s.back(); }

void DeleteFirstChar(std::string& s) {
  if (!s.empty()) s.erase(0, 1);
}

void DeleteLastChar(std::string& s) {
  if (!s.empty()) s.pop_back();
}

namespace {

std::string UpperCopy(const std::string& s) {
  std::string u = s;
  if (!u.empty() && u.size() <= MAXDWORD) CharUpperBuffA(&u[0], static_cast<DWORD>(u.size()));
  return u;
}

std::wstring Widen(UINT codePage, const std::string& s) {
  if (s.empty() || s.size() > INT_MAX) return std::wstring();
  const int len = static_cast<int>(s.size());
  const int n = MultiByteToWideChar(codePage, MB_PRECOMPOSED, s.data(), len, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring w(static_cast<size_t>(n), L'\0');
  const int got = MultiByteToWideChar(codePage, MB_PRECOMPOSED, s.data(), len, &w[0], n);
  w.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return w;
}

}  // namespace

bool EqualsNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && UpperCopy(a) == UpperCopy(b);
}

// Paths come from the ANSI calls in the system's code page, so they must be
// widened by that same code page, or a folder name outside Western European
// letters would name another folder in the wide calls.
std::wstring WidenString(const std::string& s) { return Widen(CP_ACP, s); }

std::wstring WidenMessage(const std::string& s) { return Widen(1252, s); }

std::string DrivePart(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
    int backslashes = 0;
    size_t i = 2;
    for (; i < path.size(); ++i) {
      if (IsDBCSLeadByte(static_cast<BYTE>(path[i]))) {
        ++i;
        continue;
      }
      if (path[i] == '\\' && ++backslashes == 2) break;
    }
    return path.substr(0, i < path.size() ? i : path.size());
  }
  return std::string();
}

std::string FolderPart(const std::string& path) {
  size_t end = 0;  // one past the last delimiter
  for (size_t i = 0; i < path.size(); ++i) {
    const char c = path[i];
    if (IsDBCSLeadByte(static_cast<BYTE>(c))) {
      ++i;  // the trail byte is never a delimiter
      continue;
    }
    if (c == '\\' || c == ':') end = i + 1;
  }
  return path.substr(0, end);
}
