#include "platform/com/automation_class.h"

#include <deque>
#include <utility>

namespace {

bool isDispatchError(HRESULT hr) {
  uint32_t v = static_cast<uint32_t>(hr);
  return v >= 0x80020001u && v <= 0x80020012u;
}

char16_t fold(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

std::u16string_view viewOf(LPCOLESTR s) { return s ? std::u16string_view(s) : std::u16string_view(); }

// Writes `value` into the variable a by-reference argument points at.
HRESULT storeThroughReference(VARIANT* target, const VARIANT& value) {
  if (target->vt == (VT_BYREF | VT_VARIANT)) return VariantCopy(target->pvarVal, &value);
  VARTYPE base = target->vt & ~VT_BYREF;
  VARIANT converted;
  VariantInit(&converted);
  HRESULT hr = (base & VT_ARRAY) ? (value.vt == base ? VariantCopy(&converted, &value) : DISP_E_TYPEMISMATCH)
                                 : VariantChangeType(&converted, &value, 0, base);
  if (FAILED(hr)) return hr;
  if (base & VT_ARRAY) {
    SafeArrayDestroy(*target->pparray);
    *target->pparray = converted.parray;
    return S_OK;
  }
  switch (base) {
    case VT_I2: *target->piVal = converted.iVal; break;
    case VT_I4: *target->plVal = converted.lVal; break;
    case VT_R4: *target->pfltVal = converted.fltVal; break;
    case VT_R8: *target->pdblVal = converted.dblVal; break;
    case VT_DATE: *target->pdate = converted.date; break;
    case VT_BOOL: *target->pboolVal = converted.boolVal; break;
    case VT_UI1: *target->pbVal = converted.bVal; break;
    case VT_ERROR: *target->pscode = converted.scode; break;
    case VT_BSTR:
      SysFreeString(*target->pbstrVal);
      *target->pbstrVal = converted.bstrVal;
      break;
    case VT_DISPATCH:
    case VT_UNKNOWN:
      if (*target->ppunkVal) (*target->ppunkVal)->Release();
      *target->ppunkVal = converted.punkVal;
      break;
    default:
      VariantClear(&converted);
      return DISP_E_BADVARTYPE;
  }
  return S_OK;
}

}  // namespace

bool sameMemberName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i] && fold(a[i]) != fold(b[i])) return false;
  return true;
}

ParamDecl param(std::u16string_view name, VARTYPE type) {
  return {std::u16string(name), type, PARAMFLAG_FIN, false, false};
}
ParamDecl optionalParam(std::u16string_view name, VARTYPE type) {
  return {std::u16string(name), type, PARAMFLAG_FIN | PARAMFLAG_FOPT, false, false};
}
ParamDecl refParam(std::u16string_view name, VARTYPE type) {
  return {std::u16string(name), type, PARAMFLAG_FIN, true, false};
}
ParamDecl outParam(std::u16string_view name, VARTYPE type) {
  return {std::u16string(name), type, PARAMFLAG_FIN | PARAMFLAG_FOUT, true, false};
}
ParamDecl optionalOutParam(std::u16string_view name, VARTYPE type) {
  return {std::u16string(name), type, PARAMFLAG_FIN | PARAMFLAG_FOUT | PARAMFLAG_FOPT, true, false};
}
ParamDecl varArgsParam(std::u16string_view name) {
  return {std::u16string(name), VT_VARIANT, PARAMFLAG_FIN, false, true};
}

// ---- Call -----------------------------------------------------------------------------
Call::Call(WORD flags, LCID lcid, EXCEPINFO* exception)
    : flags_(flags), lcid_(lcid), exception_(exception) {
  VariantInit(&result_);
}

Call::~Call() {
  for (VARIANT& v : args_) VariantClear(&v);
  VariantClear(&result_);
}

bool Call::isMissing(UINT i) const {
  if (i >= args_.size()) return true;
  const VARIANT& v = args_[i];
  return v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND;
}

const VARIANT& Call::arg(UINT i) const {
  static const VARIANT missing = variantMissing();
  return i < args_.size() ? args_[i] : missing;
}

