// How the table is made.
//
// A fixed set of rows is pinned: the 40 top-grade rows, the well-known tails
// (0000, 1234, 1314, 5200, 8888, ...) and the rows that hold the lowest and
// highest price of each grade. Every other tail gets a score from its digits:
// 8, 6 and 9 raise it, 4 lowers it, the last digit counts more, and patterns
// (AAAA, AAAB, AABB, ABAB, ABBA, straights, lucky runs such as 168 or 520)
// add to it; a small hash-based jitter keeps neighbours apart. Tails are
// ranked by score; the lowest become "一般", then "合格", then "优秀", in the
// counts the table must have. Within a grade the price follows the rank over
// the grade's price band; every price ends in 8 or in 00, and a fixed number
// of ranks take the round hundred.
#include "tools/tablegen/tail_table_generator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/text/gbk.h"

namespace {

enum Grade { Plain, Fair, Good, Top };

struct Pinned {
  int tail;
  Grade grade;
  int price;
};

const Pinned kPinned[] = {
    // top grade, all of them
    {1688, Top, 12038}, {6666, Top, 11738}, {6888, Top, 16108}, {6889, Top, 16128},
    {6898, Top, 14600}, {6899, Top, 13898}, {6988, Top, 14718}, {6989, Top, 14688},
    {6998, Top, 13800}, {8688, Top, 16888}, {8689, Top, 14988}, {8698, Top, 16288},
    {8699, Top, 15200}, {8868, Top, 16708}, {8869, Top, 16888}, {8886, Top, 16400},
    {8888, Top, 16888}, {8889, Top, 16888}, {8896, Top, 14368}, {8898, Top, 15288},
    {8968, Top, 15258}, {8969, Top, 15268}, {8986, Top, 16588}, {8988, Top, 14418},
    {8996, Top, 16388}, {8999, Top, 14118}, {9688, Top, 16388}, {9689, Top, 14408},
    {9698, Top, 16888}, {9868, Top, 16318}, {9869, Top, 15188}, {9886, Top, 15188},
    {9888, Top, 16588}, {9896, Top, 13908}, {9899, Top, 16398}, {9968, Top, 15538},
    {9986, Top, 13728}, {9989, Top, 13968}, {9998, Top, 14228}, {9999, Top, 16358},
    // bounds of the lower grades and the well-known tails
    {1, Plain, 1000}, {1837, Plain, 1688}, {1871, Plain, 1688}, {7338, Plain, 1688},
    {0, Fair, 3288}, {4444, Fair, 3488}, {5200, Fair, 5600}, {5201, Fair, 5488},
    {7777, Fair, 2928}, {316, Fair, 2000}, {5506, Fair, 2000}, {5203, Fair, 5988},
    {520, Fair, 4708},
    {1234, Good, 7228}, {1314, Good, 6908}, {8816, Good, 10428}, {123, Good, 5588},
};

constexpr int kRows[] = {4897, 4067, 996, 40};  // rows per grade
constexpr int kRowsAtThousand = 1207;           // "一般" rows at the lowest price
constexpr int kRoundHundreds = 1579;            // prices ending in 00

// Price bands open to unpinned rows (the pinned bounds are exclusive).
struct Band {
  int low8, high8;      // lowest and highest price ending in 8
  int low00, high00;    // lowest and highest round hundred
};
constexpr Band kBands[] = {
    {1008, 1678, 1100, 1600},  // 一般: 1000 and 1688 are reserved
    {2008, 5978, 2100, 5900},  // 合格: 2000 and 5988 are reserved
    {5598, 9998, 5600, 9900},  // 优秀: 5588 and 10428 are reserved
};

uint32_t mix(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7FEB352Du;
  x ^= x >> 15;
  x *= 0x846CA68Bu;
  x ^= x >> 16;
  return x;
}

double digitWeight(int d) {
  static constexpr double w[10] = {0.3, 0.6, 0.5, 0.4, -2.6, 0.8, 2.4, 0.1, 3.0, 2.2};
  return w[d];
}

double score(int tail) {
  const std::array<int, 4> d = {tail / 1000, tail / 100 % 10, tail / 10 % 10, tail % 10};
  double s = 0;
  for (int i = 0; i < 4; ++i) s += digitWeight(d[i]) * (i == 3 ? 1.6 : 1.0);

  int counts[10] = {};
  for (int x : d) ++counts[x];
  int most = *std::max_element(counts, counts + 10);
  if (most == 4) s += 10;                                                  // AAAA
  else if (most == 3) s += (d[0] == d[1] && d[1] == d[2]) || (d[1] == d[2] && d[2] == d[3]) ? 5 : 3;
  if (d[0] == d[1] && d[2] == d[3] && d[0] != d[2]) s += 4;               // AABB
  if (d[0] == d[2] && d[1] == d[3] && d[0] != d[1]) s += 4;               // ABAB
  if (d[0] == d[3] && d[1] == d[2] && d[0] != d[1]) s += 3.5;             // ABBA
  bool up = true, down = true;
  for (int i = 1; i < 4; ++i) {
    up = up && d[i] == d[i - 1] + 1;
    down = down && d[i] == d[i - 1] - 1;
  }
  if (up) s += 4;                                                          // ABCD
  if (down) s += 3.5;
  if (d[2] == d[3] && most < 3) s += 1.5;                                  // ..AA
  const int head = tail / 10, back = tail % 1000;
  for (int run : {168, 520, 521, 518, 888, 666, 999})
    if (head == run || back == run) s += run == 518 ? 1.5 : 2;
  if (counts[4] >= 2) s -= 1.5 * (counts[4] - 1);                          // more 4s, lower
  s += (mix(static_cast<uint32_t>(tail) * 2654435761u) % 1000) / 1000.0 * 1.5;
  return s;
}

// Price at rank fraction f in [0, 1] of a band, snapped to the chosen ending.
int bandPrice(const Band& band, double f, bool roundHundred) {
  if (roundHundred) {
    int steps = (band.high00 - band.low00) / 100;
    return band.low00 + 100 * static_cast<int>(std::lround(f * steps));
  }
  int steps = (band.high8 - band.low8) / 10;
  return band.low8 + 10 * static_cast<int>(std::lround(f * steps));
}

}  // namespace

