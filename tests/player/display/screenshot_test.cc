// Screenshots: the name rule, the folder made when missing, never an
// overwritten file, and the whole way from F12 to a 640 x 480 PNG while the
// window is shown at another scale, the game never seeing the key.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "player/display/display_keys.h"
#include "player/display/screenshot.h"
#include "runtime/core/display_config.h"
#include "runtime/core/frame.h"
#include "runtime/startup/startup.h"
#include "runtime/core/window.h"
#include "runtime/gfx2d/drawing.h"
#include "runtime/gfx2d/image_decode.h"
#include "runtime/gfx2d/screen_target.h"
#include "runtime/input/input.h"
#include "tests/input/input_test_events.h"
#include "tests/support/test_env.h"

namespace {

std::tm At(int year, int month, int day, int hour, int minute, int second) {
  std::tm time{};
  time.tm_year = year - 1900;
  time.tm_mon = month - 1;
  time.tm_mday = day;
  time.tm_hour = hour;
  time.tm_min = minute;
  time.tm_sec = second;
  return time;
}

std::vector<uint8_t> Gradient(int width, int height) {
  std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
  for (size_t i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<uint8_t>(i * 7 + i / 2560);
  for (size_t i = 3; i < rgba.size(); i += 4) rgba[i] = 255;
  return rgba;
}

TEST(Screenshot, NamesComeFromTheGameAndTheTime) {
  const std::tm time = At(2026, 12, 9, 8, 5, 3);
  EXPECT_EQ(ScreenshotFileName("skylane", time, 0), "skylane-20261209-080503.png");
  EXPECT_EQ(ScreenshotFileName("skylane", time, 1), "skylane-20261209-080503-1.png");
  EXPECT_EQ(ScreenshotFileName("my game", At(1999, 1, 31, 23, 59, 59), 12),
            "my game-19990131-235959-12.png");
}

TEST(Screenshot, FilesGoIntoAFolderMadeForThemAndAreNeverOverwritten) {
  const std::string pictures = testenv::MakeDir("pictures");
  const std::string folder = pictures + "/deeper/Zorax";
  const std::tm time = At(2027, 2, 3, 4, 5, 6);
  const std::vector<uint8_t> picture = Gradient(640, 480);
  std::string problem;
  const std::string first = WriteScreenshot(folder, "skylane", time, 640, 480, picture, problem);
  EXPECT_EQ(first, folder + "/skylane-20270203-040506.png") << problem;
  ImageBuffer image;
  ASSERT_TRUE(DecodeImageFile(first, kNoColourKey, image));
  EXPECT_EQ(image.Width, 640);
  EXPECT_EQ(image.Height, 480);
  EXPECT_TRUE(image.Pixels == picture);

  // The same second again, and a file of the user's under the next name.
  testenv::WriteFile(folder + "/skylane-20270203-040506-1.png", "mine");
  const std::string second = WriteScreenshot(folder, "skylane", time, 640, 480, picture, problem);
  EXPECT_EQ(second, folder + "/skylane-20270203-040506-2.png") << problem;
  EXPECT_EQ(testenv::ReadFile(folder + "/skylane-20270203-040506-1.png"), "mine");
  ASSERT_TRUE(DecodeImageFile(first, kNoColourKey, image));
  EXPECT_TRUE(image.Pixels == picture) << "the first file is untouched";
  EXPECT_EQ(
      testenv::FolderEntries(folder),
      (std::vector<std::string>{"skylane-20270203-040506-1.png", "skylane-20270203-040506-2.png",
                                "skylane-20270203-040506.png"}))
      << "nothing else is left behind";

  // A file where the folder should be: a problem, no file.
  testenv::WriteFile(pictures + "/blocked", "x");
  problem.clear();
  EXPECT_EQ(WriteScreenshot(pictures + "/blocked/Zorax", "g", time, 640, 480, picture, problem),
            "");
  EXPECT_NE(problem.find("cannot make the folder"), std::string::npos) << problem;
  problem.clear();
  EXPECT_EQ(WriteScreenshot("", "g", time, 640, 480, picture, problem), "");
  EXPECT_FALSE(problem.empty());
}

// The player's keys in a started runtime at scale 2.
class DisplayKeysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pictures_ = testenv::MakeDir("shots");
    setenv("XDG_PICTURES_DIR", pictures_.c_str(), 1);
    RequestedDisplay() = DisplayRequest{};
    RequestedDisplay().Scale = 2;
    SetScreenshotGame("keys");
    InstallDisplayKeys();
    StartRuntime("stub");
  }

