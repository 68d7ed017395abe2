// kestrune-cli table: the built-in table text, byte for byte (GBK).
#include <cstdio>

#include "eval/tail_table.h"
#include "tools/cli/command.h"

namespace {

int runTable() {
  std::fwrite(TAIL_TABLE_TEXT, 1, TAIL_TABLE_SIZE, stdout);
  if (std::fflush(stdout) != 0) return commandFailure("table", "cannot write the table");
  return 0;
}

Command defineTable(CLI::App& cli) {
  CLI::App* sub =
      cli.add_subcommand("table", "write the built-in tail-number table (GBK, CR LF) to standard output");
  return {sub, runTable};
}

const CommandRegistration registration("table", defineTable);

}  // namespace
