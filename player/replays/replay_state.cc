// What a game leaves for the next one in the same run: the random generator,
// GameClock (it only advances in levels and is never reset), TickCounter,
// the slow-scroll frame counter and the camera's x. Everything else a game
// starts from is set afresh when it starts: the players come back from the
// loaded ones, and every level rebuilds its enemies, bullets and camera.
#include "player/replays/replay_state.h"

#include <cstring>

namespace {

// FNV-1a over values written out little-endian, so that a checksum taken on
// one machine holds on another.
struct StateHash {
  uint64_t Value = 14695981039346656037ull;

  void Byte(uint8_t b) { Value = (Value ^ b) * 1099511628211ull; }
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) Byte(static_cast<uint8_t>(v >> (8 * i)));
  }
  void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
  void Real(double v) {
    uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    U32(static_cast<uint32_t>(bits));
    U32(static_cast<uint32_t>(bits >> 32));
  }
  void Object(const ObjectRecord& object) {
    for (int32_t f = 0; f < kObjectFieldCount; ++f) I32(ObjectField(object, f));
  }
};

}  // namespace

ReplayStartState CaptureStartState(const GameSession& session) {
  ReplayStartState start;
  start.Random = SaveRandomState();
  start.GameClock = GameClock();
  start.TickCounter = session.TickCounter;
  start.SlowScrollCount = session.SlowScrollCount;
  start.ScrollX = session.ScrollX;
  return start;
}

void RestoreStartState(const ReplayStartState& start, GameSession& session) {
  RestoreRandomState(start.Random);
  GameClock() = start.GameClock;
  session.TickCounter = start.TickCounter;
  session.SlowScrollCount = start.SlowScrollCount;
  session.ScrollX = start.ScrollX;
}

uint64_t GameStateChecksum(const GameSession& s) {
  StateHash h;
  for (int32_t v :
       {GameClock(), s.TickCounter, s.SlowScrollCount, s.ScrollX, s.ScrollY, s.PrevScrollY,
        s.LevelIndex, s.Ending, s.TransitionStart, s.LevelClear, s.FrameTime}) {
    h.I32(v);
  }
  h.I32(s.Game.Players.DimSize(0));
  for (const ObjectRecord& player : s.Game.Players) h.Object(player);
  for (int32_t latch : s.FireLatch) h.I32(latch);
  h.I32(s.Enemies.DimSize(0));
  for (const LiveEnemy& enemy : s.Enemies) {
    h.I32(enemy.WaveIndex);
    h.Object(enemy.Object);
    h.I32(enemy.DirX);
    h.I32(enemy.DirY);
    h.Real(enemy.PathPos);
    h.Real(enemy.PathEnd);
  }
  h.I32(s.Bullets.DimSize(0));
  for (const Bullet& b : s.Bullets) {
    for (int32_t v : {b.AnimationIndex, b.SpriteSlot, b.Owner, b.StartX, b.StartY, b.Blockable,
                      b.ExpiresAt, b.X, b.Y}) {
      h.I32(v);
    }
    h.Real(b.VelX);
    h.Real(b.VelY);
  }
  // The generator decides when enemies fire next: a replay that drew a
  // different number of random values has parted from the game too.
  const RandomGeneratorState random = SaveRandomState();
  for (uint32_t word : random.Memory) h.U32(word);
  for (uint32_t word : {random.Accumulator, random.LastResult, random.Counter}) h.U32(word);
  return h.Value;
}
