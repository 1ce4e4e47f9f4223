// Up to ten joysticks through SDL's joystick layer, read in the classic
// layout: six axes, two sliders, four hats in hundredths of a degree and 32
// buttons. A stick keeps its index for the whole run: one that is unplugged
// reads as centred, and a stick plugged in later takes a free index.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "runtime/input/input.h"
#include "runtime/input/input_state.h"

namespace {

bool SameGuid(const SDL_JoystickGUID& a, const SDL_JoystickGUID& b) {
  return std::memcmp(a.data, b.data, sizeof a.data) == 0;
}

// Opens the joystick with this device index in a slot: the slot it had
// before if it comes back, else a slot whose stick was unplugged, else the
// next new one.
void OpenJoystickDevice(int deviceIndex) {
  InputState& state = Input();
  if (!state.JoystickLayer) return;
  const SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(deviceIndex);
  if (instance < 0) return;
  for (int i = 0; i < state.JoystickCount; ++i) {
    if (state.JoystickDevices[i].Device != nullptr &&
        state.JoystickDevices[i].Instance == instance) {
      return;  // already open (start-up enumeration and its added event)
    }
  }

  const SDL_JoystickGUID guid = SDL_JoystickGetDeviceGUID(deviceIndex);
  int slot = -1;
  for (int i = 0; i < state.JoystickCount && slot < 0; ++i) {
    const JoystickSlot& s = state.JoystickDevices[i];
    if (s.Device == nullptr && SameGuid(s.Guid, guid)) slot = i;
  }
  for (int i = 0; i < state.JoystickCount && slot < 0; ++i) {
    if (state.JoystickDevices[i].Device == nullptr) slot = i;
  }
  if (slot < 0) {
    if (state.JoystickCount >= kMaxJoysticks) return;
    slot = state.JoystickCount;
  }

  SDL_Joystick* device = SDL_JoystickOpen(deviceIndex);
  if (device == nullptr) return;
  JoystickSlot& s = state.JoystickDevices[slot];
  s.Device = device;
  s.Instance = SDL_JoystickInstanceID(device);
  s.Guid = guid;
  // SDL has one name per device; it stands for both the instance and the product.
  const char* name = SDL_JoystickName(device);
  const std::string text = name != nullptr ? name : "";
  state.JoystickNames[slot] = text + ", " + text;
  if (slot == state.JoystickCount) ++state.JoystickCount;
  OpenPad(slot, deviceIndex);
}

int16_t AxisOf(SDL_Joystick* device, int axis, int count) {
  return axis < count ? SDL_JoystickGetAxis(device, axis) : 0;
}

double ScaledAxis(int32_t value) {
  return std::clamp(value / 32767.0, -1.0, 1.0);
}

// A truncating conversion that stays defined for any double.
int64_t TruncateClamped(double value, double low, double high) {
  if (std::isnan(value)) return 0;
  return static_cast<int64_t>(std::clamp(value, low, high));
}

}  // namespace

void JoystickHandleEvent(const SDL_Event& event) {
  InputState& state = Input();
  if (event.type == SDL_JOYDEVICEADDED) {
    OpenJoystickDevice(event.jdevice.which);
    return;
  }
  if (event.type == SDL_JOYDEVICEREMOVED) {
    for (int i = 0; i < state.JoystickCount; ++i) {
      JoystickSlot& s = state.JoystickDevices[i];
      if (s.Device != nullptr && s.Instance == event.jdevice.which) {
        ClosePad(i);
        SDL_JoystickClose(s.Device);
        s.Device = nullptr;
        s.Instance = -1;
      }
    }
  }
}

void OpenJoysticks() {
  InputState& state = Input();
  if (!state.JoystickLayer) return;
  const int available = SDL_NumJoysticks();
  for (int i = 0; i < available && state.JoystickCount < kMaxJoysticks; ++i) {
    OpenJoystickDevice(i);
  }
}

void CloseJoysticks() {
  InputState& state = Input();
  // After the joystick layer was shut down the handles are gone already.
  const bool layerUp = SDL_WasInit(SDL_INIT_JOYSTICK) != 0;
  for (int i = 0; i < kMaxJoysticks; ++i) {
    JoystickSlot& s = state.JoystickDevices[i];
    if (layerUp) ClosePad(i);
    if (s.Device != nullptr && layerUp) SDL_JoystickClose(s.Device);
    s = JoystickSlot{};
  }
  state.JoystickCount = 0;
}

// Polls the sticks (this also notices sticks plugged in or out) and takes in
// the resulting hot-plug events.
void UpdateJoystickDevices() {
  if (Input().JoystickLayer) SDL_JoystickUpdate();
  PollInputEvents();
}

