// Gathering a game's files. A game reads three kinds of file beside its game
// file: a sound per sound number its animations use (its project path with
// the number and ".wav", looked up in the archive by the last part), the
// in-game font "ingamefont.bmp" and the start-up font "smalfont.bmp".
#include "tools/game_bundle.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>

#include "game/game_check.h"
#include "game/game_file_writer.h"
#include "player/open/game_locator.h"
#include "runtime/core/system.h"
#include "runtime/files/archive_index.h"
#include "runtime/files/case_blind.h"
#include "runtime/files/file_io.h"
#include "runtime/files/lzo_member.h"
#include "runtime/values/rt_string.h"
#include "tools/game_description.h"
#include "tools/media_files.h"

namespace {

constexpr const char* kGameMember = "game.ZORAX";
constexpr const char* kFontMembers[] = {"ingamefont.bmp", "smalfont.bmp"};

bool Fail(std::string& error, const std::string& message) {
  error = message;
  return false;
}

// The files the game reads beside its game file: the path it asks for and
// the member name an archive holds it under.
std::vector<std::pair<std::string, std::string>> MediaWanted(const GameRecord& game) {
  std::vector<std::pair<std::string, std::string>> wanted;
  std::set<int32_t> sounds;
  for (const AnimationRecord& animation : game.Animations) {
    // Slot 0 is loaded when an animation names it but never played.
    if (animation.Sound <= 0 || !sounds.insert(animation.Sound).second) continue;
    const std::string path = game.ProjectPath.Std() + std::to_string(animation.Sound) + ".wav";
    wanted.emplace_back(path, std::string(MemberKey(path)));
  }
  for (const char* font : kFontMembers) wanted.emplace_back(font, font);
  return wanted;
}

bool HasMember(const GameBundle& bundle, const std::string& name) {
  for (const auto& member : bundle.Members) {
    if (SameMemberName(member.first, name)) return true;
  }
  return false;
}

void SetMember(GameBundle& bundle, const std::string& name, std::string bytes) {
  for (auto& member : bundle.Members) {
    if (SameMemberName(member.first, name)) {
      member.second = std::move(bytes);
      return;
    }
  }
  bundle.Members.emplace_back(name, std::move(bytes));
}

// The file beside the game the player would open for `request`: the path as
// asked (relative to the game's folder, letter case aside), else a file of
// the member's name in that folder. "" when there is none.
std::string FindBeside(const std::string& folder, const std::string& request,
                       const std::string& member) {
  const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  for (const std::string& relative : {ToHostPath(request), member}) {
    if (IsAbsolutePath(relative)) continue;
    const std::string found = FindCaseBlind(prefix + relative);
    FileInfo info;
    if (!found.empty() && PathInfo(found, info) && info.Kind == FileKind::kFile) return found;
  }
  return "";
}

bool ReadFileBytes(const std::string& path, std::string& bytes, std::string& error) {
  errno = 0;
  if (ReadWholeFile(path, kMaxMemberSize, bytes)) return true;
  return Fail(error, path + ": cannot be read" +
                         (errno != 0 ? std::string(" (") + std::strerror(errno) + ")"
                                     : std::string(" (larger than 256 MiB)")));
}

// Reads every member of the archive packed into program.
bool ReadPackedMembers(const std::string& program, GameBundle& bundle, std::string& error) {
  const int fd = OpenForReading(program);
  if (fd < 0) return Fail(error, program + ": cannot be read (" + std::strerror(errno) + ")");
  struct Closer {
    int Fd;
    ~Closer() { CloseFile(Fd); }
  } closer{fd};
  ArchiveDirectory dir;
  if (ReadArchiveTrailer(fd, dir) != TrailerStatus::kFound) {
    return Fail(error, program + ": carries no media archive");
  }
  ArchiveEntry entry;
  while (NextArchiveEntry(fd, dir, entry)) {
    if (!IsSafeMemberName(entry.Name)) {
      return Fail(error, program + ": its archive holds a member whose name is not a file name");
    }
    if (HasMember(bundle, entry.Name)) {
      return Fail(error, program + ": its archive holds \"" + entry.Name + "\" twice");
    }
    std::vector<uint8_t> stored;
    UnpackedMember member;
    if (!ReadStoredMember(fd, dir, entry, stored) ||
        UnpackMember(stored, member) != UnpackStatus::kOk) {
      return Fail(error, program + ": member \"" + entry.Name + "\" of its archive is damaged");
    }
    bundle.Members.emplace_back(
        entry.Name, std::string(reinterpret_cast<const char*>(member.Data.get()), member.Size));
  }
  if (!dir.Ended) return Fail(error, program + ": the directory of its archive is damaged");
  return true;
}

// The game file's record; false when the player could not load it.
bool ReadGame(const std::string& bytes, const std::string& name, GameRecord& game,
              std::string& error) {
  const GameCheck check = CheckGameBytes(bytes, &game);
  if (!check.ReadToEnd || !check.Errors.empty()) {
    return Fail(error, name + ": not a game the player can load" +
                           (check.Errors.empty() ? std::string() : ": " + check.Errors.front()));
  }
  return true;
}

// Adds the media the game reads that the bundle lacks, from beside the game.
void AddMediaBeside(const std::string& folder, const GameRecord& game, GameBundle& bundle,
                    bool looseWins) {
  for (const auto& [request, member] : MediaWanted(game)) {
    if (!looseWins && HasMember(bundle, member)) continue;
    const std::string found = FindBeside(folder, request, member);
    std::string bytes;
    std::string ignored;
    if (!found.empty() && ReadFileBytes(found, bytes, ignored)) {
      SetMember(bundle, member, std::move(bytes));
    } else if (!HasMember(bundle, member)) {
      bundle.Notes.push_back(member + " was not found beside the game; it plays without it");
    }
  }
}

bool LoadDescription(const std::string& path, GameBundle& bundle, std::string& error) {
  GameDescription description;
  if (!ReadGameDescription(path, description, error)) return false;
  std::string game;
  if (!WriteGameFile(description.Game, description.Version, game, error)) {
    return Fail(error, path + ": " + error);
  }
  bundle.Members.emplace_back(kGameMember, std::move(game));
  for (const MediaSource& source : description.Media) {
    std::string bytes;
    if (!MakeMediaFile(source, bytes, error)) return false;
    bundle.Members.emplace_back(source.Member, std::move(bytes));
  }
  const std::string absolute = AbsolutePath(path);
  AddMediaBeside(absolute.substr(0, absolute.rfind('/')), description.Game, bundle, false);
  bundle.TitleText = description.Game.TitleText.Std();
  return true;
}

}  // namespace

