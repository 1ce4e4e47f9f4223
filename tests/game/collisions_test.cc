// What happens when things touch: bullets against enemies, ships and the
// background, the hurt period and its blinking, walls and deadly tiles, and
// the status line.
#include "game/collisions.h"

#include <gtest/gtest.h>

#include <vector>

#include "runtime/core/gl_api.h"
#include "tests/game/level_harness.h"

using namespace leveltest;

namespace {

class CollisionTest : public LevelTest {
 protected:
  LiveEnemy& AddEnemy(int32_t x, int32_t y, int32_t hits, int32_t solid, int32_t shootable,
                      int32_t points = 100) {
    LiveEnemy enemy;
    enemy.Object = Foe();
    enemy.Object.X = x;
    enemy.Object.Y = y;
    enemy.Object.Hits = hits;
    enemy.Object.Solid = solid;
    enemy.Object.Shootable = shootable;
    enemy.Object.Points = points;
    enemy.Object.SpriteSlot = kFoe;
    session_.Enemies.Append(enemy);
    return session_.Enemies[-1];
  }

  static Bullet Shot(int32_t owner, int32_t x, int32_t y, int32_t blockable = 1) {
    Bullet bullet;
    bullet.Owner = owner;
    bullet.SpriteSlot = kShot;
    bullet.X = x;
    bullet.Y = y;
    bullet.Blockable = blockable;
    bullet.ExpiresAt = 1 << 30;
    return bullet;
  }

