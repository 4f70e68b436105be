// Controls with their windows: list and combo notifications, items that
// carry objects, the owner-drawn painter, labels, pages, alignment and the
// tab order.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"

namespace {

std::vector<std::string>* g_Log = nullptr;
void Log(const std::string& s) {
  if (g_Log) g_Log->push_back(s);
}

class TLoggingCombo : public TComboBox {
 public:
  using TComboBox::TComboBox;
  void Click() override {
    Log("Click:" + Text());
    TComboBox::Click();
  }
};

class TLoggingList : public TListBox {
 public:
  using TListBox::TListBox;
  void Click() override {
    Log("Click:" + std::to_string(ItemIndex()));
    TListBox::Click();
  }
};

// Records how the canvas was prepared for each item.
class TPaintList : public TListBox {
 public:
  explicit TPaintList(TComponent* owner) : TListBox(owner) { SetStyle(lbOwnerDrawFixed); }
  struct Call {
    int index;
    TColor brush, font;
    bool selected;
    bool hasDC;
  };
  std::vector<Call> Calls;

 protected:
  void DrawItem(int index, const RECT& rect) override {
    Calls.push_back({index, Canvas()->Brush()->Color(), Canvas()->Font()->Color(),
                     (DrawState() & ODS_SELECTED) != 0, Canvas()->Handle() != nullptr});
    TListBox::DrawItem(index, rect);
  }
};

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

std::string Join(const std::vector<std::string>& v) {
  std::string s;
  for (const auto& x : v) s += (s.empty() ? "" : " | ") + x;
  return s;
}

std::unique_ptr<TForm> ShownForm() {
  auto form = std::make_unique<TForm>(nullptr);
  form->SetBorderStyle(bsSingle);
  form->SetClientWidth(400);
  form->SetClientHeight(300);
  form->HandleNeeded();
  form->SetVisible(true);
  SetForegroundWindow(form->Handle());
  return form;
}

}  // namespace

TEST(Controls, ComboSelectionChangeSetsTextThenClicksThenChanges) {
  auto form = ShownForm();
  auto* combo = new TLoggingCombo(form.get());
  combo->SetStyle(csOwnerDrawFixed);
  combo->SetParent(form.get());
  for (const char* s : {"c: [system]", "e: [stick]", "z: \\\\srv\\docs"}) combo->Items()->Add(s);
  std::vector<std::string> log;
  g_Log = &log;
  combo->OnChange = [&](TObject* sender) {
    log.push_back(std::string("Change:") + static_cast<TComboBox*>(sender)->Text());
  };

  combo->SetItemIndex(0);
  EXPECT_EQ("", Join(log)) << "setting the selection from the program tells nobody";
  EXPECT_EQ("c: [system]", combo->Text());

  combo->SetFocus();
  SendMessageA(combo->Handle(), WM_KEYDOWN, VK_DOWN, 0);  // as the arrow key does
  Pump();
  EXPECT_EQ("Click:e: [stick] | Change:e: [stick]", Join(log));

  combo->SetText("");
  EXPECT_EQ(-1, combo->ItemIndex());
  combo->SetText("Z: \\\\SRV\\DOCS");
  EXPECT_EQ(2, combo->ItemIndex()) << "text found ignoring case";
  g_Log = nullptr;
}

TEST(Controls, ListSelectionChangeClicks) {
  auto form = ShownForm();
  auto* list = new TLoggingList(form.get());
  list->SetParent(form.get());
  for (const char* s : {"C:\\", "C:\\Program Files", "C:\\Program Files\\Quillora"}) list->Items()->Add(s);
  std::vector<std::string> log;
  g_Log = &log;
  list->SetItemIndex(1);
  EXPECT_EQ("", Join(log)) << "no notification from the program";
  list->SetFocus();
  SendMessageA(list->Handle(), WM_KEYDOWN, VK_DOWN, 0);
  Pump();
  EXPECT_EQ("Click:2", Join(log));
  g_Log = nullptr;
}

