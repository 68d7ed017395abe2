// A small kit for declaring an automation (IDispatch) class: its members,
// their parameters and the code behind each member, in one place. The kit
// derives the type information (ITypeInfo / ITypeComp with FUNCDESC and
// VARDESC) and IDispatch::Invoke from the same declaration, so what a
// component describes and what it does cannot drift apart.
//
// Declaring a component:
//
//   struct Greeter : AutomationObject {            // the instance state
//     Greeter() : AutomationObject(greeterClass()) {}
//     std::u16string name = u"world";
//     static const AutomationClass& greeterClass();
//   };
//
//   const AutomationClass& Greeter::greeterClass() {
//     static const AutomationClass& cls =
//         AutomationClassBuilder<Greeter>(u"IGreeter", IID_IGreeter)
//             .property(u"Name", VT_BSTR,
//                 [](Greeter& self, Call& call) { return call.returnText(self.name); },
//                 [](Greeter& self, Call& call) { return call.text(0, self.name); })
//             .method(u"Greet", VT_BSTR,
//                 {param(u"greeting", VT_BSTR), optionalParam(u"times", VT_I4)},
//                 [](Greeter& self, Call& call) {
//                   std::u16string greeting;
//                   int32_t times = 1;
//                   if (HRESULT hr = call.text(0, greeting); FAILED(hr)) return hr;
//                   if (HRESULT hr = call.int32(1, times); FAILED(hr)) return hr;
//                   if (times < 0) return call.raise(u"Greeter", u"negative count");
//                   ...
//                   return call.returnText(result);
//                 })
//             .memberId(u"Name", DISPID_VALUE)      // optional: the default member
//             .build();
//     return cls;
//   }
//
// Registering it (see platform/components/components.cpp):
//
//   registerClassFactory(CLSID_Greeter, [] { return static_cast<IUnknown*>(new Greeter); });
//
// Rules the kit applies in Invoke:
// - arguments arrive in reverse order and are presented to the code in
//   declared order; by-reference arguments are resolved; each argument is
//   coerced to its declared type (VT_VARIANT parameters as given);
//   a failed coercion returns its DISP_E_TYPEMISMATCH / DISP_E_OVERFLOW /
//   DISP_E_BADVARTYPE with the argument index;
// - a missing argument (not given, or VT_ERROR DISP_E_PARAMNOTFOUND) for a
//   parameter that is not optional: DISP_E_PARAMNOTOPTIONAL; more arguments
//   than parameters (no variable argument list): DISP_E_BADPARAMCOUNT;
// - property puts need the one named argument DISPID_PROPERTYPUT (else
//   DISP_E_PARAMNOTFOUND); other named arguments: DISP_E_NONAMEDARGS;
// - an unknown member id, or a kind the member does not have:
//   DISP_E_MEMBERNOTFOUND;
// - code results in the DISP_E_ range pass through; any other failure the
//   code returns becomes DISP_E_EXCEPTION with the code in EXCEPINFO::scode
//   (Call::raise fills source and description as well).
#pragma once

#include <atomic>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/interfaces.h"
#include "platform/com/variant.h"

class AutomationClass;
class AutomationObject;

// ---- parameters ---------------------------------------------------------------
struct ParamDecl {
  std::u16string name;
  VARTYPE type = VT_VARIANT;    // base type (VT_BSTR, VT_I4, VT_BOOL, VT_VARIANT, VT_DISPATCH, ...)
  USHORT flags = PARAMFLAG_FIN;  // PARAMFLAG_FIN / FOUT / FOPT
  bool byRef = false;           // declared as a pointer to `type`
  bool varArgs = false;         // takes the rest of the arguments (last parameter only)
};
ParamDecl param(std::u16string_view name, VARTYPE type);          // in, by value
ParamDecl optionalParam(std::u16string_view name, VARTYPE type);  // in, optional
ParamDecl refParam(std::u16string_view name, VARTYPE type);       // in, by reference
ParamDecl outParam(std::u16string_view name, VARTYPE type);       // in/out, by reference
ParamDecl optionalOutParam(std::u16string_view name, VARTYPE type);
ParamDecl varArgsParam(std::u16string_view name);                 // variable argument list

