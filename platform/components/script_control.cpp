// MSScriptControl.ScriptControl on the Duktape engine (script/duktape_engine.h);
// each instance has its own engine with its own capped heap.
//
// Members: Language (get/put; "JavaScript" and "JScript" in any letter case,
// anything else fails and leaves the control as it was; setting it starts a
// fresh engine), AddCode(Code), Eval(Expression) -> VARIANT,
// ExecuteStatement(Statement), Reset(), Error -> the error object, Timeout
// (milliseconds one call may run, 10000 at first, -1 for no limit, holding
// for time spent in built-in functions too; a script stopped by it fails with
// E_ABORT, "Script execution timed out").
// A script failure is returned as DISP_E_EXCEPTION with EXCEPINFO source and
// description of the script error and scode 0x800A0000 | number; the error
// stays readable through Error until Error.Clear, Reset or a new Language.
// Error numbers and descriptions follow the control's own JavaScript engine;
// the mapping from Duktape's errors is listed in script/script_errors.h.
// Error.Column is always 0 (Duktape reports lines only); Error.Text is the
// source line of a compilation error.
// Using the control before Language is set fails with E_UNEXPECTED.
//
// Eval results: undefined VT_EMPTY, null VT_NULL, booleans VT_BOOL, integral
// numbers in 32 bits VT_I4, other numbers VT_R8, strings VT_BSTR, objects
// VT_DISPATCH whose default member is the object's string form.
#include <memory>
#include <string>

#include "platform/com/automation_class.h"
#include "platform/com/class_registry.h"
#include "platform/components/components.h"
#include "platform/components/script/duktape_engine.h"

namespace {

constexpr IID IID_IScriptControl = {
    0x0E59F1D3, 0x1FBE, 0x11D0, {0x8F, 0xF2, 0x00, 0xA0, 0xD1, 0x00, 0x38, 0xBC}};
constexpr IID IID_IScriptError = {
    0x70841C78, 0x067D, 0x11D0, {0x95, 0xD8, 0x00, 0xA0, 0x24, 0x63, 0xAB, 0x28}};
constexpr IID IID_IScriptObjectValue = {
    0x6B1F3C20, 0x5E4A, 0x4C1D, {0x9A, 0x51, 0x2E, 0x7D, 0x40, 0xB3, 0x91, 0x0C}};

bool sameLanguage(std::u16string_view a, std::u16string_view b) { return sameMemberName(a, b); }

// A script object handed out by Eval.
struct ScriptObjectValue : AutomationObject {
  explicit ScriptObjectValue(std::shared_ptr<ScriptObject> o)
      : AutomationObject(objectClass()), object(std::move(o)) {}
  std::shared_ptr<ScriptObject> object;

  static const AutomationClass& objectClass() {
    static const AutomationClass& cls =
        AutomationClassBuilder<ScriptObjectValue>(u"IScriptObjectValue", IID_IScriptObjectValue)
            .readOnlyProperty(u"Value", VT_BSTR,
                              [](ScriptObjectValue& self, Call& call) {
                                return call.returnText(self.object->defaultText());
                              })
            .memberId(u"Value", DISPID_VALUE)
            .build();
    return cls;
  }
};

HRESULT returnScriptValue(Call& call, const ScriptValue& v) {
  switch (v.kind) {
    case ScriptValue::Kind::Undefined: {
      VARIANT empty;
      VariantInit(&empty);
      return call.returnVariant(empty);
    }
    case ScriptValue::Kind::Null: {
      VARIANT null;
      VariantInit(&null);
      null.vt = VT_NULL;
      return call.returnVariant(null);
    }
    case ScriptValue::Kind::Boolean: return call.returnBool(v.boolean);
    case ScriptValue::Kind::Int32: return call.returnInt(v.int32);
    case ScriptValue::Kind::Double: return call.returnDouble(v.number);
    case ScriptValue::Kind::String: return call.returnText(v.text);
    case ScriptValue::Kind::Object: return call.adoptObject(new ScriptObjectValue(v.object));
  }
  return E_UNEXPECTED;
}

struct ScriptControl : AutomationObject {
  ScriptControl() : AutomationObject(controlClass()) {}

  std::u16string language;
  std::unique_ptr<DuktapeEngine> engine;  // null until Language is set
  int32_t timeout = 10000;

  static const AutomationClass& controlClass();

  HRESULT noEngine(Call& call) {
    return call.raise(u"ScriptControl", u"The script engine has not been set (Language)", E_UNEXPECTED);
  }
  HRESULT scriptFailed(Call& call) {
    const ScriptFailure& e = engine->error();
    const uint32_t n = static_cast<uint32_t>(e.number);
    const HRESULT code = n <= 0xFFFF ? hresult(0x800A0000u | n) : static_cast<HRESULT>(n);
    return call.raise(e.source, e.description, code);
  }
  // Runs `step` with the text of argument 0.
  template <class Step>
  HRESULT withCode(Call& call, Step step) {
    std::u16string code;
    if (HRESULT hr = call.text(0, code); FAILED(hr)) return hr;
    if (!engine) return noEngine(call);
    return step(code) ? S_OK : scriptFailed(call);
  }
};

// Error: a view of the control's last script error.
struct ScriptErrorObject : AutomationObject {
  explicit ScriptErrorObject(ScriptControl& c) : AutomationObject(errorClass()), control(c) {
    control.AddRef();
  }
  ~ScriptErrorObject() override { control.Release(); }
  ScriptControl& control;

