// The media archive behind a program file: the input is the whole program
// file, of our own player or of any other platform's. It is taken as the
// player's PATH, both readers are pointed at it, names from its own directory
// (and a few that are not there) are resolved, and every member found is
// unpacked.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "player/open/game_locator.h"
#include "runtime/core/system.h"
#include "runtime/files/archive.h"
#include "runtime/files/archive_index.h"
#include "runtime/files/case_blind.h"
#include "runtime/files/file_io.h"
#include "runtime/files/lzo_member.h"

namespace {

// The names the directory lists, as far as it can be walked.
std::vector<std::string> DirectoryNames(const std::string& path) {
  std::vector<std::string> names;
  const int fd = OpenForReading(path);
  if (fd < 0) return names;
  ArchiveDirectory dir;
  if (ReadArchiveTrailer(fd, dir) == TrailerStatus::kFound) {
    ArchiveEntry entry;
    std::vector<uint8_t> stored;
    while (names.size() < 64 && NextArchiveEntry(fd, dir, entry)) {
      names.push_back(entry.Name);
      // The low-level path too: a member's bytes and its unpacking.
      if (ReadStoredMember(fd, dir, entry, stored)) {
        UnpackedMember member;
        if (UnpackMember(stored, member) == UnpackStatus::kOk) {
          fuzz::Require(member.Size == DeclaredUnpackedSize(stored), "unpacked size");
          fuzz::Require(member.Size <= UnpackedSizeLimit(stored.size() - 4), "size limit");
        }
      }
    }
  }
  close(fd);
  return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (size_t{1} << 20)) return -1;
  fuzz::Setup();
  const std::string program = fuzz::WriteScratch("program", data, size);
  fuzz::RunGuarded([&] {
    // The player's test of a PATH: a program with a game packed in, or not.
    GameLocation where;
    std::string error;
    const bool located = LocateGame(program, where, error);
    fuzz::Require(located || !error.empty(), "a refused PATH has a reason");
    if (located && !where.ArchiveFile.empty()) {
      fuzz::Require(CarriesPackedGame(program), "a packed program carries its game");
    }
    std::vector<std::string> names = DirectoryNames(program);
    names.push_back("missing.bmp");
    names.push_back("folder\\GAME.zorax");
    OpenArchiveReaders(program);
    for (const std::string& name : names) {
      for (ArchiveReader* reader : {&MediaArchive(), &MusicArchive()}) {
        RtString output;
        if (ResolveMediaPath(*reader, RtString(std::string_view(name)), output) == 1) {
          fuzz::Require(!output.Empty(), "a found member has a path");
          const std::string found = output.Std();
          // A member the folder cannot take (a name too long for it) goes to memory.
          fuzz::Require(found.rfind(fuzz::ScratchDir(), 0) == 0 || found == name ||
                            found == FindCaseBlind(ToHostPath(name)) ||
                            found.rfind("/proc/self/fd/", 0) == 0,
                        "members unpack only into the private folder or memory");
        }
      }
    }
  });
  return 0;
}
