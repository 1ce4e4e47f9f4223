// Game pads: every joystick that SDL knows as a game controller (its own
// mappings, SDL_GAMECONTROLLERCONFIG, and a file named by the
// SDL_GAMECONTROLLERCONFIG_FILE hint) is also read through the controller
// layer, so that its buttons mean the same on every make. Pads are taken up
// and dropped whenever they are plugged in or out, and given to players 1 and
// 2: to the player whose choice names the pad's GUID, else to the first
// player without a pad who takes any, in the order the pads were plugged in.
// A player keeps a pad until it is unplugged.
//
// SetPadDeadzone       the fraction of the stick's travel (0 .. 1) past which it
//                      counts as pushed; 0.5 until set. 1: only at the edge
// PadDeadzone          the deadzone in use
// SetPadChoice         player 0 or 1 takes any pad ("") or the pad with this GUID
//                      (SDL's 32 hexadecimal digits)
// PadChoice            the choice of a player ("" for any)
// ReadPadControls      the player's pad after the deadzone: left stick and d-pad
//                      move, A, B, X and the extra bound buttons fire; each
//                      -1, 0 or 1; all 0 without a pad
// JoystickIsPad        true while joystick index i is read as a pad
// PlayerPadName        the name of the player's pad; "" without one
// PadGuidText          a GUID as SDL writes it
// HoldPadButtonsUntilReleased  buttons down now read as up until let go, so a
//                      press that closed a menu does not reach the game
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

struct PadControls {
  int32_t Dx = 0;
  int32_t Dy = 0;
  int32_t Fire = 0;
};

void SetPadDeadzone(double fraction);
double PadDeadzone();
void SetPadChoice(int32_t player, const std::string& guid);
std::string PadChoice(int32_t player);
PadControls ReadPadControls(int32_t player);
bool JoystickIsPad(int32_t index);
std::string PlayerPadName(int32_t player);
std::string PadGuidText(const SDL_JoystickGUID& guid);
void HoldPadButtonsUntilReleased();

// Whether a stick deflection (-1 .. 1) counts as pushed past the deadzone:
// -1, 0 or 1. A stick at rest never counts.
int32_t StickDirection(double deflection, double deadzone);
