// kestrune-cli query [--random] TAIL...: the captions the window shows after
// typing each TAIL and pressing Enter, one line per TAIL.
#include <iostream>
#include <memory>

#include "eval/evaluation.h"
#include "platform/system/console_text.h"
#include "platform/system/tick_count.h"
#include "tools/cli/command.h"

namespace {

struct QueryOptions {
  bool random = false;
  std::vector<std::string> tails;
};

int runQuery(const QueryOptions& options) {
  if (!options.random) loadTailTable();
  Text advice;  // the advice caption keeps its text when a grade is not known
  for (const std::string& tail : options.tails) {
    Text price, grade;
    if (options.random) {
      int32_t value = drawRandomPrice(GetTickCount());
      price = priceText(value);
      grade = gradeForPrice(value);
    } else {
      TailRow best = lookupTail(TailTable, fromConsoleText(tail));
      price = priceText(best.price);
      grade = best.grade;
    }
    if (auto a = adviceForGrade(grade)) advice = *a;
    std::cout << toConsoleText(price) << '\t' << toConsoleText(grade) << '\t' << toConsoleText(advice) << '\n';
  }
  return 0;
}

Command defineQuery(CLI::App& cli) {
  auto options = std::make_shared<QueryOptions>();
  CLI::App* sub = cli.add_subcommand(
      "query",
      "evaluate each TAIL as the window does on Enter; prints price, grade and advice "
      "captions separated by TABs");
  sub->add_flag("--random", options->random, "the random evaluation instead of the table");
  sub->add_option("TAIL", options->tails, "tail numbers to evaluate")->required();
  return {sub, [options] { return runQuery(*options); }};
}

const CommandRegistration registration("query", defineQuery);

}  // namespace
