// PATH forms, in the order they are tried: a folder is searched for
// game.ZORAX (any case), then for a single *.zorax file, then for a single
// packed program carrying a game; a file is a packed program when it ends in
// an archive with a game.ZORAX member, else a game file when it is named
// *.zorax or starts like one. Special files are never opened, so that a FIFO
// or a device cannot stall the player.
#include "player/open/game_locator.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "runtime/core/system.h"
#include "runtime/files/archive_index.h"
#include "runtime/files/file_io.h"

namespace {

constexpr const char* kGameFileName = "game.ZORAX";
constexpr std::string_view kGameExtension = ".zorax";
// Highest game file version the loader reads; the file starts with it.
constexpr int32_t kNewestGameVersion = 7;
// A folder is searched this far and no further.
constexpr size_t kMaxFolderEntries = 4096;
// Archive directories hold a few members; a longer one is not a game's.
constexpr int kMaxArchiveEntries = 65536;

bool Fail(std::string& error, const std::string& path, const std::string& reason) {
  error = path + ": " + reason;
  return false;
}

bool EndsWithIgnoringCase(std::string_view name, std::string_view tail) {
  return name.size() >= tail.size() && SameMemberName(name.substr(name.size() - tail.size()), tail);
}

std::string FolderOf(const std::string& absolutePath) {
  const size_t slash = absolutePath.rfind('/');
  if (slash == std::string::npos) return ".";
  // The folder of a file at the root is the root itself ("/", "C:/").
  return slash + 1 == PathRootLength(absolutePath) ? absolutePath.substr(0, slash + 1)
                                                   : absolutePath.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The first four bytes of a game file are its version, 0 to 7.
bool StartsLikeGameFile(const std::string& path) {
  const int fd = OpenForReading(path);
  if (fd < 0) return false;
  uint8_t bytes[4] = {};
  const bool read = ReadUpTo(fd, bytes, sizeof bytes) == sizeof bytes;
  CloseFile(fd);
  const uint32_t version = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | uint32_t{bytes[3]} << 24;
  return read && version <= static_cast<uint32_t>(kNewestGameVersion);
}

std::string JoinNames(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) {
    if (!text.empty()) text += ", ";
    text += "\"" + name + "\"";
  }
  return text;
}

void UsePackedProgram(const std::string& program, GameLocation& where) {
  where.Folder = FolderOf(program);
  where.GameFile = kGameFileName;
  where.ArchiveFile = program;
  where.Name = GameNameOf(program);
}

void UseGameFile(const std::string& file, GameLocation& where) {
  where.Folder = FolderOf(file);
  where.GameFile = BaseOf(file);
  where.ArchiveFile.clear();
  where.Name = GameNameOf(file);
}

bool LocateInFolder(const std::string& folder, GameLocation& where, std::string& error) {
  std::vector<std::string> names;
  if (!ListFolder(folder, names, kMaxFolderEntries)) {
    return Fail(error, folder, std::string("the folder cannot be read: ") + std::strerror(errno));
  }
  const std::string prefix = folder.back() == '/' ? folder : folder + "/";
  std::vector<std::string> files;
  for (const std::string& name : names) {
    FileInfo info;
    if (PathInfo(prefix + name, info) && info.Kind == FileKind::kFile) files.push_back(name);
  }
  std::sort(files.begin(), files.end());

  // The game file the player looks for, in whatever case the folder has it.
  std::vector<std::string> named;
  std::vector<std::string> zorax;
  for (const std::string& name : files) {
    if (SameMemberName(name, kGameFileName)) named.push_back(name);
    if (EndsWithIgnoringCase(name, kGameExtension)) zorax.push_back(name);
  }
  if (!named.empty()) {
    const bool exact = std::find(named.begin(), named.end(), kGameFileName) != named.end();
    const std::string chosen = exact ? kGameFileName : named.front();
    if (!exact && named.size() > 1) {
      where.Notes.push_back("Folder " + folder + " holds " + JoinNames(named) + "; playing \"" +
                            chosen + "\"");
    }
    UseGameFile(prefix + chosen, where);
    return true;
  }
  if (zorax.size() == 1) {
    UseGameFile(prefix + zorax.front(), where);
    return true;
  }
  if (zorax.size() > 1) {
    return Fail(error, folder,
                "holds several game files: " + JoinNames(zorax) + "; name the one to play");
  }

  std::vector<std::string> packed;
  for (const std::string& name : files) {
    if (CarriesPackedGame(prefix + name)) packed.push_back(name);
  }
  if (packed.size() == 1) {
    UsePackedProgram(prefix + packed.front(), where);
    return true;
  }
  if (packed.size() > 1) {
    return Fail(error, folder,
                "holds several programs with a game packed in: " + JoinNames(packed) +
                    "; name the one to play");
  }
  return Fail(error, folder,
              "holds no game: no game.ZORAX, no *.zorax file and no program with a game packed "
              "in");
}

}  // namespace

bool CarriesPackedGame(const std::string& path) {
  const int fd = OpenForReading(path);
  if (fd < 0) return false;
  ArchiveDirectory dir;
  bool found = false;
  if (ReadArchiveTrailer(fd, dir) == TrailerStatus::kFound) {
    ArchiveEntry entry;
    for (int i = 0; i < kMaxArchiveEntries && !found && NextArchiveEntry(fd, dir, entry); ++i) {
      uint64_t start = 0;
      found = SameMemberName(entry.Name, kGameFileName) && MemberDataPosition(dir, entry, start);
    }
  }
  CloseFile(fd);
  return found;
}

std::string GameNameOf(const std::string& path) {
  std::string name = BaseOf(path);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name.empty() ? "game" : name;
}

bool LocateGame(const std::string& path, GameLocation& where, std::string& error) {
  where = GameLocation{};
  if (path.empty()) return Fail(error, path, "an empty path");
  // Made absolute without resolving links: a game file reached through a
  // link keeps the folder it was named in.
  const std::string absolute = AbsolutePath(path);

  FileInfo info;
  if (!PathInfo(absolute, info)) {
    const int problem = errno;
    FileInfo link;
    if (problem == ENOENT && LinkInfo(absolute, link) && link.Kind == FileKind::kLink) {
      return Fail(error, path, "a link to something that does not exist");
    }
    if (problem == ENOENT) return Fail(error, path, "does not exist");
    return Fail(error, path, std::string("cannot be reached: ") + std::strerror(problem));
  }
  if (info.Kind == FileKind::kFolder) return LocateInFolder(absolute, where, error);
  if (info.Kind != FileKind::kFile) {
    return Fail(error, path, "is a device, a pipe or a socket, not a game file, folder or program");
  }
  if (!CanRead(absolute)) {
    return Fail(error, path, std::string("cannot be read: ") + std::strerror(errno));
  }
  if (info.Size == 0) return Fail(error, path, "is empty (0 bytes), not a game");

  if (CarriesPackedGame(absolute)) {
    UsePackedProgram(absolute, where);
    return true;
  }
  // A file named as a game file is the game, whatever it holds: the loader
  // then says "Load Error!" about a bad one, as for the game next to the player.
  if (EndsWithIgnoringCase(absolute, kGameExtension) || StartsLikeGameFile(absolute)) {
    UseGameFile(absolute, where);
    return true;
  }
  return Fail(error, path,
              "holds no game: neither a game file nor a program with a game packed in");
}
