// kestrune-cli table: the built-in table text, byte for byte (GBK).
#include <cstdio>

#include "eval/tail_table.h"
#include "tools/cli/command.h"

namespace {

int runTableCommand(const std::vector<std::string>& args) {
  if (!args.empty()) return usageError(*findCommand("table"), "table takes no arguments");
  std::fwrite(TAIL_TABLE_TEXT, 1, TAIL_TABLE_SIZE, stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

const CommandRegistration registration({
    "table",
    "table",
    "write the built-in tail-number table (GBK, CR LF) to standard output",
    runTableCommand,
});

}  // namespace
