// The running state of a game: the program-wide game clock, the live enemy
// and bullet records, the level measures, and the session that RunGame owns
// and every per-frame step reads and writes.
#pragma once

#include <cstdint>

#include "game/records.h"

// Milliseconds of game time: +17 at the start of every level frame, never
// reset; it does not advance on the title screen.
int32_t& GameClock();

// One live bullet, a player's or an enemy's.
struct Bullet {
  int32_t AnimationIndex = 0;  // shooter's AnimationBase + 3
  int32_t SpriteSlot = 0;      // frame last drawn; 0 before the first drawing
  int32_t Owner = 0;           // index of the shooting player; -1 for an enemy
  int32_t StartX = 0;          // shooter's position when fired (no rule reads them)
  int32_t StartY = 0;
  int32_t Blockable = 0;       // shooter's Solid
  int32_t ExpiresAt = 0;       // the bullet exists while ExpiresAt >= GameClock
  int32_t X = 0;               // top-left corner in map pixels
  int32_t Y = 0;
  double VelX = 0.0;           // movement per frame, truncated when applied
  double VelY = 0.0;
};

// One launched enemy.
struct LiveEnemy {
  int32_t WaveIndex = 0;  // its wave in the level's Waves
  ObjectRecord Object;    // copy of the definition, then its running state
  int32_t DirX = 0;       // direction of the current path segment, -1, 0 or 1
  int32_t DirY = 0;
  double PathPos = 0.0;   // distance travelled along the path, quarter pixels
  double PathEnd = 0.0;   // where it stops (or wraps, with LoopPath)
};

// Sizes taken when a level starts.
struct LevelMeasures {
  int32_t TileW = 0, TileH = 0;          // size of Tiles[0]
  int32_t MapW = 0, MapH = 0;            // size of the level's Layers[0], in cells
  int32_t MapWidthPx = 0, MapHeightPx = 0;
  int32_t SpriteW = 0, SpriteH = 0;      // size of Sprites[0]: every sprite counts as this size
  int32_t ScreenW = 0, ScreenH = 0;
  int32_t FontW = 0, FontH = 0;          // cell size of the in-game font
};

// Everything RunGame keeps while the program runs.
struct GameSession {
  explicit GameSession(GameRecord& game) : Game(game) {}

  GameRecord& Game;
  RtArray<ObjectRecord> SavedPlayers;  // players as loaded, scores 0: every game starts from these
  RtArray<int32_t> FireLatch;          // per player: 1 while a reported press is still held
  int32_t TickCounter = 0;             // +16 per level frame, never reset (fire timing)
  int32_t SlowScrollCount = 0;         // frame counter of slow constant scrolling
  int32_t ScrollX = 0;                 // map x at the left screen edge
  int32_t LevelIndex = 0;
  RtArray<LiveEnemy> Enemies;          // in drawing order
  RtArray<Bullet> Bullets;             // never shorter than one entry during a level
  int32_t ScrollY = 0;                 // map y at the top screen edge
  int32_t PrevScrollY = 0;
  int32_t Ending = 0;                  // the level is over once its transition completes
  int32_t TransitionStart = 0;         // GameClock from which the transition is timed
  int32_t LevelClear = 0;              // 1 when no live enemy blocks the level end
  int32_t FrameTime = 0;               // GameClock after this frame's increment
  LevelMeasures Measures;

  LevelRecord& Level() { return Game.Levels[LevelIndex]; }
};
