// zorax-tool check: reads a game file with the player's own reader and prints
// what the player would make of it, so an author learns of a broken file
// before a player does.
#include "tools/check_command.h"

#include <cstdio>

#include "game/game_check.h"
#include "tools/tool_support.h"

namespace {

const char kCheckHelp[] =
    "usage: zorax-tool check FILE\n"
    "\n"
    "Reads the game file FILE as the player loads it, without running it, and\n"
    "prints its version, its counts (images, animations, levels, waves, enemies)\n"
    "and every problem found. An error is something that keeps the game from\n"
    "loading or stops the player (a truncated file, images wider than tall, pixel\n"
    "bytes outside the palette, levels with more than 2 layers, no levels, tiles\n"
    "or sprites); a warning is something that only looks wrong. Exits with 1 when\n"
    "there is an error, else 0.\n";

std::string Plural(size_t n, const char* word) {
  return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

}  // namespace

int CheckCommand(const std::vector<std::string>& args) {
  const std::string command = "check";
  if (WantsHelp(args)) {
    std::fputs(kCheckHelp, stdout);
    return kToolOk;
  }
  std::string file;
  if (int exitCode = kToolOk; !OneFileArgument(command, args, file, exitCode)) return exitCode;

  const GameCheck check = CheckGameFile(file);
  if (check.VersionRead) std::printf("%s: version %d\n", file.c_str(), check.Version);
  if (check.ReadToEnd) {
    std::printf(
        "  sprite images %d, tile images %d, animations %d, levels %d, waves %d, enemies %d, "
        "players %d\n",
        check.SpriteImages, check.TileImages, check.Animations, check.Levels, check.Waves,
        check.Enemies, check.Players);
    if (check.UnreadBytes > 0) {
      std::printf("  %lld bytes after the last field are never read\n",
                  static_cast<long long>(check.UnreadBytes));
    }
  }
  for (const std::string& line : check.Errors) std::printf("error: %s\n", line.c_str());
  for (const std::string& line : check.Warnings) std::printf("warning: %s\n", line.c_str());
  std::printf("%s: %s, %s\n", file.c_str(), Plural(check.Errors.size(), "error").c_str(),
              Plural(check.Warnings.size(), "warning").c_str());
  return check.Errors.empty() ? kToolOk : kToolFailed;
}
