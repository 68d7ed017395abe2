#include "platform/profile/ini_document.h"

#include <algorithm>

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view LineEnd = "\r\n";

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Position of the single-byte character c, stepping over two-byte characters
// (whose second byte may equal "]" or "\"), or npos.
std::size_t findByte(std::string_view s, char c) {
  for (std::size_t i = 0; i < s.size(); i += gbkCharSize(s, i))
    if (s[i] == c) return i;
  return std::string_view::npos;
}

char foldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool hasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// True when s ends in a lead byte that is no part of a two-byte character: it
// would take the byte written after it ("]") as its second byte.
bool endsInLoneLeadByte(std::string_view s) {
  std::size_t last = 0;
  for (std::size_t i = 0; i < s.size(); i += gbkCharSize(s, i)) last = i;
  if (s.empty() || gbkCharSize(s, last) == 2) return false;
  const auto byte = static_cast<unsigned char>(s[last]);
  return byte >= 0x81 && byte <= 0xFE;
}

}  // namespace

bool profileNamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size();) {
    const std::size_t size = gbkCharSize(a, i);
    if (size == 2 ? a.compare(i, 2, b.substr(i, 2)) != 0 : foldAscii(a[i]) != foldAscii(b[i]))
      return false;
    i += size;
  }
  return true;
}

bool isWritableSectionName(std::string_view section) {
  section = trim(section);
  return !hasLineBreak(section) && findByte(section, ']') == std::string_view::npos &&
         !endsInLoneLeadByte(section);
}

bool isWritableKeyName(std::string_view key) {
  key = trim(key);
  return !key.empty() && key.front() != '[' && key.front() != ';' && !hasLineBreak(key) &&
         findByte(key, '=') == std::string_view::npos;
}

bool isWritableValue(std::string_view value) { return !hasLineBreak(value); }

Text valueAsRead(std::string_view value) {
  value = trim(value);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return Text(value);
}

IniDocument::IniDocument(std::string bytes) : bytes_(std::move(bytes)) { parse(); }

void IniDocument::parse() {
  lines_.clear();
  std::string_view all(bytes_);
  std::size_t pos = all.starts_with(ByteOrderMark) ? ByteOrderMark.size() : 0;
  auto setName = [&all](Line& line, std::string_view name) {
    line.nameBegin = static_cast<std::size_t>(name.data() - all.data());
    line.nameSize = name.size();
  };
  while (pos < all.size()) {
    // CR LF, LF and a lone CR each end a line.
    const std::size_t contentEnd = std::min(all.find_first_of("\r\n", pos), all.size());
    Line line;
    line.begin = pos;
    line.next = contentEnd;
    if (contentEnd < all.size())
      line.next += all.compare(contentEnd, LineEnd.size(), LineEnd) == 0 ? LineEnd.size() : 1;
    std::string_view content = trim(all.substr(pos, contentEnd - pos));
    if (content.empty()) {
      line.kind = Kind::Blank;
    } else if (content.front() == ';') {
      line.kind = Kind::Comment;
    } else if (content.front() == '[') {
      std::string_view inside = content.substr(1);
      line.kind = Kind::Section;
      setName(line, trim(inside.substr(0, findByte(inside, ']'))));
    } else if (std::size_t eq = findByte(content, '='); eq != std::string_view::npos) {
      setName(line, trim(content.substr(0, eq)));
      std::string_view after = content.substr(eq + 1);
      std::string_view value = trim(after);
      line.valueBegin = static_cast<std::size_t>(after.data() - all.data());
      if (!value.empty()) line.valueBegin = static_cast<std::size_t>(value.data() - all.data());
      line.valueEnd = line.valueBegin + value.size();
      line.kind = line.nameSize == 0 ? Kind::Other : Kind::Entry;
    }
    lines_.push_back(line);
    pos = line.next;
  }
}

std::vector<IniDocument::Range> IniDocument::sectionRanges() const {
  std::vector<Range> ranges;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind != Kind::Section) continue;
    if (!ranges.empty()) ranges.back().end = i;
    ranges.push_back({i, i + 1, lines_.size()});
  }
  return ranges;
}

