#include "script/com_object.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/com/class_registry.h"

constinit thread_local int32_t LastInvokeError = 0;

ComObject::ComObject(const ComObject& other) : object_(other.object_) {
  if (object_) object_->AddRef();
}

ComObject::ComObject(ComObject&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}

ComObject& ComObject::operator=(const ComObject& other) {
  IUnknown* incoming = other.object_;  // read first: clear() empties `other` when it is *this
  if (incoming) incoming->AddRef();
  clear();
  object_ = incoming;
  return *this;
}

ComObject& ComObject::operator=(ComObject&& other) noexcept {
  if (this != &other) {
    clear();
    object_ = std::exchange(other.object_, nullptr);
  }
  return *this;
}

ComObject::~ComObject() { clear(); }

ComObject ComObject::fromUnknown(IUnknown* object) {
  ComObject holder;
  if (object) object->AddRef();
  holder.object_ = object;
  return holder;
}

void ComObject::clear() {
  if (IUnknown* o = std::exchange(object_, nullptr)) o->Release();
}

namespace {

IUnknown* createFromTypeLibrary(std::string_view name, std::string_view path) {
  WideString widePath = localToWide(path);
  ITypeLib* library = nullptr;
  if (FAILED(LoadTypeLib(widePath.c_str(), &library)) || !library) return nullptr;
  WideString wideName = localToWide(name);
  ITypeInfo* info = nullptr;
  MEMBERID member = 0;
  USHORT found = 1;
  IUnknown* instance = nullptr;
  ULONG hash = LHashValOfNameSys(SYS_WIN32, LOCALE_USER_DEFAULT, wideName.c_str());
  if (SUCCEEDED(library->FindName(wideName.data(), hash, &info, &member, &found)) && found && info) {
    if (SUCCEEDED(info->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&instance))) &&
        instance && path.find('\\') != std::string_view::npos)
      RegisterTypeLib(library, widePath.data(), nullptr);
    info->Release();
  }
  library->Release();
  return instance;
}

}  // namespace

bool ComObject::createObject(std::string_view name, std::string_view typeLibraryPath) {
  bool braced = !name.empty() && name.front() == '{';
  IUnknown* instance = nullptr;
  if (!braced && !typeLibraryPath.empty()) instance = createFromTypeLibrary(name, typeLibraryPath);
  if (!instance) {
    WideString wide = localToWide(name);
    CLSID clsid;
    HRESULT hr = braced ? CLSIDFromString(wide.c_str(), &clsid) : CLSIDFromProgID(wide.c_str(), &clsid);
    if (FAILED(hr)) return false;
    DWORD context = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER |
                    CLSCTX_REMOTE_SERVER;
    hr = CoCreateInstance(clsid, nullptr, context, IID_IUnknown, reinterpret_cast<void**>(&instance));
    if (hr == E_INVALIDARG)
      hr = CoCreateInstance(clsid, nullptr, context & ~CLSCTX_REMOTE_SERVER, IID_IUnknown,
                            reinterpret_cast<void**>(&instance));
    if (FAILED(hr) || !instance) return false;
  }
  if (FAILED(OleRun(instance))) {
    instance->Release();
    return false;
  }
  clear();
  object_ = instance;
  return true;
}

namespace {

int32_t codeOfInvokeFailure(HRESULT hr) {
  switch (hr) {
    case DISP_E_BADPARAMCOUNT: return -9;
    case DISP_E_BADVARTYPE: return -10;
    case DISP_E_EXCEPTION: return -11;
    case DISP_E_MEMBERNOTFOUND: return -12;
    case DISP_E_NONAMEDARGS: return -13;
    case DISP_E_OVERFLOW: return -14;
    case DISP_E_PARAMNOTFOUND: return -15;
    case DISP_E_TYPEMISMATCH: return -16;
    case DISP_E_PARAMNOTOPTIONAL: return -17;
    default: return -18;
  }
}

// Everything one invocation holds, released in one place.
struct Invocation {
  IDispatch* dispatch = nullptr;
  ITypeInfo* typeInfo = nullptr;
  ITypeComp* typeComp = nullptr;
  ITypeInfo* boundInfo = nullptr;
  DESCKIND descKind = DESCKIND_NONE;
  BINDPTR bound{};
  std::vector<VARIANT> values;  // converted arguments, declared order (own their contents)
  std::vector<VARIANTARG> slots;  // what Invoke gets, reversed (shallow or references into values)
  VARIANT result;
  EXCEPINFO exception{};

