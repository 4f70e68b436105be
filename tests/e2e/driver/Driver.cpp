#include "Driver.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <sstream>
#include <thread>

#include "Png.h"

namespace e2e {

const char* const SetupTitle = "Quillora Irish Spellchecker - Setup";
const char* const HostProperty = "1.x Nimbrel";
const char* const InstallKeyPath = "Software\\Quillora Word Processor\\Install";

// ---- failures ----

namespace {
FailureHandler& Handler() {
  static FailureHandler handler = [](const std::string& message) { ADD_FAILURE() << message; };
  return handler;
}

// A sent message to another process must not hang the driver when the
// program is busy (the installation run does not pump messages).
constexpr UINT kSendTimeoutMs = 10000;

LRESULT Send(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, bool* ok = nullptr) {
  DWORD_PTR result = 0;
  LRESULT r = SendMessageTimeoutA(hwnd, msg, wp, lp, SMTO_NORMAL, kSendTimeoutMs, &result);
  if (ok) *ok = r != 0;
  return static_cast<LRESULT>(result);
}

LRESULT SendW(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, bool* ok = nullptr) {
  DWORD_PTR result = 0;
  LRESULT r = SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_NORMAL, kSendTimeoutMs, &result);
  if (ok) *ok = r != 0;
  return static_cast<LRESULT>(result);
}

std::string Narrow(const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
  return s;
}

std::string ClassOf(HWND hwnd) {
  char buf[256] = {};
  GetClassNameA(hwnd, buf, sizeof buf);
  return buf;
}

std::string TextOf(HWND hwnd) {
  bool ok = false;
  LRESULT len = Send(hwnd, WM_GETTEXTLENGTH, 0, 0, &ok);
  if (!ok || len <= 0) return {};
  std::string s(static_cast<size_t>(len) + 1, '\0');
  LRESULT got = Send(hwnd, WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(&s[0]), &ok);
  if (!ok || got < 0) return {};
  s.resize(strnlen(s.c_str(), static_cast<size_t>(got)));
  return s;
}

bool SameClass(const std::string& a, const char* b) { return lstrcmpiA(a.c_str(), b) == 0; }

std::string StripAmpersands(const std::string& s) {
  std::string r;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '&') {
      if (i + 1 < s.size() && s[i + 1] == '&') { r += '&'; ++i; }
      continue;
    }
    r += s[i];
  }
  return r;
}

// "Yes" finds "&Yes"; a caption with '&' must match exactly.
bool CaptionMatches(const std::string& actual, const std::string& wanted) {
  if (actual == wanted) return true;
  if (wanted.find('&') != std::string::npos) return false;
  return StripAmpersands(actual) == wanted;
}

int ButtonType(LONG style) { return static_cast<int>(style & BS_TYPEMASK); }
bool IsPushButton(const WindowInfo& w) {
  int t = ButtonType(w.style);
  return SameClass(w.className, "Button") && (t == BS_PUSHBUTTON || t == BS_DEFPUSHBUTTON);
}
bool IsCheckBox(const WindowInfo& w) {
  int t = ButtonType(w.style);
  return SameClass(w.className, "Button") &&
         (t == BS_CHECKBOX || t == BS_AUTOCHECKBOX || t == BS_3STATE || t == BS_AUTO3STATE);
}

WindowInfo InfoOf(HWND hwnd) {
  WindowInfo w;
  w.hwnd = hwnd;
  w.parent = GetAncestor(hwnd, GA_PARENT);
  w.className = ClassOf(hwnd);
  w.text = TextOf(hwnd);
  w.style = GetWindowLongA(hwnd, GWL_STYLE);
  w.id = static_cast<int>(GetWindowLongPtrA(hwnd, GWLP_ID));
  w.visible = IsWindowVisible(hwnd) != FALSE;
  w.enabled = IsWindowEnabled(hwnd) != FALSE;
  GetWindowRect(hwnd, &w.rect);
  return w;
}

void CollectChildren(HWND parent, std::vector<WindowInfo>& out) {
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    out.push_back(InfoOf(c));
    CollectChildren(c, out);
  }
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

std::string Join(const std::vector<std::string>& v, const char* sep) {
  std::string r;
  for (size_t i = 0; i < v.size(); ++i) r += (i ? sep : "") + Quoted(v[i]);
  return r;
}

