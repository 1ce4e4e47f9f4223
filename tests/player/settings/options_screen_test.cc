// The options screen: its rows and how they change and bind, and the screen
// over the real game: it freezes the game (a level ends at the same frame and
// game time with the screen open for 300 frames as without it), keeps
// Escape from the game, saves and applies what changes, and is driven by a
// pad as well as by the keyboard.
#include "player/settings/options_menu.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "game/controls.h"
#include "game/game_state.h"
#include "player/settings/control_names.h"
#include "runtime/input/key_bindings.h"
#include "runtime/input/pads.h"
#include "runtime/sound/output_levels.h"
#include "tests/player/player_harness.h"

namespace {

using playertest::PushKey;
using playertest::Record;

constexpr int32_t kScaleRow = 0;
constexpr int32_t kVolumeRow = 3;
constexpr int32_t kMuteRow = 6;
constexpr int32_t kPlayer1FireRow = 11;
constexpr int32_t kPlayer2LeftRow = 12;

TEST(OptionsMenu, RowsNavigateAroundAndChangeTheirValues) {
  OptionsMenu menu;
  EXPECT_EQ(RowLabel(kScaleRow), "Scale");
  EXPECT_EQ(RowLabel(kPlayer1FireRow), "Player 1 fire");
  EXPECT_EQ(RowLabel(kPlayer2LeftRow), "Player 2 left");
  EXPECT_EQ(RowLabel(OptionsRowCount() - 1), "Back");

  // Up from the first row wraps to Back, Down from Back to the first.
  StepMenu(menu, MenuInput::kUp);
  EXPECT_EQ(menu.Row, OptionsRowCount() - 1);
  StepMenu(menu, MenuInput::kDown);
  EXPECT_EQ(menu.Row, kScaleRow);

  // The scale runs auto, 1 .. 8 and around.
  EXPECT_EQ(RowValue(menu, kScaleRow), "auto");
  EXPECT_TRUE(StepMenu(menu, MenuInput::kLeft));
  EXPECT_EQ(RowValue(menu, kScaleRow), "8");
  EXPECT_TRUE(StepMenu(menu, MenuInput::kRight));
  EXPECT_TRUE(StepMenu(menu, MenuInput::kAccept));
  EXPECT_EQ(RowValue(menu, kScaleRow), "1");

  // Levels step to the next multiple of 10 and stop at 0 and 100.
  menu.Row = kVolumeRow;
  menu.Values.Audio.Volume = 73;
  const struct {
    MenuInput Input;
    const char* Value;
    bool Changed;
  } steps[] = {{MenuInput::kLeft, "70", true},   {MenuInput::kLeft, "60", true},
               {MenuInput::kRight, "70", true},  {MenuInput::kRight, "80", true},
               {MenuInput::kRight, "90", true},  {MenuInput::kRight, "100", true},
               {MenuInput::kRight, "100", false}};
  for (const auto& step : steps) {
    EXPECT_EQ(StepMenu(menu, step.Input), step.Changed) << step.Value;
    EXPECT_EQ(RowValue(menu, kVolumeRow), step.Value);
  }
  menu.Values.Audio.Volume = 4;
  StepMenu(menu, MenuInput::kLeft);
  EXPECT_EQ(RowValue(menu, kVolumeRow), "0");
  EXPECT_FALSE(StepMenu(menu, MenuInput::kLeft));

  menu.Row = kMuteRow;
  EXPECT_EQ(RowValue(menu, kMuteRow), "off");
  EXPECT_TRUE(StepMenu(menu, MenuInput::kAccept));
  EXPECT_EQ(RowValue(menu, kMuteRow), "on");
  EXPECT_FALSE(menu.Closed);
  StepMenu(menu, MenuInput::kBack);
  EXPECT_TRUE(menu.Closed);
}

TEST(OptionsMenu, ABindingTakesTheNextKeyOrPadButton) {
  OptionsMenu menu;
  menu.Row = kPlayer1FireRow;
  menu.Values.Keys[0][4].PadButtons = 1u << SDL_CONTROLLER_BUTTON_Y;
  EXPECT_EQ(RowValue(menu, kPlayer1FireRow), "Right Ctrl, Pad Y");
  EXPECT_FALSE(CaptureKey(menu, 57));  // not capturing yet
  StepMenu(menu, MenuInput::kAccept);
  ASSERT_TRUE(menu.Capturing);
  EXPECT_EQ(RowValue(menu, kPlayer1FireRow), "...");
  // Navigation waits; reserved keys, keys without a name and Start wait too.
  StepMenu(menu, MenuInput::kDown);
  EXPECT_EQ(menu.Row, kPlayer1FireRow);
  EXPECT_FALSE(CaptureKey(menu, 59));  // F1
  EXPECT_FALSE(CaptureKey(menu, 0));
  EXPECT_FALSE(CapturePadButton(menu, SDL_CONTROLLER_BUTTON_START));
  EXPECT_TRUE(menu.Capturing);
  // A key replaces the keys and keeps the pad buttons.
  EXPECT_TRUE(CaptureKey(menu, 57));
  EXPECT_FALSE(menu.Capturing);
  EXPECT_EQ(RowValue(menu, kPlayer1FireRow), "Space, Pad Y");
  // A pad button replaces the pad buttons and keeps the keys.
  StepMenu(menu, MenuInput::kAccept);
  EXPECT_TRUE(CapturePadButton(menu, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER));
  EXPECT_EQ(RowValue(menu, kPlayer1FireRow), "Space, Pad RightShoulder");
  // Escape, or Back, cancels a capture and leaves the binding; it does not close.
  StepMenu(menu, MenuInput::kAccept);
  EXPECT_FALSE(CaptureKey(menu, 1));
  EXPECT_FALSE(menu.Capturing);
  StepMenu(menu, MenuInput::kAccept);
  StepMenu(menu, MenuInput::kBack);
  EXPECT_FALSE(menu.Capturing);
  EXPECT_FALSE(menu.Closed);
  EXPECT_EQ(RowValue(menu, kPlayer1FireRow), "Space, Pad RightShoulder");
  // Back as a row closes the screen.
  menu.Row = OptionsRowCount() - 1;
  StepMenu(menu, MenuInput::kAccept);
  EXPECT_TRUE(menu.Closed);
}

// Starts the game on the title and records how its one level ends. With
// `openAt` >= 0 the options screen opens in that level frame (F1) and
// closes after 300 of its own frames (Escape).
std::vector<std::string> PlayLevel(int openAt) {
  static int s_openAt = 0;
  s_openAt = openAt;
  playertest::Scripts scripts;
  scripts.Game = [](const GameFrame& frame) {
    static bool inLevel = false;
    if (frame.Kind == GameFrameKind::kTitle) {
      if (inLevel) {
        Record("title after " + std::to_string(frame.Number) + " frames, clock " +
               std::to_string(GameClock()));
        EndProgramNormally();
      }
      if (frame.NumberInPart == 1) PushKey(SDL_SCANCODE_RCTRL, true);
      if (frame.NumberInPart == 2) PushKey(SDL_SCANCODE_RCTRL, false);
      return;
    }
    if (frame.Kind == GameFrameKind::kEscapeHeld) Record("escape reached the game");
    if (frame.Kind != GameFrameKind::kLevel) return;
    inLevel = true;
    if (frame.NumberInPart == s_openAt) {
      Record("open at clock " + std::to_string(GameClock()));
      PushKey(SDL_SCANCODE_F1, true);
    }
    if (s_openAt >= 0 && frame.NumberInPart == s_openAt + 1) Record("level runs on");
    if (frame.Session->Ending == 1 && frame.Session->FrameTime == frame.Session->TransitionStart) {
      Record("ending at " + std::to_string(frame.NumberInPart) + " clock " +
             std::to_string(GameClock()));
    }
  };
  scripts.Options = [](int64_t frame, const OptionsMenu&) {
    if (frame == 0 || frame == 300) {
      Record("options " + std::to_string(frame) + " clock " + std::to_string(GameClock()) +
             " frames " + std::to_string(GameFramesPresented()));
    }
    if (frame == 1) PushKey(SDL_SCANCODE_F1, false);
    if (frame == 300) {
      PushKey(SDL_SCANCODE_ESCAPE, true);
      PushKey(SDL_SCANCODE_ESCAPE, false);
    }
  };
  return playertest::Play(playertest::ScrollingGame(14), scripts);
}

TEST(OptionsScreen, TheGameStandsStillWhileItIsOpen) {
  // Both runs first: a death test's child runs the test again up to its own
  // run, so nothing between the runs may fail.
  const std::vector<std::string> plain = PlayLevel(-1);
  const std::vector<std::string> opened = PlayLevel(40);
  ASSERT_EQ(plain.size(), 2u) << ::testing::PrintToString(plain);
  ASSERT_EQ(opened.size(), 6u) << ::testing::PrintToString(opened);
  // The level ends in the same frame, at the same game time, and the game
  // presented as many frames: the screen's 301 frames are not the game's.
  EXPECT_EQ(opened[4], plain[0]);
  EXPECT_EQ(opened[5], plain[1]);
  // Open in level frame 40: the game time stood at that frame's for all of
  // the screen's frames, and the game went on after it (Escape never
  // reached it: no level was abandoned).
  const std::string clock = opened[0].substr(std::string("open at clock ").size());
  EXPECT_EQ(opened[1].rfind("options 0 clock " + clock + " frames ", 0), 0u) << opened[1];
  EXPECT_EQ(opened[2].rfind("options 300 clock " + clock + " frames ", 0), 0u) << opened[2];
  EXPECT_EQ(opened[1].substr(opened[1].find("frames")), opened[2].substr(opened[2].find("frames")));
  EXPECT_EQ(opened[3], "level runs on");
}

TEST(OptionsScreen, ChangesApplyAtOnceAndAreSaved) {
  const std::string config = testenv::MakeDir("config");
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  playertest::Scripts scripts;
  scripts.Game = [](const GameFrame& frame) {
    if (frame.Kind == GameFrameKind::kLevel) {
      Record("level started by " + BindingText(CurrentControlBinding(0, PlayerControl::kFire)));
      EndProgramNormally();
    }
    if (frame.Kind != GameFrameKind::kTitle) return;
    if (frame.NumberInPart == 1) PushKey(SDL_SCANCODE_F1, true);
    if (frame.NumberInPart == 2) {
      PushKey(SDL_SCANCODE_F1, false);
      // Right Ctrl no longer fires for player 1; Space does.
      PushKey(SDL_SCANCODE_RCTRL, true);
    }
    if (frame.NumberInPart == 5) {
      Record("volume " + std::to_string(CurrentOutputLevels().Volume));
      PushKey(SDL_SCANCODE_SPACE, true);
    }
  };
  scripts.Options = [](int64_t frame, const OptionsMenu& menu) {
    // Volume (three rows down) one step left, then player 1's fire bound to Space.
    std::vector<SDL_Scancode> keys = {SDL_SCANCODE_DOWN, SDL_SCANCODE_DOWN, SDL_SCANCODE_DOWN,
                                      SDL_SCANCODE_LEFT};
    for (int32_t row = kVolumeRow; row < kPlayer1FireRow; ++row) keys.push_back(SDL_SCANCODE_DOWN);
    keys.push_back(SDL_SCANCODE_RETURN);
    keys.push_back(SDL_SCANCODE_SPACE);
    keys.push_back(SDL_SCANCODE_ESCAPE);
    if (frame == static_cast<int64_t>(keys.size()) - 1) {
      Record("shown: " + RowLabel(menu.Row) + " = " + RowValue(menu, menu.Row));
    }
    if (frame < static_cast<int64_t>(keys.size())) {
      PushKey(keys[static_cast<size_t>(frame)], true);
      PushKey(keys[static_cast<size_t>(frame)], false);
    }
  };
  const std::vector<std::string> lines =
      playertest::Play(playertest::ScrollingGame(14), std::move(scripts));
  EXPECT_EQ(lines, (std::vector<std::string>{"shown: Player 1 fire = Space", "volume 90",
                                             "level started by Space"}));
  EXPECT_EQ(testenv::ReadFile(config + "/zorax/settings.ini"),
            "[audio]\r\nvolume=90\r\n[keys]\r\nplayer1.fire=Space\r\n");
}

TEST(OptionsScreen, APadOpensAndDrivesItAndItsLastPressDoesNotFire) {
  // The first title frame after the screen closed (-2: closing), and the
  // latest title frame.
  static int closedAt = -1;
  static int lastTitle = -1;
  static SDL_Joystick* pad = nullptr;
  // The headless window never has the focus, without which SDL drops pad presses.
  setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
  playertest::Scripts scripts;
  scripts.Game = [](const GameFrame& frame) {
    if (frame.Kind == GameFrameKind::kLevel) {
      Record("level started " + std::to_string(lastTitle - closedAt) + " title frames after");
      EndProgramNormally();
    }
    if (frame.Kind != GameFrameKind::kTitle) return;
    const int k = lastTitle = static_cast<int>(frame.NumberInPart);
    if (closedAt == -2) closedAt = k;
    if (k == 1) {
      SDL_VirtualJoystickDesc desc{};
      desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
      desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
      desc.naxes = SDL_CONTROLLER_AXIS_MAX;
      desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
      desc.name = "Test Pad";
      pad = SDL_JoystickOpen(SDL_JoystickAttachVirtualEx(&desc));
      if (pad == nullptr) Record("no virtual pad");
    }
    if (k == 3) SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_START, 1);
    if (k == 4) SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_START, 0);
    if (closedAt < 0) return;
    if (k == closedAt)
      Record("after closing: volume " + std::to_string(CurrentOutputLevels().Volume));
    // B closed the screen and stays held for ten frames: that does not start
    // the game. A does.
    if (k == closedAt + 10) SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_B, 0);
    if (k == closedAt + 12) SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, 1);
  };
  scripts.Options = [](int64_t frame, const OptionsMenu&) {
    // Down three times to Volume, then left: each button pressed in one
    // frame and let go in the next. Then B, held.
    const int presses[] = {SDL_CONTROLLER_BUTTON_DPAD_DOWN, SDL_CONTROLLER_BUTTON_DPAD_DOWN,
                           SDL_CONTROLLER_BUTTON_DPAD_DOWN, SDL_CONTROLLER_BUTTON_DPAD_LEFT};
    const size_t i = static_cast<size_t>(frame / 2);
    if (i < std::size(presses)) {
      SDL_JoystickSetVirtualButton(pad, presses[i], frame % 2 == 0 ? 1 : 0);
    } else if (closedAt == -1) {
      SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_B, 1);
      closedAt = -2;
    }
  };
  const std::vector<std::string> lines =
      playertest::Play(playertest::ScrollingGame(14), std::move(scripts));
  EXPECT_EQ(lines, (std::vector<std::string>{"after closing: volume 90",
                                             "level started 12 title frames after"}));
}

}  // namespace
