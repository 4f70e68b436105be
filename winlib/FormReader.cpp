// Form descriptions
// =================
// A form is described by nested object blocks:
//
//   object MainForm: TMyForm            // the form itself: its own class
//     ClientWidth = 492
//     BorderIcons = [biSystemMenu]
//     OnCloseQuery = FormCloseQuery     // a handler the form publishes
//     object OkBtn: TButton             // a component; its parent is the
//       Left = 10                       // enclosing object
//       Caption = "&OK"
//       Font.Style = [fsBold]
//       OnClick = OkBtnClick
//     end
//   end
//
// - Values: integers (-15, 16777215, or hexadecimal $FF), True and False,
//   identifiers (enumeration values, colours such as clWhite, handler names,
//   component names, nil), strings in double quotes, and sets in brackets
//   ([a, b], or [] for none).
// - Strings: \r carriage return, \n line feed, \t tab, \\ backslash, \"
//   double quote; any other backslash is an error. Strings next to each other
//   are joined, so a long text can run over several lines.
// - Comments run from // to the end of the line. Lines and indentation carry
//   no meaning.
// - The keywords object and end, property, component, field and handler
//   names ignore letter case; class names are matched exactly.
// - Components are created in text order, owned by the form; that order is
//   also their order among siblings (stacking and tab order).
// Every unknown class, property, value, handler or component, and every
// field the form publishes that the text does not define, is an error
// (EFormLoadError with the line and the name).
#include "FormReader.h"
#include <cctype>
#include <cstdlib>

namespace {
std::vector<std::pair<std::string, TComponentFactory>>& Registry() {
  static std::vector<std::pair<std::string, TComponentFactory>> r;
  return r;
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

bool SameText(const std::string& a, const std::string& b) { return _stricmp(a.c_str(), b.c_str()) == 0; }
}  // namespace

void RegisterComponentClass(const std::string& name, TComponentFactory factory) {
  for (auto& entry : Registry())
    if (entry.first == name) {
      entry.second = std::move(factory);
      return;
    }
  Registry().emplace_back(name, std::move(factory));
}

bool IsClassRegistered(const std::string& name) {
  for (const auto& entry : Registry())
    if (entry.first == name) return true;
  return false;
}

std::vector<std::string> RegisteredClasses() {
  std::vector<std::string> names;
  for (const auto& entry : Registry()) names.push_back(entry.first);
  return names;
}

void UnregisterAllClasses() { Registry().clear(); }

// ---- TPropTable ----

TPropTable::TPropTable(const TPropTable* parent, std::vector<TPropInfo> props)
    : Parent_(parent), Props_(std::move(props)) {}

const TPropInfo* TPropTable::Find(const std::string& name) const {
  for (const TPropTable* t = this; t; t = t->Parent_)
    for (const TPropInfo& p : t->Props_)
      if (SameText(p.Name, name)) return &p;
  return nullptr;
}

// ---- the tokenizer and parser ----

enum TTokenKind { tkEnd, tkIdent, tkInteger, tkString, tkSymbol };

struct TToken {
  TTokenKind Kind = tkEnd;
  std::string Text;  // identifier, string contents or the symbol
  long long Int = 0;
  int Line = 1;
};

class TFormParser {
 public:
  TFormParser(const std::string& text, TFormReader& reader) : S_(text), R_(reader) { Next(); }

  void ReadRoot() {
    ReadObject(nullptr);
    if (Tok_.Kind != tkEnd) R_.Error(Tok_.Line, "text after the end of the form: " + Tok_.Text);
  }

 private:
  [[noreturn]] void Fail(const std::string& what) { R_.Error(Tok_.Line, what); }

  void Next() {
    SkipBlanks();
    Tok_ = TToken();
    Tok_.Line = Line_;
    if (Pos_ >= S_.size()) return;
    char c = S_[Pos_];
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      size_t start = Pos_;
      while (Pos_ < S_.size() && (std::isalnum(static_cast<unsigned char>(S_[Pos_])) || S_[Pos_] == '_' || S_[Pos_] == '.'))
        ++Pos_;
      Tok_.Kind = tkIdent;
      Tok_.Text = S_.substr(start, Pos_ - start);
      return;
    }
    if (std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '$') {
      ReadNumber();
      return;
    }
    if (c == '"') {
      Tok_.Kind = tkString;
      // Adjacent strings join.
      do {
        ReadString();
        SkipBlanks();
      } while (Pos_ < S_.size() && S_[Pos_] == '"');
      return;
    }
    if (c == ':' || c == '=' || c == '[' || c == ']' || c == ',') {
      Tok_.Kind = tkSymbol;
      Tok_.Text = std::string(1, c);
      ++Pos_;
      return;
    }
    R_.Error(Line_, std::string("unexpected character '") + c + "'");
  }

