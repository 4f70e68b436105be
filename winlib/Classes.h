// Components, events, string lists and file streams.
#pragma once
#include <windows.h>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>
#include "SysUtils.h"

class TComponent;
class TPropTable;

using TNotifyEvent = std::function<void(TObject* Sender)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

// A component has an owner, which frees it, and a name. Owned components
// are freed in reverse order of their creation.
class TComponent : public TObject {
 public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;
  const char* ClassName() const override { return "TComponent"; }

  TComponent* Owner() const { return Owner_; }
  const std::string& Name() const { return Name_; }
  void SetName(const std::string& name) { Name_ = name; }
  int ComponentCount() const { return static_cast<int>(Components_.size()); }
  TComponent* Components(int index) const { return Components_[index]; }
  TComponent* FindComponent(const std::string& name) const;  // case-insensitive

  // True from the start of the owner's destruction: events are not fired.
  bool Destroying() const { return Destroying_; }
  virtual void BeginDestruction();  // marks this and every owned component

  // The properties the form reader can set by name (see FormReader.h).
  virtual const TPropTable& Published() const;

 private:
  TComponent* Owner_;
  std::string Name_;
  std::vector<TComponent*> Components_;
  bool Destroying_ = false;
};

// ---- String lists ----

// Compare of sorted lists and list look-ups: CompareStringA with the user's
// default locale, NORM_IGNORECASE | SORT_STRINGSORT, on zero-terminated
// strings (text after an embedded NUL is not compared). <0, 0, >0.
int CompareStrings(const std::string& a, const std::string& b);

// An ordered list of strings, each with a borrowed object.
class TStrings : public TObject {
 public:
  const char* ClassName() const override { return "TStrings"; }
  virtual int Count() const = 0;
  virtual std::string Get(int index) const = 0;
  virtual void Put(int index, const std::string& s);
  virtual TObject* GetObject(int index) const = 0;
  virtual void PutObject(int index, TObject* object) = 0;
  virtual void InsertObject(int index, const std::string& s, TObject* object) = 0;
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;
  // Index of the first string equal to s by CompareStrings, -1 when none.
  virtual int IndexOf(const std::string& s) const;

  void Insert(int index, const std::string& s) { InsertObject(index, s, nullptr); }
  int Add(const std::string& s) { return AddObject(s, nullptr); }
  virtual int AddObject(const std::string& s, TObject* object);
  std::string operator[](int index) const { return Get(index); }

  // Nested pairs; the list is refreshed at the outermost EndUpdate.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return UpdateCount_; }

  // Lines end at CR, LF or CR LF; a NUL byte ends the text. A final line
  // break does not start another line.
  void SetTextFromBuffer(const char* data, size_t size);
  void SetText(const std::string& text) { SetTextFromBuffer(text.data(), text.size()); }
  // Every line followed by CR LF.
  std::string Text() const;
  // Raises EFOpenError / EReadError; the list is unchanged on failure.
  void LoadFromFile(const std::string& fileName);
  // Raises EFCreateError / EWriteError.
  void SaveToFile(const std::string& fileName) const;
  void Assign(const TStrings& source);

 protected:
  virtual void SetUpdateState(bool updating) { (void)updating; }

 private:
  int UpdateCount_ = 0;
};

class TStringList : public TStrings {
 public:
  TStringList() = default;
  const char* ClassName() const override { return "TStringList"; }
  int Count() const override { return static_cast<int>(Items_.size()); }
  std::string Get(int index) const override;
  void Put(int index, const std::string& s) override;
  TObject* GetObject(int index) const override;
  void PutObject(int index, TObject* object) override;
  // In a sorted list the index is ignored: the string goes to its place.
  void InsertObject(int index, const std::string& s, TObject* object) override;
  void Delete(int index) override;
  void Clear() override;
  int IndexOf(const std::string& s) const override;
  int AddObject(const std::string& s, TObject* object) override;

  bool Sorted() const { return Sorted_; }
  void SetSorted(bool sorted);  // sorting on: Sort()
  void Sort();                  // stable, by CompareStrings
  // Binary search of a sorted list: index := the first position whose
  // string does not compare below s; true when that string equals s.
  bool Find(const std::string& s, int& index) const;

 private:
  struct Item {
    std::string Text;
    TObject* Object;
  };
  void CheckIndex(int index, bool allowEnd) const;
  std::vector<Item> Items_;
  bool Sorted_ = false;
};

// ---- File streams ----

enum TFileMode : unsigned {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmCreate = 0xFF00,  // create or truncate, read and write
  fmShareDenyWrite = 0x0020,
  fmShareDenyNone = 0x0040,
};

// A file opened with the wide call on the widened name. The handle is owned.
class TFileStream : public TObject {
 public:
  // Raises EFOpenError (open modes) or EFCreateError (fmCreate).
  TFileStream(const std::string& fileName, unsigned mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;
  const char* ClassName() const override { return "TFileStream"; }

  // Bytes transferred (may be fewer than asked at the end of the file).
  int32_t Read(void* buffer, int32_t count);
  int32_t Write(const void* buffer, int32_t count);
  // Exactly count bytes, or EReadError / EWriteError.
  void ReadBuffer(void* buffer, int32_t count);
  void WriteBuffer(const void* buffer, int32_t count);
  int64_t Seek(int64_t offset, DWORD origin);  // FILE_BEGIN, FILE_CURRENT, FILE_END
  int64_t Position() { return Seek(0, FILE_CURRENT); }
  void SetPosition(int64_t pos) { Seek(pos, FILE_BEGIN); }
  int64_t Size();
  void SetSize(int64_t size);  // truncates or extends at the position
  HANDLE Handle() const { return Handle_; }  // borrowed
  const std::string& FileName() const { return FileName_; }

 private:
  HANDLE Handle_ = INVALID_HANDLE_VALUE;
  std::string FileName_;
};
