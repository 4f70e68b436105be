#include "PayloadList.h"

#include "DosTime.h"

#include <cctype>
#include <fstream>
#include <set>

namespace {

bool Digits(const std::string& s, size_t pos, size_t count, int& value) {
  value = 0;
  for (size_t i = pos; i < pos + count; ++i) {
    if (i >= s.size() || !std::isdigit(static_cast<unsigned char>(s[i]))) return false;
    value = value * 10 + (s[i] - '0');
  }
  return true;
}

// Upper case as Windows maps code page 1252, which the setup's name
// comparison uses on the machines it is made for.
std::string Upper(std::string s) {
  for (char& ch : s) {
    unsigned char c = static_cast<unsigned char>(ch);
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) c -= 0x20;
    else if (c == 0x9A || c == 0x9C || c == 0x9E) c -= 0x10;
    else if (c == 0xFF) c = 0x9F;
    ch = static_cast<char>(c);
  }
  return s;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

bool Expand(const std::string& in, const std::map<std::string, std::string>& vars, std::string& out,
            std::string& why) {
  out.clear();
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] == '$' && i + 1 < in.size() && in[i + 1] == '{') {
      size_t close = in.find('}', i + 2);
      if (close == std::string::npos) {
        why = "unterminated ${ in the source path";
        return false;
      }
      std::string var = in.substr(i + 2, close - i - 2);
      auto it = vars.find(var);
      if (it == vars.end()) {
        why = "the source path uses ${" + var + "}, which was not given (-D " + var + "=...)";
        return false;
      }
      out += it->second;
      i = close;
    } else {
      out += in[i];
    }
  }
  return true;
}

}  // namespace

bool ParseDosTime(const std::string& text, uint32_t& dos, std::string& why) {
  int y, mo, d, h, mi, s;
  if (text.size() != 19 || !Digits(text, 0, 4, y) || text[4] != '-' || !Digits(text, 5, 2, mo) ||
      text[7] != '-' || !Digits(text, 8, 2, d) || text[10] != ' ' || !Digits(text, 11, 2, h) ||
      text[13] != ':' || !Digits(text, 14, 2, mi) || text[16] != ':' || !Digits(text, 17, 2, s)) {
    why = "time \"" + text + "\" is not of the form YYYY-MM-DD HH:MM:SS";
    return false;
  }
  double days;
  if (!EncodeDate(y, mo, d, days) || h > 23 || mi > 59 || s > 59) {
    why = "time \"" + text + "\" names no real date and time";
    return false;
  }
  if (y < 1980 || y > 2099) {
    why = "time \"" + text + "\" cannot be stored: DOS times cover the years 1980 to 2099";
    return false;
  }
  if (s % 2) {
    why = "time \"" + text + "\" cannot be stored exactly: DOS times have two-second steps (use an even second)";
    return false;
  }
  const uint32_t date = uint32_t(d) | uint32_t(mo) << 5 | uint32_t(y - 1980) << 9;
  const uint32_t time = uint32_t(s / 2) | uint32_t(mi) << 5 | uint32_t(h) << 11;
  dos = date << 16 | time;
  return true;
}

bool CheckEntryName(const std::string& name, std::string& why) {
  if (name.empty() || name.size() > 255) {
    why = "entry name must be 1 to 255 bytes long (is " + std::to_string(name.size()) + ")";
    return false;
  }
  size_t start = 0;
  for (;;) {
    size_t end = name.find('\\', start);
    std::string part = name.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (part.empty()) {
      why = "entry name \"" + name + "\" has an empty folder or file part";
      return false;
    }
    if (part == "." || part == "..") {
      why = "entry name \"" + name + "\" has a \".\" or \"..\" part";
      return false;
    }
    for (unsigned char c : part) {
      if (c < 32 || std::string("/:*?\"<>|").find(static_cast<char>(c)) != std::string::npos) {
        why = "entry name \"" + name + "\" holds a character that Windows file names cannot";
        return false;
      }
    }
    if (part.back() == ' ' || part.back() == '.') {
      why = "entry name \"" + name + "\" has a part ending in a blank or a dot, which Windows drops";
      return false;
    }
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return true;
}

bool ReadPayloadList(const std::string& listPath, const std::map<std::string, std::string>& vars,
                     std::vector<ListEntry>& entries, std::string& error) {
  entries.clear();
  std::ifstream in(listPath, std::ios::binary);
  if (!in) {
    error = listPath + ": cannot open the list";
    return false;
  }
  const std::string base = FolderOf(listPath);
  std::set<std::string> names;
  std::string line;
  int lineNo = 0;
  auto fail = [&](const std::string& why) {
    error = listPath + ":" + std::to_string(lineNo) + ": " + why;
    entries.clear();
    return false;
  };
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // An editor's byte-order mark would otherwise become part of the first name.
    if (lineNo == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
    size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;
    size_t tab1 = line.find('\t');
    size_t tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
    if (tab2 == std::string::npos || line.find('\t', tab2 + 1) != std::string::npos)
      return fail("expected three fields separated by tabs: name, time, source path");
    ListEntry e;
    e.line = lineNo;
    e.name = line.substr(0, tab1);
    e.timeText = line.substr(tab1 + 1, tab2 - tab1 - 1);
    std::string why;
    if (!CheckEntryName(e.name, why)) return fail(why);
    if (!names.insert(Upper(e.name)).second)
      return fail("entry name \"" + e.name + "\" repeats an earlier one (names are compared ignoring case)");
    if (!ParseDosTime(e.timeText, e.dosTime, why)) return fail(why);
    e.modTime = DosToDateTime(e.dosTime);
    if (DateTimeToDos(e.modTime) != e.dosTime)
      return fail("time \"" + e.timeText + "\" does not survive the DOS time conversion");
    std::string src;
    if (!Expand(line.substr(tab2 + 1), vars, src, why)) return fail(why);
    if (src.empty()) return fail("the source path is empty");
    e.source = src[0] == '/' ? src : base + "/" + src;
    entries.push_back(std::move(e));
  }
  return true;
}
