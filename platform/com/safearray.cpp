// One-dimensional SAFEARRAY. The element type is kept in a small header in
// front of the descriptor (FADF_HAVEVARTYPE), as on Windows.
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/com/interfaces.h"
#include "platform/com/variant.h"

namespace {

struct ArrayBlock {
  VARTYPE vt;
  SAFEARRAY array;
};

ArrayBlock* blockOf(SAFEARRAY* a) {
  return reinterpret_cast<ArrayBlock*>(reinterpret_cast<char*>(a) - offsetof(ArrayBlock, array));
}

ULONG elementSize(VARTYPE vt) {
  switch (vt) {
    case VT_UI1: return 1;
    case VT_I2: case VT_BOOL: return 2;
    case VT_I4: case VT_R4: case VT_ERROR: return 4;
    case VT_R8: case VT_DATE: return 8;
    case VT_BSTR: return sizeof(BSTR);
    case VT_DISPATCH: case VT_UNKNOWN: return sizeof(IUnknown*);
    case VT_VARIANT: return sizeof(VARIANT);
    default: return 0;
  }
}

USHORT featuresFor(VARTYPE vt) {
  USHORT f = FADF_HAVEVARTYPE;
  if (vt == VT_BSTR) f |= FADF_BSTR;
  if (vt == VT_UNKNOWN) f |= FADF_UNKNOWN;
  if (vt == VT_DISPATCH) f |= FADF_DISPATCH;
  if (vt == VT_VARIANT) f |= FADF_VARIANT;
  return f;
}

void* slot(SAFEARRAY* a, LONG index) {
  return static_cast<char*>(a->pvData) +
         static_cast<size_t>(index - a->rgsabound[0].lLbound) * a->cbElements;
}

HRESULT checkIndex(SAFEARRAY* a, const LONG* indices) {
  if (!a || !indices) return E_INVALIDARG;
  LONG i = indices[0];
  const SAFEARRAYBOUND& b = a->rgsabound[0];
  if (i < b.lLbound || static_cast<int64_t>(i) - b.lLbound >= static_cast<int64_t>(b.cElements))
    return DISP_E_BADINDEX;
  return S_OK;
}

void releaseSlot(VARTYPE vt, void* p) {
  switch (vt) {
    case VT_BSTR: {
      BSTR* s = static_cast<BSTR*>(p);
      SysFreeString(*s);
      *s = nullptr;
      break;
    }
    case VT_DISPATCH:
    case VT_UNKNOWN: {
      IUnknown** u = static_cast<IUnknown**>(p);
      if (*u) (*u)->Release();
      *u = nullptr;
      break;
    }
    case VT_VARIANT: VariantClear(static_cast<VARIANT*>(p)); break;
    default: break;
  }
}

// Copies one element value from `from` into the (empty) slot `to`.
HRESULT copySlot(VARTYPE vt, const void* from, void* to, ULONG size) {
  switch (vt) {
    case VT_BSTR: {
      BSTR s = *static_cast<const BSTR*>(from);
      BSTR c = nullptr;
      if (s) {
        c = SysAllocStringByteLen(reinterpret_cast<const char*>(s), SysStringByteLen(s));
        if (!c) return E_OUTOFMEMORY;
      }
      *static_cast<BSTR*>(to) = c;
      return S_OK;
    }
    case VT_DISPATCH:
    case VT_UNKNOWN: {
      IUnknown* u = *static_cast<IUnknown* const*>(from);
      if (u) u->AddRef();
      *static_cast<IUnknown**>(to) = u;
      return S_OK;
    }
    case VT_VARIANT: {
      VARIANT* v = static_cast<VARIANT*>(to);
      VariantInit(v);
      return VariantCopy(v, static_cast<const VARIANT*>(from));
    }
    default:
      std::memcpy(to, from, size);
      return S_OK;
  }
}

}  // namespace

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG elements) {
  ULONG size = elementSize(vt);
  if (size == 0) return nullptr;
  if (elements > 0x7FFFFFFFu / size) return nullptr;
  auto* block = static_cast<ArrayBlock*>(std::calloc(1, sizeof(ArrayBlock)));
  if (!block) return nullptr;
  void* data = nullptr;
  if (elements > 0) {
    data = std::calloc(elements, size);
    if (!data) {
      std::free(block);
      return nullptr;
    }
  }
  block->vt = vt;
  SAFEARRAY& a = block->array;
  a.cDims = 1;
  a.fFeatures = featuresFor(vt);
  a.cbElements = size;
  a.cLocks = 0;
  a.pvData = data;
  a.rgsabound[0].cElements = elements;
  a.rgsabound[0].lLbound = lowerBound;
  return &a;
}

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND* bounds) {
  if (cDims != 1 || !bounds) return nullptr;
  return SafeArrayCreateVector(vt, bounds[0].lLbound, bounds[0].cElements);
}

