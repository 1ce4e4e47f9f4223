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

// A file the game reads beside its game file (a sound, a font), as the
// description's "media" names it: a file taken as it is, or made from a
// sound recipe or from font glyph art.
struct MediaSource {
  enum class Kind { kFile, kSoundRecipe, kFontArt };
  std::string Member;  // the name the game asks for ("Skylane.ZORAX1.wav", "ingamefont.bmp")
  Kind From = Kind::kFile;
  std::string Path;     // the source, relative paths already joined to the description's folder
  bool AsPng = false;   // font art: PNG data (else a BMP)
  std::string Where;    // the description's place that names it, for messages
};

struct GameDescription {
  GameRecord Game;
  int32_t Version = 7;                    // the game file version to write
  std::vector<std::string> SpriteNames;   // Sprites[i] is named SpriteNames[i]
  std::vector<std::string> TileNames;     // likewise for Tiles
  std::vector<std::string> EnemyNames;    // enemy kind k has animation group k + 2
  std::vector<std::string> LevelNames;    // "" where a level has no name
  std::map<std::string, int32_t> Sounds;  // sound name -> slot
  std::vector<MediaSource> Media;         // in the order the description names them
  std::vector<std::string> Files;         // every file read, the main one first
  std::vector<std::string> Warnings;      // what builds but looks unintended
};

bool ReadGameDescription(const std::string& path, GameDescription& description, std::string& error);
