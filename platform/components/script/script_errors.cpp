#include "platform/components/script/script_errors.h"

#include <cmath>
#include <string_view>

#include "platform/components/script/cesu8.h"

namespace {

bool has(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// The quoted name in a Duktape message such as "identifier 'x' undefined".
std::u16string quotedName(std::string_view message) {
  const size_t open = message.find('\'');
  if (open == std::string_view::npos) return {};
  const size_t close = message.find('\'', open + 1);
  if (close == std::string_view::npos) return {};
  return cesu8ToUtf16(message.substr(open + 1, close - open - 1));
}

bool isRegExpSyntax(std::string_view m) {
  return has(m, "regexp") || has(m, "pattern") || has(m, "quantifier") ||
         has(m, "invalid range") || has(m, "backreference") || has(m, "parenthesis");
}

bool isStackLimit(std::string_view m) {
  return has(m, "recursion limit") || has(m, "stack depth") || has(m, "callstack limit") ||
         has(m, "stack limit");
}

ScriptFailure make(int32_t number, std::u16string description, bool compilation) {
  ScriptFailure e;
  e.number = number;
  e.description = std::move(description);
  e.source = compilation ? kCompilationErrorSource : kRuntimeErrorSource;
  return e;
}

ScriptFailure classify(const ThrownValueFacts& f) {
  const std::string_view m = f.message;
  const std::string_view n = f.name;
  if (!f.isErrorObject) return make(5022, u"Exception thrown and not caught", false);
  if (has(m, "alloc failed")) return make(7, u"Out of memory", false);
  if (n == "RangeError" && has(m, "execution timeout")) return timedOutError();
  if (n == "SyntaxError") {
    if (isRegExpSyntax(m)) return make(5017, u"Syntax error in regular expression", f.atCompile);
    if (has(m, "invalid json")) return make(1014, u"Invalid character", false);
    if (has(m, "unterminated string")) return make(1015, u"Unterminated string constant", true);
    if (has(m, "unterminated comment")) return make(1016, u"Unterminated comment", true);
    return make(1002, u"Syntax error", true);
  }
  if (n == "RangeError") {
    if (isStackLimit(m)) return make(28, u"Out of stack space", false);
    if (has(m, "invalid length")) return make(5029, u"Array length must be a finite positive integer", false);
    return make(5, u"Invalid procedure call or argument", false);
  }
  if (n == "ReferenceError") {
    if (has(m, "identifier") && has(m, "undefined")) return make(5009, u"'" + quotedName(m) + u"' is undefined", false);
    return make(5008, u"Illegal assignment", false);
  }
  if (n == "TypeError") {
    if (has(m, "not callable")) return make(5002, u"Function expected", false);
    if (has(m, "cannot read property"))
      return make(5007, u"Unable to get property '" + quotedName(m) + u"' of undefined or null reference", false);
    if (has(m, "cannot write property"))
      return make(5007, u"Unable to set property '" + quotedName(m) + u"' of undefined or null reference", false);
    if (has(m, "not constructable")) return make(445, u"Object doesn't support this action", false);
    return make(438, u"Object doesn't support this property or method", false);
  }
  if (n == "URIError") return make(5025, u"The URI to be decoded is not a valid encoding", false);
  if (n == "EvalError") return make(5, u"Invalid procedure call or argument", false);

  // An Error the script threw itself.
  int32_t number = 5022;
  if (f.hasNumber && std::isfinite(f.number) && f.number != 0 &&
      std::fabs(f.number) < 4294967296.0) {
    const auto code = static_cast<uint32_t>(static_cast<int64_t>(f.number));
    number = (code & 0xFFFF0000u) == 0x800A0000u ? static_cast<int32_t>(code & 0xFFFF)
                                                   : static_cast<int32_t>(code);
  }
  std::u16string description = cesu8ToUtf16(m);
  if (description.empty()) description = u"Exception thrown and not caught";
  return make(number, std::move(description), false);
}

}  // namespace

ScriptFailure describeThrownValue(const ThrownValueFacts& facts) {
  ScriptFailure e = classify(facts);
  if (facts.atCompile && e.number != 7 && e.number != 28) e.source = kCompilationErrorSource;
  e.line = facts.line > 0 ? facts.line : 0;
  return e;
}

ScriptFailure timedOutError() { return make(kScriptTimeoutNumber, u"Script execution timed out", false); }
ScriptFailure outOfMemoryError() { return make(7, u"Out of memory", false); }
ScriptFailure outOfStackError() { return make(28, u"Out of stack space", false); }
