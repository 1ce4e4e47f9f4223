// Player controls: the keys bound to each control, the player's game pad,
// and plain joysticks. The joystick count is asked once in the program's
// life: a plain stick plugged in later is not read by the game, as players
// expect from the original. Pads are taken up whenever they are plugged in.
#include "game/controls.h"

#include "runtime/input/input.h"
#include "runtime/input/key_bindings.h"
#include "runtime/input/pads.h"

namespace {

constexpr int32_t kEscapeKey = 1;

int32_t g_joystickCount = -1;
ControlsSource g_source = nullptr;
ControlsListener g_listener = nullptr;

int32_t Sign(int32_t value) {
  return value > 0 ? 1 : (value < 0 ? -1 : 0);
}

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
    controls.Dx =
        BoundKeyDown(player, PlayerControl::kRight) - BoundKeyDown(player, PlayerControl::kLeft);
    controls.Dy =
        BoundKeyDown(player, PlayerControl::kDown) - BoundKeyDown(player, PlayerControl::kUp);
    controls.Fire = BoundKeyDown(player, PlayerControl::kFire);
  }
  const PadControls pad = ReadPadControls(player);
  controls.Dx += pad.Dx;
  controls.Dy += pad.Dy;
  controls.Fire += pad.Fire;
  if (g_joystickCount < 0) g_joystickCount = JoystickCountQuery();
  // A stick that is read as a pad is not read a second time as a plain one.
  if (g_joystickCount > 0 && !JoystickIsPad(player)) {
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

void ForgetJoystickCount() {
  g_joystickCount = -1;
}
