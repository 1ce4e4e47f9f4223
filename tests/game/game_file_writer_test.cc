// What the game file writer promises: the layout and widths of each version,
// and a clear refusal of what a version cannot store.
#include "game/game_file_writer.h"

#include <gtest/gtest.h>

#include "game/palette.h"
#include "tests/game/game_builders.h"

namespace {

using testgame::EmptyGame;
using testgame::Written;

std::string Refusal(const GameRecord& game, int32_t version) {
  std::string bytes;
  std::string error;
  EXPECT_FALSE(WriteGameFile(game, version, bytes, error));
  return error;
}

TEST(GameFileWriter, WritesTheSmallestFilesOfVersions1And7) {
  GameRecord game = EmptyGame();
  EXPECT_EQ(Written(game, 1), std::string("\x01\0\0\0", 4) + std::string(16, '\0'));

  // One 1 x 1 transparent sprite, one level with no layers and no waves, two
  // players, an empty title: 80 bytes.
  game.Sprites.Dimension(1);
  game.Sprites[0].Pixels.Dimension(1, 1);
  game.Sprites[0].Pixels(0, 0) = kTransparentColour;
  game.Levels.Dimension(1);
  game.Levels[0].Layers.Dimension(0);
  game.Levels[0].TileCollision = 0;
  game.Levels[0].ScrollMode = 1;
  game.Levels[0].ScrollSpeed = 3;
  game.Levels[0].Duration = 30;
  game.TitleText = "";
  const std::string bytes = Written(game, 7);
  ASSERT_EQ(bytes.size(), 80u);
  EXPECT_EQ(bytes[16], 42);  // the pixel byte: palette entry 42
  EXPECT_EQ(bytes[53], 2);   // player count, one byte
}

TEST(GameFileWriter, EntryWidthsFollowTheVersion) {
  GameRecord game = EmptyGame();
  game.Levels.Dimension(1);
  game.Levels[0].Layers.Dimension(0);
  game.Levels[0].Waves.Dimension(1);  // one wave, one default object, no path
  game.Players.Dimension(0);
  game.TitleText = "";
  // Version and four counts 20, level 4 + 16 + 4, wave 4 + 2, object, player count 1, title 4.
  const size_t base = 20 + 24 + 6;
  EXPECT_EQ(Written(game, 2).size(), base + 39 + 1);
  EXPECT_EQ(Written(game, 3).size(), base + 40 + 1);
  EXPECT_EQ(Written(game, 6).size(), base + 40 + 1 + 4);
  EXPECT_EQ(Written(game, 7).size(), base + 4 + 44 + 1 + 4);

  game.Levels.Dimension(0);
  game.Players.Dimension(2);
  EXPECT_EQ(Written(game, 5).size(), 20u + 1 + 2 * 10 + 4);
  EXPECT_EQ(Written(game, 6).size(), 20u + 1 + 2 * 11 + 4);
}

TEST(GameFileWriter, RefusesWhatTheFileCannotHold) {
  GameRecord game = EmptyGame();
  EXPECT_NE(Refusal(game, 8).find("version 8"), std::string::npos);

  game.Sprites.Dimension(1);
  game.Sprites[0].Pixels.Dimension(2, 2);
  game.Sprites[0].Pixels(1, 1) = 0x123456;
  EXPECT_NE(Refusal(game, 7).find("sprite image 0 pixel (1, 1)"), std::string::npos);

  game = EmptyGame();
  game.Levels.Dimension(1);
  game.Levels[0].Waves.Dimension(1);
  game.Levels[0].Waves[0].Objects[0].Hits = 40000;
  EXPECT_NE(Refusal(game, 7).find("level 0 wave 0 object 0 Hits = 40000"), std::string::npos);

  game.Levels[0].Waves[0].Objects[0].Hits = 3;
  game.Levels[0].Waves[0].Objects.Dimension(2);
  EXPECT_NE(Refusal(game, 6).find("exactly one"), std::string::npos);
  EXPECT_TRUE(Written(game, 7).size() > 0);

  game = EmptyGame();
  game.Players[1].BulletSpeed = 200;
  EXPECT_NE(Refusal(game, 7).find("player 2 BulletSpeed"), std::string::npos);
}

TEST(GameFileWriter, ColoursBecomeTheirFirstPaletteEntry) {
  EXPECT_EQ(PaletteIndexOf(0x000000), 0);  // black stands at 0, 14 and 28
  EXPECT_EQ(PaletteIndexOf(0x8000FF), 42);
  EXPECT_EQ(PaletteIndexOf(0xFCFC00), 55);
  EXPECT_EQ(PaletteIndexOf(0x010203), -1);
}

}  // namespace
