// The game's sounds: files named from the project path, loaded per distinct
// number, and the four cues (player and enemy shots, lost lives, kills),
// including the repeated cues of one enemy touching two ships.
#include "game/sound_cues.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/game/level_harness.h"

using namespace leveltest;

namespace {

class SoundCueTest : public LevelTest {
 protected:
  void SetUp() override {
    LevelTest::SetUp();
    game_.Animations[0].Sound = -2;  // names no slot: skipped
    game_.Animations[1].Sound = 3;   // player 1 shoots
    game_.Animations[2].Sound = 5;   // players lose a life
    game_.Animations[3].Sound = 4;   // bullets: loaded, never played
    game_.Animations[6].Sound = 5;
    game_.Animations[kFoeAnimations + 1].Sound = 6;
    game_.Animations[kFoeAnimations + 2].Sound = 7;
    LoadSoundsFor(game_, {0, 3, 4, 5, 6, 7});
  }
};

TEST_F(SoundCueTest, ShotsAndLostLivesPlayTheirActorsSounds) {
  EXPECT_GE(PlaySound(0, 0.0, 1.0), 0) << "sound 0 is loaded like the others";
  StopAllSounds();
  Start();
  Key(SDL_SCANCODE_RCTRL, true);
  RunFrame(session_);
  EXPECT_EQ(VoicesPlaying(3), 1);
  EXPECT_EQ(VoicesPlaying(4), 0);
  EXPECT_EQ(VoicesPlaying(5), 0);
  LoseLife(session_, Player(0));
  EXPECT_EQ(VoicesPlaying(5), 1);
  PlayAnimationSound(game_, 0);  // a negative number plays nothing and ends nothing
}

TEST_F(SoundCueTest, AnEnemyWithoutDirectionsSoundsAtEveryInterval) {
  ObjectRecord drummer = Foe();
  drummer.NextFireTick = 0;
  drummer.FireRate = 10;  // 300 ticks
  game_.Levels[0].Waves.AssignList({Wave({{300, 500}}, {700}, drummer)});
  Start();
  std::vector<int> sounded;
  for (int frame = 1; frame <= 40; ++frame) {
    RunFrame(session_, false);
    if (VoicesPlaying(6) != 0) sounded.push_back(frame);
    StopAllSounds();
  }
  EXPECT_EQ(sounded, (std::vector<int>{1, 20, 39}));
  EXPECT_EQ(session_.Bullets.DimSize(0), 1);
  EXPECT_EQ(session_.Bullets[0].ExpiresAt, 0) << "no bullet was ever fired";
}

TEST_F(SoundCueTest, OneEnemyTouchingTwoShipsDiesTwiceOver) {
  game_.Levels[0].Waves.AssignList({Wave({{120, 896}}, {700})});
  Start();
  Player(1).Hits = 3;
  Player(1).X = Player(0).X;
  RunFrame(session_);
  for (int32_t i = 0; i < 2; ++i) {
    EXPECT_EQ(Player(i).Hits, 2) << i;
    EXPECT_EQ(Player(i).Points, 100) << i;
  }
  EXPECT_EQ(VoicesPlaying(7), 2) << "the enemy's die sound, once per ship";
  EXPECT_EQ(VoicesPlaying(5), 2);
  ASSERT_EQ(session_.Enemies.DimSize(0), 1);
  EXPECT_EQ(session_.Enemies[0].Object.Action, kActionDie);
}

}  // namespace
