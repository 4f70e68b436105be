// The modal loop: every way of closing runs the close query, a refusal keeps
// the form, and an exception escaping a handler is shown as
// "Exception <ClassName>" while the loop goes on.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "Application.h"
#include "FormReader.h"
#include "StdCtrls.h"

namespace {

using namespace std::chrono_literals;

class TModalForm : public TForm {
 public:
  TModalForm() : TForm(nullptr) {
    ReadForm(R"(
object F: TModalForm
  ClientWidth = 240
  ClientHeight = 100
  BorderStyle = bsSingle
  BorderIcons = [biSystemMenu]
  OnCloseQuery = Query
  object Ed: TEdit
    Left = 100
    Top = 10
  end
  object ThrowBtn: TButton
    Left = 10
    Top = 10
    Caption = "&Throw"
    OnClick = ThrowClick
  end
  object OkBtn: TButton
    Left = 10
    Top = 60
    Caption = "OK"
    Default = True
    ModalResult = 1
  end
  object CancelBtn: TButton
    Left = 100
    Top = 60
    Caption = "Cancel"
    Cancel = True
    OnClick = CancelClick
  end
end
)");
  }
  const char* ClassName() const override { return "TModalForm"; }

  TButton* ThrowBtn = nullptr;
  TButton* OkBtn = nullptr;
  TButton* CancelBtn = nullptr;
  std::atomic<int> Queries{0};
  std::atomic<int> Refusals{0};  // this many close requests are refused
  bool ThrowInQuery = false;  // the first query raises
  bool ThrowOnTimer = false;
  std::atomic<int> Timers{0};

  void ThrowClick(TObject*) { throw EFOpenError("cannot open it"); }
  void CancelClick(TObject*) { Close(); }
  void Query(TObject*, bool& canClose) {
    int n = ++Queries;
    if (ThrowInQuery && n == 1) throw EReadError("while asking");
    canClose = n > Refusals;
  }

 protected:
  void WMTimer(TMessage&) override {
    ++Timers;
    if (ThrowOnTimer) {
      ThrowOnTimer = false;
      KillTimer(Handle(), 7);
      throw EInvalidGraphic("from the timer");
    }
  }
  std::vector<TFieldInfo> PublishedFields() override {
    return {Field("ThrowBtn", ThrowBtn), Field("OkBtn", OkBtn), Field("CancelBtn", CancelBtn)};
  }
  std::vector<THandlerInfo> PublishedHandlers() override {
    return {Handler("ThrowClick", this, &TModalForm::ThrowClick),
            Handler("CancelClick", this, &TModalForm::CancelClick), Handler("Query", this, &TModalForm::Query)};
  }
};

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 5s) {
  auto end = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < end) {
    if (condition()) return true;
    std::this_thread::sleep_for(20ms);
  }
  return condition();
}

BOOL CALLBACK FindBoxProc(HWND w, LPARAM p) {
  char cls[16] = {};
  GetClassNameA(w, cls, sizeof cls);
  if (strcmp(cls, "#32770") == 0 && IsWindowVisible(w)) {
    *reinterpret_cast<HWND*>(p) = w;
    return FALSE;
  }
  return TRUE;
}

