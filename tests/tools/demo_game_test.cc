// The demo game as built and packed: the packed player carries every member
// the game asks for, the packed game file is the description's, and the
// description keeps the rules the game loop relies on (one sprite size, one
// tile size, enemies that enter from off screen and leave below it, a boss
// that holds each level's end, the three scroll modes).
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

#include "game/game_file_writer.h"
#include "runtime/gfx2d/image_decode.h"
#include "tests/support/test_env.h"
#include "tools/game_description.h"

namespace {

constexpr int32_t kScreenW = 640, kScreenH = 480, kSprite = 32, kTile = 48;

GameDescription Demo() {
  GameDescription demo;
  std::string error;
  EXPECT_TRUE(ReadGameDescription(testenv::SourceDir() + "/demo/skylane.json", demo, error))
      << error;
  return demo;
}

std::string Shell(const std::string& command) {
  const std::string out = testenv::TempDir() + "/shell.txt";
  EXPECT_EQ(testenv::RunProgram(testenv::Words(command), out), 0) << command << "\n"
                                                                  << testenv::ReadFile(out);
  return testenv::ProgramOutput(out);
}

TEST(DemoGame, ThePackedPlayerCarriesEveryMember) {
  const GameDescription demo = Demo();
  const std::string tool = testenv::Program("zorax-tool");
  const std::string packed = testenv::Program("skylane");
  const std::string listing = Shell(tool + " list " + packed);

  std::set<std::string> wanted = {"game.ZORAX", "ingamefont.bmp", "smalfont.bmp"};
  // The game looks for ProjectPath + slot + ".wav"; the archive is searched by
  // the last path component.
  for (int32_t i = 0; i < demo.Game.Animations.DimSize(0); ++i) {
    const int32_t sound = demo.Game.Animations[i].Sound;
    if (sound != 0) wanted.insert("Skylane.ZORAX" + std::to_string(sound) + ".wav");
  }
  EXPECT_GE(wanted.size(), 3u + 4u);  // four sounds or more
  for (const std::string& member : wanted) {
    EXPECT_NE(listing.find("\n" + member + " "), std::string::npos) << member << "\n" << listing;
  }

  const std::string out = testenv::MakeDir("members");
  Shell(tool + " extract " + packed + " -d " + out);
  std::string bytes, error;
  ASSERT_TRUE(WriteGameFile(demo.Game, demo.Version, bytes, error)) << error;
  EXPECT_TRUE(testenv::ReadFile(out + "/game.ZORAX") == bytes) << "the packed game file is stale";

  // The in-game font is PNG data under its BMP name, with the ship at code 1;
  // the start-up font is a real BMP. Both are keyed on black.
  const std::string font = testenv::ReadFile(out + "/ingamefont.bmp");
  EXPECT_EQ(font.substr(1, 3), "PNG");
  ImageBuffer image;
  ASSERT_TRUE(DecodeImageFile(out + "/ingamefont.bmp", 0, image));
  ASSERT_EQ(image.Width, 256);
  ASSERT_EQ(image.Height, 128);
  int shipPixels = 0;
  for (int32_t y = 0; y < 16; ++y) {
    for (int32_t x = 16; x < 32; ++x) shipPixels += image.Pixels[(y * 256 + x) * 4 + 3] != 0;
  }
  EXPECT_GT(shipPixels, 30);
  EXPECT_EQ(image.Pixels[3], 0);  // cell 0 is empty: keyed out
  EXPECT_EQ(testenv::ReadFile(out + "/smalfont.bmp").substr(0, 2), "BM");
  for (const std::string& member : wanted) {
    if (member.find(".wav") != std::string::npos) {
      EXPECT_EQ(testenv::ReadFile(out + "/" + member).substr(0, 4), "RIFF") << member;
    }
  }
}

TEST(DemoGame, ImagesShareOneSpriteSizeAndOneTileSize) {
  const GameDescription demo = Demo();
  EXPECT_TRUE(demo.Warnings.empty()) << demo.Warnings[0];
  for (int32_t i = 0; i < demo.Game.Sprites.DimSize(0); ++i) {
    EXPECT_EQ(demo.Game.Sprites[i].Pixels.DimSize(0), kSprite) << demo.SpriteNames[i];
  }
  for (int32_t i = 0; i < demo.Game.Tiles.DimSize(0); ++i) {
    EXPECT_EQ(demo.Game.Tiles[i].Pixels.DimSize(0), kTile) << demo.TileNames[i];
  }
}

TEST(DemoGame, LevelsCoverEveryScrollModeAndEndWithABoss) {
  const GameDescription demo = Demo();
  std::set<int32_t> modes;
  std::set<int32_t> aims;
  for (int32_t l = 0; l < demo.Game.Levels.DimSize(0); ++l) {
    const LevelRecord& level = demo.Game.Levels[l];
    modes.insert(level.ScrollMode);
    bool boss = false;
    for (int32_t w = 0; w < level.Waves.DimSize(0); ++w) {
      for (int32_t o = 0; o < level.Waves[w].Objects.DimSize(0); ++o) {
        boss = boss || level.Waves[w].Objects[o].BlocksLevelEnd != 0;
        aims.insert(level.Waves[w].Objects[o].FireAim);
      }
    }
    // A scrolling level without a blocker ends as the map runs out; the still
    // one would end at once.
    EXPECT_TRUE(boss || level.ScrollMode == 1) << demo.LevelNames[l];
    // The players' start cells are free of foreground.
    const int32_t rows = level.Layers[0].DimSize(1);
    for (int32_t player = 0; player < 2; ++player) {
      const int32_t x = 120 + 240 * player;
      for (int32_t cx = x / kTile; cx <= (x + kSprite - 1) / kTile; ++cx) {
        EXPECT_LT(level.Layers[1](cx, rows - 2), 0) << demo.LevelNames[l] << " player " << player;
      }
    }
  }
  EXPECT_EQ(modes, (std::set<int32_t>{0, 1, 2}));
  EXPECT_GE(demo.EnemyNames.size(), 6u);
  EXPECT_TRUE(aims.count(8));              // aimed straight down
  EXPECT_TRUE(aims.count(1 | 2 | 4 | 8));  // four ways
  EXPECT_TRUE(aims.count(31));             // four ways and the diagonals
}

// Where the camera's top edge is when a wave launches: its spawn position on
// a scrolling map, 0 on a still one.
TEST(DemoGame, EnemiesEnterFromOffScreenAndLeaveBelowIt) {
  const GameDescription demo = Demo();
  for (int32_t l = 0; l < demo.Game.Levels.DimSize(0); ++l) {
    const LevelRecord& level = demo.Game.Levels[l];
    for (int32_t w = 0; w < level.Waves.DimSize(0); ++w) {
      const WaveRecord& wave = level.Waves[w];
      const int32_t last = wave.Path.DimSize(0) - 1;
      if (last < 1) continue;  // ground guns stay where they are put
      for (int32_t o = 0; o < wave.Objects.DimSize(0); ++o) {
        const ObjectRecord& object = wave.Objects[o];
        const std::string where =
            demo.LevelNames[l] + " wave " + std::to_string(w) + " object " + std::to_string(o);
        for (int32_t k = 0; k < wave.SpawnPositions.DimSize(0); ++k) {
          const int32_t top = level.ScrollMode == 0 ? 0 : wave.SpawnPositions[k];
          const int32_t x = wave.Path[0].X + object.OffsetX, y = wave.Path[0].Y + object.OffsetY;
          EXPECT_TRUE(x + kSprite <= 0 || x >= kScreenW || y + kSprite <= top)
              << where << " pops in";
          if (object.LoopPath || object.BlocksLevelEnd) continue;
          // The camera only moves up, so leaving below the launch view is enough.
          EXPECT_GT(wave.Path[last].Y + object.OffsetY, top + kScreenH) << where << " never leaves";
        }
      }
    }
  }
}

}  // namespace
