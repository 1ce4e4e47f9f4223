// zorax-tool build: reads a game description, writes the game file through
// the same writer the tests use, and replaces the output only when the whole
// file is ready, so a broken description never leaves a broken game behind.
#include "tools/build_command.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "game/game_file_writer.h"
#include "runtime/files/file_io.h"
#include "tools/description_preview.h"
#include "tools/game_description.h"
#include "tools/tool_support.h"

namespace {

const char kBuildHelp[] =
    "usage: zorax-tool build DESCRIPTION -o OUTPUT [--preview DIR]\n"
    "\n"
    "Reads the game description DESCRIPTION (a JSON file, which may include\n"
    "others) and writes the game file OUTPUT. Errors name the file, the place\n"
    "(a line, or a JSON pointer such as /levels/0/waves/2) and the problem;\n"
    "nothing is written then. With --preview, also writes PNG pictures of the\n"
    "sprites, the tiles and every level's map with its wave paths into DIR.\n"
    "The format is described in demo/FORMAT.md.\n";

}  // namespace

int BuildCommand(const std::vector<std::string>& args) {
  const std::string command = "build";
  if (WantsHelp(args)) {
    std::fputs(kBuildHelp, stdout);
    return kToolOk;
  }
  std::string description, output, preview;
  bool hasOutput = false, hasPreview = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-o" || arg == "--preview") {
      bool& seen = arg == "-o" ? hasOutput : hasPreview;
      if (seen) return ToolUsageError(command, arg + " is given twice");
      if (i + 1 >= args.size()) return ToolUsageError(command, arg + " needs a value");
      (arg == "-o" ? output : preview) = args[++i];
      seen = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return ToolUsageError(command, "unknown option '" + arg + "'");
    } else if (description.empty()) {
      description = arg;
    } else {
      return ToolUsageError(command, "only one DESCRIPTION can be built at a time");
    }
  }
  if (description.empty()) return ToolUsageError(command, "DESCRIPTION is missing");
  if (output.empty()) return ToolUsageError(command, "-o OUTPUT is missing");

  GameDescription game;
  std::string error;
  if (!ReadGameDescription(description, game, error)) return ToolFailure(command, error);
  for (const std::string& warning : game.Warnings) {
    std::fprintf(stderr, "zorax-tool build: warning: %s\n", warning.c_str());
  }
  std::string bytes;
  if (!WriteGameFile(game.Game, game.Version, bytes, error)) {
    return ToolFailure(command, description + ": " + error);
  }
  if (hasPreview && !WriteDescriptionPreview(game, preview, error)) {
    return ToolFailure(command, error);
  }
  errno = 0;
  if (!ReplaceFileContents(output, bytes)) {
    return ToolFailure(command, "cannot write " + output +
                                    (errno != 0 ? std::string(": ") + std::strerror(errno) : ""));
  }
  std::printf("%s: version %d, %d sprites, %d tiles, %d animations, %d levels, %zu bytes\n",
              output.c_str(), game.Version, game.Game.Sprites.DimSize(0),
              game.Game.Tiles.DimSize(0), game.Game.Animations.DimSize(0),
              game.Game.Levels.DimSize(0), bytes.size());
  return kToolOk;
}
