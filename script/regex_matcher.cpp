#include "script/regex_matcher.h"

#include "platform/com/class_registry.h"
#include "platform/components/components.h"
#include "platform/text/gbk.h"

const Text& RegexMatcher::quoteMarker() {
  static const Text marker = "#引号"_gbk;
  return marker;
}

RegexMatcher::RegexMatcher() {
  CoInitialize(nullptr);
  registerComponentFactories();
}

RegexMatcher::RegexMatcher(const RegexMatcher& other)
    : regExp_(other.regExp_), matches_(other.matches_), subject_(other.subject_) {
  CoInitialize(nullptr);  // balanced by this copy's destructor
}

RegexMatcher& RegexMatcher::operator=(const RegexMatcher& other) {
  regExp_ = other.regExp_;
  matches_ = other.matches_;
  subject_ = other.subject_;
  return *this;
}

RegexMatcher::~RegexMatcher() {
  regExp_.clear();
  matches_.clear();
  subject_.clear();
  CoUninitialize();
}

bool RegexMatcher::search(const Text& pattern, const Text& subject, bool caseSensitive,
                          bool multiline, bool global, bool useQuoteMarker) {
  bool ignoreCase = !caseSensitive;
  regExp_.clear();
  matches_.clear();
  regExp_.createObject("VBScript.RegExp");
  regExp_.setProperty("IgnoreCase", byVar(ignoreCase));
  regExp_.setProperty("Multiline", byVar(multiline));
  regExp_.setProperty("Singleline", true);  // not a member of the component: ignored
  regExp_.setProperty("Global", byVar(global));
  regExp_.setProperty("Pattern", useQuoteMarker ? replaceText(pattern, quoteMarker(), "\"") : pattern);
  subject_.assign(subject);
  matches_ = regExp_.callMethodObject("Execute", subject_);
  return !matches_.isEmpty();
}

Text RegexMatcher::getPattern() const {
  if (regExp_.isEmpty()) return Text();
  return regExp_.getPropertyText("Pattern");
}

Text RegexMatcher::replace(const Text& replacement) const {
  Variant value;
  value.assign(replacement);
  Text result = regExp_.callMethodText("Replace", subject_, byVar(value));
  value.clear();
  return result;
}

int32_t RegexMatcher::matchCount() const { return truncToInt(matches_.getPropertyNumber("Count")); }

int32_t RegexMatcher::subMatchCount() const {
  ComObject first = matches_.getPropertyObject("Item", 0.0);
  ComObject subMatches = first.getPropertyObject("SubMatches");
  return truncToInt(subMatches.getPropertyNumber("Count"));
}

// The byte offset of `found` in the subject, searching from the character
// the component's UTF-16 offset `firstIndex` names. Every character of the
// local code page is one UTF-16 unit, so walking that many characters gives a
// character boundary at or before the match. -2 when not found (also when
// the match or sub-match itself does not exist).
int32_t RegexMatcher::positionOf(const Text& found, int32_t firstIndex) const {
  Text subject = subject_.toText();
  size_t offset = 0;
  for (int32_t unit = 0; unit < firstIndex && offset < subject.size(); ++unit)
    offset += isLeadByte(static_cast<unsigned char>(subject[offset])) && offset + 1 < subject.size() ? 2 : 1;
  int32_t at = findText(subject, found, static_cast<int32_t>(offset) + 1);
  return at - 1;
}

Text RegexMatcher::matchText(int32_t index, int32_t* position) const {
  ComObject match = matches_.getPropertyObject("Item", static_cast<double>(index) - 1);
  Text text = match.getPropertyVariant("Value").toText();
  if (position)
    *position = match.isEmpty() ? -2 : positionOf(text, truncToInt(match.getPropertyNumber("FirstIndex")));
  return text;
}

Text RegexMatcher::subMatchText(int32_t index, int32_t subIndex, int32_t* position) const {
  ComObject match = matches_.getPropertyObject("Item", static_cast<double>(index) - 1);
  ComObject subMatches = match.getPropertyObject("SubMatches");
  Variant item = subMatches.getPropertyVariant("Item", static_cast<double>(subIndex) - 1);
  bool found = LastInvokeError == 0;
  Text text = item.toText();
  if (position)
    *position = found ? positionOf(text, truncToInt(match.getPropertyNumber("FirstIndex"))) : -2;
  return text;
}