std::optional<IniDocument::Range> IniDocument::findSection(std::string_view section) const {
  section = trim(section);
  for (const Range& range : sectionRanges())
    if (profileNamesEqual(nameOf(lines_[range.header]), section)) return range;
  return std::nullopt;
}

std::vector<Text> IniDocument::sectionNames() const {
  std::vector<Text> names;
  for (const Range& range : sectionRanges()) {
    std::string_view name = nameOf(lines_[range.header]);
    if (std::none_of(names.begin(), names.end(),
                     [&](const Text& known) { return profileNamesEqual(known, name); }))
      names.emplace_back(name);
  }
  return names;
}

std::optional<std::vector<Text>> IniDocument::keyNames(std::string_view section) const {
  std::optional<Range> range = findSection(section);
  if (!range) return std::nullopt;
  std::vector<Text> keys;
  for (std::size_t i = range->first; i < range->end; ++i) {
    if (lines_[i].kind != Kind::Entry) continue;
    std::string_view key = nameOf(lines_[i]);
    if (std::none_of(keys.begin(), keys.end(),
                     [&](const Text& known) { return profileNamesEqual(known, key); }))
      keys.emplace_back(key);
  }
  return keys;
}

std::optional<Text> IniDocument::value(std::string_view section, std::string_view key) const {
  std::optional<Range> range = findSection(section);
  if (!range) return std::nullopt;
  key = trim(key);
  for (std::size_t i = range->first; i < range->end; ++i) {
    const Line& line = lines_[i];
    if (line.kind != Kind::Entry || !profileNamesEqual(nameOf(line), key)) continue;
    return valueAsRead(std::string_view(bytes_).substr(line.valueBegin, line.valueEnd - line.valueBegin));
  }
  return std::nullopt;
}

void IniDocument::replaceBytes(std::size_t begin, std::size_t end, std::string_view with) {
  bytes_.replace(begin, end - begin, with);
  parse();
}

std::size_t IniDocument::ensureLineEndBefore(std::size_t at) {
  std::size_t start = std::string_view(bytes_).starts_with(ByteOrderMark) ? ByteOrderMark.size() : 0;
  if (at <= start || bytes_[at - 1] == '\n' || bytes_[at - 1] == '\r') return at;
  replaceBytes(at, at, LineEnd);
  return at + LineEnd.size();
}

void IniDocument::setValue(std::string_view section, std::string_view key, std::string_view value) {
  section = trim(section);
  key = trim(key);
  Text entry = Text(key) + "=" + Text(trim(value)) + Text(LineEnd);
  std::optional<Range> range = findSection(section);
  if (!range) {
    std::size_t at = ensureLineEndBefore(bytes_.size());
    replaceBytes(at, at, "[" + Text(section) + "]" + Text(LineEnd) + entry);
    return;
  }
  std::size_t last = range->header;
  for (std::size_t i = range->first; i < range->end; ++i) {
    const Line& line = lines_[i];
    if (line.kind == Kind::Entry && profileNamesEqual(nameOf(line), key)) {
      replaceBytes(line.valueBegin, line.valueEnd, trim(value));
      return;
    }
    if (line.kind != Kind::Blank) last = i;
  }
  std::size_t at = ensureLineEndBefore(lines_[last].next);
  replaceBytes(at, at, entry);
}

void IniDocument::removeKey(std::string_view section, std::string_view key) {
  std::optional<Range> range = findSection(section);
  if (!range) return;
  key = trim(key);
  for (std::size_t i = range->end; i-- > range->first;) {
    const Line& line = lines_[i];
    if (line.kind == Kind::Entry && profileNamesEqual(nameOf(line), key))
      bytes_.erase(line.begin, line.next - line.begin);
  }
  parse();
}

void IniDocument::removeSection(std::string_view section) {
  section = trim(section);
  std::vector<Range> ranges = sectionRanges();
  for (auto it = ranges.rbegin(); it != ranges.rend(); ++it) {
    if (!profileNamesEqual(nameOf(lines_[it->header]), section)) continue;
    std::size_t end = it->end < lines_.size() ? lines_[it->end].begin : bytes_.size();
    bytes_.erase(lines_[it->header].begin, end - lines_[it->header].begin);
  }
  parse();
}
