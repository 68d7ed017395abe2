// kestrune-cli json [--json] FILE [PATH]: reads a JSON document the way the
// version notice does (UTF-8 converted to local text, then parse) and prints
// the value at PATH (the root when absent or empty) as getText gives it.
#include <iostream>
#include <memory>

#include "net/wide_text.h"
#include "platform/text/gbk.h"
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
    const std::string why = gbkToUtf8(error.Description);
    return commandFailure("json", why.empty() ? "the document holds no value" : why);
  }
  std::cout << gbkToUtf8(doc.getText(utf8ToGbk(options.path), options.asJson)) << "\n";
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

const CommandRegistration registration(defineJson);

}  // namespace