namespace {
HRESULT coerce(const VARIANT& v, VARTYPE vt, VARIANT& out) {
  VariantInit(&out);
  return VariantChangeType(&out, &v, 0, vt);
}
}  // namespace

HRESULT Call::text(UINT i, std::u16string& out) const {
  if (isMissing(i)) return S_OK;
  VARIANT v;
  HRESULT hr = coerce(args_[i], VT_BSTR, v);
  if (SUCCEEDED(hr)) out.assign(bstrView(v.bstrVal));
  VariantClear(&v);
  return hr;
}

HRESULT Call::boolean(UINT i, bool& out) const {
  if (isMissing(i)) return S_OK;
  VARIANT v;
  HRESULT hr = coerce(args_[i], VT_BOOL, v);
  if (SUCCEEDED(hr)) out = v.boolVal != VARIANT_FALSE;
  return hr;
}

HRESULT Call::int32(UINT i, int32_t& out) const {
  if (isMissing(i)) return S_OK;
  VARIANT v;
  HRESULT hr = coerce(args_[i], VT_I4, v);
  if (SUCCEEDED(hr)) out = v.lVal;
  return hr;
}

HRESULT Call::real(UINT i, double& out) const {
  if (isMissing(i)) return S_OK;
  VARIANT v;
  HRESULT hr = coerce(args_[i], VT_R8, v);
  if (SUCCEEDED(hr)) out = v.dblVal;
  return hr;
}

HRESULT Call::variant(UINT i, VARIANT& out) const { return VariantCopy(&out, &arg(i)); }

HRESULT Call::setOut(UINT i, const VARIANT& value) {
  if (i >= args_.size()) return DISP_E_BADINDEX;
  if (HRESULT hr = VariantCopy(&args_[i], &value); FAILED(hr)) return hr;
  if (!targets_[i]) return S_OK;
  return storeThroughReference(targets_[i], value);
}

HRESULT Call::returnText(std::u16string_view text) {
  VariantClear(&result_);
  result_ = variantFromText(text);
  return result_.bstrVal || text.empty() ? S_OK : E_OUTOFMEMORY;
}
HRESULT Call::returnBool(bool value) {
  VariantClear(&result_);
  result_ = variantFromBool(value);
  return S_OK;
}
HRESULT Call::returnInt(int32_t value) {
  VariantClear(&result_);
  result_ = variantFromInt(value);
  return S_OK;
}
HRESULT Call::returnDouble(double value) {
  VariantClear(&result_);
  result_ = variantFromDouble(value);
  return S_OK;
}
HRESULT Call::returnVariant(const VARIANT& value) { return VariantCopy(&result_, &value); }
HRESULT Call::returnObject(IDispatch* object) {
  VariantClear(&result_);
  result_ = variantFromDispatch(object);
  return S_OK;
}
HRESULT Call::adoptObject(IDispatch* object) {
  VariantClear(&result_);
  result_.vt = VT_DISPATCH;
  result_.pdispVal = object;
  return S_OK;
}

HRESULT Call::raise(std::u16string_view source, std::u16string_view description, HRESULT code,
                    std::u16string_view helpFile, DWORD helpContext) {
  if (exception_) {
    SysFreeString(exception_->bstrSource);
    SysFreeString(exception_->bstrDescription);
    SysFreeString(exception_->bstrHelpFile);
    *exception_ = EXCEPINFO{};
    exception_->bstrSource = bstrFrom(source);
    exception_->bstrDescription = bstrFrom(description);
    exception_->bstrHelpFile = helpFile.empty() ? nullptr : bstrFrom(helpFile);
    exception_->dwHelpContext = helpContext;
    exception_->scode = code;
  }
  return DISP_E_EXCEPTION;
}

// ---- class description ---------------------------------------------------------------
namespace {

struct Member {
  MemberDecl decl;
  DISPID id = DISPID_UNKNOWN;
  INVOKEKIND invkind = INVOKE_FUNC;
  bool varArgs = false;
  std::deque<TYPEDESC> pointees;  // targets of VT_PTR / VT_SAFEARRAY descriptions
  std::vector<ELEMDESC> elems;
  FUNCDESC func{};
  VARDESC var{};

