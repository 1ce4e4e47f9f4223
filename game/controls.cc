// Player controls. The joystick count is asked once in the program's life:
// a stick plugged in later is not read by the game, as players expect from
// the original.
#include "game/controls.h"

#include "runtime/input/input.h"

namespace {

struct KeySet {
  int32_t Left, Right, Up, Down, Fire;
};

constexpr KeySet kKeys[2] = {
    {203, 205, 200, 208, 157},  // arrows, right Ctrl
    {30, 32, 17, 31, 29},       // A D W S, left Ctrl
};

constexpr int32_t kEscapeKey = 1;

int32_t g_joystickCount = -1;
ControlsSource g_source = nullptr;
ControlsListener g_listener = nullptr;

int32_t Sign(int32_t value) { return value > 0 ? 1 : (value < 0 ? -1 : 0); }

}  // namespace

void SetControlsSource(ControlsSource source) {
  g_source = source;
}

void SetControlsListener(ControlsListener listener) {
  g_listener = listener;
}

Controls ReadControls(int32_t player) {
  const Controls controls = g_source != nullptr ? g_source(player) : ReadDeviceControls(player);
  if (g_listener != nullptr) g_listener(player, controls);
  return controls;
}

int32_t ReadEscapeKey() {
  Controls escape;
  if (g_source != nullptr) {
    escape = g_source(kEscapeReader);
  } else {
    escape.Fire = KeyDown(kEscapeKey) != 0 ? 1 : 0;
  }
  if (g_listener != nullptr) g_listener(kEscapeReader, escape);
  return escape.Fire != 0 ? 1 : 0;
}

Controls ReadDeviceControls(int32_t player) {
  Controls controls;
  if (player == 0 || player == 1) {
    const KeySet& keys = kKeys[player];
    controls.Dx = KeyDown(keys.Right) - KeyDown(keys.Left);
    controls.Dy = KeyDown(keys.Down) - KeyDown(keys.Up);
    controls.Fire = KeyDown(keys.Fire);
  }
  if (g_joystickCount < 0) g_joystickCount = JoystickCountQuery();
  if (g_joystickCount > 0) {
    controls.Dx += static_cast<int32_t>(JoyAxisX(player));
    controls.Dy += static_cast<int32_t>(JoyAxisY(player));
    if (JoyButton(player, 0) != 0 || JoyButton(player, 1) != 0 || JoyButton(player, 2) != 0) {
      controls.Fire += 1;
    }
  }
  controls.Dx = Sign(controls.Dx);
  controls.Dy = Sign(controls.Dy);
  controls.Fire = Sign(controls.Fire);
  return controls;
}

int32_t DirectionOf(int32_t dx, int32_t dy) {
  if (dx > 0) return dy < 0 ? 1 : (dy == 0 ? 0 : 7);
  if (dx == 0) return dy < 0 ? 2 : (dy == 0 ? 8 : 6);
  return dy < 0 ? 3 : (dy == 0 ? 4 : 5);
}

void ForgetJoystickCount() { g_joystickCount = -1; }