// ---- one invocation, as the member's code sees it -------------------------------------
class Call {
 public:
  WORD flags() const { return flags_; }
  LCID lcid() const { return lcid_; }
  // Argument slots: one per declared parameter (given or missing), except a
  // variable-list parameter, which has one slot per argument given for it.
  UINT count() const { return static_cast<UINT>(args_.size()); }
  // True when argument i was not given or was passed as missing.
  bool isMissing(UINT i) const;
  // Argument i: coerced to its declared type (VT_VARIANT parameters and
  // variable-list arguments as given, references resolved); VT_ERROR
  // DISP_E_PARAMNOTFOUND when missing.
  const VARIANT& arg(UINT i) const;

  // Typed readers. A missing argument leaves `out` as it is and returns S_OK;
  // otherwise the argument is coerced (VariantChangeType) and a failed
  // coercion returns its result.
  HRESULT text(UINT i, std::u16string& out) const;
  HRESULT boolean(UINT i, bool& out) const;
  HRESULT int32(UINT i, int32_t& out) const;
  HRESULT real(UINT i, double& out) const;
  // Copies argument i (missing: VT_ERROR DISP_E_PARAMNOTFOUND) into out.
  HRESULT variant(UINT i, VARIANT& out) const;

  // Writes the output of a by-reference parameter into the caller's variable
  // (coerced to the variable's type). An argument passed by value has no
  // variable: the output is dropped (S_OK).
  HRESULT setOut(UINT i, const VARIANT& value);

  // The result (VT_EMPTY until set).
  VARIANT& result() { return result_; }
  HRESULT returnText(std::u16string_view text);
  HRESULT returnBool(bool value);
  HRESULT returnInt(int32_t value);
  HRESULT returnDouble(double value);
  HRESULT returnVariant(const VARIANT& value);  // copied
  HRESULT returnObject(IDispatch* object);      // AddRef'ed; null gives a null VT_DISPATCH
  HRESULT adoptObject(IDispatch* object);       // takes over the caller's reference

  // Reports an error of the component: fills EXCEPINFO (when the caller gave
  // one) and returns DISP_E_EXCEPTION for the code to return.
  HRESULT raise(std::u16string_view source, std::u16string_view description,
                HRESULT code = E_FAIL, std::u16string_view helpFile = {}, DWORD helpContext = 0);

  Call(const Call&) = delete;
  Call& operator=(const Call&) = delete;

 private:
  friend class AutomationClass;
  Call(WORD flags, LCID lcid, EXCEPINFO* exception);
  ~Call();
  WORD flags_;
  LCID lcid_;
  EXCEPINFO* exception_;
  std::vector<VARIANT> args_;       // converted, declared order
  std::vector<VARIANT*> targets_;   // the caller's by-reference slot, or null
  VARIANT result_;
};

using MemberCode = std::function<HRESULT(AutomationObject& self, Call& call)>;

// ---- the class description ----------------------------------------------------------
struct MemberDecl {
  std::u16string name;
  enum Kind { Method, PropertyGet, PropertyPut, PropertyPutRef, Variable } kind = Method;
  VARTYPE returnType = VT_EMPTY;  // VT_EMPTY: no result; for a variable its type
  std::vector<ParamDecl> params;  // for puts: the new value is the last parameter
  MemberCode code;                // for a variable: the read
  MemberCode putCode;             // for a variable: the write (null: read-only)
};

class AutomationClass {
 public:
  const std::u16string& interfaceName() const { return interfaceName_; }
  const IID& iid() const { return iid_; }
  // The type information of the class (static: AddRef/Release keep it alive anyway).
  ITypeInfo* typeInfo() const;
  // The member id of a name (case-insensitive), DISPID_UNKNOWN when absent.
  DISPID memberIdOf(std::u16string_view name) const;

  // IDispatch::Invoke for an instance of this class.
  HRESULT invoke(AutomationObject& self, DISPID member, LCID lcid, WORD flags,
                 DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                 UINT* argError) const;

  struct Impl;
  AutomationClass(std::u16string_view interfaceName, const IID& iid, std::unique_ptr<Impl> impl);
  ~AutomationClass();
  AutomationClass(const AutomationClass&) = delete;
  AutomationClass& operator=(const AutomationClass&) = delete;

 private:
  std::u16string interfaceName_;
  IID iid_;
  std::unique_ptr<Impl> impl_;
};

// Untyped builder; AutomationClassBuilder<T> below is the one to use.
class AutomationClassBuilderBase {
 public:
  AutomationClassBuilderBase(std::u16string_view interfaceName, const IID& iid);
  // Builds the class. It lives for the rest of the program (instances and
  // their type information refer to it).
  const AutomationClass& build();