  TYPEDESC describe(VARTYPE type, bool byRef, bool varArgList) {
    TYPEDESC t{};
    if (varArgList) {
      pointees.push_back(TYPEDESC{{nullptr}, VT_VARIANT});
      t.vt = VT_SAFEARRAY;
      t.lptdesc = &pointees.back();
    } else if (type & VT_ARRAY) {
      pointees.push_back(TYPEDESC{{nullptr}, static_cast<VARTYPE>(type & ~VT_ARRAY)});
      t.vt = VT_SAFEARRAY;
      t.lptdesc = &pointees.back();
    } else {
      t.vt = type == VT_EMPTY ? static_cast<VARTYPE>(VT_VOID) : type;
    }
    if (byRef) {
      pointees.push_back(t);
      TYPEDESC p{};
      p.vt = VT_PTR;
      p.lptdesc = &pointees.back();
      return p;
    }
    return t;
  }

  bool isFunction() const { return decl.kind != MemberDecl::Variable; }
  bool isPut() const {
    return decl.kind == MemberDecl::PropertyPut || decl.kind == MemberDecl::PropertyPutRef;
  }
};

class ClassTypeInfo;

class ClassTypeComp final : public ITypeComp {
 public:
  explicit ClassTypeComp(ClassTypeInfo& info) : info_(info) {}
  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_ITypeComp) {
      *object = static_cast<ITypeComp*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override { return refs_ > 1 ? --refs_ : 1; }  // lives as long as its class
  HRESULT Bind(LPOLESTR name, ULONG hashVal, WORD flags, ITypeInfo** typeInfo,
               DESCKIND* descKind, BINDPTR* bindPtr) override;
  HRESULT BindType(LPOLESTR, ULONG, ITypeInfo** typeInfo, ITypeComp** typeComp) override {
    if (!typeInfo || !typeComp) return E_INVALIDARG;
    *typeInfo = nullptr;
    *typeComp = nullptr;
    return S_OK;
  }

 private:
  ClassTypeInfo& info_;
  std::atomic<ULONG> refs_{1};
};

class ClassTypeInfo final : public ITypeInfo {
 public:
  ClassTypeInfo(const std::u16string& name, const IID& iid, std::vector<std::unique_ptr<Member>>& members)
      : name_(name), members_(members), comp_(*this) {
    for (auto& m : members_) (m->isFunction() ? functions_ : variables_).push_back(m.get());
    attr_ = TYPEATTR{};
    attr_.guid = iid;
    attr_.memidConstructor = MEMBERID_NIL;
    attr_.memidDestructor = MEMBERID_NIL;
    attr_.typekind = TKIND_DISPATCH;
    attr_.cFuncs = static_cast<WORD>(functions_.size());
    attr_.cVars = static_cast<WORD>(variables_.size());
    attr_.cbSizeVft = static_cast<WORD>(7 * sizeof(void*));
    attr_.cbAlignment = alignof(void*);
    attr_.wTypeFlags = TYPEFLAG_FDISPATCHABLE;
    attr_.tdescAlias.vt = VT_EMPTY;
  }

  const std::vector<std::unique_ptr<Member>>& members() const { return members_; }

  Member* findMember(DISPID id) const {
    for (auto& m : members_)
      if (m->id == id) return m.get();
    return nullptr;
  }

