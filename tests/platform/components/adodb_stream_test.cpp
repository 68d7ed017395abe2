// ADODB.Stream: the errors of calls in the wrong state, the character sets
// by name, text and byte round trips, and the sequence the HTTP engine uses.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/com/class_registry.h"
#include "platform/components/components.h"
#include "platform/text/gbk.h"
#include "script/com_object.h"

namespace {

ByteArray fromHex(std::string_view hex) {
  ByteArray out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(static_cast<unsigned char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  return out;
}

std::string toHex(const ByteArray& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char b : bytes) out += {digits[b >> 4], digits[b & 15]};
  return out;
}

// The outcome of one raw IDispatch call: the result, and for a component
// error its number (scode without the facility bits).
struct Outcome {
  HRESULT hr = S_OK;
  int errorNumber = 0;
  std::u16string text;
  ByteArray bytes;
  VARTYPE type = VT_EMPTY;
  int32_t number = 0;
};

VARIANT byteArrayVariant(const ByteArray& bytes) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_ARRAY | VT_UI1;
  v.parray = SafeArrayCreateVector(VT_UI1, 1, static_cast<ULONG>(bytes.size()));
  void* data = nullptr;
  SafeArrayAccessData(v.parray, &data);
  std::copy(bytes.begin(), bytes.end(), static_cast<unsigned char*>(data));
  SafeArrayUnaccessData(v.parray);
  return v;
}

class AdodbStreamTest : public ::testing::Test {
 public:
  void SetUp() override {
    CoInitialize(nullptr);
    registerComponentFactories();
    ASSERT_TRUE(stream.createObject("Adodb.Stream"));
    ASSERT_EQ(S_OK, stream.get()->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)));
  }
  void TearDown() override {
    if (dispatch) dispatch->Release();
    dispatch = nullptr;
    stream.clear();
    CoUninitialize();
  }

  // Calls member `name` with `args` (in declared order; consumed).
  Outcome call(const char16_t* name, WORD flags, std::vector<VARIANT> args = {}) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    Outcome o;
    o.hr = dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(o.hr)) return o;
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params = {reversed.data(), flags == DISPATCH_PROPERTYPUT ? &put : nullptr,
                         static_cast<UINT>(reversed.size()), flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO exception{};
    UINT argError = 0;
    o.hr = dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result, &exception, &argError);
    if (o.hr == DISP_E_EXCEPTION) {
      o.errorNumber = static_cast<int>(static_cast<uint32_t>(exception.scode) & 0xFFFF);
      EXPECT_EQ(u"ADODB.Stream", bstrView(exception.bstrSource));
    }
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    o.type = result.vt;
    if (result.vt == VT_BSTR) o.text = bstrView(result.bstrVal);
    if (result.vt == VT_I4) o.number = result.lVal;
    if (result.vt == VT_BOOL) o.number = result.boolVal;
    if (result.vt == (VT_ARRAY | VT_UI1)) {
      LONG lower = 0, upper = -1;
      SafeArrayGetLBound(result.parray, 1, &lower);
      SafeArrayGetUBound(result.parray, 1, &upper);
      EXPECT_EQ(0, lower);
      void* data = nullptr;
      SafeArrayAccessData(result.parray, &data);
      o.bytes.assign(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + (upper - lower + 1));
      SafeArrayUnaccessData(result.parray);
    }
    VariantClear(&result);
    for (VARIANT& v : args) VariantClear(&v);
    return o;
  }
  // A new stream, as at the start of a test.
  void fresh() {
    TearDown();
    SetUp();
  }
  Outcome get(const char16_t* name) { return call(name, DISPATCH_PROPERTYGET); }
  Outcome set(const char16_t* name, VARIANT value) { return call(name, DISPATCH_PROPERTYPUT, {value}); }
  Outcome method(const char16_t* name, std::vector<VARIANT> args = {}) {
    return call(name, DISPATCH_METHOD, std::move(args));
  }
  Outcome setInt(const char16_t* name, int32_t v) { return set(name, variantFromInt(v)); }
  Outcome setText(const char16_t* name, std::u16string_view v) { return set(name, variantFromText(v)); }

  // Writes `bytes` through a binary stream, then reads them back as text in `charset`.
  Outcome decode(const ByteArray& bytes, std::u16string_view charset) {
    setInt(u"Type", 1);
    method(u"Open");
    method(u"Write", {byteArrayVariant(bytes)});
    setInt(u"Position", 0);
    setInt(u"Type", 2);
    Outcome chosen = setText(u"Charset", charset);
    if (FAILED(chosen.hr)) return chosen;
    return method(u"ReadText");
  }

  ComObject stream;
  IDispatch* dispatch = nullptr;
};

