// The frame loop: pacing to frame slots, the timers, pausing and the waiting
// commands.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <thread>

#include "runtime/core/config.h"
#include "runtime/core/frame.h"
#include "runtime/core/system.h"
#include "runtime/core/window.h"
#include "runtime/input/input.h"
#include "tests/support/program_end_checks.h"
#include "tests/gfx2d/gl_test_util.h"

namespace {

TEST(Frame, FramesLandOnSlotsAndMissedSlotsAreSkipped) {
  ASSERT_TRUE(gltest::OpenWindow());
  OpenGLZidaruva& gfx = *Graphics();
  const double interval = gfx.FrameInterval;
  PresentFrame();
  for (int i = 0; i < 5; ++i) {
    const double slot = gfx.NextFrameTime;
    PresentFrame();
    const double woke = NowMs();
    EXPECT_GT(woke, slot) << "not before its slot";
    // A busy machine may wake the wait past the following slot too; then
    // that one is skipped, which the 40 ms step below checks.
    if (woke < slot + interval) {
      EXPECT_DOUBLE_EQ(gfx.NextFrameTime, slot + interval) << "on time: the very next slot";
    }
  }
  // A 40 ms game step: the next slot is the first after the swap, the two
  // missed ones are not caught up.
  const double slot = gfx.NextFrameTime;
  SleepMs(40);
  PresentFrame();
  const double now = NowMs();
  const double steps = (gfx.NextFrameTime - slot) / interval;
  EXPECT_NEAR(steps, std::round(steps), 1e-6) << "still on the grid of slots";
  EXPECT_GE(std::round(steps), 2.0);
  EXPECT_GT(gfx.NextFrameTime, now) << "no slot in the past is waited for";
  EXPECT_LE(gfx.NextFrameTime - now, interval + 0.5);
}

TEST(Frame, TimersAndSleeping) {
  EXPECT_EQ(FrameDuration(), 1.0) << "before two frames";
  ResetFrameTiming();
  EXPECT_LT(ElapsedMs(), 50.0);
  ASSERT_TRUE(gltest::OpenWindow());
  // The first slot is the window's creation: the first frames may come
  // early, the fourth starts one full interval after the third.
  for (int i = 0; i < 4; ++i) PresentFrame();
  EXPECT_GT(FrameDuration(), 10.0);
  EXPECT_LT(FrameDuration(), 40.0);
  // SleepMs truncates: 2.9 sleeps 2 ms (the fastest of a few tries, so that
  // a busy machine does not blur the difference).
  double fastest = 1e9;
  for (int i = 0; i < 5; ++i) {
    const double start = NowMs();
    SleepMs(2.9);
    fastest = std::min(fastest, NowMs() - start);
  }
  EXPECT_GE(fastest, 2.0);
  EXPECT_LT(fastest, 2.75);
  const double start = NowMs();
  SleepMs(0.9);
  SleepMs(-5);
  EXPECT_LT(NowMs() - start, 0.9);
}

TEST(Frame, ZeroFrameRatePacesAtTwoMilliseconds) {
  ASSERT_EQ(CreateGraphicsWindow(640, 480, 0, 0, 0, 0), 1);
  EXPECT_EQ(Graphics()->FrameInterval, 2.0);
  // The first frame lands late (its slot is the window's creation) and the
  // next slot may then pass during that frame's own work after the wait:
  // the second frame is the first that waits for a slot of its own.
  PresentFrame();
  PresentFrame();
  const double start = NowMs();
  for (int i = 0; i < 20; ++i) PresentFrame();
  EXPECT_GE(NowMs() - start, 38.0);
}

TEST(Frame, PresentResetsTheViewAndClearsTheNextFrame) {
  ASSERT_TRUE(gltest::OpenWindow());
  SetView2D(10, 10, 20, 20);
  SetAlphaMode(-0.25);
  SetSmoothing(0);
  DrawRect(0, 0, 5, 5, 0xFFFFFF);
  PresentFrame();
  EXPECT_EQ(Graphics()->ViewWidth, 640);
  EXPECT_EQ(AlphaValue(), 1.0);
  EXPECT_EQ(Sprites().Smoothing, 1);
  EXPECT_EQ(gltest::ReadPixel(12, 12), (gltest::Rgba{0, 0, 0, 255}));
}

TEST(Frame, PausedPresentWaitsForTheFocus) {
  ASSERT_TRUE(gltest::OpenWindow());
  Flags().PauseWhenInactive = 1;
  SetWindowTitle("stub");
  SDL_Event lost{};
  lost.type = SDL_WINDOWEVENT;
  lost.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
  SDL_PushEvent(&lost);
  PumpWindowMessages();
  ASSERT_EQ(Flags().Paused, 1);
  std::thread later([] {
    SleepWholeMs(300);
    SDL_Event gained{};
    gained.type = SDL_WINDOWEVENT;
    gained.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
    SDL_PushEvent(&gained);
  });
  const double start = NowMs();
  PresentFrame();
  const double waited = NowMs() - start;
  later.join();
  EXPECT_GE(waited, 250.0);
  EXPECT_EQ(Flags().Paused, 0);
}

TEST(Frame, WaitForInputGivesUpAfterFifteenPasses) {
  ASSERT_TRUE(gltest::OpenWindow());
  const double start = NowMs();
  WaitForInput();
  const double waited = NowMs() - start;
  EXPECT_GE(waited, 70.0);
  EXPECT_LT(waited, 2000.0);
}

// Escape and Alt+F4 come through the input state; until it reads injected
// key events these tests have nothing to press and say so.
bool InputSeesInjectedKeys() {
  SDL_Event key{};
  key.type = SDL_KEYDOWN;
  key.key.keysym.scancode = SDL_SCANCODE_Z;
  SDL_PushEvent(&key);
  PumpWindowMessages();
  ReadKeyboard();
  const bool seen = KeyDown(44) != 0;
  key.type = SDL_KEYUP;
  SDL_PushEvent(&key);
  PumpWindowMessages();
  ReadKeyboard();
  return seen;
}

void PressKey(SDL_Scancode code) {
  SDL_Event key{};
  key.type = SDL_KEYDOWN;
  key.key.keysym.scancode = code;
  SDL_PushEvent(&key);
}

TEST(Frame, QuitKeys) {
  ASSERT_TRUE(gltest::OpenWindow());
  CreateInputState();
  OpenInputDevices(0);
  if (!InputSeesInjectedKeys()) GTEST_SKIP() << "the input state does not read injected keys yet";
  EXPECT_PROGRAM_END_MATCHING(
      {
        PressKey(SDL_SCANCODE_ESCAPE);
        PresentFrame();
        std::exit(3);
      },
      "");
  SetEscapeEnds(0);
  PressKey(SDL_SCANCODE_ESCAPE);
  PresentFrame();
  EXPECT_EQ(KeyDown(1), 1) << "Escape reaches the game as a key";
  EXPECT_PROGRAM_END_MATCHING(
      {
        PressKey(SDL_SCANCODE_LALT);
        PressKey(SDL_SCANCODE_F4);
        PresentFrame();
        std::exit(3);
      },
      "");
}

}  // namespace
