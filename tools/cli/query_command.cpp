// kestrune-cli query [--random] TAIL...: the captions the window shows after
// typing each TAIL and pressing Enter, one line per TAIL.
#include <iostream>

#include "eval/evaluation.h"
#include "platform/system/tick_count.h"
#include "platform/text/gbk.h"
#include "tools/cli/command.h"

namespace {

int runQueryCommand(const std::vector<std::string>& args);

const CommandRegistration registration({
    "query",
    "query [--random] TAIL...",
    "evaluate each TAIL as the window does on Enter; prints price, grade and advice "
    "captions separated by TABs (--random: the random evaluation)",
    runQueryCommand,
});

int runQueryCommand(const std::vector<std::string>& args) {
  const Command& self = *findCommand("query");
  bool random = false;
  std::vector<std::string> tails;
  for (const std::string& a : args) {
    if (a == "--random") random = true;
    else if (a.size() > 1 && a[0] == '-' && a.find_first_not_of("0123456789", 1) != std::string::npos)
      return usageError(self, "unknown option '" + a + "'");
    else tails.push_back(a);
  }
  if (tails.empty()) return usageError(self, "no TAIL given");

  if (!random) loadTailTable();
  Text advice;  // the advice caption keeps its text when a grade is not known
  for (const std::string& tail : tails) {
    Text price, grade;
    if (random) {
      int32_t value = drawRandomPrice(GetTickCount());
      price = priceText(value);
      grade = gradeForPrice(value);
    } else {
      TailRow best = lookupTail(TailTable, utf8ToGbk(tail));
      price = priceText(best.price);
      grade = best.grade;
    }
    if (auto a = adviceForGrade(grade)) advice = *a;
    std::cout << gbkToUtf8(price) << '\t' << gbkToUtf8(grade) << '\t' << gbkToUtf8(advice) << '\n';
  }
  return 0;
}

}  // namespace
