// The form reader on small form texts: what it builds, and every unknown
// name or missing field as an error that names it.
#include <gtest/gtest.h>
#include <windows.h>

#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "FormReader.h"
#include "StdCtrls.h"

namespace {

class TTestForm : public TForm {
 public:
  TTestForm() : TForm(nullptr) {}
  const char* ClassName() const override { return "TTestForm"; }
  void Load(const std::string& text) { ReadForm(text); }

  TButton* Btn = nullptr;
  TLabel* Lbl = nullptr;
  TPanel* Pnl = nullptr;
  TEdit* Ed = nullptr;
  int Clicks = 0;
  void BtnClick(TObject*) { ++Clicks; }
  void Query(TObject*, bool& canClose) { canClose = true; }

 protected:
  std::vector<TFieldInfo> PublishedFields() override {
    return {Field("Btn", Btn), Field("Lbl", Lbl), Field("Pnl", Pnl), Field("Ed", Ed)};
  }
  std::vector<THandlerInfo> PublishedHandlers() override {
    return {Handler("BtnClick", this, &TTestForm::BtnClick), Handler("Query", this, &TTestForm::Query)};
  }
};

const std::string kForm = R"(// a comment
object F: TTestForm
  ClientWidth = 300
  ClientHeight = 200
  BorderStyle = bsSingle
  BorderIcons = [biSystemMenu]
  OnCloseQuery = Query
  object Pnl: TPanel
    Height = 40
    Align = alTop
    Color = clWhite
    BevelOuter = bvNone
    object Lbl: TLabel
      Left = 5
      Top = $0A
      Caption = "one\r"
                "two \"quoted\" \\ \t."
      Font.Style = [fsBold]
      FocusControl = Ed
    end
  end
  object Btn: TButton
    Left = 10
    Top = 150
    Width = 80
    Height = 24
    Caption = "&Go"
    Default = True
    OnClick = BtnClick
  end
  object Ed: TEdit
  end
end
)";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  EXPECT_NE(std::string::npos, at) << "fixture lacks: " << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

struct Registration : ::testing::Environment {
  void SetUp() override {
    RegisterComponentClass<TButton>("TButton");
    RegisterComponentClass<TLabel>("TLabel");
    RegisterComponentClass<TPanel>("TPanel");
    RegisterComponentClass<TEdit>("TEdit");
    RegisterComponentClass<TTabSheet>("TTabSheet");
  }
};
::testing::Environment* const kRegistration = ::testing::AddGlobalTestEnvironment(new Registration);

}  // namespace

