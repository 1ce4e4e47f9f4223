// Everything that happens when things touch, decided pixel by pixel by
// SpritesCollide: bullets against ships, background and enemies, enemies
// against ships, ships against the background; lives, kills, scores, and the
// status line that shows them.
#include "game/collisions.h"

#include <algorithm>

#include "game/game_arithmetic.h"
#include "game/sound_cues.h"
#include "runtime/gfx2d/collision.h"
#include "runtime/gfx2d/drawing.h"
#include "runtime/gfx2d/sprite_store.h"
#include "runtime/gfx2d/text.h"
#include "runtime/values/maths.h"

namespace {

// Frames after a hit during which a ship cannot be hurt again (and blinks).
constexpr int32_t kHurtFrames = 117;

// A placed sprite's rectangle. Most bullet and enemy pairs of a frame are far
// apart: comparing rectangles here, with each slot's size looked up once,
// rejects them before SpritesCollide (which makes the same comparison
// first and then looks at the pixels) is called at all.
struct Box {
  int64_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

Box PlacedBox(const SpriteEntry& entry, int32_t x, int32_t y) {
  return {x, y, int64_t{x} + entry.Width, int64_t{y} + entry.Height};
}

bool BoxesMeet(const Box& a, const Box& b) {
  return std::max(a.Left, b.Left) < std::min(a.Right, b.Right) &&
         std::max(a.Top, b.Top) < std::min(a.Bottom, b.Bottom);
}

// Whether a sprite at (x, y) overlaps a solid cell of the level's second
// layer. Only the 2 x 2 cells from the one holding the top-left corner are
// looked at. Cells outside the layer count as empty (a foreground layer may
// be smaller than the map), and so does everything when the tile size is 0.
bool TouchesBackground(GameSession& session, int32_t slot, int32_t x, int32_t y) {
  const LevelMeasures& m = session.Measures;
  if (m.TileW <= 0 || m.TileH <= 0) return false;
  const RtArray<int32_t>& layer = session.Level().Layers[1];
  const RtArray<ImageRecord>& tiles = session.Game.Tiles;
  // In 64 bits: a position near the end of 32 bits over 1-pixel tiles has
  // its second cell past INT32_MAX, and a cell's pixel position may wrap.
  const int64_t firstX = std::max(0, x / m.TileW);
  const int64_t lastX = std::min<int64_t>(firstX + 1, m.MapW - 1);
  const int64_t firstY = std::max(0, y / m.TileH);
  const int64_t lastY = std::min<int64_t>(firstY + 1, m.MapH - 1);
  for (int64_t cx = firstX; cx <= lastX; ++cx) {
    if (cx >= layer.DimSize(0)) break;
    for (int64_t cy = firstY; cy <= lastY; ++cy) {
      if (cy >= layer.DimSize(1)) break;
      const int32_t v = layer(static_cast<int32_t>(cx), static_cast<int32_t>(cy));
      if (v < 0) continue;
      if (SpritesCollide(slot, x, y, tiles[v].SpriteId, Mul32(cx, m.TileW), Mul32(cy, m.TileH)) !=
          0) {
        return true;
      }
    }
  }
  return false;
}

}  // namespace

int32_t UpdateBullet(GameSession& session, Bullet& bullet) {
  if (GameClock() > bullet.ExpiresAt) return 1;
  bullet.X = Add32(bullet.X, Trunc32(bullet.VelX));
  bullet.Y = Add32(bullet.Y, Trunc32(bullet.VelY));

  // Ships: enemy bullets hit every ship, a player's bullets the other ships
  // that are Shootable. A hit ends the bullet even in the hurt period.
  RtArray<ObjectRecord>& players = session.Game.Players;
  for (int32_t j = 0; j < players.DimSize(0); ++j) {
    ObjectRecord& player = players[j];
    if (SpritesCollide(player.SpriteSlot, player.X, player.Y, bullet.SpriteSlot, bullet.X,
                       bullet.Y) == 0) {
      continue;
    }
    if (bullet.Owner == j || (bullet.Owner >= 0 && player.Shootable == 0)) continue;
    if (player.HurtTimer == 0 && player.Hits > 0) LoseLife(session, player);
    return 1;
  }

  // Enemy bullets meet neither the background nor enemies.
  if (bullet.Owner < 0) return 0;
  ObjectRecord& owner = players[bullet.Owner];

  if (owner.Solid != 0 && TouchesBackground(session, bullet.SpriteSlot, bullet.X, bullet.Y)) {
    return 1;
  }

  // Enemies in list order. A bullet that is not stopped (the enemy is not
  // Solid) flies on and may damage the next one in the same frame; a dying
  // enemy takes no damage but a Solid one still stops it.
  const Box shot = PlacedBox(SpriteSlot(bullet.SpriteSlot), bullet.X, bullet.Y);
  int32_t lastSlot = -1;
  const SpriteEntry* look = nullptr;
  for (LiveEnemy& enemy : session.Enemies) {
    ObjectRecord& object = enemy.Object;
    if (bullet.Blockable == 0 && object.Shootable == 0) continue;
    if (object.SpriteSlot != lastSlot) {
      lastSlot = object.SpriteSlot;
      look = &SpriteSlot(lastSlot);
    }
    if (!BoxesMeet(PlacedBox(*look, object.X, object.Y), shot)) continue;
    if (SpritesCollide(object.SpriteSlot, object.X, object.Y, bullet.SpriteSlot, bullet.X,
                       bullet.Y) == 0) {
      continue;
    }
    if (object.Shootable != 0 && object.Hits != 0) {
      object.Hits -= 1;
      if (object.Hits < 1) {
        owner.Points = Add32(owner.Points, object.Points);
        KillEnemy(session, object);
      }
    }
    if (object.Solid != 0) return 1;
  }
  return 0;
}

void LoseLife(GameSession& session, ObjectRecord& player) {
  player.Hits -= 1;
  player.HurtTimer = kHurtFrames;
  player.Action = kActionDie;
  player.ActionStart = GameClock();
  PlayAnimationSound(session.Game, Add32(player.AnimationBase, kActionDie));
}

void KillEnemy(GameSession& session, ObjectRecord& enemy) {
  enemy.Hits = 0;
  enemy.HurtTimer = kHurtFrames;
  enemy.Action = kActionDie;
  enemy.ActionStart = GameClock();
  PlayAnimationSound(session.Game, Add32(enemy.AnimationBase, kActionDie));
}

void TouchShips(GameSession& session, LiveEnemy& enemy) {
  ObjectRecord& object = enemy.Object;
  if ((object.HarmsOnContact == 0 && object.DiesOnContact == 0) || object.Hits <= 0) return;
  // Every ship is tested, in play or not, and the loop goes on after a kill:
  // two ships touching one enemy are both harmed and both score.
  for (ObjectRecord& player : session.Game.Players) {
    if (SpritesCollide(player.SpriteSlot, player.X, player.Y, object.SpriteSlot, object.X,
                       object.Y) == 0) {
      continue;
    }
    if (object.HarmsOnContact != 0 && player.HurtTimer == 0 && player.Hits > 0) {
      LoseLife(session, player);
    }
    if (object.DiesOnContact != 0) {
      player.Points = Add32(player.Points, object.Points);
      KillEnemy(session, object);
    }
  }
}

void ShipAgainstBackground(GameSession& session, ObjectRecord& ship, int32_t oldX, int32_t oldY) {
  const int32_t mode = session.Level().TileCollision;
  if (mode <= 0) return;
  if (!TouchesBackground(session, ship.SpriteSlot, ship.X, ship.Y)) return;
  if (mode == 1) {
    // A wall: this frame's own move is undone (a scroll shift stays).
    ship.X = oldX;
    ship.Y = oldY;
  } else if (mode == 2) {
    if (ship.HurtTimer == 0 && ship.Hits > 0) LoseLife(session, ship);
  }
}

RtString StatusLivesText(const ObjectRecord& player, int32_t index) {
  const RtString name = RtString("P") + (index + 1);
  if (player.Hits < 0) return name + " *JOIN NOW*";
  return name + " " + CharFromCode(1) + "x" + player.Hits;
}

RtString StatusScoreText(const ObjectRecord& player) {
  return RtString("$") + FormatFixed(8, 0, player.Points);
}

void DrawStatusLine(GameSession& session) {
  const LevelMeasures& m = session.Measures;
  DrawRect(0, 0, m.ScreenW, m.FontH + 2, 0);
  const RtArray<ObjectRecord>& players = session.Game.Players;
  const int32_t count = players.DimSize(0);
  for (int32_t i = 0; i < count; ++i) {
    const ObjectRecord& player = players[i];
    const int32_t x = i * m.ScreenW / count;
    PrintText(StatusLivesText(player, i), x, 1);
    if (player.Hits >= 0) PrintText(StatusScoreText(player), x + 8 * m.FontW, 1);
  }
}
