// The automation bridge and the regular-expression object: one getProperty
// round trip on a trivial component, the HTTP engine's charset search on a
// 1,024-byte page, and the byte positions of 40,000 matches.
#include <benchmark/benchmark.h>

#include "platform/com/automation_class.h"
#include "platform/com/class_registry.h"
#include "script/com_object.h"
#include "platform/text/gbk.h"
#include "script/regex_matcher.h"

namespace {

constexpr CLSID CLSID_BenchTrivial = {0xBE7C0001, 0x0001, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 1}};
constexpr IID IID_IBenchTrivial = {0xBE7C0001, 0x0002, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 2}};

struct Trivial : AutomationObject {
  Trivial() : AutomationObject(trivialClass()) {}
  static const AutomationClass& trivialClass() {
    static const AutomationClass& cls =
        AutomationClassBuilder<Trivial>(u"IBenchTrivial", IID_IBenchTrivial)
            .readOnlyProperty(u"Name", VT_BSTR, [](Trivial&, Call& call) { return call.returnText(u"trivial"); })
            .readOnlyProperty(u"Value", VT_I4, [](Trivial&, Call& call) { return call.returnInt(42); })
            .build();
    return cls;
  }
};

ComObject trivialObject() {
  CoInitialize(nullptr);
  registerProgId(u"Kestrune.BenchTrivial", CLSID_BenchTrivial);
  registerClassFactory(CLSID_BenchTrivial, [] { return static_cast<IUnknown*>(new Trivial); });
  ComObject o;
  o.createObject("Kestrune.BenchTrivial");
  return o;
}

void BM_BridgeGetPropertyNumber(benchmark::State& state) {
  ComObject o = trivialObject();
  for (auto _ : state) benchmark::DoNotOptimize(o.getPropertyNumber("Value"));
  if (LastInvokeError != 0) state.SkipWithError("getProperty failed");
}
BENCHMARK(BM_BridgeGetPropertyNumber);

void BM_BridgeGetPropertyText(benchmark::State& state) {
  ComObject o = trivialObject();
  for (auto _ : state) benchmark::DoNotOptimize(o.getPropertyText("Name"));
  if (LastInvokeError != 0) state.SkipWithError("getProperty failed");
}
BENCHMARK(BM_BridgeGetPropertyText);

// A 1,024-byte page; the declaration near the start (arg 0) or absent (arg 1).
Text page(bool withCharset) {
  Text p = "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n";
  if (withCharset) p += "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\r\n";
  p += "<meta name=\"viewport\" content=\"width=device-width\">\r\n<title>Kestrune</title>\r\n</head>\r\n<body>\r\n";
  while (p.size() < 1024) p += "<p>0123456789 abcdefghij</p>\r\n";
  p.resize(1024);
  return p;
}

void BM_CharsetSearch(benchmark::State& state) {
  const Text subject = page(state.range(0) == 0);
  const Text pattern = "<meta.+?charset=[^\\w]?([-\\w]+)";
  for (auto _ : state) {
    RegexMatcher matcher;
    Text charset;
    if (matcher.search(pattern, subject)) charset = matcher.subMatchText(1, 1);
    benchmark::DoNotOptimize(charset);
  }
}
BENCHMARK(BM_CharsetSearch)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// 40,000 pieces of double-byte text and a digit.
Text manyDigits() {
  Text subject;
  for (int i = 0; i < 40000; ++i) subject += "价格"_gbk + static_cast<char>('0' + i % 10);
  return subject;
}

// The search for "\\d" in it: 40,000 matches.
void BM_SearchManyMatches(benchmark::State& state) {
  const Text subject = manyDigits();
  for (auto _ : state) {
    RegexMatcher matcher;
    if (!matcher.search("\\d", subject) || matcher.matchCount() != 40000) state.SkipWithError("search failed");
  }
}
BENCHMARK(BM_SearchManyMatches)->Unit(benchmark::kMillisecond);

// Every match of that search with its byte position: 40,000 position reads.
void BM_MatchPositions(benchmark::State& state) {
  const Text subject = manyDigits();
  RegexMatcher matcher;
  if (!matcher.search("\\d", subject) || matcher.matchCount() != 40000) {
    state.SkipWithError("search failed");
    return;
  }
  for (auto _ : state) {
    int64_t sum = 0;
    for (int32_t i = 1; i <= 40000; ++i) {
      int32_t position = 0;
      matcher.matchText(i, &position);
      sum += position;
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_MatchPositions)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
