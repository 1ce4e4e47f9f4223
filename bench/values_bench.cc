// Append against std::vector, in the same run: RtArray keeps all of its
// rules (contents kept, defaults, error checks) but must stay amortised
// constant per append.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "runtime/values/rt_array.h"

namespace {

struct Record24 {
  int32_t Fields[24] = {};
};

void RtArrayAppendInt(benchmark::State& state) {
  for (auto _ : state) {
    RtArray<int32_t> array;
    for (int32_t i = 0; i < 1000000; ++i) array.Append(i);
    benchmark::DoNotOptimize(array.Data());
  }
}

void VectorPushBackInt(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<int32_t> vector;
    for (int32_t i = 0; i < 1000000; ++i) vector.push_back(i);
    benchmark::DoNotOptimize(vector.data());
  }
}

void RtArrayAppendRecord(benchmark::State& state) {
  Record24 record;
  for (auto _ : state) {
    RtArray<Record24> array;
    for (int32_t i = 0; i < 100000; ++i) {
      record.Fields[0] = i;
      array.Append(record);
    }
    benchmark::DoNotOptimize(array.Data());
  }
}

void VectorPushBackRecord(benchmark::State& state) {
  Record24 record;
  for (auto _ : state) {
    std::vector<Record24> vector;
    for (int32_t i = 0; i < 100000; ++i) {
      record.Fields[0] = i;
      vector.push_back(record);
    }
    benchmark::DoNotOptimize(vector.data());
  }
}

}  // namespace

BENCHMARK(VectorPushBackInt)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(RtArrayAppendInt)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(VectorPushBackRecord)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(RtArrayAppendRecord)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK_MAIN();
