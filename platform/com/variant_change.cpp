// VariantChangeType: the coercions between the VARIANT types of variant.h,
// with the results of the Windows function (flags 0 unless noted), in the
// stand-in's locale ("." for decimals, "," for thousands):
// - numbers to text: 15 significant digits for doubles, 7 for floats, rounded
//   half away from zero; plain decimals whenever the digits fit that budget
//   ("0.000056789", "1000000000000"), the exponent form only beyond it
//   ("5.6789E-12", "1E+15");
// - booleans keep the number they hold towards numbers and text (-1 gives -1
//   and "-1", a stray 1 gives 1 and "1"; "True" / "False" with
//   VARIANT_ALPHABOOL); only a conversion to VT_BOOL makes them -1 / 0;
// - text to numbers: blanks around (space, tab, CR, LF, VT, FF, no-break and
//   ideographic space), a leading or trailing sign or parentheses for a
//   negative (blanks may stand between a sign and the digits: "- 42",
//   "42 -"), thousands separators anywhere after the first digit of the
//   integer part, however grouped ("1,2,34", "1,,234", "1234,"), decimals,
//   an exponent, "&H" / "&O" integers that fill the target's bits ("&HF800"
//   is -2048 as VT_I2); anything else DISP_E_TYPEMISMATCH;
// - to narrower integers: rounded half to even, DISP_E_OVERFLOW outside the
//   range; a boolean becomes a byte by wrapping (-1 gives 255);
// - text to boolean: "True" / "False" in any case, "#TRUE#" / "#FALSE#" in
//   capitals only (another spelling between "#" signs is no number either: a
//   type mismatch), or a number (non-zero true);
// - EMPTY to each value type: 0, "", false; everything but ERROR converts to
//   NULL; NULL and ERROR convert to nothing else (not even EMPTY);
// - dates as days since 1899-12-30, shown as "2024/1/5 13:45:00" (date or
//   time part left out when zero), parsed from year-first or month-first
//   dates ("2024/1/5", "2024-1-5", "1/5/2024"; day-month-year when the first
//   number cannot be a month) and times with ":" or "." ("13:45", "13.45.00",
//   "1:30 PM", "1 PM", "1:30p"; "AM" / "PM" / "A" / "P" in any case; an hour
//   of 13 to 23 with a marker is that hour, the marker ignored); a blank or
//   an ideographic space between date and time. A lone number with a decimal
//   point ("0.0", "13.45") is no date; three numbers joined by "." and
//   nothing else are a time h.m.s when they fit one ("1.2.3"), and a date
//   "25.12.2024" (a four-digit year after two numbers joined by ".") is a
//   type mismatch, with a time after it or not;
// - an object (VT_DISPATCH) to a value type through its default member read
//   with DISPATCH_PROPERTYGET, unless VARIANT_NOVALUEPROP; when that read
//   fails, DISP_E_TYPEMISMATCH with the destination left VT_EMPTY. A plain
//   IUnknown never converts to a value;
// - VT_VARIANT and VT_RECORD are no targets, and a by-reference source that
//   points nowhere converts to nothing (DISP_E_TYPEMISMATCH); by-reference
//   targets are bad types (DISP_E_BADVARTYPE), except for a VT_BYREF |
//   VT_VARIANT source, for which they are a type mismatch.
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
// |value| as `digits` significant decimal digits, rounded half away from
// zero, with its decimal exponent: |value| ~ d.ddd x 10^exponent.
void roundDecimal(double value, int digits, std::string& significand, int& exponent) {
  // Twenty more digits than kept decide the rounding, unless they read
  // "5000...": that may be a printed tie, so the exact expansion decides.
  std::string all;
  auto print = [&](int precision) {
    char buffer[1100];  // room for the exact expansion of any double
    std::snprintf(buffer, sizeof buffer, "%.*e", precision, std::fabs(value));
    const char* e = std::strchr(buffer, 'e');
    all.clear();
    for (const char* c = buffer; c != e; ++c)
      if (*c != '.') all += *c;
    exponent = std::atoi(e + 1);
  };
  print(digits + 19);
  if (all[digits] == '5' && all.find_first_not_of('0', digits + 1) == std::string::npos) print(1074);
  significand = all.substr(0, static_cast<size_t>(digits));
  if (all[digits] >= '5') {
    int i = digits - 1;
    for (; i >= 0 && significand[i] == '9'; --i) significand[i] = '0';
    if (i >= 0) {
      ++significand[i];
    } else {
      significand.insert(significand.begin(), '1');
      significand.pop_back();
      ++exponent;
    }
  }
  significand.erase(significand.find_last_not_of('0') + 1);
}

