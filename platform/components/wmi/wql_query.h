// The subset of WQL (the WMI query language) that the WMI stand-in answers:
//
//   SELECT * FROM class
//   SELECT property [, property]... FROM class
//   ... WHERE property = 'literal'          (or "literal")
//
// Keywords and names are ASCII letters, digits and "_" (not starting with a
// digit); keywords match without case and are not names. Blanks (space, tab,
// CR, LF) separate words and may surround "*", "," and "=". In a literal a
// backslash takes the next character as it is ("\'" is a quote, "\\" a
// backslash). Anything else is not a query of the subset.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct WqlCondition {
  std::u16string property;
  std::u16string literal;  // without quotes, escapes resolved
};

struct WqlQuery {
  std::vector<std::u16string> properties;  // empty for "*"
  std::u16string className;
  std::optional<WqlCondition> where;
};

// The query, or nothing when `text` is not a query of the subset.
std::optional<WqlQuery> parseWqlQuery(std::u16string_view text);
