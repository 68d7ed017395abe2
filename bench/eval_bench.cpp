// Loading the tail-number table and one lookup over the full table.
#include <benchmark/benchmark.h>

#include "eval/evaluation.h"
#include "eval/tail_table.h"
#include "platform/text/gbk.h"

static void BM_LoadTailTable(benchmark::State& state) {
  for (auto _ : state) {
    loadTailTable();
    benchmark::DoNotOptimize(TailTable.data());
  }
}
BENCHMARK(BM_LoadTailTable)->Unit(benchmark::kMicrosecond);

static void BM_LookupFullTable(benchmark::State& state) {
  loadTailTable();
  const Text input = state.range(0) ? Text("8888") : Text("0520");
  for (auto _ : state) {
    TailRow best = lookupTail(TailTable, input);
    benchmark::DoNotOptimize(best.price);
  }
}
BENCHMARK(BM_LookupFullTable)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

static void BM_LookupNoMatch(benchmark::State& state) {
  loadTailTable();
  const Text input = "123";
  for (auto _ : state) benchmark::DoNotOptimize(lookupTail(TailTable, input).price);
}
BENCHMARK(BM_LookupNoMatch)->Unit(benchmark::kMicrosecond);