std::string formatReal(double value, int digits) {
  if (std::isnan(value)) return "-1.#IND";
  if (std::isinf(value)) return value > 0 ? "1.#INF" : "-1.#INF";
  if (value == 0) return "0";
  std::string d;
  int exponent = 0;
  roundDecimal(value, digits, d, exponent);
  const int n = static_cast<int>(d.size());
  std::string out = value < 0 ? "-" : "";
  if (exponent >= 0 && exponent < digits) {  // the integer digits fit
    if (n <= exponent + 1) return out + d + std::string(static_cast<size_t>(exponent + 1 - n), '0');
    return out + d.substr(0, static_cast<size_t>(exponent + 1)) + "." + d.substr(static_cast<size_t>(exponent + 1));
  }
  if (exponent < 0 && -exponent - 1 + n <= digits)  // leading zeros and digits fit
    return out + "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + d;
  char tail[16];
  std::snprintf(tail, sizeof tail, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
  return out + d.substr(0, 1) + (n > 1 ? "." + d.substr(1) : "") + tail;
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

bool isBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f' ||
         c == 0x00A0 || c == 0x3000;
}

std::u16string_view trim(std::u16string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
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

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// The numbers of a date or time token such as "2024/1/5" or "13.45.00": up
// to three numbers of at most four digits, all separated by the same one of
// `separators`.
struct NumberList {
  int value[3] = {0, 0, 0};
  size_t digits[3] = {0, 0, 0};
  size_t count = 0;
  char16_t separator = 0;  // between the numbers; 0 for a single number
};

bool splitNumbers(std::u16string_view s, std::u16string_view separators, NumberList& out) {
  char16_t separator = 0;
  size_t i = 0;
  for (;;) {
    if (out.count == 3) return false;
    const size_t start = i;
    int v = 0;
    for (; i < s.size() && isDigit(s[i]); ++i) {
      if (i - start == 4) return false;
      v = v * 10 + (s[i] - u'0');
    }
    if (i == start) return false;
    out.value[out.count] = v;
    out.digits[out.count++] = i - start;
    if (i == s.size()) return true;
    if (separators.find(s[i]) == std::u16string_view::npos || (separator && s[i] != separator)) return false;
    separator = out.separator = s[i++];
  }
}

// A time of day: "h:mm", "h:mm:ss" (or with "." between the numbers), or an
// hour alone when `meridiem` is given. meridiem: 0 none, 'A' AM, 'P' PM; an
// hour of 13 to 23 is read on the 24-hour clock whatever the marker says.
bool parseTime(std::u16string_view s, char meridiem, double& fraction) {
  NumberList n;
  if (!splitNumbers(s, u":.", n) || (n.count == 1 && !meridiem)) return false;
  int h = n.value[0], m = n.value[1], sec = n.value[2];
  if (n.digits[0] > 2 || (n.count > 1 && n.digits[1] > 2) || (n.count > 2 && n.digits[2] > 2)) return false;
  if (meridiem && h <= 12) {
    if (meridiem == 'A' && h == 12) h = 0;
    if (meridiem == 'P' && h != 12) h += 12;
  }
  if (h > 23 || m > 59 || sec > 59) return false;
  fraction = (h * 3600 + m * 60 + sec) / 86400.0;
  return true;
}

// A date of three numbers: year first ("2024/1/5", the local short form),
// else month first ("1/5/2024"), or day first when the first number cannot
// be a month ("25/12/2024"); two-digit years first stand for 1930-2029.
// Joined by ".", a four-digit year cannot come last ("25.12.2024").
bool parseDatePart(std::u16string_view s, int64_t& days) {
  NumberList n;
  if (!splitNumbers(s, u"/-.", n) || n.count != 3) return false;
  const int a = n.value[0], b = n.value[1], c = n.value[2];
  if (n.digits[1] > 2) return false;
  int year, month, day;
  if (n.digits[0] >= 3 || a > 31) {
    year = a, month = b, day = c;
  } else if (n.digits[2] >= 3 || c > 31) {
    if (n.separator == u'.' && n.digits[2] == 4) return false;
    year = c;
    if (a > 12) month = b, day = a;
    else month = a, day = b;
  } else {
    year = a < 30 ? 2000 + a : 1900 + a;
    month = b, day = c;
  }
  if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > daysInMonth(year, month))
    return false;
  days = daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kEpochDays;
  return true;
}

// Digits with one decimal point and nothing else ("0.0", "13.45").
bool isLoneDecimal(std::u16string_view s) {
  const size_t point = s.find(u'.');
  if (point == std::u16string_view::npos || s.size() < 2) return false;
  for (size_t i = 0; i < s.size(); ++i)
    if (i != point && !isDigit(s[i])) return false;
  return true;
}

// The 12-hour marker at the end of s ("AM", "PM", "A" or "P" in any case):
// 'A', 'P' or 0.
char meridiemAtEnd(std::u16string_view s) {
  if (s.size() >= 2 && (equalsNoCase(s.substr(s.size() - 2), u"AM") || equalsNoCase(s.substr(s.size() - 2), u"PM")))
    s.remove_suffix(1);
  if (s.empty()) return 0;
  if (s.back() == u'A' || s.back() == u'a') return 'A';
  if (s.back() == u'P' || s.back() == u'p') return 'P';
  return 0;
}

bool parseDate(std::u16string_view text, DATE& out) {
  std::u16string_view s = trim(text);
  if (isLoneDecimal(s)) return false;
  const char meridiem = meridiemAtEnd(s);
  if (meridiem) {
    const bool twoLetters = s.back() == u'M' || s.back() == u'm';
    s = trim(s.substr(0, s.size() - (twoLetters ? 2 : 1)));
  }
  if (s.empty()) return false;
  // A blank or an ideographic space separates the date from the time.
  const size_t space = s.find_first_of(u" \u3000");
  const std::u16string_view first = s.substr(0, space);
  const std::u16string_view second = space == std::u16string_view::npos ? std::u16string_view() : trim(s.substr(space));
  int64_t days = 0;
  double fraction = 0;
  NumberList numbers;
  if (!second.empty()) {
    if (!parseDatePart(first, days) || !parseTime(second, meridiem, fraction)) return false;
  } else if (meridiem) {
    if (!parseTime(first, meridiem, fraction)) return false;
  } else if (splitNumbers(first, u".", numbers) && numbers.count == 3 && parseTime(first, 0, fraction)) {
    // three numbers joined by "." that fit a time: h.m.s
  } else if (!parseDatePart(first, days) && !parseTime(first, 0, fraction)) {
    return false;
  }
  out = days < 0 ? static_cast<double>(days) - fraction : static_cast<double>(days) + fraction;
  return true;
}

// ---- text to numbers ----------------------------------------------------------
// "&H" / "&O" digits at s[i...]; the value fills `bits` bits (8, 16 or 32),
// so that a pattern with the top bit set is negative in a signed target.
HRESULT parseHexOrOctal(std::u16string_view s, size_t i, int bits, double& out) {
  const bool hex = s[i + 1] == u'H' || s[i + 1] == u'h';
  i += 2;
  if (i >= s.size()) return DISP_E_TYPEMISMATCH;
  const uint64_t limit = bits == 32 ? 0xFFFFFFFFull : (uint64_t{1} << bits) - 1;
  uint64_t v = 0;
  for (; i < s.size(); ++i) {
    const char16_t c = s[i];
    int d;
    if (isDigit(c)) d = c - u'0';
    else if (hex && c >= u'a' && c <= u'f') d = c - u'a' + 10;
    else if (hex && c >= u'A' && c <= u'F') d = c - u'A' + 10;
    else return DISP_E_TYPEMISMATCH;
    if (!hex && d > 7) return DISP_E_TYPEMISMATCH;
    v = v * (hex ? 16 : 8) + static_cast<uint64_t>(d);
    if (v > limit) return DISP_E_OVERFLOW;
  }
  if (bits == 8) out = static_cast<double>(v);
  else if (bits == 16) out = static_cast<int16_t>(static_cast<uint16_t>(v));
  else out = static_cast<int32_t>(static_cast<uint32_t>(v));
  return S_OK;
}

// Bits an "&H" number fills in the target type.
int hexBitsFor(VARTYPE target) {
  if (target == VT_UI1) return 8;
  if (target == VT_I2) return 16;
  return 32;
}

HRESULT parseNumber(std::u16string_view text, int hexBits, double& out) {
  const std::u16string_view s = trim(text);
  size_t i = 0;
  bool leadingSign = false, parentheses = false, negative = false;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
    leadingSign = true;
    negative = s[i++] == u'-';
    while (i < s.size() && isBlank(s[i])) ++i;  // "- 42"
  } else if (i < s.size() && s[i] == u'(') {
    parentheses = negative = true;
    ++i;
  }
  if (!parentheses && i + 1 < s.size() && s[i] == u'&' &&
      (s[i + 1] == u'H' || s[i + 1] == u'h' || s[i + 1] == u'O' || s[i + 1] == u'o')) {
    double value = 0;
    if (HRESULT hr = parseHexOrOctal(s, i, hexBits, value); FAILED(hr)) return hr;
    out = negative ? -value : value;
    return S_OK;
  }
  std::string ascii;
  size_t digits = 0;
  for (; i < s.size(); ++i) {
    const char16_t c = s[i];
    if (isDigit(c)) {
      ascii += static_cast<char>(c);
      ++digits;
    } else if (c != u',' || digits == 0) {
      break;  // a thousands separator anywhere after the first digit is skipped
    }
  }
  if (i < s.size() && s[i] == u'.') {
    ascii += '.';
    for (++i; i < s.size() && isDigit(s[i]); ++i) {
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
    for (; j < s.size() && isDigit(s[j]); ++j, ++expDigits) exponent += static_cast<char>(s[j]);
    if (expDigits == 0) return DISP_E_TYPEMISMATCH;
    ascii += exponent;
    i = j;
  }
  if (parentheses) {
    if (i >= s.size() || s[i] != u')') return DISP_E_TYPEMISMATCH;
    ++i;
  } else if (!leadingSign) {
    size_t j = i;
    while (j < s.size() && isBlank(s[j])) ++j;
    if (j < s.size() && (s[j] == u'+' || s[j] == u'-')) {
      negative = s[j] == u'-';  // a trailing sign, blanks before it or not
      i = j + 1;
    }
  }
  if (i != s.size()) return DISP_E_TYPEMISMATCH;
  const double v = std::strtod(ascii.c_str(), nullptr);
  if (std::isinf(v)) return DISP_E_OVERFLOW;
  out = negative ? -v : v;
  return S_OK;
}

// ---- conversions --------------------------------------------------------------
HRESULT roundToRange(double v, double low, double high, double& out) {
  if (std::isnan(v)) return DISP_E_OVERFLOW;
  double r = std::nearbyint(v);  // half to even in the default rounding mode
  if (r < low || r > high) return DISP_E_OVERFLOW;
  out = r;
  return S_OK;
}

// The numeric value of a by-value source, for number targets of type `target`.
HRESULT numberOf(const VARIANT& src, VARTYPE target, double& out) {
  switch (src.vt) {
    case VT_EMPTY: out = 0; return S_OK;
    case VT_I2: out = src.iVal; return S_OK;
    case VT_I4: out = src.lVal; return S_OK;
    case VT_R4: out = src.fltVal; return S_OK;
    case VT_R8: out = src.dblVal; return S_OK;
    case VT_DATE: out = src.date; return S_OK;
    case VT_BOOL: out = src.boolVal; return S_OK;  // the number it holds
    case VT_UI1: out = src.bVal; return S_OK;
    case VT_BSTR: return parseNumber(bstrView(src.bstrVal), hexBitsFor(target), out);
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
      else s = std::to_string(src.boolVal);
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

struct Conversion {
  USHORT flags = 0;
  VARTYPE target = VT_EMPTY;
  int depth = 0;
  bool defaultValueFailed = false;  // an object had no readable default value
};

HRESULT convertValue(const VARIANT& src, Conversion& c, VARIANT& out);

// An object source for a value target: its default member's value.
HRESULT defaultValue(const VARIANT& src, Conversion& c, VARIANT& out) {
  IDispatch* dispatch = src.vt == VT_DISPATCH ? src.pdispVal : nullptr;  // never a plain IUnknown
  if (!dispatch || (c.flags & VARIANT_NOVALUEPROP) || c.depth > 4) return DISP_E_TYPEMISMATCH;
  dispatch->AddRef();
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  VARIANT value;
  VariantInit(&value);
  HRESULT hr = dispatch->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                &none, &value, nullptr, nullptr);
  dispatch->Release();
  if (FAILED(hr)) {
    VariantClear(&value);
    c.defaultValueFailed = true;
    return DISP_E_TYPEMISMATCH;
  }
  VARIANT plain;
  VariantInit(&plain);
  hr = VariantCopyInd(&plain, &value);
  ++c.depth;
  if (SUCCEEDED(hr)) hr = convertValue(plain, c, out);
  VariantClear(&plain);
  VariantClear(&value);
  return hr;
}

// Converts a by-value source into `out` (VT_EMPTY on entry).
HRESULT convertValue(const VARIANT& src, Conversion& c, VARIANT& out) {
  const VARTYPE vt = c.target;
  if (src.vt == vt) return VariantCopy(&out, &src);
  bool sourceIsObject = src.vt == VT_DISPATCH || src.vt == VT_UNKNOWN;
  if (src.vt == VT_ERROR) return DISP_E_TYPEMISMATCH;  // not even to NULL
  if (vt == VT_NULL) {
    out.vt = VT_NULL;
    return S_OK;
  }
  if (src.vt == VT_NULL) return DISP_E_TYPEMISMATCH;
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
  if (sourceIsObject) return defaultValue(src, c, out);
  if (vt == VT_ERROR) return DISP_E_TYPEMISMATCH;
  if (vt == VT_BSTR) {
    BSTR text = nullptr;
    if (HRESULT hr = toText(src, c.flags, text); FAILED(hr)) return hr;
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
      if (equalsNoCase(s, u"true") || s == u"#TRUE#") value = true;
      else if (equalsNoCase(s, u"false") || s == u"#FALSE#") value = false;
      else {
        double d;
        HRESULT hr = parseNumber(s, 32, d);
        if (hr == DISP_E_OVERFLOW) value = true;  // too large for a double, but not zero
        else if (FAILED(hr)) return hr;
        else value = d != 0;
      }
      out.vt = VT_BOOL;
      out.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    }
    double d;
    if (HRESULT hr = numberOf(src, vt, d); FAILED(hr)) return hr;
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
  if (HRESULT hr = numberOf(src, vt, d); FAILED(hr)) return hr;
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
        out.bVal = static_cast<BYTE>(src.boolVal);  // wraps: -1 is 255
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
  if (vt == VT_VARIANT || vt == VT_RECORD) return DISP_E_TYPEMISMATCH;
  if ((vt & VT_BYREF) && src->vt == (VT_BYREF | VT_VARIANT) && isConvertibleTarget(vt & ~VT_BYREF))
    return DISP_E_TYPEMISMATCH;
  if (!isConvertibleTarget(vt)) return DISP_E_BADVARTYPE;
  VARIANT plain;
  VariantInit(&plain);
  const VARIANT* source = src;
  if (src->vt & VT_BYREF) {
    if (src->byref == nullptr) return DISP_E_TYPEMISMATCH;
    if (HRESULT hr = VariantCopyInd(&plain, src); FAILED(hr)) return hr;
    source = &plain;
  } else if (!((src->vt & VT_ARRAY) || isSupportedVariantType(src->vt))) {
    return DISP_E_BADVARTYPE;
  }
  VARIANT out;
  VariantInit(&out);
  Conversion conversion;
  conversion.flags = flags;
  conversion.target = vt;
  HRESULT hr;
  try {
    hr = convertValue(*source, conversion, out);
  } catch (...) {  // out of memory while formatting or parsing
    hr = E_OUTOFMEMORY;
  }
  VariantClear(&plain);
  if (FAILED(hr)) {
    VariantClear(&out);
    if (conversion.defaultValueFailed) VariantClear(dest);
    return hr;
  }
  if (HRESULT clear = VariantClear(dest); FAILED(clear)) {
    VariantClear(&out);
    return clear;
  }
  *dest = out;
  return S_OK;
}
