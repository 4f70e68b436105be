#include "Classes.h"
#include <algorithm>
#include <climits>
#include "FormReader.h"
#include "InstUtils.h"

// ---- TComponent ----

TComponent::TComponent(TComponent* owner) : Owner_(owner) {
  if (Owner_) Owner_->Components_.push_back(this);
}

TComponent::~TComponent() {
  // Reverse order of creation; each one unlinks itself from us first.
  while (!Components_.empty()) {
    TComponent* c = Components_.back();
    Components_.pop_back();
    c->Owner_ = nullptr;
    delete c;
  }
  if (Owner_) {
    auto& list = Owner_->Components_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
}

TComponent* TComponent::FindComponent(const std::string& name) const {
  for (TComponent* c : Components_)
    if (!c->Name_.empty() && _stricmp(c->Name_.c_str(), name.c_str()) == 0) return c;
  return nullptr;
}

void TComponent::BeginDestruction() {
  Destroying_ = true;
  for (TComponent* c : Components_) c->BeginDestruction();
}

const TPropTable& TComponent::Published() const {
  static const TPropTable table(nullptr, {});
  return table;
}

// ---- comparison ----

int CompareStrings(const std::string& a, const std::string& b) {
  // -1 lengths: the strings end at their first NUL.
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE | SORT_STRINGSORT, a.c_str(), -1, b.c_str(), -1) - 2;
}

// ---- TStrings ----

void TStrings::Put(int index, const std::string& s) {
  TObject* object = GetObject(index);
  Delete(index);
  InsertObject(index, s, object);
}

int TStrings::IndexOf(const std::string& s) const {
  for (int i = 0, n = Count(); i < n; ++i)
    if (CompareStrings(Get(i), s) == 0) return i;
  return -1;
}

int TStrings::AddObject(const std::string& s, TObject* object) {
  int index = Count();
  InsertObject(index, s, object);
  return index;
}

