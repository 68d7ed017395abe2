// kestrune-cli manual-page: writes the manual page kestrune-cli(1) in roff
// to standard output, from the same definitions the command line parses.
// The build installs its output; the command is hidden from --help.
#include <iostream>

#include "kestrune/version.h"
#include "tools/cli/command.h"
#include "tools/cli/manual_page.h"

namespace {

ManualPageText pageText() {
  return {
      "kestrune-cli",
      "evaluate tail numbers and use Kestrune's building blocks from the shell",
      std::string("Kestrune ") + ProgramVersion,
      {
          {"EXIT STATUS",
           "",
           {{"0", "success"},
            {"1", "the operation failed; the reason is on standard error after "
                  "\"kestrune-cli: COMMAND:\""},
            {"2", "usage error: an unknown command or option, a missing or surplus operand, a "
                  "value that does not fit; the message and a hint to --help are on standard "
                  "error"}}},
          {"FILES",
           "The program keeps its files on a Windows drive under a per-user prefix: the "
           "Windows path C:\\X\\Y is $KESTRUNE_PREFIX/drive_c/X/Y, by default "
           "~/.kestrune/drive_c/X/Y.",
           {{"$KESTRUNE_PREFIX/drive_c/Windows/Kestrune.ini",
             "C:\\Windows\\Kestrune.ini, the program's only settings file: the six colours of "
             "the window and whether to remember them (GBK text, one section per key)."},
            {"$KESTRUNE_PREFIX/drive_c/Windows/Kestrune/hotfixes.txt",
             "C:\\Windows\\Kestrune\\hotfixes.txt, the installed operating-system hot-fixes "
             "that the hot-fix query reports: one identifier a line (such as KB3140245), "
             "optionally followed by a tab and a description; blank lines and lines starting "
             "with # are skipped. No file means no hot-fixes."}}},
          {"ENVIRONMENT",
           "",
           {{"KESTRUNE_PREFIX",
             "the folder that holds the Windows drive (drive_c); when unset or empty, "
             "~/.kestrune"},
            {"KESTRUNE_NOTICE_URL",
             "the whole address of the version notice, such as "
             "https://127.0.0.1:47443/Admins/ksxt.json, in place of the built-in one; for "
             "testing and staging"}}},
          {"SEE ALSO", "kestrune(1)", {}},
      },
  };
}

Command defineManualPage(CLI::App& cli) {
  CLI::App* sub = cli.add_subcommand("manual-page", "write the manual page in roff to standard output");
  sub->group("");  // a build step, not an operator's command
  const CLI::App* program = &cli;
  return {sub, [program] {
            std::cout << manualPage(*program, pageText());
            return std::cout.flush() ? 0 : commandFailure("manual-page", "cannot write the page");
          }};
}

const CommandRegistration registration("manual-page", defineManualPage, true);

}  // namespace
