#include "AttachFiles.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>

#include "Container.h"
#include "InstUtils.h"
#include "Messages.h"
#include "OwnedHandles.h"

TAttachedFiles* AttachedFiles = nullptr;

namespace {

const size_t kMaxInflated = 0x7FFFFFFF;  // offsets and sizes are signed 32-bit

// A malloc'd buffer until it is handed over.
class Buffer {
 public:
  Buffer() = default;
  ~Buffer() { std::free(p_); }
  Buffer(const Buffer&) = delete;
  Buffer& operator=(const Buffer&) = delete;
  unsigned char* Get() const { return p_; }
  bool Resize(size_t n) {
    if (n == 0) {
      std::free(p_);
      p_ = nullptr;
      return true;
    }
    void* q = std::realloc(p_, n);
    if (!q) return false;
    p_ = static_cast<unsigned char*>(q);
    return true;
  }
  unsigned char* Release() {
    unsigned char* p = p_;
    p_ = nullptr;
    return p;
  }

 private:
  unsigned char* p_ = nullptr;
};

[[noreturn]] void Fail(const std::string& reason) { throw PayloadError{reason}; }

// A name is placed below a destination folder. One that is absolute, names
// a drive or a stream (a colon), or climbs out with "..", would write
// somewhere else. Both slashes count: the file calls take either. A part of
// only dots and blanks is refused too, as Windows trims trailing dots and
// blanks from a part, which may leave "..".
bool ClimbsOut(const std::string& part) {
  return part.find_first_not_of(". ") == std::string::npos && part.find("..") != std::string::npos;
}

bool StaysInItsFolder(const std::string& name) {
  if (!name.empty() && (name[0] == '\\' || name[0] == '/')) return false;
  if (name.find(':') != std::string::npos) return false;
  for (size_t start = 0;;) {
    const size_t end = name.find_first_of("\\/", start);
    if (ClimbsOut(name.substr(start, end == std::string::npos ? std::string::npos : end - start))) return false;
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

std::string ZlibDetail(const z_stream& zs) {
  return zs.msg ? std::string(" (") + zs.msg + ")" : std::string();
}

// zlib's state, ended on every path.
class Inflater {
 public:
  Inflater() {
    std::memset(&zs_, 0, sizeof zs_);
    // Default window bits: a zlib wrapper and at most a 32 KB window.
    if (inflateInit(&zs_) != Z_OK) Fail("There is not enough memory to unpack the setup data.");
  }
  ~Inflater() { inflateEnd(&zs_); }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;
  z_stream& Stream() { return zs_; }

 private:
  z_stream zs_;
};

// Inflates the whole stream into one buffer: first 5x the compressed size,
// then grown by the compressed size rounded up to 256 bytes, shrunk at the end.
void InflateAll(const unsigned char* stream, size_t size, Buffer& out, size_t& length, int& growths) {
  if (!stream || size == 0) Fail("The setup data is empty.");
  if (size > kMaxInflated / 5) Fail("The setup data is too large.");
  const size_t step = (size + 255) & ~size_t(255);
  size_t capacity = size * 5;
  if (!out.Resize(capacity)) Fail("There is not enough memory to unpack the setup data.");

  Inflater inflater;
  z_stream& zs = inflater.Stream();
  zs.next_in = const_cast<Bytef*>(stream);
  zs.avail_in = static_cast<uInt>(size);
  zs.next_out = out.Get();
  zs.avail_out = static_cast<uInt>(capacity);
  for (;;) {
    const int ret = inflate(&zs, Z_NO_FLUSH);
    if (ret == Z_STREAM_END) break;
    if (ret == Z_NEED_DICT) Fail("The setup data asks for a preset dictionary, which it cannot have.");
    if (ret == Z_DATA_ERROR) Fail("The setup data is corrupt" + ZlibDetail(zs) + ".");
    if (ret == Z_MEM_ERROR) Fail("There is not enough memory to unpack the setup data.");
    // Anything else zlib may answer would make no progress: without this the
    // loop would never end.
    if (ret != Z_OK && ret != Z_BUF_ERROR)
      Fail("The setup data cannot be unpacked (zlib error " + std::to_string(ret) + ").");
    if (zs.avail_out == 0) {
      if (capacity > kMaxInflated - step) Fail("The setup data unpacks to more than 2 GB.");
      const size_t done = capacity;
      capacity += step;
      if (!out.Resize(capacity)) Fail("There is not enough memory to unpack the setup data.");
      ++growths;
      zs.next_out = out.Get() + done;
      zs.avail_out = static_cast<uInt>(capacity - done);
      continue;
    }
    // Room left for output but no progress: the input ran out early.
    if (zs.avail_in == 0 || ret == Z_BUF_ERROR) Fail("The setup data ends before its end (it is cut short).");
  }
  if (zs.avail_in != 0)
    Fail("The setup data has " + std::to_string(zs.avail_in) + " stray bytes after its end.");
  length = zs.total_out;
  if (length < capacity) out.Resize(length);  // a failed shrink keeps the larger block
}

}  // namespace

const TAttachedFile* FindEntryByName(const TAttachedFileList& entries, const std::string& name) {
  for (auto it = entries.rbegin(); it != entries.rend(); ++it)
    if (EqualsNoCase((*it)->Name, name)) return it->get();
  return nullptr;
}

std::vector<const TAttachedFile*> SelectEntries(const TAttachedFileList& entries, const std::string& name) {
  std::vector<const TAttachedFile*> selected;
  if (LastChar(name) == '\\') {
    for (const auto& e : entries)
      if (EqualsNoCase(e->Name.substr(0, name.size()), name)) selected.push_back(e.get());
  } else {
    for (const auto& e : entries)
      if (EqualsNoCase(e->Name, name)) {
        selected.push_back(e.get());
        break;
      }
  }
  return selected;
}

TAttachedFiles::TAttachedFiles() {
  // The compressed bytes stay in the mapped image: no copy. The module and
  // the resource handles are borrowed from the image and need no release.
  HMODULE self = GetModuleHandleA(nullptr);
  HRSRC info = FindResourceA(self, "FILES", "FILES");
  if (!info) Fail("The setup data is missing from the program.");
  const DWORD size = SizeofResource(self, info);
  HGLOBAL res = LoadResource(self, info);
  const void* bytes = res ? LockResource(res) : nullptr;
  if (!bytes) Fail("The setup data cannot be read from the program.");
  Load(static_cast<const unsigned char*>(bytes), size);
}

TAttachedFiles::TAttachedFiles(const unsigned char* stream, size_t size) { Load(stream, size); }

void TAttachedFiles::Load(const unsigned char* stream, size_t size) {
  Buffer buffer;
  size_t length = 0;
  InflateAll(stream, size, buffer, length, InflateGrowths_);

  std::vector<ContainerEntry> parsed;
  size_t at = 0;
  const ContainerError err = ParseContainer(buffer.Get(), length, parsed, &at);
  if (err != ContainerError::None)
    Fail(std::string("The setup data is damaged at offset ") + std::to_string(at) + ": " + ContainerErrorText(err) +
         ".");
  // The parser folds ASCII only; names must also be unique for the lookups'
  // own comparison, or first-wins and last-wins would pick different files.
  for (size_t i = 0; i < parsed.size(); ++i)
    for (size_t j = 0; j < i; ++j)
      if (EqualsNoCase(parsed[i].name, parsed[j].name))
        Fail("The setup data holds the name \"" + parsed[i].name + "\" twice.");
  for (const ContainerEntry& p : parsed)
    if (!StaysInItsFolder(p.name))
      Fail("The setup data holds the name \"" + p.name + "\", which leads out of its folder.");

  Entries_.reserve(parsed.size());
  for (ContainerEntry& p : parsed) {
    auto e = std::make_unique<TAttachedFile>();
    e->Name = std::move(p.name);
    e->Size = p.size;
    e->ModTime = p.modTime;
    e->DataOffset = p.dataOffset;
    Entries_.push_back(std::move(e));
  }
  DataSize_ = static_cast<int32_t>(length);
  Data_.reset(buffer.Release());
}

TAttachedFiles::~TAttachedFiles() {
  InstalledFiles_.clear();
  auto& group = InstallGroups_[0];
  while (!group.empty()) group.pop_back();
  Data_.reset();
  DataSize_ = 0;
  while (!Entries_.empty()) Entries_.pop_back();
  RemoveTempFiles();
}

bool TAttachedFiles::HoldsDataOf(const TAttachedFile& entry) const {
  return entry.DataOffset >= 0 && entry.Size >= 0 && entry.DataOffset <= DataSize_ &&
         entry.Size <= DataSize_ - entry.DataOffset;
}

const TAttachedFile* TAttachedFiles::FindEntry(const std::string& name) const {
  return FindEntryByName(Entries_, name);
}

namespace {

// Stamps the last-write time with the entry's local DOS time. Every failure
// is ignored: the file then keeps the time of its writing.
void StampFile(const std::wstring& wideName, TDateTime modTime) {
  const uint32_t dos = DateTimeToDos(modTime);
  if (dos == 0) return;  // year outside 1980..2099
  FileHandle file(CreateFileW(wideName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.valid()) return;
  FILETIME local, utc;
  if (!DosDateTimeToFileTime(HIWORD(dos), LOWORD(dos), &local)) return;
  if (!LocalFileTimeToFileTime(&local, &utc)) return;
  SetFileTime(file.get(), nullptr, nullptr, &utc);
}

// The path is widened by the system's code page, as the file calls take it,
// so that the box names the very file that failed on any system.
std::wstring CannotCreateMessage(const std::string& fileName) {
  return WidenMessage("Cannot create file \"") + WidenString(fileName) +
         WidenMessage("\".\rAnother application might already be using this file.\r\r"
                      "Please make sure that the setup of Quillora Word Processor is not blocked by your security "
                      "software (firewall/antivirus) in any way.\rYou might want to temporarily disable your "
                      "security software and try again.");
}

}  // namespace

// One attempt: folders, create (truncating), one write, close.
bool TAttachedFiles::WriteEntry(const TAttachedFile& entry, const std::string& fileName) const {
  // MakeDirTree would find an existing folder by entering it (several
  // wineserver round trips per file); one attribute query settles that case.
  const std::string folder = FolderPart(fileName);
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) MakeDirTree(folder);
  const std::wstring wide = WidenString(fileName);
  FileHandle file(CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  if (entry.Size > 0) {
    DWORD written = 0;
    // A full disk shows as a failed or short write.
    if (!WriteFile(file.get(), Data_.get() + entry.DataOffset, static_cast<DWORD>(entry.Size), &written, nullptr) ||
        written != static_cast<DWORD>(entry.Size))
      return false;
  }
  if (!file.close()) return false;
  StampFile(wide, entry.ModTime);
  return true;
}

bool TAttachedFiles::ExtractFile(const TAttachedFile* entry, const std::string& name, const std::string& fileName) {
  if (!entry) entry = FindEntry(name);
  if (!entry) return false;  // nothing of that name: refused before anything is created
  // An entry made elsewhere (another store's, a caller's own) could point past
  // our buffer; the write would then read memory that is not the payload.
  if (!HoldsDataOf(*entry)) return false;
  for (;;) {
    if (WriteEntry(*entry, fileName)) return true;
    switch (ShowMessageBoxW(CannotCreateMessage(fileName), mkError, mbtAbort | mbtRetry | mbtIgnore)) {
      case IDABORT: return false;
      case IDIGNORE: return true;
      default: break;  // retry, folders included
    }
  }
}
