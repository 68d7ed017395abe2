// VBScript.RegExp: members, ECMAScript-compatible matching, Replace, errors.
#include <gtest/gtest.h>

#include "platform/com/class_registry.h"
#include "platform/components/components.h"
#include "platform/text/gbk.h"
#include "script/com_object.h"

namespace {

class RegExpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    registerComponentFactories();
    ASSERT_TRUE(re.createObject("VBScript.RegExp"));
  }
  void TearDown() override {
    re.clear();
    CoUninitialize();
  }
  // All match values joined with "|".
  std::string run(const std::string& pattern, const std::string& subject, bool global = true,
                  bool ignoreCase = false, bool multiline = false) {
    re.setProperty("Pattern", utf8ToGbk(pattern));
    re.setProperty("Global", global);
    re.setProperty("IgnoreCase", ignoreCase);
    re.setProperty("Multiline", multiline);
    ComObject matches = re.callMethodObject("Execute", utf8ToGbk(subject));
    if (matches.isEmpty()) return "<failed>";
    std::string out;
    int n = static_cast<int>(matches.getPropertyNumber("Count"));
    for (int i = 0; i < n; ++i) {
      if (i) out += "|";
      out += gbkToUtf8(matches.getPropertyObject("Item", i).getPropertyText("Value"));
    }
    return out;
  }
  ComObject re;
};

TEST_F(RegExpTest, PropertiesKeepTheirValues) {
  EXPECT_TRUE(re.setProperty("Pattern", "a+b"));
  EXPECT_EQ("a+b", re.getPropertyText("pattern"));
  EXPECT_EQ("0", re.getPropertyText("IgnoreCase"));
  EXPECT_TRUE(re.setProperty("IgnoreCase", true));
  EXPECT_EQ("-1", re.getPropertyText("IgnoreCase"));
  EXPECT_TRUE(re.setProperty("Global", "True"));
  EXPECT_EQ(-1, re.getPropertyNumber("Global"));
  EXPECT_TRUE(re.setProperty("Multiline", 1));
  EXPECT_EQ(-1, re.getPropertyNumber("Multiline"));
  // The component has no Singleline.
  EXPECT_FALSE(re.setProperty("Singleline", true));
  EXPECT_EQ(-3, LastInvokeError);
}

TEST_F(RegExpTest, MatchesAndSubMatches) {
  re.setProperty("Pattern", "(\\d+)-(x)?(\\w+)");
  re.setProperty("Global", true);
  ComObject matches = re.callMethodObject("Execute", "ab 12-cd 345-xyz");
  ASSERT_EQ(2, matches.getPropertyNumber("Count"));
  ComObject second = matches.getPropertyObject("Item", 1);
  EXPECT_EQ("345-xyz", second.getPropertyText("Value"));
  EXPECT_EQ(9, second.getPropertyNumber("FirstIndex"));
  EXPECT_EQ(7, second.getPropertyNumber("Length"));
  ComObject first = matches.getPropertyObject("Item", 0);
  ComObject subs = first.getPropertyObject("SubMatches");
  EXPECT_EQ(3, subs.getPropertyNumber("Count"));
  EXPECT_EQ("12", subs.getPropertyText("Item", 0));
  // A group that did not take part is Empty.
  Variant absent = subs.getPropertyVariant("Item", 1);
  EXPECT_EQ(0, LastInvokeError);
  EXPECT_EQ(VT_EMPTY, absent.type());
  EXPECT_EQ("cd", subs.getPropertyText("Item", 2));
  // Past the end: the component raises an error.
  EXPECT_TRUE(matches.getPropertyObject("Item", 2).isEmpty());
  EXPECT_EQ(-11, LastInvokeError);
  subs.getPropertyText("Item", 3);
  EXPECT_EQ(-11, LastInvokeError);
  // Default members: a match reads as its value.
  EXPECT_EQ("12-cd", Variant(matches.getPropertyVariant("Item", 0)).toText());
}

TEST_F(RegExpTest, FirstIndexCountsUtf16Units) {
  re.setProperty("Pattern", "b+");
  ComObject matches = re.callMethodObject("Execute", "价格abb"_gbk);
  ComObject m = matches.getPropertyObject("Item", 0);
  EXPECT_EQ(3, m.getPropertyNumber("FirstIndex"));  // 2 characters + "a"
  EXPECT_EQ(2, m.getPropertyNumber("Length"));
}

TEST_F(RegExpTest, EcmaScriptSemantics) {
  EXPECT_EQ("<a>|<b>", run("<.+?>", "<a><b>"));               // lazy
  EXPECT_EQ("<a><b>", run("<.+>", "<a><b>"));                 // greedy
  EXPECT_EQ("abab|xx", run("(ab|x)\\1", "abab xx ab"));       // back-reference
  EXPECT_EQ("a_1|b", run("\\w+", "a_1 é b"));                 // \w is ASCII
  EXPECT_EQ("12|3", run("\\d+", "x12y3"));
  EXPECT_EQ("\t |\n", run("\\s+", "a\t b\nc"));
  EXPECT_EQ("cat", run("\\bcat\\b", "concat cat cats"));
  EXPECT_EQ("b|c", run("[^a\\d]", "ab1c"));
  EXPECT_EQ("", run("x$", "ax\n"));                            // $ only at the very end
  EXPECT_EQ("a|b", run("^\\w", "a\nb", true, false, true));   // ^ per line in multi-line mode
  EXPECT_EQ("a", run("^\\w", "a\nb", true, false, false));
  EXPECT_EQ("x|x", run("x$", "x\r\nx", true, false, true));
  EXPECT_EQ("a", run(".", "\na"));                             // . stops at line ends
  EXPECT_EQ("AbC", run("abc", "xAbC", true, true));
  EXPECT_EQ("", run("abc", "xAbC", true, false));
  EXPECT_EQ("", run("[]", "abc"));                             // an empty class matches nothing
  EXPECT_EQ("A", run("\\u0041", "BA"));
  EXPECT_EQ("a", run("a", "aaa", false));                      // not global: first only
}

