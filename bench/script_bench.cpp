// The JSON document on the script control: the version notice's use of it
// (construction, parse, three reads; target <= 5 ms in all), and parsing a
// 1 MiB document against a raw Duktape evaluation of the same text (target
// ratio <= 1.5; the ratio is the "ratio" counter of BM_ParseLargeRatio).
#include <benchmark/benchmark.h>
#include <duktape.h>

#include <chrono>
#include <string>

#include "platform/text/gbk.h"
#include "script/json_document.h"

namespace {

const char kNoticeUtf8[] = R"({"data":{"V":"25.14","C":"欢迎使用本软件，祝您直播顺利","W":"https://example.invalid/download"}})";

// A JSON array of records, at least 1 MiB of UTF-8.
std::string largeDocumentUtf8() {
  std::string s = "[";
  for (int i = 0; s.size() < (1u << 20); ++i) {
    if (i) s += ",";
    s += R"({"id":)" + std::to_string(i) + R"(,"tail":")" + std::to_string(1000 + i % 9000) +
         R"(","grade":"优秀","price":)" + std::to_string(1000 + i % 15888) + R"(.5,"ok":true,)" +
         R"("advice":"长期使用","tags":["a","b",null],"note":"line\nbreak \"quoted\""})";
  }
  return s + "]";
}

void noDuktapeFatal(void*, const char*) { std::abort(); }

double rawDuktapeSeconds(const std::string& utf8) {
  const std::string source = "var da = eval(" + utf8 + ")";
  const auto start = std::chrono::steady_clock::now();
  duk_context* ctx = duk_create_heap(nullptr, nullptr, nullptr, nullptr, noDuktapeFatal);
  if (duk_peval_lstring(ctx, source.data(), source.size()) != 0) std::abort();
  duk_destroy_heap(ctx);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double documentSeconds(const Text& gbk) {
  const auto start = std::chrono::steady_clock::now();
  {
    JsonDocument doc;
    if (!doc.parse(gbk)) std::abort();
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

static void BM_NoticeDocument(benchmark::State& state) {
  const Text notice = utf8ToGbk(kNoticeUtf8);
  for (auto _ : state) {
    JsonDocument doc;
    doc.parse(notice);
    Text v = doc.getText("data.V");
    Text c = doc.getText("data.C");
    Text w = doc.getText("data.W");
    if (v != "25.14") state.SkipWithError("data.V not read");
    benchmark::DoNotOptimize(c.data());
    benchmark::DoNotOptimize(w.data());
  }
}
BENCHMARK(BM_NoticeDocument)->Unit(benchmark::kMillisecond);

static void BM_ParseLargeJsonDocument(benchmark::State& state) {
  const Text gbk = utf8ToGbk(largeDocumentUtf8());
  for (auto _ : state) {
    JsonDocument doc;
    if (!doc.parse(gbk)) state.SkipWithError("parse failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(gbk.size()));
}
BENCHMARK(BM_ParseLargeJsonDocument)->Unit(benchmark::kMillisecond);

static void BM_ParseLargeRawDuktape(benchmark::State& state) {
  const std::string utf8 = largeDocumentUtf8();
  for (auto _ : state) benchmark::DoNotOptimize(rawDuktapeSeconds(utf8));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(utf8.size()));
}
BENCHMARK(BM_ParseLargeRawDuktape)->Unit(benchmark::kMillisecond);

// Both in the same run, alternating: ratio = document time / raw time.
static void BM_ParseLargeRatio(benchmark::State& state) {
  const std::string utf8 = largeDocumentUtf8();
  const Text gbk = utf8ToGbk(utf8);
  double documentTotal = 0, rawTotal = 0;
  for (auto _ : state) {
    documentTotal += documentSeconds(gbk);
    rawTotal += rawDuktapeSeconds(utf8);
  }
  state.counters["document_ms"] = 1000 * documentTotal / static_cast<double>(state.iterations());
  state.counters["raw_ms"] = 1000 * rawTotal / static_cast<double>(state.iterations());
  state.counters["ratio"] = rawTotal > 0 ? documentTotal / rawTotal : 0;
}
BENCHMARK(BM_ParseLargeRatio)->Unit(benchmark::kMillisecond)->Iterations(20);