// Keyboard and mouse through the system's input queue.
void SendKeys(const std::vector<INPUT>& in) {
  if (!in.empty()) SendInput(static_cast<UINT>(in.size()), const_cast<INPUT*>(in.data()), sizeof(INPUT));
}
INPUT KeyInput(WORD vk, bool up) {
  INPUT i{};
  i.type = INPUT_KEYBOARD;
  i.ki.wVk = vk;
  i.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, 0 /*MAPVK_VK_TO_VSC*/));
  i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return i;
}
INPUT UnicodeInput(wchar_t ch, bool up) {
  INPUT i{};
  i.type = INPUT_KEYBOARD;
  i.ki.wScan = ch;
  i.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
  return i;
}

bool ClickAt(POINT screen, bool doubleClick) {
  // Two clicks of the driver within the double-click time would make one
  // double click (Wine does not look at where they were), so wait it out.
  static DWORD lastClick = 0;
  DWORD since = GetTickCount() - lastClick;
  DWORD dbl = GetDoubleClickTime() + 50;
  if (lastClick && since < dbl) Sleep(dbl - since);
  int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  if (cx <= 1 || cy <= 1) return false;
  std::vector<INPUT> in;
  INPUT move{};
  move.type = INPUT_MOUSE;
  move.mi.dx = MulDiv(screen.x, 65535, cx - 1);
  move.mi.dy = MulDiv(screen.y, 65535, cy - 1);
  move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  in.push_back(move);
  for (int n = 0; n < (doubleClick ? 2 : 1); ++n) {
    INPUT down = move, up = move;
    down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    up.mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    in.push_back(down);
    in.push_back(up);
  }
  SendKeys(in);
  lastClick = GetTickCount();
  return true;
}

HWND RootOf(HWND hwnd) { return GetAncestor(hwnd, GA_ROOT); }

bool IsMessageBoxLike(HWND top) {
  if (!SameClass(ClassOf(top), "#32770")) return false;
  std::vector<WindowInfo> kids;
  CollectChildren(top, kids);
  for (const WindowInfo& k : kids)
    if (!SameClass(k.className, "Static") && !SameClass(k.className, "Button")) return false;
  return true;
}

struct FindTop {
  DWORD pid;
  std::vector<HWND> found;
};
BOOL CALLBACK EnumTopOfPid(HWND hwnd, LPARAM lp) {
  auto* f = reinterpret_cast<FindTop*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == f->pid) f->found.push_back(hwnd);
  return TRUE;
}
std::vector<HWND> TopWindowsOf(DWORD pid) {
  FindTop f{pid, {}};
  EnumWindows(EnumTopOfPid, reinterpret_cast<LPARAM>(&f));
  return f.found;
}

}  // namespace

void SetFailureHandler(FailureHandler handler) { Handler() = std::move(handler); }
void Fail(const std::string& message) { Handler()(message); }

std::string Describe(const WindowInfo& w) {
  std::ostringstream o;
  char h[32];
  snprintf(h, sizeof h, "%p", static_cast<void*>(w.hwnd));
  o << h << " " << w.className << " " << Quoted(w.text) << " id=" << w.id
    << (w.visible ? "" : " hidden") << (w.enabled ? "" : " disabled") << " [" << w.rect.left << ","
    << w.rect.top << " " << (w.rect.right - w.rect.left) << "x" << (w.rect.bottom - w.rect.top) << "]";
  return o.str();
}

std::string Describe(const std::vector<WindowInfo>& ws) {
  if (ws.empty()) return "  (no windows)\n";
  std::string r;
  for (const WindowInfo& w : ws) r += "  " + Describe(w) + "\n";
  return r;
}

bool SyncWith(HWND hwnd, Duration timeout) {
  // Sent messages are taken before posted and input messages, so one round
  // trip may come back before the click was handled; the second one comes
  // back only once the thread asks for messages again: after the handler,
  // or from inside the modal loop the handler opened.
  for (int i = 0; i < 2; ++i) {
    DWORD_PTR r = 0;
    if (!SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, static_cast<UINT>(timeout.count()), &r))
      return false;
    if (i == 0) Sleep(20);
  }
  return true;
}

bool WaitUntil(const std::function<bool()>& condition, Duration timeout) {
  auto end = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    Sleep(50);
  }
}

