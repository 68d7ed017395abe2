// VariantChangeType on arbitrary VARIANTs (any type tag, values from raw
// bits, BSTR text, byte arrays, references, objects whose default value is
// another such VARIANT) towards any type: a success gives the type asked
// for, a failure leaves the destination as it was (or empty after an object
// without a readable default value), the source is never changed, and the
// text form of a converted number, date or byte array converts back to the
// same value.
#include <cstring>
#include <deque>
#include <memory>
#include <string>

#include "fuzz/fuzz_input.h"
#include "platform/com/interfaces.h"
#include "platform/com/variant.h"
#include "platform/components/wmi/wbem_object.h"  // the reference-counting IUnknown
#include "platform/text/codepage.h"

namespace {

constexpr LONG kUntouched = 0x5A5A;

// An object whose default member (DISPID_VALUE, property get) gives a copy
// of `value`, or fails.
class DefaultValueObject final : public WbemObject<DefaultValueObject, IDispatch, IID_IDispatch> {
 public:
  VARIANT value;
  bool fails = false;

  DefaultValueObject() { VariantInit(&value); }
  ~DefaultValueObject() { VariantClear(&value); }
  HRESULT GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
  HRESULT Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                 UINT*) override {
    if (member != DISPID_VALUE || !(flags & DISPATCH_PROPERTYGET) || fails) return DISP_E_MEMBERNOTFOUND;
    return result ? VariantCopy(result, &value) : S_OK;
  }
};

// Everything a source VARIANT points at, freed after the input.
struct Storage {
  std::deque<VARIANT> variants;
  std::deque<BSTR> texts;
  std::deque<int64_t> numbers;
  bool hasObject = false;
  ~Storage() {
    for (VARIANT& v : variants) VariantClear(&v);
    for (BSTR b : texts) SysFreeString(b);
  }
};

// Types whose value sits in the VARIANT itself or is one BSTR: what a
// reference of that type points at.
bool hasPlainValue(VARTYPE vt) {
  switch (vt) {
    case VT_I2: case VT_I4: case VT_R4: case VT_R8: case VT_DATE: case VT_BSTR:
    case VT_ERROR: case VT_BOOL: case VT_UI1:
      return true;
    default:
      return false;
  }
}

BSTR textFrom(FuzzInput& in) {
  const std::string bytes = in.text();
  if (in.flag()) return bstrFrom(multiByteToUtf16(bytes, CP_GBK));
  std::u16string units;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8));
  return bstrFrom(units);
}

// A VARIANT owning its value (VariantClear frees it); what references
// point at is kept in `storage`.
VARIANT makeVariant(FuzzInput& in, Storage& storage, int depth) {
  VARIANT v;
  VariantInit(&v);
  switch (in.choice(depth < 3 ? 17 : 14)) {
    case 0: v.vt = in.u16(); break;  // any tag, nothing behind it
    case 1: v.vt = VT_NULL; break;
    case 2: v.vt = VT_I2; v.iVal = static_cast<SHORT>(in.u16()); break;
    case 3: v.vt = VT_I4; v.lVal = static_cast<LONG>(in.u32()); break;
    case 4: { v.vt = VT_R4; const uint32_t bits = in.u32(); std::memcpy(&v.fltVal, &bits, 4); break; }
    case 5: { v.vt = VT_R8; const uint64_t bits = in.u64(); std::memcpy(&v.dblVal, &bits, 8); break; }
    case 6: { v.vt = VT_DATE; const uint64_t bits = in.u64(); std::memcpy(&v.date, &bits, 8); break; }
    case 7: v.vt = VT_R8; v.dblVal = static_cast<int32_t>(in.u32()) / 64.0; break;
    case 8: v.vt = VT_DATE; v.date = static_cast<int32_t>(in.u32()) / 1024.0; break;
    case 9: v.vt = VT_BSTR; v.bstrVal = textFrom(in); break;
    case 10: v.vt = VT_ERROR; v.scode = static_cast<SCODE>(in.u32()); break;
    case 11: v.vt = VT_BOOL; v.boolVal = static_cast<VARIANT_BOOL>(in.u16()); break;
    case 12: v.vt = VT_UI1; v.bVal = in.byte(); break;
    case 13: {
      const std::string bytes = in.text();
      SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
      if (!array) break;
      if (!bytes.empty()) std::memcpy(array->pvData, bytes.data(), bytes.size());
      v.vt = VT_ARRAY | VT_UI1;
      v.parray = array;
      break;
    }
    case 14: {  // an object whose default value is another VARIANT
      auto* object = new DefaultValueObject;
      object->fails = in.flag();
      object->value = makeVariant(in, storage, depth + 1);
      v.vt = in.flag() ? VT_DISPATCH : VT_UNKNOWN;
      v.pdispVal = object;
      storage.hasObject = true;
      break;
    }
    case 15: {  // a reference to another VARIANT
      storage.variants.push_back(makeVariant(in, storage, depth + 1));
      v.vt = VT_BYREF | VT_VARIANT;
      v.pvarVal = &storage.variants.back();
      break;
    }
    case 16: {  // a reference to a value of the referenced VARIANT's own type
      VARIANT inner = makeVariant(in, storage, depth + 1);
      const VARTYPE base = inner.vt;
      if (!hasPlainValue(base)) {
        VariantClear(&inner);
        break;
      }
      storage.variants.push_back(inner);
      v.vt = VT_BYREF | base;
      v.byref = &storage.variants.back().lVal;
      break;
    }
  }
  return v;
}

