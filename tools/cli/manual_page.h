// A manual page (roff, man macros) written from a CLI11 command line: the
// synopsis, options and operands of the program and of every visible
// subcommand come from their definitions, so the page says what the program
// parses. Sections that no definition holds (exit status, files,
// environment) are given as text. Subcommands and options whose group is
// empty are hidden, as in --help.
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <string_view>
#include <vector>

struct ManualEntry {
  std::string tag;   // set in bold: a value, a path, a variable
  std::string text;  // what it means
};

struct ManualSection {
  std::string title;  // upper case by convention: "EXIT STATUS"
  std::string text;   // paragraphs before the entries; may be empty
  std::vector<ManualEntry> entries;
};

struct ManualPageText {
  std::string name;     // "kestrune-cli"
  std::string summary;  // the NAME line after the dash
  std::string source;   // the footer: "Kestrune 25.14"
  std::vector<ManualSection> sections;  // after the commands, in this order
};

std::string manualPage(const CLI::App& cli, const ManualPageText& text);

// UTF-8 text as a roff text line: backslashes, dashes and quotes that man
// would render otherwise are escaped, other characters beyond ASCII become
// \[uXXXX], a leading control character is neutralised. Line breaks are the
// caller's business.
std::string roffText(std::string_view utf8);
