// VariantChangeType (flags 0) against the results Windows gives.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "platform/com/automation_class.h"
#include "platform/com/variant.h"

namespace {

VARIANT i2(SHORT v) { VARIANT x{}; x.vt = VT_I2; x.iVal = v; return x; }
VARIANT i4(LONG v) { return variantFromInt(v); }
VARIANT r4(float v) { VARIANT x{}; x.vt = VT_R4; x.fltVal = v; return x; }
VARIANT r8(double v) { return variantFromDouble(v); }
VARIANT ui1(BYTE v) { VARIANT x{}; x.vt = VT_UI1; x.bVal = v; return x; }
VARIANT boolean(bool v) { return variantFromBool(v); }
VARIANT date(double v) { VARIANT x{}; x.vt = VT_DATE; x.date = v; return x; }
VARIANT str(std::u16string_view s) { return variantFromText(s); }
VARIANT empty() { VARIANT x{}; return x; }
VARIANT null() { VARIANT x{}; x.vt = VT_NULL; return x; }
VARIANT error(SCODE s) { VARIANT x{}; x.vt = VT_ERROR; x.scode = s; return x; }
// A VT_BOOL holding something other than VARIANT_TRUE / VARIANT_FALSE.
VARIANT oddBool(SHORT v) { VARIANT x{}; x.vt = VT_BOOL; x.boolVal = v; return x; }
// By-reference sources (to a VT_I4 7); VariantClear leaves what they point to alone.
VARIANT byRefVariant() {
  static VARIANT inner = i4(7);
  VARIANT x{};
  x.vt = VT_BYREF | VT_VARIANT;
  x.pvarVal = &inner;
  return x;
}
VARIANT byRefI4() {
  static LONG inner = 7;
  VARIANT x{};
  x.vt = VT_BYREF | VT_I4;
  x.plVal = &inner;
  return x;
}

// The converted value in a comparable form.
std::u16string show(const VARIANT& v) {
  auto ascii = [](const std::string& s) { return std::u16string(s.begin(), s.end()); };
  switch (v.vt) {
    case VT_EMPTY: return u"(empty)";
    case VT_NULL: return u"(null)";
    case VT_I2: return ascii(std::to_string(v.iVal));
    case VT_I4: return ascii(std::to_string(v.lVal));
    case VT_UI1: return ascii(std::to_string(v.bVal));
    case VT_R4: { char b[32]; snprintf(b, sizeof b, "%.9g", v.fltVal); return ascii(b); }
    case VT_R8: case VT_DATE: { char b[32]; snprintf(b, sizeof b, "%.17g", v.dblVal); return ascii(b); }
    case VT_BOOL:
      return v.boolVal == VARIANT_TRUE ? u"true" : v.boolVal == VARIANT_FALSE ? u"false" : u"bool " + ascii(std::to_string(v.boolVal));
    case VT_BSTR: return u"'" + std::u16string(bstrView(v.bstrVal)) + u"'";
    default: return u"(other)";
  }
}

struct Case {
  std::function<VARIANT()> source;
  VARTYPE target;
  HRESULT hr;
  std::u16string value;  // show() of the result when hr is S_OK
};

std::string narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }

TEST(VariantChangeTypeTest, Table) {
  const Case cases[] = {
      // numbers to text
      {[] { return r8(25.14); }, VT_BSTR, S_OK, u"'25.14'"},
      {[] { return r8(0.1); }, VT_BSTR, S_OK, u"'0.1'"},
      {[] { return r8(1e21); }, VT_BSTR, S_OK, u"'1E+21'"},
      {[] { return r8(1e15); }, VT_BSTR, S_OK, u"'1E+15'"},
      {[] { return r8(123456789012345.0); }, VT_BSTR, S_OK, u"'123456789012345'"},
      {[] { return r8(1234567890123456789.0); }, VT_BSTR, S_OK, u"'1.23456789012346E+18'"},
      {[] { return r8(0.00001); }, VT_BSTR, S_OK, u"'0.00001'"},
      {[] { return r8(5.6789e-5); }, VT_BSTR, S_OK, u"'0.000056789'"},
      {[] { return r8(5.6789e-11); }, VT_BSTR, S_OK, u"'0.000000000056789'"},
      {[] { return r8(5.6789e-12); }, VT_BSTR, S_OK, u"'5.6789E-12'"},
      {[] { return r8(-5.6789e-12); }, VT_BSTR, S_OK, u"'-5.6789E-12'"},
      {[] { return r8(0.000123456789012345); }, VT_BSTR, S_OK, u"'1.23456789012345E-04'"},
      {[] { return r8(1e12); }, VT_BSTR, S_OK, u"'1000000000000'"},
      {[] { return r8(999999999999999.0); }, VT_BSTR, S_OK, u"'999999999999999'"},
      {[] { return r8(9999999999999999.0); }, VT_BSTR, S_OK, u"'1E+16'"},
      {[] { return r8(1.23456e102); }, VT_BSTR, S_OK, u"'1.23456E+102'"},
      {[] { return r8(1e-300); }, VT_BSTR, S_OK, u"'1E-300'"},
      {[] { return r8(0.1 + 0.2); }, VT_BSTR, S_OK, u"'0.3'"},
      // an exact tie at the last digit rounds away from zero (printf: to even)
      {[] { return r8(1234567890123.125); }, VT_BSTR, S_OK, u"'1234567890123.13'"},
      {[] { return r8(-1234567890123.125); }, VT_BSTR, S_OK, u"'-1234567890123.13'"},
      {[] { return r8(0.0001); }, VT_BSTR, S_OK, u"'0.0001'"},
      {[] { return r8(-2.5); }, VT_BSTR, S_OK, u"'-2.5'"},
      {[] { return r8(1.0 / 3); }, VT_BSTR, S_OK, u"'0.333333333333333'"},
      {[] { return r8(0); }, VT_BSTR, S_OK, u"'0'"},
      {[] { return r4(3.14f); }, VT_BSTR, S_OK, u"'3.14'"},
      {[] { return r4(0.000005f); }, VT_BSTR, S_OK, u"'0.000005'"},
      {[] { return r4(0.0000001f); }, VT_BSTR, S_OK, u"'0.0000001'"},
      {[] { return r4(0.00000001f); }, VT_BSTR, S_OK, u"'1E-08'"},
      {[] { return r4(1e8f); }, VT_BSTR, S_OK, u"'1E+08'"},
      {[] { return r4(1234567.0f); }, VT_BSTR, S_OK, u"'1234567'"},
      {[] { return r4(12345678.0f); }, VT_BSTR, S_OK, u"'1.234568E+07'"},
      {[] { return r4(654322.23456f); }, VT_BSTR, S_OK, u"'654322.3'"},  // exactly 654322.25
      {[] { return r4(-654322.23456f); }, VT_BSTR, S_OK, u"'-654322.3'"},
      {[] { return i4(-123456); }, VT_BSTR, S_OK, u"'-123456'"},
      {[] { return i2(-7); }, VT_BSTR, S_OK, u"'-7'"},
      {[] { return ui1(255); }, VT_BSTR, S_OK, u"'255'"},
      {[] { return boolean(true); }, VT_BSTR, S_OK, u"'-1'"},
      {[] { return boolean(false); }, VT_BSTR, S_OK, u"'0'"},
      // a boolean keeps the number it holds, except towards VT_BOOL
      {[] { return oddBool(1); }, VT_BSTR, S_OK, u"'1'"},
      {[] { return oddBool(1); }, VT_I4, S_OK, u"1"},
      {[] { return oddBool(1); }, VT_R8, S_OK, u"1"},
      {[] { return oddBool(1); }, VT_UI1, S_OK, u"1"},
      {[] { return oddBool(1); }, VT_BOOL, S_OK, u"bool 1"},
      {[] { return oddBool(-2); }, VT_I2, S_OK, u"-2"},
      {[] { return boolean(true); }, VT_UI1, S_OK, u"255"},
      {[] { return boolean(false); }, VT_UI1, S_OK, u"0"},
      // text to numbers
      {[] { return str(u"  42  "); }, VT_I4, S_OK, u"42"},
      {[] { return str(u"-17"); }, VT_I4, S_OK, u"-17"},
      {[] { return str(u"+3.75"); }, VT_R8, S_OK, u"3.75"},
      {[] { return str(u"1.5e3"); }, VT_R8, S_OK, u"1500"},
      {[] { return str(u"2E-2"); }, VT_R8, S_OK, u"0.02"},
      {[] { return str(u".5"); }, VT_R8, S_OK, u"0.5"},
      {[] { return str(u"1,234"); }, VT_I4, S_OK, u"1234"},
      {[] { return str(u"\u00A0 42\u00A0"); }, VT_I4, S_OK, u"42"},
      {[] { return str(u"\f42\v"); }, VT_I4, S_OK, u"42"},
      {[] { return str(u"\r\n42\t"); }, VT_I4, S_OK, u"42"},
      {[] { return str(u"42-"); }, VT_I4, S_OK, u"-42"},
      {[] { return str(u"42+"); }, VT_I4, S_OK, u"42"},
      {[] { return str(u"1.5e2-"); }, VT_R8, S_OK, u"-150"},
      {[] { return str(u"(42)"); }, VT_I4, S_OK, u"-42"},
      {[] { return str(u" (4.5) "); }, VT_R8, S_OK, u"-4.5"},
      {[] { return str(u"-42-"); }, VT_I4, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"+42-"); }, VT_I4, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"(42"); }, VT_I4, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"42)"); }, VT_I4, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"-(42)"); }, VT_I4, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"(42)-"); }, VT_I4, DISP_E_TYPEMISMATCH, u""},
      // blanks between a sign and the digits, before the sign or after it
      {[] { return str(u"- 42"); }, VT_I4, S_OK, u"-42"},
      {[] { return str(u"  -  42"); }, VT_I4, S_OK, u"-42"},
      {[] { return str(u"+\t42"); }, VT_I4, S_OK, u"42"},
      {[] { return str(u"-\u3000" u"2.5"); }, VT_R8, S_OK, u"-2.5"},
      {[] { return str(u"42 -"); }, VT_I4, S_OK, u"-42"},
      {[] { return str(u"42  +"); }, VT_I4, S_OK, u"42"},
      {[] { return str(u"1.5e2 -"); }, VT_R8, S_OK, u"-150"},
      {[] { return str(u"- &H10"); }, VT_I4, S_OK, u"-16"},
      {[] { return str(u"- 42 -"); }, VT_I4, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"42 - 1"); }, VT_I4, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"-"); }, VT_I4, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"- "); }, VT_I4, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"- -42"); }, VT_I4, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"- 42"); }, VT_BOOL, S_OK, u"true"},
      // thousands separators anywhere after the first digit of the integer part
      {[] { return str(u"1,234,567"); }, VT_I4, S_OK, u"1234567"},
      {[] { return str(u"-1,234.5"); }, VT_R8, S_OK, u"-1234.5"},
      {[] { return str(u"1,2,34"); }, VT_I4, S_OK, u"1234"},
      {[] { return str(u"12,34,567"); }, VT_I4, S_OK, u"1234567"},
      {[] { return str(u"1,,234"); }, VT_I4, S_OK, u"1234"},
      {[] { return str(u"1234,"); }, VT_I4, S_OK, u"1234"},
      {[] { return str(u"1,,"); }, VT_I4, S_OK, u"1"},
      {[] { return str(u"1,234,.5"); }, VT_R8, S_OK, u"1234.5"},
      {[] { return str(u"1,e2"); }, VT_R8, S_OK, u"100"},
      {[] { return str(u"1, -"); }, VT_I4, S_OK, u"-1"},
      {[] { return str(u"(1,)"); }, VT_I4, S_OK, u"-1"},
      {[] { return str(u",123"); }, VT_I4, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"-,1"); }, VT_I4, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u".5,"); }, VT_R8, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"1e2,"); }, VT_R8, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"&H1,0"); }, VT_I4, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"1.5,0"); }, VT_R8, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"1 234"); }, VT_I4, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"\x1F" u"42"); }, VT_I4, DISP_E_TYPEMISMATCH, u""},
      // "&H" and "&O" fill the target's bits
      {[] { return str(u"&HFF"); }, VT_I4, S_OK, u"255"},
      {[] { return str(u"&HF800"); }, VT_I2, S_OK, u"-2048"},
      {[] { return str(u"&HF800"); }, VT_I4, S_OK, u"63488"},
      {[] { return str(u"&H7FFF"); }, VT_I2, S_OK, u"32767"},
      {[] { return str(u"&H10000"); }, VT_I2, DISP_E_OVERFLOW, u""},
      {[] { return str(u"&hff"); }, VT_UI1, S_OK, u"255"},
      {[] { return str(u"&H100"); }, VT_UI1, DISP_E_OVERFLOW, u""},
      {[] { return str(u"&HFFFFFFFF"); }, VT_I4, S_OK, u"-1"},
      {[] { return str(u"&HFFFFFFFF"); }, VT_R8, S_OK, u"-1"},
      {[] { return str(u"&H100000000"); }, VT_I4, DISP_E_OVERFLOW, u""},
      {[] { return str(u"&O177777"); }, VT_I2, S_OK, u"-1"},
      {[] { return str(u"&O17"); }, VT_I4, S_OK, u"15"},
      {[] { return str(u"-&H10"); }, VT_I4, S_OK, u"-16"},
      {[] { return str(u"&H"); }, VT_I4, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"&HG"); }, VT_I4, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"&O8"); }, VT_I4, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"2.5"); }, VT_I4, S_OK, u"2"},       // half to even
      {[] { return str(u"3.5"); }, VT_I4, S_OK, u"4"},
      {[] { return str(u"abc"); }, VT_I4, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"abc"); }, VT_R8, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u""); }, VT_R8, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"12abc"); }, VT_I4, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"1e"); }, VT_R8, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"3000000000"); }, VT_I4, DISP_E_OVERFLOW, u""},
      {[] { return str(u"1e999"); }, VT_R8, DISP_E_OVERFLOW, u""},
      {[] { return str(u"-1"); }, VT_UI1, DISP_E_OVERFLOW, u""},
      {[] { return str(u"25.14"); }, VT_R8, S_OK, u"25.140000000000001"},
      // narrowing
      {[] { return r8(1e10); }, VT_I4, DISP_E_OVERFLOW, u""},
      {[] { return r8(2147483647.4); }, VT_I4, S_OK, u"2147483647"},
      {[] { return r8(2147483647.5); }, VT_I4, DISP_E_OVERFLOW, u""},
      {[] { return r8(-2147483648.0); }, VT_I4, S_OK, u"-2147483648"},
      {[] { return i4(40000); }, VT_I2, DISP_E_OVERFLOW, u""},
      {[] { return i4(-32768); }, VT_I2, S_OK, u"-32768"},
      {[] { return i4(256); }, VT_UI1, DISP_E_OVERFLOW, u""},
      {[] { return r8(1e300); }, VT_R4, DISP_E_OVERFLOW, u""},
      {[] { return r8(-0.5); }, VT_I4, S_OK, u"0"},
      {[] { return r8(1.5); }, VT_I2, S_OK, u"2"},
      // to boolean
      {[] { return str(u"True"); }, VT_BOOL, S_OK, u"true"},
      {[] { return str(u"fAlSe"); }, VT_BOOL, S_OK, u"false"},
      {[] { return str(u" TRUE "); }, VT_BOOL, S_OK, u"true"},
      {[] { return str(u"0"); }, VT_BOOL, S_OK, u"false"},
      {[] { return str(u"-2.5"); }, VT_BOOL, S_OK, u"true"},
      {[] { return str(u"yes"); }, VT_BOOL, DISP_E_TYPEMISMATCH, u""},
      // "#TRUE#" and "#FALSE#" only in capitals
      {[] { return str(u"#TRUE#"); }, VT_BOOL, S_OK, u"true"},
      {[] { return str(u" #FALSE# "); }, VT_BOOL, S_OK, u"false"},
      {[] { return str(u" #false# "); }, VT_BOOL, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"#true#"); }, VT_BOOL, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"#True#"); }, VT_BOOL, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"#FALSe#"); }, VT_BOOL, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"#1#"); }, VT_BOOL, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"##"); }, VT_BOOL, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"#TRUE"); }, VT_BOOL, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"-1"); }, VT_BOOL, S_OK, u"true"},
      {[] { return str(u"-0"); }, VT_BOOL, S_OK, u"false"},
      {[] { return str(u"1-"); }, VT_BOOL, S_OK, u"true"},
      // negative numbers are true
      {[] { return i4(-1); }, VT_BOOL, S_OK, u"true"},
      {[] { return i4(-2147483647 - 1); }, VT_BOOL, S_OK, u"true"},
      {[] { return i2(-32768); }, VT_BOOL, S_OK, u"true"},
      {[] { return r8(-0.5); }, VT_BOOL, S_OK, u"true"},
      {[] { return r8(-1e300); }, VT_BOOL, S_OK, u"true"},
      {[] { return r4(-1e-30f); }, VT_BOOL, S_OK, u"true"},
      {[] { return date(-1.5); }, VT_BOOL, S_OK, u"true"},
      {[] { return r8(-0.0); }, VT_BOOL, S_OK, u"false"},
      {[] { return r8(0.1); }, VT_BOOL, S_OK, u"true"},
      {[] { return i4(0); }, VT_BOOL, S_OK, u"false"},
      {[] { return boolean(true); }, VT_I4, S_OK, u"-1"},
      {[] { return boolean(true); }, VT_R8, S_OK, u"-1"},
      // EMPTY to each type, NULL fails
      {empty, VT_I2, S_OK, u"0"},
      {empty, VT_I4, S_OK, u"0"},
      {empty, VT_R4, S_OK, u"0"},
      {empty, VT_R8, S_OK, u"0"},
      {empty, VT_UI1, S_OK, u"0"},
      {empty, VT_BOOL, S_OK, u"false"},
      {empty, VT_BSTR, S_OK, u"''"},
      {empty, VT_DATE, S_OK, u"0"},
      {empty, VT_NULL, S_OK, u"(null)"},
      {empty, VT_DISPATCH, DISP_E_TYPEMISMATCH, u""},
      {null, VT_BSTR, DISP_E_TYPEMISMATCH, u""},
      {null, VT_I4, DISP_E_TYPEMISMATCH, u""},
      {null, VT_BOOL, DISP_E_TYPEMISMATCH, u""},
      {null, VT_NULL, S_OK, u"(null)"},
      {null, VT_EMPTY, DISP_E_TYPEMISMATCH, u""},
      {[] { return error(DISP_E_PARAMNOTFOUND); }, VT_EMPTY, DISP_E_TYPEMISMATCH, u""},
      {[] { return i4(5); }, VT_EMPTY, S_OK, u"(empty)"},
      // everything converts to NULL
      {[] { return i4(5); }, VT_NULL, S_OK, u"(null)"},
      {[] { return str(u"x"); }, VT_NULL, S_OK, u"(null)"},
      {[] { return boolean(true); }, VT_NULL, S_OK, u"(null)"},
      {[] { return date(1); }, VT_NULL, S_OK, u"(null)"},
      {[] { return error(DISP_E_PARAMNOTFOUND); }, VT_NULL, DISP_E_TYPEMISMATCH, u""},  // but ERROR
      {[] { return error(S_OK); }, VT_NULL, DISP_E_TYPEMISMATCH, u""},
      {[] { return error(DISP_E_PARAMNOTFOUND); }, VT_ERROR, S_OK, u"(other)"},
      {[] { return error(DISP_E_PARAMNOTFOUND); }, VT_I4, DISP_E_TYPEMISMATCH, u""},
      {[] { return error(DISP_E_PARAMNOTFOUND); }, VT_BSTR, DISP_E_TYPEMISMATCH, u""},
      // dates
      {[] { return date(45296.5729166667); }, VT_BSTR, S_OK, u"'2024/1/5 13:45:00'"},
      {[] { return date(45296); }, VT_BSTR, S_OK, u"'2024/1/5'"},
      {[] { return date(0.25); }, VT_BSTR, S_OK, u"'6:00:00'"},
      {[] { return date(0); }, VT_BSTR, S_OK, u"'0:00:00'"},
      {[] { return date(-1.25); }, VT_BSTR, S_OK, u"'1899/12/29 6:00:00'"},
      {[] { return date(45296.75); }, VT_R8, S_OK, u"45296.75"},
      {[] { return date(45296.75); }, VT_I4, S_OK, u"45297"},
      {[] { return r8(2.5); }, VT_DATE, S_OK, u"2.5"},
      {[] { return r8(3e6); }, VT_DATE, DISP_E_OVERFLOW, u""},
      {[] { return str(u"2024/1/5 13:45:00"); }, VT_DATE, S_OK, u"45296.572916666664"},
      {[] { return str(u"2024-01-05"); }, VT_DATE, S_OK, u"45296"},
      {[] { return str(u"1:30 PM"); }, VT_DATE, S_OK, u"0.5625"},
      {[] { return str(u"1:30pm"); }, VT_DATE, S_OK, u"0.5625"},
      {[] { return str(u"1.30 PM"); }, VT_DATE, S_OK, u"0.5625"},
      {[] { return str(u"1 PM"); }, VT_DATE, S_OK, u"0.54166666666666663"},
      {[] { return str(u"12:00 AM"); }, VT_DATE, S_OK, u"0"},
      {[] { return str(u"12:30 PM"); }, VT_DATE, S_OK, u"0.52083333333333337"},
      {[] { return str(u"0:30 AM"); }, VT_DATE, S_OK, u"0.020833333333333332"},
      // "A" and "P" alone are 12-hour markers too
      {[] { return str(u"1:30 p"); }, VT_DATE, S_OK, u"0.5625"},
      {[] { return str(u"1:30P"); }, VT_DATE, S_OK, u"0.5625"},
      {[] { return str(u"1 P"); }, VT_DATE, S_OK, u"0.54166666666666663"},
      {[] { return str(u"12:30 a"); }, VT_DATE, S_OK, u"0.020833333333333332"},
      {[] { return str(u"12A"); }, VT_DATE, S_OK, u"0"},
      {[] { return str(u"2024/1/5 1:30 p"); }, VT_DATE, S_OK, u"45296.5625"},
      {[] { return str(u"P"); }, VT_DATE, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"a"); }, VT_DATE, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"1:30 b"); }, VT_DATE, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"1:30 p p"); }, VT_DATE, DISP_E_TYPEMISMATCH, u""},
      // an hour of 13 to 23 with a marker: that hour, the marker ignored
      {[] { return str(u"13:00 PM"); }, VT_DATE, S_OK, u"0.54166666666666663"},
      {[] { return str(u"13 AM"); }, VT_DATE, S_OK, u"0.54166666666666663"},
      {[] { return str(u"23:59:59 a"); }, VT_DATE, S_OK, u"0.99998842592592596"},
      {[] { return str(u"18:30 am"); }, VT_DATE, S_OK, u"0.77083333333333337"},
      {[] { return str(u"2024/1/5 13:45 AM"); }, VT_DATE, S_OK, u"45296.572916666664"},
      {[] { return str(u"24:00 PM"); }, VT_DATE, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"24 AM"); }, VT_DATE, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"1:30 XM"); }, VT_DATE, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"PM"); }, VT_DATE, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"PM 1:30"); }, VT_DATE, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"1:30 PM PM"); }, VT_DATE, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"2024/1/5 PM"); }, VT_DATE, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"13"); }, VT_DATE, DISP_E_TYPEMISMATCH, u""},
      // a lone number with a decimal point is no date
      {[] { return str(u"0.0"); }, VT_DATE, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u" 13.45 "); }, VT_DATE, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"1.5"); }, VT_DATE, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"5."); }, VT_DATE, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"1.30 PM"); }, VT_DATE, S_OK, u"0.5625"},  // with a marker it is a time
      {[] { return str(u"2024/1/5 13.45"); }, VT_DATE, S_OK, u"45296.572916666664"},
      // three numbers joined by "." alone: a time h.m.s when they fit one
      {[] { return str(u"13.45.30"); }, VT_DATE, S_OK, u"0.57326388888888891"},
      {[] { return str(u"1.2.3"); }, VT_DATE, S_OK, u"0.043090277777777776"},
      {[] { return str(u"23.59.59"); }, VT_DATE, S_OK, u"0.99998842592592596"},
      {[] { return str(u"1.2.3 PM"); }, VT_DATE, S_OK, u"0.54309027777777774"},
      {[] { return str(u"2024.1.5"); }, VT_DATE, S_OK, u"45296"},      // no time: a date
      {[] { return str(u"24.12.30"); }, VT_DATE, S_OK, u"45656"},      // 2024-12-30
      {[] { return str(u"5.1.2024"); }, VT_DATE, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"25.12.2024"); }, VT_DATE, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"25.12.2024 13:45"); }, VT_DATE, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"12/25/2024"); }, VT_DATE, S_OK, u"45651"},
      {[] { return str(u"25-12-2024"); }, VT_DATE, S_OK, u"45651"},
      // the ideographic space separates date and time like a blank
      {[] { return str(u"2024/1/5\u3000" u"13:45"); }, VT_DATE, S_OK, u"45296.572916666664"},
      {[] { return str(u"2024/1/5\u3000\u3000" u"1:30\u3000PM"); }, VT_DATE, S_OK, u"45296.5625"},
      {[] { return str(u"\u3000" u"2024/1/5 13:45\u3000"); }, VT_DATE, S_OK, u"45296.572916666664"},
      {[] { return str(u"13:45.30"); }, VT_DATE, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"24:00"); }, VT_DATE, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"1/5/2024"); }, VT_DATE, S_OK, u"45296"},
      {[] { return str(u"12/25/2024"); }, VT_DATE, S_OK, u"45651"},
      {[] { return str(u"25/12/2024"); }, VT_DATE, S_OK, u"45651"},  // 25 cannot be a month
      {[] { return str(u"25.12.2024 13.45"); }, VT_DATE, DISP_E_TYPEMISMATCH, u""},  // day.month.year
      {[] { return str(u"2024/1/5 1:30 PM"); }, VT_DATE, S_OK, u"45296.5625"},
      {[] { return str(u"13/13/2024"); }, VT_DATE, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"2024/1-5"); }, VT_DATE, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"2024/2/30"); }, VT_DATE, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"tomorrow"); }, VT_DATE, DISP_E_TYPEMISMATCH, u""},
      // same type, unsupported target types
      {[] { return str(u"x"); }, VT_BSTR, S_OK, u"'x'"},
      {[] { return i4(1); }, VT_VARIANT, DISP_E_TYPEMISMATCH, u""},
      {[] { return i4(1); }, VT_RECORD, DISP_E_TYPEMISMATCH, u""},
      {[] { return str(u"x"); }, VT_VARIANT, DISP_E_TYPEMISMATCH, u""},
      {[] { return i4(1); }, VT_UNKNOWN, DISP_E_TYPEMISMATCH, u""},
      {[] { VARIANT v{}; v.vt = 0x7F; return v; }, VT_I4, DISP_E_BADVARTYPE, u""},
      // by-reference targets: bad types, but a type mismatch for a VT_BYREF | VT_VARIANT source
      {[] { return byRefVariant(); }, VT_BYREF | VT_I4, DISP_E_TYPEMISMATCH, u""},
      {[] { return byRefVariant(); }, VT_BYREF | VT_BSTR, DISP_E_TYPEMISMATCH, u""},
      {[] { return byRefVariant(); }, VT_I4, S_OK, u"7"},
      {[] { return i4(7); }, VT_BYREF | VT_I4, DISP_E_BADVARTYPE, u""},
      {[] { return byRefI4(); }, VT_BYREF | VT_I4, DISP_E_BADVARTYPE, u""},
  };
  int row = 0;
  for (const Case& c : cases) {
    ++row;
    VARIANT src = c.source();
    VARIANT dst;
    VariantInit(&dst);
    HRESULT hr = VariantChangeType(&dst, &src, 0, c.target);
    EXPECT_EQ(c.hr, hr) << "row " << row << " from " << narrow(show(src));
    if (hr == S_OK && c.hr == S_OK) {
      EXPECT_EQ(c.target, dst.vt) << "row " << row;
      EXPECT_EQ(narrow(c.value), narrow(show(dst))) << "row " << row << " from " << narrow(show(src));
    }
    if (hr != S_OK) {
      EXPECT_EQ(VT_EMPTY, dst.vt) << "row " << row;  // left unchanged
    }
    VariantClear(&dst);
    if (src.vt != 0x7F) VariantClear(&src);
  }
}

