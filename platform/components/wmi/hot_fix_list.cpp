#include "platform/components/wmi/hot_fix_list.h"

#include <fstream>
#include <iterator>

#include "platform/profile/windows_path.h"
#include "platform/text/codepage.h"

namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

std::u16string_view trimBlanks(std::u16string_view text) {
  const auto blank = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::optional<InstalledHotFix> parseLine(std::u16string_view line) {
  const std::u16string_view content = trimBlanks(line);
  if (content.empty() || content.front() == u'#') return std::nullopt;
  const size_t tab = content.find(u'\t');
  InstalledHotFix fix{std::u16string(trimBlanks(content.substr(0, tab))), std::nullopt};
  if (tab != std::u16string_view::npos) {
    const std::u16string_view description = trimBlanks(content.substr(tab + 1));
    if (!description.empty()) fix.description = std::u16string(description);
  }
  return fix;
}

}  // namespace

std::vector<InstalledHotFix> parseHotFixList(std::string_view bytes) {
  uint32_t codePage = CP_GBK;
  if (bytes.substr(0, Utf8Bom.size()) == Utf8Bom) {
    bytes.remove_prefix(Utf8Bom.size());
    codePage = CP_UTF8;
  }
  const std::u16string text = multiByteToUtf16(bytes, codePage);
  std::vector<InstalledHotFix> fixes;
  std::u16string_view rest = text;
  while (!rest.empty()) {
    const size_t end = rest.find(u'\n');
    if (auto fix = parseLine(rest.substr(0, end))) fixes.push_back(std::move(*fix));
    if (end == std::u16string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return fixes;
}

std::vector<InstalledHotFix> readInstalledHotFixes() {
  const std::string path = hostPathFor(HotFixListPath);
  if (path.empty()) return {};
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return parseHotFixList(bytes);
}
