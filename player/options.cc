// Command-line reading. Options may come before or after PATH; "--" ends
// them, so that a game file whose name starts with "-" can still be named.
#include "player/options.h"

#include <string_view>

#include "runtime/core/system.h"
#include "runtime/values/rt_string.h"

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

  // The value of an option given as "--name VALUE" or "--name=VALUE": true
  // when arg is that option (value then set, or Error when it is missing).
  bool Value(std::string_view arg, std::string_view name, std::string& value, bool& missing) {
    missing = false;
    if (arg == name) {
      if (Index + 1 >= Argc || Argv[Index + 1] == nullptr) {
        missing = true;
        Error = std::string(name) + " wants a value (see --help)";
        return true;
      }
      value = Argv[++Index];
      return true;
    }
    if (arg.size() > name.size() && arg.substr(0, name.size()) == name && arg[name.size()] == '=') {
      value = std::string(arg.substr(name.size() + 1));
      return true;
    }
    return false;
  }
};

// A whole number of 1 to 8 digits and nothing else.
bool ParseScale(const std::string& text, int32_t& scale) {
  if (text.empty() || text.size() > 8) return false;
  int32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value < kMinWindowScale || value > kMaxWindowScale) return false;
  scale = value;
  return true;
}

// The display options; true when arg was one of them (false in `handled`
// otherwise), with Error set for a bad value.
bool ReadDisplayOption(OptionReader& in, std::string_view arg, DisplayRequest& display,
                       bool& handled) {
  handled = true;
  std::string value;
  bool missing = false;
  if (arg == "--window" || arg == "--fullscreen") {
    display.FullScreen = arg == "--fullscreen";
  } else if (in.Value(arg, "--scale", value, missing)) {
    if (missing) return false;
    int32_t scale = 0;
    if (!ParseScale(value, scale)) {
      return in.Fail("--scale wants a whole number from 1 to 8, not \"" + value + "\"");
    }
    display.Scale = scale;
  } else if (in.Value(arg, "--scale-mode", value, missing)) {
    if (missing) return false;
    ScaleMode mode = ScaleMode::kInteger;
    if (!ParseScaleMode(value, mode)) {
      return in.Fail("--scale-mode wants integer, fit or stretch, not \"" + value + "\"");
    }
    display.Mode = mode;
  } else if (in.Value(arg, "--filter", value, missing)) {
    if (missing) return false;
    ScaleFilter filter = ScaleFilter::kNearest;
    if (!ParseScaleFilter(value, filter)) {
      return in.Fail("--filter wants nearest or linear, not \"" + value + "\"");
    }
    display.Filter = filter;
  } else {
    handled = false;
  }
  return true;
}

// The replay options; as ReadDisplayOption.
bool ReadReplayOption(OptionReader& in, std::string_view arg, PlayerOptions& options,
                      bool& handled) {
  handled = true;
  bool missing = false;
  if (arg == "--no-record") {
    options.NoRecord = true;
  } else if (arg == "--force") {
    options.Force = true;
  } else if (in.Value(arg, "--replay", options.ReplayFile, missing)) {
    if (missing) return false;
    if (options.ReplayFile.empty()) return in.Fail("--replay needs a replay FILE, not \"\"");
  } else if (in.Value(arg, "--verify", options.VerifyFile, missing)) {
    if (missing) return false;
    if (options.VerifyFile.empty()) return in.Fail("--verify needs a replay FILE, not \"\"");
  } else {
    handled = false;
  }
  return true;
}

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
      } else {
        bool handled = false;
        if (!ReadReplayOption(in, arg, options, handled)) return false;
        if (!handled && !ReadDisplayOption(in, arg, options.Display, handled)) return false;
        if (!handled) return in.Fail("unknown option \"" + std::string(arg) + "\" (see --help)");
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
         "  --scale N        open the window at N times 640 x 480, N from 1 to 8\n"
         "                   (default: the largest that fits the desktop)\n"
         "  --window         start in a window (the default)\n"
         "  --fullscreen     start in full screen; Alt+Enter or F11 switch at any time\n"
         "  --scale-mode M   how the picture fills the window: integer (default: the\n"
         "                   largest whole-number scale, sharp and centred), fit (as\n"
         "                   large as fits, aspect kept) or stretch (the whole window)\n"
         "  --filter F       nearest (default: sharp pixels) or linear (smoothed)\n"
         "  --no-record      do not record the games played (by default every game is\n"
         "                   recorded into $XDG_DATA_HOME/zorax/replays/, the newest 50\n"
         "                   of each game kept)\n"
         "  --replay FILE    play a recorded game (.zrp) on its game: Space pauses,\n"
         "                   Right doubles the speed up to 8x, Left halves it, Escape\n"
         "                   stops\n"
         "  --verify FILE    play a recorded game without a window or sound, as fast as\n"
         "                   it goes, and print one line: frames, scores, and \"ok\" or the\n"
         "                   first frame that differs\n"
         "  --force          with --replay or --verify: play it although the game file\n"
         "                   differs from the one it was recorded on\n"
         "  --               end of options: what follows is PATH\n"
         "\n"
         "Keys besides the game's: Alt+Enter or F11 switch between window and full\n"
         "screen, F12 saves a screenshot (640 x 480 PNG) into the pictures folder's\n"
         "Zorax folder.\n"
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
  const std::string path = PathFromPlatform(argv0 != nullptr ? argv0 : "");
  std::string_view name = path;
  const size_t slash = name.rfind('/');
  if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
  const std::string_view suffix = ProgramFileSuffix();
  if (!suffix.empty() && name.size() > suffix.size() &&
      SameIgnoringCase(name.substr(name.size() - suffix.size()), suffix)) {
    name.remove_suffix(suffix.size());
  }
  return name.empty() ? "zorax-player" : std::string(name);
}
