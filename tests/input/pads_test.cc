// Game pads through SDL virtual controllers: taken up and dropped as they are
// plugged in and out, given to the players in plug order or by GUID, read
// through the deadzone with the d-pad and the fire buttons, and the key
// bindings that the game's controls read.
#include <gtest/gtest.h>

#include "runtime/input/input.h"
#include "runtime/input/input_state.h"
#include "runtime/input/key_bindings.h"
#include "runtime/input/pads.h"
#include "tests/input/input_test_events.h"
#include "tests/support/test_env.h"

namespace {

constexpr Sint16 kHalf = 16384;  // half the stick's travel

class PadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetPadDeadzone(0.5);
    SetPadChoice(0, "");
    SetPadChoice(1, "");
    ResetControlBindings();
    CreateInputState();
    OpenInputDevices(1);
  }

  // A virtual stick that SDL maps as a controller: axes and buttons in the
  // controller layer's own order (left stick x, y first; A, B, X, Y, ...).
  SDL_Joystick* Plug(const char* name, Uint16 vendor = 0x1234) {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.vendor_id = vendor;
    desc.product_id = 0x0001;
    desc.name = name;
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    EXPECT_GE(index, 0) << SDL_GetError();
    SDL_Joystick* stick = SDL_JoystickOpen(index);
    EXPECT_NE(stick, nullptr) << SDL_GetError();
    return stick;
  }

  void Unplug(SDL_Joystick* stick) {
    const SDL_JoystickID id = SDL_JoystickInstanceID(stick);
    SDL_JoystickClose(stick);
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
      if (SDL_JoystickGetDeviceInstanceID(i) == id) {
        ASSERT_EQ(SDL_JoystickDetachVirtual(i), 0) << SDL_GetError();
        return;
      }
    }
    FAIL() << "stick not found";
  }
};

PadControls Read(int32_t player) {
  return ReadPadControls(player);
}

TEST_F(PadTest, AHalfPushedStickCountsPastTheDeadzoneOnly) {
  SDL_Joystick* pad = Plug("Pad One");
  ASSERT_EQ(Read(0).Dx, 0);
  ASSERT_TRUE(JoystickIsPad(0));
  EXPECT_EQ(PlayerPadName(0), "Pad One");

  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, kHalf);
  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTY, -kHalf);
  struct Case {
    double Deadzone;
    int32_t Dx, Dy;
  };
  for (const Case c : {Case{0.4, 1, -1}, Case{0.5, 1, -1}, Case{0.6, 0, 0}, Case{1.0, 0, 0}}) {
    SetPadDeadzone(c.Deadzone);
    EXPECT_EQ(Read(0).Dx, c.Dx) << c.Deadzone;
    EXPECT_EQ(Read(0).Dy, c.Dy) << c.Deadzone;
  }
  // Deadzone 1 is the stick at its very edge, as plain joysticks read.
  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, -32768);
  EXPECT_EQ(Read(0).Dx, -1);
  // At rest nothing counts, even with no deadzone at all.
  SetPadDeadzone(0);
  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, 0);
  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTY, 0);
  EXPECT_EQ(Read(0).Dx, 0);
  EXPECT_EQ(Read(0).Dy, 0);
  // Player 2 has no pad; players beyond have none ever.
  EXPECT_EQ(Read(1).Dx, 0);
  EXPECT_EQ(Read(2).Fire, 0);
  Unplug(pad);
}

TEST_F(PadTest, DpadMovesAndABXAndBoundButtonsFire) {
  SDL_Joystick* pad = Plug("Pad One");
  ASSERT_EQ(Read(0).Fire, 0);
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_DPAD_LEFT, 1);
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_DPAD_DOWN, 1);
  PadControls c = Read(0);
  EXPECT_EQ(c.Dx, -1);
  EXPECT_EQ(c.Dy, 1);
  // The stick pushed the other way cancels the d-pad, as opposite keys do.
  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, 32767);
  EXPECT_EQ(Read(0).Dx, 0);
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_DPAD_LEFT, 0);
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_DPAD_DOWN, 0);
  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, 0);

  for (const int button :
       {SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_B, SDL_CONTROLLER_BUTTON_X}) {
    SDL_JoystickSetVirtualButton(pad, button, 1);
    EXPECT_EQ(Read(0).Fire, 1) << button;
    SDL_JoystickSetVirtualButton(pad, button, 0);
    EXPECT_EQ(Read(0).Fire, 0) << button;
  }
  // Y fires only once bound to fire.
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_Y, 1);
  EXPECT_EQ(Read(0).Fire, 0);
  ControlBinding fire = DefaultControlBinding(0, PlayerControl::kFire);
  fire.PadButtons = 1u << SDL_CONTROLLER_BUTTON_Y;
  SetControlBinding(0, PlayerControl::kFire, fire);
  EXPECT_EQ(Read(0).Fire, 1);

  // A held button reads as up until it is let go, then as usual again.
  HoldPadButtonsUntilReleased();
  EXPECT_EQ(Read(0).Fire, 0);
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_Y, 0);
  EXPECT_EQ(Read(0).Fire, 0);
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_Y, 1);
  EXPECT_EQ(Read(0).Fire, 1);
  Unplug(pad);
}