// ---- Control ----

bool Control::Exists() const { return hwnd_ && IsWindow(hwnd_); }
std::string Control::ClassName() const { return hwnd_ ? ClassOf(hwnd_) : std::string(); }
std::string Control::Text() const { return Exists() ? TextOf(hwnd_) : std::string(); }
LONG Control::Style() const { return hwnd_ ? GetWindowLongA(hwnd_, GWL_STYLE) : 0; }
bool Control::Visible() const { return Exists() && IsWindowVisible(hwnd_); }
bool Control::Enabled() const { return Exists() && IsWindowEnabled(hwnd_); }
RECT Control::ScreenRect() const {
  RECT r{};
  if (hwnd_) GetWindowRect(hwnd_, &r);
  return r;
}
WindowInfo Control::Info() const { return hwnd_ ? InfoOf(hwnd_) : WindowInfo{}; }

bool Control::Focused() const {
  if (!Exists()) return false;
  GUITHREADINFO gi{};
  gi.cbSize = sizeof gi;
  DWORD tid = GetWindowThreadProcessId(hwnd_, nullptr);
  return GetGUIThreadInfo(tid, &gi) && gi.hwndFocus == hwnd_;
}

bool Control::Require(const char* action) const {
  if (!hwnd_) {
    Fail(std::string(action) + ": no " + what_ + " (it was not found)");
    return false;
  }
  if (!IsWindow(hwnd_)) {
    Fail(std::string(action) + ": the " + what_ + " no longer exists");
    return false;
  }
  return true;
}

int Control::CheckState() const {
  if (!Require("CheckState")) return -1;
  return static_cast<int>(Send(hwnd_, BM_GETCHECK, 0, 0));
}

namespace {
bool IsCombo(HWND h) {
  std::string c = ClassOf(h);
  return SameClass(c, "ComboBox") || SameClass(c, "ComboBoxEx32");
}
}  // namespace

