#include "net/cookie_text.h"

#include <gtest/gtest.h>

#include "platform/text/gbk.h"

namespace {

TEST(CookiesFromHeaders, NameValueOfLinesWithAttributes) {
  struct Case {
    std::vector<Text> lines;
    Text expected;
  };
  const Case cases[] = {
      {{"Set-Cookie: sid=abc; path=/", "Set-Cookie: lang=zh; HttpOnly"}, "sid=abc; lang=zh"},
      {{"Set-Cookie: x=1"}, ""},
      {{"SET-COOKIE:   a=1  ; x"}, "a=1"},
      {{"set-cookie:a=1;"}, "a=1"},
      {{"X-Set-Cookie: a=1; p", "Set-Cookie2: b=1; p", "Set-Cookie:"}, ""},
      {{"HTTP/1.1 200 OK", "Set-Cookie: a=1; p", "", "Set-Cookie: b=2; p"}, "a=1; b=2"},
      // An empty item before any other adds nothing, after one it adds a separator.
      {{"Set-Cookie: ; p", "Set-Cookie: b=2; p"}, "b=2"},
      {{"Set-Cookie: b=2; p", "Set-Cookie: ; p"}, "b=2; "},
      {{"Set-Cookie: 名=值; p"_gbk}, "名=值"_gbk},
      {{}, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(cookiesFromHeaders(c.lines), c.expected) << c.expected;
}

TEST(MergeCookieStrings, NewFirstThenOldUnmentioned) {
  struct Case {
    Text oldCookies, newCookies, expected;
  };
  const Case cases[] = {
      {"sid=old; u=7", "sid=abc; lang=zh", "sid=abc; lang=zh; u=7"},
      {"sid=old; u=7", "u=deleted", "sid=old"},
      {"", "", ""},
      {"a=1", "", "a=1"},
      {"", "a=1", "a=1"},
      {"  a=1;  ", "b=2;", "b=2; a=1"},
      {"a=1; a=1", "", "a=1"},
      {"x=1", "a=1; a=1", "a=1; x=1"},
      {"a=1", "a=2; a=3", "a=2; a=3"},
      {"a=deleted", "", ""},
      {"b", "b=1", "b=1"},
      {" a =1", "a=2", "a=2"},
      {"A=1", "a=2", "a=2; A=1"},
      {"k=v; x=deleted", "", "k=v"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(mergeCookieStrings(c.oldCookies, c.newCookies), c.expected)
        << c.oldCookies << " + " << c.newCookies;
}

TEST(CookieItems, NamesLookupDedupeAndIndex) {
  EXPECT_EQ(cookieName("a=1"), "a");
  EXPECT_EQ(cookieName(" a b =x=y"), "a b");
  EXPECT_EQ(cookieName("noval"), "noval");
  EXPECT_EQ(cookieName("=v"), "");
  EXPECT_EQ(cookieName(""), "");

  const std::vector<Text> items = {"a=1", " b =2", "c"};
  EXPECT_TRUE(hasCookieName(items, "b"));
  EXPECT_TRUE(hasCookieName(items, "c"));
  EXPECT_FALSE(hasCookieName(items, "B"));
  EXPECT_FALSE(hasCookieName({}, ""));

  const std::pair<Text, Text> dedupe[] = {
      {"a; b; a", "a; b"}, {"", ""}, {"a; ; ; b", "a; ; b"}, {"a; b; ", "a; b"}, {"a; A", "a; A"}};
  for (const auto& [text, expected] : dedupe) EXPECT_EQ(dedupeItems(text, "; "), expected) << text;
  EXPECT_EQ(dedupeItems("a,b,a,", ","), "a,b");

  const std::vector<Text> list = {"a", "b", "a"};
  EXPECT_EQ(indexOfItem(list, "a"), 1);
  EXPECT_EQ(indexOfItem(list, "b"), 2);
  EXPECT_EQ(indexOfItem(list, "c"), -1);
  EXPECT_EQ(indexOfItem({}, ""), -1);
}

}  // namespace
