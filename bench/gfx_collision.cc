// SpritesCollide in its worst case: two 32 x 32 sprites on top of each other
// whose solid pixels never meet (a checkerboard and its complement), so that
// every pixel of the overlap is looked at. The baseline scans the same masks
// as bytes, one pixel at a time in the four-pass lattice order.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/gfx_bench_window.h"
#include "runtime/gfx2d/collision.h"
#include "runtime/gfx2d/image_decode.h"
#include "runtime/gfx2d/sprite_store.h"

namespace {

constexpr int kSide = 32;

bool Solid(int id, int x, int y) { return ((x + y) & 1) == (id == 1 ? 0 : 1); }

bool PrepareSprites() {
  static bool ready = false;
  if (ready) return true;
  if (!OpenBenchWindow(60)) return false;
  for (int id : {1, 2}) {
    ImageBuffer image{kSide, kSide, {}};
    for (int y = 0; y < kSide; ++y) {
      for (int x = 0; x < kSide; ++x) {
        image.Pixels.insert(image.Pixels.end(), {200, 100, 50, static_cast<uint8_t>(Solid(id, x, y) ? 255 : 0)});
      }
    }
    PutImageInSlot(id, image, false);
  }
  ready = SpritesCollide(1, 0, 0, 2, 0, 0) == 0;
  return ready;
}

void BM_SpritesCollideWorstCase(benchmark::State& state) {
  if (!PrepareSprites()) {
    state.SkipWithError("no window");
    return;
  }
  int x = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(x);
    benchmark::DoNotOptimize(SpritesCollide(1, x, 0, 2, x, 0));
  }
}
BENCHMARK(BM_SpritesCollideWorstCase)->Repetitions(9)->ReportAggregatesOnly(true);

// Byte masks as the texture's alpha, rows bottom-up, scanned per pixel.
int ByteScan(const std::vector<uint8_t>& a, int x1, int y1, const std::vector<uint8_t>& b, int x2,
             int y2) {
  const int left = std::max(x1, x2), right = std::min(x1 + kSide, x2 + kSide);
  const int top = std::max(y1, y2), bottom = std::min(y1 + kSide, y2 + kSide);
  if (left > right || top > bottom) return 0;
  for (int pass = 0; pass < 4; ++pass) {
    for (int y = top + pass / 2; y < bottom; y += 2) {
      for (int x = left + pass % 2; x < right; x += 2) {
        const uint8_t m1 = a[static_cast<size_t>(kSide - 1 - (y - y1)) * kSide + (x - x1)];
        const uint8_t m2 = b[static_cast<size_t>(kSide - 1 - (y - y2)) * kSide + (x - x2)];
        if (m1 != 0 && m2 != 0) return 1;
      }
    }
  }
  return 0;
}

void BM_ByteScanBaseline(benchmark::State& state) {
  std::vector<uint8_t> a(kSide * kSide), b(kSide * kSide);
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      a[static_cast<size_t>(kSide - 1 - y) * kSide + x] = Solid(1, x, y) ? 255 : 0;
      b[static_cast<size_t>(kSide - 1 - y) * kSide + x] = Solid(2, x, y) ? 255 : 0;
    }
  }
  int x = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(x);
    benchmark::DoNotOptimize(a.data());
    benchmark::DoNotOptimize(b.data());
    benchmark::DoNotOptimize(ByteScan(a, x, 0, b, x, 0));
  }
}
BENCHMARK(BM_ByteScanBaseline)->Repetitions(9)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