  const ScriptFailure& error() const {
    static const ScriptFailure none;
    return control.engine ? control.engine->error() : none;
  }

  static const AutomationClass& errorClass() {
    using Self = ScriptErrorObject;
    static const AutomationClass& cls =
        AutomationClassBuilder<Self>(u"IScriptError", IID_IScriptError)
            .readOnlyProperty(u"Number", VT_I4, [](Self& s, Call& c) { return c.returnInt(s.error().number); })
            .readOnlyProperty(u"Source", VT_BSTR, [](Self& s, Call& c) { return c.returnText(s.error().source); })
            .readOnlyProperty(u"Description", VT_BSTR,
                              [](Self& s, Call& c) { return c.returnText(s.error().description); })
            .readOnlyProperty(u"HelpFile", VT_BSTR, [](Self&, Call& c) { return c.returnText(u""); })
            .readOnlyProperty(u"HelpContext", VT_I4, [](Self&, Call& c) { return c.returnInt(0); })
            .readOnlyProperty(u"Text", VT_BSTR, [](Self& s, Call& c) { return c.returnText(s.error().text); })
            .readOnlyProperty(u"Line", VT_I4, [](Self& s, Call& c) { return c.returnInt(s.error().line); })
            .readOnlyProperty(u"Column", VT_I4, [](Self& s, Call& c) { return c.returnInt(s.error().column); })
            .method(u"Clear", VT_EMPTY, {},
                    [](Self& s, Call&) {
                      if (s.control.engine) s.control.engine->clearError();
                      return S_OK;
                    })
            .memberId(u"Description", DISPID_VALUE)
            .build();
    return cls;
  }
};

const AutomationClass& ScriptControl::controlClass() {
  using Self = ScriptControl;
  static const AutomationClass& cls =
      AutomationClassBuilder<Self>(u"IScriptControl", IID_IScriptControl)
          .property(u"Language", VT_BSTR,
                    [](Self& self, Call& call) { return call.returnText(self.language); },
                    [](Self& self, Call& call) {
                      std::u16string name;
                      if (HRESULT hr = call.text(0, name); FAILED(hr)) return hr;
                      if (!sameLanguage(name, u"JavaScript") && !sameLanguage(name, u"JScript"))
                        return call.raise(u"ScriptControl", u"Script language is not supported: " + name,
                                          E_INVALIDARG);
                      auto fresh = std::make_unique<DuktapeEngine>();
                      if (!fresh->usable())
                        return call.raise(u"ScriptControl", u"Out of memory", E_OUTOFMEMORY);
                      fresh->setTimeout(self.timeout);
                      self.engine = std::move(fresh);
                      self.language = name;
                      return S_OK;
                    })
          .property(u"Timeout", VT_I4,
                    [](Self& self, Call& call) { return call.returnInt(self.timeout); },
                    [](Self& self, Call& call) {
                      int32_t ms = 0;
                      if (HRESULT hr = call.int32(0, ms); FAILED(hr)) return hr;
                      if (ms < -1) return call.raise(u"ScriptControl", u"Invalid timeout", E_INVALIDARG);
                      self.timeout = ms;
                      if (self.engine) self.engine->setTimeout(ms);
                      return S_OK;
                    })
          .method(u"AddCode", VT_EMPTY, {param(u"Code", VT_BSTR)},
                  [](Self& self, Call& call) {
                    return self.withCode(call, [&](const std::u16string& code) {
                      return self.engine->addCode(code);
                    });
                  })
          .method(u"Eval", VT_VARIANT, {param(u"Expression", VT_BSTR)},
                  [](Self& self, Call& call) {
                    ScriptValue value;
                    HRESULT hr = self.withCode(call, [&](const std::u16string& code) {
                      return self.engine->eval(code, &value);
                    });
                    return hr == S_OK ? returnScriptValue(call, value) : hr;
                  })
          .method(u"ExecuteStatement", VT_EMPTY, {param(u"Statement", VT_BSTR)},
                  [](Self& self, Call& call) {
                    return self.withCode(call, [&](const std::u16string& code) {
                      return self.engine->executeStatement(code);
                    });
                  })
          .method(u"Reset", VT_EMPTY, {},
                  [](Self& self, Call& call) {
                    if (!self.engine) return self.noEngine(call);
                    self.engine->reset();
                    return S_OK;
                  })
          .readOnlyProperty(u"Error", VT_DISPATCH,
                            [](Self& self, Call& call) {
                              return call.adoptObject(new ScriptErrorObject(self));
                            })
          .memberId(u"Language", DISPID_VALUE)
          .build();
  return cls;
}

}  // namespace

void registerScriptControlFactory() {
  registerClassFactory(CLSID_ScriptControl, [] { return static_cast<IUnknown*>(new ScriptControl); });
}
