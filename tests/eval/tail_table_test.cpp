#include "eval/tail_table.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "platform/text/gbk.h"
#include "tools/tablegen/tail_table_generator.h"

namespace {

// Everything below is recomputed from the embedded bytes, not from the loader.
struct RawRow {
  std::string tail, grade, price;
};

std::vector<RawRow> rawRows() {
  std::vector<RawRow> rows;
  const std::string_view text = tailTableText();
  size_t start = 0;
  while (true) {
    size_t end = text.find("\r\n", start);
    std::string_view line = text.substr(start, end == std::string_view::npos ? end : end - start);
    size_t a = line.find('='), b = line.find('=', a + 1);
    rows.push_back({std::string(line.substr(0, a)), std::string(line.substr(a + 1, b - a - 1)),
                    std::string(line.substr(b + 1))});
    if (end == std::string_view::npos) break;
    start = end + 2;
  }
  return rows;
}

TEST(TailTableText, ShapeAndBytes) {
  EXPECT_EQ(TAIL_TABLE_SIZE, 160039u);
  EXPECT_EQ(TAIL_TABLE_TEXT[TAIL_TABLE_SIZE], '\0');
  const std::string_view text = tailTableText();
  EXPECT_EQ(text.find('\0'), std::string_view::npos);
  EXPECT_EQ(text.substr(0, 16), "0000="_gbk + "合格"_gbk + "=3288\r\n");
  EXPECT_TRUE(text.ends_with("9999="_gbk + "极品"_gbk + "=16358"));
  // No stray CR or LF: every CR is followed by LF and every LF preceded by CR.
  size_t crlf = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      ASSERT_TRUE(i + 1 < text.size() && text[i + 1] == '\n');
      ++crlf;
    } else if (text[i] == '\n') {
      ASSERT_TRUE(i > 0 && text[i - 1] == '\r');
    }
  }
  EXPECT_EQ(crlf, 9999u);
}

TEST(TailTableText, LineFormatAndOrder) {
  const auto rows = rawRows();
  ASSERT_EQ(rows.size(), 10000u);
  const std::set<std::string> grades = {"一般"_gbk, "合格"_gbk, "优秀"_gbk, "极品"_gbk};
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::string tail = {char('0' + i / 1000), char('0' + i / 100 % 10), char('0' + i / 10 % 10),
                              char('0' + i % 10)};
    ASSERT_EQ(rows[i].tail, tail);
    ASSERT_TRUE(grades.count(rows[i].grade)) << tail;
    const std::string& p = rows[i].price;
    ASSERT_TRUE(p.size() == 4 || p.size() == 5) << tail;
    ASSERT_NE(p[0], '0') << tail;
    ASSERT_EQ(p.find_first_not_of("0123456789"), std::string::npos) << tail;
  }
}

TEST(TailTableText, Statistics) {
  const auto rows = rawRows();
  std::map<std::string, int> count;
  std::map<std::string, int> low, high;
  std::map<std::string, std::vector<std::string>> lowTails, highTails;
  int end8 = 0, end00 = 0, fiveDigits = 0, at1000 = 0;
  std::string firstAt1000;
  for (const RawRow& r : rows) {
    const int price = std::stoi(r.price);
    ++count[r.grade];
    end8 += price % 10 == 8;
    end00 += price % 100 == 0;
    fiveDigits += r.price.size() == 5;
    if (price == 1000 && at1000++ == 0) firstAt1000 = r.tail;
    if (!low.count(r.grade) || price < low[r.grade]) low[r.grade] = price, lowTails[r.grade].clear();
    if (price == low[r.grade]) lowTails[r.grade].push_back(r.tail);
    if (!high.count(r.grade) || price > high[r.grade]) high[r.grade] = price, highTails[r.grade].clear();
    if (price == high[r.grade]) highTails[r.grade].push_back(r.tail);
  }
  EXPECT_EQ(count["一般"_gbk], 4897);
  EXPECT_EQ(count["合格"_gbk], 4067);
  EXPECT_EQ(count["优秀"_gbk], 996);
  EXPECT_EQ(count["极品"_gbk], 40);
  EXPECT_EQ(end8, 8421);
  EXPECT_EQ(end00, 1579);
  EXPECT_EQ(end8 + end00, 10000);
  EXPECT_EQ(fiveDigits, 41);
  EXPECT_EQ(at1000, 1207);
  EXPECT_EQ(firstAt1000, "0001");

  using V = std::vector<std::string>;
  EXPECT_EQ(low["一般"_gbk], 1000);
  EXPECT_EQ(high["一般"_gbk], 1688);
  EXPECT_EQ(highTails["一般"_gbk], (V{"1837", "1871", "7338"}));
  EXPECT_EQ(low["合格"_gbk], 2000);
  EXPECT_EQ(lowTails["合格"_gbk], (V{"0316", "5506"}));
  EXPECT_EQ(high["合格"_gbk], 5988);
  EXPECT_EQ(highTails["合格"_gbk], (V{"5203"}));
  EXPECT_EQ(low["优秀"_gbk], 5588);
  EXPECT_EQ(lowTails["优秀"_gbk], (V{"0123"}));
  EXPECT_EQ(high["优秀"_gbk], 10428);
  EXPECT_EQ(highTails["优秀"_gbk], (V{"8816"}));
  EXPECT_EQ(low["极品"_gbk], 11738);
  EXPECT_EQ(lowTails["极品"_gbk], (V{"6666"}));
  EXPECT_EQ(high["极品"_gbk], 16888);
  EXPECT_EQ(highTails["极品"_gbk], (V{"8688", "8869", "8888", "8889", "9698"}));
}

