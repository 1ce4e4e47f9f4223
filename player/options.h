// The player's command line: `zorax-player [OPTIONS] [PATH]`, and the same
// for a packed player such as `skylane`. Everything is read before any
// window opens, so that a mistake is reported even with no display.
//
// ParsePlayerOptions  reads argv[1..]; false with a one-line problem
// PlayerUsage         the --help text: every option and the exit codes
// PlayerVersion       "<program> <version>"
// ProgramBaseName     the name a program was started by, without its folder
#pragma once

#include <string>

#include "runtime/core/display_config.h"

// Exit codes of the player. A game that ends, however it ends, gives 0.
constexpr int kExitNormal = 0;
constexpr int kExitUsage = 2;  // a bad option, a PATH without a game
// --verify: the replay matched (kExitNormal), parted from its game, or could
// not be checked (a bad replay file, no game).
constexpr int kExitReplayDiverged = 1;
constexpr int kExitReplayUnusable = 2;

struct PlayerOptions {
  bool Help = false;
  bool Version = false;
  std::string Path;        // "": the game next to the program or packed into it
  int PathArgument = 0;    // the index of PATH in argv, 0 when there is none
  DisplayRequest Display;  // --scale, --window / --fullscreen, --scale-mode, --filter
  bool NoRecord = false;   // --no-record: the games played are not recorded
  std::string ReplayFile;  // --replay FILE: play a recorded game
  std::string VerifyFile;  // --verify FILE: check a recorded game headless
  bool Force = false;      // --force: a replay may run on another game file
};

bool ParsePlayerOptions(int argc, char** argv, PlayerOptions& options, std::string& error);
std::string PlayerUsage(const std::string& program);
std::string PlayerVersion(const std::string& program);
std::string ProgramBaseName(const char* argv0);