void TStrings::BeginUpdate() {
  if (UpdateCount_++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate() {
  if (UpdateCount_ > 0 && --UpdateCount_ == 0) SetUpdateState(false);
}

void TStrings::SetTextFromBuffer(const char* data, size_t size) {
  BeginUpdate();
  try {
    Clear();
    size_t i = 0;
    while (i < size && data[i] != '\0') {
      size_t start = i;
      while (i < size && data[i] != '\r' && data[i] != '\n' && data[i] != '\0') ++i;
      Add(std::string(data + start, i - start));
      if (i < size && data[i] == '\r') {
        ++i;
        if (i < size && data[i] == '\n') ++i;
      } else if (i < size && data[i] == '\n') {
        ++i;
      }
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

std::string TStrings::Text() const {
  std::string out;
  for (int i = 0, n = Count(); i < n; ++i) {
    out += Get(i);
    out += "\r\n";
  }
  return out;
}

void TStrings::LoadFromFile(const std::string& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  int64_t size = stream.Size();
  if (size < 0 || size > INT_MAX) throw EReadError("file too large: " + fileName);
  std::string buffer(static_cast<size_t>(size), '\0');
  if (size > 0) stream.ReadBuffer(&buffer[0], static_cast<int32_t>(size));
  SetTextFromBuffer(buffer.data(), buffer.size());
}

void TStrings::SaveToFile(const std::string& fileName) const {
  std::string text = Text();
  TFileStream stream(fileName, fmCreate);
  if (!text.empty()) stream.WriteBuffer(text.data(), static_cast<int32_t>(text.size()));
}

void TStrings::Assign(const TStrings& source) {
  if (&source == this) return;
  BeginUpdate();
  try {
    Clear();
    for (int i = 0, n = source.Count(); i < n; ++i) AddObject(source.Get(i), source.GetObject(i));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

// ---- TStringList ----

void TStringList::CheckIndex(int index, bool allowEnd) const {
  int limit = Count() + (allowEnd ? 1 : 0);
  if (index < 0 || index >= limit) throw EListError("list index out of bounds (" + std::to_string(index) + ")");
}

std::string TStringList::Get(int index) const {
  CheckIndex(index, false);
  return Items_[index].Text;
}

void TStringList::Put(int index, const std::string& s) {
  if (Sorted_) throw EListError("operation not allowed on a sorted list");
  CheckIndex(index, false);
  Items_[index].Text = s;
}

TObject* TStringList::GetObject(int index) const {
  CheckIndex(index, false);
  return Items_[index].Object;
}

void TStringList::PutObject(int index, TObject* object) {
  CheckIndex(index, false);
  Items_[index].Object = object;
}

void TStringList::InsertObject(int index, const std::string& s, TObject* object) {
  if (Sorted_) Find(s, index);
  else CheckIndex(index, true);
  Items_.insert(Items_.begin() + index, Item{s, object});
}

int TStringList::AddObject(const std::string& s, TObject* object) {
  int index = Count();
  if (Sorted_) Find(s, index);
  Items_.insert(Items_.begin() + index, Item{s, object});
  return index;
}

void TStringList::Delete(int index) {
  CheckIndex(index, false);
  Items_.erase(Items_.begin() + index);
}

void TStringList::Clear() { Items_.clear(); }

int TStringList::IndexOf(const std::string& s) const {
  if (!Sorted_) return TStrings::IndexOf(s);
  int index;
  return Find(s, index) ? index : -1;
}

void TStringList::SetSorted(bool sorted) {
  if (sorted && !Sorted_) Sort();
  Sorted_ = sorted;
}

void TStringList::Sort() {
  std::stable_sort(Items_.begin(), Items_.end(),
                   [](const Item& a, const Item& b) { return CompareStrings(a.Text, b.Text) < 0; });
}

bool TStringList::Find(const std::string& s, int& index) const {
  int lo = 0, hi = Count();
  while (lo < hi) {
    int mid = lo + (hi - lo) / 2;
    if (CompareStrings(Items_[mid].Text, s) < 0) lo = mid + 1;
    else hi = mid;
  }
  index = lo;
  return lo < Count() && CompareStrings(Items_[lo].Text, s) == 0;
}

// ---- TFileStream ----

TFileStream::TFileStream(const std::string& fileName, unsigned mode) : FileName_(fileName) {
  std::wstring wide = WidenString(fileName);
  if (mode == fmCreate || (mode & 0xFF00) == fmCreate) {
    Handle_ = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (Handle_ == INVALID_HANDLE_VALUE) throw EFCreateError("cannot create file " + fileName);
    return;
  }
  static const DWORD kAccess[3] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
  DWORD access = kAccess[(mode & 3) < 3 ? (mode & 3) : 0];
  DWORD share;
  switch (mode & 0xF0) {
    case 0x10: share = 0; break;                                     // exclusive
    case 0x20: share = FILE_SHARE_READ; break;                       // deny write
    case 0x30: share = FILE_SHARE_WRITE; break;                      // deny read
    default: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;      // compatible, deny none
  }
  Handle_ = CreateFileW(wide.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (Handle_ == INVALID_HANDLE_VALUE) throw EFOpenError("cannot open file " + fileName);
}

TFileStream::~TFileStream() {
  if (Handle_ != INVALID_HANDLE_VALUE) CloseHandle(Handle_);
}

int32_t TFileStream::Read(void* buffer, int32_t count) {
  if (count <= 0) return 0;
  DWORD done = 0;
  if (!ReadFile(Handle_, buffer, static_cast<DWORD>(count), &done, nullptr)) return 0;
  return static_cast<int32_t>(done);
}

int32_t TFileStream::Write(const void* buffer, int32_t count) {
  if (count <= 0) return 0;
  DWORD done = 0;
  if (!WriteFile(Handle_, buffer, static_cast<DWORD>(count), &done, nullptr)) return 0;
  return static_cast<int32_t>(done);
}

void TFileStream::ReadBuffer(void* buffer, int32_t count) {
  char* p = static_cast<char*>(buffer);
  while (count > 0) {
    int32_t n = Read(p, count);
    if (n <= 0) throw EReadError("stream read error: " + FileName_);
    p += n;
    count -= n;
  }
}

void TFileStream::WriteBuffer(const void* buffer, int32_t count) {
  const char* p = static_cast<const char*>(buffer);
  while (count > 0) {
    int32_t n = Write(p, count);
    if (n <= 0) throw EWriteError("stream write error: " + FileName_);
    p += n;
    count -= n;
  }
}

int64_t TFileStream::Seek(int64_t offset, DWORD origin) {
  LARGE_INTEGER dist, pos;
  dist.QuadPart = offset;
  if (!SetFilePointerEx(Handle_, dist, &pos, origin)) return -1;
  return pos.QuadPart;
}

int64_t TFileStream::Size() {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(Handle_, &size)) return -1;
  return size.QuadPart;
}

void TFileStream::SetSize(int64_t size) {
  int64_t pos = Position();
  SetPosition(size);
  if (!SetEndOfFile(Handle_)) throw EWriteError("cannot set the size of " + FileName_);
  if (pos < size) SetPosition(pos);
}
