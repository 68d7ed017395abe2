// kestrune-cli regex [--case-sensitive] [--no-multiline] [--no-global] PATTERN SUBJECT:
// runs RegexMatcher::search and prints the matches with their sub-matches.
#include <iostream>

#include "platform/text/gbk.h"
#include "script/regex_matcher.h"
#include "tools/cli/command.h"

namespace {

int runRegexCommand(const std::vector<std::string>& args);

const CommandRegistration registration({
    "regex",
    "regex [--case-sensitive] [--no-multiline] [--no-global] PATTERN SUBJECT",
    "search SUBJECT for PATTERN with the program's regular-expression object; prints "
    "\"count N\", then \"match I POS TEXT\" per match and \"  sub J POS TEXT\" per sub-match "
    "(1-based indices, POS the byte offset in the GBK subject)",
    runRegexCommand,
});

int runRegexCommand(const std::vector<std::string>& args) {
  const Command& self = *findCommand("regex");
  bool caseSensitive = false, multiline = true, global = true, optionsDone = false;
  std::vector<std::string> operands;
  for (const std::string& a : args) {
    if (!optionsDone && a == "--") optionsDone = true;
    else if (!optionsDone && a == "--case-sensitive") caseSensitive = true;
    else if (!optionsDone && a == "--no-multiline") multiline = false;
    else if (!optionsDone && a == "--no-global") global = false;
    else if (!optionsDone && a.size() > 2 && a.compare(0, 2, "--") == 0)
      return usageError(self, "unknown option '" + a + "'");
    else operands.push_back(a);
  }
  if (operands.size() != 2) return usageError(self, "expected PATTERN and SUBJECT");

  RegexMatcher matcher;
  if (!matcher.search(utf8ToGbk(operands[0]), utf8ToGbk(operands[1]), caseSensitive, multiline,
                      global)) {
    std::cout << "search failed\n";
    return 1;
  }
  int32_t count = matcher.matchCount();
  int32_t subCount = count > 0 ? matcher.subMatchCount() : 0;
  std::cout << "count " << count << '\n';
  for (int32_t i = 1; i <= count; ++i) {
    int32_t pos = 0;
    Text text = matcher.matchText(i, &pos);
    std::cout << "match " << i << ' ' << pos << ' ' << gbkToUtf8(text) << '\n';
    for (int32_t j = 1; j <= subCount; ++j) {
      Text sub = matcher.subMatchText(i, j, &pos);
      std::cout << "  sub " << j << ' ' << pos << ' ' << gbkToUtf8(sub) << '\n';
    }
  }
  return 0;
}

}  // namespace
