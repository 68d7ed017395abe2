// kestrune-cli hotfix [ID]: the installed hot-fixes that queryHotFixes finds,
// all of them or those with the identifier ID; one identifier a line, the
// count on stderr.
#include <iostream>
#include <memory>

#include "net/hot_fix_query.h"
#include "platform/com/class_registry.h"
#include "platform/components/components.h"
#include "platform/system/console_text.h"
#include "tools/cli/command.h"

namespace {

struct HotFixOptions {
  std::string id;
  CLI::Option* idOption = nullptr;
};

int runHotFix(const HotFixOptions& options) {
  registerComponentFactories();
  // queryHotFixes expects COM to be initialised on the calling thread.
  CoInitialize(nullptr);
  HotFixList list;
  const bool filtered = options.idOption->count() > 0;
  const int32_t count = queryHotFixes(list, filtered ? fromConsoleText(options.id) : Text(), filtered);
  CoUninitialize();
  for (const Text& id : list) std::cout << toConsoleText(id) << '\n';
  std::cerr << count << (count == 1 ? " hot-fix" : " hot-fixes") << '\n';
  return 0;
}

Command defineHotFix(CLI::App& cli) {
  auto options = std::make_shared<HotFixOptions>();
  CLI::App* sub = cli.add_subcommand(
      "hotfix",
      "list the installed operating-system hot-fixes as WMI reports them, one identifier a "
      "line; the count goes to stderr (on Linux the WMI stand-in reads the list "
      "C:\\Windows\\Kestrune\\hotfixes.txt under the prefix)");
  options->idOption =
      sub->add_option("ID", options->id, "only hot-fixes with this identifier, e.g. KB3140245");
  return {sub, [options] { return runHotFix(*options); }};
}

const CommandRegistration registration("hotfix", defineHotFix);

}  // namespace
