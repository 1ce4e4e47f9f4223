// A small two-player game written for the replay tests: one scrolling level
// with rows of grunts that fire at the ships (or, with no ship in their line,
// try again after a random delay), and ships that can neither be shot nor
// rammed, so that both stay in play until the level ends.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "game/game_file_writer.h"
#include "game/palette.h"

namespace replaytest {

template <typename Inside>
inline ImageRecord Shape(int32_t size, int32_t colour, Inside inside) {
  ImageRecord image;
  image.Pixels.Dimension(size, size);
  for (int32_t y = 0; y < size; ++y) {
    for (int32_t x = 0; x < size; ++x) {
      image.Pixels(x, y) = inside(x, y) ? colour : kTransparentColour;
    }
  }
  return image;
}

inline ImageRecord Block(int32_t size, int32_t colour) {
  return Shape(size, colour, [](int32_t, int32_t) { return true; });
}

inline ImageRecord Disc(int32_t size, int32_t colour) {
  const double c = (size - 1) / 2.0;
  return Shape(size, colour, [=](int32_t x, int32_t y) {
    return (x - c) * (x - c) + (y - c) * (y - c) <= c * c;
  });
}

inline AnimationRecord Animation(std::initializer_list<int32_t> frames, int32_t mode) {
  AnimationRecord animation;
  animation.Frames.AssignList(frames);
  animation.Mode = mode;
  return animation;
}

// One level that scrolls 2 pixels a frame over 40 rows: rows of grunts that
// sweep down the screen and fire (aimed, or after a random delay when no
// ship is in their line), and two ships that can neither be shot nor rammed,
// so that both stay in play from start to end.
inline std::string TwoPlayerGame(const std::string& title) {
  GameRecord game;
  game.Sprites.Dimension(5);
  game.Sprites[0] = Disc(32, kPalette[24]);  // ship 1
  game.Sprites[1] = Disc(32, kPalette[37]);  // ship 2
  game.Sprites[2] = Disc(32, kPalette[17]);  // grunt
  game.Sprites[3] = Block(8, kPalette[55]);  // shot
  game.Sprites[4] = Disc(32, kPalette[30]);  // blast
  game.Tiles.Dimension(2);
  game.Tiles[0] = Block(32, kPalette[12]);
  game.Tiles[1] = Block(32, kPalette[11]);
  game.Animations.Clear();
  for (int32_t look : {0, 1, 2}) {
    game.Animations.Append(Animation({look, look}, 2));
    game.Animations.Append(Animation({look}, 1));
    game.Animations.Append(Animation({4, 4}, 2));
    game.Animations.Append(Animation({3}, 1));
  }
  game.Levels.Dimension(1);
  LevelRecord& level = game.Levels[0];
  level.Layers[0].Dimension(20, 40);
  level.Layers[1].Dimension(20, 40);
  for (int32_t y = 0; y < 40; ++y) {
    for (int32_t x = 0; x < 20; ++x) {
      level.Layers[0](x, y) = (x + y) % 5 == 0 ? y % 2 : -1;
      level.Layers[1](x, y) = -1;
    }
  }
  level.ScrollMode = 1;
  level.ScrollSpeed = 6;
  level.TileCollision = 0;
  ObjectRecord grunt;
  grunt.AnimationBase = 8;
  grunt.Hits = 1;
  grunt.PathSpeed = 3;
  grunt.FireAim = 8 + 16;
  grunt.Points = 50;
  grunt.FireRate = 6;
  grunt.BulletSpeed = 3;
  grunt.HarmsOnContact = 0;
  grunt.DiesOnContact = 0;
  for (int32_t spawn : {700, 560, 420, 280, 140}) {
    WaveRecord wave;
    // Paths are in map pixels: each row starts just above the screen.
    wave.Path.AssignList({{300, spawn - 40}, {300, spawn + 700}});
    wave.SpawnPositions.AssignList({spawn});
    wave.Objects.Dimension(0);
    for (int32_t offset = -256; offset <= 256; offset += 64) {
      grunt.OffsetX = offset;
      wave.Objects.Append(grunt);
    }
    level.Waves.Append(wave);
  }
  for (ObjectRecord& player : game.Players) {
    player.Hits = 4;
    player.FireRate = 9;
    player.BulletSpeed = 6;
    player.BulletLife = 1500;
    player.Shootable = 0;
  }
  game.TitleText = RtString(std::string_view(title));
  std::string bytes;
  std::string error;
  EXPECT_TRUE(WriteGameFile(game, 7, bytes, error)) << error;
  return bytes;
}

}  // namespace replaytest
