// The installation run of the Installing page.
#pragma once
#include <functional>
#include <string>

class TAttachedFiles;
class TMainDlgForm;

// "Spellcheck\" and "Orthographe\": index 0 is the preferred folder.
extern const char* const DictFolderNames[2];

// The dictionary folder i: below the home folder when portable, else below
// the shared "Quillora\Public\" folder (documents when the shell has no
// shared data folder). Ends with a backslash.
std::string DictFolder(int i, bool portable, const std::string& homeDir);

// Sets AlwaysReplace and queues the seven dictionary entries into the
// folders that exist ("Spellcheck" when none does). isPortable is asked
// once for AlwaysReplace and once per folder.
void QueueDictionaries(TAttachedFiles& store, const std::string& homeDir, const std::function<bool()>& isPortable);

// Writes group 0 in queue order; false at the first item the user
// abandoned (Abort), the rest then stays unwritten.
bool WriteQueuedFiles(TAttachedFiles& store);

// The whole run for the wizard: queue, InstallStarted, write. True when
// every item was written (or ignored).
bool RunInstallation(TMainDlgForm& form);
