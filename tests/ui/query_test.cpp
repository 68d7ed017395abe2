// Typing a tail and pressing Enter in the number box, with real key events.
#include "tests/ui/main_window_fixture.h"

namespace {

class QueryTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    open();
  }
  void query(const char* tail) {
    retype("编辑框_号码", tail);
    key("编辑框_号码", Qt::Key_Return);
  }
  std::array<std::string, 3> results() {
    return {caption("标题_价格"), caption("标题_等级"), caption("标题_建议")};
  }
  using R = std::array<std::string, 3>;
};

TEST_F(QueryTest, LookupShowsPriceGradeAndAdvice) {
  query("8888");
  EXPECT_EQ(results(), (R{"￥ 16888 米", "极品", "传家使用"}));
  query("0001");
  EXPECT_EQ(results(), (R{"￥ 1000 米", "一般", "可弃可留"}));
  query("1314");
  EXPECT_EQ(results(), (R{"￥ 6908 米", "优秀", "长期使用"}));
  query("0000");
  EXPECT_EQ(results(), (R{"￥ 3288 米", "合格", "继续使用"}));
  query("0520");
  EXPECT_EQ(results(), (R{"￥ 4708 米", "合格", "继续使用"}));
}

TEST_F(QueryTest, EnterRunsTheQueryAndNeverReachesTheBox) {
  query("12");
  EXPECT_EQ(text("编辑框_号码"), "12");  // no CR LF although two more characters would fit
  key("编辑框_号码", Qt::Key_Return);
  EXPECT_EQ(text("编辑框_号码"), "12");
  query("8888");
  EXPECT_EQ(text("编辑框_号码"), "8888");
  EXPECT_EQ(caption("标题_等级"), "极品");
}

TEST_F(QueryTest, OtherKeysNeverQuery) {
  type("编辑框_号码", "8888");
  key("编辑框_号码", Qt::Key_Backspace);
  key("编辑框_号码", Qt::Key_Space);
  key("编辑框_号码", Qt::Key_Tab);
  EXPECT_EQ(results(), (R{"", "", ""}));
}

TEST_F(QueryTest, FocusLossTurns0520Into520WhichMatchesNothing) {
  query("8888");
  retype("编辑框_号码", "0520");
  widget("编辑框1")->setFocus();
  QApplication::processEvents();
  EXPECT_EQ(text("编辑框_号码"), "520");
  key("编辑框_号码", Qt::Key_Return);
  // No match: price 0, empty grade, the advice of the previous query stays.
  EXPECT_EQ(results(), (R{"￥ 0 米", "", "传家使用"}));
}

TEST_F(QueryTest, NoMatchForShortEmptyOrSignedInput) {
  for (const char* tail : {"", "123", "-123", "-"}) {
    query(tail);
    EXPECT_EQ(caption("标题_价格"), "￥ 0 米") << tail;
    EXPECT_EQ(caption("标题_等级"), "") << tail;
    EXPECT_EQ(caption("标题_建议"), "") << tail;  // no previous query left any advice
  }
}

TEST_F(QueryTest, BoxRefusesAFifthCharacterAndLettersButTakesMinus) {
  type("编辑框_号码", "12345");
  EXPECT_EQ(text("编辑框_号码"), "1234");
  retype("编辑框_号码", "a-b1c");
  EXPECT_EQ(text("编辑框_号码"), "-1");
}

TEST_F(QueryTest, RandomModeDrawsPricesInRangeWithThresholdGrades) {
  click("单选框1");
  for (int i = 0; i < 40; ++i) {
    query("8888");
    const std::string price = caption("标题_价格");
    ASSERT_EQ(price.rfind("￥ ", 0), 0u);
    const int value = std::atoi(price.c_str() + std::string("￥ ").size());
    ASSERT_GE(value, 1000);
    ASSERT_LE(value, 16888);
    const char* grade = value < 2000 ? "一般" : value < 5000 ? "合格" : value < 10000 ? "优秀" : "极品";
    EXPECT_EQ(caption("标题_等级"), grade) << value;
    EXPECT_FALSE(caption("标题_建议").empty());
  }
}

TEST_F(QueryTest, SwitchingTheModeLeavesTheCaptionsUntilTheNextEnter) {
  query("8888");
  const R before = results();
  click("单选框1");
  click("单选框2");
  click("单选框2");
  EXPECT_EQ(results(), before);
}

}  // namespace
