#include "script/com_argument.h"

#include "platform/com/interfaces.h"
#include "platform/text/codepage.h"
#include "script/com_object.h"
#include "script/com_variant.h"

WideString localToWide(std::string_view text) { return multiByteToUtf16(text, CP_ACP); }
Text wideToLocal(WideStringView text) { return utf16ToMultiByte(text, CP_ACP); }

#define KESTRUNE_BYVAR(Type, Kind, Read)   \
  Arg byVar(Type& v) {                     \
    Arg a(Read);                           \
    a.kind_ = ArgKind::Kind;               \
    a.variable_ = &v;                      \
    return a;                              \
  }
KESTRUNE_BYVAR(bool, Boolean, v)
KESTRUNE_BYVAR(uint8_t, Byte, v)
KESTRUNE_BYVAR(int16_t, Int16, v)
KESTRUNE_BYVAR(int32_t, Int32, v)
KESTRUNE_BYVAR(int64_t, Int64, v)
KESTRUNE_BYVAR(float, Single, v)
KESTRUNE_BYVAR(double, Double, v)
KESTRUNE_BYVAR(DateTime, Date, v)
KESTRUNE_BYVAR(Text, Text, static_cast<const Text&>(v))
KESTRUNE_BYVAR(ComObject, Object, static_cast<const ComObject&>(v))
KESTRUNE_BYVAR(Variant, Variant, static_cast<const Variant&>(v))
#undef KESTRUNE_BYVAR

bool Arg::toVariant(VARIANT& out, bool asDispatch) const {
  VariantInit(&out);
  switch (kind_) {
    case ArgKind::Boolean:
      out.vt = VT_BOOL;
      out.boolVal = value_.b ? VARIANT_TRUE : VARIANT_FALSE;
      return true;
    case ArgKind::Byte: out.vt = VT_UI1; out.bVal = value_.u8; return true;
    case ArgKind::Int16: out.vt = VT_I2; out.iVal = value_.i16; return true;
    case ArgKind::Int32: out.vt = VT_I4; out.lVal = value_.i32; return true;
    case ArgKind::Int64:
      out.vt = VT_I4;
      out.lVal = static_cast<LONG>(static_cast<uint32_t>(static_cast<uint64_t>(value_.i64)));
      return true;
    case ArgKind::Single: out.vt = VT_R4; out.fltVal = value_.f; return true;
    case ArgKind::Double: out.vt = VT_R8; out.dblVal = value_.d; return true;
    case ArgKind::Date: out.vt = VT_DATE; out.date = value_.d; return true;
    case ArgKind::Text: {
      WideString wide = localToWide(text_);
      out.vt = VT_BSTR;
      out.bstrVal = bstrFrom(wide);
      return true;
    }
    case ArgKind::Object: {
      IUnknown* object = static_cast<const ComObject*>(pointer_)->get();
      void* found = nullptr;
      if (object && FAILED(object->QueryInterface(asDispatch ? IID_IDispatch : IID_IUnknown, &found)))
        return false;
      out.vt = asDispatch ? VT_DISPATCH : VT_UNKNOWN;
      out.punkVal = static_cast<IUnknown*>(found);
      return true;
    }
    case ArgKind::Variant:
      return SUCCEEDED(VariantCopyInd(&out, &static_cast<const Variant*>(pointer_)->raw()));
    default:
      return false;
  }
}

bool Arg::writeBack(const VARIANT& value) const {
  if (!variable_) return false;
  VARIANT v;
  VariantInit(&v);
  auto as = [&](VARTYPE vt) { return SUCCEEDED(VariantChangeType(&v, &value, 0, vt)); };
  bool ok = true;
  switch (kind_) {
    case ArgKind::Boolean:
      if ((ok = as(VT_BOOL))) *static_cast<bool*>(variable_) = v.boolVal != VARIANT_FALSE;
      break;
    case ArgKind::Byte:
      if ((ok = as(VT_UI1))) *static_cast<uint8_t*>(variable_) = v.bVal;
      break;
    case ArgKind::Int16:
      if ((ok = as(VT_I2))) *static_cast<int16_t*>(variable_) = v.iVal;
      break;
    case ArgKind::Int32:
      if ((ok = as(VT_I4))) *static_cast<int32_t*>(variable_) = v.lVal;
      break;
    case ArgKind::Int64:
      if ((ok = as(VT_I4))) *static_cast<int64_t*>(variable_) = v.lVal;
      break;
    case ArgKind::Single:
      if ((ok = as(VT_R4))) *static_cast<float*>(variable_) = v.fltVal;
      break;
    case ArgKind::Double:
      if ((ok = as(VT_R8))) *static_cast<double*>(variable_) = v.dblVal;
      break;
    case ArgKind::Date:
      if ((ok = as(VT_DATE))) static_cast<DateTime*>(variable_)->value = v.date;
      break;
    case ArgKind::Text:
      if ((ok = as(VT_BSTR))) *static_cast<Text*>(variable_) = wideToLocal(bstrView(v.bstrVal));
      break;
    case ArgKind::Object:
      if ((ok = as(VT_UNKNOWN))) *static_cast<ComObject*>(variable_) = ComObject::fromUnknown(v.punkVal);
      break;
    case ArgKind::Variant:
      ok = static_cast<Variant*>(variable_)->setRaw(value);
      break;
    default:
      ok = false;
  }
  VariantClear(&v);
  return ok;
}
