// A stick SDL has no mapping for is a plain joystick, read as the game
// always read joysticks; a gamecontrollerdb.txt beside the settings makes it
// a pad.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "game/controls.h"
#include "player/settings/settings_store.h"
#include "runtime/input/input.h"
#include "runtime/input/pads.h"
#include "tests/support/test_env.h"

namespace {

// A stick of no known kind: two axes and four buttons.
SDL_Joystick* PlugPlainStick() {
  SDL_VirtualJoystickDesc desc{};
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_UNKNOWN;
  desc.naxes = 2;
  desc.nbuttons = 4;
  desc.vendor_id = 0x7777;
  desc.product_id = 0x0042;
  desc.name = "Plain Stick";
  SDL_Joystick* stick = SDL_JoystickOpen(SDL_JoystickAttachVirtualEx(&desc));
  EXPECT_NE(stick, nullptr) << SDL_GetError();
  return stick;
}

std::string PlainStickGuid() {
  EXPECT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0);
  SDL_Joystick* stick = PlugPlainStick();
  const std::string guid = PadGuidText(SDL_JoystickGetGUID(stick));
  SDL_JoystickClose(stick);
  SDL_JoystickDetachVirtual(0);
  SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  return guid;
}

TEST(PadMapping, AStickWithoutAMappingIsReadAsAlways) {
  LoadPlayerSettings(testenv::MakeDir("no-mapping"));
  CreateInputState();
  OpenInputDevices(1);
  ForgetJoystickCount();
  SDL_Joystick* stick = PlugPlainStick();
  // Half way: nothing, as the game never counted less than the edge.
  SDL_JoystickSetVirtualAxis(stick, 0, 16384);
  EXPECT_EQ(ReadControls(0).Dx, 0);
  EXPECT_FALSE(JoystickIsPad(0));
  SDL_JoystickSetVirtualAxis(stick, 0, 32767);
  SDL_JoystickSetVirtualButton(stick, 2, 1);
  const Controls controls = ReadControls(0);
  EXPECT_EQ(controls.Dx, 1);
  EXPECT_EQ(controls.Fire, 1);
}

TEST(PadMapping, AMappingFileBesideTheSettingsMakesItAPad) {
  const std::string guid = PlainStickGuid();
  const std::string folder = testenv::MakeDir("mapped");
  // Button 3 is A; the stick's axes are the left stick.
  testenv::WriteFile(
      folder + "/gamecontrollerdb.txt",
      "# pads of our own\n" + guid +
          ",Plain Stick,a:b3,b:b1,x:b2,leftx:a0,lefty:a1,start:b0,platform:" + SDL_GetPlatform() +
          ",\n");
  LoadPlayerSettings(folder);
  CreateInputState();
  OpenInputDevices(1);
  ForgetJoystickCount();
  SDL_Joystick* stick = PlugPlainStick();
  SDL_JoystickSetVirtualAxis(stick, 0, 16384);
  EXPECT_EQ(ReadControls(0).Dx, 1);  // past the 0.5 deadzone as a pad
  EXPECT_TRUE(JoystickIsPad(0));
  SDL_JoystickSetVirtualButton(stick, 3, 1);
  EXPECT_EQ(ReadPadControls(0).Fire, 1);
  SDL_JoystickSetVirtualButton(stick, 3, 0);
  SDL_JoystickSetVirtualButton(stick, 0, 1);  // Start: not fire
  EXPECT_EQ(ReadPadControls(0).Fire, 0);
}

}  // namespace
