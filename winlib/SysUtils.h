// Exceptions of the class library and the box that reports a stray one.
#pragma once
#include <string>

class TObject {
 public:
  virtual ~TObject() = default;
  virtual const char* ClassName() const { return "TObject"; }
};

// Base of every exception the library raises. The class name is what the
// user sees ("Exception EFOpenError"); the message is for tests and callers.
class Exception {
 public:
  explicit Exception(std::string message = std::string()) : Message_(std::move(message)) {}
  virtual ~Exception() = default;
  virtual const char* ClassName() const { return "Exception"; }
  const std::string& Message() const { return Message_; }

 private:
  std::string Message_;
};

#define WINLIB_EXCEPTION(Name, Base)                                   \
  class Name : public Base {                                           \
   public:                                                             \
    using Base::Base;                                                  \
    const char* ClassName() const override { return #Name; }           \
  };

WINLIB_EXCEPTION(EStreamError, Exception)
WINLIB_EXCEPTION(EFileStreamError, EStreamError)
WINLIB_EXCEPTION(EFOpenError, EFileStreamError)
WINLIB_EXCEPTION(EFCreateError, EFileStreamError)
WINLIB_EXCEPTION(EReadError, EStreamError)
WINLIB_EXCEPTION(EWriteError, EStreamError)
WINLIB_EXCEPTION(EInvalidGraphic, Exception)
WINLIB_EXCEPTION(EResNotFound, Exception)
WINLIB_EXCEPTION(EFormLoadError, Exception)
WINLIB_EXCEPTION(EInvalidOperation, Exception)
WINLIB_EXCEPTION(EListError, Exception)
WINLIB_EXCEPTION(EOutOfMemory, Exception)

#undef WINLIB_EXCEPTION

// The text of the error box for a stray exception: "Exception <ClassName>".
std::string ExceptionText(const char* className);

// Task-modal error box "Exception <ClassName>" (caption: the application
// title), owned by the application window. Returns when the user answered.
void ShowException(const char* className);
inline void ShowException(const Exception& e) { ShowException(e.ClassName()); }

// Runs fn; an exception escaping it is shown with ShowException and
// swallowed. Every call from a window procedure into program code goes
// through this: C++ exceptions must never unwind through user32.
template <class Fn>
void GuardedCall(Fn&& fn);

// Reports the exception currently being handled (inside a catch block).
void ShowCurrentException();

template <class Fn>
void GuardedCall(Fn&& fn) {
  try {
    fn();
  } catch (...) {
    ShowCurrentException();
  }
}

// The standard button captions, in this order: "&Yes", "&No", "OK",
// "Cancel", "&Abort", "&Retry", "&Ignore", "&All", "N&o to All",
// "Yes to &All", "&Help".
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
extern const char* const ButtonCaptions[11];

// Formats a text with one string argument: every "%s" becomes arg and "%%"
// becomes "%"; anything else, other % sequences included, stays as it is.
std::string FormatText(const std::string& fmt, const std::string& arg);
