// Writing game files: the inverse of the loader, for every version 0 to 7.
// Tests, zorax-tool build and zorax-tool check's own tests make their files
// with it; GameFileBytes also lets a test write any raw field it likes.
#pragma once

#include <cstdint>
#include <string>

#include "game/records.h"

// Little-endian fields appended one after another, as the game file stores them.
class GameFileBytes {
 public:
  GameFileBytes& I8(int32_t value);
  GameFileBytes& U8(int32_t value);
  GameFileBytes& I16(int32_t value);
  GameFileBytes& I32(int32_t value);
  GameFileBytes& Text(const std::string& bytes);  // raw bytes, no terminator
  const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

inline constexpr int32_t kHighestGameFileVersion = 7;

// Writes the record in the layout of the given version (0 to 7). Pixel colours
// become the index of their first palette entry. Returns false, with a
// message naming the offending field, when something cannot be stored: a
// version outside 0..7, a colour outside the palette, a value too wide for
// its field, more than 127 players, a level with other than 2 layers, or a
// wave with other than one object in versions before 7.
bool WriteGameFile(const GameRecord& game, int32_t version, std::string& out, std::string& error);