HRESULT SafeArrayDestroy(SAFEARRAY* a) {
  if (!a) return S_OK;
  if (a->cLocks > 0) return DISP_E_ARRAYISLOCKED;
  ArrayBlock* block = blockOf(a);
  for (ULONG i = 0; i < a->rgsabound[0].cElements; ++i)
    releaseSlot(block->vt, static_cast<char*>(a->pvData) + static_cast<size_t>(i) * a->cbElements);
  std::free(a->pvData);
  std::free(block);
  return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* a) { return a ? a->cDims : 0; }
UINT SafeArrayGetElemsize(SAFEARRAY* a) { return a ? a->cbElements : 0; }

HRESULT SafeArrayGetLBound(SAFEARRAY* a, UINT dim, LONG* lowerBound) {
  if (!a || !lowerBound) return E_INVALIDARG;
  if (dim != 1) return DISP_E_BADINDEX;
  *lowerBound = a->rgsabound[0].lLbound;
  return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* a, UINT dim, LONG* upperBound) {
  if (!a || !upperBound) return E_INVALIDARG;
  if (dim != 1) return DISP_E_BADINDEX;
  *upperBound = static_cast<LONG>(a->rgsabound[0].lLbound +
                                  static_cast<int64_t>(a->rgsabound[0].cElements) - 1);
  return S_OK;
}

HRESULT SafeArrayGetVartype(SAFEARRAY* a, VARTYPE* vt) {
  if (!a || !vt) return E_INVALIDARG;
  *vt = blockOf(a)->vt;
  return S_OK;
}

HRESULT SafeArrayLock(SAFEARRAY* a) {
  if (!a) return E_INVALIDARG;
  ++a->cLocks;
  return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* a) {
  if (!a) return E_INVALIDARG;
  if (a->cLocks == 0) return E_UNEXPECTED;
  --a->cLocks;
  return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* a, void** data) {
  if (!a || !data) return E_INVALIDARG;
  ++a->cLocks;
  *data = a->pvData;
  return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* a) { return SafeArrayUnlock(a); }

HRESULT SafeArrayPutElement(SAFEARRAY* a, LONG* indices, void* value) {
  if (HRESULT hr = checkIndex(a, indices); FAILED(hr)) return hr;
  VARTYPE vt = blockOf(a)->vt;
  if (!value && vt != VT_BSTR && vt != VT_UNKNOWN && vt != VT_DISPATCH) return E_INVALIDARG;
  void* target = slot(a, indices[0]);
  // BSTR and interface elements are given by value (the pointer itself).
  const void* source = value;
  BSTR text = static_cast<BSTR>(value);
  IUnknown* object = static_cast<IUnknown*>(value);
  if (vt == VT_BSTR) source = &text;
  if (vt == VT_UNKNOWN || vt == VT_DISPATCH) source = &object;
  if (vt == VT_VARIANT) {
    VARIANT fresh;
    VariantInit(&fresh);
    if (HRESULT hr = VariantCopy(&fresh, static_cast<const VARIANT*>(value)); FAILED(hr)) return hr;
    VariantClear(static_cast<VARIANT*>(target));
    *static_cast<VARIANT*>(target) = fresh;
    return S_OK;
  }
  alignas(VARIANT) unsigned char fresh[sizeof(VARIANT)];
  if (HRESULT hr = copySlot(vt, source, fresh, a->cbElements); FAILED(hr)) return hr;
  releaseSlot(vt, target);
  std::memcpy(target, fresh, a->cbElements);
  return S_OK;
}

HRESULT SafeArrayGetElement(SAFEARRAY* a, LONG* indices, void* value) {
  if (HRESULT hr = checkIndex(a, indices); FAILED(hr)) return hr;
  if (!value) return E_INVALIDARG;
  return copySlot(blockOf(a)->vt, slot(a, indices[0]), value, a->cbElements);
}

HRESULT SafeArrayCopy(SAFEARRAY* a, SAFEARRAY** copy) {
  if (!copy) return E_INVALIDARG;
  *copy = nullptr;
  if (!a) return S_OK;
  VARTYPE vt = blockOf(a)->vt;
  SAFEARRAY* c = SafeArrayCreateVector(vt, a->rgsabound[0].lLbound, a->rgsabound[0].cElements);
  if (!c) return E_OUTOFMEMORY;
  for (ULONG i = 0; i < a->rgsabound[0].cElements; ++i) {
    size_t offset = static_cast<size_t>(i) * a->cbElements;
    if (HRESULT hr = copySlot(vt, static_cast<char*>(a->pvData) + offset,
                              static_cast<char*>(c->pvData) + offset, a->cbElements);
        FAILED(hr)) {
      SafeArrayDestroy(c);
      return hr;
    }
  }
  *copy = c;
  return S_OK;
}
