// The application object: its hidden main window owns the message boxes and
// carries the taskbar text and icon.
#pragma once
#include <windows.h>
#include <string>

class TApplication {
 public:
  TApplication();
  ~TApplication();
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

  HWND Handle() const { return Handle_; }
  const std::string& Title() const { return Title_; }
  void SetTitle(const std::string& title);  // also the hidden window's text
  HICON Icon() const { return Icon_; }
  void SetIcon(HICON icon);                 // borrowed: a shared resource icon

 private:
  HWND Handle_ = nullptr;
  HICON Icon_ = nullptr;
  std::string Title_;
};

// Null until the entry creates it.
extern TApplication* Application;

// The last title the application had (it outlives the object, for the box
// of an exception that ends the program).
const std::string& ApplicationTitle();

// The owner for message boxes: the hidden main window, or none.
inline HWND ApplicationWindow() { return Application ? Application->Handle() : nullptr; }