TEST_F(RegExpTest, EmptyMatchesAdvanceByOne) {
  EXPECT_EQ("|aaa|", run("a*", "baaa"));
  EXPECT_EQ("aa|", run("a*", "aa"));
  EXPECT_EQ("|||", run("x*", "abc"));
}

TEST_F(RegExpTest, TestMethod) {
  re.setProperty("Pattern", "^\\d{4}$");
  EXPECT_TRUE(re.callMethodBool("Test", "8888"));
  EXPECT_FALSE(re.callMethodBool("Test", "888"));
  EXPECT_EQ(0, LastInvokeError);
}

TEST_F(RegExpTest, Replace) {
  auto replace = [&](const char* pattern, const char* subject, const char* with, bool global = true) {
    re.setProperty("Pattern", pattern);
    re.setProperty("Global", global);
    return re.callMethodText("Replace", subject, with);
  };
  EXPECT_EQ("b-a b-a", replace("(\\w)(\\w)", "ab ab", "$2-$1"));
  EXPECT_EQ("b-a ab", replace("(\\w)(\\w)", "ab ab", "$2-$1", false));
  EXPECT_EQ("[ab] [ab]", replace("\\w+", "ab ab", "[$&]"));
  EXPECT_EQ("x<x>z", replace("y", "xyz", "<$`>"));
  EXPECT_EQ("x<z>z", replace("y", "xyz", "<$'>"));
  EXPECT_EQ("x$z", replace("y", "xyz", "$$"));
  EXPECT_EQ("x$3z", replace("(y)", "xyz", "$3"));              // no group 3: literal
  EXPECT_EQ("xy0z", replace("(y)", "xyz", "$10"));             // $1 then "0"
  EXPECT_EQ("x$0z", replace("(y)", "xyz", "$0"));
  EXPECT_EQ("-x-y-", replace("", "xy", "-"));
  // Twelve groups: $12 is the twelfth.
  EXPECT_EQ("l", replace("(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)(l)", "abcdefghijkl", "$12"));
  // The replacement is a VARIANT: numbers convert to text.
  re.setProperty("Pattern", "y");
  EXPECT_EQ("x25.14z", re.callMethodText("Replace", "xyz", 25.14));
}

TEST_F(RegExpTest, RejectedPatternRaisesInsteadOfCrashing) {
  for (const char* bad : {"(", "a)", "[a", "a**", "(?<", "\\"}) {
    re.setProperty("Pattern", bad);
    EXPECT_TRUE(re.callMethodObject("Execute", "abc").isEmpty()) << bad;
    EXPECT_EQ(-11, LastInvokeError) << bad;
    EXPECT_FALSE(re.callMethodBool("Test", "abc"));
    EXPECT_EQ("", re.callMethodText("Replace", "abc", "x"));
    EXPECT_EQ(-11, LastInvokeError);
  }
  re.setProperty("Pattern", "b");  // a good pattern afterwards works again
  EXPECT_TRUE(re.callMethodBool("Test", "abc"));
}

TEST_F(RegExpTest, CatastrophicPatternFailsInsteadOfHanging) {
  re.setProperty("Pattern", "(a+)+$");
  std::string subject(40, 'a');
  subject += '!';
  re.callMethodBool("Test", subject);
  EXPECT_EQ(-11, LastInvokeError);
}

TEST_F(RegExpTest, ArbitraryPatternsNeverCrash) {
  // Patterns built from metacharacters: each either works or fails with an
  // exception result; Replace and Test behave the same way.
  const char pieces[] = "()[]{}|*+?.^$\\-,:=!<>bdwsSWDB019aZ#'\"";
  uint32_t seed = 12345;
  auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
  re.setProperty("Global", true);
  for (int i = 0; i < 1500; ++i) {
    std::string pattern;
    int length = 1 + next() % 12;
    for (int j = 0; j < length; ++j) pattern += pieces[next() % (sizeof pieces - 1)];
    re.setProperty("Pattern", pattern);
    ComObject matches = re.callMethodObject("Execute", "ab12 (x) [y] {3} a-b\\c\r\nZ");
    EXPECT_TRUE(LastInvokeError == 0 || LastInvokeError == -11) << pattern;
    if (!matches.isEmpty()) {
      int n = static_cast<int>(matches.getPropertyNumber("Count"));
      for (int k = 0; k < n; ++k) matches.getPropertyObject("Item", k).getPropertyObject("SubMatches").getPropertyNumber("Count");
    }
    re.callMethodText("Replace", "ab12 (x)", "$1$&$`$'$$$99");
    EXPECT_TRUE(LastInvokeError == 0 || LastInvokeError == -11) << pattern;
  }
}

}  // namespace