int Control::ItemCount() const {
  if (!Require("ItemCount")) return 0;
  LRESULT n = Send(hwnd_, IsCombo(hwnd_) ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
  return n < 0 ? 0 : static_cast<int>(n);
}

std::string Control::ItemText(int index) const {
  if (!Require("ItemText")) return {};
  bool combo = IsCombo(hwnd_);
  LRESULT len = SendW(hwnd_, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (len < 0) return {};
  // Room to spare: some owner-drawn lists answer a length shorter than the text.
  std::wstring buf(static_cast<size_t>(len) + 260, L'\0');
  LRESULT got = SendW(hwnd_, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(index),
                      reinterpret_cast<LPARAM>(&buf[0]));
  if (got < 0) return {};
  buf.resize(wcsnlen(buf.c_str(), buf.size()));
  return Narrow(buf);
}

std::vector<std::string> Control::Items() const {
  std::vector<std::string> items;
  int n = ItemCount();
  for (int i = 0; i < n; ++i) items.push_back(ItemText(i));
  return items;
}

int Control::Selection() const {
  if (!Require("Selection")) return -1;
  return static_cast<int>(Send(hwnd_, IsCombo(hwnd_) ? CB_GETCURSEL : LB_GETCURSEL, 0, 0));
}

std::string Control::SelectedText() const {
  int i = Selection();
  return i < 0 ? std::string() : ItemText(i);
}

bool Control::ClickItem(int index, bool doubleClick) const {
  if (!Require("ClickItem")) return false;
  int n = ItemCount();
  if (index < 0 || index >= n) {
    Fail("ClickItem(" + std::to_string(index) + "): the " + what_ + " has " + std::to_string(n) + " items");
    return false;
  }
  // Bring the item into view first, as the user would scroll to it.
  Send(hwnd_, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
  RECT r{};
  if (Send(hwnd_, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)) == LB_ERR) {
    Fail("ClickItem: LB_GETITEMRECT failed");
    return false;
  }
  POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(hwnd_, &p);
  HWND root = RootOf(hwnd_);
  Window(root).Activate();
  ClickAt(p, doubleClick);
  SyncWith(root);
  return true;
}

bool Control::SelectItem(int index) const {
  if (!Require("SelectItem")) return false;
  int n = ItemCount();
  if (index < 0 || index >= n) {
    Fail("SelectItem(" + std::to_string(index) + "): the " + what_ + " has " + std::to_string(n) + " items");
    return false;
  }
  Send(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  HWND parent = GetAncestor(hwnd_, GA_PARENT);
  int id = static_cast<int>(GetWindowLongPtrA(hwnd_, GWLP_ID));
  PostMessageA(parent, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(hwnd_));
  SyncWith(hwnd_);
  return true;
}

bool Control::Click() const {
  if (!Require("Click")) return false;
  RECT r = ScreenRect();
  HWND root = RootOf(hwnd_);
  Window(root).Activate();
  ClickAt(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}, false);
  SyncWith(root);
  return true;
}

// ---- Window ----

std::vector<WindowInfo> Window::Descendants() const {
  std::vector<WindowInfo> out;
  if (Exists()) CollectChildren(hwnd_, out);
  return out;
}

std::string Window::DescribeChildren() const {
  if (!hwnd_) return "  (no window)\n";
  return "  " + Describe(InfoOf(hwnd_)) + "\n" + Describe(Descendants());
}

Control Window::FindChild(const std::string& className, const std::string& text, bool visibleOnly) const {
  for (const WindowInfo& w : Descendants()) {
    if (visibleOnly && !w.visible) continue;
    if (!className.empty() && !SameClass(w.className, className.c_str())) continue;
    if (CaptionMatches(w.text, text)) return Control(w.hwnd, className + " " + Quoted(text));
  }
  return Control();
}

std::vector<Control> Window::FindChildren(const std::string& className, bool visibleOnly) const {
  std::vector<Control> r;
  for (const WindowInfo& w : Descendants())
    if ((!visibleOnly || w.visible) && SameClass(w.className, className.c_str())) r.emplace_back(w.hwnd, className);
  return r;
}

Control Window::Button(const std::string& caption) const {
  for (const WindowInfo& w : Descendants())
    if (w.visible && IsPushButton(w) && CaptionMatches(w.text, caption))
      return Control(w.hwnd, "button " + Quoted(caption));
  return Control();
}

bool Window::HasButton(const std::string& caption) const { return static_cast<bool>(Button(caption)); }
bool Window::ButtonVisible(const std::string& caption) const { return HasButton(caption); }
bool Window::ButtonEnabled(const std::string& caption) const {
  Control b = Button(caption);
  if (!b) {
    Fail("ButtonEnabled: no visible button " + Quoted(caption) + " in the " + what_ + "; buttons: " +
         Join(ButtonCaptions(), ", "));
    return false;
  }
  return b.Enabled();
}

std::vector<std::string> Window::ButtonCaptions() const {
  std::vector<std::string> r;
  for (const WindowInfo& w : Descendants())
    if (w.visible && IsPushButton(w)) r.push_back(w.text);
  return r;
}

bool Window::Press(const std::string& caption) const {
  if (!Require(("Press " + Quoted(caption)).c_str())) return false;
  Control b = Button(caption);
  std::string why;
  if (!b)
    why = "there is no visible button with that caption";
  else if (!b.Enabled())
    why = "the button is disabled";
  else if (!IsWindowEnabled(hwnd_))
    why = "the " + what_ + " is disabled (a modal box is open?)";
  if (!why.empty()) {
    Fail("Press " + Quoted(caption) + ": " + why + "; the " + what_ + " " + Quoted(Caption()) +
         " holds:\n" + DescribeChildren());
    return false;
  }
  PostMessageA(b.Hwnd(), BM_CLICK, 0, 0);
  SyncWith(hwnd_);
  return true;
}

std::vector<std::string> Window::Statics() const {
  std::vector<std::string> r;
  for (const WindowInfo& w : Descendants())
    if (w.visible && SameClass(w.className, "Static") && !w.text.empty()) r.push_back(w.text);
  return r;
}

bool Window::HasStatic(const std::string& substring) const {
  for (const std::string& s : Statics())
    if (s.find(substring) != std::string::npos) return true;
  return false;
}

bool Window::Activate() const {
  if (!Require("Activate")) return false;
  if (GetForegroundWindow() == hwnd_) return true;
  SetForegroundWindow(hwnd_);
  bool ok = WaitUntil([&] { return GetForegroundWindow() == hwnd_; }, 2s);
  SyncWith(hwnd_);
  return ok;
}

bool Window::Key(WORD vk) const {
  if (!Require("Key")) return false;
  if (!Activate()) {
    Fail("Key: the " + what_ + " could not be brought to the front");
    return false;
  }
  SendKeys({KeyInput(vk, false), KeyInput(vk, true)});
  SyncWith(hwnd_);
  return true;
}

bool Window::AltKey(char letter) const {
  if (!Require("AltKey")) return false;
  if (!Activate()) {
    Fail("AltKey: the " + what_ + " could not be brought to the front");
    return false;
  }
  WORD vk = static_cast<WORD>(toupper(static_cast<unsigned char>(letter)));
  SendKeys({KeyInput(VK_MENU, false), KeyInput(vk, false), KeyInput(vk, true), KeyInput(VK_MENU, true)});
  SyncWith(hwnd_);
  return true;
}

bool Window::Type(const std::string& text) const {
  if (!Require("Type")) return false;
  if (!Activate()) {
    Fail("Type: the " + what_ + " could not be brought to the front");
    return false;
  }
  std::vector<INPUT> in;
  for (unsigned char ch : text) {
    SHORT vs = ch < 128 ? VkKeyScanA(static_cast<char>(ch)) : -1;
    if (vs != -1 && (HIBYTE(vs) & ~1) == 0) {  // plain or with Shift only
      bool shift = (HIBYTE(vs) & 1) != 0;
      if (shift) in.push_back(KeyInput(VK_SHIFT, false));
      in.push_back(KeyInput(LOBYTE(vs), false));
      in.push_back(KeyInput(LOBYTE(vs), true));
      if (shift) in.push_back(KeyInput(VK_SHIFT, true));
    } else {
      wchar_t w = 0;
      char c = static_cast<char>(ch);
      MultiByteToWideChar(CP_ACP, 0, &c, 1, &w, 1);
      in.push_back(UnicodeInput(w, false));
      in.push_back(UnicodeInput(w, true));
    }
  }
  SendKeys(in);
  SyncWith(hwnd_);
  return true;
}

bool Window::CloseBox() const {
  if (!Require("CloseBox")) return false;
  PostMessageA(hwnd_, WM_SYSCOMMAND, SC_CLOSE, 0);
  SyncWith(hwnd_);
  return true;
}

bool Window::WaitGone(Duration timeout) const {
  if (!hwnd_) return true;
  if (WaitUntil([&] { return !IsWindow(hwnd_); }, timeout)) return true;
  Fail("the " + what_ + " " + Quoted(Caption()) + " is still there after " + std::to_string(timeout.count()) + " ms");
  return false;
}

std::string Window::Screenshot(const std::string& name) const {
  if (!Require("Screenshot")) return {};
  Activate();
  SyncWith(hwnd_);
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  SyncWith(hwnd_);
  Sleep(150);  // the X server shows what Wine drew a moment later
  RECT r = ScreenRect();
  std::string path = Join(ScreenshotFolder(), name + ".png");
  std::string err = CaptureScreenPng(r, path);
  if (!err.empty()) {
    Fail("Screenshot " + Quoted(name) + ": " + err);
    return {};
  }
  return path;
}

// ---- Wizard ----

namespace {
// The title band is the top 46 pixels of the wizard's client area.
constexpr int kTitleBandHeight = 46;

bool InTitleBand(HWND wizard, const WindowInfo& w) {
  POINT p{w.rect.left, w.rect.top};
  ScreenToClient(wizard, &p);
  return p.y >= 0 && p.y < kTitleBandHeight;
}
}  // namespace

std::string Wizard::Title() const {
  for (const WindowInfo& w : Descendants())
    if (w.visible && SameClass(w.className, "Static") && !w.text.empty() && InTitleBand(hwnd_, w)) return w.text;
  return {};
}

bool Wizard::WaitTitle(const std::string& title, Duration timeout) const {
  if (!Require(("WaitTitle " + Quoted(title)).c_str())) return false;
  if (WaitUntil([&] { return Title() == title; }, timeout)) return true;
  Fail("WaitTitle: waited " + std::to_string(timeout.count()) + " ms for the page " + Quoted(title) +
       ", the title reads " + Quoted(Title()) + "; the wizard holds:\n" + DescribeChildren());
  return false;
}

std::vector<std::string> Wizard::PageTexts() const {
  std::vector<std::string> r;
  for (const WindowInfo& w : Descendants())
    if (w.visible && SameClass(w.className, "Static") && !w.text.empty() && !InTitleBand(hwnd_, w))
      r.push_back(w.text);
  return r;
}

Control Wizard::Edit() const {
  for (const WindowInfo& w : Descendants())
    if (w.visible && SameClass(w.className, "Edit") && !(w.style & ES_MULTILINE)) return Control(w.hwnd, "edit");
  return Control();
}

bool Wizard::SetEditText(const std::string& text) const {
  Control e = Edit();
  if (!e) {
    Fail("SetEditText: no visible edit; the wizard holds:\n" + DescribeChildren());
    return false;
  }
  Send(e.Hwnd(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  SyncWith(hwnd_);
  return true;
}

std::string Wizard::EditText() const {
  Control e = Edit();
  if (!e) {
    Fail("EditText: no visible edit; the wizard holds:\n" + DescribeChildren());
    return {};
  }
  return e.Text();
}

Control Wizard::Memo() const {
  for (const WindowInfo& w : Descendants())
    if (w.visible && SameClass(w.className, "Edit") && (w.style & ES_MULTILINE)) return Control(w.hwnd, "memo");
  return Control();
}

Control Wizard::CheckBox(const std::string& caption) const {
  for (const WindowInfo& w : Descendants())
    if (w.visible && IsCheckBox(w) && CaptionMatches(w.text, caption))
      return Control(w.hwnd, "check box " + Quoted(caption));
  return Control();
}

bool Wizard::Ticked(const std::string& caption) const {
  Control c = CheckBox(caption);
  if (!c) {
    Fail("Ticked: no visible check box " + Quoted(caption) + "; the wizard holds:\n" + DescribeChildren());
    return false;
  }
  return c.CheckState() == BST_CHECKED;
}

bool Wizard::Tick(const std::string& caption, bool on) const {
  Control c = CheckBox(caption);
  if (!c || !c.Enabled()) {
    Fail("Tick: no enabled visible check box " + Quoted(caption) + "; the wizard holds:\n" + DescribeChildren());
    return false;
  }
  if ((c.CheckState() == BST_CHECKED) != on) {
    PostMessageA(c.Hwnd(), BM_CLICK, 0, 0);
    SyncWith(hwnd_);
  }
  if ((c.CheckState() == BST_CHECKED) != on) {
    Fail("Tick: the check box " + Quoted(caption) + " did not change");
    return false;
  }
  return true;
}

Control Wizard::ListBox() const {
  for (const WindowInfo& w : Descendants())
    if (w.visible && SameClass(w.className, "ListBox")) return Control(w.hwnd, "list box");
  return Control();
}

Control Wizard::ComboBox() const {
  for (const WindowInfo& w : Descendants())
    if (w.visible && (SameClass(w.className, "ComboBox") || SameClass(w.className, "ComboBoxEx32")))
      return Control(w.hwnd, "combo box");
  return Control();
}

// ---- MsgBox ----

std::string MsgBox::Text() const {
  // The message is the static with text; the icon is a static without.
  for (const WindowInfo& w : Descendants())
    if (SameClass(w.className, "Static") && !w.text.empty()) return w.text;
  return {};
}

// ---- SetupRun ----

namespace {
std::string QuoteArg(const std::string& a) {
  if (!a.empty() && a.find_first_of(" \t\"") == std::string::npos) return a;
  return "\"" + a + "\"";
}
}  // namespace

SetupRun SetupRun::Start(const std::string& exe, const std::vector<std::string>& args, const std::string& workDir) {
  std::string tail;
  for (const std::string& a : args) tail += (tail.empty() ? "" : " ") + QuoteArg(a);
  return StartRaw(exe, tail, workDir);
}

SetupRun SetupRun::StartRaw(const std::string& exe, const std::string& argsTail, const std::string& workDir) {
  SetupRun run;
  run.exe_ = exe;
  std::string cmd = "\"" + exe + "\"";
  if (!argsTail.empty()) cmd += " " + argsTail;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::vector<char> buf(cmd.begin(), cmd.end());
  buf.push_back('\0');
  if (!CreateProcessA(nullptr, buf.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      workDir.empty() ? nullptr : workDir.c_str(), &si, &pi)) {
    Fail("could not start " + cmd + ": error " + std::to_string(GetLastError()));
    return run;
  }
  run.process_ = pi.hProcess;
  run.thread_ = pi.hThread;
  run.pid_ = pi.dwProcessId;
  return run;
}

SetupRun::SetupRun(SetupRun&& o) noexcept { *this = std::move(o); }

SetupRun& SetupRun::operator=(SetupRun&& o) noexcept {
  if (this != &o) {
    Kill();
    std::swap(process_, o.process_);
    std::swap(thread_, o.thread_);
    std::swap(pid_, o.pid_);
    std::swap(exe_, o.exe_);
  }
  return *this;
}

SetupRun::~SetupRun() { Kill(); }

void SetupRun::Kill() {
  if (process_) {
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_, 255);
      WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
    process_ = nullptr;
  }
  if (thread_) {
    CloseHandle(thread_);
    thread_ = nullptr;
  }
}

bool SetupRun::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

std::vector<WindowInfo> SetupRun::Windows() const {
  std::vector<WindowInfo> r;
  if (!pid_) return r;
  for (HWND h : TopWindowsOf(pid_)) r.push_back(InfoOf(h));
  return r;
}

std::string SetupRun::DescribeWindows() const {
  std::string state = ", running";
  DWORD code = 0;
  if (!Running()) state = process_ && GetExitCodeProcess(process_, &code) ? ", ended with exit code " + std::to_string(code) : ", ended";
  std::string r = "top-level windows of " + exe_ + " (pid " + std::to_string(pid_) + state + "):\n";
  std::vector<WindowInfo> ws = Windows();
  r += Describe(ws);
  for (const WindowInfo& w : ws)
    if (w.visible) r += "children of " + Quoted(w.text) + ":\n" + Describe(Window(w.hwnd).Descendants());
  return r;
}

namespace {
bool Showing(HWND h) {
  RECT r{};
  GetWindowRect(h, &r);
  return IsWindowVisible(h) && r.right > r.left && r.bottom > r.top;
}
}  // namespace

Window SetupRun::WaitWindow(const std::string& caption, Duration timeout) const {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND h : TopWindowsOf(pid_))
          if (Showing(h) && TextOf(h) == caption) return (found = h) != nullptr;
        return false;
      },
      timeout);
  if (!found)
    Fail("waited up to " + std::to_string(timeout.count()) + " ms for a window " + Quoted(caption) + "; " +
         DescribeWindows());
  return Window(found);
}

