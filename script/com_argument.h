// Arguments of automation calls: one value of an ordinary kind (boolean,
// byte, 16/32/64-bit integer, single, double, date-time, text, ComObject,
// Variant), an omitted argument, or a caller's variable passed by variable
// (`byVar(x)`) so that an output of the component is written back into it.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/com/variant.h"
#include "platform/text/text.h"

class ComObject;
class Variant;

// An OLE date: days since 1899-12-30, the time of day as the fraction.
struct DateTime {
  double value = 0;
};

enum class ArgKind {
  Omitted, Boolean, Byte, Int16, Int32, Int64, Single, Double, Date, Text, Object, Variant,
  Unsupported
};

struct OmittedArg {};
// Leaves an argument out: trailing ones are dropped, inner ones are passed as missing.
inline constexpr OmittedArg omitted{};

class Arg {
 public:
  Arg() = default;  // omitted
  Arg(OmittedArg) {}
  Arg(bool v) : kind_(ArgKind::Boolean) { value_.b = v; }
  Arg(uint8_t v) : kind_(ArgKind::Byte) { value_.u8 = v; }
  Arg(int16_t v) : kind_(ArgKind::Int16) { value_.i16 = v; }
  Arg(int32_t v) : kind_(ArgKind::Int32) { value_.i32 = v; }
  Arg(int64_t v) : kind_(ArgKind::Int64) { value_.i64 = v; }
  Arg(float v) : kind_(ArgKind::Single) { value_.f = v; }
  Arg(double v) : kind_(ArgKind::Double) { value_.d = v; }
  Arg(DateTime v) : kind_(ArgKind::Date) { value_.d = v.value; }
  Arg(const char* v) : kind_(ArgKind::Text), text_(v ? v : "") {}
  Arg(std::string_view v) : kind_(ArgKind::Text), text_(v) {}
  Arg(const Text& v) : kind_(ArgKind::Text), text_(v) {}
  Arg(const ComObject& v) : kind_(ArgKind::Object), pointer_(&v) {}
  Arg(const Variant& v) : kind_(ArgKind::Variant), pointer_(&v) {}
  // Kinds that are no argument (arrays go through Variant::assign): the call fails with -7.
  template <class T>
  Arg(const std::vector<T>&) : kind_(ArgKind::Unsupported) {}

  ArgKind kind() const { return kind_; }
  bool isOmitted() const { return kind_ == ArgKind::Omitted; }
  bool isByVar() const { return variable_ != nullptr; }

  // Converts the value by the argument table (ComObject: VT_UNKNOWN, or
  // VT_DISPATCH when `asDispatch`). False for an unsupported kind or an
  // object without the interface; `out` is VT_EMPTY on entry.
  bool toVariant(VARIANT& out, bool asDispatch = false) const;
  // Writes `value` back into the caller's variable (by the result rules);
  // false when there is no variable or the value does not convert.
  bool writeBack(const VARIANT& value) const;

  friend Arg byVar(bool& v);
  friend Arg byVar(uint8_t& v);
  friend Arg byVar(int16_t& v);
  friend Arg byVar(int32_t& v);
  friend Arg byVar(int64_t& v);
  friend Arg byVar(float& v);
  friend Arg byVar(double& v);
  friend Arg byVar(DateTime& v);
  friend Arg byVar(Text& v);
  friend Arg byVar(ComObject& v);
  friend Arg byVar(Variant& v);

 private:
  ArgKind kind_ = ArgKind::Omitted;
  union {
    bool b;
    uint8_t u8;
    int16_t i16;
    int32_t i32;
    int64_t i64;
    float f;
    double d;
  } value_{};
  std::string_view text_;
  const void* pointer_ = nullptr;  // ComObject / Variant given by value
  void* variable_ = nullptr;       // the caller's variable (by variable)
};

// Passes a variable: the value is read from it, and an output the component
// leaves in a by-reference parameter is written back after a successful call.
Arg byVar(bool& v);
Arg byVar(uint8_t& v);
Arg byVar(int16_t& v);
Arg byVar(int32_t& v);
Arg byVar(int64_t& v);
Arg byVar(float& v);
Arg byVar(double& v);
Arg byVar(DateTime& v);
Arg byVar(Text& v);
Arg byVar(ComObject& v);
Arg byVar(Variant& v);

// Local text (code page CP_ACP) <-> UTF-16 for everything crossing into components.
WideString localToWide(std::string_view text);
Text wideToLocal(WideStringView text);
