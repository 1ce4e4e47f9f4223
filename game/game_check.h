// Checking a game file without running it: the same reader as the loader, fed
// from bytes, reporting every fault the player would stop at instead of
// stopping, and what only looks wrong as warnings.
//
// CheckGameBytes  reads a whole game file held in memory; never ends the program.
//                 With `read`, the record read is stored there when the whole file was read
// CheckGameFile   reads the file at path first; a file that cannot be read is an error
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/records.h"

struct GameCheck {
  int32_t Version = 0;
  bool VersionRead = false;  // the file holds at least its version
  bool ReadToEnd = false;    // every block was read; the counts below are complete
  int32_t SpriteImages = 0;
  int32_t TileImages = 0;
  int32_t Animations = 0;  // entries after naming (whole groups of four)
  int32_t Levels = 0;
  int32_t Waves = 0;
  int32_t Enemies = 0;  // object entries of all waves
  int32_t Players = 0;
  int64_t UnreadBytes = 0;            // bytes after the last field, which the player never reads
  std::vector<std::string> Errors;    // each one stops the player (or keeps the game from loading)
  std::vector<std::string> Warnings;  // looks wrong, or stops the player only in some games
};

GameCheck CheckGameBytes(const std::string& bytes, GameRecord* read = nullptr);
GameCheck CheckGameFile(const std::string& path);