  Invocation() { VariantInit(&result); }
  ~Invocation() {
    for (VARIANT& v : values) VariantClear(&v);
    VariantClear(&result);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    if (boundInfo) {
      if (descKind == DESCKIND_FUNCDESC) boundInfo->ReleaseFuncDesc(bound.lpfuncdesc);
      if (descKind == DESCKIND_VARDESC) boundInfo->ReleaseVarDesc(bound.lpvardesc);
      boundInfo->Release();
    }
    if (typeComp) typeComp->Release();
    if (typeInfo) typeInfo->Release();
    if (dispatch) dispatch->Release();
  }
};

// The base type a parameter description stands for (VT_PTR resolved).
const TYPEDESC& baseOf(const TYPEDESC& t) {
  return t.vt == VT_PTR && t.lptdesc ? *t.lptdesc : t;
}

bool isObjectOrArray(const TYPEDESC& t) {
  return t.vt == VT_SAFEARRAY || t.vt == VT_CARRAY || t.vt == VT_UNKNOWN || t.vt == VT_DISPATCH ||
         (t.vt & VT_ARRAY);
}

// The VARTYPE a by-reference parameter of base description `base` holds.
VARTYPE referencedType(const TYPEDESC& base) {
  if (base.vt == VT_SAFEARRAY && base.lptdesc) return VT_ARRAY | base.lptdesc->vt;
  if (base.vt == VT_USERDEFINED) return VT_UNKNOWN;
  return base.vt;
}

bool storeResult(const VARIANT& value, ComObject::ResultKind kind, ComObject::Result& out) {
  VARIANT plain;
  VariantInit(&plain);
  if (FAILED(VariantCopyInd(&plain, &value))) return false;
  if ((plain.vt & VT_TYPEMASK) == VT_RECORD) {
    VariantClear(&plain);
    return false;
  }
  bool ok = true;
  VARIANT v;
  VariantInit(&v);
  auto as = [&](VARTYPE vt) { return SUCCEEDED(VariantChangeType(&v, &plain, 0, vt)); };
  switch (kind) {
    case ComObject::ResultKind::None: break;
    case ComObject::ResultKind::Text:
      if ((ok = as(VT_BSTR))) out.text = wideToLocal(bstrView(v.bstrVal));
      break;
    case ComObject::ResultKind::Double:
      if ((ok = as(VT_R8))) out.number = v.dblVal;
      break;
    case ComObject::ResultKind::Boolean:
      if ((ok = as(VT_BOOL))) out.boolean = v.boolVal != VARIANT_FALSE;
      break;
    case ComObject::ResultKind::Object:
      if ((ok = as(VT_UNKNOWN)) && out.object) *out.object = ComObject::fromUnknown(v.punkVal);
      break;
    case ComObject::ResultKind::Variant:
      if (out.variant) ok = out.variant->setRaw(plain);
      break;
  }
  VariantClear(&v);
  VariantClear(&plain);
  return ok;
}

}  // namespace

int32_t ComObject::invoke(InvokeKind kind, std::string_view name, std::span<const Arg> args,
                          ResultKind resultKind, Result& out) const {
  try {
    return invokeMember(kind, name, args, resultKind, out);
  } catch (...) {  // out of memory on the way: a failed call, like any other
    LastInvokeError = -18;
    return -18;
  }
}