  HRESULT idsOfNames(LPOLESTR* names, UINT count, DISPID* ids) const {
    if (!names || !ids) return E_INVALIDARG;
    if (count == 0) return S_OK;
    HRESULT hr = S_OK;
    const Member* member = nullptr;
    for (auto& m : members_)
      if (sameMemberName(m->decl.name, viewOf(names[0]))) {
        member = m.get();
        break;
      }
    ids[0] = member ? member->id : DISPID_UNKNOWN;
    if (!member) hr = DISP_E_UNKNOWNNAME;
    for (UINT i = 1; i < count; ++i) {
      ids[i] = DISPID_UNKNOWN;
      if (member)
        for (size_t p = 0; p < member->decl.params.size(); ++p)
          if (sameMemberName(member->decl.params[p].name, viewOf(names[i]))) ids[i] = static_cast<DISPID>(p);
      if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
  }

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_ITypeInfo) {
      *object = static_cast<ITypeInfo*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override { return refs_ > 1 ? --refs_ : 1; }  // lives as long as its class

  HRESULT GetTypeAttr(TYPEATTR** attr) override {
    if (!attr) return E_INVALIDARG;
    *attr = &attr_;
    return S_OK;
  }
  HRESULT GetTypeComp(ITypeComp** typeComp) override {
    if (!typeComp) return E_INVALIDARG;
    comp_.AddRef();
    *typeComp = &comp_;
    return S_OK;
  }
  HRESULT GetFuncDesc(UINT index, FUNCDESC** desc) override {
    if (!desc) return E_INVALIDARG;
    if (index >= functions_.size()) return TYPE_E_ELEMENTNOTFOUND;
    *desc = &functions_[index]->func;
    return S_OK;
  }
  HRESULT GetVarDesc(UINT index, VARDESC** desc) override {
    if (!desc) return E_INVALIDARG;
    if (index >= variables_.size()) return TYPE_E_ELEMENTNOTFOUND;
    *desc = &variables_[index]->var;
    return S_OK;
  }
  HRESULT GetNames(MEMBERID member, BSTR* names, UINT maxNames, UINT* count) override {
    if (!names || !count) return E_INVALIDARG;
    *count = 0;
    const Member* m = findMember(member);
    if (!m) return TYPE_E_ELEMENTNOTFOUND;
    if (maxNames == 0) return S_OK;
    names[(*count)++] = bstrFrom(m->decl.name);
    for (const ParamDecl& p : m->decl.params) {
      if (*count >= maxNames) break;
      names[(*count)++] = bstrFrom(p.name);
    }
    return S_OK;
  }
  HRESULT GetRefTypeOfImplType(UINT, HREFTYPE*) override { return TYPE_E_ELEMENTNOTFOUND; }
  HRESULT GetImplTypeFlags(UINT, INT*) override { return TYPE_E_ELEMENTNOTFOUND; }
  HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* ids) override {
    return idsOfNames(names, count, ids);
  }
  HRESULT Invoke(void* instance, MEMBERID member, WORD flags, DISPPARAMS* params,
                 VARIANT* result, EXCEPINFO* exception, UINT* argError) override {
    if (!instance) return E_INVALIDARG;
    return static_cast<IDispatch*>(instance)->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, flags,
                                                     params, result, exception, argError);
  }
  HRESULT GetDocumentation(MEMBERID member, BSTR* name, BSTR* docString, DWORD* helpContext,
                           BSTR* helpFile) override {
    const std::u16string* text = &name_;
    if (member != MEMBERID_NIL) {
      const Member* m = findMember(member);
      if (!m) return TYPE_E_ELEMENTNOTFOUND;
      text = &m->decl.name;
    }
    if (name) *name = bstrFrom(*text);
    if (docString) *docString = nullptr;
    if (helpContext) *helpContext = 0;
    if (helpFile) *helpFile = nullptr;
    return S_OK;
  }
  HRESULT GetDllEntry(MEMBERID, INVOKEKIND, BSTR*, BSTR*, WORD*) override { return TYPE_E_WRONGTYPEKIND; }
  HRESULT GetRefTypeInfo(HREFTYPE, ITypeInfo** typeInfo) override {
    if (typeInfo) *typeInfo = nullptr;
    return TYPE_E_ELEMENTNOTFOUND;
  }
  HRESULT AddressOfMember(MEMBERID, INVOKEKIND, void** address) override {
    if (address) *address = nullptr;
    return TYPE_E_WRONGTYPEKIND;
  }
  HRESULT CreateInstance(IUnknown*, REFIID, void** object) override {
    if (object) *object = nullptr;
    return TYPE_E_WRONGTYPEKIND;
  }
  HRESULT GetMops(MEMBERID, BSTR* mops) override {
    if (mops) *mops = nullptr;
    return S_OK;
  }
  HRESULT GetContainingTypeLib(ITypeLib** typeLib, UINT* index) override {
    if (typeLib) *typeLib = nullptr;
    if (index) *index = 0;
    return E_NOTIMPL;
  }
  void ReleaseTypeAttr(TYPEATTR*) override {}
  void ReleaseFuncDesc(FUNCDESC*) override {}
  void ReleaseVarDesc(VARDESC*) override {}

