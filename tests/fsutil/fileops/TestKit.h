// Scratch folders, files and Unix links for the file-operation tests.
#pragma once
#include <windows.h>
#include <string>

// A fresh folder below the system's temporary folder, with a trailing
// backslash; removed again (links included, never followed) by the destructor.
class Scratch {
 public:
  explicit Scratch(const char* tag);
  ~Scratch();
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

bool WriteBytes(const std::string& path, const std::string& content);
// The file's bytes; "<missing>" when it cannot be read.
std::string ReadBytes(const std::string& path);
bool Exists(const std::string& path);
bool IsFolder(const std::string& path);
// The current directory as the system reports it (no trailing backslash
// added), for checking that a call left it alone.
std::string RawCurrentDirectory();
// A Unix symbolic link `link` -> `target` (both Windows paths), made with
// ln -s under Wine; true once the link is there. Wine shows a link to a
// folder as a reparse point, a link to a file as a plain file.
bool MakeUnixLink(const std::string& target, const std::string& link);
// Runs a command line (in `workFolder` when given), waits up to a minute
// and answers the exit code: 999 when it did not start, 998 when no code
// could be read.
DWORD RunAndWait(const std::string& commandLine, const std::string& workFolder = std::string());
// Runs a Unix command line under Wine and waits for it; false when it did not start.
bool RunUnix(const std::string& commandLine);
