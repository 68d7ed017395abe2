#include "script/regex_matcher.h"

#include "platform/com/class_registry.h"
#include "platform/components/components.h"
#include "platform/text/gbk.h"
#include "platform/text/text.h"

const Text& RegexMatcher::quoteMarker() {
  static const Text marker = "#引号"_gbk;
  return marker;
}

RegexMatcher::RegexMatcher() {
  CoInitialize(nullptr);
  registerComponentFactories();
}

RegexMatcher::RegexMatcher(const RegexMatcher& other)
    : regExp_(other.regExp_), matches_(other.matches_), subject_(other.subject_), walk_(other.walk_) {
  CoInitialize(nullptr);  // balanced by this copy's destructor
}

RegexMatcher& RegexMatcher::operator=(const RegexMatcher& other) {
  regExp_ = other.regExp_;
  matches_ = other.matches_;
  subject_ = other.subject_;
  walk_ = other.walk_;
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
  walk_ = Walk();
  walk_.subject = subject;
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

// The byte offset in the subject of the first occurrence of `found` in the
// local text at or after the character that the component's UTF-16 offset
// `firstIndex` names; -2 when there is none. Both texts are walked as the
// code-page conversion that made the component's text reads them: one
// UTF-16 unit per character.
int32_t RegexMatcher::positionOf(const Text& found, int32_t firstIndex) const {
  Walk& w = walk_;
  if (!w.ready) {
    w.local = subject_.toText();
    w.ready = true;
  }
  if (firstIndex < w.unit) {  // backwards: from the start again
    w.unit = 0;
    w.byte = 0;
    w.localByte = 0;
  }
  for (; w.unit < firstIndex && w.localByte < w.local.size(); ++w.unit) {
    w.localByte += gbkCharSize(w.local, w.localByte);
    if (w.byte < w.subject.size()) w.byte += gbkCharSize(w.subject, w.byte);
  }
  if (w.unit < firstIndex) return -2;
  size_t local = w.localByte, byte = w.byte;
  while (local + found.size() <= w.local.size()) {
    if (w.local.compare(local, found.size(), found) == 0) return static_cast<int32_t>(byte);
    local += gbkCharSize(w.local, local);
    if (byte < w.subject.size()) byte += gbkCharSize(w.subject, byte);
  }
  return -2;
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
