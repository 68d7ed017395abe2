// RegexMatcher over the VBScript.RegExp component.
#include <gtest/gtest.h>

#include "platform/com/class_registry.h"
#include "platform/text/gbk.h"
#include "script/regex_matcher.h"

namespace {

const Text kCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";

TEST(RegexMatcherTest, ComInitialisedForTheObjectsLifetime) {
  int before = comInitializeCount();
  {
    RegexMatcher m;
    EXPECT_EQ(before + 1, comInitializeCount());
    RegexMatcher copy = m;
    EXPECT_EQ(before + 2, comInitializeCount());
  }
  EXPECT_EQ(before, comInitializeCount());
}

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

TEST(RegexMatcherTest, PositionWithEarlierCaseVariant) {
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
  RegexMatcher m;
  ASSERT_TRUE(m.search("(\\d+)", "a12b345"));
  EXPECT_EQ("a<12>b<345>", m.replace("<$1>"));
  ASSERT_TRUE(m.search("(\\d+)", "a12b345", false, true, false));
  EXPECT_EQ("a<12>b345", m.replace("<$1>"));
  EXPECT_EQ("a价b345"_gbk, m.replace("价"_gbk));
}

TEST(RegexMatcherTest, CopiesShareMatchesAndCopySubject) {
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
