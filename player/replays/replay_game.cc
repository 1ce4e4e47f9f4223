// Finding the game file through the runtime's own resolver, with a reader of
// our own so that nothing of the run's media readers is touched: the same
// rules for loose files and archive members, wherever the member is unpacked.
#include "player/replays/replay_game.h"

#include <string_view>
#include <vector>

#include "runtime/core/system.h"
#include "runtime/files/archive.h"
#include "runtime/files/file_io.h"
#include "runtime/files/lzo_member.h"

bool IdentifyGameFile(const std::string& folder, const std::string& archive,
                      const std::string& name, GameFileIdentity& identity, std::string& error) {
  identity = GameFileIdentity{};
  std::string base = folder.empty() ? ProgramFolder() : folder;
  if (!base.empty() && base.back() != '/') base += '/';
  const std::string requested = name.empty() || name[0] == '/' ? name : base + name;
  ArchiveReader reader;
  reader.Enabled = !archive.empty();
  reader.ArchivePath = archive;
  RtString found;
  if (ResolveMediaPath(reader, RtString(std::string_view(requested)), found) == 0 ||
      found.Empty()) {
    error = "no game file " + name + " in " + (base.empty() ? "the program's folder" : base) +
            (archive.empty() ? "" : " or packed into " + archive);
    return false;
  }
  identity.FromArchive = found.Std() != requested;
  std::vector<uint8_t> bytes;
  const bool read = ReadRegularFile(found.Std(), kMaxMemberSize, bytes);
  // Forgets (deletes) the member this reader unpacked, if it did.
  RtString none;
  ResolveMediaPath(reader, RtString(""), none);
  if (!read) {
    error = "cannot read the game file " + requested;
    return false;
  }
  identity.Size = bytes.size();
  identity.Sha256 =
      Sha256(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  return true;
}
