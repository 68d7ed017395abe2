#include "platform/text/codepage.h"

#include <gtest/gtest.h>

#include "platform/text/gbk.h"

namespace {

WideString decode(const std::string& bytes, uint32_t cp) { return multiByteToUtf16(bytes, cp); }
std::string encode(const WideString& units, uint32_t cp) { return utf16ToMultiByte(units, cp); }

TEST(CodePage, GbkRoundTrip) {
  const std::string gbk = "\xd6\xd0\xce\xc4 abc \x9c\x5c";  // 中文 abc 淺
  EXPECT_EQ(decode(gbk, CP_GBK), WIDE("中文 abc 淺"));
  EXPECT_EQ(encode(WIDE("中文 abc 淺"), CP_GBK), gbk);
  EXPECT_EQ(decode(gbk, CP_ACP), decode(gbk, 936));
  EXPECT_EQ(encode(WIDE("￥ 16888 米"), CP_ACP), "\xa3\xa4 16888 \xc3\xd7");
}

TEST(CodePage, Utf8RoundTripIncludingSurrogatePairs) {
  const std::string utf8 = "a\xe4\xb8\xad\xf0\x9f\x98\x80";  // a 中 😀
  const WideString wide = decode(utf8, CP_UTF8);
  EXPECT_EQ(wide, WIDE("a中\U0001F600"));
  EXPECT_EQ(encode(wide, CP_UTF8), utf8);
}

TEST(CodePage, IllFormedGbkBecomesReplacementAndKeepsTheRest) {
  EXPECT_EQ(decode("a\xd6", CP_GBK), WIDE("a\uFFFD"));           // lead byte at the end
  EXPECT_EQ(decode("\xd6" "1x", CP_GBK), WIDE("\uFFFD1x"));      // lead byte before ASCII
  EXPECT_EQ(decode("\xff" "ok", CP_GBK), WIDE("\uFFFDok"));
  EXPECT_EQ(decode(std::string("\x80", 1), CP_GBK), WIDE("\u20AC"));
}

TEST(CodePage, IllFormedUtf8BecomesReplacementAndKeepsTheRest) {
  EXPECT_EQ(decode("a\xc3", CP_UTF8), WIDE("a\uFFFD"));
  EXPECT_EQ(decode("\xc0\xafz", CP_UTF8), WIDE("\uFFFD\uFFFDz"));          // overlong
  EXPECT_EQ(decode("\xed\xa0\x80!", CP_UTF8), WIDE("\uFFFD\uFFFD\uFFFD!"));  // encoded surrogate
  EXPECT_EQ(decode("\xe4\xb8z", CP_UTF8), WIDE("\uFFFDz"));                  // truncated sequence
}

TEST(CodePage, UnmappableTowardsGbkIsQuestionMark) {
  EXPECT_EQ(encode(WIDE("a\U0001F600b"), CP_GBK), "a??b");
  EXPECT_EQ(encode(WIDE("\xD800x"), CP_GBK), "?x");
  EXPECT_EQ(encode(WIDE("\xD800x"), CP_UTF8), "\xef\xbf\xbdx");
}

TEST(WindowsFunctions, TwoCallPatternAndTerminator) {
  const char* text = "\xd6\xd0" "a";  // 中a
  int needed = MultiByteToWideChar(CP_GBK, 0, text, -1, nullptr, 0);
  ASSERT_EQ(needed, 3);  // 中, a, terminator
  WideChar buffer[3];
  ASSERT_EQ(MultiByteToWideChar(CP_GBK, 0, text, -1, buffer, needed), 3);
  EXPECT_EQ(WideString(buffer, 2), WIDE("中a"));
  EXPECT_EQ(buffer[2], 0);

  int bytes = WideCharToMultiByte(CP_GBK, 0, buffer, -1, nullptr, 0, nullptr, nullptr);
  ASSERT_EQ(bytes, 4);
  char out[4];
  ASSERT_EQ(WideCharToMultiByte(CP_GBK, 0, buffer, -1, out, bytes, nullptr, nullptr), 4);
  EXPECT_STREQ(out, text);
}

TEST(WindowsFunctions, DefaultCharacterTowardsGbkIsReported) {
  char out[8] = {};
  int used = -1;
  ASSERT_EQ(WideCharToMultiByte(CP_GBK, 0, WIDE("a\U0001F600"), -1, out, 8, nullptr, &used), 4);
  EXPECT_STREQ(out, "a??");
  EXPECT_EQ(used, 1);
  ASSERT_EQ(WideCharToMultiByte(CP_GBK, 0, WIDE("a\xD800"), -1, out, 8, "*", &used), 3);
  EXPECT_STREQ(out, "a*");
  EXPECT_EQ(used, 1);
  ASSERT_EQ(WideCharToMultiByte(CP_GBK, 0, WIDE("中"), -1, out, 8, nullptr, &used), 3);
  EXPECT_EQ(used, 0);
  // UTF-8 has no default character: asking for one fails.
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, WIDE("x"), -1, nullptr, 0, nullptr, &used), 0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, WIDE("x"), -1, nullptr, 0, "?", nullptr), 0);
}

TEST(WindowsFunctions, FailuresReturnZero) {
  WideChar small[1];
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, "abc", 3, small, 1), 0);  // buffer too small
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", 3, nullptr, 0), 0);  // unsupported code page
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, "abc", 0, nullptr, 0), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, nullptr, -1, nullptr, 0), 0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, WIDE("x"), -2, nullptr, 0, nullptr, nullptr), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", 3, nullptr, 0), 3);  // no terminator counted
}

TEST(Gbk, EveryMappedCharacterRoundTrips) {
  // Every two-byte sequence that decodes to a character encodes back to itself.
  int mapped = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
      const WideString wide = decode(pair, CP_GBK);
      if (wide.size() != 1 || wide[0] == 0xFFFD) continue;
      ++mapped;
      ASSERT_EQ(encode(wide, CP_GBK), pair) << std::hex << lead << " " << trail;
    }
  }
  EXPECT_GT(mapped, 21000);
}

TEST(Gbk, Utf8Helpers) {
  EXPECT_EQ(gbkToUtf8(utf8ToGbk("极品 传家使用")), "极品 传家使用");
  EXPECT_EQ(gbkToUtf8("\x9c\x5c"), "淺");
}

}  // namespace
