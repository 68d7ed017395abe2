// kestrune-cli json [--json] FILE [PATH]: reads a JSON document the way the
// version notice does (UTF-8 converted to local text, then parse) and prints
// the value at PATH (the root when absent or empty) as getText gives it.
// A value that is not there, or that the engine cannot turn into text or
// JSON (a cycle, nesting beyond its limits), fails the command (exit 1)
// with the reason on stderr, never an empty line.
#include <iostream>
#include <memory>

#include "net/wide_text.h"
#include "platform/system/console_text.h"
#include "script/com_object.h"
#include "script/json_document.h"
#include "tools/cli/command.h"

namespace {

struct JsonOptions {
  bool asJson = false;
  std::string file;
  std::string path;
};

int runJson(const JsonOptions& options) {
  std::string utf8;
  if (!readInput(options.file, utf8)) return commandFailure("json", "cannot read '" + options.file + "'");
  const Text local = fromWideText(toWideText(utf8, 65001), DefaultCodePage);

  JsonDocument doc;
  ScriptError error;
  if (!doc.parse(local, false, &error)) {
    const std::string why = toConsoleText(error.Description);
    return commandFailure("json", why.empty() ? "the document holds no value" : why);
  }
  const Text path = fromConsoleText(options.path);
  const Text value = doc.getText(path, options.asJson);
  if (LastInvokeError != 0) {
    const std::string where = options.path.empty() ? "the document" : "the value at '" + options.path + "'";
    if (!doc.exists(path)) return commandFailure("json", "no value at '" + options.path + "'");
    const std::string why = toConsoleText(doc.getEngine().getPropertyObject("Error").getPropertyText("Description"));
    return commandFailure("json", where + " cannot be written as " + (options.asJson ? "JSON" : "text") +
                                      (why.empty() ? "" : ": " + why));
  }
  std::cout << toConsoleText(value) << "\n";
  return 0;
}

Command defineJson(CLI::App& cli) {
  auto options = std::make_shared<JsonOptions>();
  CLI::App* sub = cli.add_subcommand(
      "json",
      "parse FILE (UTF-8; '-' for standard input) as the version notice does and print the "
      "value at PATH (default: the root) as text, or as JSON with --json");
  sub->add_flag("--json", options->asJson, "print the value as JSON");
  sub->add_option("FILE", options->file, "the document; '-' reads standard input")->required();
  sub->add_option("PATH", options->path, "dotted path of the value, e.g. data.V");
  return {sub, [options] { return runJson(*options); }};
}

const CommandRegistration registration("json", defineJson);

}  // namespace
