// Building components from a form description: registered classes,
// published property tables, and the field and handler tables of forms.
// The text format is described at the top of FormReader.cpp.
#pragma once
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>
#include "Classes.h"
#include "Forms.h"

// ---- class registration ----

using TComponentFactory = std::function<TComponent*(TComponent* owner)>;
// Names are compared exactly. Registering a name again replaces its factory.
void RegisterComponentClass(const std::string& name, TComponentFactory factory);
template <class T>
void RegisterComponentClass(const std::string& name) {
  RegisterComponentClass(name, [](TComponent* owner) -> TComponent* { return new T(owner); });
}
bool IsClassRegistered(const std::string& name);
// Names in order of registration.
std::vector<std::string> RegisteredClasses();
void UnregisterAllClasses();  // for tests

// ---- property values ----

enum TValueKind { vkInteger, vkString, vkIdent, vkSet };

struct TPropValue {
  TValueKind Kind = vkInteger;
  long long Int = 0;
  std::string Str;                  // string text, or the identifier
  std::vector<std::string> Idents;  // members of a set
  int Line = 0;                     // where it stands in the text
};

class TFormReader;

// One published property: how the reader sets it on a component of the
// class that publishes it (the target is that class or derived from it).
struct TPropInfo {
  std::string Name;  // may be dotted: "Font.Name"
  std::function<void(TComponent& target, const TPropValue& value, TFormReader& reader)> Set;
};

// The table of a class; lookups fall back to the parent class's table.
class TPropTable {
 public:
  TPropTable(const TPropTable* parent, std::vector<TPropInfo> props);
  const TPropInfo* Find(const std::string& name) const;  // case-insensitive

 private:
  const TPropTable* Parent_;
  std::vector<TPropInfo> Props_;
};

// ---- what a form publishes ----

// A field: the component of that name is stored in it; a component of
// another class than the field's is an error.
struct TFieldInfo {
  std::string Name;
  std::function<bool(TComponent* component)> Bind;
};
template <class T>
TFieldInfo Field(const std::string& name, T*& field) {
  T** slot = &field;
  return TFieldInfo{name, [slot](TComponent* c) {
                      T* t = dynamic_cast<T*>(c);
                      if (!t) return false;
                      *slot = t;
                      return true;
                    }};
}

// A handler: exactly one of the two is set.
struct THandlerInfo {
  std::string Name;
  TNotifyEvent Notify;
  TCloseQueryEvent CloseQuery;
};
template <class F>
THandlerInfo Handler(const std::string& name, F* form, void (F::*method)(TObject*)) {
  return THandlerInfo{name, [form, method](TObject* s) { (form->*method)(s); }, nullptr};
}
template <class F>
THandlerInfo Handler(const std::string& name, F* form, void (F::*method)(TObject*, bool&)) {
  return THandlerInfo{name, nullptr, [form, method](TObject* s, bool& b) { (form->*method)(s, b); }};
}

// ---- the reader ----

// Reads a description into a form: creates its components by registered
// class name (owner: the form; parent: the enclosing object), sets their
// properties by name, resolves component references and handlers, and binds
// the form's fields. Every unknown name, and every published field that the
// text does not define, raises EFormLoadError naming it.
class TFormReader {
 public:
  TFormReader(TForm& form, std::vector<TFieldInfo> fields, std::vector<THandlerInfo> handlers);
  void Read(const std::string& text);

  // For property setters.
  long long IntValue(const TPropValue& v, const std::string& prop) const;
  bool BoolValue(const TPropValue& v, const std::string& prop) const;
  std::string StringValue(const TPropValue& v, const std::string& prop) const;
  std::string IdentValue(const TPropValue& v, const std::string& prop) const;
  TNotifyEvent NotifyHandler(const TPropValue& v, const std::string& prop) const;
  TCloseQueryEvent CloseQueryHandler(const TPropValue& v, const std::string& prop) const;
  // Calls assign with the named component once every component exists.
  void Reference(const TPropValue& v, const std::string& prop, std::function<void(TComponent*)> assign);
  [[noreturn]] void Error(int line, const std::string& what) const;

