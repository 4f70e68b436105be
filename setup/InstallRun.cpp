// The installation run: where the dictionaries go, with which modes, and
// writing them.
#include "InstallRun.h"

#include "AttachFiles.h"
#include "InstUtils.h"
#include "MainDlg.h"
#include "UpdateLog.h"

bool InstallStarted = false;

const char* const DictFolderNames[2] = {"Spellcheck\\", "Orthographe\\"};

namespace {

struct DictEntry {
  const char* Name;
  InstallMode Mode;
};

// The user's own dictionary is kept; the language descriptor is always
// rewritten; the rest only when its time differs from the payload's.
const DictEntry kDictEntries[] = {
    {"Irish.asc", imAlwaysReplace},     {"hunspell.dll", imReplaceChanged}, {"ga_IE.dic", imReplaceChanged},
    {"ga_IE.aff", imReplaceChanged},    {"userdicir.tlx", imKeepExisting},  {"Irish.hyph", imReplaceChanged},
    {"Irish.thes", imReplaceChanged},
};

}  // namespace

std::string DictFolder(int i, bool portable, const std::string& homeDir) {
  if (portable) return JoinPath(homeDir, DictFolderNames[i]);
  return JoinPath(RecordsBaseFolder(), std::string("Quillora\\Public\\") + DictFolderNames[i]);
}

void QueueDictionaries(TAttachedFiles& store, const std::string& homeDir, const std::function<bool()>& isPortable) {
  // In a shared installation everything is replaced, the user dictionary
  // included (it is marked in the update log).
  store.AlwaysReplace = !isPortable();
  std::string folders[2];
  for (int i = 0; i < 2; ++i) folders[i] = DictFolder(i, isPortable(), homeDir);
  for (int i = 0; i < 2; ++i) {
    if (!FolderExists(folders[i]) && !(i == 0 && !FolderExists(folders[1]))) continue;
    for (const DictEntry& e : kDictEntries) store.AddFileToInstall(e.Name, folders[i], 0, e.Mode);
  }
}

bool WriteQueuedFiles(TAttachedFiles& store) {
  for (const auto& item : store.InstallGroup(0))
    if (!store.ExtractFile(item->Entry, item->Entry->Name, item->DestFileName)) return false;
  return true;
}

bool RunInstallation(TMainDlgForm& form) {
  InstallStarted = true;  // the settings are saved at exit from here on
  QueueDictionaries(*AttachedFiles, form.HomeDir, [&form] { return form.IsPortableInstall(); });
  return WriteQueuedFiles(*AttachedFiles);
}
