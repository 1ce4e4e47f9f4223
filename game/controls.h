// Reading a player's controls: keys by set-1 scan code for players 0 and 1,
// joystick n for player n, and the direction numbers of a movement.
#pragma once

#include <cstdint>

struct Controls {
  int32_t Dx = 0;    // -1 left, 0, 1 right
  int32_t Dy = 0;    // -1 up, 0, 1 down
  int32_t Fire = 0;  // 0 or 1
};

// Players 0 and 1: the keys bound to their controls (by default arrows and
// right Ctrl; W A S D and left Ctrl), their game pad (stick past the
// deadzone, d-pad, A B X), and joystick n when it is not a pad (full
// deflection only, buttons 0 to 2). Keys, pad and joystick together never
// count more than one of them. Players 2 and above have no keys and no pad.
Controls ReadControls(int32_t player);

// Direction number of a movement (screen y grows downward):
//   3 2 1
//   4 8 0
//   5 6 7
int32_t DirectionOf(int32_t dx, int32_t dy);

// Forgets the joystick count asked on the first ReadControls (for tests that
// plug joysticks in between games).
void ForgetJoystickCount();
