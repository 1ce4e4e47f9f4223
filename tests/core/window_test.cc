// The window: its log lines, display modes, focus pausing, close requests,
// and the start-up stages that open it.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "runtime/core/config.h"
#include "runtime/core/program_end.h"
#include "runtime/startup/startup.h"
#include "runtime/core/window.h"
#include "runtime/gfx2d/sprite_store.h"
#include "tests/support/program_end_checks.h"
#include "tests/gfx2d/gl_test_util.h"
#include "tests/support/test_env.h"

namespace {

void PushWindowEvent(Uint8 what) {
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.event = what;
  event.window.windowID = SDL_GetWindowID(Graphics()->Window);
  SDL_PushEvent(&event);
}

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(Window, CreationLogsTheRenderTargetEntryPoints) {
  ASSERT_TRUE(gltest::OpenWindow());
  const std::string log = testenv::ReadErrorLog();
  const char* names[] = {"glBindRenderbufferEXT",     "glDeleteRenderbuffersEXT",
                         "glGenRenderbuffersEXT",     "glRenderbufferStorageEXT",
                         "glBindFramebufferEXT",      "glDeleteFramebuffersEXT",
                         "glGenFramebuffersEXT",      "glCheckFramebufferStatusEXT",
                         "glFramebufferTexture2DEXT", "glFramebufferRenderbufferEXT"};
  size_t at = 0;
  for (const char* name : names) {
    char line[96];
    std::snprintf(line, sizeof line, "ext: %-35s   [  OK]\r\n", name);
    const size_t found = log.find(line, at);
    ASSERT_NE(found, std::string::npos) << line;
    at = found;
  }
  EXPECT_EQ(Count(log, "ext: "), 10u);
  // Mesa's software rasteriser is named once, however often a window is made.
  ASSERT_TRUE(gltest::OpenWindow());
  EXPECT_EQ(Count(testenv::ReadErrorLog(), "OpenGL Software Emulation\r\n"), 1u);
  int w = 0, h = 0;
  SDL_GL_GetDrawableSize(Graphics()->Window, &w, &h);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  EXPECT_EQ(Graphics()->FrameInterval, 1000.0 / 60.0);
  EXPECT_EQ(FrameIntervalFor(0), 2.0);
  EXPECT_EQ(FrameIntervalFor(-5), 2.0);
}

TEST(Window, FullScreenFallsBackToAWindowAndKeepsThePace) {
  ASSERT_TRUE(gltest::OpenWindow());
  // A display that refuses full screen.
  SetFullScreenAllowed(false);
  EXPECT_EQ(EnterFullScreenMode(), 0);
  EXPECT_EQ(Graphics()->IsFullScreen, 0);
  EXPECT_EQ(Count(testenv::ReadErrorLog(), "No Fullscreen Mode available\r\n"), 1u);
  SetPixel(1, 1, 0xFFFFFF);
  EXPECT_EQ(gltest::ReadPixel(1, 1).R, 255) << "the window still draws";

  EXPECT_EQ(Graphics()->FrameInterval, 1000.0 / 60.0) << "the pace is kept";
  EXPECT_EQ(EnterWindowedMode(), 1);
  EXPECT_EQ(Graphics()->IsFullScreen, 0);
  EXPECT_EQ(HideGraphicsWindow(), 1);
  EXPECT_NE(SDL_GetWindowFlags(Graphics()->Window) & SDL_WINDOW_HIDDEN, 0u);
}

TEST(Window, LosingTheFocusPausesWithACaption) {
  ASSERT_TRUE(gltest::OpenWindow());
  Flags().PauseWhenInactive = 1;
  SetWindowTitle("stub");
  PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
  PumpWindowMessages();
  EXPECT_EQ(Flags().Paused, 1);
  EXPECT_STREQ(SDL_GetWindowTitle(Graphics()->Window), "stub <pause>");
  PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
  PumpWindowMessages();
  EXPECT_EQ(Flags().Paused, 0);
  EXPECT_STREQ(SDL_GetWindowTitle(Graphics()->Window), "stub");
  EXPECT_STREQ(WindowTitle().CStr(), "stub");
  // Debug mode never pauses.
  Config().DebugMode = 1;
  PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
  PumpWindowMessages();
  EXPECT_EQ(Flags().Paused, 0);
}

TEST(Window, CloseRequestsEndTheProgram) {
  EXPECT_PROGRAM_END_MATCHING(
      {
        gltest::OpenWindow();
        PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
        PumpWindowMessages();
        std::exit(3);  // not reached
      },
      "");
  EXPECT_PROGRAM_END_MATCHING(
      {
        gltest::OpenWindow();
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
        PumpWindowMessages();
        std::exit(3);
      },
      "");
}

TEST(Window, NoDisplayIsSaidAndEndsStartUp) {
  unsetenv("SDL_VIDEODRIVER");
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  EXPECT_EQ(CreateGraphicsWindow(640, 480, 0, 60, 0, 0), 0);
  EXPECT_EQ(Graphics(), nullptr);
  EXPECT_NE(testenv::ReadErrorLog().find("No display found\r\n"), std::string::npos);
  EXPECT_PROGRAM_END_MATCHING(StartRuntime("stub"), "No display found");
  const std::string log = testenv::ReadErrorLog();
  EXPECT_EQ(log.rfind("Init GFX\r\nNo display found\r\n", 0), 0u) << log;
  EXPECT_EQ(log.find("Init Input"), std::string::npos);
}

TEST(Window, StartUpOpensTheWindowAndShowsLoading) {
  EXPECT_PROGRAM_END_MATCHING(
      {
        StartRuntime("stub");
        if (SpriteSlot(kFirstFontSlot).Width != 128) std::exit(4);  // built-in font stands in
        if (std::string(SDL_GetWindowTitle(Graphics()->Window)) != "stub") std::exit(5);
        EndProgramNormally();
      },
      "");
  const std::string log = testenv::ReadErrorLog();
  size_t at = 0;
  for (const char* stage : {"Init GFX\r\n", "ext: glBindRenderbufferEXT", "Init Input\r\n",
                            "Init Sound\r\n", "Init Network\r\n", "Init Window\r\n",
                            "Init Finalized\r\n"}) {
    const size_t found = log.find(stage, at);
    ASSERT_NE(found, std::string::npos) << stage << " in\n" << log;
    at = found;
  }
}

}  // namespace