  void SolidCell(int32_t cx, int32_t cy) { game_.Levels[0].Layers[1](cx, cy) = 0; }
};

TEST_F(CollisionTest, BulletsDamageEnemiesAndStopOnlyAtSolidOnes) {
  Start();
  AddEnemy(300, 500, 1, 0, 1, 100);
  AddEnemy(305, 505, 1, 0, 1, 250);
  Bullet bullet = Shot(0, 310, 510);
  EXPECT_EQ(UpdateBullet(session_, bullet), 0) << "flies through both";
  EXPECT_EQ(Player(0).Points, 350);
  for (const LiveEnemy& e : session_.Enemies) {
    EXPECT_EQ(e.Object.Hits, 0);
    EXPECT_EQ(e.Object.Action, kActionDie);
    EXPECT_EQ(e.Object.HurtTimer, 117);
  }

  // The dead take no more damage; a Solid one stops the bullet.
  AddEnemy(308, 508, 3, 1, 1);
  EXPECT_EQ(UpdateBullet(session_, bullet), 1);
  EXPECT_EQ(session_.Enemies[2].Object.Hits, 2);
  EXPECT_EQ(Player(0).Points, 350);

  // Enemies that cannot be shot meet only Blockable bullets, and are not hurt.
  session_.Enemies.Clear();
  AddEnemy(600, 300, 2, 1, 0);
  Bullet passing = Shot(1, 605, 305, 0);
  EXPECT_EQ(UpdateBullet(session_, passing), 0);
  Bullet blocked = Shot(1, 605, 305, 1);
  EXPECT_EQ(UpdateBullet(session_, blocked), 1);
  EXPECT_EQ(session_.Enemies[0].Object.Hits, 2);
  Bullet hostile = Shot(-1, 605, 305, 1);
  EXPECT_EQ(UpdateBullet(session_, hostile), 0) << "enemy bullets pass enemies";
}

TEST_F(CollisionTest, BulletsAgainstShipsAndTheHurtPeriod) {
  Start();
  Player(1).Hits = 2;
  for (ObjectRecord& p : game_.Players) p.SpriteSlot = kShip;
  Bullet hostile = Shot(-1, 125, 900);
  EXPECT_EQ(UpdateBullet(session_, hostile), 1);
  EXPECT_EQ(Player(0).Hits, 2);
  EXPECT_EQ(Player(0).HurtTimer, 117);
  EXPECT_EQ(Player(0).Action, kActionDie);
  hostile = Shot(-1, 125, 900);
  EXPECT_EQ(UpdateBullet(session_, hostile), 1) << "gone, though nothing was lost";
  EXPECT_EQ(Player(0).Hits, 2);

  // A player's own ship never stops its bullet; another ship only when Shootable.
  Bullet own = Shot(1, 365, 900);
  EXPECT_EQ(UpdateBullet(session_, own), 0);
  Player(1).Shootable = 0;
  Bullet friendly = Shot(0, 365, 900);
  EXPECT_EQ(UpdateBullet(session_, friendly), 0);
  Player(1).Shootable = 1;
  EXPECT_EQ(UpdateBullet(session_, friendly), 1);
  EXPECT_EQ(Player(1).Hits, 1);
}

TEST_F(CollisionTest, AHurtShipBlinksForItsPeriodAndCanBeHitAfterIt) {
  Start();
  PresentFrame();
  LoseLife(session_, Player(0));
  auto greenAtShip = [&]() {
    GLubyte rgba[4] = {0, 0, 0, 0};
    glReadPixels(125, 480 - 1 - 420, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return static_cast<int>(rgba[1]);
  };
  std::vector<int> green;
  for (int frame = 0; frame < 7; ++frame) {
    RunFrame(session_, false);
    green.push_back(greenAtShip());
    PresentFrame();
  }
  EXPECT_NEAR(green[0], 64, 4) << "timer 117: half transparent";
  EXPECT_NEAR(green[6], 128, 4) << "timer 111: opaque";
  for (int frame = 7; frame < 117; ++frame) RunFrame(session_, false);
  EXPECT_EQ(Player(0).HurtTimer, 0);
  Bullet hostile = Shot(-1, 125, 900);
  EXPECT_EQ(UpdateBullet(session_, hostile), 1);
  EXPECT_EQ(Player(0).Hits, 1);
}

TEST_F(CollisionTest, WallsStopShipsAndDeadlyTilesCostALife) {
  SolidCell(3, 27);  // just above player 1's ship
  game_.Levels[0].TileCollision = 1;
  Start();
  Key(SDL_SCANCODE_UP, true);
  Key(SDL_SCANCODE_LEFT, true);
  for (int i = 0; i < 5; ++i) RunFrame(session_, false);
  EXPECT_EQ(Player(0).Y, 896) << "the move into the wall is undone";
  EXPECT_EQ(Player(0).X, 120);
  Key(SDL_SCANCODE_UP, false);
  RunFrame(session_, false);
  EXPECT_EQ(Player(0).X, 119) << "sideways is free";

  game_.Levels[0].TileCollision = 2;
  Key(SDL_SCANCODE_LEFT, false);
  Key(SDL_SCANCODE_UP, true);
  for (int i = 0; i < 5; ++i) RunFrame(session_, false);
  EXPECT_EQ(Player(0).Y, 891) << "a deadly tile does not stop the ship";
  EXPECT_EQ(Player(0).Hits, 2) << "one life, then the hurt period";

  // Bullets stop at walls only when their player is Solid.
  Bullet bullet = Shot(0, 100, 870);
  EXPECT_EQ(UpdateBullet(session_, bullet), 1);
  Player(0).Solid = 0;
  EXPECT_EQ(UpdateBullet(session_, bullet), 0);
}

TEST_F(CollisionTest, BackgroundTestsStayInsideTheLayerAndTheTileSize) {
  game_.Levels[0].Layers[1].Dimension(2, 2);  // all tile 0, smaller than the map
  game_.Levels[0].TileCollision = 2;
  Start();
  Key(SDL_SCANCODE_UP, true);
  for (int i = 0; i < 3; ++i) RunFrame(session_, false);
  EXPECT_EQ(Player(0).Hits, 3) << "no cells there";
  Bullet corner = Shot(0, 40, 40);
  EXPECT_EQ(UpdateBullet(session_, corner), 1);
  session_.Measures.TileW = 0;  // a game whose first tile image is empty
  Bullet anywhere = Shot(0, 40, 40);
  EXPECT_EQ(UpdateBullet(session_, anywhere), 0);
  // One-pixel cells and a bullet at the far end of 32 bits: the cell after
  // its own lies past INT32_MAX, and none of them is on the map.
  session_.Measures.TileW = 1;
  session_.Measures.TileH = 1;
  Bullet distant = Shot(0, INT32_MAX, INT32_MAX);
  EXPECT_EQ(UpdateBullet(session_, distant), 0);
}

TEST_F(CollisionTest, StatusLineShowsLivesScoresAndTheJoinPrompt) {
  Start();
  Player(0).Hits = 0;
  Player(0).Points = 1234;
  EXPECT_EQ(StatusLivesText(Player(0), 0).Std(), "P1 \x01x0");
  EXPECT_EQ(StatusScoreText(Player(0)).Std(), "$    1234");
  EXPECT_EQ(StatusLivesText(Player(1), 1).Std(), "P2 *JOIN NOW*");

  // Drawn: a black bar, each player in their half, the score 8 cells on.
  int32_t fontW = 0, fontH = 0;
  GetFontSize(fontW, fontH);
  ASSERT_GT(fontH, 0);
  auto capture = [&](auto draw) {
    DrawRect(0, 0, 640, 40, kWhite);
    draw();
    std::vector<uint8_t> pixels(640 * 40 * 4);
    glReadPixels(0, 480 - 40, 640, 40, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    PresentFrame();
    return pixels;
  };
  const auto drawn = capture([&] { DrawStatusLine(session_); });
  const auto expected = capture([&] {
    DrawRect(0, 0, 640, fontH + 2, 0);
    PrintText("P1 \x01x0", 0, 1);
    PrintText("$    1234", 8 * fontW, 1);
    PrintText("P2 *JOIN NOW*", 320, 1);
  });
  EXPECT_TRUE(drawn == expected);
  const auto plain = capture([] {});
  EXPECT_FALSE(drawn == plain);
}

}  // namespace
