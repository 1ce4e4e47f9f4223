// Player ships and bullets: the frame an animation shows, the player step of
// every level frame (controls, joining, fire, drawing, movement, clamping),
// firing, and the bullet list shared by players and enemies.
#include "game/ships.h"

#include <algorithm>

#include "game/collisions.h"
#include "game/controls.h"
#include "game/game_arithmetic.h"
#include "game/sound_cues.h"
#include "runtime/gfx2d/drawing.h"

namespace {

// Frames of a ship's hurt period; in frames whose low four bits are below 7
// the ship is drawn half transparent, so it blinks.
constexpr int32_t kBlinkMask = 15;
constexpr int32_t kBlinkBelow = 7;

// Movement of a shot along direction number 0..8 (8, still, shoots up).
void ShotVelocity(int32_t heading, double speed, double& velX, double& velY) {
  static constexpr int32_t kStep[9][2] = {{1, 0},  {1, -1}, {0, -1}, {-1, -1}, {-1, 0},
                                          {-1, 1}, {0, 1},  {1, 1},  {0, -1}};
  if (heading < 0 || heading > 8) {
    velX = 0.0;
    velY = 0.0;
    return;
  }
  velX = kStep[heading][0] * speed;
  velY = kStep[heading][1] * speed;
}

}  // namespace

int32_t ChooseFrame(AnimationRecord& anim, int32_t& heading, int32_t& action, int32_t start,
                    int32_t dx, int32_t dy) {
  // 32-bit arithmetic as the fields have it: after a very long run the
  // product wraps instead of overflowing.
  const int32_t elapsed = Add32(GameClock(), -int64_t{start});
  const int32_t phase = Mul32(int64_t{anim.Speed} + 1, elapsed) / 500;
  const int32_t mode = anim.Mode;

  int32_t frame = 0;
  if (mode == 0) {
    // One frame per direction, still (8) included; the action is left alone.
    heading = DirectionOf(dx, dy);
    frame = heading;
  } else {
    // A cycle of Mode frames. Values below -1 take the cycle too (with a
    // negative length a one-shot action always ends at once) and then pick
    // two frames per direction from the cycle's frame number, as -1 does
    // from the plain phase.
    int32_t cycle = phase;
    if (mode != -1) {
      if (action > 0 && phase >= mode) {
        action = 0;
        cycle = 0;
      }
      cycle %= mode;
    }
    if (mode > 0) {
      frame = cycle;
    } else if (dx != 0 || dy != 0) {
      heading = DirectionOf(dx, dy);
      if (action > 0) action = 0;  // moving ends a one-shot action
      frame = 2 * heading + cycle % 2;
    } else {
      frame = 2 * heading;
    }
  }

  // Too few frames: the animation grows, the new frames showing Sprites[0].
  if (frame >= anim.Frames.DimSize(0)) anim.Frames.Redimension(frame + 1);
  return anim.Frames[frame];
}

