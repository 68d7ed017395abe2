#include "eval/evaluation.h"

#include "platform/text/gbk.h"

int32_t SeedCounter = 0;

TailRow lookupTail(const std::vector<TailRow>& table, const Text& input) {
  // Only a pointer to the winner is kept during the scan; one copy at the end.
  // A tail as long as the input can only occur at its start, so that case is
  // a plain comparison; shorter tails go through the character-aware find.
  const TailRow* best = nullptr;
  int32_t bestPrice = 0;
  const std::string_view in(input);
  if (in.empty()) return TailRow{};  // nothing occurs in empty text, not even an empty tail
  for (const TailRow& row : table) {
    if (row.price <= bestPrice || row.tail.size() > in.size()) continue;
    if (row.tail.size() == in.size() ? std::string_view(row.tail) == in
                                     : findText(in, row.tail) != -1) {
      best = &row;
      bestPrice = row.price;
    }
  }
  return best ? *best : TailRow{};
}

Text priceText(int32_t price) {
  static const Text yen = "￥ "_gbk;
  static const Text mi = " 米"_gbk;
  return yen + intToText(price) + mi;
}

Text gradeForPrice(int32_t price) {
  if (price < 2000) return "一般"_gbk;
  if (price < 5000) return "合格"_gbk;
  if (price < 10000) return "优秀"_gbk;
  return "极品"_gbk;
}

std::optional<Text> adviceForGrade(const Text& grade) {
  static const std::pair<Text, Text> advice[] = {
      {"一般"_gbk, "可弃可留"_gbk},
      {"合格"_gbk, "继续使用"_gbk},
      {"优秀"_gbk, "长期使用"_gbk},
      {"极品"_gbk, "传家使用"_gbk},
  };
  for (const auto& [g, a] : advice)
    if (grade == g) return a;
  return std::nullopt;
}

int32_t drawRandomPrice(uint32_t tickCount) {
  const uint32_t n = static_cast<uint32_t>(SeedCounter);
  const uint32_t seed = tickCount + n;
  SeedCounter = static_cast<int32_t>(n + (seed & 0xFFu) + 100u);
  LinearCongruential generator(seed);
  return 1000 + generator.next() % 15889;
}
