// The run record: one per process.
#include "player/player_run.h"

PlayerRun& CurrentRun() {
  static PlayerRun run;
  return run;
}
