// Finding the players to pack games into.
#include "tools/release_players.h"

#include <algorithm>

#include "runtime/core/system.h"

namespace {

const char* ProgramName(ReleasePlatform platform) {
  switch (platform) {
    case ReleasePlatform::kLinux:
      return "zorax-player";
    case ReleasePlatform::kWindows:
      return "zorax-player.exe";
    case ReleasePlatform::kWeb:
      return "";
  }
  return "";
}

const char* BuildFolder(ReleasePlatform platform) {
  switch (platform) {
    case ReleasePlatform::kLinux:
      return "build";
    case ReleasePlatform::kWindows:
      return "build-windows";
    case ReleasePlatform::kWeb:
      return "build-web";
  }
  return "";
}

bool IsFile(const std::string& path) {
  FileInfo info;
  return PathInfo(path, info) && info.Kind == FileKind::kFile;
}

// Every file below folder (ending in "/"), relative to it; relative is ""
// or a subfolder's path ending in "/". Links to files count as files.
void ListFiles(const std::string& folder, const std::string& relative,
               std::vector<std::string>& files, int depth) {
  std::vector<std::string> names;
  if (depth > 8 || !ListFolder(folder + relative, names)) return;
  for (const std::string& name : names) {
    const std::string path = relative + name;
    FileInfo info;
    if (!PathInfo(folder + path, info)) continue;
    if (info.Kind == FileKind::kFile) files.push_back(path);
    if (info.Kind == FileKind::kFolder) ListFiles(folder, path + "/", files, depth + 1);
  }
}

// A folder holds a usable player when it has its program (or, for the web,
// its page).
bool TakeFolder(ReleasePlatform platform, const std::string& folder, PlayerFiles& player) {
  const std::string program = ProgramName(platform);
  const std::string key = platform == ReleasePlatform::kWeb ? "index.html" : program;
  if (!IsFile(folder + key)) return false;
  player = PlayerFiles{};
  player.Folder = folder;
  ListFiles(folder, "", player.Others, 0);
  std::sort(player.Others.begin(), player.Others.end());
  if (!program.empty()) {
    player.Program = folder + program;
    player.Others.erase(std::remove(player.Others.begin(), player.Others.end(), program),
                        player.Others.end());
  }
  return true;
}

}  // namespace

const char* PlatformName(ReleasePlatform platform) {
  switch (platform) {
    case ReleasePlatform::kLinux:
      return "linux";
    case ReleasePlatform::kWindows:
      return "windows";
    case ReleasePlatform::kWeb:
      return "web";
  }
  return "";
}

bool FindPlayer(ReleasePlatform platform, PlayerFiles& player, std::string& looked) {
  const std::string tool = ProgramFolder();  // ends in "/"
  const std::string name = PlatformName(platform);
  if (const std::string chosen = EnvironmentValue("ZORAX_PLAYERS"); !chosen.empty()) {
    const std::string folder = AbsolutePath(PathFromPlatform(chosen) + "/" + name);
    if (TakeFolder(platform, folder + "/", player)) return true;
    looked = folder + " (ZORAX_PLAYERS)";
    return false;
  }
  std::vector<std::string> folders = {
      tool + "../players/" + name + "/",
      tool + "../share/zorax-player/players/" + name + "/",
      tool + "../../" + BuildFolder(platform) + "/players/" + name + "/",
  };
  for (const std::string& candidate : folders) {
    const std::string folder = AbsolutePath(candidate) + "/";
    if (TakeFolder(platform, folder, player)) return true;
  }
  // An installed tool's own platform: the player it was installed with.
  const std::string program = ProgramName(platform);
  const bool ownPlatform =
      !program.empty() &&
      ProgramFileSuffix() == (platform == ReleasePlatform::kWindows ? ".exe" : "");
  if (ownPlatform && IsFile(tool + program)) {
    player = PlayerFiles{tool, tool + program, {}};
    return true;
  }
  looked.clear();
  for (const std::string& candidate : folders) {
    looked += (looked.empty() ? "" : ", ") + AbsolutePath(candidate);
  }
  return false;
}
