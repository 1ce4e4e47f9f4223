// The game loop. It owns the skeleton only: the states, the order of the
// steps in a frame, the level's start and end, and the title screen. What
// ships, enemies, bullets and contacts do happens in their own steps, each
// called at its fixed place in the frame.
#include "game/game_loop.h"

#include <algorithm>
#include <cmath>

#include "game/camera.h"
#include "game/collisions.h"
#include "game/controls.h"
#include "game/enemies.h"
#include "game/frame_seam.h"
#include "game/ships.h"
#include "game/sound_cues.h"
#include "runtime/core/frame.h"
#include "runtime/gfx2d/drawing.h"
#include "runtime/gfx2d/text.h"
#include "runtime/input/input.h"
#include "runtime/sound/sound.h"

namespace {

constexpr int32_t kInGameFont = 1;
constexpr int32_t kFrameMs = 17;     // GameClock per level frame
constexpr int32_t kFrameTicks = 16;  // TickCounter per level frame
constexpr double kTransitionMs = 500.0;

int32_t Wrap32(int64_t value) {
  return static_cast<int32_t>(static_cast<uint32_t>(value));
}

bool AnyPlayerInPlay(const GameSession& session) {
  for (const ObjectRecord& player : session.Game.Players) {
    if (player.Hits > 0) return true;
  }
  return false;
}

void TakeLevelMeasures(GameSession& session) {
  GameRecord& game = session.Game;
  LevelMeasures& m = session.Measures;
  const RtArray<int32_t>& tile = game.Tiles[0].Pixels;
  m.TileW = tile.DimSize(0);
  m.TileH = tile.DimSize(1);
  const RtArray<int32_t>& map = session.Level().Layers[0];
  m.MapW = map.DimSize(0);
  m.MapH = map.DimSize(1);
  m.MapWidthPx = Wrap32(int64_t{m.MapW} * m.TileW);
  m.MapHeightPx = Wrap32(int64_t{m.MapH} * m.TileH);
  const RtArray<int32_t>& sprite = game.Sprites[0].Pixels;
  m.SpriteW = sprite.DimSize(0);
  m.SpriteH = sprite.DimSize(1);
  GetScreenSize(m.ScreenW, m.ScreenH);
  GetFontSize(m.FontW, m.FontH);
}

}  // namespace

void RunGame(GameRecord& game) {
  GameSession session(game);
  StartGame(session);
  for (;;) PlayGame(session);
}

void StartGame(GameSession& session) {
  GameRecord& game = session.Game;
  LoadGameSounds(game);
  LoadFont("ingamefont.bmp", kInGameFont);
  SetFont(kInGameFont);
  for (ObjectRecord& player : game.Players) player.Points = 0;
  session.SavedPlayers = game.Players;
  session.FireLatch.Dimension(game.Players.DimSize(0));
  session.TickCounter = 0;
  session.SlowScrollCount = 0;
  session.ScrollX = 0;
}

void PlayGame(GameSession& session) {
  GameRecord& game = session.Game;
  session.LevelIndex = 0;
  // Every game starts from the players as loaded, with score 0.
  game.Players = session.SavedPlayers;

  // Escape ends the program on the title screen; in a level it only abandons the game.
  SetEscapeEnds(1);
  ShowTitle(session);
  SetEscapeEnds(0);

  for (int32_t i = 0; i < game.Players.DimSize(0); ++i) {
    ObjectRecord& player = game.Players[i];
    if (player.Hits > 0) player.Hits = session.SavedPlayers[i].Hits;
    // A fire button still held from the title screen neither fires nor joins.
    session.FireLatch[i] = 1;
  }

  while (AnyPlayerInPlay(session)) {
    if (PlayLevel(session) == LevelOutcome::kAbandoned) return;
    ++session.LevelIndex;
    if (session.LevelIndex >= game.Levels.DimSize(0)) return;
  }
}

void ShowTitle(GameSession& session) {
  GameRecord& game = session.Game;
  // Every line feed gets a carriage return before it, so that splitting at
  // line feeds keeps empty lines as (carriage return only) pieces.
  RtString text = ReplaceText(game.TitleText, "\r", "");
  text = ReplaceText(text, "\n", "\r\n");
  RtArray<RtString> lines;
  const int32_t count = SplitText(text, lines, "\n");
  int32_t longest = 0;
  for (RtString& line : lines) {
    line = ReplaceText(line, "\r", "");
    longest = std::max(longest, TextLength(line));
  }

  for (ObjectRecord& player : game.Players) player.Hits = -1;
  StopAllSounds();

  int32_t screenW = 0;
  int32_t screenH = 0;
  GetScreenSize(screenW, screenH);
  int32_t fontW = 0;
  int32_t fontH = 0;
  GetFontSize(fontW, fontH);
  // One x for every line: the block is left-aligned at a centred place.
  const int32_t x = Wrap32(int64_t{screenW} - int64_t{longest} * fontW) / 2;

  for (int64_t pass = 0;; ++pass) {
    int32_t y = Wrap32(int64_t{screenH} - int64_t{count} * fontH) / 2;
    for (const RtString& line : lines) {
      PrintText(line, x, y);
      y += fontH;
    }
    ObserveGameFrame(GameFrameKind::kTitle, pass, game, &session);
    PresentFrame();
    // Fire in the first pass does not count: a button held since the last
    // game must not start the next one at once.
    if (pass == 0) continue;
    for (int32_t i = 0; i < game.Players.DimSize(0); ++i) {
      if (ReadControls(i).Fire != 0) {
        game.Players[i].Hits = 1;
        return;
      }
    }
  }
}

