// The game file a run will load, found as the runtime will find it before
// the runtime starts: a loose file in the media folder wins, else the member
// of that name in the archive appended to the archive file. A replay names
// its game by size and SHA-256.
//
// IdentifyGameFile  size and SHA-256 of that game file; false with the
//                   problem when there is none or it cannot be read
#pragma once

#include <cstdint>
#include <string>

#include "player/replays/sha256.h"

struct GameFileIdentity {
  uint64_t Size = 0;
  Sha256Digest Sha256{};
  bool FromArchive = false;  // the member of an archive, not a loose file
};

// folder: the media folder ("" for the program's own); archive: the file
// whose archive is read ("" for none); name: the game file's name there.
bool IdentifyGameFile(const std::string& folder, const std::string& archive,
                      const std::string& name, GameFileIdentity& identity, std::string& error);