int32_t ComObject::invokeMember(InvokeKind kind, std::string_view name, std::span<const Arg> args,
                                ResultKind resultKind, Result& out) const {
  auto finish = [](int32_t code) {
    LastInvokeError = code;
    return code;
  };
  if (!object_) return finish(-1);
  Invocation call;
  if (FAILED(object_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&call.dispatch))) ||
      !call.dispatch) {
    call.dispatch = nullptr;
    return finish(-2);
  }
  if (FAILED(call.dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, &call.typeInfo)) || !call.typeInfo) {
    call.typeInfo = nullptr;
    return finish(-4);
  }
  if (FAILED(call.typeInfo->GetTypeComp(&call.typeComp)) || !call.typeComp) {
    call.typeComp = nullptr;
    return finish(-4);
  }

  // Bind the name, trying the invoke kinds of this kind of call in order.
  WideString wideName = localToWide(name);
  ULONG hash = LHashValOfNameSys(SYS_WIN32, LOCALE_USER_DEFAULT, wideName.c_str());
  static constexpr WORD getOrder[] = {INVOKE_PROPERTYGET, INVOKE_FUNC};
  static constexpr WORD putOrder[] = {INVOKE_PROPERTYPUT, INVOKE_PROPERTYPUTREF, INVOKE_FUNC};
  static constexpr WORD methodOrder[] = {INVOKE_FUNC, INVOKE_PROPERTYGET, INVOKE_PROPERTYPUT,
                                         INVOKE_PROPERTYPUTREF};
  std::span<const WORD> order = kind == InvokeKind::Get ? std::span<const WORD>(getOrder)
                                : kind == InvokeKind::Put ? std::span<const WORD>(putOrder)
                                                          : std::span<const WORD>(methodOrder);
  bool bound = false;
  for (WORD invokeKind : order) {
    call.boundInfo = nullptr;
    call.descKind = DESCKIND_NONE;
    if (SUCCEEDED(call.typeComp->Bind(wideName.data(), hash, invokeKind, &call.boundInfo,
                                      &call.descKind, &call.bound))) {
      bound = true;
      break;
    }
    if (call.boundInfo) call.boundInfo->Release();
    call.boundInfo = nullptr;
  }
  if (!bound || (call.descKind != DESCKIND_FUNCDESC && call.descKind != DESCKIND_VARDESC) ||
      !call.bound.lpfuncdesc)
    return finish(-3);

  // Member id, Invoke flags and parameter descriptions.
  MEMBERID member;
  WORD flags;
  ELEMDESC variableParam{};  // the one parameter of a variable's put
  const ELEMDESC* params = nullptr;
  int paramCount = 0;
  bool varArgList = false;
  if (call.descKind == DESCKIND_FUNCDESC) {
    const FUNCDESC& f = *call.bound.lpfuncdesc;
    member = f.memid;
    flags = static_cast<WORD>(f.invkind);
    params = f.lprgelemdescParam;
    paramCount = f.cParams;
    varArgList = f.cParamsOpt == -1;
  } else {
    const VARDESC& v = *call.bound.lpvardesc;
    member = v.memid;
    if (kind == InvokeKind::Put) {
      variableParam = v.elemdescVar;
      params = &variableParam;
      paramCount = 1;
      flags = isObjectOrArray(v.elemdescVar.tdesc) ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT;
    } else {
      flags = DISPATCH_PROPERTYGET;
    }
  }

  // Arguments: trailing omitted ones dropped; more than declared only for a variable list.
  size_t given = args.size();
  while (given > 0 && args[given - 1].isOmitted()) --given;
  if (static_cast<int>(given) > paramCount && !(varArgList && paramCount > 0)) return finish(-5);

  call.values.resize(given);
  for (VARIANT& v : call.values) VariantInit(&v);
  call.slots.resize(given);
  for (size_t i = 0; i < given; ++i) {
    const Arg& arg = args[i];
    const ELEMDESC& desc = params[std::min<int>(static_cast<int>(i), paramCount - 1)];
    VARIANTARG& slot = call.slots[given - 1 - i];
    VARIANT& value = call.values[i];
    if (arg.isOmitted()) {
      value = variantMissing();
      slot = value;
      continue;
    }
    const TYPEDESC& base = baseOf(desc.tdesc);
    if (!arg.toVariant(value, base.vt == VT_DISPATCH)) return finish(-7);
    VariantInit(&slot);
    if (desc.tdesc.vt != VT_PTR) {
      slot = value;  // by value: the component coerces
    } else if (base.vt == VT_VARIANT) {
      slot.vt = VT_BYREF | VT_VARIANT;
      slot.pvarVal = &value;
    } else if (base.vt == VT_SAFEARRAY && (value.vt & VT_ARRAY)) {
      slot.vt = VT_BYREF | value.vt;
      slot.pparray = &value.parray;
    } else if (VARTYPE type = referencedType(base);
               !(type & VT_ARRAY) && SUCCEEDED(VariantChangeType(&value, &value, 0, type))) {
      slot.vt = VT_BYREF | type;
      slot.byref = &value.lVal;  // every member of the value union starts there
    } else {
      slot = value;
    }
  }

  DISPID putId = DISPID_PROPERTYPUT;
  bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
  DISPPARAMS dispParams{given ? call.slots.data() : nullptr, put ? &putId : nullptr,
                        static_cast<UINT>(given), put ? 1u : 0u};
  UINT argError = 0;
  HRESULT hr = call.dispatch->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, flags, &dispParams,
                                     &call.result, &call.exception, &argError);
  if (FAILED(hr)) return finish(codeOfInvokeFailure(hr));

  // Outputs of by-reference parameters go back into the callers' variables.
  for (size_t i = 0; i < given; ++i) {
    if (!args[i].isByVar() || static_cast<int>(i) >= paramCount) continue;
    const ELEMDESC& desc = params[i];
    if (desc.tdesc.vt == VT_PTR && (desc.paramdesc.wParamFlags & PARAMFLAG_FOUT))
      args[i].writeBack(call.values[i]);
  }
  if (!storeResult(call.result, resultKind, out)) return finish(-8);
  return finish(0);
}
