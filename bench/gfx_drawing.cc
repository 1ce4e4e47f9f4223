// Drawing throughput headless: 2,000 sprites in one frame, and building the
// game's images (1,024 sprites of 32 x 32 and 512 tiles of 48 x 48) pixel by
// pixel through a screen target, against the one-call BuildSpriteFromPixels.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/gfx_bench_window.h"
#include "runtime/core/frame.h"
#include "runtime/core/gl_api.h"
#include "runtime/gfx2d/drawing.h"
#include "runtime/gfx2d/image_decode.h"
#include "runtime/gfx2d/screen_target.h"
#include "runtime/gfx2d/sprite_store.h"
#include "runtime/gfx2d/text.h"

namespace {

bool Prepare() {
  static int ready = -1;
  if (ready < 0) {
    // A frame rate high enough that pacing never waits.
    ready = OpenBenchWindow(100000) ? 1 : 0;
    if (ready) LoadBuiltinFont(0);
  }
  return ready == 1;
}

int32_t Colour(int x, int y, int id) {
  const int v = (x * 7 + y * 13 + id) % 57;
  return v == 0 ? kSpriteColourKey : (v * 4) | ((x * 8) << 8) | ((y * 5) << 16);
}

void BM_Draw2000SpritesPerFrame(benchmark::State& state) {
  if (!Prepare()) {
    state.SkipWithError("no window");
    return;
  }
  ImageBuffer image{32, 32, {}};
  for (int i = 0; i < 32 * 32; ++i) {
    image.Pixels.insert(image.Pixels.end(), {static_cast<uint8_t>(i), 90, 200, static_cast<uint8_t>(i % 5 ? 255 : 0)});
  }
  PutImageInSlot(1, image, false);
  for (auto _ : state) {
    for (int i = 0; i < 2000; ++i) DrawSprite(1, (i * 37) % 608, (i * 53) % 448);
    PresentFrame();
    glFinish();
  }
}
BENCHMARK(BM_Draw2000SpritesPerFrame)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The game's sequence per image, as its loader runs it.
void DrawnImage(int32_t id, int side) {
  GrabSprite(id, 0, 0, side, side);
  CreateScreen(0, id, side, side);
  DrawSprite(id, 0, 0);
  UseScreen(0);
  DrawRect(0, 0, 500, 500, kSpriteColourKey);
  PrintText(NumberToText(id), 8, 8);
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) SetPixel(x, y, Colour(x, y, id));
  }
  UseScreen(-1);
}

void BuiltImage(int32_t id, int side, std::vector<int32_t>& colours) {
  colours.resize(static_cast<size_t>(side) * side);
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) colours[static_cast<size_t>(y) * side + x] = Colour(x, y, id);
  }
  BuildSpriteFromPixels(id, side, side, colours.data());
}

void LoadGameImages(bool drawn) {
  std::vector<int32_t> colours;
  for (int i = 0; i < 1024; ++i) drawn ? DrawnImage(i, 32) : BuiltImage(i, 32, colours);
  for (int i = 0; i < 512; ++i) drawn ? DrawnImage(1024 + i, 48) : BuiltImage(1024 + i, 48, colours);
  glFinish();
}

void BM_LoadImagesDrawnFramebuffer(benchmark::State& state) {
  if (!Prepare()) return state.SkipWithError("no window");
  SetFramebufferObjectsAllowed(true);
  for (auto _ : state) LoadGameImages(true);
}
void BM_LoadImagesDrawnEmulated(benchmark::State& state) {
  if (!Prepare()) return state.SkipWithError("no window");
  SetFramebufferObjectsAllowed(false);
  for (auto _ : state) LoadGameImages(true);
  SetFramebufferObjectsAllowed(true);
}
void BM_LoadImagesBuildSpriteFromPixels(benchmark::State& state) {
  if (!Prepare()) return state.SkipWithError("no window");
  for (auto _ : state) LoadGameImages(false);
}
BENCHMARK(BM_LoadImagesDrawnFramebuffer)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_LoadImagesDrawnEmulated)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_LoadImagesBuildSpriteFromPixels)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