 private:
  std::u16string name_;
  std::vector<std::unique_ptr<Member>>& members_;
  std::vector<Member*> functions_;
  std::vector<Member*> variables_;
  TYPEATTR attr_;
  ClassTypeComp comp_;
  std::atomic<ULONG> refs_{1};
};

HRESULT ClassTypeComp::Bind(LPOLESTR name, ULONG, WORD flags, ITypeInfo** typeInfo,
                            DESCKIND* descKind, BINDPTR* bindPtr) {
  if (!name || !typeInfo || !descKind || !bindPtr) return E_INVALIDARG;
  *typeInfo = nullptr;
  *descKind = DESCKIND_NONE;
  bindPtr->lpfuncdesc = nullptr;
  std::u16string_view wanted(name);
  bool named = false;
  for (auto& m : info_.members()) {
    if (!sameMemberName(m->decl.name, wanted)) continue;
    named = true;
    if (!m->isFunction()) {
      *descKind = DESCKIND_VARDESC;
      bindPtr->lpvardesc = &m->var;
    } else if (flags == 0 || (flags & m->invkind)) {
      *descKind = DESCKIND_FUNCDESC;
      bindPtr->lpfuncdesc = &m->func;
    } else {
      continue;
    }
    info_.AddRef();
    *typeInfo = &info_;
    return S_OK;
  }
  return named ? TYPE_E_TYPEMISMATCH : S_OK;
}

}  // namespace

struct AutomationClass::Impl {
  std::vector<std::unique_ptr<Member>> members;
  std::unique_ptr<ClassTypeInfo> typeInfo;
};

AutomationClass::AutomationClass(std::u16string_view interfaceName, const IID& iid,
                                 std::unique_ptr<Impl> impl)
    : interfaceName_(interfaceName), iid_(iid), impl_(std::move(impl)) {}
AutomationClass::~AutomationClass() = default;

ITypeInfo* AutomationClass::typeInfo() const { return impl_->typeInfo.get(); }

DISPID AutomationClass::memberIdOf(std::u16string_view name) const {
  for (auto& m : impl_->members)
    if (sameMemberName(m->decl.name, name)) return m->id;
  return DISPID_UNKNOWN;
}

