// VBScript.RegExp on PCRE2 in 16-bit mode.
//
// Subjects and patterns are UTF-16, and FirstIndex and Length count UTF-16
// code units as the original component does. A pattern is read by the
// component's own grammar and translated into PCRE2's (regexp_pattern.h),
// which decides what it means; PCRE2 compiles and runs the translation in
// UTF mode that tolerates lone surrogates. In global mode an empty match
// moves the next search on by one unit.
#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/automation_class.h"
#include "platform/com/class_registry.h"
#include "platform/components/components.h"
#include "platform/components/regexp_pattern.h"

namespace {

constexpr IID IID_IRegExp2 = {0x3F4DACB0, 0x160D, 0x11D2, {0xA8, 0xE9, 0x00, 0x10, 0x4B, 0x36, 0x5C, 0x9F}};
constexpr IID IID_IMatch2 = {0x3F4DACB1, 0x160D, 0x11D2, {0xA8, 0xE9, 0x00, 0x10, 0x4B, 0x36, 0x5C, 0x9F}};
constexpr IID IID_IMatchCollection2 = {0x3F4DACB2, 0x160D, 0x11D2, {0xA8, 0xE9, 0x00, 0x10, 0x4B, 0x36, 0x5C, 0x9F}};
constexpr IID IID_ISubMatches = {0x3F4DACB3, 0x160D, 0x11D2, {0xA8, 0xE9, 0x00, 0x10, 0x4B, 0x36, 0x5C, 0x9F}};

// Errors as the scripting runtime reports them: 0x800A0000 | number.
constexpr HRESULT runtimeError(uint16_t number) { return static_cast<HRESULT>(0x800A0000u | number); }
constexpr HRESULT kInvalidCall = runtimeError(5);
constexpr HRESULT kOutOfMemory = runtimeError(7);
constexpr HRESULT kOutOfStack = runtimeError(28);
constexpr char16_t kErrorSource[] = u"Microsoft VBScript runtime error";

struct ComponentError {
  HRESULT code;
  const char16_t* description;
};

ComponentError patternError(PatternError error) {
  switch (error) {
    case PatternError::UnexpectedQuantifier: return {runtimeError(5018), u"Unexpected quantifier"};
    case PatternError::ExpectedBracket: return {runtimeError(5019), u"Expected ']' in regular expression"};
    case PatternError::ExpectedParen: return {runtimeError(5020), u"Expected ')' in regular expression"};
    case PatternError::InvalidRange: return {runtimeError(5021), u"Invalid range in character set"};
    case PatternError::TooDeep: return {kOutOfStack, u"Out of stack space"};
    default: return {runtimeError(5017), u"Syntax error in regular expression"};
  }
}

struct FoundMatch {
  size_t start = 0;
  size_t length = 0;
  std::vector<std::optional<std::pair<size_t, size_t>>> groups;  // start, length; empty when unset
};

struct MatchSet {
  std::u16string subject;
  std::vector<FoundMatch> matches;
};

std::u16string_view groupText(const MatchSet& set, const FoundMatch& m, size_t group) {
  if (group == 0) return std::u16string_view(set.subject).substr(m.start, m.length);
  const auto& g = m.groups[group - 1];
  if (!g) return {};
  return std::u16string_view(set.subject).substr(g->first, g->second);
}

// ---- SubMatches ---------------------------------------------------------------
struct SubMatchesObject : AutomationObject {
  SubMatchesObject(std::shared_ptr<const MatchSet> set, size_t index)
      : AutomationObject(subMatchesClass()), set(std::move(set)), index(index) {}
  std::shared_ptr<const MatchSet> set;
  size_t index;
  const FoundMatch& match() const { return set->matches[index]; }
  static const AutomationClass& subMatchesClass();
};

const AutomationClass& SubMatchesObject::subMatchesClass() {
  static const AutomationClass& cls =
      AutomationClassBuilder<SubMatchesObject>(u"ISubMatches", IID_ISubMatches)
          .propertyGet(u"Item", VT_VARIANT, {param(u"index", VT_I4)},
                       [](SubMatchesObject& self, Call& call) {
                         int32_t i = 0;
                         if (HRESULT hr = call.int32(0, i); FAILED(hr)) return hr;
                         const FoundMatch& m = self.match();
                         if (i < 0 || static_cast<size_t>(i) >= m.groups.size())
                           return call.raise(kErrorSource, u"Invalid procedure call or argument", kInvalidCall);
                         if (!m.groups[i]) return S_OK;  // did not take part: Empty
                         return call.returnText(groupText(*self.set, m, i + 1));
                       })
          .readOnlyProperty(u"Count", VT_I4,
                            [](SubMatchesObject& self, Call& call) {
                              return call.returnInt(static_cast<int32_t>(self.match().groups.size()));
                            })
          .memberId(u"Item", DISPID_VALUE)
          .build();
  return cls;
}

// ---- Match ------------------------------------------------------------------------
struct MatchObject : AutomationObject {
  MatchObject(std::shared_ptr<const MatchSet> set, size_t index)
      : AutomationObject(matchClass()), set(std::move(set)), index(index) {}
  std::shared_ptr<const MatchSet> set;
  size_t index;
  const FoundMatch& match() const { return set->matches[index]; }
  static const AutomationClass& matchClass();
};

const AutomationClass& MatchObject::matchClass() {
  static const AutomationClass& cls =
      AutomationClassBuilder<MatchObject>(u"IMatch2", IID_IMatch2)
          .readOnlyProperty(u"Value", VT_BSTR,
                            [](MatchObject& self, Call& call) {
                              return call.returnText(groupText(*self.set, self.match(), 0));
                            })
          .readOnlyProperty(u"FirstIndex", VT_I4,
                            [](MatchObject& self, Call& call) {
                              return call.returnInt(static_cast<int32_t>(self.match().start));
                            })
          .readOnlyProperty(u"Length", VT_I4,
                            [](MatchObject& self, Call& call) {
                              return call.returnInt(static_cast<int32_t>(self.match().length));
                            })
          .readOnlyProperty(u"SubMatches", VT_DISPATCH,
                            [](MatchObject& self, Call& call) {
                              return call.adoptObject(new SubMatchesObject(self.set, self.index));
                            })
          .memberId(u"Value", DISPID_VALUE)
          .build();
  return cls;
}

// ---- MatchCollection -------------------------------------------------------------------
struct MatchCollectionObject : AutomationObject {
  explicit MatchCollectionObject(std::shared_ptr<const MatchSet> set)
      : AutomationObject(collectionClass()), set(std::move(set)) {}
  std::shared_ptr<const MatchSet> set;
  static const AutomationClass& collectionClass();
};

const AutomationClass& MatchCollectionObject::collectionClass() {
  static const AutomationClass& cls =
      AutomationClassBuilder<MatchCollectionObject>(u"IMatchCollection2", IID_IMatchCollection2)
          .propertyGet(u"Item", VT_DISPATCH, {param(u"index", VT_I4)},
                       [](MatchCollectionObject& self, Call& call) {
                         int32_t i = 0;
                         if (HRESULT hr = call.int32(0, i); FAILED(hr)) return hr;
                         if (i < 0 || static_cast<size_t>(i) >= self.set->matches.size())
                           return call.raise(kErrorSource, u"Invalid procedure call or argument", kInvalidCall);
                         return call.adoptObject(new MatchObject(self.set, static_cast<size_t>(i)));
                       })
          .readOnlyProperty(u"Count", VT_I4,
                            [](MatchCollectionObject& self, Call& call) {
                              return call.returnInt(static_cast<int32_t>(self.set->matches.size()));
                            })
          .memberId(u"Item", DISPID_VALUE)
          .build();
  return cls;
}

// ---- RegExp --------------------------------------------------------------------------------
struct CodeDeleter {
  void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct MatchDataDeleter {
  void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
struct MatchContextDeleter {
  void operator()(pcre2_match_context* context) const { pcre2_match_context_free(context); }
};

// The memory one match may take for backtracking (KiB): beyond it the
// search fails as out of stack space instead of taking the machine's memory.
constexpr uint32_t kMatchHeapLimit = 64 * 1024;

struct RegExpObject : AutomationObject {
  RegExpObject() : AutomationObject(regExpClass()) {}
  static const AutomationClass& regExpClass();

  std::u16string pattern;
  bool ignoreCase = false;
  bool global = false;
  bool multiline = false;

  // The pattern's translation, for the pattern and options it was made
  // with, and what PCRE2 compiled of it: `code` for subjects without
  // surrogates, matched without PCRE2's validity check of the subject
  // (which costs a pass over the rest of the subject at every match), and
  // `tolerantCode` (PCRE2_MATCH_INVALID_UTF) for the others, compiled when
  // first needed.
  std::u16string translation;
  std::unique_ptr<pcre2_code, CodeDeleter> code;
  std::unique_ptr<pcre2_code, CodeDeleter> tolerantCode;
  std::u16string translatedPattern;
  bool translatedIgnoreCase = false;
  bool translatedMultiline = false;

  // Translates when pattern or options changed; raises the component's
  // error for a pattern it rejects.
  HRESULT translate(Call& call) {
    if (code && translatedPattern == pattern && translatedIgnoreCase == ignoreCase &&
        translatedMultiline == multiline)
      return S_OK;
    code.reset();
    tolerantCode.reset();
    PatternTranslation t = translatePattern(pattern, multiline);
    if (t.error != PatternError::None) {
      ComponentError e = patternError(t.error);
      return call.raise(kErrorSource, e.description, e.code);
    }
    translation = std::move(t.pcre2);
    if (HRESULT hr = compile(call, code, 0); FAILED(hr)) return hr;
    translatedPattern = pattern;
    translatedIgnoreCase = ignoreCase;
    translatedMultiline = multiline;
    return S_OK;
  }

  HRESULT compile(Call& call, std::unique_ptr<pcre2_code, CodeDeleter>& into, uint32_t extraOptions) {
    uint32_t options = PCRE2_UTF | PCRE2_MATCH_UNSET_BACKREF | extraOptions;
    if (ignoreCase) options |= PCRE2_CASELESS;
    pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
    if (!context) return E_OUTOFMEMORY;
    pcre2_set_newline(context, PCRE2_NEWLINE_ANYCRLF);  // "." stops at LF and CR
    // Every group of the pattern, and a group around a quantified lookahead.
    pcre2_set_parens_nest_limit(context, 2 * kMaxPatternNesting + 10);
    int error = 0;
    PCRE2_SIZE offset = 0;
    into.reset(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(translation.data()), translation.size(),
                             options, &error, &offset, context));
    pcre2_compile_context_free(context);
    // The grammar was checked; what PCRE2 can still refuse is a pattern too
    // large for it.
    if (!into) return call.raise(kErrorSource, u"Out of memory", kOutOfMemory);
    return S_OK;
  }

  // Finds the first match (or all, with `all`) in `set.subject`.
  HRESULT search(Call& call, MatchSet& set, bool all) {
    if (HRESULT hr = translate(call); FAILED(hr)) return hr;
    const bool surrogates = std::any_of(set.subject.begin(), set.subject.end(),
                                        [](char16_t c) { return c >= 0xD800 && c <= 0xDFFF; });
    if (surrogates && !tolerantCode) {
      if (HRESULT hr = compile(call, tolerantCode, PCRE2_MATCH_INVALID_UTF); FAILED(hr)) return hr;
    }
    pcre2_code* pattern = surrogates ? tolerantCode.get() : code.get();
    const uint32_t matchOptions = surrogates ? 0 : PCRE2_NO_UTF_CHECK;
    std::unique_ptr<pcre2_match_data, MatchDataDeleter> data(
        pcre2_match_data_create_from_pattern(pattern, nullptr));
    std::unique_ptr<pcre2_match_context, MatchContextDeleter> context(pcre2_match_context_create(nullptr));
    if (!data || !context) return E_OUTOFMEMORY;
    pcre2_set_heap_limit(context.get(), kMatchHeapLimit);
    uint32_t groups = 0;
    pcre2_pattern_info(pattern, PCRE2_INFO_CAPTURECOUNT, &groups);
    const auto* subject = reinterpret_cast<PCRE2_SPTR>(set.subject.data());
    const size_t length = set.subject.size();
    size_t from = 0;
    while (from <= length) {
      int rc = pcre2_match(pattern, subject, length, from, matchOptions, data.get(), context.get());
      if (rc == PCRE2_ERROR_NOMATCH) break;
      if (rc < 0) return call.raise(kErrorSource, u"Out of stack space", kOutOfStack);
      const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(data.get());
      FoundMatch m;
      m.start = ov[0];
      m.length = ov[1] > ov[0] ? ov[1] - ov[0] : 0;
      for (uint32_t g = 1; g <= groups; ++g) {
        if (static_cast<int>(g) < rc && ov[2 * g] != PCRE2_UNSET)
          m.groups.emplace_back(std::pair<size_t, size_t>(ov[2 * g], ov[2 * g + 1] - ov[2 * g]));
        else
          m.groups.emplace_back(std::nullopt);
      }
      set.matches.push_back(std::move(m));
      if (!all) break;
      size_t end = ov[1] > ov[0] ? ov[1] : ov[0];
      from = end == ov[0] ? end + 1 : end;  // an empty match moves on by one unit
    }
    return S_OK;
  }
};

// The replacement text for one match: $1-$99, $&, $`, $', $$.
void expandReplacement(std::u16string& out, std::u16string_view replacement, const MatchSet& set,
                       const FoundMatch& m) {
  const size_t groups = m.groups.size();
  for (size_t i = 0; i < replacement.size(); ++i) {
    char16_t c = replacement[i];
    if (c != u'$' || i + 1 >= replacement.size()) {
      out += c;
      continue;
    }
    char16_t next = replacement[i + 1];
    if (next == u'$') {
      out += u'$';
      ++i;
    } else if (next == u'&') {
      out += groupText(set, m, 0);
      ++i;
    } else if (next == u'`') {
      out += std::u16string_view(set.subject).substr(0, m.start);
      ++i;
    } else if (next == u'\'') {
      out += std::u16string_view(set.subject).substr(m.start + m.length);
      ++i;
    } else if (next >= u'0' && next <= u'9') {
      size_t one = next - u'0';
      bool hasTwo = i + 2 < replacement.size() && replacement[i + 2] >= u'0' && replacement[i + 2] <= u'9';
      size_t two = hasTwo ? one * 10 + (replacement[i + 2] - u'0') : 0;
      if (hasTwo && two >= 1 && two <= groups) {
        out += groupText(set, m, two);
        i += 2;
      } else if (one >= 1 && one <= groups) {
        out += groupText(set, m, one);
        i += 1;
      } else {
        out += c;  // no such group: the text stays as written
      }
    } else {
      out += c;
    }
  }
}

const AutomationClass& RegExpObject::regExpClass() {
  static const AutomationClass& cls =
      AutomationClassBuilder<RegExpObject>(u"IRegExp2", IID_IRegExp2)
          .property(u"Pattern", VT_BSTR,
                    [](RegExpObject& self, Call& call) { return call.returnText(self.pattern); },
                    [](RegExpObject& self, Call& call) { return call.text(0, self.pattern); })
          .property(u"IgnoreCase", VT_BOOL,
                    [](RegExpObject& self, Call& call) { return call.returnBool(self.ignoreCase); },
                    [](RegExpObject& self, Call& call) { return call.boolean(0, self.ignoreCase); })
          .property(u"Global", VT_BOOL,
                    [](RegExpObject& self, Call& call) { return call.returnBool(self.global); },
                    [](RegExpObject& self, Call& call) { return call.boolean(0, self.global); })
          .property(u"Multiline", VT_BOOL,
                    [](RegExpObject& self, Call& call) { return call.returnBool(self.multiline); },
                    [](RegExpObject& self, Call& call) { return call.boolean(0, self.multiline); })
          .method(u"Execute", VT_DISPATCH, {param(u"sourceString", VT_BSTR)},
                  [](RegExpObject& self, Call& call) {
                    auto set = std::make_shared<MatchSet>();
                    call.text(0, set->subject);
                    if (HRESULT hr = self.search(call, *set, self.global); FAILED(hr)) return hr;
                    return call.adoptObject(new MatchCollectionObject(std::move(set)));
                  })
          .method(u"Test", VT_BOOL, {param(u"sourceString", VT_BSTR)},
                  [](RegExpObject& self, Call& call) {
                    MatchSet set;
                    call.text(0, set.subject);
                    if (HRESULT hr = self.search(call, set, false); FAILED(hr)) return hr;
                    return call.returnBool(!set.matches.empty());
                  })
          .method(u"Replace", VT_BSTR,
                  {param(u"sourceString", VT_BSTR), param(u"replaceVar", VT_VARIANT)},
                  [](RegExpObject& self, Call& call) {
                    MatchSet set;
                    std::u16string replacement;
                    call.text(0, set.subject);
                    if (HRESULT hr = call.text(1, replacement); FAILED(hr)) return hr;
                    if (HRESULT hr = self.search(call, set, self.global); FAILED(hr)) return hr;
                    std::u16string out;
                    size_t copied = 0;
                    for (const FoundMatch& m : set.matches) {
                      out.append(set.subject, copied, m.start - copied);
                      expandReplacement(out, replacement, set, m);
                      copied = m.start + m.length;
                    }
                    out.append(set.subject, copied);
                    return call.returnText(out);
                  })
          .build();
  return cls;
}

}  // namespace

void registerRegExpFactory() {
  registerClassFactory(CLSID_VBScriptRegExp, [] { return static_cast<IUnknown*>(new RegExpObject); });
}
