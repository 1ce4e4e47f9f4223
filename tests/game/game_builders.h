// Small builders of game records and game file bytes shared by the game's
// tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>

#include "game/game_file_writer.h"
#include "game/palette.h"
#include "game/records.h"

namespace testgame {

// A game with no sprite, tile or level images at all (the records' defaults
// dimension some of them).
inline GameRecord EmptyGame() {
  GameRecord game;
  game.Sprites.Dimension(0);
  game.Tiles.Dimension(0);
  game.Levels.Dimension(0);
  return game;
}

// The bytes the writer makes of `game` in `version`; a refusal fails the test.
inline std::string Written(const GameRecord& game, int32_t version) {
  std::string bytes;
  std::string error;
  EXPECT_TRUE(WriteGameFile(game, version, bytes, error)) << error;
  return bytes;
}

inline AnimationRecord Animation(std::initializer_list<int32_t> frames, int32_t mode,
                                 int32_t speed = 0, int32_t sound = 0) {
  AnimationRecord animation;
  animation.Frames.AssignList(frames);
  animation.Mode = mode;
  animation.Speed = speed;
  animation.Sound = sound;
  return animation;
}

// One sprite, one tile, and one level per entry of mapRows: a map 14 cells
// wide and that many cells tall, scrolling at speed 5; as game file bytes.
inline std::string ScrollingGame(std::initializer_list<int32_t> mapRows,
                                 const std::string& title = "Go") {
  GameRecord game;
  game.Sprites.Dimension(1);
  game.Sprites[0].Pixels.Dimension(32, 32);
  for (int32_t& pixel : game.Sprites[0].Pixels) pixel = kPalette[2];
  game.Tiles.Dimension(1);
  game.Tiles[0].Pixels.Dimension(48, 48);
  for (int32_t& pixel : game.Tiles[0].Pixels) pixel = kPalette[24];
  game.Animations.Dimension(8);
  game.Levels.Dimension(static_cast<int32_t>(mapRows.size()));
  int32_t l = 0;
  for (int32_t rows : mapRows) {
    LevelRecord& level = game.Levels[l++];
    level.Layers[0].Dimension(14, rows);
    level.ScrollMode = 1;
    level.ScrollSpeed = 5;
    level.TileCollision = 0;
  }
  game.TitleText = title.c_str();
  return Written(game, 7);
}

}  // namespace testgame
