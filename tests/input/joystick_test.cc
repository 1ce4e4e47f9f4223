// Joysticks through SDL virtual sticks: axes scaled to -1 .. 1, 32 buttons,
// the first hat, names, hot-plugging and rumble.
#include <gtest/gtest.h>

#include <cstdlib>

#include "runtime/core/program_end.h"
#include "runtime/input/input.h"
#include "runtime/input/input_state.h"

namespace {

class JoystickTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError(); }
  void TearDown() override {
    for (SDL_Joystick* stick : handles_) SDL_JoystickClose(stick);
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  }

  // Attaches a virtual stick and returns a handle the test moves it with.
  SDL_Joystick* Attach(const char* name = "Test Pad", int axes = 6, int buttons = 16,
                       int hats = 1) {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = static_cast<Uint16>(axes);
    desc.nbuttons = static_cast<Uint16>(buttons);
    desc.nhats = static_cast<Uint16>(hats);
    desc.name = name;
    desc.Rumble = RecordRumble;
    return Open(SDL_JoystickAttachVirtualEx(&desc));
  }

  SDL_Joystick* Open(int deviceIndex) {
    EXPECT_GE(deviceIndex, 0) << SDL_GetError();
    SDL_Joystick* stick = SDL_JoystickOpen(deviceIndex);
    EXPECT_NE(stick, nullptr) << SDL_GetError();
    handles_.push_back(stick);
    return stick;
  }

  void Detach(SDL_Joystick* stick) {
    const SDL_JoystickID id = SDL_JoystickInstanceID(stick);
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
      if (SDL_JoystickGetDeviceInstanceID(i) == id) {
        ASSERT_EQ(SDL_JoystickDetachVirtual(i), 0) << SDL_GetError();
        return;
      }
    }
    FAIL() << "stick not found";
  }

  static int SDLCALL RecordRumble(void*, Uint16 low, Uint16 high) {
    rumbleLow = low;
    rumbleHigh = high;
    ++rumbleCalls;
    return 0;
  }

  static inline int rumbleCalls = 0;
  static inline Uint16 rumbleLow = 0;
  static inline Uint16 rumbleHigh = 0;
  std::vector<SDL_Joystick*> handles_;
};

TEST_F(JoystickTest, AxesAreScaledAndClampedWithoutDeadZone) {
  SDL_Joystick* stick = Attach();
  CreateInputState();
  OpenInputDevices(1);
  ASSERT_EQ(JoystickCountQuery(), 1);

  EXPECT_EQ(JoyAxisX(0), 0.0);
  SDL_JoystickSetVirtualAxis(stick, 0, -32768);
  EXPECT_EQ(JoyAxisX(0), -1.0);
  SDL_JoystickSetVirtualAxis(stick, 0, 32767);
  EXPECT_EQ(JoyAxisX(0), 1.0);
  SDL_JoystickSetVirtualAxis(stick, 0, 150);  // a small deflection is not swallowed
  EXPECT_DOUBLE_EQ(JoyAxisX(0), 150 / 32767.0);

  SDL_JoystickSetVirtualAxis(stick, 1, 16384);
  SDL_JoystickSetVirtualAxis(stick, 2, -100);
  SDL_JoystickSetVirtualAxis(stick, 3, 32767);
  SDL_JoystickSetVirtualAxis(stick, 4, -32767);
  SDL_JoystickSetVirtualAxis(stick, 5, 1);
  EXPECT_DOUBLE_EQ(JoyAxisY(0), 16384 / 32767.0);
  EXPECT_DOUBLE_EQ(JoyAxisZ(0), -100 / 32767.0);
  EXPECT_EQ(JoyAxisRX(0), 1.0);
  EXPECT_EQ(JoyAxisRY(0), -1.0);
  EXPECT_DOUBLE_EQ(JoyAxisRZ(0), 1 / 32767.0);
}

TEST_F(JoystickTest, ButtonsReadAsStateBytesUpTo32) {
  SDL_Joystick* stick = Attach("Many Buttons", 2, 40, 0);
  CreateInputState();
  OpenInputDevices(1);
  SDL_JoystickSetVirtualButton(stick, 0, SDL_PRESSED);
  SDL_JoystickSetVirtualButton(stick, 31, SDL_PRESSED);
  SDL_JoystickSetVirtualButton(stick, 32, SDL_PRESSED);
  EXPECT_EQ(JoyButton(0, 0), 128);
  EXPECT_EQ(JoyButton(0, 1), 0);
  EXPECT_EQ(JoyButton(0, 31), 128);
  EXPECT_EQ(JoyButton(0, 32), 0);
  EXPECT_EQ(JoyButton(0, -1), 0);
  EXPECT_EQ(JoyButton(0, 1 << 30), 0);
  SDL_JoystickSetVirtualButton(stick, 0, SDL_RELEASED);
  EXPECT_EQ(JoyButton(0, 0), 0);
  // A stick without hats reads centred.
  EXPECT_EQ(JoyHatX(0), 0);
  EXPECT_EQ(JoyHatY(0), 0);
}

