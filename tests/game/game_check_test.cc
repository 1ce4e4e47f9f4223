// What the checker promises: the counts of a sound file, every fault the
// player would stop at as an error (where the file ends, which image, which
// level), what only looks wrong as a warning, and never a stop of its own.
#include "game/game_check.h"

#include <gtest/gtest.h>

#include "game/game_file_writer.h"
#include "game/palette.h"

namespace {

// Two sprites, one tile, one level with a 14 x 30 map and two waves of 1 and 3 enemies.
GameRecord SoundGame() {
  GameRecord game;
  game.Sprites.Dimension(2);
  game.Tiles.Dimension(1);
  for (ImageRecord* image : {&game.Sprites[0], &game.Sprites[1], &game.Tiles[0]}) {
    image->Pixels.Dimension(4, 4);
    for (int32_t& pixel : image->Pixels) pixel = kPalette[3];
  }
  game.Animations.Dimension(12);
  game.Animations[9].Frames.AssignList({0, 1, -2});
  LevelRecord& level = game.Levels[0];
  level.Layers[0].Dimension(14, 30);
  level.Waves.Dimension(2);
  level.Waves[1].Objects.Dimension(3);
  level.Waves[1].Objects[2].AnimationBase = 8;
  return game;
}

std::string Bytes(const GameRecord& game) {
  std::string bytes;
  std::string error;
  EXPECT_TRUE(WriteGameFile(game, 7, bytes, error)) << error;
  return bytes;
}

// The one message among lines containing every part; "" when none does.
std::string Find(const std::vector<std::string>& lines, std::initializer_list<const char*> parts) {
  for (const std::string& line : lines) {
    bool all = true;
    for (const char* part : parts) all = all && line.find(part) != std::string::npos;
    if (all) return line;
  }
  return "";
}

std::string All(const GameCheck& check) {
  std::string text;
  for (const std::string& line : check.Errors) text += "error: " + line + "\n";
  for (const std::string& line : check.Warnings) text += "warning: " + line + "\n";
  return text;
}

TEST(GameCheck, ASoundGameHasItsCountsAndNoProblems) {
  const std::string bytes = Bytes(SoundGame());
  GameCheck check = CheckGameBytes(bytes);
  EXPECT_TRUE(check.ReadToEnd);
  EXPECT_EQ(check.Version, 7);
  EXPECT_TRUE(check.Errors.empty() && check.Warnings.empty()) << All(check);
  EXPECT_EQ(check.SpriteImages, 2);
  EXPECT_EQ(check.TileImages, 1);
  EXPECT_EQ(check.Animations, 16);  // 12 entries and a whole group more
  EXPECT_EQ(check.Levels, 1);
  EXPECT_EQ(check.Waves, 2);
  EXPECT_EQ(check.Enemies, 4);
  EXPECT_EQ(check.UnreadBytes, 0);
  EXPECT_EQ(CheckGameBytes(bytes + "junk").UnreadBytes, 4);
}

TEST(GameCheck, EveryStopOfThePlayerIsAnError) {
  // Truncated: where the file ends, and inside what.
  const std::string bytes = Bytes(SoundGame());
  GameCheck cut = CheckGameBytes(bytes.substr(0, bytes.size() - 80));
  EXPECT_FALSE(cut.ReadToEnd);
  EXPECT_NE(Find(cut.Errors, {"ends at byte", "level 0, wave 1, object", "error 3"}), "")
      << All(cut);
  EXPECT_NE(Find(CheckGameBytes(std::string("\x07\x00", 2)).Errors, {"version"}), "");
  // A count in the millions in a short file is a truncation, found at once.
  GameCheck huge = CheckGameBytes(GameFileBytes().I32(7).I32(90'000'000).I32(2).I32(2).Bytes());
  EXPECT_NE(Find(huge.Errors, {"ends at byte", "sprite image 0", "error 3"}), "") << All(huge);
  GameCheck wide = CheckGameBytes(GameFileBytes().I32(7).I32(1).I32(20'000'000).I32(0).Bytes());
  EXPECT_NE(Find(wide.Errors, {"sprite image 0", "error 7"}), "") << All(wide);
  GameCheck vast =
      CheckGameBytes(GameFileBytes().I32(7).I32(1).I32(2'000'000'000).I32(2'000'000'000).Bytes());
  EXPECT_NE(Find(vast.Errors, {"more than an array holds", "error 7"}), "") << All(vast);
  EXPECT_NE(
      Find(CheckGameBytes(GameFileBytes().I32(8).Bytes()).Errors, {"version 8", "Load Error!"}),
      "");

  GameRecord game = SoundGame();
  game.Sprites[1].Pixels.Dimension(4, 3);  // wider than tall
  for (int32_t& pixel : game.Sprites[1].Pixels) pixel = kPalette[0];
  std::string raw = Bytes(game);
  // Bad pixel bytes in the tile (its 16 bytes follow the sprites and the tile count).
  const size_t tilePixels = 4 + 4 + (8 + 16) + (8 + 12) + 4 + 8;
  raw[tilePixels + 5] = static_cast<char>(100);
  raw[tilePixels + 9] = static_cast<char>(150);
  GameCheck check = CheckGameBytes(raw);
  EXPECT_TRUE(check.ReadToEnd) << All(check);
  EXPECT_NE(Find(check.Errors, {"sprite image 1 is 4 wide but 3 tall", "error 9"}), "")
      << All(check);
  EXPECT_NE(Find(check.Errors, {"tile image 0", "pixel (1, 1) has byte 100", "2 such bytes"}), "")
      << All(check);

  GameFileBytes three;
  three.I32(7).I32(0).I32(0).I32(0).I32(1).I32(3);
  for (int l = 0; l < 3; ++l) three.I32(1).I32(1).I16(0);
  three.I32(0).I32(0).I32(0).I32(0).I32(0).I8(0).I32(0);
  GameCheck layers = CheckGameBytes(three.Bytes());
  EXPECT_TRUE(layers.ReadToEnd) << All(layers);
  EXPECT_NE(Find(layers.Errors, {"level 0 has more than 2 layers", "error 9"}), "") << All(layers);
  // ... and the empty arrays that the first level reads element 0 of.
  EXPECT_NE(Find(layers.Errors, {"no sprite images"}), "");
  EXPECT_NE(Find(layers.Errors, {"no tile images"}), "");
  EXPECT_NE(Find(CheckGameBytes(GameFileBytes().I32(1).I32(0).I32(0).I32(0).I32(0).Bytes()).Errors,
                 {"no levels"}),
            "");
}

TEST(GameCheck, WhatOnlyLooksWrongIsAWarning) {
  GameRecord game = SoundGame();
  game.Sprites[0].Pixels.Dimension(4, 6);  // taller than wide
  for (int32_t& pixel : game.Sprites[0].Pixels) pixel = kPalette[0];
  game.Animations[2].Frames.AssignList({1, 2, 7});  // two frames beyond the 2 sprites
  game.Levels[0].Waves[0].Objects[0].AnimationBase = 14;
  GameCheck check = CheckGameBytes(Bytes(game));
  EXPECT_TRUE(check.Errors.empty()) << All(check);
  EXPECT_NE(Find(check.Warnings, {"sprite image 0 is 4 wide and 6 tall", "top 4 x 4"}), "")
      << All(check);
  EXPECT_NE(Find(check.Warnings,
                 {"animation 2 (Player 1, Die) frame 1 shows sprite image 2", "2 such frames"}),
            "")
      << All(check);
  EXPECT_NE(Find(check.Warnings, {"level 0, wave 0, object 0", "from 14"}), "") << All(check);
  EXPECT_EQ(check.Warnings.size(), 3u) << All(check);

  // Player 2 without a group of its own; more sprites than slots below the tiles.
  game = SoundGame();
  game.Animations.Dimension(3);
  game.Levels[0].Waves.Dimension(0);
  game.Sprites.Dimension(1025);
  GameCheck slots = CheckGameBytes(Bytes(game));
  EXPECT_NE(Find(slots.Warnings, {"player 2 has no animation group"}), "") << All(slots);
  EXPECT_NE(Find(slots.Warnings, {"1025 sprite images", "share"}), "") << All(slots);
}

}  // namespace
