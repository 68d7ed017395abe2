// kestrune-cli notice [URL]: the program's version-notice check without the
// window: the same request and reading, then whether the program would start.
// With --print-address it only prints the address the program would ask.
#include <iostream>
#include <memory>

#include "app/program_state.h"
#include "app/version_notice.h"
#include "platform/com/class_registry.h"
#include "platform/components/components.h"
#include "platform/system/console_text.h"
#include "script/json_document.h"
#include "tools/cli/command.h"

namespace {

struct NoticeOptions {
  std::string address;
  bool printAddress = false;
};

int runNotice(const NoticeOptions& options) {
  const Text address = options.address.empty() ? noticeAddress() : fromConsoleText(options.address);
  if (options.printAddress) {
    std::cout << toConsoleText(address) << "\n";
    return 0;
  }
  initProgramState();
  registerComponentFactories();
  bool starts = false;
  Text status;
  {
    JsonDocument document;
    starts = readVersionNotice(document, address, &status);
  }
  std::cout << "address\t" << toConsoleText(address) << "\nstatus\t" << toConsoleText(status)
            << "\nversion\t" << toConsoleText(NoticeVersion)
            << "\nC\t" << toConsoleText(NoticeC) << "\nW\t" << toConsoleText(NoticeW) << "\n";
  if (starts) {
    std::cout << "the program starts\n";
    return 0;
  }
  std::cout << "the program shows the update message and ends\n";
  return commandFailure("notice", "the published version '" + toConsoleText(NoticeVersion) +
                                      "' is not " + toConsoleText(AppVersion));
}

Command defineNotice(CLI::App& cli) {
  auto options = std::make_shared<NoticeOptions>();
  CLI::App* sub = cli.add_subcommand(
      "notice",
      "fetch and read the version notice as the program does at start; prints the published "
      "version, C and W, and whether the program would start (exit 0) or end (exit 1)");
  sub->add_option("URL", options->address,
                  "the notice address (default: KESTRUNE_NOTICE_URL, else the built-in address)");
  sub->add_flag("--print-address", options->printAddress,
                "print the address that would be asked and ask nothing");
  return {sub, [options] { return runNotice(*options); }};
}

const CommandRegistration registration("notice", defineNotice);

}  // namespace