 private:
  TForm& Form_;
  std::vector<TFieldInfo> Fields_;
  std::vector<THandlerInfo> Handlers_;
  struct Fixup {
    std::string Name;
    std::string Prop;
    int Line;
    std::function<void(TComponent*)> Assign;
  };
  std::vector<Fixup> Fixups_;
  std::map<std::string, TComponent*> Created_;  // upper-cased name
  friend class TFormParser;
};

// ---- helpers for property tables ----

template <class C>
TPropInfo IntProp(const std::string& name, void (C::*set)(int)) {
  return {name, [set, name](TComponent& t, const TPropValue& v, TFormReader& r) {
            (static_cast<C&>(t).*set)(static_cast<int>(r.IntValue(v, name)));
          }};
}
template <class C>
TPropInfo BoolProp(const std::string& name, void (C::*set)(bool)) {
  return {name, [set, name](TComponent& t, const TPropValue& v, TFormReader& r) {
            (static_cast<C&>(t).*set)(r.BoolValue(v, name));
          }};
}
template <class C>
TPropInfo StringProp(const std::string& name, void (C::*set)(const std::string&)) {
  return {name, [set, name](TComponent& t, const TPropValue& v, TFormReader& r) {
            (static_cast<C&>(t).*set)(r.StringValue(v, name));
          }};
}
// An enumeration written as one of its identifiers.
template <class C, class E>
TPropInfo EnumProp(const std::string& name, void (C::*set)(E), std::vector<std::pair<const char*, E>> idents) {
  return {name, [set, name, idents](TComponent& t, const TPropValue& v, TFormReader& r) {
            std::string id = r.IdentValue(v, name);
            for (const auto& p : idents)
              if (_stricmp(p.first, id.c_str()) == 0) {
                (static_cast<C&>(t).*set)(p.second);
                return;
              }
            r.Error(v.Line, "unknown value " + id + " of property " + name);
          }};
}
// A set written as [member, member]; members are bit values.
template <class C>
TPropInfo SetProp(const std::string& name, void (C::*set)(unsigned), std::vector<std::pair<const char*, unsigned>> members) {
  return {name, [set, name, members](TComponent& t, const TPropValue& v, TFormReader& r) {
            if (v.Kind != vkSet) r.Error(v.Line, "property " + name + " takes a set");
            unsigned bits = 0;
            for (const auto& id : v.Idents) {
              bool known = false;
              for (const auto& p : members)
                if (_stricmp(p.first, id.c_str()) == 0) {
                  bits |= p.second;
                  known = true;
                }
              if (!known) r.Error(v.Line, "unknown member " + id + " of property " + name);
            }
            (static_cast<C&>(t).*set)(bits);
          }};
}
// A reference to another component of the form by name (class T or derived).
template <class C, class T>
TPropInfo ComponentProp(const std::string& name, void (C::*set)(T*)) {
  return {name, [set, name](TComponent& t, const TPropValue& v, TFormReader& r) {
            C* target = &static_cast<C&>(t);
            int line = v.Line;
            TFormReader* reader = &r;
            r.Reference(v, name, [target, set, name, line, reader](TComponent* c) {
              T* ref = dynamic_cast<T*>(c);
              if (c && !ref) reader->Error(line, "property " + name + ": " + c->Name() + " is a " + c->ClassName());
              (target->*set)(ref);
            });
          }};
}
template <class C>
TPropInfo NotifyEventProp(const std::string& name, TNotifyEvent C::*event) {
  return {name, [event, name](TComponent& t, const TPropValue& v, TFormReader& r) {
            static_cast<C&>(t).*event = r.NotifyHandler(v, name);
          }};
}
template <class C>
TPropInfo CloseQueryEventProp(const std::string& name, TCloseQueryEvent C::*event) {
  return {name, [event, name](TComponent& t, const TPropValue& v, TFormReader& r) {
            static_cast<C&>(t).*event = r.CloseQueryHandler(v, name);
          }};
}
