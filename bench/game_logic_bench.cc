// The game logic of one level frame: launch, enemy step, sort, player step,
// bullet step and status line, with 100 live enemies and a given number of
// live bullets (half the players', half the enemies'). Every iteration plays
// the same frame from the same saved state.
//
// BM_LevelFrameLogic        the steps with the drawing commands turned into no-ops
//                           (collision masks are cached beforehand): the logic alone
// BM_LevelFrameWithDrawing  the steps as the game runs them, drawing included
// BM_LevelFrameDrawingOnly  the same frame's drawing calls without any logic
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/gfx_bench_window.h"
#include "game/collisions.h"
#include "game/enemies.h"
#include "game/ships.h"
#include "runtime/core/frame.h"
#include "runtime/core/window.h"
#include "runtime/gfx2d/collision.h"
#include "runtime/gfx2d/drawing.h"
#include "runtime/gfx2d/screen_target.h"
#include "runtime/gfx2d/text.h"
#include "runtime/input/input.h"
#include "runtime/values/maths.h"

namespace {

constexpr int32_t kEnemies = 100;

ImageRecord Solid(int32_t width, int32_t height, int32_t colour) {
  ImageRecord image;
  image.Pixels.Dimension(width, height);
  for (int32_t& pixel : image.Pixels) pixel = colour;
  return image;
}

bool BuildSlot(ImageRecord& image, int32_t slot) {
  image.SpriteId = slot;
  const int32_t w = image.Pixels.DimSize(0), h = image.Pixels.DimSize(1);
  std::vector<int32_t> colours;
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) colours.push_back(image.Pixels(x, y));
  }
  return BuildSpriteFromPixels(slot, w, h, colours.data()) == 1;
}

// A game of 16 x 16 ships and enemies, 4 x 4 bullets, 32 x 32 tiles on a
// 20 x 60 map with a sprinkling of solid foreground cells.
struct Scene {
  GameRecord Game;
  GameSession Session{Game};
  RtArray<ObjectRecord> Players;
  RtArray<LiveEnemy> Enemies;
  RtArray<Bullet> Bullets;
  int32_t Clock = 0;
  int32_t Ticks = 0;
  int32_t Drawn = 0;  // sprites the frame draws
};

bool Prepare(Scene& scene, int32_t bulletCount) {
  static bool window = false;
  if (!window) {
    if (!OpenBenchWindow(100000)) return false;
    CreateInputState();
    OpenInputDevices(1);
    LoadFont("ingamefont.bmp", 1);
    SetFont(1);
    window = true;
  }
  SeedRandom(1);
  GameRecord& game = scene.Game;
  game.Sprites.Dimension(4);
  game.Sprites[0] = Solid(16, 16, 0xFFFFFF);
  game.Sprites[1] = Solid(16, 16, 0x00FF00);
  game.Sprites[2] = Solid(16, 16, 0x0000FF);
  game.Sprites[3] = Solid(4, 4, 0xFFFF00);
  game.Tiles.Dimension(1);
  game.Tiles[0] = Solid(32, 32, 0x404040);
  for (int32_t i = 0; i < 4; ++i) {
    if (!BuildSlot(game.Sprites[i], i)) return false;
  }
  if (!BuildSlot(game.Tiles[0], 1024)) return false;
  for (int32_t slot : {0, 1, 2, 3, 1024}) {
    if (CollisionMaskOf(slot) == nullptr) return false;
  }

  AnimationRecord move;
  move.Frames.AssignList({1});
  move.Mode = 1;
  AnimationRecord foe = move;
  foe.Frames.AssignList({2});
  AnimationRecord shot = move;
  shot.Frames.AssignList({3});
  game.Animations.Clear();
  for (const AnimationRecord& a :
       {move, move, move, shot, move, move, move, shot, foe, foe, foe, shot}) {
    game.Animations.Append(a);
  }

  LevelRecord& level = game.Levels[0];
  for (int32_t l = 0; l < 2; ++l) {
    level.Layers[l].Dimension(20, 60);
    for (int32_t& cell : level.Layers[l]) cell = -1;
  }
  for (int32_t y = 5; y < 60; y += 7) level.Layers[1](y % 20, y) = 0;
  level.TileCollision = 1;
  level.ScrollMode = 1;

  // One wave on a looping path across the visible part of the map.
  WaveRecord wave;
  wave.Path.AssignList({{40, 1450}, {580, 1500}, {580, 1700}, {40, 1650}, {40, 1450}});
  wave.SpawnPositions.AssignList({0});
  ObjectRecord definition;
  definition.AnimationBase = 8;
  definition.LoopPath = 1;
  definition.FireAim = 1 + 2 + 4 + 8 + 16;
  definition.Hits = 1000000;
  wave.Objects.AssignList({definition});
  MeasurePath(wave);
  level.Waves.AssignList({wave});

  GameSession& s = scene.Session;
  LevelMeasures& m = s.Measures;
  m.TileW = m.TileH = 32;
  m.MapW = 20;
  m.MapH = 60;
  m.MapWidthPx = 640;
  m.MapHeightPx = 1920;
  m.SpriteW = m.SpriteH = 16;
  GetScreenSize(m.ScreenW, m.ScreenH);
  GetFontSize(m.FontW, m.FontH);
  s.ScrollY = m.MapHeightPx - m.ScreenH;
  s.PrevScrollY = s.ScrollY;
  s.SavedPlayers = game.Players;
  s.FireLatch.Dimension(2);
  for (int32_t i = 0; i < 2; ++i) {
    ObjectRecord& p = game.Players[i];
    p.X = 200 + 240 * i;
    p.Y = 1800;
    p.AnimationBase = 4 * i;
    p.SpriteSlot = 1;
  }

  // Enemies spread along the path, a tenth of them due to fire this frame.
  for (int32_t k = 0; k < kEnemies; ++k) {
    LiveEnemy enemy;
    enemy.Object = definition;
    enemy.PathPos = wave.PathLength * k / kEnemies;
    enemy.PathEnd = wave.PathLength;
    enemy.Object.NextFireTick = k % 10 == 0 ? 0 : 1 << 30;
    PathPosition(wave, enemy.PathPos, enemy.Object.X, enemy.Object.Y, enemy.DirX, enemy.DirY);
    enemy.Object.SpriteSlot = 2;
    s.Enemies.Append(enemy);
  }

  // Bullets over the whole screen, flying slowly, living long.
  s.Bullets.Clear();
  for (int32_t b = 0; b < bulletCount; ++b) {
    Bullet bullet;
    bullet.AnimationIndex = b % 2 == 0 ? 3 : 11;
    bullet.Owner = b % 2 == 0 ? (b / 2) % 2 : -1;
    bullet.SpriteSlot = 3;
    bullet.Blockable = 1;
    bullet.X = (b * 37) % 620;
    bullet.Y = 1440 + (b * 53) % 460;
    bullet.VelX = (b % 3) - 1;
    bullet.VelY = b % 2 == 0 ? -2 : 2;
    bullet.ExpiresAt = 1 << 30;
    s.Bullets.Append(bullet);
  }
  scene.Players = game.Players;
  scene.Enemies = s.Enemies;
  scene.Bullets = s.Bullets;
  scene.Clock = 1000;
  scene.Ticks = 1000;
  scene.Drawn = kEnemies + 2 + bulletCount;
  return true;
}

