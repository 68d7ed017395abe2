// Variant: one OLE VARIANT value owned by the program. A new Variant holds
// the 32-bit integer 0 (VT_I4); clear leaves it all zero (VT_EMPTY); copies
// are deep (VariantCopy).
#pragma once

#include <vector>

#include "platform/com/variant.h"
#include "platform/text/text.h"
#include "script/com_argument.h"

class Variant {
 public:
  Variant();
  Variant(const Variant& other);
  Variant(Variant&& other) noexcept;
  Variant& operator=(const Variant& other);
  Variant& operator=(Variant&& other) noexcept;
  ~Variant();

  // Clears, then stores the value by the argument table (a ComObject as its
  // IUnknown). True when the value was stored; an omitted or unsupported
  // value, or an empty ComObject, leaves the Variant empty and gives false.
  bool assign(const Arg& value);
  // Arrays: a one-dimensional SAFEARRAY with lower bound 1, one element per
  // member (ByteArray as VT_UI1, 64-bit integers truncated to VT_I4,
  // ComObject members as VT_UNKNOWN, Variant members as VT_VARIANT).
  bool assign(const std::vector<bool>& values);
  bool assign(const ByteArray& values);
  bool assign(const std::vector<int16_t>& values);
  bool assign(const std::vector<int32_t>& values);
  bool assign(const std::vector<int64_t>& values);
  bool assign(const std::vector<float>& values);
  bool assign(const std::vector<double>& values);
  bool assign(const std::vector<DateTime>& values);
  bool assign(const std::vector<Text>& values);
  bool assign(const std::vector<ComObject>& values);
  bool assign(const std::vector<Variant>& values);

  // The value as local text (VariantChangeType to VT_BSTR, no flags); empty
  // text when it does not convert. Booleans give "-1" / "0".
  Text toText() const;
  void clear();

  VARTYPE type() const { return value_.vt; }
  const VARIANT& raw() const { return value_; }
  VARIANT& raw() { return value_; }
  // A copy of `value` with indirections resolved; false (and VT_EMPTY) when that fails.
  bool setRaw(const VARIANT& value);

 private:
  VARIANT value_;
};
