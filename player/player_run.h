// What the player layer knows of this run: how the program was started and
// where its game comes from. Filled once by the program's entry before the
// runtime starts; read by the features that make files named after the game
// or start the program again.
//
// CurrentRun   the run's record
#pragma once

#include <string>
#include <vector>

#include "player/open/game_locator.h"
#include "player/options.h"

struct PlayerRun {
  std::string Invocation;              // argv[0] as given
  std::string Program;                 // the base name the program was started by
  std::vector<std::string> Arguments;  // argv[1..] as given
  PlayerOptions Options;
  bool PathGiven = false;
  GameLocation Where;    // where the game comes from, when PathGiven
  std::string GameName;  // files made from the game are named after it
};

PlayerRun& CurrentRun();
