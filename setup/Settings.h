// What the setup knows of the host: its settings in the registry, the "-d"
// option, whether it runs, whether a folder holds it, and how it starts.
#pragma once
#include <string>
#include <vector>

// HKEY_CURRENT_USER\<this>: "MAINDIR" (REG_SZ) and "LAUNCH" (REG_DWORD).
extern const char* const InstallKeyPath;  // "Software\\Quillora Word Processor\\Install"
extern const char* const HostProgramName; // "qlr.exe"
extern const char* const HostWindowProperty;  // "1.x Nimbrel"

struct StoredSettings {
  bool HasMainDir = false;
  std::string MainDir;  // text up to the first NUL, whatever the value's type
  bool Launch = true;   // LAUNCH missing, unreadable as a DWORD, or non-zero
};

// Both open the key with RegCreateKeyExA (KEY_ALL_ACCESS), so it exists
// afterwards; failures are silent (nothing read, nothing written).
StoredSettings ReadStoredSettings(const std::string& keyPath = InstallKeyPath);
void WriteStoredSettings(const std::string& homeDir, bool launch, const std::string& keyPath = InstallKeyPath);

// The parameters of a command line, the program's own name first. Blanks
// separate; double quotes group blanks and are removed.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);
// The folder given as "-d<folder>" in the first parameter (case-sensitive;
// only the first parameter counts). False when there is no such option.
bool HomeDirOption(const std::string& commandLine, std::string& folder);

// The default home folder: Program Files joined with "Quillora".
std::string DefaultHomeDir();
// A folder holds the host when "qlr.exe" in it is an existing file.
bool HoldsHost(const std::string& folder);
// "\"<homeDir>\qlr.exe\"" for WinExec.
std::string HostCommandLine(const std::string& homeDir);
// WinExec with SW_SHOW; the result is not looked at.
void LaunchHost(const std::string& homeDir);