  // Blanks, line ends and // comments.
  void SkipBlanks() {
    for (;;) {
      while (Pos_ < S_.size() && (S_[Pos_] == ' ' || S_[Pos_] == '\t' || S_[Pos_] == '\r' || S_[Pos_] == '\n')) {
        if (S_[Pos_] == '\n') ++Line_;
        ++Pos_;
      }
      if (Pos_ + 1 < S_.size() && S_[Pos_] == '/' && S_[Pos_ + 1] == '/') {
        while (Pos_ < S_.size() && S_[Pos_] != '\n') ++Pos_;
        continue;
      }
      return;
    }
  }

  void ReadNumber() {
    size_t start = Pos_;
    bool negative = false;
    if (S_[Pos_] == '-') {
      negative = true;
      ++Pos_;
    }
    int base = 10;
    if (Pos_ < S_.size() && S_[Pos_] == '$') {
      base = 16;
      ++Pos_;
    }
    size_t digits = Pos_;
    while (Pos_ < S_.size() && std::isxdigit(static_cast<unsigned char>(S_[Pos_]))) {
      if (base == 10 && !std::isdigit(static_cast<unsigned char>(S_[Pos_]))) break;
      ++Pos_;
    }
    if (Pos_ == digits || Pos_ - digits > 15) R_.Error(Line_, "bad number " + S_.substr(start, Pos_ - start + 1));
    if (Pos_ < S_.size() && (std::isalnum(static_cast<unsigned char>(S_[Pos_])) || S_[Pos_] == '_'))
      R_.Error(Line_, "bad number " + S_.substr(start, Pos_ - start + 1));
    long long v = std::strtoll(S_.substr(digits, Pos_ - digits).c_str(), nullptr, base);
    Tok_.Kind = tkInteger;
    Tok_.Int = negative ? -v : v;
    Tok_.Text = S_.substr(start, Pos_ - start);
  }

  void ReadString() {
    int line = Line_;
    ++Pos_;  // the opening quote
    for (;;) {
      if (Pos_ >= S_.size() || S_[Pos_] == '\n') R_.Error(line, "string without its closing quote");
      char c = S_[Pos_++];
      if (c == '"') return;
      if (c != '\\') {
        Tok_.Text += c;
        continue;
      }
      if (Pos_ >= S_.size()) R_.Error(line, "string without its closing quote");
      char e = S_[Pos_++];
      switch (e) {
        case 'r': Tok_.Text += '\r'; break;
        case 'n': Tok_.Text += '\n'; break;
        case 't': Tok_.Text += '\t'; break;
        case '\\': Tok_.Text += '\\'; break;
        case '"': Tok_.Text += '"'; break;
        default: R_.Error(line, std::string("unknown escape \\") + e);
      }
    }
  }

  bool IsKeyword(const char* word) const { return Tok_.Kind == tkIdent && SameText(Tok_.Text, word); }

  std::string ExpectIdent(const char* what) {
    if (Tok_.Kind != tkIdent) Fail(std::string(what) + " expected");
    std::string s = Tok_.Text;
    Next();
    return s;
  }

  void ExpectSymbol(char c) {
    if (Tok_.Kind != tkSymbol || Tok_.Text[0] != c) Fail(std::string("'") + c + "' expected");
    Next();
  }

  TPropValue ReadValue() {
    TPropValue v;
    v.Line = Tok_.Line;
    switch (Tok_.Kind) {
      case tkInteger: v.Kind = vkInteger; v.Int = Tok_.Int; Next(); return v;
      case tkString: v.Kind = vkString; v.Str = Tok_.Text; Next(); return v;
      case tkIdent: v.Kind = vkIdent; v.Str = Tok_.Text; Next(); return v;
      case tkSymbol:
        if (Tok_.Text == "[") {
          v.Kind = vkSet;
          Next();
          if (Tok_.Kind == tkSymbol && Tok_.Text == "]") {
            Next();
            return v;
          }
          for (;;) {
            v.Idents.push_back(ExpectIdent("set member"));
            if (Tok_.Kind == tkSymbol && Tok_.Text == ",") {
              Next();
              continue;
            }
            ExpectSymbol(']');
            return v;
          }
        }
        break;
      case tkEnd: break;
    }
    Fail("value expected");
  }

