#include "Messages.h"

#include <windows.h>

#include <vector>

#include "Application.h"
#include "InstUtils.h"

const char* const SetupTitle = "Quillora Irish Spellchecker - Setup";
const char* const ProductName = "Quillora Irish Spellchecker";

unsigned MessageBoxStyle(MessageKind kind, MessageButtons buttons) {
  unsigned icon;
  switch (kind) {
    case mkWarning: icon = MB_ICONWARNING; break;
    case mkInformation: icon = MB_ICONINFORMATION; break;
    case mkConfirmation: icon = MB_ICONQUESTION; break;
    default: icon = MB_ICONERROR; break;  // mkError and anything unknown
  }
  // Windows only knows fixed combinations: the whole set must match one.
  unsigned type;
  switch (buttons) {
    case mbtAbort | mbtRetry | mbtIgnore: type = MB_ABORTRETRYIGNORE; break;
    case mbtOK | mbtCancel: type = MB_OKCANCEL; break;
    case mbtRetry | mbtCancel: type = MB_RETRYCANCEL; break;
    case mbtYes | mbtNo: type = MB_YESNO; break;
    case mbtYes | mbtNo | mbtCancel: type = MB_YESNOCANCEL; break;
    default: type = MB_OK; break;
  }
  return icon | type;
}

namespace {

// MB_TASKMODAL disables the thread's windows only for a box without an
// owner. Ours is owned by the application's hidden window, so Windows (and
// Wine) would leave the wizard usable under the box: Next could be pressed
// again while an extraction error is shown. So the thread's other windows
// are disabled here while the box shows, and the window that was active is
// made active again afterwards, as the owner-less box would leave it.
class ThreadWindowsDisabled {
 public:
  explicit ThreadWindowsDisabled(HWND owner) : owner_(owner), active_(GetActiveWindow()) {
    EnumThreadWindows(GetCurrentThreadId(), &ThreadWindowsDisabled::Disable, reinterpret_cast<LPARAM>(this));
  }
  ~ThreadWindowsDisabled() {
    for (auto it = disabled_.rbegin(); it != disabled_.rend(); ++it)
      if (IsWindow(*it)) EnableWindow(*it, TRUE);
    if (active_ && IsWindow(active_) && IsWindowVisible(active_) && IsWindowEnabled(active_))
      SetActiveWindow(active_);
  }
  ThreadWindowsDisabled(const ThreadWindowsDisabled&) = delete;
  ThreadWindowsDisabled& operator=(const ThreadWindowsDisabled&) = delete;

 private:
  static BOOL CALLBACK Disable(HWND window, LPARAM self) {
    auto* me = reinterpret_cast<ThreadWindowsDisabled*>(self);
    // The owner is the box's own business: it disables and enables it.
    if (window != me->owner_ && IsWindowEnabled(window)) {
      EnableWindow(window, FALSE);
      me->disabled_.push_back(window);
    }
    return TRUE;
  }
  HWND owner_;   // borrowed
  HWND active_;  // borrowed
  std::vector<HWND> disabled_;  // borrowed, enabled again in reverse order
};

}  // namespace

uint8_t ShowMessageBox(const std::string& msg, MessageKind kind, MessageButtons buttons) {
  return ShowMessageBoxW(WidenMessage(msg), kind, buttons);
}

uint8_t ShowMessageBoxW(const std::wstring& text, MessageKind kind, MessageButtons buttons) {
  const std::wstring caption = WidenMessage(SetupTitle);
  const HWND owner = ApplicationWindow();
  const unsigned style = MessageBoxStyle(kind, buttons);
  int result;
  {
    ThreadWindowsDisabled modal(owner);
    // Language 1033 asks for English button captions whatever the UI language.
    result = MessageBoxExW(owner, text.c_str(), caption.c_str(), style | MB_TASKMODAL,
                           MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  }
  // A box with the single OK button can only mean OK; Wine answers Escape on
  // it with IDCANCEL, where Windows gives IDOK.
  if ((style & MB_TYPEMASK) == MB_OK) return IDOK;
  if (result >= IDOK && result <= IDNO) return static_cast<uint8_t>(result);
  return IDOK;
}
