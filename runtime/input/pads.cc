// Game pads through SDL's controller layer, beside the plain joystick
// reading. A pad lives in the stick slot of its joystick; the players' pads
// are chosen again whenever one is plugged in or out.
#include "runtime/input/pads.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "runtime/core/program_end.h"
#include "runtime/input/input_state.h"
#include "runtime/input/key_bindings.h"

namespace {

// What a host chose; kept apart from the input state, which start-up resets.
struct PadSetup {
  double Deadzone = 0.5;
  std::array<std::string, 2> Choices;  // "": any pad; else a GUID in SDL's text form
};

PadSetup& Setup() {
  static PadSetup setup;
  return setup;
}

bool ValidPlayer(int32_t player) {
  return player >= 0 && player < 2;
}

bool Assigned(const InputState& state, int slot) {
  return state.PlayerPads[0] == slot || state.PlayerPads[1] == slot;
}

// The unassigned pad plugged in first that the test accepts; -1 for none.
template <typename Accept>
int FirstFreePad(const InputState& state, Accept accept) {
  int best = -1;
  for (int i = 0; i < state.JoystickCount; ++i) {
    const JoystickSlot& s = state.JoystickDevices[i];
    if (s.Pad == nullptr || Assigned(state, i) || !accept(s)) continue;
    if (best < 0 || s.PlugOrder < state.JoystickDevices[best].PlugOrder) best = i;
  }
  return best;
}

// Names a pad given to a player in the log, so that a player can find its
// GUID; a pad plugged in and out over and over gives a few lines only.
void LogPadTaken(int player, const JoystickSlot& s) {
  static int logged = 0;
  constexpr int kMaxLines = 16;
  if (logged >= kMaxLines) return;
  ++logged;
  const char* name = SDL_JoystickName(s.Device);
  const std::string line = "Pad for player " + std::to_string(player + 1) + ": " +
                           (name != nullptr ? name : "") + ", GUID " + PadGuidText(s.Guid);
  AppendErrorLog(line.c_str());
}

// Drops the pads that are gone, then gives free pads to players without one:
// first to players who named a GUID, then to those who take any pad (never a
// pad that the other player named).
void AssignPads() {
  InputState& state = Input();
  for (int32_t& slot : state.PlayerPads) {
    if (slot >= 0 && state.JoystickDevices[slot].Pad == nullptr) slot = -1;
  }
  const std::array<int32_t, 2> before = state.PlayerPads;
  const PadSetup& setup = Setup();
  for (int p = 0; p < 2; ++p) {
    if (state.PlayerPads[p] >= 0 || setup.Choices[p].empty()) continue;
    state.PlayerPads[p] = FirstFreePad(
        state, [&](const JoystickSlot& s) { return PadGuidText(s.Guid) == setup.Choices[p]; });
  }
  for (int p = 0; p < 2; ++p) {
    if (state.PlayerPads[p] >= 0 || !setup.Choices[p].empty()) continue;
    const std::string& other = setup.Choices[1 - p];
    state.PlayerPads[p] = FirstFreePad(state, [&](const JoystickSlot& s) {
      return other.empty() || PadGuidText(s.Guid) != other;
    });
  }
  for (int p = 0; p < 2; ++p) {
    const int32_t slot = state.PlayerPads[p];
    if (slot >= 0 && slot != before[p]) LogPadTaken(p, state.JoystickDevices[slot]);
  }
}

bool Pressed(SDL_GameController* pad, uint32_t held, int button) {
  if ((held & (1u << button)) != 0) return false;
  return SDL_GameControllerGetButton(pad, static_cast<SDL_GameControllerButton>(button)) != 0;
}

double StickAxis(SDL_GameController* pad, SDL_GameControllerAxis axis) {
  return std::clamp(SDL_GameControllerGetAxis(pad, axis) / 32767.0, -1.0, 1.0);
}

// Held buttons that are up now read normally again.
void ReleaseHeldButtons(JoystickSlot& s) {
  for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) {
    const uint32_t bit = 1u << b;
    if ((s.HeldButtons & bit) != 0 &&
        SDL_GameControllerGetButton(s.Pad, static_cast<SDL_GameControllerButton>(b)) == 0) {
      s.HeldButtons &= ~bit;
    }
  }
}

int32_t Sign(int32_t value) {
  return value > 0 ? 1 : (value < 0 ? -1 : 0);
}

}  // namespace

void OpenPad(int slot, int deviceIndex) {
  InputState& state = Input();
  if (!state.PadLayer || SDL_IsGameController(deviceIndex) == SDL_FALSE) return;
  JoystickSlot& s = state.JoystickDevices[slot];
  s.Pad = SDL_GameControllerOpen(deviceIndex);
  if (s.Pad == nullptr) return;
  s.PlugOrder = ++state.PadsPlugged;
  s.HeldButtons = 0;
  AssignPads();
}

