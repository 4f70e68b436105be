// The install queue: which entries are written where, and the record of the
// destinations in the shared public folder for the update log.
#include "AttachFiles.h"

#include "InstUtils.h"

namespace {

// Looked up anew for each queued entry. Without the shared data folder this
// is the bare relative text, which no full destination matches.
std::string SharedPublicFolder() {
  return JoinPath(SpecialFolderPath(CSIDL_COMMON_APPDATA_ID), "Quillora\\Public\\");
}

}  // namespace

bool TAttachedFiles::AddFileToInstall(const std::string& name, const std::string& destDir, uint8_t group,
                                      InstallMode mode) {
  if (group >= sizeof InstallGroups_ / sizeof InstallGroups_[0]) return false;
  const InstallMode requestedMode = mode;
  if (AlwaysReplace) mode = imAlwaysReplace;
  bool queued = false;
  for (const TAttachedFile* entry : SelectEntries(Entries_, name))
    if (QueueEntry(*entry, destDir, group, mode, requestedMode)) queued = true;
  return queued;
}

bool TAttachedFiles::QueueEntry(const TAttachedFile& entry, const std::string& destDir, uint8_t group,
                                InstallMode mode, InstallMode requestedMode) {
  const std::string dest = JoinPath(destDir, entry.Name);
  // Stamped files read back with the entry's time bit for bit, so an
  // untouched earlier installation compares equal.
  const bool write = mode == imAlwaysReplace || !IsExistingFile(dest) ||
                     (mode == imReplaceChanged && FileModTime(dest) != entry.ModTime);
  if (!write) return false;

  InstallGroups_[group].push_back(std::make_unique<TFileToInstall>(TFileToInstall{&entry, dest}));

  const std::string shared = SharedPublicFolder();
  if (EqualsNoCase(dest.substr(0, shared.size()), shared))
    InstalledFiles_.push_back(requestedMode == imKeepExisting ? dest + "\t!" : dest);
  return true;
}
