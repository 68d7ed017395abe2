#include "net/cookie_text.h"

#include <string_view>

#include "net/header_text.h"

namespace {

constexpr std::string_view kItemSeparator = "; ";
constexpr std::string_view kSetCookie = "set-cookie:";
constexpr std::string_view kDeleted = "=deleted";

// A trimmed cookie string whose final ";" becomes a separator, split into items.
std::vector<Text> cookieItems(const Text& cookies) {
  Text text = trimBlanks(cookies);
  if (!text.empty() && text.back() == ';') text += ' ';
  return splitText(text, kItemSeparator);
}

}  // namespace

Text cookiesFromHeaders(const std::vector<Text>& lines) {
  Text result;
  for (const Text& line : lines) {
    if (!beginsWithIgnoringCase(line, kSetCookie)) continue;
    const int32_t itemStart = static_cast<int32_t>(kSetCookie.size()) + 1;  // 1-based position 12
    const int32_t semicolon = findText(line, ";", itemStart);
    if (semicolon == -1) continue;
    if (!result.empty()) result += kItemSeparator;
    result += trimBlanks(std::string_view(line).substr(itemStart - 1, semicolon - itemStart));
  }
  return result;
}

Text mergeCookieStrings(const Text& oldCookies, const Text& newCookies) {
  std::vector<Text> items = cookieItems(newCookies);
  for (const Text& old : cookieItems(oldCookies))
    if (!hasCookieName(items, cookieName(old))) items.push_back(old);
  Text joined;
  for (const Text& item : items) {
    if (item.size() >= kDeleted.size() && std::string_view(item).substr(item.size() - kDeleted.size()) == kDeleted)
      continue;
    joined += item;
    joined += kItemSeparator;
  }
  dropLast(joined, kItemSeparator.size());
  return dedupeItems(joined, Text(kItemSeparator));
}

Text cookieName(const Text& item) {
  const int32_t equals = findText(item, "=");
  return trimBlanks(equals == -1 ? std::string_view(item) : std::string_view(item).substr(0, equals - 1));
}

bool hasCookieName(const std::vector<Text>& items, const Text& name) {
  for (const Text& item : items)
    if (cookieName(item) == name) return true;
  return false;
}

Text dedupeItems(const Text& text, const Text& separator) {
  std::vector<Text> kept;
  Text out;
  forEachPiece(text, separator, [&](std::string_view piece) {
    Text item(piece);
    if (indexOfItem(kept, item) != -1) return;
    out += item;
    out += separator;
    kept.push_back(std::move(item));
  });
  dropLast(out, separator.size());
  return out;
}

int32_t indexOfItem(const std::vector<Text>& items, const Text& text) {
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i] == text) return static_cast<int32_t>(i) + 1;
  return -1;
}
