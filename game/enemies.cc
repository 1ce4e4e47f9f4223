// Enemies and attack waves: measuring paths and finding positions on them,
// launching the waves the camera reaches, the enemy step of every level frame
// (path, removal, animation, drawing, fire, contact) and the drawing order.
#include "game/enemies.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "game/collisions.h"
#include "game/game_arithmetic.h"
#include "game/ships.h"
#include "game/sound_cues.h"
#include "runtime/gfx2d/drawing.h"
#include "runtime/values/maths.h"

namespace {

// Length in pixels of the segment from point i to point i + 1. The squares
// are summed in 64 bits: far-apart points of a large map would overflow 32.
double SegmentLength(const RtArray<PathPoint>& path, int32_t i) {
  const int64_t dx = int64_t{path[i].X} - path[i + 1].X;
  const int64_t dy = int64_t{path[i].Y} - path[i + 1].Y;
  return SquareRoot(static_cast<double>(dx * dx + dy * dy));
}

// Drops the weaker component of a direction when the other is more than four
// times as large, so that nearly straight lines count as straight.
void Straighten(int64_t& dx, int64_t& dy) {
  if (std::llabs(dx) > 4 * std::llabs(dy)) dy = 0;
  if (std::llabs(dy) > 4 * std::llabs(dx)) dx = 0;
}

void SetToPoint(const PathPoint& point, int32_t& x, int32_t& y) {
  x = point.X;
  y = point.Y;
}

// Direction bits of an enemy's FireAim.
constexpr int32_t kAimRight = 1;
constexpr int32_t kAimUp = 2;
constexpr int32_t kAimLeft = 4;
constexpr int32_t kAimDown = 8;
constexpr int32_t kAimDiagonals = 16;

}  // namespace

void MeasurePath(WaveRecord& wave) {
  double length = 0.0;
  for (int32_t i = 0; i + 1 < wave.Path.DimSize(0); ++i) length += SegmentLength(wave.Path, i);
  wave.PathLength = length * 4.0;
}

void PathPosition(const WaveRecord& wave, double pos, int32_t& x, int32_t& y, int32_t& dirX,
                  int32_t& dirY) {
  const RtArray<PathPoint>& path = wave.Path;
  const int32_t count = path.DimSize(0);
  // A wave without a path stays at the map's origin: its enemies stand at
  // their formation offsets instead of ending the program.
  if (count == 0) {
    x = 0;
    y = 0;
    return;
  }
  if (pos >= wave.PathLength) {
    SetToPoint(path[count - 1], x, y);
    return;
  }
  if (pos <= 0) {
    SetToPoint(path[0], x, y);
    return;
  }
  const double d = pos / 4.0;
  double before = 0.0;
  for (int32_t i = 0; i + 1 < count; ++i) {
    const double after = before + SegmentLength(path, i);
    if (before <= d && d <= after) {
      const PathPoint& from = path[i];
      const PathPoint& to = path[i + 1];
      // A segment of length 0 is only met where d is 0 itself, at a path
      // that starts with repeated points: its own point is the position.
      const double f = after > before ? (d - before) / (after - before) : 0.0;
      x = Trunc32(static_cast<double>(int64_t{to.X} - from.X) * f + from.X);
      y = Trunc32(static_cast<double>(int64_t{to.Y} - from.Y) * f + from.Y);
      int64_t dx = int64_t{to.X} - from.X;
      int64_t dy = int64_t{to.Y} - from.Y;
      Straighten(dx, dy);
      dirX = Sign32(dx);
      dirY = Sign32(dy);
      return;
    }
    before = after;
  }
  SetToPoint(path[count - 1], x, y);
}

void LaunchWaves(GameSession& session) {
  if (session.ScrollY >= session.PrevScrollY) return;
  const LevelRecord& level = session.Level();
  for (int32_t wi = 0; wi < level.Waves.DimSize(0); ++wi) {
    const WaveRecord& wave = level.Waves[wi];
    const int32_t n = wave.SpawnPositions.DimSize(0);
    for (int32_t k = 0; k < n; ++k) {
      const int32_t p = wave.SpawnPositions[k];
      if (p < session.ScrollY || p >= session.PrevScrollY) continue;
      for (const ObjectRecord& definition : wave.Objects) {
        LiveEnemy enemy;
        enemy.WaveIndex = wi;
        enemy.Object = definition;
        enemy.DirX = 0;
        enemy.DirY = 0;
        enemy.PathPos = 0.0;
        // The enemies of earlier spawn positions stop short of the path's
        // end, one step per position, so the wave lines up along its end.
        if (definition.LoopPath != 0) {
          enemy.PathEnd = wave.PathLength;
        } else {
          enemy.PathEnd =
              std::max(0.0, wave.PathLength - (n - k - 1) * 1.2 * session.Measures.SpriteW);
        }
        session.Enemies.Append(enemy);
      }
    }
  }
}