TEST_F(AdodbStreamTest, CallsInTheWrongStateRaiseTheComponentsErrors) {
  using Step = std::function<Outcome(AdodbStreamTest&)>;
  const Step open = [](AdodbStreamTest& t) { return t.method(u"Open"); };
  const Step binary = [](AdodbStreamTest& t) { return t.setInt(u"Type", 1); };
  const Step nothing = [](AdodbStreamTest&) { return Outcome{}; };
  const Step moved = [](AdodbStreamTest& t) {
    t.method(u"Open");
    t.method(u"WriteText", {variantFromText(u"abc")});
    return Outcome{};
  };
  struct Case {
    const char* what;
    std::vector<Step> setup;
    Step action;
    int expected;
  };
  const Case cases[] = {
      {"Read before Open", {binary}, [](AdodbStreamTest& t) { return t.method(u"Read"); }, 3704},
      {"Write before Open", {binary}, [](AdodbStreamTest& t) { return t.method(u"Write", {byteArrayVariant({1})}); }, 3704},
      {"ReadText before Open", {nothing}, [](AdodbStreamTest& t) { return t.method(u"ReadText"); }, 3704},
      {"WriteText before Open", {nothing}, [](AdodbStreamTest& t) { return t.method(u"WriteText", {variantFromText(u"a")}); }, 3704},
      {"Position read when closed", {nothing}, [](AdodbStreamTest& t) { return t.get(u"Position"); }, 3704},
      {"Size when closed", {nothing}, [](AdodbStreamTest& t) { return t.get(u"Size"); }, 3704},
      {"Close when closed", {nothing}, [](AdodbStreamTest& t) { return t.method(u"Close"); }, 3704},
      {"Read after Close", {binary, open, [](AdodbStreamTest& t) { return t.method(u"Close"); }},
       [](AdodbStreamTest& t) { return t.method(u"Read"); }, 3704},
      {"Open twice", {open}, open, 3705},
      {"Mode while open", {open}, [](AdodbStreamTest& t) { return t.setInt(u"Mode", 1); }, 3705},
      {"ReadText on bytes", {binary, open}, [](AdodbStreamTest& t) { return t.method(u"ReadText"); }, 3219},
      {"WriteText on bytes", {binary, open}, [](AdodbStreamTest& t) { return t.method(u"WriteText", {variantFromText(u"a")}); }, 3219},
      {"SkipLine on bytes", {binary, open}, [](AdodbStreamTest& t) { return t.method(u"SkipLine"); }, 3219},
      {"Read on text", {open}, [](AdodbStreamTest& t) { return t.method(u"Read"); }, 3219},
      {"Write on text", {open}, [](AdodbStreamTest& t) { return t.method(u"Write", {byteArrayVariant({1})}); }, 3219},
      {"Type away from position 0", {moved}, [](AdodbStreamTest& t) { return t.setInt(u"Type", 1); }, 3219},
      {"Charset away from position 0", {moved}, [](AdodbStreamTest& t) { return t.setText(u"Charset", u"utf-8"); }, 3219},
      {"Write on a read-only stream", {binary, [](AdodbStreamTest& t) { return t.setInt(u"Mode", 1); }, open},
       [](AdodbStreamTest& t) { return t.method(u"Write", {byteArrayVariant({1})}); }, 3219},
      {"Read on a write-only stream", {binary, [](AdodbStreamTest& t) { return t.setInt(u"Mode", 2); }, open},
       [](AdodbStreamTest& t) { return t.method(u"Read"); }, 3219},
      {"unknown charset", {nothing}, [](AdodbStreamTest& t) { return t.setText(u"Charset", u"foo"); }, 3001},
      {"Type 3", {nothing}, [](AdodbStreamTest& t) { return t.setInt(u"Type", 3); }, 3001},
      {"negative Position", {open}, [](AdodbStreamTest& t) { return t.setInt(u"Position", -1); }, 3001},
      {"Read(-2)", {binary, open}, [](AdodbStreamTest& t) { return t.method(u"Read", {variantFromInt(-2)}); }, 3001},
      {"ReadText(-3)", {open}, [](AdodbStreamTest& t) { return t.method(u"ReadText", {variantFromInt(-3)}); }, 3001},
      {"Write of text", {binary, open}, [](AdodbStreamTest& t) { return t.method(u"Write", {variantFromText(u"ab")}); }, 3001},
      {"Open with a source", {nothing}, [](AdodbStreamTest& t) { return t.method(u"Open", {variantFromText(u"http://127.0.0.1/")}); }, 3251},
  };
  for (const Case& c : cases) {
    fresh();
    for (const Step& s : c.setup) s(*this);
    const Outcome o = c.action(*this);
    EXPECT_EQ(DISP_E_EXCEPTION, o.hr) << c.what;
    EXPECT_EQ(c.expected, o.errorNumber) << c.what;
  }
}