void ClosePad(int slot) {
  InputState& state = Input();
  JoystickSlot& s = state.JoystickDevices[slot];
  if (s.Pad == nullptr) return;
  SDL_GameControllerClose(s.Pad);
  s.Pad = nullptr;
  AssignPads();
}

void SetPadDeadzone(double fraction) {
  Setup().Deadzone = std::isnan(fraction) ? 0.5 : std::clamp(fraction, 0.0, 1.0);
}

double PadDeadzone() {
  return Setup().Deadzone;
}

void SetPadChoice(int32_t player, const std::string& guid) {
  if (!ValidPlayer(player)) return;
  Setup().Choices[player] = guid;
  // A new choice applies to pads plugged in from now on; the pads in hand stay.
  AssignPads();
}

std::string PadChoice(int32_t player) {
  return ValidPlayer(player) ? Setup().Choices[player] : std::string();
}

int32_t StickDirection(double deflection, double deadzone) {
  if (!(std::fabs(deflection) >= deadzone) || deflection == 0) return 0;
  return deflection > 0 ? 1 : -1;
}

PadControls ReadPadControls(int32_t player) {
  PadControls controls;
  InputState& state = Input();
  if (!ValidPlayer(player) || !state.PadLayer) return controls;
  // Polling also takes up pads plugged in since the last read.
  UpdateJoystickDevices();
  const int slot = state.PlayerPads[player];
  if (slot < 0) return controls;
  JoystickSlot& s = state.JoystickDevices[slot];
  SDL_GameController* pad = s.Pad;
  if (pad == nullptr) return controls;
  if (s.HeldButtons != 0) ReleaseHeldButtons(s);
  const uint32_t held = s.HeldButtons;

  auto bound = [&](PlayerControl control) {
    const uint32_t buttons = CurrentControlBinding(player, control).PadButtons;
    for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) {
      if ((buttons & (1u << b)) != 0 && Pressed(pad, held, b)) return 1;
    }
    return 0;
  };
  auto button = [&](SDL_GameControllerButton b) { return Pressed(pad, held, b) ? 1 : 0; };

  const double deadzone = Setup().Deadzone;
  const int32_t right = button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT) + bound(PlayerControl::kRight);
  const int32_t left = button(SDL_CONTROLLER_BUTTON_DPAD_LEFT) + bound(PlayerControl::kLeft);
  const int32_t down = button(SDL_CONTROLLER_BUTTON_DPAD_DOWN) + bound(PlayerControl::kDown);
  const int32_t up = button(SDL_CONTROLLER_BUTTON_DPAD_UP) + bound(PlayerControl::kUp);
  controls.Dx = Sign(StickDirection(StickAxis(pad, SDL_CONTROLLER_AXIS_LEFTX), deadzone) +
                     Sign(right) - Sign(left));
  controls.Dy = Sign(StickDirection(StickAxis(pad, SDL_CONTROLLER_AXIS_LEFTY), deadzone) +
                     Sign(down) - Sign(up));
  controls.Fire = Sign(button(SDL_CONTROLLER_BUTTON_A) + button(SDL_CONTROLLER_BUTTON_B) +
                       button(SDL_CONTROLLER_BUTTON_X) + bound(PlayerControl::kFire));
  return controls;
}

bool JoystickIsPad(int32_t index) {
  const InputState& state = Input();
  if (index < 0 || index >= state.JoystickCount) return false;
  return state.JoystickDevices[index].Pad != nullptr;
}

std::string PlayerPadName(int32_t player) {
  const InputState& state = Input();
  if (!ValidPlayer(player) || state.PlayerPads[player] < 0) return std::string();
  // The device's own name: pads of one make share their mapping's name.
  const char* name = SDL_JoystickName(state.JoystickDevices[state.PlayerPads[player]].Device);
  return name != nullptr ? name : "";
}

std::string PadGuidText(const SDL_JoystickGUID& guid) {
  char text[33] = {};
  SDL_JoystickGetGUIDString(guid, text, sizeof text);
  return text;
}

void HoldPadButtonsUntilReleased() {
  InputState& state = Input();
  if (!state.PadLayer) return;
  if (state.JoystickLayer) SDL_JoystickUpdate();
  for (int i = 0; i < state.JoystickCount; ++i) {
    JoystickSlot& s = state.JoystickDevices[i];
    if (s.Pad == nullptr) continue;
    for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) {
      if (SDL_GameControllerGetButton(s.Pad, static_cast<SDL_GameControllerButton>(b)) != 0) {
        s.HeldButtons |= 1u << b;
      }
    }
  }
}