HRESULT AutomationClass::invoke(AutomationObject& self, DISPID id, LCID lcid, WORD flags,
                                DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                UINT* argError) const {
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  if (!params) params = &none;
  if (params->cArgs > 0 && !params->rgvarg) return E_INVALIDARG;

  // The member of that id whose kind the flags ask for.
  const Member* member = nullptr;
  bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
  bool anyWithId = false;
  for (auto& mp : impl_->members) {
    const Member& m = *mp;
    if (m.id != id) continue;
    anyWithId = true;
    bool fits = false;
    if (m.decl.kind == MemberDecl::Variable) {
      fits = put ? static_cast<bool>(m.decl.putCode) : (flags & DISPATCH_PROPERTYGET) != 0;
    } else if (put) {
      fits = ((flags & DISPATCH_PROPERTYPUT) && m.decl.kind == MemberDecl::PropertyPut) ||
             ((flags & DISPATCH_PROPERTYPUTREF) && m.decl.kind == MemberDecl::PropertyPutRef);
    } else {
      fits = ((flags & DISPATCH_METHOD) && m.decl.kind == MemberDecl::Method) ||
             ((flags & DISPATCH_PROPERTYGET) && m.decl.kind == MemberDecl::PropertyGet);
    }
    if (fits && (!member || (m.decl.kind == MemberDecl::Method))) member = &m;
  }
  if (!anyWithId || !member) return DISP_E_MEMBERNOTFOUND;

  // Named arguments: only the value of a property put.
  if (put) {
    if (params->cNamedArgs != 1 || !params->rgdispidNamedArgs ||
        params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT || params->cArgs < 1)
      return DISP_E_PARAMNOTFOUND;
  } else if (params->cNamedArgs > 0) {
    return DISP_E_NONAMEDARGS;
  }

  bool isVariable = member->decl.kind == MemberDecl::Variable;
  std::vector<ParamDecl> variableParam;
  if (isVariable && put) variableParam.push_back(param(u"value", member->decl.returnType));
  const std::vector<ParamDecl>& decls = isVariable ? variableParam : member->decl.params;
  const bool varArgs = member->varArgs;
  const UINT fixed = static_cast<UINT>(decls.size()) - (varArgs ? 1 : 0);
  const UINT given = params->cArgs;
  if (given > decls.size() && !varArgs) return DISP_E_BADPARAMCOUNT;

  // Slot in rgvarg of the argument for declared position i (-1: not given).
  // The value of a put is always rgvarg[0] and goes to the last parameter.
  auto slotOf = [&](UINT i) -> int {
    if (put) {
      if (i == decls.size() - 1) return 0;
      return i + 1 < given ? static_cast<int>(given - 1 - i) : -1;
    }
    return i < given ? static_cast<int>(given - 1 - i) : -1;
  };

  Call call(flags, lcid, exception);
  auto fail = [&](HRESULT hr, int slot) {
    if (argError && slot >= 0) *argError = static_cast<UINT>(slot);
    return hr;
  };
  for (UINT i = 0; i < fixed; ++i) {
    const ParamDecl& p = decls[i];
    int slot = slotOf(i);
    VARIANT* source = slot >= 0 ? &params->rgvarg[slot] : nullptr;
    VARIANT value;
    VariantInit(&value);
    if (source) {
      if (HRESULT hr = VariantCopyInd(&value, source); FAILED(hr)) return fail(hr, slot);
    }
    bool missing = !source || (value.vt == VT_ERROR && value.scode == DISP_E_PARAMNOTFOUND);
    if (missing) {
      VariantClear(&value);
      if (!(p.flags & PARAMFLAG_FOPT)) return fail(DISP_E_PARAMNOTOPTIONAL, slot);
      call.args_.push_back(variantMissing());
      call.targets_.push_back(nullptr);
      continue;
    }
    if (p.type != VT_VARIANT) {
      if (HRESULT hr = VariantChangeType(&value, &value, 0, p.type); FAILED(hr)) {
        VariantClear(&value);
        return fail(hr, slot);
      }
    }
    call.args_.push_back(value);
    call.targets_.push_back((source->vt & VT_BYREF) ? source : nullptr);
  }
  if (varArgs) {
    for (UINT i = fixed; i < given; ++i) {
      int slot = static_cast<int>(given - 1 - i);
      VARIANT value;
      VariantInit(&value);
      if (HRESULT hr = VariantCopyInd(&value, &params->rgvarg[slot]); FAILED(hr)) return fail(hr, slot);
      call.args_.push_back(value);
      call.targets_.push_back(nullptr);
    }
  }

  const MemberCode& code = (isVariable && put) ? member->decl.putCode : member->decl.code;
  HRESULT hr;
  try {
    hr = code(self, call);
  } catch (...) {  // nothing a component throws leaves Invoke
    hr = E_UNEXPECTED;
  }
  if (FAILED(hr)) {
    if (hr == DISP_E_EXCEPTION || isDispatchError(hr)) return hr;
    if (exception) {
      *exception = EXCEPINFO{};
      exception->scode = hr;
    }
    return DISP_E_EXCEPTION;
  }
  if (result) {
    *result = call.result_;
    VariantInit(&call.result_);
  }
  return S_OK;
}

// ---- builder ---------------------------------------------------------------------
AutomationClassBuilderBase::AutomationClassBuilderBase(std::u16string_view interfaceName,
                                                       const IID& iid)
    : interfaceName_(interfaceName), iid_(iid) {}

void AutomationClassBuilderBase::add(MemberDecl member) { members_.push_back(std::move(member)); }

void AutomationClassBuilderBase::setMemberId(std::u16string_view name, DISPID id) {
  ids_.emplace_back(std::u16string(name), id);
}