TEST(VariantChangeTypeTest, InPlaceAndByReferenceSources) {
  VARIANT v = str(u"12");
  ASSERT_EQ(S_OK, VariantChangeType(&v, &v, 0, VT_I4));
  EXPECT_EQ(VT_I4, v.vt);
  EXPECT_EQ(12, v.lVal);
  // A failed conversion leaves the destination as it was.
  VARIANT t = str(u"abc");
  EXPECT_EQ(DISP_E_TYPEMISMATCH, VariantChangeType(&t, &t, 0, VT_I4));
  EXPECT_EQ(u"abc", bstrView(t.bstrVal));
  VariantClear(&t);

  double d = 2.5;
  VARIANT ref{};
  ref.vt = VT_BYREF | VT_R8;
  ref.pdblVal = &d;
  VARIANT out;
  VariantInit(&out);
  ASSERT_EQ(S_OK, VariantChangeType(&out, &ref, 0, VT_BSTR));
  EXPECT_EQ(u"2.5", bstrView(out.bstrVal));
  VariantClear(&out);
  VARIANT inner = str(u"7");
  VARIANT vref{};
  vref.vt = VT_BYREF | VT_VARIANT;
  vref.pvarVal = &inner;
  ASSERT_EQ(S_OK, VariantChangeType(&out, &vref, 0, VT_I2));
  EXPECT_EQ(7, out.iVal);
  VariantClear(&inner);
}

