// Key states by set-1 scan code, fed by keyboard events.
#include <gtest/gtest.h>

#include <cstdlib>

#include "runtime/core/program_end.h"
#include "runtime/input/input.h"
#include "runtime/input/input_events.h"
#include "runtime/input/scan_codes.h"
#include "tests/input/input_test_events.h"
#include "tests/support/test_env.h"

using namespace inputtest;

namespace {

class KeyboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateInputState();
    OpenInputDevices(1);
  }
};

TEST_F(KeyboardTest, InjectedKeysReadDownBySet1Code) {
  PushKey(SDL_SCANCODE_ESCAPE, true);
  PushKey(SDL_SCANCODE_LCTRL, true);
  PushKey(SDL_SCANCODE_RCTRL, true);
  PushKey(SDL_SCANCODE_UP, true);
  PushKey(SDL_SCANCODE_LEFT, true);
  PushKey(SDL_SCANCODE_RIGHT, true);
  PushKey(SDL_SCANCODE_DOWN, true);
  PushKey(SDL_SCANCODE_W, true);

  for (int code : {1, 29, 157, 200, 203, 205, 208, 17}) EXPECT_EQ(KeyDown(code), 1) << code;
  for (int code : {0, 56, 62, 42, 30, 199, 255}) EXPECT_EQ(KeyDown(code), 0) << code;

  // Releasing one Ctrl leaves the other down.
  PushKey(SDL_SCANCODE_RCTRL, false);
  EXPECT_EQ(KeyDown(157), 0);
  EXPECT_EQ(KeyDown(29), 1);
}

TEST_F(KeyboardTest, ReadKeyboardAloneBringsTheStateUpToDate) {
  PushKey(SDL_SCANCODE_LALT, true);
  PushKey(SDL_SCANCODE_F4, true);
  ReadKeyboard();
  // Nothing is left on the queue for the window's pump.
  EXPECT_EQ(SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_KEYDOWN, SDL_KEYUP), 0);
  EXPECT_EQ(KeyDown(56), 1);
  EXPECT_EQ(KeyDown(62), 1);
}

TEST_F(KeyboardTest, EventsFromTheWindowPumpCountLikeQueuedOnes) {
  InputHandleEvent(KeyEvent(SDL_SCANCODE_SPACE, true));
  EXPECT_EQ(KeyDown(57), 1);
  InputHandleEvent(KeyEvent(SDL_SCANCODE_SPACE, false));
  EXPECT_EQ(KeyDown(57), 0);
}

TEST_F(KeyboardTest, HeldAndRepeatingKeysStayDownUntilReleased) {
  PushKey(SDL_SCANCODE_A, true);
  EXPECT_EQ(KeyDown(30), 1);
  Push(KeyEvent(SDL_SCANCODE_A, true, 0, 1));
  EXPECT_EQ(KeyDown(30), 1);
  EXPECT_EQ(KeyDown(30), 1);  // no new event: still down
  PushKey(SDL_SCANCODE_A, false);
  EXPECT_EQ(KeyDown(30), 0);

  // A key held since before the devices opened first shows up as a repeat.
  Push(KeyEvent(SDL_SCANCODE_D, true, 0, 1));
  EXPECT_EQ(KeyDown(32), 1);
}

TEST_F(KeyboardTest, PressAndReleaseBetweenReadsLeavesTheKeyUp) {
  PushKey(SDL_SCANCODE_S, true);
  PushKey(SDL_SCANCODE_S, false);
  EXPECT_EQ(KeyDown(31), 0);
}

TEST_F(KeyboardTest, CodesOutsideTheTableAndUnknownKeysReadUp) {
  PushKey(SDL_SCANCODE_KP_HEXADECIMAL, true);  // a key without a set-1 code
  PushKey(SDL_SCANCODE_UNKNOWN, true);
  EXPECT_EQ(KeyDown(-1), 0);
  EXPECT_EQ(KeyDown(256), 0);
  EXPECT_EQ(KeyDown(1 << 20), 0);
  for (int code = 0; code < 256; ++code) ASSERT_EQ(KeyDown(code), 0) << code;
}

