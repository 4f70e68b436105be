// The host's settings and detection.
#include "Settings.h"

#include <windows.h>

#include "InstUtils.h"
#include "MainDlg.h"
#include "Registry.h"

const char* const InstallKeyPath = "Software\\Quillora Word Processor\\Install";
const char* const HostProgramName = "qlr.exe";
const char* const HostWindowProperty = "1.x Nimbrel";

StoredSettings ReadStoredSettings(const std::string& keyPath) {
  StoredSettings s;
  TRegistry reg;
  if (!reg.OpenKey(keyPath, true)) return s;
  if (reg.ValueExists("MAINDIR")) {
    s.HasMainDir = true;
    s.MainDir = reg.ReadString("MAINDIR");
  }
  int32_t launch = 1;
  if (reg.ReadInteger("LAUNCH", launch)) s.Launch = launch != 0;
  return s;
}

void WriteStoredSettings(const std::string& homeDir, bool launch, const std::string& keyPath) {
  TRegistry reg;
  if (!reg.OpenKey(keyPath, true)) return;
  reg.WriteString("MAINDIR", homeDir);
  reg.WriteInteger("LAUNCH", launch ? 1 : 0);
}

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  std::vector<std::string> params;
  size_t i = 0, n = commandLine.size();
  for (;;) {
    while (i < n && blank(commandLine[i])) ++i;
    if (i >= n) break;
    std::string param;
    bool quoted = false;
    for (; i < n && (quoted || !blank(commandLine[i])); ++i) {
      if (commandLine[i] == '"')
        quoted = !quoted;
      else
        param += commandLine[i];
    }
    params.push_back(param);
  }
  return params;
}

bool HomeDirOption(const std::string& commandLine, std::string& folder) {
  std::vector<std::string> params = SplitCommandLine(commandLine);
  if (params.size() < 2 || params[1].compare(0, 2, "-d") != 0) return false;
  folder = params[1].substr(2);
  return true;
}

std::string DefaultHomeDir() { return JoinPath(SpecialFolderPath(CSIDL_PROGRAM_FILES_ID), "Quillora"); }

bool HoldsHost(const std::string& folder) { return IsExistingFile(JoinPath(folder, HostProgramName)); }

std::string HostCommandLine(const std::string& homeDir) {
  return "\"" + JoinPath(homeDir, HostProgramName) + "\"";
}

void LaunchHost(const std::string& homeDir) { WinExec(HostCommandLine(homeDir).c_str(), SW_SHOW); }

namespace {

BOOL CALLBACK FindHostWindow(HWND window, LPARAM found) {
  if (GetPropA(window, HostWindowProperty) != nullptr) {
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

bool HostRunning() {
  bool found = false;
  EnumWindows(FindHostWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

void TMainDlgForm::ReadSettings() {
  StoredSettings stored = ReadStoredSettings();
  HomeDir = stored.HasMainDir ? stored.MainDir : std::string();
  if (HomeDir.empty() || !FolderExists(HomeDir)) HomeDir = DefaultHomeDir();
  std::string option;
  if (HomeDirOption(GetCommandLineA(), option)) HomeDir = option;
  FinishChkBx->SetChecked(stored.Launch);
}

void TMainDlgForm::SaveSettings() { WriteStoredSettings(HomeDir, FinishChkBx->Checked()); }

// Asked anew every time: a drive can change between two questions.
bool TMainDlgForm::IsPortableInstall() { return IsRemovableDrive(HomeDir); }
