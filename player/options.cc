// Command-line reading. Options may come before or after PATH; "--" ends
// them, so that a game file whose name starts with "-" can still be named.
#include "player/options.h"

#include <string_view>

#ifndef ZORAX_VERSION
#define ZORAX_VERSION "0"
#endif

namespace {

struct OptionReader {
  int Argc;
  char** Argv;
  int Index = 1;
  std::string& Error;

  bool Fail(const std::string& problem) {
    Error = problem;
    return false;
  }

  // The argument of an option that takes one: the next word, whatever it is.
  bool Value(std::string_view option, std::string& value) {
    if (Index + 1 >= Argc || Argv[Index + 1] == nullptr || Argv[Index + 1][0] == '\0') {
      return Fail(std::string(option) + " needs a replay FILE");
    }
    value = Argv[++Index];
    return true;
  }
};

}  // namespace

bool ParsePlayerOptions(int argc, char** argv, PlayerOptions& options, std::string& error) {
  options = PlayerOptions{};
  OptionReader in{argc, argv, 1, error};
  bool optionsEnded = false;
  for (; in.Index < argc; ++in.Index) {
    const std::string_view arg = argv[in.Index] != nullptr ? argv[in.Index] : "";
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      if (arg == "-h" || arg == "--help") {
        options.Help = true;
      } else if (arg == "-V" || arg == "--version") {
        options.Version = true;
      } else if (arg == "--no-record") {
        options.NoRecord = true;
      } else if (arg == "--replay") {
        if (!in.Value(arg, options.ReplayFile)) return false;
      } else if (arg == "--verify") {
        if (!in.Value(arg, options.VerifyFile)) return false;
      } else if (arg == "--force") {
        options.Force = true;
      } else {
        return in.Fail("unknown option \"" + std::string(arg) + "\" (see --help)");
      }
      continue;
    }
    if (arg.empty()) return in.Fail("an empty PATH");
    if (!options.Path.empty()) {
      return in.Fail("one PATH only, not both \"" + options.Path + "\" and \"" + std::string(arg) +
                     "\"");
    }
    options.Path = arg;
    options.PathArgument = in.Index;
  }
  if (!options.ReplayFile.empty() && !options.VerifyFile.empty()) {
    return in.Fail("--replay and --verify do not go together");
  }
  if (options.Force && options.ReplayFile.empty() && options.VerifyFile.empty()) {
    return in.Fail("--force goes with --replay or --verify");
  }
  return true;
}

std::string PlayerUsage(const std::string& program) {
  return "Usage: " + program +
         " [OPTIONS] [PATH]\n"
         "Plays a vertically scrolling shoot-'em-up game made for the zorax player.\n"
         "\n"
         "PATH is a game file (any name, such as game.ZORAX or mygame.zorax), a folder\n"
         "that holds one, or a packed program: a player of any platform with a game\n"
         "appended to it. A packed program is read, never run. Without PATH the\n"
         "player plays the game.ZORAX next to itself, or the one packed into it.\n"
         "\n"
         "Options:\n"
         "  -h, --help       show this help and exit\n"
         "  -V, --version    show the program's name and version and exit\n"
         "  --no-record      do not record the games played (by default every game is\n"
         "                   recorded into $XDG_DATA_HOME/zorax/replays/, the newest 50\n"
         "                   of each game kept)\n"
         "  --replay FILE    play a recorded game (.zrp) on its game: Space pauses,\n"
         "                   Right doubles the speed up to 8x, Left halves it, Escape stops\n"
         "  --verify FILE    play a recorded game without a window or sound, as fast as\n"
         "                   it goes, and print one line: frames, scores, and \"ok\" or the\n"
         "                   first frame that differs\n"
         "  --force          with --replay or --verify: play it although the game file\n"
         "                   differs from the one it was recorded on\n"
         "  --               end of options: what follows is PATH\n"
         "\n"
         "Exit codes:\n"
         "  0  the game ended, however it ended (also after \"Load Error!\")\n"
         "  2  a bad option, or a PATH that does not exist, cannot be read or\n"
         "     holds no game (said in one line on stderr, before any window opens)\n"
         "With --verify: 0 the replay matched, 1 it parted from its game, 2 a bad\n"
         "replay file or no game. --replay ends with 0, or 2 like --verify.\n";
}

std::string PlayerVersion(const std::string& program) {
  return program + " " + ZORAX_VERSION;
}

std::string ProgramBaseName(const char* argv0) {
  std::string_view name = argv0 != nullptr && argv0[0] != '\0' ? argv0 : "zorax-player";
  const size_t slash = name.rfind('/');
  if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
  return name.empty() ? "zorax-player" : std::string(name);
}