TEST(ScanCodeTable, KeysTheRuntimeAndGamesNameHaveTheirSet1Codes) {
  // Keys by position (Y at 21, Z at 44 under any layout), the frame loop's
  // quit keys and the extended keys at 128 + their code.
  const std::pair<SDL_Scancode, int> expected[] = {
      {SDL_SCANCODE_ESCAPE, 1},   {SDL_SCANCODE_Y, 21},         {SDL_SCANCODE_Z, 44},
      {SDL_SCANCODE_LCTRL, 29},   {SDL_SCANCODE_LALT, 56},      {SDL_SCANCODE_F4, 62},
      {SDL_SCANCODE_F11, 87},     {SDL_SCANCODE_RCTRL, 157},    {SDL_SCANCODE_RALT, 184},
      {SDL_SCANCODE_UP, 200},     {SDL_SCANCODE_LEFT, 203},     {SDL_SCANCODE_RIGHT, 205},
      {SDL_SCANCODE_DOWN, 208},   {SDL_SCANCODE_HOME, 199},     {SDL_SCANCODE_PAGEUP, 201},
      {SDL_SCANCODE_END, 207},    {SDL_SCANCODE_PAGEDOWN, 209}, {SDL_SCANCODE_INSERT, 210},
      {SDL_SCANCODE_DELETE, 211}, {SDL_SCANCODE_KP_ENTER, 156}, {SDL_SCANCODE_KP_DIVIDE, 181},
      {SDL_SCANCODE_LGUI, 219},   {SDL_SCANCODE_RGUI, 220},     {SDL_SCANCODE_APPLICATION, 221}};
  for (const auto& [key, code] : expected) EXPECT_EQ(Set1FromScancode(key), code) << key;
}

TEST(ScanCodeTable, EveryCodeLeadsBackToAKeyWithThatCode) {
  int mapped = 0;
  for (int code = 0; code < 256; ++code) {
    const SDL_Scancode key = ScancodeFromSet1(code);
    if (key == SDL_SCANCODE_UNKNOWN) continue;
    ++mapped;
    EXPECT_EQ(Set1FromScancode(key), code) << code;
  }
  // The 104/105 keys of a standard keyboard and more.
  EXPECT_GE(mapped, 105);
  EXPECT_EQ(ScancodeFromSet1(0), SDL_SCANCODE_UNKNOWN);
  EXPECT_EQ(ScancodeFromSet1(-5), SDL_SCANCODE_UNKNOWN);
  EXPECT_EQ(ScancodeFromSet1(300), SDL_SCANCODE_UNKNOWN);
  EXPECT_EQ(Set1FromScancode(static_cast<SDL_Scancode>(SDL_NUM_SCANCODES + 3)), 0);
}

TEST(InputDevices, HiddenPointerWithoutAMouseToCaptureLogsNoMouse) {
  // No video, so relative motion cannot be set up: the mouse is missing.
  CreateInputState();
  OpenInputDevices(1);
  const std::string log = testenv::ReadErrorLog();
  EXPECT_NE(log.find("No DX_Mouse\r\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("No DX_Input"), std::string::npos) << log;
  EXPECT_EQ(log.find("No DX_KB"), std::string::npos) << log;
}

TEST(InputDevices, VisiblePointerNeedsNoMouseDevice) {
  CreateInputState();
  OpenInputDevices(0);
  EXPECT_EQ(testenv::ReadErrorLog(), "");
}

// Exits with 0 only when the end path left no input layer and no key state.
void ExitWithReleaseVerdict() {
  const bool released = SDL_WasInit(SDL_INIT_EVENTS) == 0 && KeyDown(30) == 0;
  std::_Exit(released ? 0 : 3);
}

TEST(InputDevices, ProgramEndReleasesTheDevices) {
  CreateInputState();
  OpenInputDevices(1);
  PushKey(SDL_SCANCODE_A, true);
  EXPECT_EQ(KeyDown(30), 1);
  SetProgramExitHandler(ExitWithReleaseVerdict);
  EXPECT_EXIT(EndProgramNormally(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