  std::string pictures_;
};

TEST_F(DisplayKeysTest, F12SavesTheLogicalFrameAndTheGameNeverSeesIt) {
  ClearScreen();
  DrawRect(10, 20, 30, 40, 0x3366CC);
  SetPixel(639, 479, 0xFFFFFF);
  std::vector<uint8_t> shown;
  int32_t width = 0, height = 0;
  ASSERT_TRUE(ReadLogicalScreen(shown, width, height));

  inputtest::Push(inputtest::KeyEvent(SDL_SCANCODE_F12, true));
  EXPECT_EQ(KeyDown(88), 0) << "F12 reached the game";
  inputtest::Push(inputtest::KeyEvent(SDL_SCANCODE_F12, false));
  PresentFrame();  // the screenshot is of this frame

  const std::string folder = pictures_ + "/Zorax";
  const std::vector<std::string> files = testenv::FolderEntries(folder);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].rfind("keys-", 0), 0u) << files[0];
  ImageBuffer image;
  ASSERT_TRUE(DecodeImageFile(folder + "/" + files[0], kNoColourKey, image));
  EXPECT_EQ(image.Width, 640);
  EXPECT_EQ(image.Height, 480);
  ASSERT_EQ(image.Pixels.size(), shown.size());
  for (size_t i = 0; i < shown.size(); i += 4) {
    ASSERT_EQ(image.Pixels[i], shown[i]) << "pixel " << i / 4;
    ASSERT_EQ(image.Pixels[i + 1], shown[i + 1]) << "pixel " << i / 4;
    ASSERT_EQ(image.Pixels[i + 2], shown[i + 2]) << "pixel " << i / 4;
  }
  EXPECT_NE(testenv::ReadErrorLog().find("Screenshot written: " + folder + "/keys-"),
            std::string::npos);

  // One press, one file.
  PresentFrame();
  EXPECT_EQ(testenv::FolderEntries(folder).size(), 1u);
}

TEST_F(DisplayKeysTest, AFailedScreenshotIsLoggedAndTheGameGoesOn) {
  testenv::WriteFile(pictures_ + "/Zorax", "a file, not a folder");
  inputtest::Push(inputtest::KeyEvent(SDL_SCANCODE_F12, true));
  PresentFrame();
  PresentFrame();
  const std::string log = testenv::ReadErrorLog();
  EXPECT_NE(log.find("Screenshot not written: cannot make the folder"), std::string::npos) << log;
  EXPECT_EQ(log.find("Screenshot written"), std::string::npos);
}

TEST_F(DisplayKeysTest, AltEnterAndF11SwitchFullScreenWithoutTheGameSeeingThem) {
  ASSERT_EQ(Graphics()->IsFullScreen, 0);
  inputtest::Push(inputtest::KeyEvent(SDL_SCANCODE_RETURN, true, KMOD_LALT));
  EXPECT_EQ(KeyDown(28), 0) << "Enter reached the game";
  EXPECT_EQ(Graphics()->IsFullScreen, 1);
  // A held key repeats without switching back and forth.
  inputtest::Push(inputtest::KeyEvent(SDL_SCANCODE_RETURN, true, KMOD_LALT, 1));
  inputtest::Push(inputtest::KeyEvent(SDL_SCANCODE_RETURN, false, KMOD_LALT));
  PresentFrame();
  EXPECT_EQ(Graphics()->IsFullScreen, 1);

  inputtest::Push(inputtest::KeyEvent(SDL_SCANCODE_F11, true));
  inputtest::Push(inputtest::KeyEvent(SDL_SCANCODE_F11, false));
  PresentFrame();
  EXPECT_EQ(Graphics()->IsFullScreen, 0);
  EXPECT_EQ(KeyDown(87), 0) << "F11 reached the game";

  // Enter alone, and with Ctrl+Alt, still belong to the game.
  inputtest::Push(inputtest::KeyEvent(SDL_SCANCODE_RETURN, true));
  EXPECT_EQ(KeyDown(28), 1);
  inputtest::Push(inputtest::KeyEvent(SDL_SCANCODE_RETURN, false));
  inputtest::Push(inputtest::KeyEvent(SDL_SCANCODE_RETURN, true, KMOD_LALT | KMOD_LCTRL));
  EXPECT_EQ(KeyDown(28), 1);
  EXPECT_EQ(Graphics()->IsFullScreen, 0);
}

}  // namespace
