// The payload list: one entry a line, in container order,
//   name <TAB> YYYY-MM-DD HH:MM:SS <TAB> source path
// Blank lines and lines starting with '#' are skipped. A source path is
// relative to the list's folder unless absolute; ${VAR} in it is replaced by
// a value given to the tool (-D VAR=VALUE).
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct ListEntry {
  int line;             // 1-based line in the list
  std::string name;     // the entry name
  std::string timeText; // as written
  uint32_t dosTime;     // packed DOS date (high word) and time
  double modTime;       // exactly DosToDateTime(dosTime)
  std::string source;   // resolved path of the file
};

// "YYYY-MM-DD HH:MM:SS" local time to its packed DOS form. False with a reason
// when the text is malformed, names no real date or time, or cannot be stored
// exactly (a year outside 1980..2099, an odd second).
bool ParseDosTime(const std::string& text, uint32_t& dos, std::string& why);

// Entry names become relative paths below the destination folder: 1..255
// bytes, optional folder parts ending in a backslash, nothing Windows refuses
// in a file name, no "." or ".." parts.
bool CheckEntryName(const std::string& name, std::string& why);

// Reads and checks the whole list (also that names are unique ignoring case).
// On failure `error` reads "LIST:LINE: reason".
bool ReadPayloadList(const std::string& listPath, const std::map<std::string, std::string>& vars,
                     std::vector<ListEntry>& entries, std::string& error);