TEST(TailTableText, NamedRows) {
  const auto rows = rawRows();
  auto row = [&](int tail) { return rows[tail].grade + "=" + rows[tail].price; };
  EXPECT_EQ(row(0), "合格=3288"_gbk);
  EXPECT_EQ(row(1), "一般=1000"_gbk);
  EXPECT_EQ(row(1234), "优秀=7228"_gbk);
  EXPECT_EQ(row(1314), "优秀=6908"_gbk);
  EXPECT_EQ(row(4444), "合格=3488"_gbk);
  EXPECT_EQ(row(5200), "合格=5600"_gbk);
  EXPECT_EQ(row(5201), "合格=5488"_gbk);
  EXPECT_EQ(row(520), "合格=4708"_gbk);
  EXPECT_EQ(row(6666), "极品=11738"_gbk);
  EXPECT_EQ(row(7777), "合格=2928"_gbk);
  EXPECT_EQ(row(8816), "优秀=10428"_gbk);
  EXPECT_EQ(row(8888), "极品=16888"_gbk);
  EXPECT_EQ(row(9999), "极品=16358"_gbk);

  const std::pair<int, int> top[] = {
      {1688, 12038}, {6666, 11738}, {6888, 16108}, {6889, 16128}, {6898, 14600}, {6899, 13898},
      {6988, 14718}, {6989, 14688}, {6998, 13800}, {8688, 16888}, {8689, 14988}, {8698, 16288},
      {8699, 15200}, {8868, 16708}, {8869, 16888}, {8886, 16400}, {8888, 16888}, {8889, 16888},
      {8896, 14368}, {8898, 15288}, {8968, 15258}, {8969, 15268}, {8986, 16588}, {8988, 14418},
      {8996, 16388}, {8999, 14118}, {9688, 16388}, {9689, 14408}, {9698, 16888}, {9868, 16318},
      {9869, 15188}, {9886, 15188}, {9888, 16588}, {9896, 13908}, {9899, 16398}, {9968, 15538},
      {9986, 13728}, {9989, 13968}, {9998, 14228}, {9999, 16358}};
  for (auto [tail, price] : top) EXPECT_EQ(row(tail), "极品="_gbk + std::to_string(price)) << tail;

  // Every tail with exactly three 4s is the lowest grade.
  for (int t = 0; t < 10000; ++t) {
    int fours = (t / 1000 == 4) + (t / 100 % 10 == 4) + (t / 10 % 10 == 4) + (t % 10 == 4);
    if (fours == 3) {
      EXPECT_EQ(rows[t].grade, "一般"_gbk) << t;
    }
  }
}

TEST(TailTableText, GeneratorReproducesTheCommittedTable) {
  EXPECT_TRUE(generateTailTableText() == tailTableText());
}

TEST(LoadTailTable, BuiltInTable) {
  loadTailTable();
  ASSERT_EQ(TailTable.size(), 10000u);
  EXPECT_EQ(TailTable.front().tail, "0000");
  EXPECT_EQ(TailTable.front().grade, "合格"_gbk);
  EXPECT_EQ(TailTable.front().price, 3288);
  EXPECT_EQ(TailTable.back().tail, "9999");
  EXPECT_EQ(TailTable.back().grade, "极品"_gbk);
  EXPECT_EQ(TailTable.back().price, 16358);
  EXPECT_EQ(TailTable[8816].price, 10428);  // row 8817
  loadTailTable();  // loading again replaces, never appends
  EXPECT_EQ(TailTable.size(), 10000u);
}

TEST(LoadTailTable, FinalLineBreakMakesNoExtraRow) {
  std::vector<TailRow> a, b;
  parseTailTable(tailTableText(), a);
  parseTailTable(Text(tailTableText()) + "\r\n", b);
  ASSERT_EQ(a.size(), 10000u);
  ASSERT_EQ(b.size(), 10000u);
  EXPECT_EQ(b.back().tail, "9999");
  EXPECT_EQ(b.back().price, 16358);
}

TEST(LoadTailTable, OtherInputLeavesEmptyRows) {
  std::vector<TailRow> table = {{"old", "old", 1}, {"old", "old", 2}, {"old", "old", 3},
                                {"old", "old", 4}, {"old", "old", 5}, {"old", "old", 6}};
  parseTailTable("1=a=5\r\n2=b=\r\n3=c=x9\r\n\r\n4=d=1=2\r\n5=e= 42", table);
  ASSERT_EQ(table.size(), 6u);  // resized to the line count, old rows gone
  EXPECT_EQ(table[0].tail, "1");
  EXPECT_EQ(table[0].price, 5);
  // "2=b=": the empty trailing field is dropped, two fields, empty row.
  EXPECT_EQ(table[1].tail, "");
  EXPECT_EQ(table[1].grade, "");
  EXPECT_EQ(table[1].price, 0);
  EXPECT_EQ(table[2].grade, "c");  // not a number: price 0
  EXPECT_EQ(table[2].price, 0);
  EXPECT_EQ(table[3].tail, "");  // empty line
  EXPECT_EQ(table[4].tail, "");  // four fields
  EXPECT_EQ(table[5].price, 42);

  parseTailTable("", table);
  EXPECT_TRUE(table.empty());
}

}  // namespace
