// The video and screenshot settings in the window: the command line counts
// for the run and the settings fill in the rest, a change from the options
// screen reaches the open window at once, and screenshots go where
// [paths] screenshots says.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "player/display/screenshot.h"
#include "player/settings/settings_store.h"
#include "runtime/core/display_config.h"
#include "runtime/startup/startup.h"
#include "runtime/core/window.h"
#include "tests/support/test_env.h"

namespace {

std::string SettingsIn(const std::string& name, const std::string& text) {
  const std::string folder = testenv::MakeDir(name);
  testenv::WriteFile(folder + "/settings.ini", text);
  return folder;
}

TEST(SettingsDisplay, TheCommandLineCountsForTheRunAndTheFileFillsTheRest) {
  const std::string folder = SettingsIn(
      "merge", "[video]\nscale = 3\nfullscreen = 1\nscale-mode = fit\nfilter = linear\n");
  LoadPlayerSettings(folder);
  DisplayRequest request;
  request.Scale = 2;
  request.FullScreen = false;  // --scale 2 --window
  MergeDisplayRequest(request);
  EXPECT_EQ(request.Scale, 2);
  EXPECT_EQ(request.FullScreen, false);
  EXPECT_EQ(request.Mode, ScaleMode::kFit);
  EXPECT_EQ(request.Filter, ScaleFilter::kLinear);
  // The options screen shows what this run uses...
  EXPECT_EQ(RunSettings().Video.Scale, 2);
  EXPECT_FALSE(RunSettings().Video.FullScreen);
  // ...and a change made there saves that change only.
  PlayerSettings changed = RunSettings();
  changed.Audio.Mute = true;
  ASSERT_TRUE(ChangeRunSettings(changed));
  EXPECT_EQ(testenv::ReadFile(folder + "/settings.ini"),
            "[video]\r\nscale=3\r\nfullscreen=1\r\nscale-mode=fit\r\nfilter=linear\r\n"
            "[audio]\r\nmute=1\r\n");

  // Without a command line and with "auto", the window picks its own size.
  LoadPlayerSettings(SettingsIn("auto", "[video]\nscale = auto\n"));
  DisplayRequest none;
  MergeDisplayRequest(none);
  EXPECT_FALSE(none.Scale.has_value());
  EXPECT_EQ(none.FullScreen, false);
  EXPECT_EQ(none.Mode, ScaleMode::kInteger);
  EXPECT_EQ(none.Filter, ScaleFilter::kNearest);
}

TEST(SettingsDisplay, ChangesReachTheOpenWindowAtOnce) {
  const std::string home = testenv::MakeDir("home");
  setenv("HOME", home.c_str(), 1);
  const std::string folder = SettingsIn("live", "[paths]\nscreenshots = ~/shots\n");
  LoadPlayerSettings(folder);
  RequestedDisplay() = DisplayRequest{};
  RequestedDisplay().Scale = 1;
  MergeDisplayRequest(RequestedDisplay());
  StartRuntime("stub");
  OpenGLZidaruva& gfx = *Graphics();
  ASSERT_EQ(gfx.WindowedWidth, 640);

  PlayerSettings changed = RunSettings();
  changed.Video.Filter = "linear";
  changed.Video.ScaleMode = "stretch";
  changed.Video.Scale = 2;
  changed.Video.FullScreen = true;
  ASSERT_TRUE(ChangeRunSettings(changed));
  EXPECT_EQ(gfx.Display.Filter, ScaleFilter::kLinear);
  EXPECT_EQ(gfx.Display.Mode, ScaleMode::kStretch);
  EXPECT_EQ(gfx.IsFullScreen, 1);
  EXPECT_EQ(gfx.WindowedWidth, 1280);  // the window's size out of full screen
  EXPECT_EQ(gfx.WindowedHeight, 960);

  changed.Video.FullScreen = false;
  ASSERT_TRUE(ChangeRunSettings(changed));
  EXPECT_EQ(gfx.IsFullScreen, 0);
  int width = 0, height = 0;
  SDL_GetWindowSize(gfx.Window, &width, &height);
  EXPECT_EQ(width, 1280);
  EXPECT_EQ(height, 960);

  // Screenshots go to the folder the settings name.
  ASSERT_TRUE(TakeScreenshot("shot"));
  ASSERT_TRUE(std::filesystem::is_directory(home + "/shots"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home + "/shots"),
                          std::filesystem::directory_iterator{}),
            1);
  EXPECT_EQ(testenv::ReadFile(folder + "/settings.ini"),
            "[paths]\r\nscreenshots=~/shots\r\n"
            "[video]\r\nscale=2\r\nfullscreen=0\r\nscale-mode=stretch\r\nfilter=linear\r\n");
}

}  // namespace
