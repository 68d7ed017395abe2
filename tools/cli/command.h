// Subcommands of kestrune-cli. Each source file defines one and registers it
// with a static CommandRegistration.
#pragma once

#include <string>
#include <vector>

struct Command {
  std::string name;
  std::string usage;    // one line, after "kestrune-cli "
  std::string summary;  // what it does, for --help
  int (*run)(const std::vector<std::string>& args);  // args after the name
};

std::vector<Command>& commandRegistry();

struct CommandRegistration {
  explicit CommandRegistration(Command command) { commandRegistry().push_back(std::move(command)); }
};

// Prints "kestrune-cli: message" and the command's usage on stderr; returns 2.
int usageError(const Command& command, const std::string& message);
const Command* findCommand(const std::string& name);
