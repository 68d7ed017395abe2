#include "tools/cli/manual_page.h"

#include <cctype>
#include <cstdio>
#include <sstream>

namespace {

// The next code point of UTF-8 text, advancing `i`; U+FFFD for a broken sequence.
char32_t nextCodePoint(std::string_view s, size_t& i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char lead = byte(i++);
  if (lead < 0x80) return lead;
  const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : -1;
  if (extra < 0 || lead > 0xF4 || i + extra > s.size()) return U'\uFFFD';
  char32_t c = lead & (0x3F >> extra);
  for (int k = 0; k < extra; ++k) {
    if ((byte(i) & 0xC0) != 0x80) return U'\uFFFD';
    c = (c << 6) | (byte(i++) & 0x3F);
  }
  const char32_t least[] = {0, 0x80, 0x800, 0x10000};
  if (c < least[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return U'\uFFFD';
  return c;
}

std::string bold(std::string_view s) { return "\\fB" + roffText(s) + "\\fR"; }
std::string italic(std::string_view s) { return "\\fI" + roffText(s) + "\\fR"; }

// Paragraphs as CLI11 descriptions hold them: a blank line starts a new
// paragraph, a single line break stays a line break.
void writeParagraphs(std::ostream& out, const std::string& text) {
  std::istringstream lines(text);
  std::string line;
  bool pendingBreak = false, blank = false;
  while (std::getline(lines, line)) {
    if (line.empty()) {
      blank = true;
      continue;
    }
    if (blank) out << ".PP\n";
    else if (pendingBreak) out << ".br\n";
    out << roffText(line) << "\n";
    pendingBreak = true;
    blank = false;
  }
}

bool visible(const CLI::Option* o) { return !o->get_group().empty(); }

// The long name when there is one: "--port" rather than "-p".
std::string preferredName(const CLI::Option* o) {
  if (!o->get_lnames().empty()) return "--" + o->get_lnames().front();
  if (!o->get_snames().empty()) return "-" + o->get_snames().front();
  return o->get_name();
}

bool takesValue(const CLI::Option* o) { return o->get_expected_min() > 0 || o->get_positional(); }
bool repeats(const CLI::Option* o) { return o->get_items_expected_max() > 1; }

// "TEXT" of "TEXT" or "INT:INT in [1 - 65535]"; the rest is the constraint.
std::pair<std::string, std::string> valueName(const CLI::Option* o) {
  const std::string type = o->get_type_name();
  const size_t colon = type.find(':');
  if (colon == std::string::npos) return {type.empty() ? "VALUE" : type, ""};
  return {type.substr(0, colon), type.substr(colon + 1)};
}

// One item of a synopsis: "[--port INT]", "FILE", "[PATH]", "TAIL...".
std::string synopsisItem(const CLI::Option* o) {
  std::string item = o->get_positional() ? italic(o->get_name())
                                         : bold(preferredName(o));
  if (!o->get_positional() && takesValue(o)) item += " " + italic(valueName(o).first);
  if (repeats(o)) item += "...";
  return o->get_required() ? item : "[" + item + "]";
}

// The options and operands a user gives, the help flag aside (every command has it).
std::vector<const CLI::Option*> ownOptions(const CLI::App& app) {
  return app.get_options([&](const CLI::Option* o) {
    return visible(o) && o != app.get_help_ptr() && o != app.get_help_all_ptr();
  });
}

// "query" for a subcommand of the program, "hotfix list" one level down;
// with the program's name in front when `withProgram`.
std::string commandPath(const CLI::App& app, bool withProgram = true) {
  std::string path = app.get_name();
  for (const CLI::App* a = app.get_parent(); a != nullptr; a = a->get_parent())
    if (withProgram || a->get_parent() != nullptr) path = a->get_name() + " " + path;
  return path;
}

std::string synopsis(const CLI::App& app) {
  std::string line = bold(commandPath(app));
  for (const CLI::Option* o : ownOptions(app))
    if (!o->get_positional()) line += " " + synopsisItem(o);
  for (const CLI::Option* o : ownOptions(app))
    if (o->get_positional()) line += " " + synopsisItem(o);
  return line;
}

std::vector<const CLI::App*> visibleSubcommands(const CLI::App& app) {
  return app.get_subcommands([](const CLI::App* s) { return !s->get_group().empty() && !s->get_name().empty(); });
}

void writeOptionEntry(std::ostream& out, const CLI::Option* o) {
  out << ".TP\n";
  if (o->get_positional()) {
    out << italic(o->get_name());
  } else {
    std::string names;
    for (const std::string& s : o->get_snames()) names += (names.empty() ? "" : ", ") + bold("-" + s);
    for (const std::string& l : o->get_lnames()) names += (names.empty() ? "" : ", ") + bold("--" + l);
    out << names;
    if (takesValue(o)) out << " " << italic(valueName(o).first);
  }
  out << (repeats(o) ? "...\n" : "\n");

  std::string text = o->get_description();
  const auto add = [&](const std::string& note) { text += (text.empty() ? "" : "; ") + note; };
  if (const std::string constraint = valueName(o).second; takesValue(o) && !constraint.empty()) add(constraint);
  if (!o->get_default_str().empty()) add("default: " + o->get_default_str());
  if (!o->get_envname().empty()) add("environment: " + o->get_envname());
  if (o->get_positional() && repeats(o)) add("one or more");
  if (o->get_required()) add("required");
  writeParagraphs(out, text);
}

void writeCommands(std::ostream& out, const CLI::App& parent) {
  for (const CLI::App* sub : visibleSubcommands(parent)) {
    out << ".SS " << roffText(commandPath(*sub, false)) << "\n";
    out << synopsis(*sub) << "\n.PP\n";
    writeParagraphs(out, sub->get_description());
    for (const CLI::Option* o : ownOptions(*sub)) writeOptionEntry(out, o);
    writeCommands(out, *sub);
  }
}

void writeSynopsisLines(std::ostream& out, const CLI::App& app, bool& first) {
  for (const CLI::App* sub : visibleSubcommands(app)) {
    if (visibleSubcommands(*sub).empty() || !ownOptions(*sub).empty()) {
      out << (first ? "" : ".br\n") << synopsis(*sub) << "\n";
      first = false;
    }
    writeSynopsisLines(out, *sub, first);
  }
}

}  // namespace

std::string roffText(std::string_view utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    const char32_t c = nextCodePoint(utf8, i);
    if ((c == '.' || c == '\'') && out.empty()) out += "\\&";
    switch (c) {
      case '\\': out += "\\(rs"; break;
      case '-': out += "\\-"; break;
      case '\'': out += "\\(aq"; break;
      case '`': out += "\\(ga"; break;
      case '\t': out += ' '; break;
      default:
        if (c >= 0x20 && c < 0x7F) {
          out += static_cast<char>(c);
        } else if (c >= 0xA0) {
          char code[16];
          std::snprintf(code, sizeof code, "\\[u%04X]", static_cast<unsigned>(c));
          out += code;
        }  // other control characters have no place in a text line
    }
  }
  return out;
}

std::string manualPage(const CLI::App& cli, const ManualPageText& text) {
  std::ostringstream out;
  std::string upper = text.name;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  out << ".TH " << roffText(upper) << " 1 \"\" \"" << roffText(text.source) << "\" \"User Commands\"\n";
  out << ".\\\" Left-aligned and unhyphenated: the page is full of names and paths.\n.ad l\n.nh\n";
  out << ".SH NAME\n" << roffText(text.name) << " \\- " << roffText(text.summary) << "\n";

  out << ".SH SYNOPSIS\n";
  bool first = true;
  if (!ownOptions(cli).empty()) {
    out << synopsis(cli) << "\n";
    first = false;
  }
  writeSynopsisLines(out, cli, first);

  out << ".SH DESCRIPTION\n";
  writeParagraphs(out, cli.get_description());

  out << ".SH OPTIONS\n";
  for (const CLI::Option* o : cli.get_options(visible)) writeOptionEntry(out, o);
  out << ".PP\nEvery command also answers " << bold("-h") << ", " << bold("--help") << ".\n";

  if (!visibleSubcommands(cli).empty()) {
    out << ".SH COMMANDS\n";
    writeCommands(out, cli);
  }

  for (const ManualSection& section : text.sections) {
    out << ".SH " << roffText(section.title) << "\n";
    writeParagraphs(out, section.text);
    for (const ManualEntry& entry : section.entries) {
      out << ".TP\n" << bold(entry.tag) << "\n";
      writeParagraphs(out, entry.text);
    }
  }
  return out.str();
}