void StartLevel(GameSession& session) {
  GameRecord& game = session.Game;
  TakeLevelMeasures(session);
  const LevelMeasures& m = session.Measures;
  for (int32_t i = 0; i < game.Players.DimSize(0); ++i) {
    ObjectRecord& player = game.Players[i];
    player.X = Wrap32(120 + int64_t{240} * i);
    player.Y = Wrap32((int64_t{m.MapH} - 2) * m.TileH);
    player.Heading = 2;
    player.AnimationBase = Wrap32(int64_t{4} * i);
  }
  for (WaveRecord& wave : session.Level().Waves) MeasurePath(wave);

  session.Ending = 0;
  session.Enemies.Dimension(0);
  // The bullet list never becomes shorter than one entry: one blank bullet.
  session.Bullets.Dimension(100);
  session.Bullets.Redimension(1);
  session.Bullets[0].ExpiresAt = GameClock();
  // The bottom of the map fills the screen.
  session.ScrollY = Wrap32(int64_t{m.MapHeightPx} - m.ScreenH);
  session.PrevScrollY = Wrap32(int64_t{m.MapHeightPx} + 2);
  session.TransitionStart = GameClock();
}

LevelOutcome PlayLevel(GameSession& session) {
  StartLevel(session);
  for (int64_t frame = 0;; ++frame) {
    switch (PlayLevelFrame(session, frame)) {
      case FrameOutcome::kContinue:
        break;
      case FrameOutcome::kLevelOver:
        return LevelOutcome::kEnded;
      case FrameOutcome::kAbandoned:
        return LevelOutcome::kAbandoned;
    }
  }
}

FrameOutcome PlayLevelFrame(GameSession& session, int64_t frameInLevel) {
  GameRecord& game = session.Game;
  // 1. Escape abandons the game once it is released; nothing is drawn meanwhile.
  if (ReadEscapeKey() != 0) {
    while (ReadEscapeKey() != 0) {
      ObserveEscapeHeld(frameInLevel, session);
      SleepMs(1);
    }
    return FrameOutcome::kAbandoned;
  }
  // 2, 3. Game time.
  GameClock() = Wrap32(int64_t{GameClock()} + kFrameMs);
  session.FrameTime = GameClock();
  session.TickCounter = Wrap32(int64_t{session.TickCounter} + kFrameTicks);
  // 4. Camera.
  CameraStep(session);
  // 5. Waves the camera has reached.
  LaunchWaves(session);
  session.PrevScrollY = session.ScrollY;
  // 6. Background layer.
  DrawLayer(game.Tiles, session.Level().Layers[0], session.ScrollX, session.ScrollY);
  // 7, 8. Enemies, then their drawing order for the next frame.
  StepEnemies(session);
  SortEnemies(session);
  // 9. Foreground layer: over the enemies, under the ships and bullets.
  DrawLayer(game.Tiles, session.Level().Layers[1], session.ScrollX, session.ScrollY);
  // 10, 11. Ships, then bullets.
  StepPlayers(session);
  StepBullets(session);
  // 12. The level's end and the blind.
  const double t = LevelEndStep(session);
  // 13. Status line.
  DrawStatusLine(session);
  // 14.
  ObserveGameFrame(GameFrameKind::kLevel, frameInLevel, game, &session);
  PresentFrame();
  return session.Ending == 1 && t > 1.0 ? FrameOutcome::kLevelOver : FrameOutcome::kContinue;
}

double LevelEndStep(GameSession& session) {
  double t = Wrap32(int64_t{session.FrameTime} - session.TransitionStart) / kTransitionMs;
  // Won when the top of the map is reached and no enemy holds the level open.
  if (session.ScrollY <= 0 && session.LevelClear == 1) session.Ending = 1;
  // Ending long after the opening: the closing blind starts now.
  if (session.Ending == 1 && t > 2.0) {
    t = 0.0;
    session.TransitionStart = session.FrameTime;
  }
  // Every player is out: the closing blind starts now.
  if (session.Ending == 0 && !AnyPlayerInPlay(session)) {
    t = 0.0;
    session.TransitionStart = session.FrameTime;
    session.Ending = 1;
  }
  if (t <= 1.0) WipeTransition(t, session.Ending);
  return t;
}

void WipeTransition(double t, int32_t closing) {
  int32_t screenW = 0;
  int32_t screenH = 0;
  GetScreenSize(screenW, screenH);
  const int32_t band = screenH / 8;
  if (closing == 0) t = 1.0 - t;
  // Nine bands, the last one below the eighth; band i starts at t = (8 - i) / 16.
  for (int32_t i = 0; i <= 8; ++i) {
    const double fill = std::trunc(((2.0 * t) * 8.0 + (i - 8)) * band / 8.0);
    const int32_t height = static_cast<int32_t>(std::clamp(fill, 0.0, static_cast<double>(band)));
    if (height > 0) DrawRect(0, i * band, screenW, height, 0);
  }
}