TEST_F(AdodbStreamTest, StateTypeModeAndCharsetReadableWhileClosed) {
  EXPECT_EQ(0, get(u"State").number);
  EXPECT_EQ(2, get(u"Type").number);  // text at first
  EXPECT_EQ(0, get(u"Mode").number);
  EXPECT_EQ(u"Unicode", get(u"Charset").text);
  EXPECT_EQ(S_OK, setText(u"Charset", u"GB2312").hr);
  EXPECT_EQ(u"GB2312", get(u"Charset").text);  // kept as given
  method(u"Open");
  EXPECT_EQ(1, get(u"State").number);
  method(u"Close");
  EXPECT_EQ(0, get(u"State").number);
}

TEST_F(AdodbStreamTest, CharsetsByNameDecodeTheirBytes) {
  struct Case {
    const char16_t* name;
    const char* hex;
    const char16_t* text;
  };
  const Case cases[] = {
      {u"utf-8", "e4b8ade69687c3bc", u"中文ü"},
      {u"UTF-8", "efbbbfe4b8ad", u"中"},  // a byte-order mark at the start is skipped
      {u"gb2312", "d6d0cec4", u"中文"},
      {u"GBK", "d6d0cec4", u"中文"},
      {u"gb18030", "d6d0cec495328236", u"中文\U00020000"},
      {u"Big5", "a4a4a4e5", u"中文"},
      {u"shift_jis", "93fa967b8cea834a", u"日本語カ"},
      {u"euc-jp", "c6fccbdcb8ec", u"日本語"},
      {u"euc-kr", "c7d1b1b9beee", u"한국어"},
      {u"ks_c_5601-1987", "c7d1b1b9beee", u"한국어"},
      {u"iso-8859-1", "e9bfff", u"é¿ÿ"},
      {u"iso-8859-7", "d9e1", u"Ωα"},
      {u"ISO-8859-15", "a4", u"€"},
      {u"windows-1251", "c6b8", u"Жё"},
      {u"windows-1252", "8093", u"€“"},
      {u"koi8-r", "f6a3", u"Жё"},
      {u"unicode", "fffe2d4e4100", u"中A"},
      {u"utf-16", "2d4e4100", u"中A"},
      {u"unicodeFFFE", "4e2d0041", u"中A"},
      {u"us-ascii", "417a", u"Az"},
  };
  for (const Case& c : cases) {
    fresh();
    const Outcome o = decode(fromHex(c.hex), c.name);
    EXPECT_EQ(S_OK, o.hr) << gbkToUtf8(wideToLocal(c.name));
    EXPECT_EQ(std::u16string(c.text), o.text) << gbkToUtf8(wideToLocal(c.name));
  }
}

TEST_F(AdodbStreamTest, IllFormedBytesBecomeReplacementCharacters) {
  EXPECT_EQ(u"a\uFFFDb", decode(fromHex("61ff62"), u"utf-8").text);
  fresh();
  EXPECT_EQ(u"a\uFFFD", decode(fromHex("61e4b8"), u"utf-8").text);  // cut off at the end
  fresh();
  EXPECT_EQ(u"\uFFFD", decode(fromHex("41"), u"unicode").text);     // half a character
  fresh();
  EXPECT_EQ(u"A\uFFFD", decode(fromHex("41c3"), u"us-ascii").text);
}

