// The input state record and the functions the input files share. Devices
// are fed by SDL events: our own key, button and motion state is updated by
// draining the input events whenever a command reads a device, and by the
// window's message pump for the events it drains first.
//   Input                - the one InputState of the process
//   PollInputEvents      - fetches pending input events and applies them
//   KeyboardHandleEvent  - applies a keyboard or text event
//   MouseHandleEvent     - applies a mouse event
//   JoystickHandleEvent  - applies a joystick hot-plug event
//   UpdateJoystickDevices - polls the sticks and takes in their hot-plug events
//   OpenPad / ClosePad   - the controller side of a stick slot (pads.cc)
//   OpenMouse / OpenJoysticks / CloseJoysticks - device set-up and release
//   ReadMouse            - one mouse reading (buttons, motion, wheel)
//   ReadJoystick         - one joystick reading; neutral for a missing device
//   RumbleEffectFor      - the constant-force effect JoyRumble plays
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>
#include <string>

constexpr int kMaxJoysticks = 10;
constexpr uint32_t kHatCentred = 0xFFFFFFFFu;

// MouseSharing values: exclusive (relative motion, pointer hidden) or shared.
constexpr int32_t kMouseExclusive = 5;
constexpr int32_t kMouseShared = 6;

struct JoystickSlot {
  SDL_Joystick* Device = nullptr;  // null: never opened, or unplugged
  SDL_JoystickID Instance = -1;
  SDL_JoystickGUID Guid{};
  SDL_GameController* Pad = nullptr;  // the same stick as a game controller; null: no mapping
  uint64_t PlugOrder = 0;             // when the pad was taken up (larger: later)
  uint32_t HeldButtons = 0;           // pad buttons that read as up until released
};

struct InputState {
  int32_t MouseX = 0;  // accumulated mouse position in logical pixels
  int32_t MouseY = 0;
  bool DirectInput = false;     // the event layer is up (our SDL_INIT_EVENTS)
  bool JoystickLayer = false;   // our SDL_INIT_JOYSTICK
  bool PadLayer = false;        // our SDL_INIT_GAMECONTROLLER
  bool KeyboardDevice = false;  // keyboard events arrive
  bool MouseDevice = false;     // mouse opened with the pointer hidden
  std::array<JoystickSlot, kMaxJoysticks> JoystickDevices{};
  int32_t JoystickCount = 0;  // slots handed out; an unplugged stick keeps its slot
  std::array<std::string, kMaxJoysticks> JoystickNames{};
  std::array<int32_t, 2> PlayerPads{-1, -1};  // stick slot of each player's pad; -1: none
  uint64_t PadsPlugged = 0;                   // pads taken up so far
  std::array<uint8_t, 256> KeyStates{};       // bit 7 set = down
  int32_t MouseSharing = 0;
  uint8_t PointerVisible = 0;
  uint8_t MouseFresh = 0;
  int16_t LastDX = 0;
  int16_t LastDY = 0;
  int16_t LastWheel = 0;
  uint8_t LastTypedKey = 0;

  // Fed by events between reads.
  std::array<uint8_t, 256> KeyTyped{};    // 1 once TypedChar returned this press
  std::array<uint8_t, 256> KeyText{};     // character the latest press produced; 0 unknown
  int LastPressedCode = 0;                // key the next text event belongs to
  uint16_t KeyMods = 0;                   // modifier state of the latest key event
  std::array<uint8_t, 3> MouseButtons{};  // left, right, middle
  int64_t PendingDX = 0;                  // relative motion since the latest fresh read
  int64_t PendingDY = 0;
  double MotionCarryX = 0;  // fractions of a logical pixel of motion not yet in PendingDX/DY
  double MotionCarryY = 0;
  int64_t PendingWheel = 0;
  int32_t PointerX = 0;  // pointer position in logical pixels (latest motion event)
  int32_t PointerY = 0;
};

struct MouseReading {
  std::array<int16_t, 3> Buttons{};  // left, right, middle; non-zero = down
  int16_t DX = 0;
  int16_t DY = 0;
  int16_t Wheel = 0;  // -1, 0 or 1
};

// The joystick reading in the classic layout: six axes (-32768 .. 32767),
// two sliders, four hats in hundredths of a degree (centred: all bits set)
// and 32 button bytes (128 = pressed).
struct JoystickReading {
  int32_t X = 0, Y = 0, Z = 0, RX = 0, RY = 0, RZ = 0;
  std::array<int32_t, 2> Sliders{};
  std::array<uint32_t, 4> Hats{kHatCentred, kHatCentred, kHatCentred, kHatCentred};
  std::array<uint8_t, 32> Buttons{};
};

struct RumbleEffect {
  int32_t Magnitude = 0;   // 0 .. 10000
  int32_t DirectionX = 0;  // -32767 .. 32767
  int32_t DirectionY = 0;
  uint32_t DurationUs = 0;
};

InputState& Input();
void PollInputEvents();

void KeyboardHandleEvent(const SDL_Event& event);
void MouseHandleEvent(const SDL_Event& event);
void JoystickHandleEvent(const SDL_Event& event);

void OpenMouse(int32_t hideMouse);
void ReleaseMouse();
MouseReading ReadMouse();

void OpenJoysticks();
void CloseJoysticks();
void UpdateJoystickDevices();
void OpenPad(int slot, int deviceIndex);
void ClosePad(int slot);
JoystickReading ReadJoystick(int32_t index);
uint32_t HatHundredths(uint8_t hat);
RumbleEffect RumbleEffectFor(double milliseconds, double x, double y);
