// VariantChangeType: the coercions between the VARIANT types of variant.h,
// with the results of the Windows function (flags 0 unless noted):
// - numbers to text: up to 15 significant digits for doubles (7 for floats),
//   exponent form "1E+21" / "1E-05" where the plain form would be longer;
//   booleans as "-1" / "0" ("True" / "False" with VARIANT_ALPHABOOL);
// - text to numbers: blanks around, a sign, thousands separators, decimals,
//   an exponent, "&H" / "&O" integers; anything else DISP_E_TYPEMISMATCH;
// - to narrower integers: rounded half to even, DISP_E_OVERFLOW outside the range;
// - text to boolean: "True" / "False" in any case, or a number (non-zero true);
// - EMPTY to each value type: 0, "", false; NULL only to NULL or EMPTY;
// - dates as days since 1899-12-30, shown as "2024/1/5 13:45:00" (date or
//   time part left out when zero), parsed from the same form or "2024-1-5";
// - an object to a value type through its default member (DISPID_VALUE),
//   unless VARIANT_NOVALUEPROP.
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/com/interfaces.h"
#include "platform/com/variant.h"

namespace {

constexpr double kMinDate = -657434.0;   // 100-01-01
constexpr double kMaxDate = 2958466.0;   // 10000-01-01 (exclusive)

std::u16string asciiToUtf16(const char* s) {
  std::u16string out;
  for (; *s; ++s) out += static_cast<char16_t>(static_cast<unsigned char>(*s));
  return out;
}

// ---- numbers to text ---------------------------------------------------------
std::string formatReal(double value, int digits) {
  if (std::isnan(value)) return "-1.#IND";
  if (std::isinf(value)) return value > 0 ? "1.#INF" : "-1.#INF";
  if (value == 0) return "0";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*G", digits, value);
  return buffer;
}

// ---- dates ------------------------------------------------------------------
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(y + (month <= 2));
}

const int64_t kEpochDays = daysFromCivil(1899, 12, 30);

int daysInMonth(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : days[month - 1];
}

std::string formatDate(DATE date) {
  int y, mo, d, h, mi, s;
  if (!dateToParts(date, y, mo, d, h, mi, s)) return "";
  char buffer[64];
  bool hasDate = std::trunc(date) != 0;
  bool hasTime = h != 0 || mi != 0 || s != 0;
  if (hasDate && hasTime)
    std::snprintf(buffer, sizeof buffer, "%d/%d/%d %d:%02d:%02d", y, mo, d, h, mi, s);
  else if (hasDate)
    std::snprintf(buffer, sizeof buffer, "%d/%d/%d", y, mo, d);
  else
    std::snprintf(buffer, sizeof buffer, "%d:%02d:%02d", h, mi, s);
  return buffer;
}

bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == 0x3000 || c == u'\r' || c == u'\n'; }

std::u16string_view trim(std::u16string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Reads up to `maxDigits` decimal digits at s[i]; false when there is none.
bool readNumber(std::u16string_view s, size_t& i, int& out, size_t maxDigits = 4) {
  size_t start = i;
  int v = 0;
  while (i < s.size() && s[i] >= u'0' && s[i] <= u'9' && i - start < maxDigits) v = v * 10 + (s[i++] - u'0');
  out = v;
  return i > start;
}

bool parseTime(std::u16string_view s, double& fraction) {
  size_t i = 0;
  int h, m, sec = 0;
  if (!readNumber(s, i, h, 2) || i >= s.size() || s[i] != u':') return false;
  ++i;
  if (!readNumber(s, i, m, 2)) return false;
  if (i < s.size() && s[i] == u':') {
    ++i;
    if (!readNumber(s, i, sec, 2)) return false;
  }
  std::u16string_view rest = trim(s.substr(i));
  if (!rest.empty()) {
    std::u16string r(rest);
    for (auto& c : r) if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    bool pm = r == u"PM" || r == u"P";
    bool am = r == u"AM" || r == u"A";
    if (!pm && !am) return false;
    if (h < 1 || h > 12) return false;
    if (am && h == 12) h = 0;
    if (pm && h != 12) h += 12;
  }
  if (h > 23 || m > 59 || sec > 59) return false;
  fraction = (h * 3600 + m * 60 + sec) / 86400.0;
  return true;
}

bool parseDatePart(std::u16string_view s, int64_t& days) {
  size_t i = 0;
  int a, b, c;
  size_t aStart = i;
  if (!readNumber(s, i, a)) return false;
  size_t aDigits = i - aStart;
  if (i >= s.size()) return false;
  char16_t sep = s[i];
  if (sep != u'/' && sep != u'-' && sep != u'.') return false;
  ++i;
  if (!readNumber(s, i, b, 2) || i >= s.size() || s[i] != sep) return false;
  ++i;
  size_t cStart = i;
  if (!readNumber(s, i, c) || i != s.size()) return false;
  int year, month, day;
  if (aDigits >= 3 || a > 31) {
    year = a, month = b, day = c;          // year first: the local short-date form
  } else if (i - cStart >= 3 || c > 31) {
    year = c, month = a, day = b;          // month/day/year
  } else {
    year = a < 30 ? 2000 + a : 1900 + a;   // two-digit year first
    month = b, day = c;
  }
  if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > daysInMonth(year, month))
    return false;
  days = daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kEpochDays;
  return true;
}

