// Which keys stand for the five game controls of players 1 and 2, and which
// extra pad buttons do. The game reads its keys through BoundKeyDown; a host
// program may rebind them. Until it does they are the game's own keys:
// arrows and right Ctrl for player 1, W A S D and left Ctrl for player 2.
//
// DefaultControlBinding  the game's own keys of a control (no extra pad buttons)
// SetControlBinding      replaces one control's binding; players 0 and 1 only
// CurrentControlBinding  the binding in use; an empty one outside players 0 and 1
// ResetControlBindings   every control back to its default
// BoundKeyDown           1 while any key bound to the control is down; reads the
//                        keyboard once, as KeyDown does; 0 outside players 0 and 1
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

enum class PlayerControl : int32_t { kLeft = 0, kRight, kUp, kDown, kFire };

constexpr int32_t kBoundPlayers = 2;
constexpr int32_t kPlayerControls = 5;
// A control takes at most this many keys.
constexpr size_t kMaxBoundKeys = 8;

struct ControlBinding {
  std::vector<uint8_t> Keys;  // set-1 scan codes, read by their place on the keyboard
  uint32_t PadButtons = 0;    // bit b: SDL game controller button b of the player's pad
};

bool operator==(const ControlBinding& a, const ControlBinding& b);

ControlBinding DefaultControlBinding(int32_t player, PlayerControl control);
void SetControlBinding(int32_t player, PlayerControl control, const ControlBinding& binding);
const ControlBinding& CurrentControlBinding(int32_t player, PlayerControl control);
void ResetControlBindings();
int32_t BoundKeyDown(int32_t player, PlayerControl control);
