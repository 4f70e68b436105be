// The message routine: styles for each kind and button set, and real boxes.
#include <gtest/gtest.h>

#include "Application.h"
#include "BoxAnswerer.h"
#include "Messages.h"

using fixture::BoxAnswerer;
using fixture::SeenBox;

TEST(MessageBoxStyle, KindsAndButtonSets) {
  struct Case {
    unsigned kind;
    MessageButtons buttons;
    unsigned expected;
  };
  const Case cases[] = {
      {mkWarning, mbtOK, 0x30},
      {mkError, mbtOK, 0x10},
      {mkInformation, mbtOK, 0x40},
      {mkConfirmation, mbtOK, 0x20},
      {4, mbtOK, 0x10},    // unknown kinds show the error icon
      {255, mbtOK, 0x10},
      {mkError, mbtAbort | mbtRetry | mbtIgnore, 0x10 | 2},
      {mkInformation, mbtOK | mbtCancel, 0x40 | 1},
      {mkInformation, mbtRetry | mbtCancel, 0x40 | 5},
      {mkInformation, mbtYes | mbtNo, 0x40 | 4},
      {mkConfirmation, mbtYes | mbtNo | mbtCancel, 0x20 | 3},
      // Sets Windows has no combination for get a single OK button.
      {mkInformation, 0, 0x40},
      {mkInformation, mbtYes, 0x40},
      {mkInformation, mbtAbort | mbtRetry, 0x40},
      {mkInformation, mbtYes | mbtNo | mbtOK, 0x40},
      {mkInformation, 0x7F, 0x40},
      {mkInformation, 0x8003, 0x40},  // a bit outside the seven
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.expected, MessageBoxStyle(static_cast<MessageKind>(c.kind), c.buttons))
        << "kind " << c.kind << ", buttons 0x" << std::hex << c.buttons;
}

TEST(ShowMessageBox, RealBoxesAnsweredLikeAUser) {
  TApplication app;
  Application = &app;
  struct Case {
    const char* what;
    std::string text;
    std::wstring shown;  // code page 1252 whatever the system's code page
    MessageButtons buttons;
    int press;
    std::vector<int> expectedButtons;
    int expected;
  };
  const Case cases[] = {
      {"Yes/No, No pressed", "Caf\xE9 \x80 5\rsecond line", L"Caf\u00E9 \u20AC 5\rsecond line", mbtYes | mbtNo, IDNO,
       {IDYES, IDNO}, IDNO},
      {"OK only", "Single \x93OK\x94 button", L"Single \u201COK\u201D button", mbtOK, IDOK, {IDOK}, IDOK},
      {"Abort/Retry/Ignore, Ignore pressed", "Retry?", L"Retry?", mbtAbort | mbtRetry | mbtIgnore, IDIGNORE,
       {IDABORT, IDRETRY, IDIGNORE}, IDIGNORE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HWND owner = nullptr;
    BoxAnswerer answer(SetupTitle, {{c.press, [&owner] {
                                       HWND box = fixture::FindMessageBoxOf(GetCurrentProcessId(), L"Quillora Irish Spellchecker - Setup");
                                       owner = GetWindow(box, GW_OWNER);
                                     }}});
    const int got = ShowMessageBox(c.text, mkInformation, c.buttons);
    answer.Finish();
    EXPECT_EQ(c.expected, got);
    const std::vector<SeenBox> boxes = answer.Boxes();
    ASSERT_EQ(1u, boxes.size()) << "found by its caption";
    EXPECT_TRUE(boxes[0].text == c.shown) << "the text differs";
    EXPECT_EQ(c.expectedButtons, boxes[0].buttons);
    EXPECT_EQ(app.Handle(), owner) << "owned by the application's hidden window";
  }
  Application = nullptr;
}

// While a box shows, the thread's other windows take no input; afterwards
// they are enabled again and the one that was active is active again. Escape
// on the single OK button box answers OK.
TEST(ShowMessageBox, OtherWindowsDisabledWhileShown) {
  TApplication app;
  Application = &app;
  HWND other = CreateWindowExW(0, L"STATIC", L"another top-level window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                               200, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(nullptr, other);
  struct Case {
    const char* what;
    MessageButtons buttons;
    bool escape;  // Escape instead of a button
    int press;
    int expected;
  };
  const Case cases[] = {
      {"OK box left with Escape", mbtOK, true, IDOK, IDOK},
      {"Yes/No box, No", mbtYes | mbtNo, false, IDNO, IDNO},
      {"Abort/Retry/Ignore box, Retry", mbtAbort | mbtRetry | mbtIgnore, false, IDRETRY, IDRETRY},
  };
  for (const Case& c : cases) {
    SetActiveWindow(other);
    bool otherDisabled = false;
    BoxAnswerer answer(SetupTitle, {{c.press, [&] {
                                       otherDisabled = !IsWindowEnabled(other);
                                       if (!c.escape) return;
                                       HWND box = fixture::FindMessageBoxOf(GetCurrentProcessId(),
                                                                            L"Quillora Irish Spellchecker - Setup");
                                       PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0);
                                       PostMessageW(box, WM_KEYUP, VK_ESCAPE, 0xC0000001);
                                       for (int i = 0; i < 300 && IsWindow(box); ++i) Sleep(10);
                                     }}});
    const int got = ShowMessageBox("Which windows take input?", mkWarning, c.buttons);
    answer.Finish();
    EXPECT_EQ(c.expected, got) << c.what;
    EXPECT_TRUE(otherDisabled) << c.what << ": the other window took input under the box";
    EXPECT_TRUE(IsWindowEnabled(other)) << c.what << ": the other window stayed disabled";
    EXPECT_EQ(other, GetActiveWindow()) << c.what << ": the active window was not given back";
  }
  DestroyWindow(other);
  Application = nullptr;
}