bool parseDate(std::u16string_view text, DATE& out) {
  std::u16string_view s = trim(text);
  if (s.empty()) return false;
  size_t space = s.find(u' ');
  std::u16string_view first = s.substr(0, space);
  std::u16string_view second = space == std::u16string_view::npos ? std::u16string_view() : trim(s.substr(space));
  int64_t days = 0;
  double fraction = 0;
  if (parseDatePart(first, days)) {
    if (!second.empty() && !parseTime(second, fraction)) return false;
  } else if (!parseTime(s, fraction)) {
    return false;
  }
  out = days < 0 ? static_cast<double>(days) - fraction : static_cast<double>(days) + fraction;
  return true;
}

// ---- text to numbers ----------------------------------------------------------
HRESULT parseNumber(std::u16string_view text, double& out) {
  std::u16string_view s = trim(text);
  std::string ascii;
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
  if (i + 1 < s.size() && s[i] == u'&' && (s[i + 1] == u'H' || s[i + 1] == u'h' ||
                                            s[i + 1] == u'O' || s[i + 1] == u'o')) {
    bool hex = s[i + 1] == u'H' || s[i + 1] == u'h';
    i += 2;
    if (i >= s.size()) return DISP_E_TYPEMISMATCH;
    uint64_t v = 0;
    for (; i < s.size(); ++i) {
      char16_t c = s[i];
      int d;
      if (c >= u'0' && c <= u'9') d = c - u'0';
      else if (hex && c >= u'a' && c <= u'f') d = c - u'a' + 10;
      else if (hex && c >= u'A' && c <= u'F') d = c - u'A' + 10;
      else return DISP_E_TYPEMISMATCH;
      if (!hex && d > 7) return DISP_E_TYPEMISMATCH;
      v = v * (hex ? 16 : 8) + static_cast<uint64_t>(d);
      if (v > 0xFFFFFFFFull) return DISP_E_OVERFLOW;
    }
    // A 32-bit pattern: &HFFFFFFFF is -1, as a 32-bit integer literal.
    double value = static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(v)));
    out = negative ? -value : value;
    return S_OK;
  }
  if (negative) ascii += '-';
  size_t digits = 0;
  bool lastWasDigit = false;
  for (; i < s.size(); ++i) {
    char16_t c = s[i];
    if (c >= u'0' && c <= u'9') {
      ascii += static_cast<char>(c);
      ++digits;
      lastWasDigit = true;
    } else if (c == u',' && lastWasDigit) {
      lastWasDigit = false;  // a thousands separator between digits
    } else {
      break;
    }
  }
  if (i < s.size() && s[i] == u'.') {
    ascii += '.';
    for (++i; i < s.size() && s[i] >= u'0' && s[i] <= u'9'; ++i) {
      ascii += static_cast<char>(s[i]);
      ++digits;
    }
  }
  if (digits == 0) return DISP_E_TYPEMISMATCH;
  if (i < s.size() && (s[i] == u'e' || s[i] == u'E' || s[i] == u'd' || s[i] == u'D')) {
    size_t j = i + 1;
    std::string exponent = "E";
    if (j < s.size() && (s[j] == u'+' || s[j] == u'-')) exponent += static_cast<char>(s[j++]);
    size_t expDigits = 0;
    for (; j < s.size() && s[j] >= u'0' && s[j] <= u'9'; ++j, ++expDigits)
      exponent += static_cast<char>(s[j]);
    if (expDigits == 0) return DISP_E_TYPEMISMATCH;
    ascii += exponent;
    i = j;
  }
  if (i != s.size()) return DISP_E_TYPEMISMATCH;
  double v = std::strtod(ascii.c_str(), nullptr);
  if (std::isinf(v)) return DISP_E_OVERFLOW;
  out = v;
  return S_OK;
}

