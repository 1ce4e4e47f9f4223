// Enemies and waves: path measures and positions (including degenerate
// paths), the staggered launch, looping and stopping on a path, removal
// below the screen, aimed fire, dying and the drawing order.
#include "game/enemies.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/game/level_harness.h"

using namespace leveltest;

namespace {

struct Place {
  int32_t X = -1, Y = -1, DirX = 7, DirY = 7;
};

Place At(const WaveRecord& wave, double pos) {
  Place p;
  PathPosition(wave, pos, p.X, p.Y, p.DirX, p.DirY);
  return p;
}

TEST(Paths, MeasureAndWalkInQuarterPixels) {
  WaveRecord wave = Wave({{0, 0}, {30, 40}, {30, 40}, {130, 40}}, {});
  MeasurePath(wave);
  EXPECT_DOUBLE_EQ(wave.PathLength, 4.0 * (50 + 0 + 100));

  Place p = At(wave, 100);  // 25 pixels: halfway down the first segment
  EXPECT_EQ(p.X, 15);
  EXPECT_EQ(p.Y, 20);
  EXPECT_EQ(p.DirX, 1);
  EXPECT_EQ(p.DirY, 1);
  p = At(wave, 200);  // the joint belongs to the first segment that reaches it
  EXPECT_EQ(p.X, 30);
  EXPECT_EQ(p.DirY, 1);
  p = At(wave, 399);
  EXPECT_EQ(p.X, 79);
  EXPECT_EQ(p.Y, 40);
  EXPECT_EQ(p.DirX, 1);
  EXPECT_EQ(p.DirY, 0);
  p = At(wave, 600);
  EXPECT_EQ(p.X, 130);
  EXPECT_EQ(p.DirX, 7) << "at or past the end the direction is left alone";
  p = At(wave, -3);
  EXPECT_EQ(p.X, 0);
  EXPECT_EQ(p.DirY, 7);

  // A nearly straight segment counts as straight.
  WaveRecord slope = Wave({{0, 0}, {100, -20}}, {});
  MeasurePath(slope);
  p = At(slope, 8);
  EXPECT_EQ(p.DirX, 1);
  EXPECT_EQ(p.DirY, 0);
}

TEST(Paths, DegeneratePathsGiveAPlaceWithoutEndingTheProgram) {
  // Repeated first points: the tiniest step is met by the empty segment itself.
  WaveRecord repeated = Wave({{5, 9}, {5, 9}, {10, 9}}, {});
  MeasurePath(repeated);
  Place p = At(repeated, std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(p.X, 5);
  EXPECT_EQ(p.Y, 9);
  EXPECT_EQ(p.DirX, 0);
  EXPECT_EQ(p.DirY, 0);

  WaveRecord empty = Wave({}, {});
  MeasurePath(empty);
  EXPECT_EQ(empty.PathLength, 0.0);
  p = At(empty, 10);
  EXPECT_EQ(p.X, 0);
  EXPECT_EQ(p.Y, 0);

  // Opposite corners of the largest map a file can describe.
  WaveRecord wide = Wave({{-32768, -32768}, {32767, 32767}}, {});
  MeasurePath(wide);
  EXPECT_NEAR(wide.PathLength, 4.0 * 65535.0 * std::sqrt(2.0), 1e-6);
}

class EnemyTest : public LevelTest {
 protected:
  LiveEnemy& Enemy(int32_t i) { return session_.Enemies[i]; }
};

TEST_F(EnemyTest, SpawnPositionsLaunchOnceAndLineUpAlongThePathEnd) {
  game_.Sprites[0] = Image(32, 32);
  ObjectRecord looping = Foe();
  looping.LoopPath = 1;
  LevelRecord& level = game_.Levels[0];
  level.Waves.AssignList({Wave({{100, 0}, {100, 400}}, {700, 600, 480}),
                          Wave({{0, 0}, {0, 400}}, {900, 800}, looping),
                          Wave({{0, 0}, {0, 400}}, {470, 460, 449})});
  Start();
  session_.ScrollY = 480;
  LaunchWaves(session_);
  ASSERT_EQ(session_.Enemies.DimSize(0), 5);
  EXPECT_DOUBLE_EQ(Enemy(0).PathEnd, 1523.2);
  EXPECT_DOUBLE_EQ(Enemy(1).PathEnd, 1561.6);
  EXPECT_DOUBLE_EQ(Enemy(2).PathEnd, 1600.0);
  EXPECT_DOUBLE_EQ(Enemy(3).PathEnd, 1600.0) << "looping: no stagger";
  EXPECT_EQ(Enemy(3).WaveIndex, 1);

  session_.PrevScrollY = 480;
  LaunchWaves(session_);
  EXPECT_EQ(session_.Enemies.DimSize(0), 5) << "a still camera launches nothing";
  session_.ScrollY = 450;
  LaunchWaves(session_);
  ASSERT_EQ(session_.Enemies.DimSize(0), 7);
  EXPECT_EQ(Enemy(5).WaveIndex, 2);
  EXPECT_DOUBLE_EQ(Enemy(6).PathEnd, 1600.0 - 1.2 * 32);
}

TEST_F(EnemyTest, LoopingEnemiesWrapAndOthersWaitAtTheEnd) {
  ObjectRecord looping = Foe();
  looping.LoopPath = 1;
  game_.Levels[0].Waves.AssignList(
      {Wave({{0, 500}, {0, 600}}, {700}, looping), Wave({{50, 500}, {50, 600}}, {700})});
  Start();
  RunFrame(session_);
  ASSERT_EQ(session_.Enemies.DimSize(0), 2);
  for (int32_t i = 0; i < 2; ++i) Enemy(i).PathPos = 400;
  RunFrame(session_);
  for (const LiveEnemy& enemy : session_.Enemies) {
    if (enemy.Object.LoopPath != 0) {
      EXPECT_DOUBLE_EQ(enemy.PathPos, 3.0) << "passed its end by 3";
      EXPECT_EQ(enemy.Object.Y, 500);
    } else {
      EXPECT_DOUBLE_EQ(enemy.PathPos, 400.0);
      EXPECT_EQ(enemy.Object.Y, 600);
    }
  }
}

TEST_F(EnemyTest, OnlyEnemiesPastTheirEndAndBelowTheScreenAreRemoved) {
  ObjectRecord fast = Foe();
  fast.PathSpeed = 99;  // 25 pixels a frame
  ObjectRecord slow = Foe();
  slow.PathSpeed = 0;
  ObjectRecord dead = Foe();
  dead.Hits = 0;
  game_.Levels[0].Waves.AssignList({Wave({{300, 600}, {300, 900}}, {700}, fast),
                                    Wave({{400, 990}, {400, 2000}}, {700}, slow),
                                    Wave({{500, 600}, {500, 700}}, {700}, dead)});
  Start();
  RunFrame(session_);
  EXPECT_EQ(session_.Enemies.DimSize(0), 2) << "dead from the start: removed at launch";
  for (int i = 0; i < 30; ++i) RunFrame(session_);
  ASSERT_EQ(session_.Enemies.DimSize(0), 2) << "below the screen, but still on its path";
  EXPECT_EQ(Enemy(0).Object.Y, 900);
  session_.ScrollY = 420;  // bottom edge at 900: not yet below it
  RunFrame(session_);
  ASSERT_EQ(session_.Enemies.DimSize(0), 2);
  session_.ScrollY = 419;
  RunFrame(session_);
  ASSERT_EQ(session_.Enemies.DimSize(0), 1);
  EXPECT_EQ(Enemy(0).Object.PathSpeed, 0);
}

TEST_F(EnemyTest, AimedFireCoversTheShipsWithTheAllowedDirections) {
  Start();
  LiveEnemy enemy;
  enemy.Object = Foe();
  enemy.Object.X = 300;
  enemy.Object.Y = 600;
  enemy.Object.BulletSpeed = 3;
  for (ObjectRecord& player : game_.Players) {  // up and to the right, within the 4:1 cone
    player.X = 400;
    player.Y = 520;
  }
  GameClock() = 1000;
  enemy.Object.FireAim = 4 + 8;
  EXPECT_EQ(EnemyFire(session_, enemy), 0);
  EXPECT_EQ(session_.Bullets.DimSize(0), 1);

  enemy.Object.FireAim = 0;
  EXPECT_EQ(EnemyFire(session_, enemy), 1) << "no directions: counts as a shot";
  EXPECT_EQ(session_.Bullets.DimSize(0), 1);

  enemy.Object.FireAim = 1 + 2 + 16;
  EXPECT_EQ(EnemyFire(session_, enemy), 1);
  ASSERT_EQ(session_.Bullets.DimSize(0), 3);  // the free first entry is reused
  const double expected[3][2] = {{3, 0}, {0, -3}, {3, -3}};
  for (int32_t i = 0; i < 3; ++i) {
    const Bullet& b = session_.Bullets[i];
    EXPECT_EQ(b.VelX, expected[i][0]) << i;
    EXPECT_EQ(b.VelY, expected[i][1]) << i;
    EXPECT_EQ(b.Owner, -1);
    EXPECT_EQ(b.X, 300);
    EXPECT_EQ(b.AnimationIndex, kFoeAnimations + 3);
    EXPECT_EQ(b.ExpiresAt, 3000);
  }

  // A ship far to the left straightens its aim to a plain left shot.
  game_.Players[1].X = -5000;
  enemy.Object.FireAim = 1 + 2 + 4 + 8 + 16;
  EXPECT_EQ(EnemyFire(session_, enemy), 1);
  // The up-left pair comes from two different ships.
  EXPECT_EQ(session_.Bullets.DimSize(0), 3 + 5) << "right, left, up, up-right, up-left";
}

TEST_F(EnemyTest, FireIntervalsAfterShotsAndMisses) {
  ObjectRecord gunner = Foe();
  gunner.NextFireTick = 0;
  gunner.FireAim = 8;  // down only: the ships are below
  gunner.FireRate = 9;
  ObjectRecord blind = gunner;
  blind.FireAim = 2;  // up only: never a target
  game_.Levels[0].Waves.AssignList(
      {Wave({{300, 500}}, {700}, gunner), Wave({{200, 500}}, {700}, blind)});
  Start();
  RunFrame(session_);
  ASSERT_EQ(session_.Enemies.DimSize(0), 2);
  for (const LiveEnemy& enemy : session_.Enemies) {
    if (enemy.Object.FireAim == 8) {
      EXPECT_EQ(enemy.Object.NextFireTick, 16 + 2 * 300);
    } else {
      EXPECT_GE(enemy.Object.NextFireTick, 16 + 200);
      EXPECT_LE(enemy.Object.NextFireTick, 16 + 1200);
    }
  }
  EXPECT_EQ(session_.Bullets.DimSize(0), 1);
  EXPECT_EQ(session_.Bullets[0].VelY, 2.0);
}

TEST_F(EnemyTest, DyingAnimationsDecideWhenTheEnemyGoes) {
  ObjectRecord blocker = Foe();
  blocker.BlocksLevelEnd = 1;
  game_.Levels[0].Waves.AssignList({Wave({{300, 700}}, {700}, blocker), Wave({{400, 600}}, {700})});
  Start();
  RunFrame(session_);
  ASSERT_EQ(session_.Enemies.DimSize(0), 2);
  EXPECT_EQ(Enemy(0).Object.Y, 600) << "sorted from the top down";
  EXPECT_EQ(session_.LevelClear, 0);
  KillEnemy(session_, Enemy(1).Object);

  // A cycling Die animation runs once (500 ms at speed 0) and the enemy goes.
  game_.Animations[kFoeAnimations + 2].Mode = 1;
  int frames = 0;
  while (session_.Enemies.DimSize(0) == 2 && frames < 100) {
    RunFrame(session_, false);
    ++frames;
  }
  EXPECT_EQ(frames, 30);
  EXPECT_EQ(session_.LevelClear, 1);

  // One frame per direction never ends the dying state: it holds the level.
  ASSERT_EQ(session_.Enemies.DimSize(0), 1);
  game_.Animations[kFoeAnimations + 2].Mode = 0;
  KillEnemy(session_, Enemy(0).Object);
  Enemy(0).Object.BlocksLevelEnd = 1;
  for (int i = 0; i < 100; ++i) RunFrame(session_, false);
  EXPECT_EQ(session_.Enemies.DimSize(0), 1);
  EXPECT_EQ(session_.LevelClear, 0);
}

}  // namespace