void StepEnemies(GameSession& session) {
  GameRecord& game = session.Game;
  LevelRecord& level = session.Level();
  RtArray<LiveEnemy>& enemies = session.Enemies;
  const int32_t bottomEdge = Add32(session.ScrollY, session.Measures.ScreenH);
  session.LevelClear = 1;

  int32_t i = 0;
  while (i < enemies.DimSize(0)) {
    LiveEnemy& enemy = enemies[i];
    ObjectRecord& object = enemy.Object;

    enemy.PathPos += static_cast<double>(object.PathSpeed) + 1.0;
    if (enemy.PathPos > enemy.PathEnd) {
      if (object.LoopPath == 0) {
        enemy.PathPos = enemy.PathEnd;
      } else {
        enemy.PathPos -= enemy.PathEnd;
      }
      // Past its end and below the screen (by last frame's position): gone.
      if (object.Y > bottomEdge) {
        enemies.RemoveAt(i);
        continue;
      }
    }

    if (object.Hits > 0) {
      PathPosition(level.Waves[enemy.WaveIndex], enemy.PathPos, object.X, object.Y, enemy.DirX,
                   enemy.DirY);
      object.X = Add32(object.X, object.OffsetX);
      object.Y = Add32(object.Y, object.OffsetY);
    }

    AnimationRecord& animation = game.Animations[Add32(object.AnimationBase, object.Action)];
    const int32_t frame = ChooseFrame(animation, object.Heading, object.Action, object.ActionStart,
                                      enemy.DirX, enemy.DirY);
    // Dead, with the dying animation over (or never begun).
    if (object.Hits < 1 && object.Action == kActionMove) {
      enemies.RemoveAt(i);
      continue;
    }

    object.SpriteSlot = game.Sprites[frame].SpriteId;
    DrawSprite(object.SpriteSlot, Add32(object.X, -int64_t{session.ScrollX}),
               Add32(object.Y, -int64_t{session.ScrollY}));

    if (object.BlocksLevelEnd != 0) session.LevelClear = 0;

    // Dying enemies fire too. A miss retries after 200 to 1200 ticks.
    if (object.NextFireTick < session.TickCounter) {
      if (EnemyFire(session, enemy) == 0) {
        object.NextFireTick = Add32(Add32(RandomInt(1000), session.TickCounter), 200);
      } else {
        PlayAnimationSound(game, Add32(object.AnimationBase, kActionShoot));
        object.NextFireTick = Add32(Mul32(11 - int64_t{object.FireRate}, 300), session.TickCounter);
      }
    }

    TouchShips(session, enemy);
    ++i;
  }
}

int32_t EnemyFire(GameSession& session, LiveEnemy& enemy) {
  const ObjectRecord& object = enemy.Object;
  const int32_t aim = object.FireAim;
  // No directions: the attempt still counts as a shot (sound, long interval).
  if (aim == 0) return 1;

  // Every ship is aimed at, in play or not, at its last position.
  int32_t bits = 0;
  for (const ObjectRecord& player : session.Game.Players) {
    int64_t dx = int64_t{player.X} - object.X;
    int64_t dy = int64_t{player.Y} - object.Y;
    Straighten(dx, dy);
    if ((dx > 0 && (aim & kAimRight) == 0) || (dx < 0 && (aim & kAimLeft) == 0)) dx = 0;
    if ((dy < 0 && (aim & kAimUp) == 0) || (dy > 0 && (aim & kAimDown) == 0)) dy = 0;
    if (dx > 0) bits |= kAimRight;
    if (dx < 0) bits |= kAimLeft;
    if (dy < 0) bits |= kAimUp;
    if (dy > 0) bits |= kAimDown;
  }
  if (bits == 0) return 0;

  Bullet bullet;
  bullet.AnimationIndex = Add32(object.AnimationBase, kActionBullet);
  bullet.SpriteSlot = 0;
  bullet.Owner = -1;
  bullet.StartX = object.X;
  bullet.StartY = object.Y;
  bullet.X = object.X;
  bullet.Y = object.Y;
  bullet.Blockable = object.Solid;
  bullet.ExpiresAt = Add32(object.BulletLife, GameClock());
  const double s = object.BulletSpeed;

  auto shoot = [&](double velX, double velY) {
    bullet.VelX = velX;
    bullet.VelY = velY;
    AddBullet(session, bullet);
  };
  if ((bits & kAimRight) != 0) shoot(s, 0.0);
  if ((bits & kAimLeft) != 0) shoot(-s, 0.0);
  if ((bits & kAimUp) != 0) shoot(0.0, -s);
  if ((bits & kAimDown) != 0) shoot(0.0, s);
  if ((aim & kAimDiagonals) != 0) {
    auto both = [bits](int32_t a, int32_t b) { return (bits & a) != 0 && (bits & b) != 0; };
    if (both(kAimRight, kAimUp)) shoot(s, -s);
    if (both(kAimUp, kAimLeft)) shoot(-s, -s);
    if (both(kAimLeft, kAimDown)) shoot(-s, s);
    if (both(kAimRight, kAimDown)) shoot(s, s);
  }
  return 1;
}

int32_t CompareByY(const LiveEnemy& a, const LiveEnemy& b) {
  if (a.Object.Y < b.Object.Y) return -1;
  return a.Object.Y == b.Object.Y ? 0 : 1;
}

void SortEnemies(GameSession& session) {
  SortArray(session.Enemies, CompareByY);
}