TEST(Controls, ItemsCarryObjectsAndEndAtTheirFirstNul) {
  auto form = ShownForm();
  TObject a, b;
  // Before the window exists the items are kept, then go in.
  auto* list = new TListBox(form.get());
  list->Items()->AddObject("kept", &a);
  list->Items()->AddObject(std::string("ab\0cd", 5), &b);
  list->SetItemIndex(1);
  EXPECT_FALSE(list->HandleAllocated());
  list->SetParent(form.get());
  ASSERT_TRUE(list->HandleAllocated());
  auto* combo = new TComboBox(form.get());
  combo->SetStyle(csOwnerDrawFixed);
  combo->SetParent(form.get());
  combo->Items()->AddObject("x", &a);
  combo->Items()->InsertObject(0, "w", &b);

  struct {
    const char* what;
    std::string got, expected;
  } texts[] = {
      {"list item 0", list->Items()->Get(0), "kept"},
      {"list item 1 ends at the NUL", list->Items()->Get(1), "ab"},
      {"combo item 0", combo->Items()->Get(0), "w"},
      {"combo item 1", combo->Items()->Get(1), "x"},
  };
  for (const auto& t : texts) EXPECT_EQ(t.expected, t.got) << t.what;
  EXPECT_EQ(&a, list->Items()->GetObject(0));
  EXPECT_EQ(&b, list->Items()->GetObject(1));
  EXPECT_EQ(&b, combo->Items()->GetObject(0));
  EXPECT_EQ(&a, combo->Items()->GetObject(1));
  EXPECT_EQ(1, list->ItemIndex()) << "the selection made before the window";
  EXPECT_EQ(1, combo->Items()->IndexOf("X"));
  EXPECT_THROW(list->Items()->Get(2), EListError);
  list->Items()->Clear();
  EXPECT_EQ(0, list->Items()->Count());
}

TEST(Controls, OwnerDrawnItemsGetAPreparedCanvas) {
  auto form = ShownForm();
  auto* list = new TPaintList(form.get());
  list->SetBounds(10, 10, 200, 100);
  list->SetParent(form.get());
  list->SetItemHeight(0);
  list->SetItemHeight(17);
  EXPECT_EQ(17, SendMessageA(list->Handle(), LB_GETITEMHEIGHT, 0, 0));
  list->Items()->Add("first");
  list->Items()->Add("second");
  list->SetItemIndex(1);
  list->Calls.clear();
  InvalidateRect(list->Handle(), nullptr, TRUE);
  UpdateWindow(list->Handle());
  bool sawSelected = false, sawPlain = false;
  for (const auto& c : list->Calls) {
    EXPECT_TRUE(c.hasDC) << "item " << c.index;
    if (c.index == 1) {
      sawSelected = true;
      EXPECT_TRUE(c.selected);
      EXPECT_EQ(clHighlight, c.brush);
      EXPECT_EQ(clHighlightText, c.font);
    } else if (c.index == 0) {
      sawPlain = true;
      EXPECT_FALSE(c.selected);
      EXPECT_EQ(clWindow, c.brush);
      EXPECT_EQ(clWindowText, c.font);
    }
  }
  EXPECT_TRUE(sawSelected && sawPlain) << list->Calls.size() << " items painted";
  EXPECT_EQ(nullptr, list->Canvas()->Handle()) << "the canvas lets go of the DC";
}

TEST(Controls, LabelsAutoSizeAndPagesShowOneSheet) {
  auto form = ShownForm();
  auto* label = new TLabel(form.get());
  label->SetParent(form.get());
  label->SetCaption("Hi");
  int narrow = label->Width();
  label->SetCaption("Welcome to the Quillora Irish Spellchecker");
  EXPECT_GT(label->Width(), narrow) << "AutoSize widens to the caption";
  label->SetCaption("one\rtwo");
  int twoLines = label->Height();
  label->SetCaption("one");
  EXPECT_GT(twoLines, label->Height()) << "a CR is a line break";
  label->SetAutoSize(false);
  label->SetBounds(0, 0, 50, 20);
  label->SetCaption("a much longer caption than fits");
  EXPECT_EQ(50, label->Width());

  auto* pages = new TPageControl(form.get());
  pages->SetBounds(10, 40, 300, 200);
  pages->SetParent(form.get());
  TTabSheet* sheets[3];
  for (auto& s : sheets) {
    s = new TTabSheet(form.get());
    s->SetParent(pages);
  }
  EXPECT_EQ(0, SendMessageA(pages->Handle(), TCM_GETITEMCOUNT, 0, 0)) << "no tabs";
  struct {
    int active;
  } steps[] = {{0}, {2}, {1}};
  for (const auto& step : steps) {
    pages->SetActivePageIndex(step.active);
    EXPECT_EQ(step.active, pages->ActivePageIndex());
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(i == step.active, IsWindowVisible(sheets[i]->Handle()) != FALSE) << "page " << i << " with "
                                                                                  << step.active << " active";
  }
  RECT d = pages->DisplayRect();
  EXPECT_EQ(d.left, sheets[1]->Left());
  EXPECT_EQ(d.right - d.left, sheets[1]->Width());
}

