// A level played frame by frame without the game loop: a small game built in
// code, its images built into sprite slots, the level started as the loop
// starts it, and one helper that runs the frame steps in the loop's order.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "game/collisions.h"
#include "game/enemies.h"
#include "game/ships.h"
#include "game/sound_cues.h"
#include "runtime/core/frame.h"
#include "runtime/core/window.h"
#include "runtime/gfx2d/drawing.h"
#include "runtime/gfx2d/screen_target.h"
#include "runtime/gfx2d/text.h"
#include "runtime/input/input.h"
#include "runtime/sound/sound.h"
#include "runtime/values/maths.h"
#include "tests/game/game_builders.h"
#include "tests/sound/wav_bytes.h"
#include "tests/support/test_env.h"

namespace leveltest {

// Sprite images of the test game, by index in Sprites (and sprite slot).
enum SpriteIndex : int32_t { kBlock = 0, kShip = 1, kFoe = 2, kShot = 3, kWreck = 4 };
// Animation groups: player 1, player 2, then the enemy definitions.
constexpr int32_t kFoeAnimations = 8;
constexpr int32_t kWhite = 0xFFFFFF;

inline ImageRecord Image(int32_t width, int32_t height, int32_t colour = kWhite) {
  ImageRecord image;
  image.Pixels.Dimension(width, height);
  for (int32_t& pixel : image.Pixels) pixel = colour;
  return image;
}

using testgame::Animation;

// The four animations of one actor: Move, Shoot, Die, Bullet.
inline void AddGroup(GameRecord& game, int32_t look) {
  for (const AnimationRecord& a : {Animation({look}, 1), Animation({look}, 1),
                                   Animation({kWreck}, 1), Animation({kShot}, 1)}) {
    game.Animations.Append(a);
  }
}

// An enemy definition using the test game's enemy animations.
inline ObjectRecord Foe() {
  ObjectRecord foe;
  foe.AnimationBase = kFoeAnimations;
  foe.Hits = 1;
  foe.FireAim = 0;
  foe.NextFireTick = 1 << 30;  // quiet unless a test wants it to fire
  return foe;
}

// A wave on a path through these points, spawned at these scroll positions.
inline WaveRecord Wave(std::initializer_list<PathPoint> path, std::initializer_list<int32_t> spawns,
                       const ObjectRecord& definition = Foe()) {
  WaveRecord wave;
  wave.Path.AssignList(path);
  wave.SpawnPositions.AssignList(spawns);
  wave.Objects.AssignList({definition});
  return wave;
}

// Fills every image's sprite slot as the loader does: Sprites[i] in slot i,
// Tiles[i] in slot 1024 + i.
inline void BuildImages(GameRecord& game) {
  auto build = [](ImageRecord& image, int32_t slot) {
    image.SpriteId = slot;
    const int32_t w = image.Pixels.DimSize(0), h = image.Pixels.DimSize(1);
    std::vector<int32_t> colours;
    for (int32_t y = 0; y < h; ++y) {
      for (int32_t x = 0; x < w; ++x) colours.push_back(image.Pixels(x, y));
    }
    if (w > 0 && h > 0) {
      ASSERT_EQ(BuildSpriteFromPixels(slot, w, h, colours.data()), 1);
    }
  };
  for (int32_t i = 0; i < game.Sprites.DimSize(0); ++i) build(game.Sprites[i], i);
  for (int32_t i = 0; i < game.Tiles.DimSize(0); ++i) build(game.Tiles[i], 1024 + i);
}

// The test game: 16 x 16 ships and enemies, 4 x 4 bullets, 32 x 32 tiles, a
// map of 20 x 30 cells (640 x 960 pixels), two players of whom player 1 plays.
inline void MakeGame(GameRecord& game) {
  game.Sprites.Dimension(5);
  game.Sprites[kBlock] = Image(16, 16);
  game.Sprites[kShip] = Image(16, 16, 0x00FF00);
  game.Sprites[kFoe] = Image(16, 16, 0x0000FF);
  game.Sprites[kShot] = Image(4, 4, 0xFFFF00);
  game.Sprites[kWreck] = Image(16, 16, 0x808080);
  game.Tiles.Dimension(1);
  game.Tiles[0] = Image(32, 32, 0x404040);
  game.Animations.Clear();
  for (int32_t group : {kShip, kShip, kFoe}) AddGroup(game, group);
  LevelRecord& level = game.Levels[0];
  for (int32_t l = 0; l < 2; ++l) {
    level.Layers[l].Dimension(20, 30);
    for (int32_t& cell : level.Layers[l]) cell = -1;
  }
  level.ScrollMode = 0;
  level.TileCollision = 0;
  for (ObjectRecord& player : game.Players) {
    player.FireRate = 10;  // a shot every 100 ticks: every 7th frame
    player.Hits = 3;
  }
}

// What RunGame does before a game, with player 1 as the one who started it.
inline void StartGame(GameSession& session) {
  for (ObjectRecord& player : session.Game.Players) player.Points = 0;
  session.SavedPlayers = session.Game.Players;
  session.FireLatch.Dimension(session.Game.Players.DimSize(0));
  for (int32_t i = 1; i < session.Game.Players.DimSize(0); ++i) session.Game.Players[i].Hits = -1;
}

// Level start: player places, path lengths, measures, lists and camera.
inline void StartLevel(GameSession& session, int32_t levelIndex = 0) {
  GameRecord& game = session.Game;
  session.LevelIndex = levelIndex;
  LevelRecord& level = session.Level();
  LevelMeasures& m = session.Measures;
  m.TileW = game.Tiles[0].Pixels.DimSize(0);
  m.TileH = game.Tiles[0].Pixels.DimSize(1);
  m.MapW = level.Layers[0].DimSize(0);
  m.MapH = level.Layers[0].DimSize(1);
  m.MapWidthPx = m.MapW * m.TileW;
  m.MapHeightPx = m.MapH * m.TileH;
  m.SpriteW = game.Sprites[0].Pixels.DimSize(0);
  m.SpriteH = game.Sprites[0].Pixels.DimSize(1);
  GetScreenSize(m.ScreenW, m.ScreenH);
  GetFontSize(m.FontW, m.FontH);
  for (int32_t i = 0; i < game.Players.DimSize(0); ++i) {
    ObjectRecord& player = game.Players[i];
    player.X = 120 + 240 * i;
    player.Y = (m.MapH - 2) * m.TileH;
    player.Heading = 2;
    player.AnimationBase = 4 * i;
  }
  for (WaveRecord& wave : level.Waves) MeasurePath(wave);
  session.Ending = 0;
  session.Enemies.Clear();
  session.Bullets.Dimension(100);
  session.Bullets.Redimension(1);
  session.Bullets[0].ExpiresAt = GameClock();
  session.ScrollY = m.MapHeightPx - m.ScreenH;
  session.PrevScrollY = m.MapHeightPx + 2;
}

// The frame steps that move, hit and draw, in the game loop's order (the
// camera is the test's to move: it sets ScrollY before the frame).
inline void RunFrame(GameSession& session, bool present = true) {
  GameClock() += 17;
  session.FrameTime = GameClock();
  session.TickCounter += 16;
  LaunchWaves(session);
  session.PrevScrollY = session.ScrollY;
  StepEnemies(session);
  SortEnemies(session);
  StepPlayers(session);
  StepBullets(session);
  DrawStatusLine(session);
  if (present) PresentFrame();
}

inline void Key(SDL_Scancode key, bool down) {
  SDL_Event event{};
  event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.scancode = key;
  ASSERT_EQ(SDL_PushEvent(&event), 1);
}

// Writes a short sound file for each number, named as the game names them
// (ProjectPath + number + ".wav"), and loads the game's sounds.
inline void LoadSoundsFor(GameRecord& game, std::initializer_list<int32_t> numbers) {
  game.ProjectPath = RtString((testenv::TempDir() + "/game").c_str());
  for (int32_t n : numbers) {
    wavtest::WavShape shape;
    shape.Samples = wavtest::Ramp16(40000);
    testenv::WriteFile(game.ProjectPath.Std() + std::to_string(n) + ".wav",
                       wavtest::MakeWav(shape));
  }
  LoadGameSounds(game);
}

// How many voices of a sound slot are playing.
inline int32_t VoicesPlaying(int32_t slot) {
  int32_t playing = 0;
  for (int32_t voice = 0; voice < 4; ++voice) playing += SoundPlaying(slot * 256 + voice);
  return playing;
}

// A window (fast frames), input, offline sound, the in-game font, a fixed
// random seed, and the test game with player 1 in play.
class LevelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CreateGraphicsWindow(640, 480, 0, 1000, 0, 0), 1);
    StartScreenTargets();
    CreateInputState();
    OpenInputDevices(1);
    OpenSoundDeviceOffline(22050);
    LoadFont("ingamefont.bmp", 1);
    SetFont(1);
    SeedRandom(7);
    MakeGame(game_);
  }

  // Builds the images and starts the game and its first level.
  void Start() {
    BuildImages(game_);
    StartGame(session_);
    StartLevel(session_);
  }

  ObjectRecord& Player(int32_t i) { return game_.Players[i]; }

  GameRecord game_;
  GameSession session_{game_};
};

}  // namespace leveltest