TEST(VariantChangeTypeTest, AlphaBoolFlag) {
  VARIANT b = boolean(true), out;
  VariantInit(&out);
  ASSERT_EQ(S_OK, VariantChangeType(&out, &b, VARIANT_ALPHABOOL, VT_BSTR));
  EXPECT_EQ(u"True", bstrView(out.bstrVal));
  VariantClear(&out);
}

TEST(VariantChangeTypeTest, ArraysConvertOnlyToTheirOwnTypeOrBetweenBytesAndText) {
  VARIANT list{};
  list.vt = VT_ARRAY | VT_VARIANT;
  list.parray = SafeArrayCreateVector(VT_VARIANT, 1, 2);
  VARIANT out;
  VariantInit(&out);
  ASSERT_EQ(S_OK, VariantChangeType(&out, &list, 0, VT_ARRAY | VT_VARIANT));
  EXPECT_NE(list.parray, out.parray);
  EXPECT_EQ(DISP_E_TYPEMISMATCH, VariantChangeType(&out, &list, 0, VT_ARRAY | VT_I4));
  EXPECT_EQ(DISP_E_TYPEMISMATCH, VariantChangeType(&out, &list, 0, VT_BSTR));
  EXPECT_EQ(DISP_E_BADVARTYPE, VariantChangeType(&out, &list, 0, VT_ARRAY | VT_RECORD));
  VariantClear(&out);
  VariantClear(&list);
}