  void ReadObject(TComponent* parent) {
    if (!IsKeyword("object")) Fail("object expected");
    int line = Tok_.Line;
    Next();
    std::string name = ExpectIdent("component name");
    ExpectSymbol(':');
    std::string cls = ExpectIdent("class name");
    TComponent* component = nullptr;
    if (!parent) {
      if (cls != R_.Form_.ClassName())
        R_.Error(line, "the form is a " + std::string(R_.Form_.ClassName()) + ", not a " + cls);
      component = &R_.Form_;
      component->SetName(name);
    } else {
      TComponentFactory factory;
      for (const auto& entry : Registry())
        if (entry.first == cls) factory = entry.second;
      if (!factory) R_.Error(line, "unknown class " + cls + " (component " + name + ")");
      if (SameText(name, R_.Form_.Name()) || R_.Created_.count(Upper(name)))
        R_.Error(line, "duplicate component name " + name);
      component = factory(&R_.Form_);
      component->SetName(name);
      R_.Created_[Upper(name)] = component;
      auto* control = dynamic_cast<TWinControl*>(component);
      auto* parentControl = dynamic_cast<TWinControl*>(parent);
      if (control && !parentControl) R_.Error(line, "component " + name + " needs a control as its parent");
      if (control) {
        try {
          control->SetParent(parentControl);
        } catch (const EFormLoadError&) {
          throw;
        } catch (const Exception& e) {
          R_.Error(line, name + ": " + e.Message());
        }
      }
    }
    for (;;) {
      if (IsKeyword("end")) {
        Next();
        return;
      }
      if (IsKeyword("object")) {
        ReadObject(component);
        continue;
      }
      if (Tok_.Kind == tkEnd) Fail("end of text inside object " + name + " (end expected)");
      int propLine = Tok_.Line;
      std::string prop = ExpectIdent("property name");
      ExpectSymbol('=');
      TPropValue value = ReadValue();
      const TPropInfo* info = component->Published().Find(prop);
      if (!info) R_.Error(propLine, "unknown property " + prop + " of " + name + " (" + component->ClassName() + ")");
      try {
        info->Set(*component, value, R_);
      } catch (const EFormLoadError&) {
        throw;
      } catch (const Exception& e) {
        R_.Error(propLine, name + "." + prop + ": " + e.Message());
      }
    }
  }

  const std::string& S_;
  TFormReader& R_;
  size_t Pos_ = 0;
  int Line_ = 1;
  TToken Tok_;
};

// ---- TFormReader ----

TFormReader::TFormReader(TForm& form, std::vector<TFieldInfo> fields, std::vector<THandlerInfo> handlers)
    : Form_(form), Fields_(std::move(fields)), Handlers_(std::move(handlers)) {}

void TFormReader::Error(int line, const std::string& what) const {
  throw EFormLoadError("line " + std::to_string(line) + ": " + what);
}

void TFormReader::Read(const std::string& text) {
  TFormParser parser(text, *this);
  parser.ReadRoot();
  for (const Fixup& f : Fixups_) {
    TComponent* c = nullptr;
    if (!SameText(f.Name, "nil")) {
      auto it = Created_.find(Upper(f.Name));
      if (it != Created_.end()) c = it->second;
      else if (SameText(f.Name, Form_.Name())) c = &Form_;
      else Error(f.Line, "unknown component " + f.Name + " (property " + f.Prop + ")");
    }
    f.Assign(c);
  }
  for (const TFieldInfo& field : Fields_) {
    auto it = Created_.find(Upper(field.Name));
    if (it == Created_.end()) throw EFormLoadError("field " + field.Name + " has no component in the form");
    if (!field.Bind(it->second))
      throw EFormLoadError("field " + field.Name + " cannot hold a " + it->second->ClassName());
  }
}

long long TFormReader::IntValue(const TPropValue& v, const std::string& prop) const {
  if (v.Kind != vkInteger) Error(v.Line, "property " + prop + " takes an integer");
  return v.Int;
}

bool TFormReader::BoolValue(const TPropValue& v, const std::string& prop) const {
  if (v.Kind == vkIdent && SameText(v.Str, "True")) return true;
  if (v.Kind == vkIdent && SameText(v.Str, "False")) return false;
  Error(v.Line, "property " + prop + " takes True or False");
}

std::string TFormReader::StringValue(const TPropValue& v, const std::string& prop) const {
  if (v.Kind != vkString) Error(v.Line, "property " + prop + " takes a string");
  return v.Str;
}

std::string TFormReader::IdentValue(const TPropValue& v, const std::string& prop) const {
  if (v.Kind != vkIdent) Error(v.Line, "property " + prop + " takes an identifier");
  return v.Str;
}

TNotifyEvent TFormReader::NotifyHandler(const TPropValue& v, const std::string& prop) const {
  std::string name = IdentValue(v, prop);
  for (const THandlerInfo& h : Handlers_)
    if (SameText(h.Name, name)) {
      if (!h.Notify) Error(v.Line, "handler " + name + " does not fit " + prop);
      return h.Notify;
    }
  Error(v.Line, "unknown handler " + name + " (property " + prop + ")");
}

TCloseQueryEvent TFormReader::CloseQueryHandler(const TPropValue& v, const std::string& prop) const {
  std::string name = IdentValue(v, prop);
  for (const THandlerInfo& h : Handlers_)
    if (SameText(h.Name, name)) {
      if (!h.CloseQuery) Error(v.Line, "handler " + name + " does not fit " + prop);
      return h.CloseQuery;
    }
  Error(v.Line, "unknown handler " + name + " (property " + prop + ")");
}

void TFormReader::Reference(const TPropValue& v, const std::string& prop, std::function<void(TComponent*)> assign) {
  Fixups_.push_back(Fixup{IdentValue(v, prop), prop, v.Line, std::move(assign)});
}
