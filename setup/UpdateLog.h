// The two records a shared installation leaves for the host's side: the
// 8-byte install stamp and the update log (groups of installed paths under
// time markers). The formats are read by the host and must not change.
#pragma once
#include <functional>
#include <string>
#include <vector>
#include "DosTime.h"

// ---- pure parts (no Win32) ----

// <0, 0, >0; equal means "the same line".
using LineCompare = std::function<int(const std::string&, const std::string&)>;

// The 8 bytes of the time as it lies in memory (little-endian double).
std::string InstallStampBytes(TDateTime time);
// "*" and the 8 bytes in memory order, two upper-case hex digits each.
std::string InstallMarker(TDateTime time);
bool IsMarkerLine(const std::string& line);  // begins with "*"

// Stable sort by the comparison.
void SortLines(std::vector<std::string>& lines, const LineCompare& compare);

// The new log: the old lines without empty ones and without those equal to
// an installed line (installed must be sorted by compare: binary search);
// of adjacent markers only the first stays; a marker left at the end goes.
// Then the new marker and the installed lines in their order.
std::vector<std::string> MergeUpdateLog(std::vector<std::string> logLines, const std::vector<std::string>& installed,
                                        const std::string& marker, const LineCompare& compare);

// ---- on the system ----

// CompareStringA, user default locale, NORM_IGNORECASE | SORT_STRINGSORT.
int CompareLogLines(const std::string& a, const std::string& b);

// Where both records live: the shared application-data folder, or the
// user's documents when the shell does not know it. Asked anew each time.
std::string RecordsBaseFolder();
std::string InstallStampPath();  // <base>\Quillora\Hidden\install_stamp
std::string UpdateLogPath();     // <base>\Quillora\Update.log

// Writes the stamp; its folder is not created and failures are silent.
void WriteInstallStamp(TDateTime time);

// Sorts installed in place, then rewrites the log at logPath with the
// group of this run. Nothing at all when installed is empty. Reading or
// writing errors raise the class library's file exceptions.
void UpdateLogFile(const std::string& logPath, std::vector<std::string>& installed, TDateTime time);