TEST(VariantChangeTypeTest, ByteArraysAndText) {
  VARIANT s = str(u"AB");
  VARIANT bytes;
  VariantInit(&bytes);
  ASSERT_EQ(S_OK, VariantChangeType(&bytes, &s, 0, VT_ARRAY | VT_UI1));
  EXPECT_EQ(4u, bytes.parray->rgsabound[0].cElements);
  VARIANT back;
  VariantInit(&back);
  ASSERT_EQ(S_OK, VariantChangeType(&back, &bytes, 0, VT_BSTR));
  EXPECT_EQ(u"AB", bstrView(back.bstrVal));
  VariantClear(&s);
  VariantClear(&bytes);
  VariantClear(&back);
}

// An object converts to a value type through its default member.
struct Holder : AutomationObject {
  Holder() : AutomationObject(holderClass()) {}
  static const AutomationClass& holderClass() {
    static const IID iid = {0xDEFA0001, 1, 1, {1, 1, 1, 1, 1, 1, 1, 1}};
    static const AutomationClass& cls =
        AutomationClassBuilder<Holder>(u"IHolder", iid)
            .readOnlyProperty(u"Text", VT_BSTR, [](Holder&, Call& call) { return call.returnText(u"41.5"); })
            .memberId(u"Text", DISPID_VALUE)
            .build();
    return cls;
  }
};

