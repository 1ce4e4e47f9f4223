// Reading a player's controls: keys by set-1 scan code for players 0 and 1,
// joystick n for player n, and the direction numbers of a movement.
//
// Every read the game makes goes through one seam: a source may stand in for
// the devices (a replay hands back what a recorded game read), and a listener
// sees what each read returned, in order (a recorder writes it down). The
// level's Escape read passes the same seam as reader kEscapeReader. With
// neither installed the devices are read exactly as without the seam.
#pragma once

#include <cstdint>

struct Controls {
  int32_t Dx = 0;    // -1 left, 0, 1 right
  int32_t Dy = 0;    // -1 up, 0, 1 down
  int32_t Fire = 0;  // 0 or 1
};

// The reader number of the level's Escape read; players are 0 and up.
inline constexpr int32_t kEscapeReader = -1;

// A source answers a read in place of the devices; for kEscapeReader, Fire
// is 1 while Escape counts as held and Dx, Dy are 0.
using ControlsSource = Controls (*)(int32_t reader);
// A listener sees what each read returned, after the source or the devices.
using ControlsListener = void (*)(int32_t reader, const Controls& value);

// Installs the source (nullptr: the devices again).
void SetControlsSource(ControlsSource source);
// Installs the listener (nullptr: none).
void SetControlsListener(ControlsListener listener);

// A player's controls, through the seam.
Controls ReadControls(int32_t player);
// 1 while Escape is down, through the seam (reader kEscapeReader).
int32_t ReadEscapeKey();

// The devices themselves. Players 0 and 1: the keys bound to their controls
// (by default arrows and right Ctrl; W A S D and left Ctrl), their game pad
// (stick past the deadzone, d-pad, A B X), and joystick n when it is not a
// pad (full deflection only, buttons 0 to 2). Keys, pad and joystick
// together never count more than one of them. Players 2 and above have no
// keys and no pad.
Controls ReadDeviceControls(int32_t player);

// Direction number of a movement (screen y grows downward):
//   3 2 1
//   4 8 0
//   5 6 7
int32_t DirectionOf(int32_t dx, int32_t dy);

// Forgets the joystick count asked on the first ReadControls (for tests that
// plug joysticks in between games).
void ForgetJoystickCount();
