// The player program: the command line first (before any window), then the
// runtime, which runs the game. Every game is recorded unless --no-record;
// --replay and --verify play a recorded game instead (player/replay_run.h).
// With ZORAX_SCRIPT set, the run follows that script (see
// game/script_driver.h).
#include <cstdio>
#include <string>
#include <vector>

#include "game/main_program.h"
#include "game/script_driver.h"
#include "player/display/display_keys.h"
#include "player/display/window_caption.h"
#include "player/open/game_drop.h"
#include "player/open/game_locator.h"
#include "player/options.h"
#include "player/settings/options_screen.h"
#include "player/player_run.h"
#include "player/replays/replay_run.h"
#include "player/settings/settings_store.h"
#include "runtime/core/config.h"
#include "runtime/core/program_end.h"
#include "runtime/startup/startup.h"
#include "runtime/core/system.h"

namespace {

// Runs after start-up, when the log exists: what finding the game and
// reading the settings had to say, what the player adds, then the game.
void PlayerMainProgram() {
  for (const std::string& note : CurrentRun().Where.Notes) AppendErrorLog(note.c_str());
  StartPlayerSettings();
  StartGameDrops();
  InstallOptionsScreen();
  InstallWindowCaption();
  GameMainProgram();
}

}  // namespace

int main(int nativeCount, char** nativeArguments) {
  // The command line as UTF-8 on every platform; it lives as long as the program.
  static std::vector<std::string> arguments = ProgramArguments(nativeCount, nativeArguments);
  static std::vector<char*> argumentPointers;
  for (std::string& argument : arguments) argumentPointers.push_back(argument.data());
  argumentPointers.push_back(nullptr);
  const int argc = static_cast<int>(arguments.size());
  char** argv = argumentPointers.data();

  PlayerRun& run = CurrentRun();
  run.Invocation = argc > 0 && argv[0] != nullptr ? argv[0] : "";
  run.Program = ProgramBaseName(argc > 0 ? argv[0] : nullptr);
  for (int i = 1; i < argc; ++i) run.Arguments.emplace_back(argv[i] != nullptr ? argv[i] : "");

  std::string error;
  if (!ParsePlayerOptions(argc, argv, run.Options, error)) {
    std::fprintf(stderr, "%s: %s\n", run.Program.c_str(), error.c_str());
    return kExitUsage;
  }
  if (run.Options.Help) {
    std::fputs(PlayerUsage(run.Program).c_str(), stdout);
    return kExitNormal;
  }
  if (run.Options.Version) {
    std::printf("%s\n", PlayerVersion(run.Program).c_str());
    return kExitNormal;
  }

  run.GameName = run.Program;
  if (!run.Options.Path.empty()) {
    if (!LocateGame(run.Options.Path, run.Where, error)) {
      std::fprintf(stderr, "%s: %s\n", run.Program.c_str(), error.c_str());
      return kExitUsage;
    }
    run.PathGiven = true;
    run.GameName = run.Where.Name;
    // The game's folder and, for a packed program, its archive take the
    // place of the player's own: nothing of the running program's archive
    // leaks into another game.
    MediaPlaces& media = StartupMedia();
    media.Given = true;
    media.Folder = run.Where.Folder;
    media.ArchiveFile = run.Where.ArchiveFile;
    SetGameFileName(run.Where.GameFile);
  }

  // The settings, then how the window shows the game (the command line
  // first, the settings for the rest), and the player's own keys
  // (Alt+Enter, F11, F12; screenshots are named after the game).
  LoadPlayerSettings(SettingsFolder());
  RequestedDisplay() = run.Options.Display;
  MergeDisplayRequest(RequestedDisplay());
  SetScreenshotGame(run.GameName);
  InstallDisplayKeys();

  if (const int code = PrepareReplayRun(run); code >= 0) return code;
  StartScriptFromEnvironment();
  RuntimeMain(argc, argv, PlayerMainProgram);
}
