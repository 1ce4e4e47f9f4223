// The game records: every default, defaults of elements an array grows by,
// deep copies, and object fields by number.
#include "game/records.h"

#include <gtest/gtest.h>

#include "tests/support/program_end_checks.h"

namespace {

void ExpectDefaultObject(const ObjectRecord& object) {
  const int32_t expected[kObjectFieldCount] = {0, 3, 2, 0, 100, 2, 2, 2000, 0, 0, 1, 1,
                                               1, 1, 0, 2, 0,   0, 0, 0,    0, 0, 0, 0};
  for (int32_t field = 0; field < kObjectFieldCount; ++field) {
    EXPECT_EQ(ObjectField(object, field), expected[field]) << "field " << field;
  }
}

TEST(GameRecordTest, FreshGameHoldsItsDefaults) {
  const GameRecord game;
  EXPECT_EQ(game.ProjectPath.Std(), "projects/Skylane.ZORAX");
  EXPECT_EQ(game.TitleText.Std(), "Your Game\nPress fire to start");
  EXPECT_EQ(game.Tiles.DimSize(0), 2);
  EXPECT_EQ(game.Sprites.DimSize(0), 20);
  EXPECT_EQ(game.Animations.DimSize(0), 0);
  ASSERT_EQ(game.Levels.DimSize(0), 1);
  ASSERT_EQ(game.Players.DimSize(0), 2);
  for (const ImageRecord& image : game.Sprites) {
    EXPECT_EQ(image.Pixels.Count(), 0);
    EXPECT_EQ(image.SpriteId, 0);
  }
  const LevelRecord& level = game.Levels[0];
  ASSERT_EQ(level.Layers.DimSize(0), 2);
  EXPECT_EQ(level.Layers[0].Count(), 0);
  EXPECT_EQ(level.Layers[1].Count(), 0);
  EXPECT_EQ(level.TileCollision, 2);
  EXPECT_EQ(level.ScrollMode, 1);
  EXPECT_EQ(level.ScrollSpeed, 3);
  EXPECT_EQ(level.Duration, 30);
  EXPECT_EQ(level.Waves.DimSize(0), 0);
  ExpectDefaultObject(game.Players[0]);
  ExpectDefaultObject(game.Players[1]);
}

TEST(GameRecordTest, GrownArraysHoldDefaultElements) {
  GameRecord game;
  game.Animations.Dimension(8);
  for (const AnimationRecord& animation : game.Animations) {
    EXPECT_EQ(animation.Name.Std(), "");
    ASSERT_EQ(animation.Frames.DimSize(0), 2);
    EXPECT_EQ(animation.Frames[0], 0);
    EXPECT_EQ(animation.Frames[1], 0);
    EXPECT_EQ(animation.Mode, 2);
    EXPECT_EQ(animation.Speed, 0);
    EXPECT_EQ(animation.Sound, 0);
  }
  // Past the first allocation block as well.
  game.Levels.Redimension(70);
  EXPECT_EQ(game.Levels[69].Layers.DimSize(0), 2);
  game.Levels[69].Waves.Dimension(3);
  const WaveRecord& wave = game.Levels[69].Waves[2];
  EXPECT_EQ(wave.SpawnPositions.Count(), 0);
  EXPECT_EQ(wave.Path.Count(), 0);
  EXPECT_EQ(wave.PathLength, 0.0);
  ASSERT_EQ(wave.Objects.DimSize(0), 1);
  ExpectDefaultObject(wave.Objects[0]);
  game.Levels[69].Waves[2].Path.Dimension(2);
  EXPECT_EQ(game.Levels[69].Waves[2].Path[1].X, 0);
  EXPECT_EQ(game.Levels[69].Waves[2].Path[1].Y, 0);
}

TEST(GameRecordTest, CopiesAreDeep) {
  GameRecord game;
  game.Sprites[3].Pixels.Dimension(4, 2);
  game.Sprites[3].Pixels(3, 1) = kTransparentColour;
  game.Levels[0].Layers[1].Dimension(10, 10);
  game.Levels[0].Waves.Dimension(1);
  game.Levels[0].Waves[0].Objects[0].Points = 500;
  game.Animations.Dimension(4);
  game.Animations[2].Name = "Player 1, Die";

  GameRecord copy = game;
  copy.Sprites[3].Pixels(3, 1) = 0;
  copy.Levels[0].Layers[1](9, 9) = 7;
  copy.Levels[0].Waves[0].Objects[0].Points = 1;
  copy.Animations[2].Name = "changed";
  copy.Animations[2].Frames[1] = 5;

  EXPECT_EQ(game.Sprites[3].Pixels(3, 1), kTransparentColour);
  EXPECT_EQ(game.Levels[0].Layers[1](9, 9), 0);
  EXPECT_EQ(game.Levels[0].Waves[0].Objects[0].Points, 500);
  EXPECT_EQ(game.Animations[2].Name.Std(), "Player 1, Die");
  EXPECT_EQ(game.Animations[2].Frames[1], 0);
  EXPECT_EQ(copy.Levels[0].Layers[1](9, 9), 7);

  game = copy;
  EXPECT_EQ(game.Animations[2].Name.Std(), "changed");
}

TEST(GameRecordTest, NegativeIndexCountsFromTheEnd) {
  GameRecord game;
  game.Sprites[19].SpriteId = 19;
  EXPECT_EQ(game.Sprites[-1].SpriteId, 19);
}

TEST(ObjectRecordTest, FieldsByNumberFollowTheStoredOrder) {
  ObjectRecord object;
  for (int32_t field = 0; field < kObjectFieldCount; ++field)
    ObjectField(object, field) = 1000 + field;
  EXPECT_EQ(object.AnimationBase, 1000);
  EXPECT_EQ(object.DiesOnContact, 1013);
  EXPECT_EQ(object.SpriteSlot, 1014);
  EXPECT_EQ(object.Heading, 1015);
  EXPECT_EQ(object.OffsetX, 1018);
  EXPECT_EQ(object.OffsetY, 1019);
  EXPECT_EQ(object.Action, 1023);
  EXPECT_RUNTIME_ERROR(ObjectField(object, 24), 9);
  EXPECT_RUNTIME_ERROR(ObjectField(object, -1), 9);
}

}  // namespace
