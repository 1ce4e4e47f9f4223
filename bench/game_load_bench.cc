// Loading a large game: 1,024 sprite images of 32 x 32 and 512 tile images of
// 48 x 48 (about 2.2 million pixel bytes). Measures the whole load, its two
// halves (reading the file, building the images), and as the baseline the
// same images built by drawing them pixel by pixel through screen 0.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "bench/gfx_bench_window.h"
#include "game/game_file.h"
#include "game/game_file_writer.h"
#include "game/palette.h"
#include "runtime/gfx2d/screen_target.h"
#include "runtime/gfx2d/text.h"

namespace {

std::string& GamePath() {
  static std::string path;
  return path;
}

// Writes the synthetic game once; false when no window can be had.
bool Prepare() {
  static bool ready = false;
  static bool tried = false;
  if (tried) return ready;
  tried = true;
  if (!OpenBenchWindow(0)) return false;
  LoadBuiltinFont(0);
  GameRecord game;
  game.Sprites.Dimension(1024);
  game.Tiles.Dimension(512);
  uint32_t seed = 1;
  auto fill = [&seed](ImageRecord& image, int32_t side) {
    image.Pixels.Dimension(side, side);
    for (int32_t& pixel : image.Pixels) {
      seed = seed * 1103515245u + 12345u;
      pixel = kPalette[(seed >> 16) % kPaletteSize];
    }
  };
  for (ImageRecord& image : game.Sprites) fill(image, 32);
  for (ImageRecord& image : game.Tiles) fill(image, 48);
  game.Animations.Dimension(40);
  std::string bytes;
  std::string error;
  if (!WriteGameFile(game, 7, bytes, error)) return false;
  GamePath() = std::string(std::getenv("TMPDIR")) + "/bench_game.ZORAX";
  std::FILE* file = std::fopen(GamePath().c_str(), "wb");
  if (file == nullptr) return false;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  ready = true;
  return true;
}

void BM_LoadGame(benchmark::State& state) {
  if (!Prepare()) return state.SkipWithError("no window or no file");
  for (auto _ : state) {
    GameRecord game;
    benchmark::DoNotOptimize(LoadGame(game, GamePath().c_str()));
  }
}

void BM_ReadGameFile(benchmark::State& state) {
  if (!Prepare()) return state.SkipWithError("no window or no file");
  for (auto _ : state) {
    GameRecord game;
    benchmark::DoNotOptimize(ReadGameFile(game, GamePath().c_str()));
  }
}

void BM_BuildGameImages(benchmark::State& state) {
  if (!Prepare()) return state.SkipWithError("no window or no file");
  GameRecord game;
  ReadGameFile(game, GamePath().c_str());
  for (auto _ : state) BuildGameImages(game);
}

// The baseline: every image drawn pixel by pixel.
void BM_BuildGameImagesDrawn(benchmark::State& state) {
  if (!Prepare()) return state.SkipWithError("no window or no file");
  GameRecord game;
  ReadGameFile(game, GamePath().c_str());
  for (auto _ : state) {
    for (int32_t i = 0; i < game.Sprites.DimSize(0); ++i) {
      game.Sprites[i].SpriteId = i;
      DrawImageSprite(game.Sprites[i], kSpriteImageSize);
    }
    for (int32_t i = 0; i < game.Tiles.DimSize(0); ++i) {
      game.Tiles[i].SpriteId = kFirstTileSlot + i;
      DrawImageSprite(game.Tiles[i], kTileImageSize);
    }
  }
}

BENCHMARK(BM_LoadGame)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_ReadGameFile)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_BuildGameImages)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_BuildGameImagesDrawn)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