bool LoadGameBundle(const std::string& input, GameBundle& bundle, std::string& error) {
  bundle = GameBundle{};
  bundle.FileName = GameNameOf(PathFromPlatform(input));
  FileInfo info;
  if (input.size() > 5 && SameIgnoringCase(input.substr(input.size() - 5), ".json") &&
      PathInfo(input, info) && info.Kind == FileKind::kFile) {
    return LoadDescription(input, bundle, error);
  }

  GameLocation where;
  if (!LocateGame(input, where, error)) return false;
  const std::string gamePath = where.Folder + (where.Folder.back() == '/' ? "" : "/") + where.GameFile;
  if (!where.ArchiveFile.empty()) {
    if (!ReadPackedMembers(where.ArchiveFile, bundle, error)) return false;
    bundle.FileName = GameNameOf(where.ArchiveFile);
  }
  // A loose game file beside a packed program is the one the player plays.
  std::string looseGame = FindBeside(where.Folder, where.GameFile, kGameMember);
  if (where.ArchiveFile.empty()) looseGame = gamePath;
  if (!looseGame.empty()) {
    std::string bytes;
    if (!ReadFileBytes(looseGame, bytes, error)) return false;
    SetMember(bundle, kGameMember, std::move(bytes));
  }
  // game.ZORAX first, whatever the archive's order.
  for (size_t i = 0; i < bundle.Members.size(); ++i) {
    if (SameMemberName(bundle.Members[i].first, kGameMember)) {
      std::rotate(bundle.Members.begin(), bundle.Members.begin() + static_cast<long>(i),
                  bundle.Members.begin() + static_cast<long>(i) + 1);
      bundle.Members.front().first = kGameMember;
      break;
    }
  }
  if (bundle.Members.empty() || bundle.Members.front().first != kGameMember) {
    return Fail(error, input + ": holds no game");
  }
  GameRecord game;
  if (!ReadGame(bundle.Members.front().second, input, game, error)) return false;
  AddMediaBeside(where.Folder, game, bundle, !where.ArchiveFile.empty());
  bundle.TitleText = game.TitleText.Std();
  return true;
}
