// The text of a private-profile (INI) file, read and edited with Windows
// rules while every byte that an edit does not touch stays as it was.
//
// Lines end in CR LF, LF or a lone CR; lines written here end in CR LF.
// A line whose first non-blank byte is "[" starts a section named by the text
// up to "]" (or the end of the line); ";" starts a comment; a line with "="
// inside a section is an entry "key=value". Blanks (space, tab, CR)
// around names and values are not part of them. Names match without case for
// ASCII letters; two-byte GBK characters always match exactly. Lines before
// the first section, and lines without "=", belong to no entry: they are kept
// but never read. A UTF-8 byte-order mark at the start is kept and skipped.
// When a name occurs twice, the first occurrence counts.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text/text.h"

// ASCII letters compare without case, two-byte characters as they are.
bool profileNamesEqual(std::string_view a, std::string_view b);

// False for names and values that could not be read back as written:
// section names holding "]" or ending in a lone GBK lead byte (which would
// join the "]" written after it into one character), keys that are empty or
// hold "=" or begin with "[" or ";", and any of them holding a line break.
// Whatever they accept, written into any document with setValue, reads back
// through value() as valueAsRead gives it (the INI fuzz target checks this).
bool isWritableSectionName(std::string_view section);
bool isWritableKeyName(std::string_view key);
bool isWritableValue(std::string_view value);

// What a read gives for an entry written with `value`: blanks trimmed and
// one pair of enclosing quotes (" or ') removed.
Text valueAsRead(std::string_view value);

class IniDocument {
 public:
  explicit IniDocument(std::string bytes = {});

  const std::string& bytes() const { return bytes_; }

  // Section names in file order, each once.
  std::vector<Text> sectionNames() const;
  // Keys of the section in file order, each once; nullopt without the section.
  std::optional<std::vector<Text>> keyNames(std::string_view section) const;
  // The value with blanks trimmed and one pair of enclosing quotes (" or ')
  // removed; nullopt when the section or the key is missing.
  std::optional<Text> value(std::string_view section, std::string_view key) const;

  // Replaces the value of an existing entry in place (keeping the key as
  // written and the line's ending), else adds "key=value" after the last
  // non-blank line of the section, else appends the section at the end.
  // Names and value are taken without surrounding blanks.
  void setValue(std::string_view section, std::string_view key, std::string_view value);
  // Removes every entry of the key in the section.
  void removeKey(std::string_view section, std::string_view key);
  // Removes every section of that name with all its lines.
  void removeSection(std::string_view section);

 private:
  enum class Kind { Blank, Comment, Section, Entry, Other };
  struct Line {
    std::size_t begin = 0;  // first byte of the line
    std::size_t next = 0;   // first byte after the line's ending
    Kind kind = Kind::Other;
    // Byte offsets, not views, so that copies and moves read their own bytes.
    std::size_t nameBegin = 0;    // section name or key (trimmed)
    std::size_t nameSize = 0;
    std::size_t valueBegin = 0;   // entry value (trimmed)
    std::size_t valueEnd = 0;
  };
  std::string_view nameOf(const Line& line) const {
    return std::string_view(bytes_).substr(line.nameBegin, line.nameSize);
  }
  // [first, end) lines of a section body, after its header line.
  struct Range {
    std::size_t header = 0, first = 0, end = 0;
  };

  void parse();
  std::optional<Range> findSection(std::string_view section) const;
  std::vector<Range> sectionRanges() const;
  void replaceBytes(std::size_t begin, std::size_t end, std::string_view with);
  // Makes sure the text before `at` ends with a line ending.
  std::size_t ensureLineEndBefore(std::size_t at);

  std::string bytes_;
  std::vector<Line> lines_;
};