TEST_F(JoystickTest, HatReadsOnlyTheFourMainDirections) {
  SDL_Joystick* stick = Attach();
  CreateInputState();
  OpenInputDevices(1);
  struct Case {
    Uint8 hat;
    int x;
    int y;
  };
  const Case cases[] = {{SDL_HAT_CENTERED, 0, 0}, {SDL_HAT_UP, 0, -1},   {SDL_HAT_RIGHT, 1, 0},
                        {SDL_HAT_DOWN, 0, 1},     {SDL_HAT_LEFT, -1, 0}, {SDL_HAT_RIGHTUP, 0, 0},
                        {SDL_HAT_LEFTDOWN, 0, 0}};
  for (const Case& c : cases) {
    SDL_JoystickSetVirtualHat(stick, 0, c.hat);
    EXPECT_EQ(JoyHatX(0), c.x) << int(c.hat);
    EXPECT_EQ(JoyHatY(0), c.y) << int(c.hat);
  }
  EXPECT_EQ(HatHundredths(SDL_HAT_RIGHTUP), 4500u);
  EXPECT_EQ(HatHundredths(SDL_HAT_LEFTUP), 31500u);
  EXPECT_EQ(HatHundredths(SDL_HAT_CENTERED), kHatCentred);
}

TEST_F(JoystickTest, NamesAndIndexesOutsideTheCount) {
  Attach("Arcade Stick");
  Attach("Second Pad");
  CreateInputState();
  OpenInputDevices(1);
  ASSERT_EQ(JoystickCountQuery(), 2);
  EXPECT_EQ(JoystickName(0).Std(), "Arcade Stick, Arcade Stick");
  EXPECT_EQ(JoystickName(1).Std(), "Second Pad, Second Pad");
  EXPECT_EQ(JoystickName(-1).Std(), "");
  EXPECT_EQ(JoystickName(2).Std(), "");
  EXPECT_EQ(JoyAxisX(2), 0.0);
  EXPECT_EQ(JoyAxisY(-1), 0.0);
  EXPECT_EQ(JoyButton(7, 0), 0);
  EXPECT_EQ(JoyHatY(-3), 0);
}

TEST_F(JoystickTest, AtMostTenSticksAreOpened) {
  for (int i = 0; i < 12; ++i) Attach();
  CreateInputState();
  OpenInputDevices(1);
  EXPECT_EQ(JoystickCountQuery(), 10);
}

TEST_F(JoystickTest, SticksPluggedInLaterArePickedUpAndKeepTheirIndex) {
  CreateInputState();
  OpenInputDevices(1);
  EXPECT_EQ(JoystickCountQuery(), 0);

  SDL_Joystick* first = Attach("First");
  SDL_Joystick* second = Attach("Second");
  EXPECT_EQ(JoystickCountQuery(), 2);
  SDL_JoystickSetVirtualAxis(second, 0, 32767);
  EXPECT_EQ(JoyAxisX(1), 1.0);

  // The first is unplugged: the second stays at index 1, index 0 reads centred.
  SDL_JoystickSetVirtualButton(first, 2, SDL_PRESSED);
  EXPECT_EQ(JoyButton(0, 2), 128);
  Detach(first);
  EXPECT_EQ(JoystickCountQuery(), 2);
  EXPECT_EQ(JoyButton(0, 2), 0);
  EXPECT_EQ(JoyAxisX(1), 1.0);

  // A stick plugged in now takes the free index.
  SDL_Joystick* third = Attach("Third");
  EXPECT_EQ(JoystickCountQuery(), 2);
  EXPECT_EQ(JoystickName(0).Std(), "Third, Third");
  SDL_JoystickSetVirtualAxis(third, 1, -32768);
  EXPECT_EQ(JoyAxisY(0), -1.0);
}

TEST_F(JoystickTest, RumbleEffectFollowsStrengthAndDuration) {
  RumbleEffect full = RumbleEffectFor(250, 1, 1);
  EXPECT_EQ(full.Magnitude, 10000);
  EXPECT_EQ(full.DirectionX, 32767);
  EXPECT_EQ(full.DirectionY, 32767);
  EXPECT_EQ(full.DurationUs, 250000u);

  RumbleEffect clamped = RumbleEffectFor(2.5, -3, 0);
  EXPECT_EQ(clamped.Magnitude, 5000);
  EXPECT_EQ(clamped.DirectionX, -32767);
  EXPECT_EQ(clamped.DirectionY, 0);
  EXPECT_EQ(clamped.DurationUs, 2500u);

  RumbleEffect half = RumbleEffectFor(-10, -0.5, std::nan(""));
  EXPECT_EQ(half.Magnitude, 1250);
  EXPECT_EQ(half.DirectionX, -16383);  // truncated toward zero
  EXPECT_EQ(half.DirectionY, 0);
  EXPECT_EQ(half.DurationUs, 0u);
}

TEST_F(JoystickTest, RumbleDrivesTheMotorsOfTheStick) {
  Attach();
  CreateInputState();
  OpenInputDevices(1);
  rumbleCalls = 0;
  JoyRumble(0, 300, 1, 0);
  ASSERT_EQ(rumbleCalls, 1);
  EXPECT_EQ(rumbleLow, 32767);
  EXPECT_EQ(rumbleHigh, 32767);
  JoyRumble(0, 300, 1, 1);
  EXPECT_EQ(rumbleLow, 65535);
  JoyRumble(1, 300, 1, 1);  // no such stick: nothing
  JoyRumble(-1, 300, 1, 1);
  EXPECT_EQ(rumbleCalls, 2);
}

void ExitWithJoystickVerdict() {
  const bool released = JoystickCountQuery() == 0 && JoystickName(0).Std().empty();
  std::_Exit(released ? 0 : 3);
}

TEST_F(JoystickTest, ProgramEndClosesTheSticks) {
  Attach();
  CreateInputState();
  OpenInputDevices(1);
  ASSERT_EQ(JoystickCountQuery(), 1);
  SetProgramExitHandler(ExitWithJoystickVerdict);
  EXPECT_EXIT(EndProgramNormally(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
