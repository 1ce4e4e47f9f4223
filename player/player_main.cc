// The player program: the command line first (before any window), then the
// runtime, which runs the game. With ZORAX_SCRIPT set, the run follows that
// script (see game/script_driver.h).
#include <cstdio>
#include <string>

#include "game/main_program.h"
#include "game/script_driver.h"
#include "player/options.h"
#include "player/options_screen.h"
#include "player/settings_store.h"
#include "runtime/core/startup.h"

namespace {

// The game's main program, with what the player adds once the runtime is up.
void PlayerMainProgram() {
  StartPlayerSettings();
  InstallOptionsScreen();
  GameMainProgram();
}

}  // namespace

int main(int argc, char** argv) {
  const std::string program = ProgramBaseName(argc > 0 ? argv[0] : nullptr);
  PlayerOptions options;
  std::string error;
  if (!ParsePlayerOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "%s: %s\n", program.c_str(), error.c_str());
    return kExitUsage;
  }
  if (options.Help) {
    std::fputs(PlayerUsage(program).c_str(), stdout);
    return kExitNormal;
  }
  if (options.Version) {
    std::printf("%s\n", PlayerVersion(program).c_str());
    return kExitNormal;
  }

  LoadPlayerSettings(SettingsFolder());
  StartScriptFromEnvironment();
  RuntimeMain(argc, argv, PlayerMainProgram);
}
