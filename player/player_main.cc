// The player program: the command line first (before any window), then the
// runtime, which runs the game. Every game is recorded unless --no-record;
// --replay and --verify play a recorded game instead (player/replay_run.h).
// With ZORAX_SCRIPT set, the run follows that script (see
// game/script_driver.h).
#include <cstdio>
#include <string>

#include "game/main_program.h"
#include "game/script_driver.h"
#include "player/options.h"
#include "player/replay_run.h"
#include "runtime/core/startup.h"

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

  if (const int code = PrepareReplayRun(options, program, "game.ZORAX"); code >= 0) return code;
  StartScriptFromEnvironment();
  RuntimeMain(argc, argv, GameMainProgram);
}
