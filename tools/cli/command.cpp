#include "tools/cli/command.h"

#include <iostream>

std::vector<Command>& commandRegistry() {
  static std::vector<Command> commands;
  return commands;
}

const Command* findCommand(const std::string& name) {
  for (const Command& c : commandRegistry())
    if (c.name == name) return &c;
  return nullptr;
}

int usageError(const Command& command, const std::string& message) {
  std::cerr << "kestrune-cli: " << message << "\nusage: kestrune-cli " << command.usage << "\n";
  return 2;
}
