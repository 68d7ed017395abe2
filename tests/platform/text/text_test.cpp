#include "platform/text/text.h"

#include <gtest/gtest.h>

#include "platform/text/codepage.h"
#include "platform/text/gbk.h"

namespace {

// 淺 and 禱 end in 0x5C ("\"), 珅 and 億 in 0x7C ("|").
const Text kBackslashTrail = "淺"_gbk;
const Text kBarTrail = "珅"_gbk;

TEST(GbkLiteral, ProducesGbkBytes) {
  EXPECT_EQ("淺"_gbk, "\x9c\x5c");
  EXPECT_EQ("億"_gbk, "\x83\x7c");
  EXPECT_EQ("一般"_gbk.size(), 4u);
  EXPECT_EQ("a-9"_gbk, "a-9");
}

// One character as the code-page 936 decoder reads it.
TEST(GbkCharSize, PairsOnlyALeadByteWithAValidTrailByte) {
  const struct {
    std::string text;
    size_t pos;
    size_t size;
  } rows[] = {
      {"a", 0, 1},           {"\xd6\xd0", 0, 2},     {"\xd6\xd0", 1, 1},
      {"\x81\x40", 0, 2},    {"\xfe\xfe", 0, 2},     {"\x9c\\", 0, 2},  // trail "\"
      {"\x81]", 0, 2},       {"\x81" "a", 0, 2},     {"\x80" "a", 0, 1},  // 0x80 is the euro sign
      {"\xff\x40", 0, 1},    {"\x81\x7f", 0, 1},     {"\x81\xff", 0, 1},
      {"\x81\x3f", 0, 1},    {"\x81'", 0, 1},        {"\x81\"", 0, 1},
      {"\x81\r", 0, 1},      {"\x81\n", 0, 1},      {"\x81=", 0, 1},
      {"\x81;", 0, 1},       {"\x81:", 0, 1},        {"x\x81", 1, 1},  // lead byte at the end
      {std::string("\x81\0", 2), 0, 1},
  };
  for (const auto& row : rows)
    EXPECT_EQ(gbkCharSize(row.text, row.pos), row.size) << testing::PrintToString(row.text) << " at " << row.pos;
}

TEST(GbkCharSize, AgreesWithTheDecoderOnEveryPairOfBytes) {
  for (int a = 0; a < 256; ++a) {
    for (int b = 0; b < 256; ++b) {
      const std::string pair{static_cast<char>(a), static_cast<char>(b)};
      const WideString both = multiByteToUtf16(pair, CP_GBK);
      if (gbkCharSize(pair, 0) == 2)
        ASSERT_EQ(both.size(), 1u) << a << " " << b;
      else
        ASSERT_EQ(both, multiByteToUtf16(pair.substr(0, 1), CP_GBK) + multiByteToUtf16(pair.substr(1), CP_GBK))
            << a << " " << b;
    }
  }
}

// A byte that cannot be a trail byte is never hidden behind a stray lead byte.
TEST(TextRules, DelimitersAfterAStrayLeadByteAreFound) {
  EXPECT_EQ(findText("\x81'x", "'"), 2);
  EXPECT_EQ(findText("a\xfe\r\n", "\r\n"), 3);
  EXPECT_EQ(findText("\x80\\", "\\"), 2);
  EXPECT_EQ(findText("\x81]", "]"), -1);  // 0x81 0x5D is one character
  EXPECT_EQ(splitText("k\x81=v\x81;w", "="), (std::vector<Text>{"k\x81", "v\x81;w"}));
  EXPECT_EQ(splitText("a\xff;b", ";"), (std::vector<Text>{"a\xff", "b"}));
  EXPECT_EQ(replaceText("\x81'\x81\"", "'", "\\'"), "\x81\\'\x81\"");
  EXPECT_EQ(replaceText("x\x81", "\x81", "?"), "x?");
}

TEST(FindText, ForwardOneBasedOrMinusOne) {
  EXPECT_EQ(findText("8888", "8888"), 1);
  EXPECT_EQ(findText("x0520", "0520"), 2);
  EXPECT_EQ(findText("520", "0520"), -1);
  EXPECT_EQ(findText("abcabc", "c"), 3);
  EXPECT_EQ(findText("ABC", "abc"), -1);
  EXPECT_EQ(findText("ABC", "abc", 1, true), 1);
}

TEST(FindText, EmptyNeedleAndHaystack) {
  EXPECT_EQ(findText("x", ""), 1);
  EXPECT_EQ(findText("", ""), -1);
  EXPECT_EQ(findText("", "1"), -1);
}

TEST(FindText, NeverMatchesOnATrailByte) {
  EXPECT_EQ(findText(kBackslashTrail, "\\"), -1);
  EXPECT_EQ(findText("禱"_gbk + "\\", "\\"), 3);
  EXPECT_EQ(findText(kBarTrail + "億"_gbk, "|"), -1);
  EXPECT_EQ(findText("億|"_gbk, "|"), 3);
  // "\x5c\x9c" would be found at byte 2 by a naive search of 淺淺.
  EXPECT_EQ(findText(kBackslashTrail + kBackslashTrail, "\\\x9c"), -1);
  EXPECT_EQ(findText("中文abc"_gbk, "abc"), 5);
}

TEST(FindText, StartPosition) {
  EXPECT_EQ(findText("abab", "ab", 2), 3);
  EXPECT_EQ(findText("abab", "ab", 4), -1);
  EXPECT_EQ(findText("abab", "ab", 9), -1);
  EXPECT_EQ(findText("abab", "", 3), 3);
}

TEST(SplitText, KeepsInnerEmptyPiecesDropsTrailingOne) {
  EXPECT_EQ(splitText("a=b=c", "="), (std::vector<Text>{"a", "b", "c"}));
  EXPECT_EQ(splitText("a==c", "="), (std::vector<Text>{"a", "", "c"}));
  EXPECT_EQ(splitText("=a", "="), (std::vector<Text>{"", "a"}));
  EXPECT_EQ(splitText("a=b=", "="), (std::vector<Text>{"a", "b"}));
  EXPECT_EQ(splitText("a==", "="), (std::vector<Text>{"a", ""}));
  EXPECT_TRUE(splitText("", "=").empty());
  EXPECT_EQ(splitText("l1\r\nl2\r\n", "\r\n"), (std::vector<Text>{"l1", "l2"}));
  EXPECT_EQ(splitText("abc", ""), (std::vector<Text>{"abc"}));
}

TEST(SplitText, StepsOverTwoByteCharacters) {
  const Text text = "淺|珅|禱\\億"_gbk;
  EXPECT_EQ(splitText(text, "|"), (std::vector<Text>{"淺"_gbk, "珅"_gbk, "禱\\億"_gbk}));
  EXPECT_EQ(splitText(text, "\\"), (std::vector<Text>{"淺|珅|禱"_gbk, "億"_gbk}));
  EXPECT_EQ(splitText("珅億"_gbk, "|"), (std::vector<Text>{"珅億"_gbk}));
}

TEST(ReplaceText, AllOccurrencesGbkAware) {
  EXPECT_EQ(replaceText("a#引号b#引号"_gbk, "#引号"_gbk, "\""), "a\"b\"");
  EXPECT_EQ(replaceText("淺\\"_gbk, "\\", "/"), "淺/"_gbk);
  EXPECT_EQ(replaceText("abc", "", "x"), "abc");
}

TEST(TextToInt, LeadingNumberOrZero) {
  EXPECT_EQ(textToInt("3288"), 3288);
  EXPECT_EQ(textToInt("  -42abc"), -42);
  EXPECT_EQ(textToInt("\t+7"), 7);
  EXPECT_EQ(textToInt("0520"), 520);
  EXPECT_EQ(textToInt("abc"), 0);
  EXPECT_EQ(textToInt(""), 0);
  EXPECT_EQ(textToInt("-"), 0);
  EXPECT_EQ(textToInt("- 5"), 0);
  EXPECT_EQ(textToInt("16746496"), 16746496);
}

TEST(TextToInt, SaturatesBeyond32Bits) {
  EXPECT_EQ(textToInt("2147483647"), 2147483647);
  EXPECT_EQ(textToInt("2147483648"), 2147483647);
  EXPECT_EQ(textToInt("-2147483648"), INT32_MIN);
  EXPECT_EQ(textToInt("-99999999999999999999999"), INT32_MIN);
  EXPECT_EQ(textToInt("99999999999999999999999"), INT32_MAX);
}

TEST(Numbers, IntToTextAndTruncation) {
  EXPECT_EQ(intToText(0), "0");
  EXPECT_EQ(intToText(-255), "-255");
  EXPECT_EQ(intToText(16888), "16888");
  EXPECT_EQ(truncToInt(1500.9), 1500);
  EXPECT_EQ(truncToInt(-488.7), -488);
  EXPECT_EQ(truncToInt(-0.5), 0);
  EXPECT_EQ(truncToInt(1e20), INT32_MAX);
  EXPECT_EQ(truncToInt(-1e20), INT32_MIN);
  EXPECT_EQ(truncToInt(std::numeric_limits<double>::quiet_NaN()), 0);
}

}  // namespace