void StepPlayers(GameSession& session) {
  GameRecord& game = session.Game;
  const LevelMeasures& m = session.Measures;
  const int32_t count = game.Players.DimSize(0);
  for (int32_t i = 0; i < count; ++i) {
    ObjectRecord& player = game.Players[i];
    const int32_t oldX = player.X;
    const int32_t oldY = player.Y;
    Controls controls = ReadControls(i);

    // Fire counts on the press only: holding the button does not repeat.
    int32_t& latch = session.FireLatch[i];
    if (controls.Fire == 0) {
      latch = 0;
    } else if (latch == 0) {
      latch = 1;
    } else {
      controls.Fire = 0;
    }

    // A player not yet in the game joins with fire, and the same press may shoot.
    if (player.Hits == -1 && controls.Fire != 0) player.Hits = session.SavedPlayers[i].Hits;
    if (player.Hits <= 0) continue;

    if (controls.Fire != 0 && player.NextFireTick < session.TickCounter) {
      player.NextFireTick = Add32(session.TickCounter, Mul32(11 - int64_t{player.FireRate}, 100));
      PlayerFire(session, player, i);
      PlayAnimationSound(game, Add32(player.AnimationBase, kActionShoot));
    }

    AnimationRecord& animation = game.Animations[Add32(player.AnimationBase, player.Action)];
    const int32_t frame = ChooseFrame(animation, player.Heading, player.Action, player.ActionStart,
                                      controls.Dx, controls.Dy);
    player.SpriteSlot = game.Sprites[frame].SpriteId;

    const bool blink = player.HurtTimer != 0 && (player.HurtTimer & kBlinkMask) < kBlinkBelow;
    if (blink) SetAlphaMode(-0.5);
    DrawSprite(player.SpriteSlot, Add32(player.X, -int64_t{session.ScrollX}),
               Add32(player.Y, -int64_t{session.ScrollY}));
    SetAlphaMode(0);

    player.X = Add32(player.X, controls.Dx);
    player.Y = Add32(player.Y, controls.Dy);
    if (player.HurtTimer > 0) player.HurtTimer -= 1;

    ShipAgainstBackground(session, player, oldX, oldY);

    // The ship stays on the map and in the lower three quarters of the screen;
    // the lower bound wins when the two cross. Map sizes and the scroll come
    // from the file and may lie near the ends of 32 bits: the bounds wrap.
    const int32_t right = Add32(m.MapWidthPx, -int64_t{m.SpriteW});
    const int32_t top = Add32(session.ScrollY, m.ScreenH / 4);
    const int32_t bottom = Add32(Add32(session.ScrollY, m.ScreenH), -int64_t{m.SpriteH});
    player.X = std::max(0, std::min(right, player.X));
    player.Y = std::max(top, std::min(bottom, player.Y));
  }
}

void PlayerFire(GameSession& session, ObjectRecord& player, int32_t n) {
  const double speed = player.BulletSpeed;
  Bullet bullet;
  if (player.FireAim == 0) {
    bullet.VelX = 0.0;
    bullet.VelY = -speed;
  } else {
    // Heading is the direction the last animation call stored: last frame's.
    ShotVelocity(player.Heading, speed, bullet.VelX, bullet.VelY);
  }
  bullet.AnimationIndex = Add32(player.AnimationBase, kActionBullet);
  bullet.SpriteSlot = 0;
  bullet.Owner = n;
  bullet.StartX = player.X;
  bullet.StartY = player.Y;
  bullet.Blockable = player.Solid;
  bullet.ExpiresAt = Add32(player.BulletLife, GameClock());
  bullet.X = player.X;
  bullet.Y = player.Y;

  player.Action = kActionShoot;
  player.ActionStart = GameClock();
  AddBullet(session, bullet);
}

void AddBullet(GameSession& session, const Bullet& bullet) {
  const int32_t now = GameClock();
  for (Bullet& entry : session.Bullets) {
    if (entry.ExpiresAt < now) {
      entry = bullet;
      return;
    }
  }
  session.Bullets.Append(bullet);
}

void StepBullets(GameSession& session) {
  RtArray<Bullet>& bullets = session.Bullets;
  // A spent bullet is replaced by the last one, which is then not looked at
  // again in this frame; the list keeps at least one (free) entry.
  for (int32_t i = 0; i < bullets.DimSize(0); ++i) {
    if (UpdateBullet(session, bullets[i]) == 0) continue;
    const int32_t size = bullets.DimSize(0);
    if (i != size - 1) bullets[i] = bullets[size - 1];
    if (size < 2) {
      bullets[i].ExpiresAt = 0;
    } else {
      bullets.Redimension(size - 1);
    }
  }

  // One direction and action store serves every bullet of the frame, and the
  // animation runs on the absolute game clock.
  GameRecord& game = session.Game;
  int32_t direction = 8;
  int32_t action = 0;
  for (Bullet& bullet : bullets) {
    if (bullet.ExpiresAt < session.FrameTime) continue;
    const int32_t frame = ChooseFrame(game.Animations[bullet.AnimationIndex], direction, action, 0,
                                      Trunc32(bullet.VelX), Trunc32(bullet.VelY));
    bullet.SpriteSlot = game.Sprites[frame].SpriteId;
    DrawSprite(bullet.SpriteSlot, Add32(bullet.X, -int64_t{session.ScrollX}),
               Add32(bullet.Y, -int64_t{session.ScrollY}));
  }
}
