// The pattern language of VBScript.RegExp, translated into PCRE2's.
//
// The component's patterns are ECMAScript (3rd edition) regular expressions
// with the script engines' leniencies: an escaped character without a
// meaning of its own stands for itself ("\q" is "q"), "\1" with no group 1
// and "\012" are octal escapes, "\cX" is a control character ("c" itself
// when no letter follows), "\xHH" and "\uHHHH" give characters (an "x" or
// "u" without its digits stands for itself), and "]", "}" and a "{" that
// does not open a quantifier are ordinary characters. translatePattern
// parses a pattern by that grammar and writes an equivalent PCRE2 pattern:
//
// - "." matches any character but LF and CR, "\s" the space, tab, LF, VT,
//   FF and CR, "\d" and "\w" ASCII digits and word characters, "\v" is the
//   vertical tab and "\b" inside a class the backspace;
// - "^" matches at the start of the subject and "$" at its end; in
//   multi-line mode also after ("^") or before ("$") every LF or CR, so
//   both match between the CR and the LF of a CR LF;
// - "\N" is a back-reference when the pattern has at least N capturing
//   groups (anywhere in it); otherwise, when a shorter run of its leading
//   digits names a group, that back-reference followed by the other digits;
//   otherwise an octal escape ("\8" and "\9" are the digits). A reference to
//   a group that has not taken part, or lies ahead, matches empty text;
// - everything else PCRE2 knows (lookbehind, named groups, inline options,
//   possessive quantifiers, atomic groups, comments, verbs, "\K", "\Q",
//   "\p{..}", ...) is either rejected or read as the plain escaped letter,
//   as the component does.
//
// The translation is ASCII and meant for PCRE2's 16-bit library in UTF mode
// with PCRE2_MATCH_INVALID_UTF and PCRE2_MATCH_UNSET_BACKREF, newlines
// PCRE2_NEWLINE_ANYCRLF, and PCRE2_CASELESS for IgnoreCase (simple Unicode
// case folding). Its parentheses nest at most 2 * kMaxPatternNesting + 2 deep
// (a quantified lookahead is wrapped in a group).
#pragma once

#include <string>
#include <string_view>

// Why the component rejects a pattern: each is one of its runtime errors.
enum class PatternError {
  None,
  Syntax,                // 5017 "Syntax error in regular expression"
  UnexpectedQuantifier,  // 5018 "Unexpected quantifier"
  ExpectedBracket,       // 5019 "Expected ']' in regular expression"
  ExpectedParen,         // 5020 "Expected ')' in regular expression"
  InvalidRange,          // 5021 "Invalid range in character set"
  TooDeep,               // 28 "Out of stack space": groups nested deeper than kMaxPatternNesting
};

// The deepest nesting of groups a pattern may have (PCRE2 itself compiles
// no more than about 950 nested capturing groups).
constexpr int kMaxPatternNesting = 500;

struct PatternTranslation {
  std::u16string pcre2;  // empty when the pattern is rejected
  PatternError error = PatternError::None;
};

PatternTranslation translatePattern(std::u16string_view pattern, bool multiline);
