// The players a game is packed into for each platform, as builds and
// installations lay them out: a folder players/<platform>/ holding the
// player program without its debugging information (zorax-player,
// zorax-player.exe) and what ships with it (the libraries' licences, the web
// page and its files). zorax-tool looks beside itself, in that order:
//   <tool folder>/../players/<platform>/                   a build's own tree
//   <tool folder>/../share/zorax-player/players/<platform>/  an installation
//   <tool folder>/../../build<-windows|-web>/players/<platform>/  sibling builds
// and, for its own platform, the player next to itself. ZORAX_PLAYERS, when
// set, names the one folder to look in instead (its <platform>/ folders).
//
//   PlatformName  "linux", "windows", "web"
//   FindPlayer    the player folder of a platform with its files listed;
//                 false with the places looked at
#pragma once

#include <string>
#include <vector>

enum class ReleasePlatform { kLinux, kWindows, kWeb };

struct PlayerFiles {
  std::string Folder;               // where the player was found
  std::string Program;              // the player program ("" for the web)
  std::vector<std::string> Others;  // every other file below Folder, relative, sorted
};

const char* PlatformName(ReleasePlatform platform);
bool FindPlayer(ReleasePlatform platform, PlayerFiles& player, std::string& looked);