 protected:
  void add(MemberDecl member);
  void setMemberId(std::u16string_view name, DISPID id);

 private:
  std::u16string interfaceName_;
  IID iid_;
  std::vector<MemberDecl> members_;
  std::vector<std::pair<std::u16string, DISPID>> ids_;
};

template <class T>
class AutomationClassBuilder : public AutomationClassBuilderBase {
 public:
  using Code = std::function<HRESULT(T& self, Call& call)>;

  AutomationClassBuilder(std::u16string_view interfaceName, const IID& iid)
      : AutomationClassBuilderBase(interfaceName, iid) {}

  // A method; returnType VT_EMPTY for none.
  AutomationClassBuilder& method(std::u16string_view name, VARTYPE returnType,
                                 std::initializer_list<ParamDecl> params, Code code) {
    add({std::u16string(name), MemberDecl::Method, returnType, params, wrap(std::move(code)), {}});
    return *this;
  }
  // A property read, optionally with arguments of its own.
  AutomationClassBuilder& propertyGet(std::u16string_view name, VARTYPE type,
                                      std::initializer_list<ParamDecl> params, Code code) {
    add({std::u16string(name), MemberDecl::PropertyGet, type, params, wrap(std::move(code)), {}});
    return *this;
  }
  // A property write; `params` are the property's own arguments, the new
  // value follows them (the code reads it as the last argument).
  AutomationClassBuilder& propertyPut(std::u16string_view name, VARTYPE type,
                                      std::initializer_list<ParamDecl> params, Code code) {
    return put(name, type, params, std::move(code), MemberDecl::PropertyPut);
  }
  AutomationClassBuilder& propertyPutRef(std::u16string_view name, VARTYPE type,
                                         std::initializer_list<ParamDecl> params, Code code) {
    return put(name, type, params, std::move(code), MemberDecl::PropertyPutRef);
  }
  // A read/write property without arguments (get and put functions).
  AutomationClassBuilder& property(std::u16string_view name, VARTYPE type, Code get, Code set) {
    propertyGet(name, type, {}, std::move(get));
    return propertyPut(name, type, {}, std::move(set));
  }
  AutomationClassBuilder& readOnlyProperty(std::u16string_view name, VARTYPE type, Code get) {
    return propertyGet(name, type, {}, std::move(get));
  }
  // A data member (described by a VARDESC); `set` may be null (read-only).
  AutomationClassBuilder& variable(std::u16string_view name, VARTYPE type, Code get,
                                   Code set = nullptr) {
    add({std::u16string(name), MemberDecl::Variable, type, {}, wrap(std::move(get)),
         set ? wrap(std::move(set)) : MemberCode()});
    return *this;
  }
  // Gives a member a fixed id (DISPID_VALUE for the default member). Others
  // are numbered from 1 in order of declaration; get and put share the id.
  AutomationClassBuilder& memberId(std::u16string_view name, DISPID id) {
    setMemberId(name, id);
    return *this;
  }

 private:
  static MemberCode wrap(Code code) {
    return [code = std::move(code)](AutomationObject& self, Call& call) {
      return code(static_cast<T&>(self), call);
    };
  }
  AutomationClassBuilder& put(std::u16string_view name, VARTYPE type,
                              std::initializer_list<ParamDecl> params, Code code,
                              MemberDecl::Kind kind) {
    std::vector<ParamDecl> all(params);
    all.push_back(param(u"value", type));
    add({std::u16string(name), kind, VT_EMPTY, std::move(all), wrap(std::move(code)), {}});
    return *this;
  }
};

// ---- instances ----------------------------------------------------------------------
// Base of every instance: reference counting, QueryInterface (IUnknown,
// IDispatch and the class's own interface id), IDispatch through the class.
// Instances are created with new (reference count 1) and delete themselves
// when the last reference is released.
class AutomationObject : public IDispatch {
 public:
  explicit AutomationObject(const AutomationClass& cls) : class_(cls) {}

  HRESULT QueryInterface(REFIID riid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT GetTypeInfoCount(UINT* count) override;
  HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** typeInfo) override;
  HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                        DISPID* ids) override;
  HRESULT Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                 VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

  const AutomationClass& automationClass() const { return class_; }

 protected:
  virtual ~AutomationObject() = default;

 private:
  std::atomic<ULONG> refs_{1};
  const AutomationClass& class_;
};

// Case-insensitive comparison of member names (ASCII letters fold).
bool sameMemberName(std::u16string_view a, std::u16string_view b);
