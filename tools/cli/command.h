// Subcommands of kestrune-cli. Each source file defines one: a function that
// adds the subcommand, its options and operands to the CLI11 application and
// returns the action to run when that subcommand is chosen. A static
// CommandRegistration puts the function in the registry under the
// subcommand's name: a command line that names a subcommand defines that one
// alone (a start costs nothing for the others), any other (help, an unknown
// name) defines them all.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <string>
#include <vector>

struct Command {
  CLI::App* app;             // the subcommand, owned by the application
  std::function<int()> run;  // its action; the result is the exit code
};

using CommandDefinition = Command (*)(CLI::App& cli);

struct RegisteredCommand {
  std::string name;
  CommandDefinition define;
  bool needsTheOthers;  // it reads the other definitions (the manual page)
};

std::vector<RegisteredCommand>& commandRegistry();

struct CommandRegistration {
  CommandRegistration(std::string name, CommandDefinition define, bool needsTheOthers = false) {
    commandRegistry().push_back({std::move(name), define, needsTheOthers});
  }
};

// Prints "kestrune-cli: NAME: message" on stderr and returns 1, the exit code
// of a failed operation.
int commandFailure(const std::string& name, const std::string& message);

// Reads all bytes of `file`, or of standard input for "-"; false when it cannot.
bool readInput(const std::string& file, std::string& out);

// The whole command line: parses, runs the chosen subcommand and returns the
// exit code (0 success, 1 the operation failed, 2 usage error).
int runCommandLine(int argc, const char* const* argv);
