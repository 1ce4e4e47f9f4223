// What a run of the player does about replays, decided before the runtime
// starts: record the games (the default), play a replay (--replay) or check
// one headless (--verify). It installs what the run needs and the program's
// exit handler, which saves a game under way or prints the verdict and ends
// with the verdict's exit code.
//
// PrepareReplayRun  -1: go on and start the runtime; otherwise the exit code
//                   to end with at once (a problem was said on stderr)
#pragma once

#include "player/player_run.h"

// Reads the run's options, the game's name and where the game is (the media
// places start-up will use: StartupMedia when given, else the program's own
// folder and file).
int PrepareReplayRun(const PlayerRun& run);
