// The program-wide game clock.
#include "game/game_state.h"

int32_t& GameClock() {
  static int32_t clock = 0;
  return clock;
}