TEST_F(AdodbStreamTest, WriteTextWritesTheMarkAndTheCharsetsBytes) {
  struct Case {
    const char16_t* charset;
    const char16_t* text;
    const char* hex;
  };
  const Case cases[] = {
      {u"unicode", u"A中", "fffe41002d4e"},
      {u"utf-8", u"A中", "efbbbf41e4b8ad"},
      {u"gbk", u"A中", "41d6d0"},
      {u"iso-8859-1", u"é€", "e93f"},  // a character the set lacks becomes "?"
      {u"us-ascii", u"\U00020000x", "3f78"},
      {u"gb18030", u"\U00020000", "95328236"},
  };
  for (const Case& c : cases) {
    fresh();
    setText(u"Charset", c.charset);
    method(u"Open");
    method(u"WriteText", {variantFromText(c.text)});
    EXPECT_EQ(static_cast<int32_t>(std::string(c.hex).size() / 2), get(u"Size").number);
    setInt(u"Position", 0);
    setInt(u"Type", 1);
    EXPECT_EQ(c.hex, toHex(method(u"Read").bytes)) << c.hex;
  }
}

TEST_F(AdodbStreamTest, ReadTextByCharactersAndByLines) {
  setText(u"Charset", u"utf-8");
  method(u"Open");
  method(u"WriteText", {variantFromText(u"中文ab\r\nline2\r\n")});
  setInt(u"Position", 0);
  EXPECT_EQ(u"中文", method(u"ReadText", {variantFromInt(2)}).text);
  EXPECT_EQ(9, get(u"Position").number);  // mark + two 3-byte characters
  EXPECT_EQ(u"ab", method(u"ReadText", {variantFromInt(-2)}).text);
  EXPECT_EQ(0, get(u"EOS").number);
  EXPECT_EQ(u"line2", method(u"ReadText", {variantFromInt(-2)}).text);
  EXPECT_EQ(VARIANT_TRUE, get(u"EOS").number);
  EXPECT_EQ(u"", method(u"ReadText").text);
  // Another separator, and SkipLine.
  setInt(u"Position", 0);
  setInt(u"LineSeparator", 10);
  method(u"SkipLine");
  EXPECT_EQ(u"line2\r", method(u"ReadText", {variantFromInt(-2)}).text);
}

TEST_F(AdodbStreamTest, BytesReadWritePositionAndEnd) {
  setInt(u"Type", 1);
  method(u"Open");
  method(u"Write", {byteArrayVariant(fromHex("00010203"))});
  EXPECT_EQ(4, get(u"Size").number);
  EXPECT_EQ(VT_NULL, method(u"Read").type);  // nothing left
  setInt(u"Position", 1);
  EXPECT_EQ("0102", toHex(method(u"Read", {variantFromInt(2)}).bytes));
  method(u"Write", {byteArrayVariant(fromHex("ffff"))});  // overwrites and grows
  EXPECT_EQ(5, get(u"Size").number);
  setInt(u"Position", 7);  // past the end: zero bytes fill the gap
  EXPECT_EQ(7, get(u"Size").number);
  setInt(u"Position", 2);
  method(u"SetEOS");
  EXPECT_EQ(2, get(u"Size").number);
  setInt(u"Position", 0);
  EXPECT_EQ("0001", toHex(method(u"Read", {variantFromInt(100)}).bytes));
  method(u"Close");
  method(u"Open");
  EXPECT_EQ(0, get(u"Size").number);  // a closed stream forgets its bytes
}

TEST_F(AdodbStreamTest, TheHttpEnginesSequenceThroughTheBridge) {
  ComObject s;
  ASSERT_TRUE(s.createObject("Adodb.Stream"));
  Variant body;
  ASSERT_TRUE(body.assign(fromHex("3c703ee4b8ade69687")));  // "<p>中文" in UTF-8
  EXPECT_TRUE(s.setProperty("Type", 1));
  EXPECT_TRUE(s.setProperty("Mode", 3));
  s.callMethod("Open");
  EXPECT_EQ(0, LastInvokeError);
  s.callMethod("Write", body);
  EXPECT_EQ(0, LastInvokeError);
  EXPECT_TRUE(s.setProperty("Position", 0));
  EXPECT_TRUE(s.setProperty("Type", 2));
  EXPECT_TRUE(s.setProperty("Charset", "utf-8"));
  EXPECT_EQ("<p>中文"_gbk, s.callMethodText("ReadText"));
  s.callMethod("Close");
  EXPECT_EQ(0, LastInvokeError);
  // A name the component refuses is a failed property write.
  EXPECT_FALSE(s.setProperty("Charset", "foo"));
  EXPECT_EQ(-11, LastInvokeError);
}

}  // namespace
