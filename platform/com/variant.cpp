#include "platform/com/variant.h"

#include <cstring>

#include "platform/com/interfaces.h"

bool isSupportedVariantType(VARTYPE base) {
  switch (base) {
    case VT_EMPTY: case VT_NULL: case VT_I2: case VT_I4: case VT_R4: case VT_R8:
    case VT_DATE: case VT_BSTR: case VT_DISPATCH: case VT_ERROR: case VT_BOOL:
    case VT_UNKNOWN: case VT_UI1: case VT_RECORD:
      return true;
    default:
      return false;
  }
}

bool isArrayElementType(VARTYPE base) {
  switch (base) {
    case VT_I2: case VT_I4: case VT_R4: case VT_R8: case VT_DATE: case VT_BSTR:
    case VT_DISPATCH: case VT_ERROR: case VT_BOOL: case VT_VARIANT: case VT_UNKNOWN:
    case VT_UI1:
      return true;
    default:
      return false;
  }
}

namespace {

// Valid type tags of a VARIANT: a base type, VT_ARRAY of an element type,
// or VT_BYREF of either (VT_BYREF|VT_VARIANT included).
bool isValidTag(VARTYPE vt) {
  if (vt & ~(VT_ARRAY | VT_BYREF | VT_TYPEMASK)) return false;
  VARTYPE base = vt & VT_TYPEMASK;
  bool byRef = vt & VT_BYREF;
  if (vt & VT_ARRAY) return isArrayElementType(base);
  if (byRef) return base == VT_VARIANT || (isSupportedVariantType(base) && base != VT_EMPTY && base != VT_NULL);
  return isSupportedVariantType(base);
}

// Deep copy of the value a by-reference VARIANT points at.
HRESULT copyReferenced(VARIANT* out, const VARIANT* src) {
  VARTYPE vt = src->vt & ~VT_BYREF;
  if (!src->byref) return E_INVALIDARG;
  VARIANT v;
  std::memset(&v, 0, sizeof v);
  if (vt == VT_VARIANT) {
    const VARIANT* inner = src->pvarVal;
    if (inner->vt == (VT_BYREF | VT_VARIANT)) return E_INVALIDARG;
    if (inner->vt & VT_BYREF) return copyReferenced(out, inner);
    return VariantCopy(out, inner);
  }
  v.vt = vt;
  if (vt & VT_ARRAY) {
    if (HRESULT hr = SafeArrayCopy(*src->pparray, &v.parray); FAILED(hr)) return hr;
  } else {
    switch (vt) {
      case VT_I2: v.iVal = *src->piVal; break;
      case VT_I4: v.lVal = *src->plVal; break;
      case VT_R4: v.fltVal = *src->pfltVal; break;
      case VT_R8: v.dblVal = *src->pdblVal; break;
      case VT_DATE: v.date = *src->pdate; break;
      case VT_ERROR: v.scode = *src->pscode; break;
      case VT_BOOL: v.boolVal = *src->pboolVal; break;
      case VT_UI1: v.bVal = *src->pbVal; break;
      case VT_BSTR: {
        BSTR s = *src->pbstrVal;
        v.bstrVal = s ? SysAllocStringByteLen(reinterpret_cast<const char*>(s), SysStringByteLen(s))
                      : nullptr;
        if (s && !v.bstrVal) return E_OUTOFMEMORY;
        break;
      }
      case VT_DISPATCH:
      case VT_UNKNOWN:
        v.punkVal = *src->ppunkVal;
        if (v.punkVal) v.punkVal->AddRef();
        break;
      default:
        return DISP_E_BADVARTYPE;
    }
  }
  VariantClear(out);
  *out = v;
  return S_OK;
}

}  // namespace

void VariantInit(VARIANT* v) {
  if (!v) return;
  std::memset(v, 0, sizeof *v);
}

HRESULT VariantClear(VARIANT* v) {
  if (!v) return E_INVALIDARG;
  if (!isValidTag(v->vt)) return DISP_E_BADVARTYPE;
  if (!(v->vt & VT_BYREF)) {
    if (v->vt & VT_ARRAY) {
      if (HRESULT hr = SafeArrayDestroy(v->parray); FAILED(hr)) return hr;
    } else {
      switch (v->vt) {
        case VT_BSTR: SysFreeString(v->bstrVal); break;
        case VT_DISPATCH:
        case VT_UNKNOWN:
          if (v->punkVal) v->punkVal->Release();
          break;
        case VT_RECORD:
          if (v->pRecInfo) {
            if (v->pvRecord) v->pRecInfo->RecordDestroy(v->pvRecord);
            v->pRecInfo->Release();
          }
          break;
        default: break;
      }
    }
  }
  std::memset(v, 0, sizeof *v);
  return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) {
  if (!dest || !src) return E_INVALIDARG;
  if (dest == src) return S_OK;
  if (!isValidTag(src->vt)) return DISP_E_BADVARTYPE;
  VARIANT v = *src;
  if (!(src->vt & VT_BYREF)) {
    if (src->vt & VT_ARRAY) {
      if (HRESULT hr = SafeArrayCopy(src->parray, &v.parray); FAILED(hr)) return hr;
    } else {
      switch (src->vt) {
        case VT_BSTR:
          if (src->bstrVal) {
            v.bstrVal = SysAllocStringByteLen(reinterpret_cast<const char*>(src->bstrVal),
                                              SysStringByteLen(src->bstrVal));
            if (!v.bstrVal) return E_OUTOFMEMORY;
          }
          break;
        case VT_DISPATCH:
        case VT_UNKNOWN:
          if (v.punkVal) v.punkVal->AddRef();
          break;
        case VT_RECORD:
          if (src->pRecInfo && src->pvRecord) {
            void* copy = nullptr;
            if (HRESULT hr = src->pRecInfo->RecordCreateCopy(src->pvRecord, &copy); FAILED(hr))
              return hr;
            v.pvRecord = copy;
          }
          if (v.pRecInfo) v.pRecInfo->AddRef();
          break;
        default: break;
      }
    }
  }
  if (HRESULT hr = VariantClear(dest); FAILED(hr)) {
    VariantClear(&v);
    return hr;
  }
  *dest = v;
  return S_OK;
}

HRESULT VariantCopyInd(VARIANT* dest, const VARIANT* src) {
  if (!dest || !src) return E_INVALIDARG;
  if (!isValidTag(src->vt)) return DISP_E_BADVARTYPE;
  if (!(src->vt & VT_BYREF)) return VariantCopy(dest, src);
  VARIANT v;
  VariantInit(&v);
  if (HRESULT hr = copyReferenced(&v, src); FAILED(hr)) return hr;
  if (dest != src) {
    if (HRESULT hr = VariantClear(dest); FAILED(hr)) {
      VariantClear(&v);
      return hr;
    }
  }
  *dest = v;  // a by-reference source owned nothing, so overwriting it in place is fine
  return S_OK;
}

VARIANT variantFromInt(int32_t value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = value;
  return v;
}

VARIANT variantFromDouble(double value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_R8;
  v.dblVal = value;
  return v;
}

VARIANT variantFromBool(bool value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BOOL;
  v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

VARIANT variantFromText(std::u16string_view text) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = bstrFrom(text);
  return v;
}

VARIANT variantFromDispatch(IDispatch* object) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_DISPATCH;
  v.pdispVal = object;
  if (object) object->AddRef();
  return v;
}