void Restore(Scene& scene) {
  scene.Game.Players = scene.Players;
  scene.Session.Enemies = scene.Enemies;
  scene.Session.Bullets = scene.Bullets;
  GameClock() = scene.Clock;
  scene.Session.TickCounter = scene.Ticks;
  scene.Session.ScrollY = scene.Session.Measures.MapHeightPx - scene.Session.Measures.ScreenH;
  scene.Session.PrevScrollY = scene.Session.ScrollY;
}

void LevelFrame(GameSession& s) {
  GameClock() += 17;
  s.FrameTime = GameClock();
  s.TickCounter += 16;
  LaunchWaves(s);
  s.PrevScrollY = s.ScrollY;
  StepEnemies(s);
  SortEnemies(s);
  StepPlayers(s);
  StepBullets(s);
  DrawStatusLine(s);
}

// Plays the frame again and again; with `draw` false every drawing command
// returns at once, as it does without a graphics context.
void RunLevelFrames(benchmark::State& state, bool draw) {
  Scene scene;
  if (!Prepare(scene, static_cast<int32_t>(state.range(0)))) {
    state.SkipWithError("no window");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    Restore(scene);
    SwapAndPace();  // keeps the driver's queue from growing between frames
    Graphics()->Ready = draw ? 1 : 0;
    state.ResumeTiming();
    LevelFrame(scene.Session);
    state.PauseTiming();
    Graphics()->Ready = 1;
    state.ResumeTiming();
  }
  state.counters["enemies"] = static_cast<double>(scene.Session.Enemies.DimSize(0));
  state.counters["bullets"] = static_cast<double>(scene.Session.Bullets.DimSize(0));
}

void BM_LevelFrameLogic(benchmark::State& state) {
  RunLevelFrames(state, false);
}
void BM_LevelFrameWithDrawing(benchmark::State& state) {
  RunLevelFrames(state, true);
}

// The same frame's drawing calls without any logic: the sprites and the
// status line's bar and texts.
void BM_LevelFrameDrawingOnly(benchmark::State& state) {
  Scene scene;
  if (!Prepare(scene, static_cast<int32_t>(state.range(0)))) {
    state.SkipWithError("no window");
    return;
  }
  const GameSession& s = scene.Session;
  for (auto _ : state) {
    state.PauseTiming();
    SwapAndPace();
    state.ResumeTiming();
    for (const LiveEnemy& e : s.Enemies) DrawSprite(2, e.Object.X, e.Object.Y - s.ScrollY);
    for (const ObjectRecord& p : scene.Game.Players) DrawSprite(1, p.X, p.Y - s.ScrollY);
    for (const Bullet& b : s.Bullets) DrawSprite(3, b.X, b.Y - s.ScrollY);
    DrawRect(0, 0, s.Measures.ScreenW, s.Measures.FontH + 2, 0);
    PrintText("P1 \x01x3", 0, 1);
    PrintText("$       0", 8 * s.Measures.FontW, 1);
    PrintText("P2 \x01x3", 320, 1);
    PrintText("$       0", 320 + 8 * s.Measures.FontW, 1);
  }
}

}  // namespace

BENCHMARK(BM_LevelFrameLogic)
    ->Arg(250)
    ->Arg(1000)
    ->Arg(4000)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_LevelFrameWithDrawing)
    ->Arg(250)
    ->Arg(1000)
    ->Arg(4000)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_LevelFrameDrawingOnly)
    ->Arg(250)
    ->Arg(1000)
    ->Arg(4000)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
