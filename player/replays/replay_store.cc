// The replay folder. A game's files are told apart from another game's by
// the exact shape of the name after the game's: "-", 8 digits, "-", 6 digits,
// and (for a second game started in the same second) "-" and a count, then
// ".zrp". Sorting by that tail sorts by start time.
#include "player/replays/replay_store.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "runtime/core/system.h"
#include "runtime/files/file_io.h"

namespace {

constexpr size_t kMaxGameNameLength = 64;
constexpr int kMaxSameSecond = 1000;

bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The time and count of a file of this game, or false for any other file.
bool ReplayNameTail(const std::string& file, const std::string& game, std::string& stamp,
                    long& count) {
  const std::string suffix = ".zrp";
  if (file.size() < game.size() + 1 + 15 + suffix.size()) return false;
  if (file.compare(0, game.size(), game) != 0 || file[game.size()] != '-') return false;
  if (file.compare(file.size() - suffix.size(), suffix.size(), suffix) != 0) return false;
  const std::string_view tail(file.data() + game.size() + 1,
                              file.size() - game.size() - 1 - suffix.size());
  if (tail.size() < 15 || !AllDigits(tail.substr(0, 8)) || tail[8] != '-' ||
      !AllDigits(tail.substr(9, 6))) {
    return false;
  }
  count = 1;
  if (tail.size() > 15) {
    const std::string_view more = tail.substr(15);
    if (more.size() < 2 || more.size() > 5 || more[0] != '-' || !AllDigits(more.substr(1))) {
      return false;
    }
    count = std::strtol(std::string(more.substr(1)).c_str(), nullptr, 10);
  }
  stamp = std::string(tail.substr(0, 15));
  return true;
}

}  // namespace

std::string ReplayFolder() {
  const std::string data = ApplicationFolder(UserFolder::kData, "Zorax");
  return data.empty() ? "" : data + "/replays";
}

std::string ReplayGameName(const std::string& name) {
  std::string safe;
  for (char c : name) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '_' || c == '-' || c == '.';
    safe += plain ? c : '_';
    if (safe.size() == kMaxGameNameLength) break;
  }
  // A name must neither hide the file nor climb out of the folder.
  if (!safe.empty() && safe[0] == '.') safe[0] = '_';
  return safe.empty() ? "game" : safe;
}

std::string ReplayFileName(const std::string& game, int64_t startTime, int32_t utcOffset) {
  const std::time_t local = static_cast<std::time_t>(startTime + utcOffset);
  std::tm parts{};
  char stamp[32] = "00000000-000000";
  if (UtcCalendarTime(local, parts)) {
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &parts);
  }
  return game + "-" + stamp + ".zrp";
}

bool SaveReplay(const std::string& folder, const ReplayFile& replay, size_t keep,
                std::string& savedPath, std::string& error) {
  if (!IsAbsolutePath(folder)) {
    error = "no folder for replays (no XDG_DATA_HOME and no home folder)";
    return false;
  }
  if (!MakeFolders(folder)) {
    error = "cannot create " + folder + ": " + std::strerror(errno);
    return false;
  }
  const std::string game = replay.GameName.empty() ? "game" : replay.GameName;
  const std::string first = ReplayFileName(game, replay.StartTime, replay.UtcOffset);
  const std::string bytes = EncodeReplay(replay);
  std::string path = folder + "/" + first;
  // A name is taken only when no file has it: a second game started in the
  // same second gets "-2", and so on.
  for (int n = 2;; ++n) {
    const FileWriteResult result = WriteFileAtomically(path, bytes, FilePlacement::kCreateNew);
    if (result.Status == FileWriteStatus::kWritten) break;
    if (result.Status == FileWriteStatus::kFailed) {
      error = "cannot write " + path + ": " + std::strerror(result.Error);
      return false;
    }
    if (n > kMaxSameSecond) {
      error = "too many replays started in the same second as " + first;
      return false;
    }
    path = folder + "/" + first.substr(0, first.size() - 4) + "-" + std::to_string(n) + ".zrp";
  }
  savedPath = path;
  KeepNewestReplays(folder, game, keep);
  return true;
}

std::vector<std::string> KeepNewestReplays(const std::string& folder, const std::string& game,
                                           size_t keep) {
  struct Found {
    std::string Stamp;
    long Count;
    std::string Name;
  };
  std::vector<Found> files;
  std::vector<std::string> deleted;
  std::vector<std::string> names;
  if (!ListFolder(folder, names)) return deleted;
  for (const std::string& name : names) {
    Found found{"", 0, name};
    if (!ReplayNameTail(found.Name, game, found.Stamp, found.Count)) continue;
    // Only regular files count: a folder or link of that name is not ours.
    FileInfo info;
    if (LinkInfo(folder + "/" + found.Name, info) && info.Kind == FileKind::kFile) {
      files.push_back(found);
    }
  }
  if (files.size() <= keep) return deleted;
  std::sort(files.begin(), files.end(), [](const Found& a, const Found& b) {
    return a.Stamp != b.Stamp ? a.Stamp < b.Stamp : a.Count < b.Count;
  });
  for (size_t i = 0; i + keep < files.size(); ++i) {
    if (EraseFile(folder + "/" + files[i].Name)) deleted.push_back(files[i].Name);
  }
  return deleted;
}
