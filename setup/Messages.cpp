#include "Messages.h"

#include <windows.h>

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

uint8_t ShowMessageBox(const std::string& msg, MessageKind kind, MessageButtons buttons) {
  const std::wstring text = WidenMessage(msg);
  const std::wstring caption = WidenMessage(SetupTitle);
  // Language 1033 asks for English button captions whatever the UI language.
  const int result = MessageBoxExW(ApplicationWindow(), text.c_str(), caption.c_str(),
                                   MessageBoxStyle(kind, buttons) | MB_TASKMODAL,
                                   MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  if (result >= IDOK && result <= IDNO) return static_cast<uint8_t>(result);
  return IDOK;
}
