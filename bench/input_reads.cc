// What a keyboard or mouse read costs: each one fetches the system's pending
// events before it looks at the state. Baseline: draining SDL's queue alone.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "runtime/input/input.h"
#include "runtime/input/key_bindings.h"

namespace {

void StartInput() {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  static const bool started = [] {
    SDL_InitSubSystem(SDL_INIT_VIDEO);
    CreateInputState();
    OpenInputDevices(1);
    return true;
  }();
  (void)started;
}

void BM_DrainQueueOnly(benchmark::State& state) {
  StartInput();
  SDL_Event event;
  for (auto _ : state) {
    benchmark::DoNotOptimize(SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_KEYDOWN, SDL_KEYUP));
  }
}
BENCHMARK(BM_DrainQueueOnly);

void BM_KeyDown(benchmark::State& state) {
  StartInput();
  for (auto _ : state) benchmark::DoNotOptimize(KeyDown(57));
}
BENCHMARK(BM_KeyDown);

// A game control read through its bindings: three keys bound, none down,
// so every one of them is looked at. Compare with BM_KeyDown.
void BM_BoundKeyDown(benchmark::State& state) {
  StartInput();
  ControlBinding fire;
  fire.Keys = {57, 28, 157};  // Space, Enter, Right Ctrl
  SetControlBinding(0, PlayerControl::kFire, fire);
  for (auto _ : state) benchmark::DoNotOptimize(BoundKeyDown(0, PlayerControl::kFire));
  ResetControlBindings();
}
BENCHMARK(BM_BoundKeyDown);

// The frame loop's wait scans every key code once per pass.
void BM_ScanAllKeys(benchmark::State& state) {
  StartInput();
  for (auto _ : state) {
    int down = 0;
    for (int code = 0; code < 255; ++code) down += KeyDown(code);
    benchmark::DoNotOptimize(down);
  }
}
BENCHMARK(BM_ScanAllKeys);

void BM_MouseAxis(benchmark::State& state) {
  StartInput();
  for (auto _ : state) benchmark::DoNotOptimize(MouseAxis(0));
}
BENCHMARK(BM_MouseAxis);

}  // namespace

BENCHMARK_MAIN();