uint32_t HatHundredths(uint8_t hat) {
  switch (hat) {
    case SDL_HAT_UP:
      return 0;
    case SDL_HAT_RIGHTUP:
      return 4500;
    case SDL_HAT_RIGHT:
      return 9000;
    case SDL_HAT_RIGHTDOWN:
      return 13500;
    case SDL_HAT_DOWN:
      return 18000;
    case SDL_HAT_LEFTDOWN:
      return 22500;
    case SDL_HAT_LEFT:
      return 27000;
    case SDL_HAT_LEFTUP:
      return 31500;
    default:
      return kHatCentred;
  }
}

JoystickReading ReadJoystick(int32_t index) {
  JoystickReading reading;
  InputState& state = Input();
  UpdateJoystickDevices();
  if (index < 0 || index >= state.JoystickCount) return reading;
  SDL_Joystick* device = state.JoystickDevices[index].Device;
  if (device == nullptr || SDL_JoystickGetAttached(device) == SDL_FALSE) return reading;

  const int axes = SDL_JoystickNumAxes(device);
  reading.X = AxisOf(device, 0, axes);
  reading.Y = AxisOf(device, 1, axes);
  reading.Z = AxisOf(device, 2, axes);
  reading.RX = AxisOf(device, 3, axes);
  reading.RY = AxisOf(device, 4, axes);
  reading.RZ = AxisOf(device, 5, axes);
  reading.Sliders[0] = AxisOf(device, 6, axes);
  reading.Sliders[1] = AxisOf(device, 7, axes);

  const int hats = std::min<int>(SDL_JoystickNumHats(device), reading.Hats.size());
  for (int h = 0; h < hats; ++h) reading.Hats[h] = HatHundredths(SDL_JoystickGetHat(device, h));

  const int buttons = std::min<int>(SDL_JoystickNumButtons(device), reading.Buttons.size());
  for (int b = 0; b < buttons; ++b) {
    reading.Buttons[b] = SDL_JoystickGetButton(device, b) != 0 ? 128 : 0;
  }
  return reading;
}

RumbleEffect RumbleEffectFor(double milliseconds, double x, double y) {
  if (std::isnan(x)) x = 0;
  if (std::isnan(y)) y = 0;
  x = std::clamp(x, -1.0, 1.0);
  y = std::clamp(y, -1.0, 1.0);
  RumbleEffect effect;
  effect.Magnitude = static_cast<int32_t>((x * x + y * y) * 10000 * 0.5);
  effect.DirectionX = static_cast<int32_t>(x * 32767);
  effect.DirectionY = static_cast<int32_t>(y * 32767);
  effect.DurationUs = static_cast<uint32_t>(TruncateClamped(milliseconds * 1000, 0, 4294967295.0));
  return effect;
}

int32_t JoystickCountQuery() {
  // Sticks plugged in since the last query are counted.
  UpdateJoystickDevices();
  return Input().JoystickCount;
}

RtString JoystickName(int32_t index) {
  const InputState& state = Input();
  if (index < 0 || index >= state.JoystickCount) return RtString();
  return RtString(std::string_view(state.JoystickNames[index]));
}

double JoyAxisX(int32_t index) {
  return ScaledAxis(ReadJoystick(index).X);
}
double JoyAxisY(int32_t index) {
  return ScaledAxis(ReadJoystick(index).Y);
}
double JoyAxisZ(int32_t index) {
  return ScaledAxis(ReadJoystick(index).Z);
}
double JoyAxisRX(int32_t index) {
  return ScaledAxis(ReadJoystick(index).RX);
}
double JoyAxisRY(int32_t index) {
  return ScaledAxis(ReadJoystick(index).RY);
}
double JoyAxisRZ(int32_t index) {
  return ScaledAxis(ReadJoystick(index).RZ);
}

int32_t JoyButton(int32_t index, int32_t button) {
  if (button < 0 || button >= 32) return 0;
  return ReadJoystick(index).Buttons[button];
}

int32_t JoyHatX(int32_t index) {
  const uint32_t hat = ReadJoystick(index).Hats[0];
  if (hat == 9000) return 1;
  if (hat == 27000) return -1;
  return 0;
}

int32_t JoyHatY(int32_t index) {
  const uint32_t hat = ReadJoystick(index).Hats[0];
  if (hat == 0) return -1;
  if (hat == 18000) return 1;
  return 0;
}

void JoyRumble(int32_t index, double milliseconds, double x, double y) {
  InputState& state = Input();
  if (index < 0 || index >= state.JoystickCount) return;
  SDL_Joystick* device = state.JoystickDevices[index].Device;
  if (device == nullptr) return;
  const RumbleEffect effect = RumbleEffectFor(milliseconds, x, y);
  // SDL drives the two rumble motors rather than a directed force: both run
  // at the effect's magnitude for its duration. A stick without rumble
  // refuses, which is the "nothing otherwise" of a stick without force feedback.
  const auto strength = static_cast<Uint16>(static_cast<int64_t>(effect.Magnitude) * 65535 / 10000);
  SDL_JoystickRumble(device, strength, strength, effect.DurationUs / 1000);
}
