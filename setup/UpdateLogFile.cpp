// The records on disk: the stamp through SaveStringToFile, the log through a
// string list (its file errors are the class library's exceptions).
#include "Classes.h"
#include "AttachFiles.h"
#include "InstUtils.h"
#include "MainDlg.h"
#include "UpdateLog.h"

int CompareLogLines(const std::string& a, const std::string& b) { return CompareStrings(a, b); }

std::string RecordsBaseFolder() {
  std::string base = SpecialFolderPath(CSIDL_COMMON_APPDATA_ID);
  if (base.empty()) base = SpecialFolderPath(CSIDL_PERSONAL_ID);
  return base;
}

std::string InstallStampPath() { return JoinPath(RecordsBaseFolder(), "Quillora\\Hidden\\install_stamp"); }

std::string UpdateLogPath() { return JoinPath(RecordsBaseFolder(), "Quillora\\Update.log"); }

void WriteInstallStamp(TDateTime time) { SaveStringToFile(InstallStampPath(), InstallStampBytes(time)); }

void UpdateLogFile(const std::string& logPath, std::vector<std::string>& installed, TDateTime time) {
  if (installed.empty()) return;  // the log is neither read nor written
  SortLines(installed, CompareLogLines);

  std::vector<std::string> lines;
  if (IsExistingFile(logPath)) {
    TStringList old;
    old.LoadFromFile(logPath);  // raises when locked or unreadable
    lines.reserve(old.Count());
    for (int i = 0; i < old.Count(); ++i) lines.push_back(old[i]);
  }
  lines = MergeUpdateLog(std::move(lines), installed, InstallMarker(time), CompareLogLines);

  TStringList out;
  for (const std::string& line : lines) out.Add(line);
  out.SaveToFile(logPath);  // every line with CR LF; raises on failure
}

void TMainDlgForm::UpdateInstallLog() {
  UpdateLogFile(UpdateLogPath(), AttachedFiles->InstalledFiles(), InstallTime);
}
