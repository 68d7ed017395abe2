#include "net/charset_correction.h"

namespace {

constexpr size_t kSearchedBytes = 1024;
constexpr int32_t adTypeBinary = 1;
constexpr int32_t adTypeText = 2;
constexpr int32_t adModeReadWrite = 3;

}  // namespace

Text declaredCharset(RegexMatcher& matcher, const Text& text) {
  if (!matcher.search("<meta.+?charset=[^\\w]?([-\\w]+)", text.substr(0, kSearchedBytes))) return {};
  return matcher.subMatchText(1, 1);
}

void redecodeBody(const Text& charset, const ByteArray& body, ComObject& stream,
                  Variant& bodyValue, Text& text) {
  if (charset.empty() || charset == "gbk" || charset == "gb2312") return;
  if (!stream.createObject("Adodb.Stream")) return;
  stream.setProperty("Type", adTypeBinary);
  stream.setProperty("Mode", adModeReadWrite);
  stream.callMethod("Open");
  bodyValue.assign(body);
  stream.callMethod("Write", bodyValue);
  stream.setProperty("Position", 0);
  stream.setProperty("Type", adTypeText);
  // A name the component refuses keeps the text undecoded rather than empty.
  if (stream.setProperty("Charset", charset)) text = stream.callMethodText("ReadText");
  stream.callMethod("Close");
  stream.clear();
  bodyValue.clear();
}
