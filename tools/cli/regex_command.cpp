// kestrune-cli regex [--case-sensitive] [--no-multiline] [--no-global] PATTERN SUBJECT:
// runs RegexMatcher::search and prints the matches with their sub-matches.
#include <iostream>
#include <memory>

#include "platform/text/gbk.h"
#include "script/regex_matcher.h"
#include "tools/cli/command.h"

namespace {

struct RegexOptions {
  bool caseSensitive = false;
  bool noMultiline = false;
  bool noGlobal = false;
  std::string pattern;
  std::string subject;
};

int runRegex(const RegexOptions& options) {
  RegexMatcher matcher;
  if (!matcher.search(utf8ToGbk(options.pattern), utf8ToGbk(options.subject), options.caseSensitive,
                      !options.noMultiline, !options.noGlobal)) {
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

Command defineRegex(CLI::App& cli) {
  auto options = std::make_shared<RegexOptions>();
  CLI::App* sub = cli.add_subcommand(
      "regex",
      "search SUBJECT for PATTERN with the program's regular-expression object; prints "
      "\"count N\", then \"match I POS TEXT\" per match and \"  sub J POS TEXT\" per sub-match "
      "(1-based indices, POS the byte offset in the GBK subject)");
  sub->add_flag("--case-sensitive", options->caseSensitive, "letters must match in case");
  sub->add_flag("--no-multiline", options->noMultiline, "^ and $ match only at the ends of SUBJECT");
  sub->add_flag("--no-global", options->noGlobal, "stop after the first match");
  sub->add_option("PATTERN", options->pattern, "the regular expression")->required();
  sub->add_option("SUBJECT", options->subject, "the text to search")->required();
  return {sub, [options] { return runRegex(*options); }};
}

const CommandRegistration registration(defineRegex);

}  // namespace
