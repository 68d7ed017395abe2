#include "tools/cli/command.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "kestrune/version.h"
#include "platform/system/console_text.h"

std::vector<RegisteredCommand>& commandRegistry() {
  static std::vector<RegisteredCommand> definitions;
  return definitions;
}

int commandFailure(const std::string& name, const std::string& message) {
  std::cerr << "kestrune-cli: " << name << ": " << message << "\n";
  return 1;
}

bool readInput(const std::string& file, std::string& out) {
  if (file == "-") {
    out.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    return !std::cin.bad();
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  out = buffer.str();
  return !in.bad();
}

namespace {

constexpr int UsageErrorExit = 2;

std::string usageFailure(const CLI::App* app, const CLI::Error& error) {
  std::string where = "kestrune-cli";
  for (const CLI::App* sub : app->get_subcommands())
    if (sub->parsed()) where += " " + sub->get_name();
  return "kestrune-cli: " + std::string(error.what()) + "\nRun '" + where +
         " --help' for more information.\n";
}

}  // namespace

int runCommandLine(int argc, const char* const* argv) {
  useBinaryConsoleOutput();  // bodies and the table go out byte for byte
  CLI::App cli{std::string("The program's evaluations and building blocks on the command line, for "
                           "operators and scripts. Arguments and output are ") +
                   ConsoleTextName +
                   ".\n\n"
                   "Exit codes: 0 success, 1 the operation failed, 2 usage error.",
               "kestrune-cli"};
  cli.set_version_flag("--version", ProgramVersion, "print the program version and exit");
  cli.require_subcommand(1);
  cli.failure_message(usageFailure);

  const RegisteredCommand* named = nullptr;
  for (const RegisteredCommand& registered : commandRegistry())
    if (argc > 1 && registered.name == argv[1] && !registered.needsTheOthers) named = &registered;
  std::vector<Command> commands;
  for (const RegisteredCommand& registered : commandRegistry())
    if (!named || &registered == named) commands.push_back(registered.define(cli));

  try {
    cli.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int code = cli.exit(error);
    return code == 0 ? 0 : UsageErrorExit;
  }
  for (const Command& command : commands)
    if (command.app->parsed()) return command.run();
  return UsageErrorExit;  // unreachable: one subcommand is required
}