TEST_F(PadTest, PadsGoToPlayersInPlugOrderAndKeepThemUntilUnplugged) {
  SDL_Joystick* first = Plug("First");
  SDL_Joystick* second = Plug("Second");
  const std::string guid = PadGuidText(SDL_JoystickGetGUID(first));
  Read(0);
  EXPECT_EQ(PlayerPadName(0), "First");
  EXPECT_EQ(PlayerPadName(1), "Second");
  SDL_JoystickSetVirtualButton(second, SDL_CONTROLLER_BUTTON_A, 1);
  EXPECT_EQ(Read(0).Fire, 0);
  EXPECT_EQ(Read(1).Fire, 1);

  // Player 1's pad goes: player 2 keeps its own, player 1 has none.
  Unplug(first);
  Read(0);
  EXPECT_EQ(PlayerPadName(0), "");
  EXPECT_EQ(PlayerPadName(1), "Second");
  EXPECT_EQ(Read(1).Fire, 1);
  // The next pad plugged in goes to the player without one.
  SDL_Joystick* third = Plug("Third");
  Read(0);
  EXPECT_EQ(PlayerPadName(0), "Third");
  // Pads are not read a second time as plain joysticks by the game.
  EXPECT_EQ(JoystickCountQuery(), 2);
  EXPECT_TRUE(JoystickIsPad(0));
  EXPECT_TRUE(JoystickIsPad(1));
  Unplug(second);
  Unplug(third);
  Read(0);
  EXPECT_EQ(PlayerPadName(0), "");
  EXPECT_FALSE(JoystickIsPad(0));
  // Each pad given to a player is named in the log with its GUID, once.
  const std::string log = testenv::ReadErrorLog();
  EXPECT_NE(log.find("Pad for player 1: First, GUID " + guid + "\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("Pad for player 2: Second, GUID "), std::string::npos) << log;
  EXPECT_NE(log.find("Pad for player 1: Third, GUID "), std::string::npos) << log;
  size_t lines = 0;
  for (size_t at = log.find("Pad for"); at != std::string::npos; at = log.find("Pad for", at + 1)) {
    ++lines;
  }
  EXPECT_EQ(lines, 3u) << log;
}

TEST_F(PadTest, APadNamedByGuidGoesToItsPlayerOnly) {
  SDL_Joystick* a = Plug("Vendor A", 0x1111);
  const std::string guidA = PadGuidText(SDL_JoystickGetGUID(a));
  Unplug(a);
  SetPadChoice(1, guidA);
  Read(0);

  // A pad of another kind goes to player 1 (auto); the named one to player 2
  // even when it is plugged in first.
  SDL_Joystick* named = Plug("Vendor A", 0x1111);
  Read(0);
  EXPECT_EQ(PlayerPadName(0), "");
  EXPECT_EQ(PlayerPadName(1), "Vendor A");
  SDL_Joystick* other = Plug("Vendor B", 0x2222);
  Read(0);
  EXPECT_EQ(PlayerPadName(0), "Vendor B");
  EXPECT_EQ(PlayerPadName(1), "Vendor A");
  Unplug(named);
  Unplug(other);
}

TEST_F(PadTest, BoundKeysReplaceTheGameKeysOfAControl) {
  using inputtest::PushKey;
  EXPECT_EQ(BoundKeyDown(0, PlayerControl::kFire), 0);
  PushKey(SDL_SCANCODE_RCTRL, true);
  EXPECT_EQ(BoundKeyDown(0, PlayerControl::kFire), 1);
  EXPECT_EQ(BoundKeyDown(1, PlayerControl::kFire), 0);
  PushKey(SDL_SCANCODE_RCTRL, false);

  ControlBinding fire;
  fire.Keys = {57, 28};  // Space, Enter
  SetControlBinding(0, PlayerControl::kFire, fire);
  PushKey(SDL_SCANCODE_RCTRL, true);
  EXPECT_EQ(BoundKeyDown(0, PlayerControl::kFire), 0);
  PushKey(SDL_SCANCODE_RETURN, true);
  EXPECT_EQ(BoundKeyDown(0, PlayerControl::kFire), 1);
  PushKey(SDL_SCANCODE_RETURN, false);
  EXPECT_EQ(BoundKeyDown(0, PlayerControl::kFire), 0);
  PushKey(SDL_SCANCODE_SPACE, true);
  EXPECT_EQ(BoundKeyDown(0, PlayerControl::kFire), 1);
  // Other controls and players keep their keys; no player beyond the second.
  PushKey(SDL_SCANCODE_W, true);
  EXPECT_EQ(BoundKeyDown(1, PlayerControl::kUp), 1);
  EXPECT_EQ(BoundKeyDown(2, PlayerControl::kUp), 0);
  EXPECT_EQ(BoundKeyDown(0, static_cast<PlayerControl>(7)), 0);

  ResetControlBindings();
  EXPECT_EQ(BoundKeyDown(0, PlayerControl::kFire), 1);  // Right Ctrl is still held
  EXPECT_EQ(CurrentControlBinding(0, PlayerControl::kFire),
            DefaultControlBinding(0, PlayerControl::kFire));
}

}  // namespace