const AutomationClass& AutomationClassBuilderBase::build() {
  auto impl = std::make_unique<AutomationClass::Impl>();
  DISPID next = 1;
  auto isTaken = [&](DISPID id) {
    for (auto& [n, i] : ids_)
      if (i == id) return true;
    for (auto& m : impl->members)
      if (m->id == id) return true;
    return false;
  };
  for (MemberDecl& decl : members_) {
    auto m = std::make_unique<Member>();
    m->decl = std::move(decl);
    // The id: fixed by memberId, shared with an earlier member of that name, or the next free one.
    for (auto& [n, i] : ids_)
      if (sameMemberName(n, m->decl.name)) m->id = i;
    if (m->id == DISPID_UNKNOWN)
      for (auto& other : impl->members)
        if (sameMemberName(other->decl.name, m->decl.name)) m->id = other->id;
    if (m->id == DISPID_UNKNOWN) {
      while (isTaken(next)) ++next;
      m->id = next++;
    }
    switch (m->decl.kind) {
      case MemberDecl::Method: m->invkind = INVOKE_FUNC; break;
      case MemberDecl::PropertyGet: m->invkind = INVOKE_PROPERTYGET; break;
      case MemberDecl::PropertyPut: m->invkind = INVOKE_PROPERTYPUT; break;
      case MemberDecl::PropertyPutRef: m->invkind = INVOKE_PROPERTYPUTREF; break;
      case MemberDecl::Variable: break;
    }
    const auto& params = m->decl.params;
    m->varArgs = !params.empty() && params.back().varArgs;
    SHORT optional = 0;
    for (const ParamDecl& p : params) {
      ELEMDESC e{};
      e.tdesc = m->describe(p.type, p.byRef, p.varArgs);
      e.paramdesc.wParamFlags = p.flags;
      m->elems.push_back(e);
      if (p.flags & PARAMFLAG_FOPT) ++optional;
    }
    if (m->isFunction()) {
      FUNCDESC& f = m->func;
      f.memid = m->id;
      f.lprgelemdescParam = m->elems.empty() ? nullptr : m->elems.data();
      f.funckind = FUNC_DISPATCH;
      f.invkind = m->invkind;
      f.callconv = CC_STDCALL;
      f.cParams = static_cast<SHORT>(params.size());
      f.cParamsOpt = m->varArgs ? -1 : optional;
      f.elemdescFunc.tdesc = m->describe(m->decl.returnType, false, false);
      f.wFuncFlags = 0;
    } else {
      VARDESC& v = m->var;
      v.memid = m->id;
      v.oInst = 0;
      v.elemdescVar.tdesc = m->describe(m->decl.returnType, false, false);
      v.wVarFlags = m->decl.putCode ? 0 : VARFLAG_FREADONLY;
      v.varkind = VAR_DISPATCH;
    }
    impl->members.push_back(std::move(m));
  }
  impl->typeInfo = std::make_unique<ClassTypeInfo>(interfaceName_, iid_, impl->members);
  // Kept for the rest of the program: instances and type information refer to it.
  return *new AutomationClass(interfaceName_, iid_, std::move(impl));
}

// ---- instances -------------------------------------------------------------------
HRESULT AutomationObject::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == class_.iid()) {
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG AutomationObject::AddRef() { return ++refs_; }

ULONG AutomationObject::Release() {
  ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT AutomationObject::GetTypeInfoCount(UINT* count) {
  if (!count) return E_INVALIDARG;
  *count = 1;
  return S_OK;
}

HRESULT AutomationObject::GetTypeInfo(UINT index, LCID, ITypeInfo** typeInfo) {
  if (!typeInfo) return E_INVALIDARG;
  *typeInfo = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  ITypeInfo* info = class_.typeInfo();
  info->AddRef();
  *typeInfo = info;
  return S_OK;
}

HRESULT AutomationObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                        DISPID* ids) {
  if (!(riid == IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  return class_.typeInfo()->GetIDsOfNames(names, count, ids);
}

HRESULT AutomationObject::Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags,
                                 DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                 UINT* argError) {
  if (!(riid == IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  AddRef();  // the member's code may drop the caller's last reference
  HRESULT hr = class_.invoke(*this, member, lcid, flags, params, result, exception, argError);
  Release();
  return hr;
}
