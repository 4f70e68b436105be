// The one routine for every question and error of the setup.
#pragma once
#include <cstdint>
#include <string>

extern const char* const SetupTitle;   // "Quillora Irish Spellchecker - Setup"
extern const char* const ProductName;  // "Quillora Irish Spellchecker"

enum MessageKind : uint8_t { mkWarning = 0, mkError = 1, mkInformation = 2, mkConfirmation = 3 };

typedef uint16_t MessageButtons;
enum : MessageButtons {
  mbtYes = 1 << 0, mbtNo = 1 << 1, mbtOK = 1 << 2, mbtCancel = 1 << 3,
  mbtAbort = 1 << 4, mbtRetry = 1 << 5, mbtIgnore = 1 << 6,
};

// The MessageBoxExW style for a kind and a button set (without MB_TASKMODAL).
unsigned MessageBoxStyle(MessageKind kind, MessageButtons buttons);
// Msg is code page 1252 with bare CR line breaks. Returns IDOK..IDNO;
// anything else Windows answers (0 on failure) becomes IDOK.
uint8_t ShowMessageBox(const std::string& msg, MessageKind kind, MessageButtons buttons);
// The same for a text already in UTF-16: one that names a path, whose bytes
// are in the system's code page rather than 1252.
uint8_t ShowMessageBoxW(const std::wstring& msg, MessageKind kind, MessageButtons buttons);
