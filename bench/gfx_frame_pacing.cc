// Frame pacing: 600 empty frames through PresentFrame at 60 frames per
// second, in a window at scale 1 and at scale 2. Reports the mean interval
// between frames, the 99th percentile of how late a frame came after its
// slot, and the processor time per frame.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <vector>

#include "bench/gfx_bench_window.h"
#include "runtime/core/display_config.h"
#include "runtime/core/frame.h"
#include "runtime/core/system.h"

namespace {

double CpuMs(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

// state.range(0): the window's scale (the logical screen shown that many
// times its size).
void BM_PresentFrame600At60(benchmark::State& state) {
  RequestedDisplay().Scale = static_cast<int32_t>(state.range(0));
  if (!OpenBenchWindow(60)) {
    state.SkipWithError("no window");
    return;
  }
  for (auto _ : state) {
    constexpr int kFrames = 600;
    for (int i = 0; i < 10; ++i) PresentFrame();  // settle onto the slot grid
    std::vector<double> returns, lateness;
    const double threadStart = CpuMs(CLOCK_THREAD_CPUTIME_ID);
    const double processStart = CpuMs(CLOCK_PROCESS_CPUTIME_ID);
    for (int i = 0; i < kFrames; ++i) {
      const double slot = Graphics()->NextFrameTime;
      PresentFrame();
      const double now = NowMs();
      returns.push_back(now);
      lateness.push_back(now - slot);
    }
    const double threadCpu = CpuMs(CLOCK_THREAD_CPUTIME_ID) - threadStart;
    const double processCpu = CpuMs(CLOCK_PROCESS_CPUTIME_ID) - processStart;
    std::sort(lateness.begin(), lateness.end());
    state.counters["mean_interval_ms"] = (returns.back() - returns.front()) / (kFrames - 1);
    state.counters["p50_late_ms"] = lateness[kFrames / 2];
    state.counters["p90_late_ms"] = lateness[static_cast<size_t>(kFrames * 0.9) - 1];
    state.counters["p99_late_ms"] = lateness[static_cast<size_t>(kFrames * 0.99) - 1];
    state.counters["max_late_ms"] = lateness.back();
    state.counters["cpu_ms_per_frame_thread"] = threadCpu / kFrames;
    state.counters["cpu_ms_per_frame_process"] = processCpu / kFrames;
  }
}
BENCHMARK(BM_PresentFrame600At60)->Arg(1)->Arg(2)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
