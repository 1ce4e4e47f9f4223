// A game description: the readable source of a game file. One JSON file (it
// may include others) names the game's images, animations, players, enemy
// kinds and levels; everything refers to everything else by name, and the
// reader turns it into the GameRecord that the game file writer stores.
// demo/FORMAT.md describes the format for game authors.
//
//   ReadGameDescription  reads the description at path and the files it
//                        includes; false with "file: place: problem" in error
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "game/records.h"

struct GameDescription {
  GameRecord Game;
  int32_t Version = 7;                    // the game file version to write
  std::vector<std::string> SpriteNames;   // Sprites[i] is named SpriteNames[i]
  std::vector<std::string> TileNames;     // likewise for Tiles
  std::vector<std::string> EnemyNames;    // enemy kind k has animation group k + 2
  std::vector<std::string> LevelNames;    // "" where a level has no name
  std::map<std::string, int32_t> Sounds;  // sound name -> slot
  std::vector<std::string> Files;         // every file read, the main one first
  std::vector<std::string> Warnings;      // what builds but looks unintended
};

bool ReadGameDescription(const std::string& path, GameDescription& description, std::string& error);