struct NoDefault : AutomationObject {
  NoDefault() : AutomationObject(noDefaultClass()) {}
  static const AutomationClass& noDefaultClass() {
    static const IID iid = {0xDEFA0002, 1, 1, {1, 1, 1, 1, 1, 1, 1, 2}};
    static const AutomationClass& cls =
        AutomationClassBuilder<NoDefault>(u"INoDefault", iid)
            .readOnlyProperty(u"Other", VT_I4, [](NoDefault&, Call& call) { return call.returnInt(1); })
            .build();
    return cls;
  }
};

// Its default member is a method: a property read of it fails.
struct MethodDefault : AutomationObject {
  MethodDefault() : AutomationObject(methodDefaultClass()) {}
  static const AutomationClass& methodDefaultClass() {
    static const IID iid = {0xDEFA0003, 1, 1, {1, 1, 1, 1, 1, 1, 1, 3}};
    static const AutomationClass& cls =
        AutomationClassBuilder<MethodDefault>(u"IMethodDefault", iid)
            .method(u"Value", VT_BSTR, {}, [](MethodDefault&, Call& call) { return call.returnText(u"7"); })
            .memberId(u"Value", DISPID_VALUE)
            .build();
    return cls;
  }
};

TEST(VariantChangeTypeTest, DispatchToValueThroughDefaultMember) {
  Holder* holder = new Holder;
  VARIANT obj = variantFromDispatch(holder);
  holder->Release();
  VARIANT out;
  VariantInit(&out);
  ASSERT_EQ(S_OK, VariantChangeType(&out, &obj, 0, VT_BSTR));
  EXPECT_EQ(u"41.5", bstrView(out.bstrVal));
  ASSERT_EQ(S_OK, VariantChangeType(&out, &obj, 0, VT_I4));
  EXPECT_EQ(42, out.lVal);
  EXPECT_EQ(DISP_E_TYPEMISMATCH, VariantChangeType(&out, &obj, VARIANT_NOVALUEPROP, VT_I4));
  // Object to IUnknown keeps the object.
  ASSERT_EQ(S_OK, VariantChangeType(&out, &obj, 0, VT_UNKNOWN));
  EXPECT_EQ(static_cast<IUnknown*>(static_cast<IDispatch*>(holder)), out.punkVal);
  VARIANT back;
  VariantInit(&back);
  ASSERT_EQ(S_OK, VariantChangeType(&back, &out, 0, VT_DISPATCH));
  EXPECT_EQ(holder, static_cast<AutomationObject*>(back.pdispVal));
  VariantClear(&back);
  VariantClear(&out);
  VariantClear(&obj);

  VARIANT none = variantFromDispatch(nullptr);
  EXPECT_EQ(DISP_E_TYPEMISMATCH, VariantChangeType(&out, &none, 0, VT_BSTR));
}

