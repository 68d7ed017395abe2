#include "platform/components/wmi/wql_query.h"

#include "platform/com/automation_class.h"

namespace {

enum class TokenKind { Name, Star, Comma, Equals, Literal };

struct Token {
  TokenKind kind;
  std::u16string text;
};

bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
bool isNameStart(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_';
}
bool isNamePart(char16_t c) { return isNameStart(c) || (c >= u'0' && c <= u'9'); }

// Splits the text into tokens; nothing when a character belongs to none.
std::optional<std::vector<Token>> tokenize(std::u16string_view text) {
  std::vector<Token> tokens;
  size_t i = 0;
  while (i < text.size()) {
    const char16_t c = text[i];
    if (isBlank(c)) {
      ++i;
    } else if (isNameStart(c)) {
      size_t end = i + 1;
      while (end < text.size() && isNamePart(text[end])) ++end;
      tokens.push_back({TokenKind::Name, std::u16string(text.substr(i, end - i))});
      i = end;
    } else if (c == u'*' || c == u',' || c == u'=') {
      tokens.push_back({c == u'*' ? TokenKind::Star : c == u',' ? TokenKind::Comma : TokenKind::Equals, {}});
      ++i;
    } else if (c == u'\'' || c == u'"') {
      std::u16string literal;
      ++i;
      while (i < text.size() && text[i] != c) {
        if (text[i] == u'\\') ++i;
        if (i >= text.size()) break;
        literal += text[i++];
      }
      if (i >= text.size()) return std::nullopt;  // no closing quote
      ++i;
      tokens.push_back({TokenKind::Literal, std::move(literal)});
    } else {
      return std::nullopt;
    }
  }
  return tokens;
}

class Parser {
 public:
  explicit Parser(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

  std::optional<WqlQuery> query() {
    WqlQuery q;
    if (!keyword(u"SELECT")) return std::nullopt;
    if (!take(TokenKind::Star)) {
      do {
        std::u16string property;
        if (!name(property)) return std::nullopt;
        q.properties.push_back(std::move(property));
      } while (take(TokenKind::Comma));
    }
    if (!keyword(u"FROM") || !name(q.className)) return std::nullopt;
    if (keyword(u"WHERE")) {
      WqlCondition condition;
      if (!name(condition.property) || !take(TokenKind::Equals)) return std::nullopt;
      if (!peek(TokenKind::Literal)) return std::nullopt;
      condition.literal = tokens_[at_++].text;
      q.where = std::move(condition);
    }
    if (at_ != tokens_.size()) return std::nullopt;
    return q;
  }

 private:
  static bool isKeyword(std::u16string_view word) {
    return sameMemberName(word, u"SELECT") || sameMemberName(word, u"FROM") ||
           sameMemberName(word, u"WHERE");
  }
  bool peek(TokenKind kind) const { return at_ < tokens_.size() && tokens_[at_].kind == kind; }
  bool take(TokenKind kind) {
    if (!peek(kind)) return false;
    ++at_;
    return true;
  }
  bool keyword(std::u16string_view word) {
    if (!peek(TokenKind::Name) || !sameMemberName(tokens_[at_].text, word)) return false;
    ++at_;
    return true;
  }
  bool name(std::u16string& out) {
    if (!peek(TokenKind::Name) || isKeyword(tokens_[at_].text)) return false;
    out = tokens_[at_++].text;
    return true;
  }

  std::vector<Token> tokens_;
  size_t at_ = 0;
};

}  // namespace

std::optional<WqlQuery> parseWqlQuery(std::u16string_view text) {
  auto tokens = tokenize(text);
  if (!tokens) return std::nullopt;
  return Parser(std::move(*tokens)).query();
}
