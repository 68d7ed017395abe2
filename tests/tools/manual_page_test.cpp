// The manual page written from CLI11 definitions: roff escapes, and a page
// that lists what the definitions hold and nothing they hide.
#include <gtest/gtest.h>

#include "tools/cli/manual_page.h"

namespace {

TEST(RoffText, EscapesWhatManWouldRenderOtherwise) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"plain words", "plain words"},
      {"--json", "\\-\\-json"},
      {"C:\\Windows\\Kestrune.ini", "C:\\(rsWindows\\(rsKestrune.ini"},
      {".starts with a dot", "\\&.starts with a dot"},
      {"'quoted' and `ticks`", "\\&\\(aqquoted\\(aq and \\(gaticks\\(ga"},
      {"a.b", "a.b"},
      {"tab\there", "tab here"},
      {"bell\a gone", "bell gone"},
      {"极品 ￥", "\\[u6781]\\[u54C1] \\[uFFE5]"},
      {"\xF0\x9F\x98\x80", "\\[u1F600]"},
      {"broken \xE6\x9E end", "broken \\[uFFFD] end"},
      {"overlong \xC0\xAF", "overlong \\[uFFFD]\\[uFFFD]"},
  };
  for (const auto& c : cases) EXPECT_EQ(roffText(c.in), c.out) << c.in;
}

struct SampleProgram {
  CLI::App cli{"Does things.\n\nSecond paragraph.", "tool"};
  std::string text, hidden;
  int port = 47443;
  bool quiet = false, all = false;
  std::vector<std::string> items;

  SampleProgram() {
    cli.set_version_flag("--version", "1.0", "print the version");
    CLI::App* fetch = cli.add_subcommand("fetch", "fetch ITEMs");
    fetch->add_option("-p,--port", port, "the port")->capture_default_str()->check(CLI::Range(1, 65535));
    fetch->add_flag("--quiet", quiet, "say nothing");
    fetch->add_option("--secret", hidden, "not for users")->group("");
    fetch->add_option("ITEM", items, "what to fetch")->required();
    fetch->add_option("OUT", text, "where to put it");
    CLI::App* tools = cli.add_subcommand("tools", "tool commands");
    tools->add_subcommand("list", "list the tools")->add_flag("--all", all, "every tool");
    cli.add_subcommand("internal", "a build step")->group("");
  }
};

TEST(ManualPage, ListsEveryVisibleCommandOptionAndOperand) {
  SampleProgram program;
  const std::string page = manualPage(
      program.cli, {"tool", "does things", "Tool 1.0", {{"EXIT STATUS", "", {{"0", "success"}}}}});

  for (const char* expected : {
           ".TH TOOL 1 \"\" \"Tool 1.0\" \"User Commands\"\n",
           ".SH NAME\ntool \\- does things\n",
           "\\fBtool\\fR [\\fB\\-\\-version\\fR]\n",
           // Options first, then operands; the help flag is taken as read.
           "\\fBtool fetch\\fR [\\fB\\-\\-port\\fR \\fIINT\\fR] [\\fB\\-\\-quiet\\fR] "
           "\\fIITEM\\fR... [\\fIOUT\\fR]\n",
           "\\fBtool tools list\\fR [\\fB\\-\\-all\\fR]\n",
           ".SH DESCRIPTION\nDoes things.\n.PP\nSecond paragraph.\n",
           ".SS fetch\n",
           ".TP\n\\fB\\-p\\fR, \\fB\\-\\-port\\fR \\fIINT\\fR\n"
           "the port; INT in [1 \\- 65535]; default: 47443\n",
           ".TP\n\\fIITEM\\fR...\nwhat to fetch; one or more; required\n",
           ".TP\n\\fIOUT\\fR\nwhere to put it\n",
           ".SS tools list\n",
           ".SH EXIT STATUS\n.TP\n\\fB0\\fR\nsuccess\n",
       })
    EXPECT_NE(page.find(expected), std::string::npos) << expected << "\nin\n" << page;

  // A group with no own options gets no synopsis line of its own; hidden
  // entries appear nowhere; no blank line, which man would print as such.
  const std::string synopsis = page.substr(0, page.find(".SH DESCRIPTION"));
  EXPECT_EQ(synopsis.find("\\fBtool tools\\fR\n"), std::string::npos) << synopsis;
  for (const char* absent : {"secret", "internal", "build step", "\n\n"})
    EXPECT_EQ(page.find(absent), std::string::npos) << absent << "\nin\n" << page;
}

}  // namespace
