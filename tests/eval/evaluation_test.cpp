#include "eval/evaluation.h"

#include <gtest/gtest.h>

#include "platform/text/gbk.h"

namespace {

class Lookup : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { loadTailTable(); }
  static TailRow find(const Text& input) { return lookupTail(TailTable, input); }
};

TEST_F(Lookup, KnownTails) {
  EXPECT_EQ(find("8888").price, 16888);
  EXPECT_EQ(find("8888").grade, "极品"_gbk);
  EXPECT_EQ(find("0001").price, 1000);
  EXPECT_EQ(find("1314").price, 6908);
  EXPECT_EQ(find("0000").price, 3288);
  EXPECT_EQ(find("0520").price, 4708);
  EXPECT_EQ(find("0520").tail, "0520");
}

TEST_F(Lookup, ShortOrOddInputMatchesNothing) {
  for (const Text& input : {Text("520"), Text(""), Text("-123"), Text("12"), Text("88\r\n")}) {
    const TailRow best = find(input);
    EXPECT_EQ(best.price, 0) << input;
    EXPECT_EQ(best.grade, "") << input;
    EXPECT_EQ(best.tail, "") << input;
  }
}

TEST_F(Lookup, LongerInputTakesTheHighestPriceEarliestRowOnTies) {
  // Windows 8688, 6888, 8888, 8888, 8886, 8869: 8688, 8888 and 8869 share 16888.
  EXPECT_EQ(find("86888869").tail, "8688");
  EXPECT_EQ(find("x0001y1314").tail, "1314");
}

TEST(LookupRules, EmptyTailMatchesAnyNonEmptyInputAndScanIsGbkAware) {
  const std::vector<TailRow> table = {{"", "g", 5}, {"|", "bar", 9}, {"\\", "slash", 7}};
  EXPECT_EQ(lookupTail(table, "x").grade, "g");
  EXPECT_EQ(lookupTail(table, "").price, 0);
  EXPECT_EQ(lookupTail(table, "珅"_gbk).grade, "g");  // 0x7C trail byte is not "|"
  EXPECT_EQ(lookupTail(table, "淺"_gbk).grade, "g");  // 0x5C trail byte is not "\"
  EXPECT_EQ(lookupTail(table, "淺|"_gbk).grade, "bar");
}

TEST(Captions, PriceTextGradeAndAdvice) {
  EXPECT_EQ(priceText(3288), "\xa3\xa4 3288 \xc3\xd7");
  EXPECT_EQ(priceText(0), "￥ 0 米"_gbk);
  EXPECT_EQ(priceText(16888), "￥ 16888 米"_gbk);

  EXPECT_EQ(gradeForPrice(1000), "一般"_gbk);
  EXPECT_EQ(gradeForPrice(1999), "一般"_gbk);
  EXPECT_EQ(gradeForPrice(2000), "合格"_gbk);
  EXPECT_EQ(gradeForPrice(4999), "合格"_gbk);
  EXPECT_EQ(gradeForPrice(5000), "优秀"_gbk);
  EXPECT_EQ(gradeForPrice(5600), "优秀"_gbk);  // table row 5200 at 5600 is 合格
  EXPECT_EQ(gradeForPrice(9999), "优秀"_gbk);
  EXPECT_EQ(gradeForPrice(10000), "极品"_gbk);

  EXPECT_EQ(adviceForGrade("一般"_gbk), "可弃可留"_gbk);
  EXPECT_EQ(adviceForGrade("合格"_gbk), "继续使用"_gbk);
  EXPECT_EQ(adviceForGrade("优秀"_gbk), "长期使用"_gbk);
  EXPECT_EQ(adviceForGrade("极品"_gbk), "传家使用"_gbk);
  EXPECT_EQ(adviceForGrade(""), std::nullopt);
  EXPECT_EQ(adviceForGrade("极品 "_gbk), std::nullopt);
}

TEST(RandomDraw, ExactSequenceFromFixedTicks) {
  SeedCounter = 0;
  // Twice within the same millisecond still gives different seeds.
  EXPECT_EQ(drawRandomPrice(1000), 4304);
  EXPECT_EQ(SeedCounter, 332);
  EXPECT_EQ(drawRandomPrice(1000), 5388);
  EXPECT_EQ(SeedCounter, 484);
  EXPECT_EQ(drawRandomPrice(1000), 5884);
  EXPECT_EQ(SeedCounter, 788);
}

TEST(RandomDraw, TickWrapsAround) {
  SeedCounter = 5;
  EXPECT_EQ(drawRandomPrice(0xFFFFFFFFu), 1051);  // seed 4
  EXPECT_EQ(SeedCounter, 109);
}

TEST(RandomDraw, GeneratorMatchesTheCRuntime) {
  LinearCongruential g(1);
  EXPECT_EQ(g.next(), 41);
  EXPECT_EQ(g.next(), 18467);
  EXPECT_EQ(g.next(), 6334);
}

// Both ends of 1000 .. 16888 come up: r % 15889 is 15888 for r = 15888 and
// 31777, and 0 for r = 0 and 15889.
TEST(RandomDraw, BothEndsOfTheRangeComeUp) {
  const struct {
    uint32_t tick;
    int32_t price;
  } rows[] = {{14888, 16888}, {29788, 16888}, {20057, 1000}, {4854, 1000}};
  for (const auto& row : rows) {
    SeedCounter = 0;
    EXPECT_EQ(drawRandomPrice(row.tick), row.price) << row.tick;
  }
  EXPECT_EQ(gradeForPrice(16888), "极品"_gbk);
}

TEST(RandomDraw, PricesStayInRange) {
  SeedCounter = 0;
  for (uint32_t tick = 0; tick < 20000; tick += 7) {
    const int32_t price = drawRandomPrice(tick);
    ASSERT_GE(price, 1000);
    ASSERT_LE(price, 16888);
  }
}

}  // namespace