bool equalsNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= u'A' && x <= u'Z') x = static_cast<char16_t>(x + 32);
    if (y >= u'A' && y <= u'Z') y = static_cast<char16_t>(y + 32);
    if (x != y) return false;
  }
  return true;
}

// ---- conversions --------------------------------------------------------------
HRESULT roundToRange(double v, double low, double high, double& out) {
  if (std::isnan(v)) return DISP_E_OVERFLOW;
  double r = std::nearbyint(v);  // half to even in the default rounding mode
  if (r < low || r > high) return DISP_E_OVERFLOW;
  out = r;
  return S_OK;
}

// The numeric value of a by-value source, for number targets.
HRESULT numberOf(const VARIANT& src, double& out) {
  switch (src.vt) {
    case VT_EMPTY: out = 0; return S_OK;
    case VT_I2: out = src.iVal; return S_OK;
    case VT_I4: out = src.lVal; return S_OK;
    case VT_R4: out = src.fltVal; return S_OK;
    case VT_R8: out = src.dblVal; return S_OK;
    case VT_DATE: out = src.date; return S_OK;
    case VT_BOOL: out = src.boolVal ? -1 : 0; return S_OK;
    case VT_UI1: out = src.bVal; return S_OK;
    case VT_BSTR: return parseNumber(bstrView(src.bstrVal), out);
    default: return DISP_E_TYPEMISMATCH;
  }
}

HRESULT toText(const VARIANT& src, USHORT flags, BSTR& out) {
  std::string s;
  switch (src.vt) {
    case VT_EMPTY: s = ""; break;
    case VT_I2: s = std::to_string(src.iVal); break;
    case VT_I4: s = std::to_string(src.lVal); break;
    case VT_UI1: s = std::to_string(src.bVal); break;
    case VT_R4: s = formatReal(src.fltVal, 7); break;
    case VT_R8: s = formatReal(src.dblVal, 15); break;
    case VT_DATE:
      if (src.date < kMinDate || src.date >= kMaxDate) return DISP_E_OVERFLOW;
      s = formatDate(src.date);
      break;
    case VT_BOOL:
      if (flags & VARIANT_ALPHABOOL) s = src.boolVal ? "True" : "False";
      else s = src.boolVal ? "-1" : "0";
      break;
    case VT_ARRAY | VT_UI1: {
      SAFEARRAY* a = src.parray;
      ULONG n = a ? a->rgsabound[0].cElements : 0;
      out = SysAllocStringByteLen(a ? static_cast<const char*>(a->pvData) : nullptr, n);
      return out ? S_OK : E_OUTOFMEMORY;
    }
    default: return DISP_E_TYPEMISMATCH;
  }
  std::u16string u = asciiToUtf16(s.c_str());
  out = bstrFrom(u);
  return out ? S_OK : E_OUTOFMEMORY;
}

HRESULT convertValue(const VARIANT& src, USHORT flags, VARTYPE vt, VARIANT& out, int depth);

