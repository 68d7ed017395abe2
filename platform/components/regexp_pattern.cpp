// A recursive-descent parser of the component's pattern grammar that writes
// the PCRE2 pattern as it goes (see regexp_pattern.h).
#include "platform/components/regexp_pattern.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

namespace {

constexpr uint32_t kUnbounded = UINT32_MAX;
constexpr uint32_t kPcre2MaxRepeat = 65535;  // PCRE2's largest quantifier bound

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool isOctal(char16_t c) { return c >= u'0' && c <= u'7'; }
bool isAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool isHighSurrogate(uint32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(uint32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

int hexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Capturing groups of the whole pattern: "(" not followed by "?", outside
// classes and escapes. A class ends at its first unescaped "]".
uint32_t countGroups(std::u16string_view p) {
  uint32_t groups = 0;
  bool inClass = false;
  for (size_t i = 0; i < p.size(); ++i) {
    char16_t c = p[i];
    if (c == u'\\') ++i;
    else if (inClass) inClass = c != u']';
    else if (c == u'[') inClass = true;
    else if (c == u'(' && (i + 1 == p.size() || p[i + 1] != u'?')) ++groups;
  }
  return groups;
}

void appendHex(std::u16string& out, uint32_t c) {
  out += u"\\x{";
  char16_t digits[8];
  int n = 0;
  do {
    digits[n++] = u"0123456789abcdef"[c & 0xF];
    c >>= 4;
  } while (c);
  while (n) out += digits[--n];
  out += u'}';
}

void appendNumber(std::u16string& out, uint32_t n) {
  std::string digits = std::to_string(n);
  out.append(digits.begin(), digits.end());
}

struct Quantifier {
  uint32_t min = 0;
  uint32_t max = kUnbounded;
  bool lazy = false;
  size_t length = 0;  // pattern units it takes
};

// One element of a class: a range of characters, or a class escape ("\d").
struct ClassAtom {
  uint32_t ch = 0;
  char16_t set = 0;  // 'd', 'D', 's', 'S', 'w' or 'W'; 0 for a character
};

class Translator {
 public:
  Translator(std::u16string_view pattern, bool multiline)
      : p_(pattern), multiline_(multiline), groups_(countGroups(pattern)) {}

  PatternTranslation run() {
    disjunction(0);
    if (error_ == PatternError::None && pos_ < p_.size()) fail(PatternError::Syntax);  // a ")" too many
    if (error_ != PatternError::None) return {u"", error_};
    return {std::move(out_), PatternError::None};
  }

 private:
  bool more() const { return error_ == PatternError::None && pos_ < p_.size(); }
  bool at(char16_t c) const { return pos_ < p_.size() && p_[pos_] == c; }
  void fail(PatternError e) {
    if (error_ == PatternError::None) error_ = e;
  }

  void disjunction(int depth) {
    alternative(depth);
    while (more() && at(u'|')) {
      ++pos_;
      out_ += u'|';
      alternative(depth);
    }
  }

  void alternative(int depth) {
    while (more() && !at(u'|') && !at(u')')) term(depth);
  }

  void term(int depth) {
    const size_t atomStart = out_.size();
    const uint32_t groupsBefore = groupsSeen_;
    const char16_t c = p_[pos_];
    switch (c) {
      case u'^':
        ++pos_;
        out_ += multiline_ ? u"(?<![^\\n\\r])" : u"^";
        return assertionEnd();
      case u'$':
        ++pos_;
        out_ += multiline_ ? u"(?![^\\n\\r])" : u"\\z";
        return assertionEnd();
      case u'\\':
        if (pos_ + 1 < p_.size() && (p_[pos_ + 1] == u'b' || p_[pos_ + 1] == u'B')) {
          out_ += p_[pos_ + 1] == u'b' ? u"\\b" : u"\\B";
          pos_ += 2;
          return assertionEnd();
        }
        atomEscape();
        break;
      case u'(':
        group(depth, atomStart);
        break;
      case u'[':
        characterClass();
        break;
      case u'.':
        ++pos_;
        out_ += u'.';
        break;
      case u'*':
      case u'+':
      case u'?':
        return fail(PatternError::UnexpectedQuantifier);
      case u'{':
        if (quantifierAt(pos_)) return fail(PatternError::UnexpectedQuantifier);
        ++pos_;
        literal(c);
        break;
      default:
        ++pos_;
        literal(c);
        break;
    }
    if (error_ != PatternError::None) return;
    if (std::optional<Quantifier> q = quantifierAt(pos_)) {
      pos_ += q->length;
      if (quantifierAt(pos_)) return fail(PatternError::UnexpectedQuantifier);
      quantify(atomStart, *q, groupsSeen_ != groupsBefore);
    }
  }

  // Anchors and word boundaries take no quantifier.
  void assertionEnd() {
    if (quantifierAt(pos_)) fail(PatternError::UnexpectedQuantifier);
  }

  // "*", "+", "?", "{n}", "{n,}" or "{n,m}", each optionally followed by "?".
  std::optional<Quantifier> quantifierAt(size_t i) const {
    if (i >= p_.size()) return std::nullopt;
    Quantifier q;
    size_t j = i + 1;
    switch (p_[i]) {
      case u'*': break;
      case u'+': q.min = 1; break;
      case u'?': q.max = 1; break;
      case u'{': {
        auto number = [&](uint32_t& value) {
          size_t start = j;
          uint64_t v = 0;
          while (j < p_.size() && isDigit(p_[j])) {
            v = v * 10 + (p_[j++] - u'0');
            if (v > kUnbounded - 1) v = kUnbounded - 1;
          }
          value = static_cast<uint32_t>(v);
          return j > start;
        };
        if (!number(q.min)) return std::nullopt;
        q.max = q.min;
        if (j < p_.size() && p_[j] == u',') {
          ++j;
          if (!number(q.max)) q.max = kUnbounded;
        }
        if (j >= p_.size() || p_[j] != u'}') return std::nullopt;
        ++j;
        break;
      }
      default: return std::nullopt;
    }
    if (j < p_.size() && p_[j] == u'?') {
      q.lazy = true;
      ++j;
    }
    q.length = j - i;
    return q;
  }

  // Applies `q` to the atom written from `atomStart` on (one PCRE2 item).
  void quantify(size_t atomStart, Quantifier q, bool atomHasGroups) {
    if (q.max < q.min) return fail(PatternError::Syntax);
    if (q.max != kUnbounded && q.max > kPcre2MaxRepeat) q.max = kUnbounded;
    if (q.min > kPcre2MaxRepeat) {
      // Beyond PCRE2's bound: (?:A{65535}){k} and then A for the rest. Only
      // an atom without groups can be written twice; one with groups is
      // held to PCRE2's bound.
      if (atomHasGroups) {
        q.min = kPcre2MaxRepeat;
      } else {
        const std::u16string atom = out_.substr(atomStart);
        uint32_t blocks = std::min<uint32_t>(q.min / kPcre2MaxRepeat, kPcre2MaxRepeat);
        out_.insert(atomStart, u"(?:");
        out_ += u"{65535}){";
        appendNumber(out_, blocks);
        out_ += u'}';
        out_ += atom;
        q.min -= blocks * kPcre2MaxRepeat;
        if (q.max != kUnbounded) q.max -= blocks * kPcre2MaxRepeat;
        if (q.min > kPcre2MaxRepeat) q.min = kPcre2MaxRepeat;
      }
    }
    if (q.min == 0 && q.max == kUnbounded) out_ += u'*';
    else if (q.min == 1 && q.max == kUnbounded) out_ += u'+';
    else if (q.min == 0 && q.max == 1) out_ += u'?';
    else {
      out_ += u'{';
      appendNumber(out_, q.min);
      if (q.max != q.min) {
        out_ += u',';
        if (q.max != kUnbounded) appendNumber(out_, q.max);
      }
      out_ += u'}';
    }
    if (q.lazy) out_ += u'?';
  }

  void group(int depth, size_t atomStart) {
    if (depth >= kMaxPatternNesting) return fail(PatternError::TooDeep);
    ++pos_;
    bool lookahead = false;
    if (at(u'?')) {
      char16_t kind = pos_ + 1 < p_.size() ? p_[pos_ + 1] : 0;
      if (kind != u':' && kind != u'=' && kind != u'!') return fail(PatternError::Syntax);
      lookahead = kind != u':';
      out_ += u"(?";
      out_ += kind;
      pos_ += 2;
    } else {
      out_ += u'(';
      ++groupsSeen_;
    }
    disjunction(depth + 1);
    if (error_ != PatternError::None) return;
    if (!at(u')')) return fail(PatternError::ExpectedParen);
    ++pos_;
    out_ += u')';
    if (lookahead && quantifierAt(pos_)) {  // a quantified lookahead: as a group
      out_.insert(atomStart, u"(?:");
      out_ += u')';
    }
  }

  // After "\" outside a class ("\b" and "\B" are taken before).
  void atomEscape() {
    ++pos_;
    if (pos_ >= p_.size()) return fail(PatternError::Syntax);
    const char16_t c = p_[pos_];
    switch (c) {
      case u'd': case u'D': case u's': case u'S': case u'w': case u'W':
        ++pos_;
        out_ += u'\\';
        out_ += c;
        return;
      default:
        break;
    }
    if (c >= u'1' && c <= u'9') return decimalEscape();
    literal(characterEscape());
  }

  // A character escape after "\" (at pos_), in or outside a class; moves
  // past it. Decimal digits are octal escapes here (a back-reference was
  // ruled out before).
  uint32_t characterEscape() {
    const char16_t c = p_[pos_++];
    switch (c) {
      case u'f': return 0x0C;
      case u'n': return 0x0A;
      case u'r': return 0x0D;
      case u't': return 0x09;
      case u'v': return 0x0B;
      case u'c':
        if (pos_ < p_.size() && isAsciiLetter(p_[pos_])) return p_[pos_++] % 32;
        return c;
      case u'x':
        if (pos_ + 2 <= p_.size() && hexValue(p_[pos_]) >= 0 && hexValue(p_[pos_ + 1]) >= 0) {
          uint32_t v = hexValue(p_[pos_]) * 16 + hexValue(p_[pos_ + 1]);
          pos_ += 2;
          return v;
        }
        return c;
      case u'u':
        if (pos_ + 4 <= p_.size()) {
          uint32_t v = 0;
          bool hex = true;
          for (size_t k = 0; k < 4 && hex; ++k) {
            int h = hexValue(p_[pos_ + k]);
            hex = h >= 0;
            v = v * 16 + static_cast<uint32_t>(h);
          }
          if (hex) {
            pos_ += 4;
            return v;
          }
        }
        return c;
      default:
        break;
    }
    if (isOctal(c)) {
      // Up to three octal digits with a first digit 0-3, else up to two.
      uint32_t v = c - u'0';
      size_t most = c <= u'3' ? 2 : 1;
      for (size_t k = 0; k < most && pos_ < p_.size() && isOctal(p_[pos_]); ++k)
        v = v * 8 + (p_[pos_++] - u'0');
      return v;
    }
    return c;  // an identity escape, "\8" and "\9" included
  }

  // "\" and a digit 1-9 (at pos_) outside a class.
  void decimalEscape() {
    const size_t start = pos_;
    size_t end = start;
    while (end < p_.size() && isDigit(p_[end])) ++end;
    // The longest run of leading digits that names a group.
    uint64_t value = 0;
    uint32_t group = 0;
    size_t groupEnd = start;
    for (size_t k = start; k < end && value <= groups_; ++k) {
      value = value * 10 + (p_[k] - u'0');
      if (value >= 1 && value <= groups_) {
        group = static_cast<uint32_t>(value);
        groupEnd = k + 1;
      }
    }
    if (group == 0) return literal(characterEscape());
    pos_ = groupEnd;
    out_ += u"\\g{";
    appendNumber(out_, group);
    out_ += u'}';
  }

  // A character of the pattern. A high surrogate directly followed by a low
  // one (written or escaped) that takes no quantifier of its own is the
  // character they encode; any other surrogate matches nothing, as no
  // lone surrogate of a subject can be matched in UTF mode.
  void literal(uint32_t c) {
    if (isHighSurrogate(c)) {
      const size_t save = pos_;
      std::optional<uint32_t> low;
      if (pos_ < p_.size() && isLowSurrogate(p_[pos_])) {
        low = p_[pos_++];
      } else if (pos_ + 1 < p_.size() && p_[pos_] == u'\\' && p_[pos_ + 1] == u'u') {
        ++pos_;
        uint32_t v = characterEscape();
        if (isLowSurrogate(v)) low = v;
      }
      if (low && !quantifierAt(pos_)) {
        appendHex(out_, 0x10000 + ((c - 0xD800) << 10) + (*low - 0xDC00));
        return;
      }
      pos_ = save;
    }
    if (isHighSurrogate(c) || isLowSurrogate(c)) out_ += u"(?:(?!))";
    else if (c < 0x80 && (isDigit(static_cast<char16_t>(c)) || isAsciiLetter(static_cast<char16_t>(c)))) out_ += static_cast<char16_t>(c);
    else appendHex(out_, c);
  }

  void characterClass() {
    ++pos_;
    const bool negated = at(u'^');
    if (negated) ++pos_;
    std::u16string items;
    for (;;) {
      if (error_ != PatternError::None) return;
      if (pos_ >= p_.size()) return fail(PatternError::ExpectedBracket);
      if (at(u']')) {
        ++pos_;
        break;
      }
      ClassAtom from = classAtom();
      if (error_ != PatternError::None) return;
      if (at(u'-') && pos_ + 1 < p_.size() && p_[pos_ + 1] != u']') {
        ++pos_;
        ClassAtom to = classAtom();
        if (error_ != PatternError::None) return;
        if (from.set || to.set || from.ch > to.ch) return fail(PatternError::InvalidRange);
        addRange(items, from.ch, to.ch);
      } else if (from.set) {
        items += u'\\';
        items += from.set;
      } else {
        addRange(items, from.ch, from.ch);
      }
    }
    if (items.empty()) {
      out_ += negated ? u"[\\s\\S]" : u"(?:(?!))";
      return;
    }
    out_ += negated ? u"[^" : u"[";
    out_ += items;
    out_ += u']';
  }

  ClassAtom classAtom() {
    if (!at(u'\\')) return {p_[pos_++], 0};
    ++pos_;
    if (pos_ >= p_.size()) {
      fail(PatternError::ExpectedBracket);
      return {};
    }
    const char16_t c = p_[pos_];
    switch (c) {
      case u'b':
        ++pos_;
        return {0x08, 0};
      case u'd': case u'D': case u's': case u'S': case u'w': case u'W':
        ++pos_;
        return {0, c};
      default:
        return {characterEscape(), 0};
    }
  }

  // Characters from..to; surrogates, which no subject character can be in
  // UTF mode, are left out.
  static void addRange(std::u16string& items, uint32_t from, uint32_t to) {
    auto add = [&](uint32_t a, uint32_t b) {
      if (a > b) return;
      appendHex(items, a);
      if (b != a) {
        items += u'-';
        appendHex(items, b);
      }
    };
    add(from, std::min<uint32_t>(to, 0xD7FF));
    add(std::max<uint32_t>(from, 0xE000), to);
  }

  std::u16string_view p_;
  bool multiline_;
  uint32_t groups_;
  uint32_t groupsSeen_ = 0;
  size_t pos_ = 0;
  std::u16string out_;
  PatternError error_ = PatternError::None;
};

}  // namespace

PatternTranslation translatePattern(std::u16string_view pattern, bool multiline) {
  return Translator(pattern, multiline).run();
}