TEST(FormReader, BuildsComponentsAndBindsFieldsAndHandlers) {
  TTestForm form;
  form.Load(kForm);
  ASSERT_NE(nullptr, form.Btn);
  ASSERT_NE(nullptr, form.Lbl);
  ASSERT_NE(nullptr, form.Pnl);
  EXPECT_EQ("F", form.Name());
  EXPECT_EQ(300, form.ClientWidth());
  EXPECT_EQ(bsSingle, form.BorderStyle());
  EXPECT_EQ(static_cast<unsigned>(biSystemMenu), form.BorderIcons());
  EXPECT_TRUE(static_cast<bool>(form.OnCloseQuery));

  struct {
    const char* what;
    long long got, expected;
  } ints[] = {
      {"Btn.Left", form.Btn->Left(), 10},      {"Btn.Top", form.Btn->Top(), 150},
      {"Btn.Width", form.Btn->Width(), 80},    {"Lbl.Top ($0A)", form.Lbl->Top(), 10},
      {"Pnl.Width (alTop)", form.Pnl->Width(), 300}, {"Pnl.Color", form.Pnl->Color(), clWhite},
      {"Lbl bold", form.Lbl->Font()->Style(), fsBold}, {"Lbl parent", form.Lbl->Parent() == form.Pnl, 1},
      {"Btn default", form.Btn->Default(), 1},
  };
  for (const auto& c : ints) EXPECT_EQ(c.expected, c.got) << c.what;
  EXPECT_EQ("one\rtwo \"quoted\" \\ \t.", form.Lbl->Caption());
  EXPECT_EQ("&Go", form.Btn->Caption());
  EXPECT_EQ(form.Ed, form.Lbl->FocusControl()) << "a reference to a later component";

  // Real windows, in text order, the label showing CR LF.
  ASSERT_TRUE(form.Btn->HandleAllocated());
  char cls[32] = {};
  GetClassNameA(form.Lbl->Handle(), cls, sizeof cls);
  EXPECT_STREQ("Static", cls);
  char text[64] = {};
  GetWindowTextA(form.Lbl->Handle(), text, sizeof text);
  EXPECT_STREQ("one\r\ntwo \"quoted\" \\ \t.", text);

  SendMessageA(form.Btn->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(1, form.Clicks) << "OnClick bound to the form's handler";
}

TEST(FormReader, EveryUnknownNameIsAnError) {
  const std::string lblBlock = kForm.substr(kForm.find("    object Lbl"), kForm.find("  end\n  object Btn") -
                                                                             kForm.find("    object Lbl"));
  struct {
    const char* from;
    std::string to;
    const char* expected;
  } cases[] = {
      {"object Btn: TButton", "object Btn: TBogus", "unknown class TBogus (component Btn)"},
      {"object Ed: TEdit", "object Ed: TMemo", "unknown class TMemo"},
      {"Color = clWhite", "Colour = clWhite", "unknown property Colour of Pnl (TPanel)"},
      {"OnClick = BtnClick", "OnClick = Nope", "unknown handler Nope (property OnClick)"},
      {"OnClick = BtnClick", "OnClick = Query", "handler Query does not fit OnClick"},
      {"OnCloseQuery = Query", "OnCloseQuery = BtnClick", "handler BtnClick does not fit OnCloseQuery"},
      {"object Ed: TEdit", "object Ed: TButton", "field Ed cannot hold a TButton"},
      {"FocusControl = Ed", "FocusControl = Nothing", "unknown component Nothing (property FocusControl)"},
      {"object F: TTestForm", "object F: TOtherForm", "the form is a TTestForm, not a TOtherForm"},
      {"object Ed: TEdit", "object Btn: TEdit", "duplicate component name Btn"},
      {"object Ed: TEdit", "object Ed: TTabSheet", "no page control"},
      {"Left = 10", "Left = \"ten\"", "property Left takes an integer"},
      {"Default = True", "Default = Yes", "property Default takes True or False"},
      {"Caption = \"&Go\"", "Caption = Go", "property Caption takes a string"},
      {"Align = alTop", "Align = alMiddle", "unknown value alMiddle of property Align"},
      {"[biSystemMenu]", "[biSystemMenu, biFoo]", "unknown member biFoo of property BorderIcons"},
      {"Font.Style = [fsBold]", "Font.Style = fsBold", "property Font.Style takes a set"},
      {"Color = clWhite", "Color = clPink", "unknown colour clPink"},
      {"\\t.", "\\q.", "unknown escape \\q"},
      {"Caption = \"&Go\"", "Caption = \"&Go", "string without its closing quote"},
      {"Left = 10", "Left = 10x", "bad number"},
      {"Left = 10", "Left 10", "'=' expected"},
      {"  end\nend\n", "  end\n", "end expected"},
      {"  end\nend\n", "  end\nend\nextra\n", "text after the end of the form: extra"},
  };
  for (const auto& c : cases) {
    std::string text = Replace(kForm, c.from, c.to);
    std::string got = "(no error)", cls;
    try {
      TTestForm form;
      form.Load(text);
    } catch (const Exception& e) {
      got = e.Message();
      cls = e.ClassName();
    }
    EXPECT_NE(std::string::npos, got.find(c.expected)) << "got: " << got << "\nexpected: " << c.expected;
    EXPECT_EQ("EFormLoadError", cls) << c.expected;
  }
  // A field that the text does not define.
  std::string got = "(no error)";
  try {
    TTestForm form;
    form.Load(Replace(kForm, lblBlock, ""));
  } catch (const EFormLoadError& e) {
    got = e.Message();
  }
  EXPECT_EQ("field Lbl has no component in the form", got);
}

TEST(FormReader, ErrorsNameTheirLine) {
  std::string got;
  try {
    TTestForm form;
    form.Load(Replace(kForm, "Width = 80", "Widht = 80"));
  } catch (const EFormLoadError& e) {
    got = e.Message();
  }
  EXPECT_EQ("line 25: unknown property Widht of Btn (TButton)", got);
}