// An object source for a value target: its default member's value.
HRESULT defaultValue(const VARIANT& src, USHORT flags, VARTYPE vt, VARIANT& out, int depth) {
  if (flags & VARIANT_NOVALUEPROP) return DISP_E_TYPEMISMATCH;
  if (depth > 4) return DISP_E_TYPEMISMATCH;
  IDispatch* dispatch = nullptr;
  if (src.vt == VT_DISPATCH) {
    dispatch = src.pdispVal;
    if (dispatch) dispatch->AddRef();
  } else if (src.punkVal) {
    if (FAILED(src.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))))
      dispatch = nullptr;
  }
  if (!dispatch) return DISP_E_TYPEMISMATCH;
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  VARIANT value;
  VariantInit(&value);
  HRESULT hr = dispatch->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT,
                                DISPATCH_PROPERTYGET | DISPATCH_METHOD, &none, &value, nullptr,
                                nullptr);
  dispatch->Release();
  if (SUCCEEDED(hr)) {
    VARIANT plain;
    VariantInit(&plain);
    hr = VariantCopyInd(&plain, &value);
    if (SUCCEEDED(hr)) hr = convertValue(plain, flags, vt, out, depth + 1);
    VariantClear(&plain);
  }
  VariantClear(&value);
  return hr;
}

// Converts a by-value source into `out` (VT_EMPTY on entry).
HRESULT convertValue(const VARIANT& src, USHORT flags, VARTYPE vt, VARIANT& out, int depth) {
  if (src.vt == vt) return VariantCopy(&out, &src);
  bool sourceIsObject = src.vt == VT_DISPATCH || src.vt == VT_UNKNOWN;
  if (vt == VT_EMPTY) return S_OK;
  if (vt == VT_UNKNOWN) {
    if (src.vt != VT_DISPATCH) return DISP_E_TYPEMISMATCH;
    out.vt = VT_UNKNOWN;
    out.punkVal = src.pdispVal;
    if (out.punkVal) out.punkVal->AddRef();
    return S_OK;
  }
  if (vt == VT_DISPATCH) {
    if (src.vt != VT_UNKNOWN) return DISP_E_TYPEMISMATCH;
    IDispatch* d = nullptr;
    if (src.punkVal &&
        FAILED(src.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d))))
      return E_NOINTERFACE;
    out.vt = VT_DISPATCH;
    out.pdispVal = d;
    return S_OK;
  }
  if (sourceIsObject) return defaultValue(src, flags, vt, out, depth);
  if (src.vt == VT_NULL) return vt == VT_NULL ? S_OK : DISP_E_TYPEMISMATCH;
  if (vt == VT_NULL) {
    if (src.vt != VT_EMPTY) return DISP_E_TYPEMISMATCH;
    out.vt = VT_NULL;
    return S_OK;
  }
  if (src.vt == VT_ERROR || vt == VT_ERROR) return DISP_E_TYPEMISMATCH;
  if (vt == VT_BSTR) {
    BSTR text = nullptr;
    if (HRESULT hr = toText(src, flags, text); FAILED(hr)) return hr;
    out.vt = VT_BSTR;
    out.bstrVal = text;
    return S_OK;
  }
  if (vt & VT_ARRAY) {
    if (vt != (VT_ARRAY | VT_UI1) || src.vt != VT_BSTR) return DISP_E_TYPEMISMATCH;
    UINT n = SysStringByteLen(src.bstrVal);
    SAFEARRAY* a = SafeArrayCreateVector(VT_UI1, 0, n);
    if (!a) return E_OUTOFMEMORY;
    if (n) std::memcpy(a->pvData, src.bstrVal, n);
    out.vt = VT_ARRAY | VT_UI1;
    out.parray = a;
    return S_OK;
  }
  if (src.vt & VT_ARRAY) return DISP_E_TYPEMISMATCH;
  if (vt == VT_BOOL) {
    if (src.vt == VT_BSTR) {
      std::u16string_view s = trim(bstrView(src.bstrVal));
      bool value;
      if (equalsNoCase(s, u"true")) value = true;
      else if (equalsNoCase(s, u"false")) value = false;
      else {
        double d;
        HRESULT hr = parseNumber(s, d);
        if (hr == DISP_E_OVERFLOW) value = true;  // too large for a double, but not zero
        else if (FAILED(hr)) return hr;
        else value = d != 0;
      }
      out.vt = VT_BOOL;
      out.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    }
    double d;
    if (HRESULT hr = numberOf(src, d); FAILED(hr)) return hr;
    out.vt = VT_BOOL;
    out.boolVal = d != 0 ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
  if (vt == VT_DATE && src.vt == VT_BSTR) {
    DATE date;
    if (!parseDate(bstrView(src.bstrVal), date)) return DISP_E_TYPEMISMATCH;
    out.vt = VT_DATE;
    out.date = date;
    return S_OK;
  }
  double d;
  if (HRESULT hr = numberOf(src, d); FAILED(hr)) return hr;
  double r;
  switch (vt) {
    case VT_I2:
      if (HRESULT hr = roundToRange(d, -32768, 32767, r); FAILED(hr)) return hr;
      out.iVal = static_cast<SHORT>(r);
      break;
    case VT_I4:
      if (HRESULT hr = roundToRange(d, -2147483648.0, 2147483647.0, r); FAILED(hr)) return hr;
      out.lVal = static_cast<LONG>(r);
      break;
    case VT_UI1:
      if (src.vt == VT_BOOL) {
        out.bVal = src.boolVal ? 0xFF : 0;
        break;
      }
      if (HRESULT hr = roundToRange(d, 0, 255, r); FAILED(hr)) return hr;
      out.bVal = static_cast<BYTE>(r);
      break;
    case VT_R4:
      if (std::fabs(d) > FLT_MAX) return DISP_E_OVERFLOW;
      out.fltVal = static_cast<float>(d);
      break;
    case VT_R8:
      out.dblVal = d;
      break;
    case VT_DATE:
      if (d < kMinDate || d >= kMaxDate) return DISP_E_OVERFLOW;
      out.date = d;
      break;
    default:
      return DISP_E_BADVARTYPE;
  }
  out.vt = vt;
  return S_OK;
}

