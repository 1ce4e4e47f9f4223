// Player ships and their bullets: animation frames in each mode, fire that
// needs a fresh press and a passed interval, joining during play, shots
// along the last heading, the bullet list's slots, and the clamp.
#include "game/ships.h"

#include <gtest/gtest.h>

#include "tests/game/level_harness.h"

using namespace leveltest;

namespace {

int32_t LiveShots(GameSession& session, int32_t owner) {
  int32_t live = 0;
  for (const Bullet& b : session.Bullets) live += b.ExpiresAt >= GameClock() && b.Owner == owner;
  return live;
}

TEST(ChooseFrame, DirectionModesFollowMovementAndGrowShortAnimations) {
  GameClock() = 1000;
  // Two frames per direction: moving left at an odd phase asks for frame 9.
  AnimationRecord twoPerDirection = Animation({10, 11}, -1);
  int32_t heading = 2, action = 1;
  EXPECT_EQ(ChooseFrame(twoPerDirection, heading, action, 500, -1, 0), 0) << "a missing frame";
  EXPECT_EQ(heading, 4);
  EXPECT_EQ(action, 0) << "moving ends a one-shot action";
  ASSERT_EQ(twoPerDirection.Frames.DimSize(0), 10);
  EXPECT_EQ(twoPerDirection.Frames[1], 11);
  twoPerDirection.Frames[8] = 42;
  action = 1;
  EXPECT_EQ(ChooseFrame(twoPerDirection, heading, action, 0, 0, 0), 42) << "still: 2 x heading";
  EXPECT_EQ(action, 1);

  // One frame per direction: still is direction 8; the action stays.
  AnimationRecord onePerDirection = Animation({0, 1, 2, 3, 4, 5, 6, 7, 88}, 0);
  EXPECT_EQ(ChooseFrame(onePerDirection, heading, action, 0, 0, 0), 88);
  EXPECT_EQ(heading, 8);
  EXPECT_EQ(ChooseFrame(onePerDirection, heading, action, 0, 1, -1), 1);
  EXPECT_EQ(action, 1);
}

TEST(ChooseFrame, CyclesEndOneShotActions) {
  AnimationRecord cycle = Animation({20, 21, 22}, 3, 1);  // a frame every 250 ms
  int32_t heading = 2, action = 2;
  GameClock() = 1500;
  EXPECT_EQ(ChooseFrame(cycle, heading, action, 1000, 1, 0), 22);
  EXPECT_EQ(action, 2);
  EXPECT_EQ(heading, 2) << "a cycle leaves the heading alone";
  GameClock() = 1750;  // phase 3: the action is over, frame 0 of this animation
  EXPECT_EQ(ChooseFrame(cycle, heading, action, 1000, 0, 0), 20);
  EXPECT_EQ(action, 0);
  GameClock() = 2000;  // without an action the cycle simply wraps
  EXPECT_EQ(ChooseFrame(cycle, heading, action, 1000, 0, 0), 21);

  // A Mode below -1 cycles through |Mode| numbers and shows two frames per
  // direction from them; a one-shot action ends at once, even standing still.
  AnimationRecord odd = Animation({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, -3, 1);
  action = 1;
  heading = 3;
  EXPECT_EQ(ChooseFrame(odd, heading, action, 2000, 0, 0), 6);
  EXPECT_EQ(action, 0);
  int32_t frames[6];
  for (int32_t step = 0; step < 6; ++step) {
    frames[step] = ChooseFrame(odd, heading, action, 2000 - 250 * step, 1, 0);
  }
  EXPECT_EQ(heading, 0);
  const int32_t expected[6] = {0, 1, 0, 0, 1, 0};  // cycle 0 1 2 0 1 2, its low bit
  for (int32_t step = 0; step < 6; ++step) EXPECT_EQ(frames[step], expected[step]) << step;
}

class ShipTest : public LevelTest {};

TEST_F(ShipTest, HeldFireShootsOnceAndEarlyPressesAreLost) {
  Start();
  Key(SDL_SCANCODE_RCTRL, true);
  RunFrame(session_);
  EXPECT_EQ(LiveShots(session_, 0), 1);
  EXPECT_EQ(Player(0).NextFireTick, 16 + 100);
  for (int i = 0; i < 10; ++i) RunFrame(session_);
  EXPECT_EQ(LiveShots(session_, 0), 1) << "held fire does not repeat";
  Key(SDL_SCANCODE_RCTRL, false);
  RunFrame(session_);
  Key(SDL_SCANCODE_RCTRL, true);
  RunFrame(session_);  // tick 208
  EXPECT_EQ(LiveShots(session_, 0), 2) << "release and press again";

  // A press 2 frames later falls inside the 100-tick interval: lost, even
  // when held past it.
  Key(SDL_SCANCODE_RCTRL, false);
  RunFrame(session_);
  Key(SDL_SCANCODE_RCTRL, true);
  for (int i = 0; i < 10; ++i) RunFrame(session_);
  EXPECT_EQ(LiveShots(session_, 0), 2);
  Key(SDL_SCANCODE_RCTRL, false);
  RunFrame(session_);
  Key(SDL_SCANCODE_RCTRL, true);
  RunFrame(session_);
  EXPECT_EQ(LiveShots(session_, 0), 3);
}

TEST_F(ShipTest, APlayerJoinsDuringPlayWithFireAndShootsAtOnce) {
  Start();
  ASSERT_EQ(Player(1).Hits, -1);
  Key(SDL_SCANCODE_D, true);
  for (int i = 0; i < 5; ++i) RunFrame(session_);
  EXPECT_EQ(Player(1).X, 360) << "not in the game: not moved";
  Key(SDL_SCANCODE_LCTRL, true);
  RunFrame(session_);
  EXPECT_EQ(Player(1).Hits, 3) << "the starting lives as loaded";
  EXPECT_EQ(LiveShots(session_, 1), 1);
  EXPECT_EQ(Player(1).X, 361);

  // A player who is out cannot join again.
  Player(0).Hits = 0;
  Key(SDL_SCANCODE_RCTRL, true);
  RunFrame(session_);
  EXPECT_EQ(Player(0).Hits, 0);
  EXPECT_EQ(LiveShots(session_, 0), 0);
}

TEST_F(ShipTest, AimedShotsFollowTheLastHeading) {
  Player(0).FireAim = 1;
  game_.Animations[0] = Animation({kShip}, -1);
  Start();
  Key(SDL_SCANCODE_LEFT, true);
  Key(SDL_SCANCODE_DOWN, true);
  RunFrame(session_);
  Key(SDL_SCANCODE_LEFT, false);
  Key(SDL_SCANCODE_DOWN, false);
  RunFrame(session_);
  EXPECT_EQ(Player(0).Heading, 5) << "standing still keeps the heading";
  Key(SDL_SCANCODE_RCTRL, true);
  RunFrame(session_);
  const Bullet& shot = session_.Bullets[0];
  ASSERT_EQ(LiveShots(session_, 0), 1);
  EXPECT_EQ(shot.VelX, -2.0);
  EXPECT_EQ(shot.VelY, 2.0);
  EXPECT_EQ(shot.AnimationIndex, 3);
  EXPECT_EQ(Player(0).Action, kActionShoot);

  // One frame per direction: a still ship faces 8 and shoots up.
  Key(SDL_SCANCODE_RCTRL, false);
  game_.Animations[0].Mode = 0;
  game_.Animations[1].Mode = 0;
  for (int i = 0; i < 8; ++i) RunFrame(session_);
  Key(SDL_SCANCODE_RCTRL, true);
  RunFrame(session_);
  ASSERT_EQ(LiveShots(session_, 0), 2);
  const Bullet& up = session_.Bullets[1];
  EXPECT_EQ(up.VelX, 0.0);
  EXPECT_EQ(up.VelY, -2.0);
}

TEST_F(ShipTest, BulletSlotsAreReusedAndTheListNeverEmpties) {
  Start();
  Bullet shot;
  shot.SpriteSlot = kShot;
  shot.AnimationIndex = 3;
  shot.X = 10;
  shot.Y = 100;
  shot.VelY = 1.0;
  shot.ExpiresAt = GameClock() + 50;
  AddBullet(session_, shot);  // the blank entry has not expired yet
  ASSERT_EQ(session_.Bullets.DimSize(0), 2);
  GameClock() += 1;
  shot.X = 20;
  AddBullet(session_, shot);
  EXPECT_EQ(session_.Bullets.DimSize(0), 2) << "the blank entry has expired: reused";
  EXPECT_EQ(session_.Bullets[0].X, 20);

  // A spent bullet is replaced by the last one, which is not moved again in
  // this frame; the list shrinks back to a single free entry.
  shot.X = 30;
  shot.ExpiresAt = GameClock() + 100;
  AddBullet(session_, shot);
  session_.Bullets[0].ExpiresAt = 0;
  RunFrame(session_);
  ASSERT_EQ(session_.Bullets.DimSize(0), 2);
  EXPECT_EQ(session_.Bullets[0].X, 30);
  EXPECT_EQ(session_.Bullets[0].Y, 100) << "moved into slot 0: skipped this frame";
  EXPECT_EQ(session_.Bullets[1].Y, 101);
  for (int i = 0; i < 8; ++i) RunFrame(session_);
  ASSERT_EQ(session_.Bullets.DimSize(0), 1);
  EXPECT_EQ(session_.Bullets[0].ExpiresAt, 0);
}

TEST_F(ShipTest, ShipsStayInTheLowerScreenAndOnTheMap) {
  Start();
  Key(SDL_SCANCODE_UP, true);
  Key(SDL_SCANCODE_LEFT, true);
  for (int i = 0; i < 300; ++i) RunFrame(session_, false);
  EXPECT_EQ(Player(0).X, 0);
  EXPECT_EQ(Player(0).Y, session_.ScrollY + 480 / 4);
  Key(SDL_SCANCODE_UP, false);
  Key(SDL_SCANCODE_LEFT, false);
  Key(SDL_SCANCODE_DOWN, true);
  Key(SDL_SCANCODE_RIGHT, true);
  for (int i = 0; i < 400; ++i) RunFrame(session_, false);
  EXPECT_EQ(Player(0).X, 400);
  EXPECT_EQ(Player(0).Y, session_.ScrollY + 480 - 16);
  session_.ScrollY -= 40;  // the screen moves up: the bottom edge pulls the ship along
  RunFrame(session_, false);
  EXPECT_EQ(Player(0).Y, session_.ScrollY + 480 - 16);
  EXPECT_EQ(Player(0).X, 401);
}

}  // namespace

// A small hostile file can make a map whose height in pixels does not fit in
// 32 bits (a tile 65,536 pixels tall, 32,768 rows): the sizes and the scroll
// position wrap, and the clamp wraps with them instead of overflowing.
TEST_F(ShipTest, TheClampWrapsOnMapsTooTallForThirtyTwoBits) {
  Start();
  LevelMeasures& m = session_.Measures;
  m.MapWidthPx = INT32_MIN + 8;  // wrapped
  m.MapHeightPx = INT32_MIN;
  session_.ScrollY = INT32_MAX - 479;  // MapHeightPx - 480, wrapped
  Player(0).X = 100;
  Player(0).Y = 944;
  RunFrame(session_, false);
  // X: at most MapWidthPx - 16, wrapped to INT32_MAX - 7.
  EXPECT_EQ(Player(0).X, 100);
  // Y: from ScrollY + 120 (the top quarter's edge) to ScrollY + 480 - 16,
  // whose sum passes INT32_MAX on the way.
  EXPECT_EQ(Player(0).Y, INT32_MAX - 359);
}
