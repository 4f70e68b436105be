// The store of the files that travel inside the executable.
#pragma once
#include <windows.h>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>
#include "DosTime.h"

struct TAttachedFile {
  std::string Name;
  int32_t Size = 0;
  TDateTime ModTime = 0;
  int32_t DataOffset = 0;
};

struct TFileToInstall {
  const TAttachedFile* Entry;  // borrowed from the store
  std::string DestFileName;
};

enum InstallMode : uint8_t { imKeepExisting = 0, imReplaceChanged = 1, imAlwaysReplace = 2 };

// Thrown (only) by the constructor when the payload is missing or damaged;
// the entry reports it and ends without writing anything.
struct PayloadError {
  std::string what;
};

typedef std::vector<std::unique_ptr<TAttachedFile>> TAttachedFileList;

// The store's lookup: the last entry whose name equals `name` (EqualsNoCase).
const TAttachedFile* FindEntryByName(const TAttachedFileList& entries, const std::string& name);
// The queue's selection, in container order: for a name ending in a backslash
// every entry whose name begins with it, otherwise the first equal one only.
std::vector<const TAttachedFile*> SelectEntries(const TAttachedFileList& entries, const std::string& name);

class TAttachedFiles {
 public:
  // Loads, inflates and parses the resource "FILES" of type "FILES".
  TAttachedFiles();
  // For tests: the same from a zlib stream given in memory.
  TAttachedFiles(const unsigned char* stream, size_t size);
  ~TAttachedFiles();  // frees everything, then RemoveTempFiles()
  TAttachedFiles(const TAttachedFiles&) = delete;
  TAttachedFiles& operator=(const TAttachedFiles&) = delete;

  // False without a box for a name no entry has, or an entry whose bytes do
  // not lie in this store's buffer: nothing is created then.
  bool ExtractFile(const TAttachedFile* entry, const std::string& name, const std::string& fileName);
  bool AddFileToInstall(const std::string& name, const std::string& destDir, uint8_t group, InstallMode mode);

  const unsigned char* Data() const { return Data_.get(); }
  int32_t DataSize() const { return DataSize_; }
  const TAttachedFileList& Entries() const { return Entries_; }
  // How often the inflate buffer had to grow past its first estimate.
  int InflateGrowths() const { return InflateGrowths_; }
  // The store has one group: `group` must be 0 (AddFileToInstall refuses others).
  std::vector<std::unique_ptr<TFileToInstall>>& InstallGroup(uint8_t group) { return InstallGroups_[group]; }
  // Destinations below the shared public folder, "\t!" marking mode 0 (update log).
  std::vector<std::string>& InstalledFiles() { return InstalledFiles_; }

  bool AlwaysReplace = false;

 private:
  void Load(const unsigned char* stream, size_t size);
  const TAttachedFile* FindEntry(const std::string& name) const;
  bool HoldsDataOf(const TAttachedFile& entry) const;
  bool WriteEntry(const TAttachedFile& entry, const std::string& fileName) const;
  bool QueueEntry(const TAttachedFile& entry, const std::string& destDir, uint8_t group, InstallMode mode,
                  InstallMode requestedMode);

  // The inflate buffer grows with realloc, so it is released with free.
  struct FreeBuffer {
    void operator()(unsigned char* p) const { std::free(p); }
  };
  std::unique_ptr<unsigned char, FreeBuffer> Data_;
  int32_t DataSize_ = 0;
  int InflateGrowths_ = 0;
  TAttachedFileList Entries_;
  std::vector<std::unique_ptr<TFileToInstall>> InstallGroups_[1];
  std::vector<std::string> InstalledFiles_;
};

extern TAttachedFiles* AttachedFiles;