bool isConvertibleTarget(VARTYPE vt) {
  if (vt & VT_BYREF) return false;
  // An array of the same type (copied), or bytes from text.
  if (vt & VT_ARRAY) return isArrayElementType(vt & VT_TYPEMASK);
  return isSupportedVariantType(vt) && vt != VT_RECORD;
}

}  // namespace

bool dateFromParts(int year, int month, int day, int hour, int minute, int second, DATE& out) {
  if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > daysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
      second < 0 || second > 59)
    return false;
  int64_t days = daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kEpochDays;
  double fraction = (hour * 3600 + minute * 60 + second) / 86400.0;
  out = days < 0 ? static_cast<double>(days) - fraction : static_cast<double>(days) + fraction;
  return true;
}

bool dateToParts(DATE date, int& year, int& month, int& day, int& hour, int& minute, int& second) {
  if (!(date >= kMinDate && date < kMaxDate)) return false;
  double whole = std::trunc(date);
  int64_t seconds = std::llround(std::fabs(date - whole) * 86400.0);
  int64_t days = static_cast<int64_t>(whole);
  if (seconds >= 86400) {  // rounding reached the next midnight
    seconds -= 86400;
    days += date < 0 ? -1 : 1;
  }
  civilFromDays(days + kEpochDays, year, month, day);
  hour = static_cast<int>(seconds / 3600);
  minute = static_cast<int>(seconds / 60 % 60);
  second = static_cast<int>(seconds % 60);
  return true;
}

HRESULT VariantChangeTypeEx(VARIANT* dest, const VARIANT* src, LCID, USHORT flags, VARTYPE vt) {
  return VariantChangeType(dest, src, flags, vt);
}

HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, USHORT flags, VARTYPE vt) {
  if (!dest || !src) return E_INVALIDARG;
  if (!isConvertibleTarget(vt)) return DISP_E_BADVARTYPE;
  VARIANT plain;
  VariantInit(&plain);
  const VARIANT* source = src;
  if (src->vt & VT_BYREF) {
    if (HRESULT hr = VariantCopyInd(&plain, src); FAILED(hr)) return hr;
    source = &plain;
  } else if (!((src->vt & VT_ARRAY) || isSupportedVariantType(src->vt))) {
    return DISP_E_BADVARTYPE;
  }
  VARIANT out;
  VariantInit(&out);
  HRESULT hr;
  try {
    hr = convertValue(*source, flags, vt, out, 0);
  } catch (...) {  // out of memory while formatting or parsing
    hr = E_OUTOFMEMORY;
  }
  VariantClear(&plain);
  if (FAILED(hr)) {
    VariantClear(&out);
    return hr;
  }
  if (HRESULT clear = VariantClear(dest); FAILED(clear)) {
    VariantClear(&out);
    return clear;
  }
  *dest = out;
  return S_OK;
}