Wizard SetupRun::WaitWizard(Duration timeout) const {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND h : TopWindowsOf(pid_))
          if (Showing(h) && TextOf(h) == SetupTitle && !IsMessageBoxLike(h)) return (found = h) != nullptr;
        return !Running();
      },
      timeout);
  if (!found)
    Fail("waited up to " + std::to_string(timeout.count()) + " ms for the wizard " + Quoted(SetupTitle) + "; " +
         DescribeWindows());
  return Wizard(found);
}

MsgBox SetupRun::FindMessageBox(const std::string& caption) const {
  for (HWND h : TopWindowsOf(pid_))
    if (Showing(h) && SameClass(ClassOf(h), "#32770") && (caption.empty() || TextOf(h) == caption) &&
        IsMessageBoxLike(h))
      return MsgBox(h);
  return MsgBox();
}

MsgBox SetupRun::WaitMessageBox(Duration timeout, const std::string& caption) const {
  MsgBox box;
  WaitUntil(
      [&] {
        box = FindMessageBox(caption);
        return static_cast<bool>(box) || !Running();
      },
      timeout);
  if (!box)
    Fail("waited up to " + std::to_string(timeout.count()) + " ms for a message box " +
         (caption.empty() ? std::string("(any caption)") : Quoted(caption)) + "; " + DescribeWindows());
  return box;
}

int SetupRun::WaitExit(Duration timeout) {
  if (!process_) {
    Fail("WaitExit: no process");
    return -1;
  }
  if (WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
    Fail("the process did not end within " + std::to_string(timeout.count()) + " ms, killed; " + DescribeWindows());
    Kill();
    return -1;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return static_cast<int>(code);
}

}  // namespace e2e
