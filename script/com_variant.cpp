#include "script/com_variant.h"

#include <cstring>
#include <utility>

#include "platform/com/interfaces.h"
#include "script/com_object.h"

Variant::Variant() {
  VariantInit(&value_);
  value_.vt = VT_I4;
  value_.lVal = 0;
}

Variant::Variant(const Variant& other) {
  VariantInit(&value_);
  VariantCopy(&value_, &other.value_);
}

Variant::Variant(Variant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }

Variant& Variant::operator=(const Variant& other) {
  if (this != &other) VariantCopy(&value_, &other.value_);
  return *this;
}

Variant& Variant::operator=(Variant&& other) noexcept {
  if (this != &other) {
    VariantClear(&value_);
    value_ = other.value_;
    VariantInit(&other.value_);
  }
  return *this;
}

Variant::~Variant() { VariantClear(&value_); }

void Variant::clear() {
  VariantClear(&value_);
  std::memset(&value_, 0, sizeof value_);
}

bool Variant::setRaw(const VARIANT& value) {
  VARIANT copy;
  VariantInit(&copy);
  if (FAILED(VariantCopyInd(&copy, &value))) {
    clear();
    return false;
  }
  clear();
  value_ = copy;
  return true;
}

bool Variant::assign(const Arg& value) {
  VARIANT v;  // converted first: the value may be this Variant itself
  bool converted = value.toVariant(v);
  clear();
  if (!converted || (v.vt == VT_UNKNOWN && !v.punkVal)) {  // an empty ComObject holds nothing
    VariantClear(&v);
    return false;
  }
  value_ = v;
  return true;
}

namespace {

// Builds a VT_ARRAY value with lower bound 1 from `values`, storing each
// member through `put(element index, member)`.
template <class T, class A, class Put>
bool buildArray(VARIANT& out, VARTYPE elementType, const std::vector<T, A>& values, Put put) {
  SAFEARRAY* array = SafeArrayCreateVector(elementType, 1, static_cast<ULONG>(values.size()));
  if (!array) return false;
  for (size_t i = 0; i < values.size(); ++i) {
    LONG index = static_cast<LONG>(i + 1);
    if (!put(array, &index, values[i])) {
      SafeArrayDestroy(array);
      return false;
    }
  }
  out.vt = VT_ARRAY | elementType;
  out.parray = array;
  return true;
}

template <class T, class A, class Convert>
bool plainArray(VARIANT& out, VARTYPE elementType, const std::vector<T, A>& values, Convert convert) {
  return buildArray(out, elementType, values, [&](SAFEARRAY* a, LONG* index, const T& value) {
    auto element = convert(value);
    return SUCCEEDED(SafeArrayPutElement(a, index, &element));
  });
}

}  // namespace

bool Variant::assign(const std::vector<bool>& values) {
  clear();
  std::vector<int> copy(values.begin(), values.end());
  return plainArray(value_, VT_BOOL, copy,
                    [](int b) { return static_cast<VARIANT_BOOL>(b ? VARIANT_TRUE : VARIANT_FALSE); });
}
bool Variant::assign(const ByteArray& values) {
  clear();
  return plainArray(value_, VT_UI1, values, [](unsigned char b) { return static_cast<BYTE>(b); });
}
bool Variant::assign(const std::vector<int16_t>& values) {
  clear();
  return plainArray(value_, VT_I2, values, [](int16_t v) { return v; });
}
bool Variant::assign(const std::vector<int32_t>& values) {
  clear();
  return plainArray(value_, VT_I4, values, [](int32_t v) { return v; });
}
bool Variant::assign(const std::vector<int64_t>& values) {
  clear();
  return plainArray(value_, VT_I4, values, [](int64_t v) {
    return static_cast<LONG>(static_cast<uint32_t>(static_cast<uint64_t>(v)));
  });
}
bool Variant::assign(const std::vector<float>& values) {
  clear();
  return plainArray(value_, VT_R4, values, [](float v) { return v; });
}
bool Variant::assign(const std::vector<double>& values) {
  clear();
  return plainArray(value_, VT_R8, values, [](double v) { return v; });
}
bool Variant::assign(const std::vector<DateTime>& values) {
  clear();
  return plainArray(value_, VT_DATE, values, [](DateTime v) { return v.value; });
}
bool Variant::assign(const std::vector<Text>& values) {
  clear();
  return buildArray(value_, VT_BSTR, values, [](SAFEARRAY* a, LONG* index, const Text& t) {
    BSTR text = bstrFrom(localToWide(t));
    HRESULT hr = SafeArrayPutElement(a, index, text);
    SysFreeString(text);
    return SUCCEEDED(hr);
  });
}
bool Variant::assign(const std::vector<ComObject>& values) {
  clear();
  return buildArray(value_, VT_UNKNOWN, values, [](SAFEARRAY* a, LONG* index, const ComObject& o) {
    IUnknown* unknown = nullptr;
    if (o.get() && FAILED(o.get()->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown))))
      return false;
    HRESULT hr = SafeArrayPutElement(a, index, unknown);
    if (unknown) unknown->Release();
    return SUCCEEDED(hr);
  });
}
bool Variant::assign(const std::vector<Variant>& values) {
  clear();
  return buildArray(value_, VT_VARIANT, values, [](SAFEARRAY* a, LONG* index, const Variant& v) {
    VARIANT plain;
    VariantInit(&plain);
    if (FAILED(VariantCopyInd(&plain, &v.raw()))) return false;
    HRESULT hr = SafeArrayPutElement(a, index, &plain);
    VariantClear(&plain);
    return SUCCEEDED(hr);
  });
}

Text Variant::toText() const {
  VARIANT text;
  VariantInit(&text);
  if (FAILED(VariantChangeType(&text, &value_, 0, VT_BSTR))) return Text();
  Text local = wideToLocal(bstrView(text.bstrVal));
  VariantClear(&text);
  return local;
}