// A message box of the given thread, or none.
HWND FindBox(DWORD thread) {
  HWND found = nullptr;
  EnumThreadWindows(thread, FindBoxProc, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::string TextOf(HWND w) {
  char buf[256] = {};
  GetWindowTextA(w, buf, sizeof buf);
  return buf;
}

// Runs the driver on a thread while the form runs modally here. Whatever
// the driver saw, the form is then closed, so a failure cannot hang.
int RunModal(TModalForm& form, const std::function<void()>& driver) {
  form.HandleNeeded();
  std::atomic<bool> done{false};
  const DWORD gui = GetCurrentThreadId();
  std::thread t([&] {
    driver();
    while (!done) {
      if (HWND box = FindBox(gui)) PostMessageA(box, WM_COMMAND, IDOK, 0);
      form.Refusals = 0;
      PostMessageA(form.Handle(), WM_CLOSE, 0, 0);
      std::this_thread::sleep_for(200ms);
    }
  });
  int result = form.ShowModal();
  done = true;
  t.join();
  return result;
}

struct AppScope {
  TApplication app;
  AppScope() {
    Application = &app;
    app.SetTitle("Winlib Test");
  }
  ~AppScope() { Application = nullptr; }
};

}  // namespace

TEST(Modal, EveryWayOfClosingAsksTheCloseQuery) {
  AppScope scope;
  struct {
    const char* way;
    std::function<void(TModalForm&)> request;
    int result;
  } cases[] = {
      {"Cancel button", [](TModalForm& f) { PostMessageA(f.CancelBtn->Handle(), BM_CLICK, 0, 0); }, mrCancel},
      {"Escape", [](TModalForm& f) { PostMessageA(f.Handle(), WM_KEYDOWN, VK_ESCAPE, 0); }, mrCancel},
      {"close box", [](TModalForm& f) { PostMessageA(f.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }, mrCancel},
      {"Alt+F4", [](TModalForm& f) { PostMessageA(f.Handle(), WM_SYSKEYDOWN, VK_F4, 0x20000001); }, mrCancel},
      {"Enter (default button)", [](TModalForm& f) { PostMessageA(f.Handle(), WM_KEYDOWN, VK_RETURN, 0); }, mrOk},
      {"modal result of a button", [](TModalForm& f) { PostMessageA(f.OkBtn->Handle(), BM_CLICK, 0, 0); }, mrOk},
  };
  for (const auto& c : cases) {
    TModalForm form;
    form.Refusals = 1;
    bool stayed = false;
    int result = RunModal(form, [&] {
      c.request(form);
      if (!WaitFor([&] { return form.Queries == 1; })) return;
      std::this_thread::sleep_for(100ms);
      stayed = IsWindowVisible(form.Handle()) != FALSE;
      c.request(form);
      WaitFor([&] { return form.Queries == 2; });
    });
    EXPECT_TRUE(stayed) << c.way << ": a refused close keeps the form";
    EXPECT_EQ(2, form.Queries.load()) << c.way;
    EXPECT_EQ(c.result, result) << c.way;
    EXPECT_FALSE(IsWindowVisible(form.Handle())) << c.way << ": hidden after the loop";
  }
}

TEST(Modal, StrayExceptionIsShownAndTheLoopGoesOn) {
  AppScope scope;
  const DWORD gui = GetCurrentThreadId();
  struct {
    const char* source;
    std::function<void(TModalForm&)> trigger;
    const char* text;
  } cases[] = {
      {"click handler", [](TModalForm& f) { PostMessageA(f.ThrowBtn->Handle(), BM_CLICK, 0, 0); },
       "Exception EFOpenError"},
      {"Alt+T on the throwing button", [](TModalForm& f) { PostMessageA(f.Handle(), WM_SYSCHAR, 't', 0x20000001); },
       "Exception EFOpenError"},
      {"timer", [](TModalForm& f) {
         f.ThrowOnTimer = true;
         SetTimer(f.Handle(), 7, 30, nullptr);
       }, "Exception EInvalidGraphic"},
      {"close query", [](TModalForm& f) {
         f.ThrowInQuery = true;
         PostMessageA(f.Handle(), WM_CLOSE, 0, 0);
       }, "Exception EReadError"},
  };
  for (const auto& c : cases) {
    TModalForm form;
    std::string text, caption;
    int result = RunModal(form, [&] {
      c.trigger(form);
      HWND box = nullptr;
      WaitFor([&] { return (box = FindBox(gui)) != nullptr; });
      if (box) {
        text = TextOf(GetDlgItem(box, 0xFFFF));
        caption = TextOf(box);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        WaitFor([&] { return !IsWindow(box); });
      }
      // The loop still answers: OK ends it.
      PostMessageA(form.OkBtn->Handle(), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(c.text, text) << c.source;
    EXPECT_EQ("Winlib Test", caption) << c.source;
    EXPECT_EQ(mrOk, result) << c.source << ": the loop went on after the box";
  }
}
