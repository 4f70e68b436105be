// The record formats and the update-log merge. No Win32 here: the
// comparison comes from the caller.
#include "UpdateLog.h"

#include <algorithm>
#include <cstring>

std::string InstallStampBytes(TDateTime time) {
  static_assert(sizeof(TDateTime) == 8, "the stamp is 8 bytes");
  char bytes[8];
  std::memcpy(bytes, &time, sizeof bytes);
  return std::string(bytes, sizeof bytes);
}

std::string InstallMarker(TDateTime time) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string marker = "*";
  for (unsigned char b : InstallStampBytes(time)) {
    marker += kHex[b >> 4];
    marker += kHex[b & 0x0F];
  }
  return marker;
}

bool IsMarkerLine(const std::string& line) { return !line.empty() && line[0] == '*'; }

void SortLines(std::vector<std::string>& lines, const LineCompare& compare) {
  std::stable_sort(lines.begin(), lines.end(),
                   [&](const std::string& a, const std::string& b) { return compare(a, b) < 0; });
}

namespace {

bool ContainsSorted(const std::vector<std::string>& sorted, const std::string& line, const LineCompare& compare) {
  auto it = std::lower_bound(sorted.begin(), sorted.end(), line,
                             [&](const std::string& a, const std::string& b) { return compare(a, b) < 0; });
  return it != sorted.end() && compare(*it, line) == 0;
}

}  // namespace

std::vector<std::string> MergeUpdateLog(std::vector<std::string> lines, const std::vector<std::string>& installed,
                                        const std::string& marker, const LineCompare& compare) {
  // Paths written again leave their old group; empty lines go too.
  for (size_t i = lines.size(); i-- > 0;)
    if (lines[i].empty() || ContainsSorted(installed, lines[i], compare)) lines.erase(lines.begin() + i);
  // Of adjacent markers the first stays: the lines after the removed ones
  // then stand under it.
  for (size_t i = lines.size(); i-- > 1;)
    if (IsMarkerLine(lines[i]) && IsMarkerLine(lines[i - 1])) lines.erase(lines.begin() + i);
  if (!lines.empty() && IsMarkerLine(lines.back())) lines.pop_back();

  lines.push_back(marker);
  lines.insert(lines.end(), installed.begin(), installed.end());
  return lines;
}