TEST(Controls, AlignedChildrenShareTheClientArea) {
  auto form = ShownForm();  // 400 x 300
  auto* top = new TPanel(form.get());
  top->SetBounds(5, 5, 10, 46);
  top->SetAlign(alTop);
  top->SetParent(form.get());
  auto* left = new TPanel(form.get());
  left->SetBounds(0, 0, 123, 10);
  left->SetParent(form.get());
  left->SetAlign(alLeft);
  auto* right = new TBevel(left);
  right->SetBounds(0, 0, 2, 10);
  right->SetAlign(alRight);
  right->SetParent(left);
  struct {
    const char* what;
    RECT got, expected;
  } cases[] = {
      {"alTop", top->BoundsRect(), {0, 0, 400, 46}},
      {"alLeft below it", left->BoundsRect(), {0, 46, 123, 300}},
      {"alRight inside the 1-pixel bevel of a raised panel", right->BoundsRect(), {120, 1, 122, 253}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected.left, c.got.left) << c.what;
    EXPECT_EQ(c.expected.top, c.got.top) << c.what;
    EXPECT_EQ(c.expected.right, c.got.right) << c.what;
    EXPECT_EQ(c.expected.bottom, c.got.bottom) << c.what;
  }
}

TEST(Controls, TabFollowsCreationOrderAndSkipsWhatCannotFocus) {
  auto form = ShownForm();
  auto* edit = new TEdit(form.get());
  edit->SetParent(form.get());
  auto* panel = new TPanel(form.get());
  panel->SetParent(form.get());
  auto* hidden = new TButton(form.get());
  hidden->SetVisible(false);
  hidden->SetParent(panel);
  auto* disabled = new TButton(form.get());
  disabled->SetEnabled(false);
  disabled->SetParent(panel);
  auto* button = new TButton(form.get());
  button->SetParent(panel);
  auto* check = new TCheckBox(form.get());
  check->SetParent(form.get());

  edit->SetFocus();
  struct {
    bool forward;
    TWinControl* expected;
    const char* name;
  } steps[] = {{true, button, "button"}, {true, check, "check box"}, {true, edit, "edit (wraps)"},
               {false, check, "back to the check box"}, {false, button, "back to the button"}};
  for (const auto& s : steps) {
    form->SelectNext(s.forward);
    EXPECT_TRUE(s.expected->Focused()) << s.name;
  }
  // Hiding the control with the focus moves the focus on.
  button->SetFocus();
  button->SetVisible(false);
  EXPECT_TRUE(check->Focused()) << "the focus left the hidden button";
}

TEST(Controls, CheckBoxGrowsSoItsCaptionIsNotCutOff) {
  auto form = ShownForm();  // 400 wide
  struct {
    const char* caption;
    int left, width;
    bool grows;
    int atMost;
  } cases[] = {
      {"&Launch Quillora Word Processor", 40, 30, true, 360},
      {"Ok", 40, 200, false, 200},
      {"a caption far too long to fit in the four hundred pixels of the form at all, however it is set", 40, 100,
       true, 360},
  };
  for (const auto& c : cases) {
    auto* box = new TCheckBox(form.get());
    box->SetBounds(c.left, 10, c.width, 17);
    box->SetParent(form.get());
    box->SetCaption(c.caption);
    if (c.grows) EXPECT_GT(box->Width(), c.width) << c.caption;
    else EXPECT_EQ(c.width, box->Width()) << c.caption;
    EXPECT_LE(box->Width(), c.atMost) << c.caption << ": stays inside its parent";
    RECT r;
    GetWindowRect(box->Handle(), &r);
    EXPECT_EQ(box->Width(), r.right - r.left) << c.caption;
  }
}