TEST(VariantChangeTypeTest, ObjectsWithoutADefaultValueLeaveTheDestinationEmpty) {
  IDispatch* objects[] = {new NoDefault, new MethodDefault};
  for (IDispatch* object : objects) {
    VARIANT source = variantFromDispatch(object);
    object->Release();
    for (VARTYPE target : {VT_BSTR, VT_I4, VT_BOOL}) {
      VARIANT out = str(u"old");
      EXPECT_EQ(DISP_E_TYPEMISMATCH, VariantChangeType(&out, &source, 0, target)) << target;
      EXPECT_EQ(VT_EMPTY, out.vt) << target;
    }
    VariantClear(&source);
  }
}

TEST(VariantChangeTypeTest, PlainUnknownsAndNullReferencesConvertToNothing) {
  Holder* holder = new Holder;  // has a default value, but not as a plain IUnknown
  VARIANT unknown{};
  unknown.vt = VT_UNKNOWN;
  unknown.punkVal = static_cast<IDispatch*>(holder);
  for (VARTYPE target : {VT_BSTR, VT_I4, VT_R8, VT_BOOL}) {
    VARIANT out = i4(5);
    EXPECT_EQ(DISP_E_TYPEMISMATCH, VariantChangeType(&out, &unknown, 0, target)) << target;
    EXPECT_EQ(VT_I4, out.vt) << target;
  }
  VariantClear(&unknown);

  for (VARTYPE byRef : {VT_I4, VT_BSTR, VT_VARIANT, VT_DISPATCH}) {
    VARIANT ref{};
    ref.vt = VT_BYREF | byRef;
    ref.byref = nullptr;
    VARIANT out = i4(5);
    EXPECT_EQ(DISP_E_TYPEMISMATCH, VariantChangeType(&out, &ref, 0, VT_BSTR)) << byRef;
    EXPECT_EQ(DISP_E_TYPEMISMATCH, VariantChangeType(&out, &ref, 0, VT_I4)) << byRef;
    EXPECT_EQ(VT_I4, out.vt);
  }
}

TEST(DateTest, PartsRoundTrip) {
  DATE d;
  ASSERT_TRUE(dateFromParts(1899, 12, 30, 0, 0, 0, d));
  EXPECT_EQ(0, d);
  ASSERT_TRUE(dateFromParts(2000, 2, 29, 23, 59, 59, d));
  int y, mo, da, h, mi, s;
  ASSERT_TRUE(dateToParts(d, y, mo, da, h, mi, s));
  EXPECT_EQ(2000, y);
  EXPECT_EQ(2, mo);
  EXPECT_EQ(29, da);
  EXPECT_EQ(23, h);
  EXPECT_EQ(59, mi);
  EXPECT_EQ(59, s);
  EXPECT_FALSE(dateFromParts(1900, 2, 29, 0, 0, 0, d));
  EXPECT_FALSE(dateToParts(1e9, y, mo, da, h, mi, s));
}

}  // namespace
