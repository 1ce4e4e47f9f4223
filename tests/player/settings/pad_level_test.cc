// A pad plugged in while a level runs is taken up at once and moves player
// 1's ship as soon as its stick is pushed past the deadzone; the keys work
// beside it.
#include <gtest/gtest.h>

#include <cstdlib>

#include "runtime/input/pads.h"
#include "tests/game/level_harness.h"

namespace {

using leveltest::LevelTest;
using leveltest::RunFrame;

class PadInLevel : public LevelTest {
 protected:
  void SetUp() override {
    // The headless window never has the focus, without which SDL drops pad input.
    setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
    LevelTest::SetUp();
    Start();
  }

  SDL_Joystick* PlugPad() {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = "Half Pad";
    SDL_Joystick* pad = SDL_JoystickOpen(SDL_JoystickAttachVirtualEx(&desc));
    EXPECT_NE(pad, nullptr) << SDL_GetError();
    return pad;
  }

  // How far player 1 moves right in `frames` frames.
  int32_t MovedRight(int frames) {
    const int32_t before = Player(0).X;
    for (int i = 0; i < frames; ++i) RunFrame(session_);
    return Player(0).X - before;
  }
};

TEST_F(PadInLevel, AHalfPushedStickMovesTheShipPastTheDeadzoneOnly) {
  for (int i = 0; i < 10; ++i) RunFrame(session_);
  SDL_Joystick* pad = PlugPad();
  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, 16384);  // half way right

  SetPadDeadzone(0.4);
  EXPECT_EQ(MovedRight(5), 5);
  SetPadDeadzone(0.6);
  EXPECT_EQ(MovedRight(5), 0);
  // Pushed all the way it counts at any deadzone.
  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, 32767);
  EXPECT_EQ(MovedRight(5), 5);
  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, 0);

  // The keyboard keeps working beside the pad, and the pad's A fires.
  leveltest::Key(SDL_SCANCODE_RIGHT, true);
  EXPECT_EQ(MovedRight(3), 3);
  leveltest::Key(SDL_SCANCODE_RIGHT, false);
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, 1);
  RunFrame(session_);
  EXPECT_EQ(Player(0).Action, 1);  // shooting
}

}  // namespace
