// The regular-expression object (VBScript.RegExp through RegexMatcher) with
// pattern, subject, replacement and options from the input: a pattern is
// taken or refused, every match found stands in the subject where its
// position says, "$&" replaces each match by itself, and no search hangs
// (the component's match limits end a runaway one as a failure).
#include <string>

#include "fuzz/fuzz_input.h"
#include "platform/text/codepage.h"
#include "script/regex_matcher.h"

namespace {

constexpr int32_t kMostMatches = 64;

// Text that the component's UTF-16 holds byte for byte.
bool survivesConversion(const Text& text) {
  return utf16ToMultiByte(multiByteToUtf16(text, CP_GBK), CP_GBK) == text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const uint8_t flags = in.byte();
  const Text pattern = in.field();
  const Text replacement = in.field();
  const Text subject = in.rest();
  const bool global = flags & 4, quoteMarker = flags & 8;
  const bool lossless = survivesConversion(subject);

  RegexMatcher matcher;
  if (!matcher.search(pattern, subject, flags & 1, flags & 2, global, quoteMarker)) {
    FUZZ_CHECK(matcher.matchCount() == 0);
    return 0;
  }
  const Text given = quoteMarker ? replaceText(pattern, RegexMatcher::quoteMarker(), "\"") : pattern;
  if (survivesConversion(given)) FUZZ_CHECK(matcher.getPattern() == given);

  const int32_t count = matcher.matchCount();
  FUZZ_CHECK(count >= 0 && (global || count <= 1));
  for (int32_t i = 1; i <= count && i <= kMostMatches; ++i) {
    int32_t position = -3;
    const Text text = matcher.matchText(i, &position);
    if (lossless) {
      FUZZ_CHECK(position >= 0 && static_cast<size_t>(position) <= subject.size());
      FUZZ_CHECK(subject.compare(static_cast<size_t>(position), text.size(), text) == 0);
    }
    const int32_t groups = matcher.subMatchCount();
    for (int32_t g = 1; g <= groups + 1 && g <= 8; ++g) {
      int32_t at = -3;
      const Text part = matcher.subMatchText(i, g, &at);
      if (lossless && at >= 0) FUZZ_CHECK(subject.compare(static_cast<size_t>(at), part.size(), part) == 0);
      if (g > groups) FUZZ_CHECK(part.empty() && at == -2);
    }
  }
  int32_t none = 0;
  FUZZ_CHECK(matcher.matchText(count + 1, &none).empty() && none == -2);
  if (lossless) FUZZ_CHECK(matcher.replace("$&") == subject);
  (void)matcher.replace(replacement);
  return 0;
}
