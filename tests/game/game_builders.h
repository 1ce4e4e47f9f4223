// Small builders of game records and game file bytes shared by the game's
// tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>

#include "game/game_file_writer.h"
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

}  // namespace testgame