Text generateTailTableText() {
  std::vector<Grade> grade(10000);
  std::vector<int> price(10000, 0);
  std::vector<bool> pinned(10000, false);
  int pinnedRows[4] = {};
  for (const Pinned& p : kPinned) {
    grade[p.tail] = p.grade;
    price[p.tail] = p.price;
    pinned[p.tail] = true;
    ++pinnedRows[p.grade];
  }

  // Every tail with exactly three 4s is "一般".
  std::vector<bool> forcedPlain(10000, false);
  for (int t = 0; t < 10000; ++t) {
    int fours = (t / 1000 == 4) + (t / 100 % 10 == 4) + (t / 10 % 10 == 4) + (t % 10 == 4);
    forcedPlain[t] = fours == 3 && !pinned[t];
  }

  auto byScore = [](int a, int b) {
    double sa = score(a), sb = score(b);
    return sa != sb ? sa < sb : a < b;
  };

  std::vector<int> free;
  int forced = 0;
  for (int t = 0; t < 10000; ++t) {
    if (pinned[t]) continue;
    if (forcedPlain[t]) { ++forced; continue; }
    free.push_back(t);
  }
  std::sort(free.begin(), free.end(), byScore);

  // Grades by rank.
  const int plainFree = kRows[Plain] - pinnedRows[Plain] - forced;
  const int fairFree = kRows[Fair] - pinnedRows[Fair];
  std::vector<int> members[3];
  for (int t = 0; t < 10000; ++t)
    if (forcedPlain[t]) members[Plain].push_back(t);
  for (size_t i = 0; i < free.size(); ++i) {
    Grade g = static_cast<int>(i) < plainFree ? Plain
              : static_cast<int>(i) < plainFree + fairFree ? Fair : Good;
    grade[free[i]] = g;
    members[g].push_back(free[i]);
  }
  for (auto& m : members) std::sort(m.begin(), m.end(), byScore);

  // The lowest-ranked "一般" rows take 1000.
  int pinnedThousands = 0, pinnedHundreds = 0;
  for (const Pinned& p : kPinned) {
    pinnedThousands += p.price == 1000;
    pinnedHundreds += p.price % 100 == 0;
  }
  const int thousands = kRowsAtThousand - pinnedThousands;
  for (int i = 0; i < thousands; ++i) price[members[Plain][i]] = 1000;

  // The rest are priced by rank within their band; a fixed share, chosen by
  // hash, is rounded to the hundred.
  struct Slot { int tail; Grade g; double f; };
  std::vector<Slot> slots;
  for (int g = Plain; g <= Good; ++g) {
    const auto& m = members[g];
    const size_t first = g == Plain ? static_cast<size_t>(thousands) : 0;
    const size_t count = m.size() - first;
    for (size_t i = first; i < m.size(); ++i) {
      double f = count > 1 ? static_cast<double>(i - first) / static_cast<double>(count - 1) : 0.0;
      // Bend the curve so that most rows sit in the lower half of the band.
      slots.push_back({m[i], static_cast<Grade>(g), std::pow(f, 1.6)});
    }
  }
  std::vector<Slot> byHash = slots;
  std::sort(byHash.begin(), byHash.end(), [](const Slot& a, const Slot& b) {
    uint32_t ha = mix(static_cast<uint32_t>(a.tail) + 0x9E3779B9u);
    uint32_t hb = mix(static_cast<uint32_t>(b.tail) + 0x9E3779B9u);
    return ha != hb ? ha < hb : a.tail < b.tail;
  });
  const int hundreds = kRoundHundreds - pinnedHundreds - thousands;
  std::set<int> roundTails;
  for (int i = 0; i < hundreds; ++i) roundTails.insert(byHash[i].tail);
  for (const Slot& s : slots)
    price[s.tail] = bandPrice(kBands[s.g], s.f, roundTails.count(s.tail) != 0);

  static const Text words[4] = {"一般"_gbk, "合格"_gbk, "优秀"_gbk, "极品"_gbk};
  Text out;
  out.reserve(160040);
  for (int t = 0; t < 10000; ++t) {
    char tail[5];
    tail[0] = static_cast<char>('0' + t / 1000);
    tail[1] = static_cast<char>('0' + t / 100 % 10);
    tail[2] = static_cast<char>('0' + t / 10 % 10);
    tail[3] = static_cast<char>('0' + t % 10);
    tail[4] = 0;
    if (t) out += "\r\n";
    out += tail;
    out += '=';
    out += words[grade[t]];
    out += '=';
    out += intToText(price[t]);
  }
  return out;
}
