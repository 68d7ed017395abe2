// kestrune-cli: the program's evaluations and building blocks on the command
// line, for operators and scripts. Arguments and output are UTF-8.
#include <algorithm>
#include <iostream>

#include "tools/cli/command.h"

namespace {

void printHelp(std::ostream& out) {
  auto commands = commandRegistry();
  std::sort(commands.begin(), commands.end(),
            [](const Command& a, const Command& b) { return a.name < b.name; });
  out << "usage: kestrune-cli COMMAND [ARGS...]\n\ncommands:\n";
  for (const Command& c : commands)
    out << "  kestrune-cli " << c.usage << "\n      " << c.summary << "\n";
  out << "\nExit codes: 0 success, 1 the operation failed, 2 usage error.\n";
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    printHelp(std::cerr);
    return 2;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    printHelp(std::cout);
    return 0;
  }
  const Command* command = findCommand(args[0]);
  if (!command) {
    std::cerr << "kestrune-cli: unknown command '" << args[0] << "'\n";
    printHelp(std::cerr);
    return 2;
  }
  args.erase(args.begin());
  return command->run(args);
}
