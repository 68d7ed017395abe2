// kestrune-cli json [--json] FILE [PATH]: reads a JSON document the way the
// version notice does (UTF-8 converted to local text, then parse) and prints
// the value at PATH (the root when absent or empty) as getText gives it.
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "net/wide_text.h"
#include "platform/text/gbk.h"
#include "script/json_document.h"
#include "tools/cli/command.h"

namespace {

int runJsonCommand(const std::vector<std::string>& args);

const CommandRegistration registration({
    "json",
    "json [--json] FILE [PATH]",
    "parse FILE (UTF-8; '-' for standard input) as the version notice does and print the "
    "value at PATH (default: the root) as text, or as JSON with --json",
    runJsonCommand,
});

bool readAll(const std::string& file, std::string& out) {
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

int runJsonCommand(const std::vector<std::string>& args) {
  const Command& self = *findCommand("json");
  bool asJson = false;
  std::vector<std::string> operands;
  for (const std::string& a : args) {
    if (a == "--json") asJson = true;
    else if (a.size() > 1 && a[0] == '-' && operands.empty()) return usageError(self, "unknown option '" + a + "'");
    else operands.push_back(a);
  }
  if (operands.empty()) return usageError(self, "no FILE given");
  if (operands.size() > 2) return usageError(self, "too many arguments");

  std::string utf8;
  if (!readAll(operands[0], utf8)) {
    std::cerr << "kestrune-cli: json: cannot read '" << operands[0] << "'\n";
    return 1;
  }
  const Text local = fromWideText(toWideText(utf8, 65001), DefaultCodePage);
  const Text path = operands.size() > 1 ? utf8ToGbk(operands[1]) : Text();

  JsonDocument doc;
  ScriptError error;
  if (!doc.parse(local, false, &error)) {
    const std::string why = gbkToUtf8(error.Description);
    std::cerr << "kestrune-cli: json: " << (why.empty() ? "the document holds no value" : why) << "\n";
    return 1;
  }
  std::cout << gbkToUtf8(doc.getText(path, asJson)) << "\n";
  return 0;
}

}  // namespace