VARIANT converted(const VARIANT& source, VARTYPE vt, HRESULT& hr) {
  VARIANT out;
  VariantInit(&out);
  hr = VariantChangeType(&out, &source, 0, vt);
  return out;
}

bool sameValue(const VARIANT& a, const VARIANT& b) {
  if (a.vt != b.vt) return false;
  switch (a.vt) {
    case VT_I2: return a.iVal == b.iVal;
    case VT_I4: return a.lVal == b.lVal;
    case VT_UI1: return a.bVal == b.bVal;
    default: return false;
  }
}

// The text form of a converted value converts back to it (integers), or
// to a value with the same text form (reals and dates, which the text
// rounds); bytes come back as they were.
void checkRoundTrip(const VARIANT& value) {
  if (value.vt == VT_BSTR || value.vt == VT_ERROR || !(hasPlainValue(value.vt) || value.vt == (VT_ARRAY | VT_UI1)))
    return;
  HRESULT hr;
  VARIANT text = converted(value, VT_BSTR, hr);
  const bool hasText = SUCCEEDED(hr);
  if (!hasText) {
    VariantClear(&text);
    // Only dates outside the years 100 - 9999 have no text form.
    FUZZ_CHECK(value.vt == VT_DATE);
    return;
  }
  FUZZ_CHECK(text.vt == VT_BSTR);
  VARIANT back = converted(text, value.vt, hr);
  switch (value.vt) {
    case VT_I2: case VT_I4: case VT_UI1:
      FUZZ_CHECK(SUCCEEDED(hr) && sameValue(back, value));
      break;
    case VT_R4: case VT_R8: case VT_DATE: {
      const double number = value.vt == VT_R4 ? value.fltVal : value.vt == VT_R8 ? value.dblVal : value.date;
      if (number != number || number - number != 0) break;  // NaN and infinities have no number text
      FUZZ_CHECK(SUCCEEDED(hr));
      VARIANT again = converted(back, VT_BSTR, hr);
      FUZZ_CHECK(SUCCEEDED(hr) && bstrView(again.bstrVal) == bstrView(text.bstrVal));
      VariantClear(&again);
      break;
    }
    case VT_ARRAY | VT_UI1: {
      FUZZ_CHECK(SUCCEEDED(hr) && back.vt == (VT_ARRAY | VT_UI1) && back.parray);
      const ULONG count = value.parray ? value.parray->rgsabound[0].cElements : 0;
      FUZZ_CHECK(back.parray->rgsabound[0].cElements == count);
      if (count) FUZZ_CHECK(std::memcmp(back.parray->pvData, value.parray->pvData, count) == 0);
      break;
    }
    case VT_BOOL:
      FUZZ_CHECK(SUCCEEDED(hr) && back.vt == VT_BOOL);
      FUZZ_CHECK(back.boolVal == (value.boolVal ? VARIANT_TRUE : VARIANT_FALSE));
      break;
    default:
      break;
  }
  VariantClear(&back);
  VariantClear(&text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const VARTYPE target = in.flag() ? in.u16() : static_cast<VARTYPE>(in.choice(32));
  const USHORT flags = in.byte() & (VARIANT_NOVALUEPROP | VARIANT_ALPHABOOL | VARIANT_LOCALBOOL);
  Storage storage;
  VARIANT source = makeVariant(in, storage, 0);
  VARIANT before = source;

  VARIANT dest;
  VariantInit(&dest);
  dest.vt = VT_I4;
  dest.lVal = kUntouched;
  const HRESULT hr = VariantChangeType(&dest, &source, flags, target);
  FUZZ_CHECK(std::memcmp(&before, &source, sizeof source) == 0);
  if (SUCCEEDED(hr)) {
    FUZZ_CHECK(dest.vt == target);
    checkRoundTrip(dest);
  } else {
    FUZZ_CHECK((dest.vt == VT_I4 && dest.lVal == kUntouched) || (dest.vt == VT_EMPTY && storage.hasObject));
  }
  // In place: the source itself becomes the result.
  VARIANT copy;
  VariantInit(&copy);
  if (SUCCEEDED(VariantCopy(&copy, &source))) {
    const HRESULT inPlace = VariantChangeType(&copy, &copy, flags, target);
    FUZZ_CHECK(SUCCEEDED(inPlace) == SUCCEEDED(hr) || storage.hasObject);
    if (SUCCEEDED(inPlace)) FUZZ_CHECK(copy.vt == target);
  }
  VariantClear(&copy);
  VariantClear(&dest);
  VariantClear(&source);
  return 0;
}
