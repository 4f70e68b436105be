// What the page-flow scenarios share: the payload read back from Setup.exe,
// a prefix state that every scenario leaves as it found it, a home folder
// with the stand-in host, and the walk through the pages.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "Container.h"
#include "Driver.h"

namespace flow {

using namespace e2e;

// The entries of the FILES resource of Setup.exe (inflated and parsed here).
struct PayloadEntry {
  std::string name;
  double modTime;
  std::string data;
};
const std::vector<PayloadEntry>& Payload();
const PayloadEntry& Entry(const std::string& name);  // fails the test when absent

// The seven dictionary entries in queue order.
extern const char* const kDictNames[7];

// Page titles, 0..5.
extern const char* const kTitles[6];

// Saves the install key and the shared "Quillora" folder, clears both, and
// puts them back at the end; the temporary folder must hold no file of the
// setup's prefix when the scenario ends either.
class CleanPrefix {
 public:
  CleanPrefix();
  ~CleanPrefix();
  CleanPrefix(const CleanPrefix&) = delete;
  CleanPrefix& operator=(const CleanPrefix&) = delete;

 private:
  std::vector<std::pair<std::string, std::vector<unsigned char>>> values_;  // name, type + data
  bool hadKey_ = false;
  std::string savedShared_;
};

std::string SharedRoot();    // <common app data>\Quillora
std::string PublicFolder(const std::string& dict);  // <root>\Public\<dict>
std::string StampPath();     // <root>\Hidden\install_stamp
std::string LogPath();       // <root>\Update.log

// Files in the temporary folder that carry the setup's prefix.
std::vector<std::string> SetupTempFiles();

// The TDateTime of a file's last write, local, as the setup reads it.
double ModTime(const std::string& path);
bool SetModTime(const std::string& path, double localTime);

// Sorted as the update log sorts: CompareStringA, user default locale,
// NORM_IGNORECASE | SORT_STRINGSORT.
void SortLikeTheLog(std::vector<std::string>& lines);
std::vector<std::string> SplitCrLf(const std::string& text, bool* everyLineEnded = nullptr);
std::string Hex(const std::string& bytes);
std::string Printable(const std::string& s);

// A home folder (with blanks in its path) holding the stand-in host.
struct Home {
  Sandbox box{"flow home"};
  std::string path = box / "Quillora WP";
  std::string qlr = InstallStandInHost(path);
};

// Presses Next from page `from` until page `to` shows (each title checked).
// Screenshots of every page reached go to screenshots/<tag>-page<n>.png.
bool NextTo(const Wizard& w, int from, int to, const std::string& tag = "");

// The close question: its text and the answer that quits.
bool IsCloseQuestion(const std::string& text);

}  // namespace flow
