// RegexMatcher over the VBScript.RegExp component.
#include <gtest/gtest.h>

#include "platform/com/class_registry.h"
#include "platform/text/codepage.h"
#include "platform/text/gbk.h"
#include "script/regex_matcher.h"
#include "tests/support/wine.h"

namespace {

const Text kCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";

TEST(RegexMatcherTest, BeforeAnySearchEverythingIsEmpty) {
  RegexMatcher m;
  EXPECT_EQ("", m.getPattern());
  EXPECT_EQ("", m.replace("x"));
  EXPECT_EQ(0, m.matchCount());
  EXPECT_EQ("", m.matchText(1));
  EXPECT_EQ("", m.subMatchText(1, 1));
  EXPECT_EQ(0, m.subMatchCount());
}

TEST(RegexMatcherTest, DefaultOptionsIgnoreCaseMultilineGlobal) {
  SKIP_UNDER_WINE(wine_gap::RegExpMatchTypeInfo);
  RegexMatcher m;
  ASSERT_TRUE(m.search("^ab", "AB\nab\nxab"));
  EXPECT_EQ(2, m.matchCount());
  EXPECT_EQ("AB", m.matchText(1));
  EXPECT_EQ("ab", m.matchText(2));
  ASSERT_TRUE(m.search("^ab", "AB\nab\nxab", true));
  EXPECT_EQ(1, m.matchCount());
  ASSERT_TRUE(m.search("^ab", "AB\nab\nxab", false, false));
  EXPECT_EQ(1, m.matchCount());
  ASSERT_TRUE(m.search("ab", "AB ab", false, true, false));
  EXPECT_EQ(1, m.matchCount());
  EXPECT_EQ("ab", m.getPattern());
}

TEST(RegexMatcherTest, MatchIndicesAreOneBased) {
  SKIP_UNDER_WINE(wine_gap::RegExpMatchTypeInfo);
  RegexMatcher m;
  ASSERT_TRUE(m.search("\\d", "a1b2"));
  EXPECT_EQ("1", m.matchText(1));
  EXPECT_EQ("2", m.matchText(2));
  EXPECT_EQ("", m.matchText(0));
  EXPECT_EQ("", m.matchText(3));
}

TEST(RegexMatcherTest, NoMatchIsStillASuccessfulSearch) {
  RegexMatcher m;
  EXPECT_TRUE(m.search("zzz", "abc"));
  EXPECT_EQ(0, m.matchCount());
  EXPECT_EQ("", m.matchText(1));
}

TEST(RegexMatcherTest, RejectedPatternFails) {
  RegexMatcher m;
  EXPECT_FALSE(m.search("(", "abc"));
  EXPECT_EQ(0, m.matchCount());
  EXPECT_EQ("(", m.getPattern());
}

TEST(RegexMatcherTest, QuoteMarker) {
  SKIP_UNDER_WINE(wine_gap::RegExpMatchTypeInfo);
  RegexMatcher m;
  const Text pattern = "a#引号b"_gbk;
  ASSERT_TRUE(m.search(pattern, "xa\"by", false, true, true, true));
  EXPECT_EQ("a\"b", m.matchText(1));
  EXPECT_EQ("a\"b", m.getPattern());
  ASSERT_TRUE(m.search(pattern, "xa\"by a#引号b"_gbk));
  EXPECT_EQ(1, m.matchCount());
  EXPECT_EQ(pattern, m.matchText(1));
}

TEST(RegexMatcherTest, SubMatches) {
  SKIP_UNDER_WINE(wine_gap::RegExpMatchTypeInfo);
  RegexMatcher m;
  ASSERT_TRUE(m.search("(\\w)(\\d)?-(\\w)", "a1-b c-d"));
  EXPECT_EQ(3, m.subMatchCount());
  EXPECT_EQ("a", m.subMatchText(1, 1));
  EXPECT_EQ("1", m.subMatchText(1, 2));
  EXPECT_EQ("b", m.subMatchText(1, 3));
  EXPECT_EQ("", m.subMatchText(2, 2));  // did not take part
  EXPECT_EQ("d", m.subMatchText(2, 3));
  EXPECT_EQ("", m.subMatchText(2, 4));
  EXPECT_EQ("", m.subMatchText(3, 1));
}

TEST(RegexMatcherTest, PositionsAreByteOffsetsInLocalText) {
  SKIP_UNDER_WINE(wine_gap::RegExpMatchTypeInfo);
  RegexMatcher m;
  const Text subject = "价格：8888 号码 1314"_gbk;
  ASSERT_TRUE(m.search("(\\d)(\\d+)", subject));
  int32_t pos = -1;
  EXPECT_EQ("8888", m.matchText(1, &pos));
  EXPECT_EQ(6, pos);  // three two-byte characters
  EXPECT_EQ("1314", m.matchText(2, &pos));
  EXPECT_EQ(static_cast<int32_t>(subject.find("1314")), pos);
  EXPECT_EQ("314", m.subMatchText(2, 2, &pos));
  EXPECT_EQ(static_cast<int32_t>(subject.find("1314")) + 1, pos);
  EXPECT_EQ("", m.matchText(3, &pos));
  EXPECT_EQ(-2, pos);
  EXPECT_EQ("", m.subMatchText(1, 5, &pos));
  EXPECT_EQ(-2, pos);
}

TEST(RegexMatcherTest, PositionAfterDoubleByteTextIsFound) {
  SKIP_UNDER_WINE(wine_gap::RegExpMatchTypeInfo);
  // The match begins right after two-byte characters whose byte count
  // exceeds the component's unit offset: the search starts on a character
  // boundary, never inside a character.
  RegexMatcher m;
  const Text subject = "中中a"_gbk;
  ASSERT_TRUE(m.search("a", subject));
  int32_t pos = -1;
  EXPECT_EQ("a", m.matchText(1, &pos));
  EXPECT_EQ(4, pos);
}

TEST(RegexMatcherTest, PositionOfAdjacentEqualMatches) {
  SKIP_UNDER_WINE(wine_gap::RegExpMatchTypeInfo);
  // The search for the text starts at the match's own character, so an equal
  // match just before it is not taken for it.
  RegexMatcher m;
  ASSERT_TRUE(m.search("a", "aaa"));
  int32_t pos = -1;
  m.matchText(2, &pos);
  EXPECT_EQ(1, pos);
  m.matchText(3, &pos);
  EXPECT_EQ(2, pos);
  ASSERT_TRUE(m.search("(价)"_gbk, "价价"_gbk));
  m.subMatchText(2, 1, &pos);
  EXPECT_EQ(2, pos);
}

// The walk from UTF-16 offsets to bytes steps one gbkCharSize at a time; it
// is exact only if every such step is what the conversion turns into one
// UTF-16 unit. Checked for every pair of bytes, alone and before a letter.
TEST(RegexMatcherTest, EveryCharacterStepIsOneUnitOfTheConversion) {
  SKIP_UNDER_WINE(wine_gap::RegExpMatchTypeInfo);
  int mismatches = 0;
  for (int lead = 0; lead < 256; ++lead) {
    for (int trail = 0; trail < 256; ++trail) {
      for (const Text& text : {Text{char(lead), char(trail)}, Text{char(lead), char(trail), 'x'}}) {
        WideString whole = multiByteToUtf16(text, CP_GBK), stepped;
        for (size_t at = 0; at < text.size(); at += gbkCharSize(text, at)) {
          WideString unit = multiByteToUtf16(text.substr(at, gbkCharSize(text, at)), CP_GBK);
          if (unit.size() != 1) ++mismatches;
          stepped += unit;
        }
        if (stepped != whole) ++mismatches;
      }
    }
  }
  EXPECT_EQ(0, mismatches);
}

// Byte offsets of every match (and of its first sub-match) in subjects with
// double-byte text, the euro byte 0x80, a lead byte before a non-trail byte,
// a lead byte at the end and a pair that is no character.
TEST(RegexMatcherTest, PositionsWithDoubleByteText) {
  SKIP_UNDER_WINE(wine_gap::RegExpMatchTypeInfo);
  Text noCharacter;  // a lead and a trail byte that decode to U+FFFD
  for (int lead = 0x81; lead <= 0xFE && noCharacter.empty(); ++lead)
    for (int trail = 0x40; trail <= 0xFE && noCharacter.empty(); ++trail)
      if (multiByteToUtf16(Text{char(lead), char(trail)}, CP_GBK) == WIDE("\uFFFD")) noCharacter = {char(lead), char(trail)};
  ASSERT_FALSE(noCharacter.empty());
  struct Row {
    Text pattern, subject;
    const char* expected;  // "offset" per match, "offset/sub-match offset" with a group
  };
  const Row rows[] = {
      {"a", "价"_gbk + "\x80" "a", "3"},
      {"a", "\x80" + "价"_gbk + "a", "3"},
      {"b", "\x81" "0b", "2"},
      {"b|$", "ab\x81", "1 3"},
      {"x", noCharacter + "x", "2"},
      {"$", "价格"_gbk, "4"},
      {"x*", "价"_gbk, "0 2"},
      {"(\\w)\\w*", "价ab价c"_gbk, "2/2 6/6"},
      {"价+(格)"_gbk, "价价格 价格"_gbk, "0/4 7/9"},
      {"[^价]+$"_gbk, "价"_gbk + "\x80\x80", "2"},
  };
  for (const Row& row : rows) {
    RegexMatcher m;
    ASSERT_TRUE(m.search(row.pattern, row.subject));
    std::string got;
    for (int32_t i = 1; i <= m.matchCount(); ++i) {
      int32_t pos = -1;
      m.matchText(i, &pos);
      got += (i > 1 ? " " : "") + std::to_string(pos);
      if (m.subMatchCount() > 0) {
        m.subMatchText(i, 1, &pos);
        got += "/" + std::to_string(pos);
      }
    }
    EXPECT_EQ(row.expected, got) << row.pattern;
  }
}

TEST(RegexMatcherTest, PositionsReadInAnyOrder) {
  SKIP_UNDER_WINE(wine_gap::RegExpMatchTypeInfo);
  Text subject;
  for (int i = 0; i < 2000; ++i) subject += "价"_gbk + static_cast<char>('0' + i % 10);
  RegexMatcher m;
  ASSERT_TRUE(m.search("\\d", subject));
  ASSERT_EQ(2000, m.matchCount());
  int32_t pos = -1;
  for (int32_t i = 1; i <= 2000; ++i) {
    m.matchText(i, &pos);
    ASSERT_EQ(3 * i - 1, pos);
  }
  m.matchText(5, &pos);  // backwards
  EXPECT_EQ(14, pos);
  RegexMatcher copy = m;
  copy.matchText(7, &pos);
  EXPECT_EQ(20, pos);
}

TEST(RegexMatcherTest, PositionWithEarlierCaseVariant) {
  SKIP_UNDER_WINE(wine_gap::RegExpMatchTypeInfo);
  RegexMatcher m;
  ASSERT_TRUE(m.search("b", "aBb", true));
  int32_t pos = -1;
  EXPECT_EQ("b", m.matchText(1, &pos));
  EXPECT_EQ(2, pos);
  ASSERT_TRUE(m.search("B", "xbB"));
  EXPECT_EQ("b", m.matchText(1, &pos));
  EXPECT_EQ(1, pos);
}

TEST(RegexMatcherTest, ReplaceUsesLastSearch) {
  SKIP_UNDER_WINE(wine_gap::RegExpMatchTypeInfo);
  RegexMatcher m;
  ASSERT_TRUE(m.search("(\\d+)", "a12b345"));
  EXPECT_EQ("a<12>b<345>", m.replace("<$1>"));
  ASSERT_TRUE(m.search("(\\d+)", "a12b345", false, true, false));
  EXPECT_EQ("a<12>b345", m.replace("<$1>"));
  EXPECT_EQ("a价b345"_gbk, m.replace("价"_gbk));
}

TEST(RegexMatcherTest, CopiesShareMatchesAndCopySubject) {
  SKIP_UNDER_WINE(wine_gap::RegExpMatchTypeInfo);
  RegexMatcher m;
  ASSERT_TRUE(m.search("\\d", "1 2"));
  RegexMatcher copy = m;
  ASSERT_TRUE(m.search("x", "x"));
  EXPECT_EQ(2, copy.matchCount());
  EXPECT_EQ("2", copy.matchText(2));
  EXPECT_EQ("# #", copy.replace("#"));
  EXPECT_EQ(1, m.matchCount());
}

TEST(RegexMatcherTest, CharsetDeclarations) {
  SKIP_UNDER_WINE(wine_gap::RegExpMatchTypeInfo);
  const std::pair<Text, Text> pages[] = {
      {"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">", "gb2312"},
      {"<meta charset=\"utf-8\"><title>x</title>", "utf-8"},
      {"<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; CHARSET=GBK\">", "GBK"},
      {"<meta charset='gb2312'>", "gb2312"},
      {"<meta charset=\"gb2312\">", "gb2312"},
      {"<p>no declaration</p>", ""},
  };
  for (const auto& [page, charset] : pages) {
    RegexMatcher m;
    ASSERT_TRUE(m.search(kCharsetPattern, page)) << page;
    EXPECT_EQ(charset, m.subMatchText(1, 1)) << page;
  }
}

}  // namespace
