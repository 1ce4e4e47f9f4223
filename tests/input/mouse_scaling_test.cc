// The mouse over a scaled window: positions and motion reach the game in
// logical pixels, a position over a black bar comes back at the picture's
// edge, and slow motion on a scaled window still adds up.
#include <gtest/gtest.h>

#include "runtime/core/display_config.h"
#include "runtime/core/window.h"
#include "runtime/input/input.h"
#include "tests/input/input_test_events.h"

using namespace inputtest;

namespace {

bool OpenWindowAtScale(int scale, int32_t hideMouse) {
  RequestedDisplay() = DisplayRequest{};
  RequestedDisplay().Scale = scale;
  if (CreateGraphicsWindow(640, 480, 0, 60, 0, 0) != 1) return false;
  CreateInputState();
  OpenInputDevices(hideMouse);
  SetUpMouse(hideMouse);
  return true;
}

struct Position {
  double X, Y;
};

// Where the game sees the pointer after it moved to a window position.
Position SeenAt(int windowX, int windowY) {
  Push(MotionEvent(windowX, windowY, 0, 0));
  MarkMouseFresh();
  double x = 0, y = 0, left = 0, right = 0;
  MouseState(x, y, left, right);
  return {x, y};
}

TEST(MouseOnAScaledWindow, PositionsAreLogicalAndClampedOverTheBars) {
  ASSERT_TRUE(OpenWindowAtScale(2, 0));
  struct Case {
    int WindowX, WindowY;
    double X, Y;
  };
  const Case windowed[] = {
      {0, 0, 0, 0},          {1, 1, 0, 0},         {2, 3, 1, 1},
      {1279, 959, 639, 479}, {640, 480, 320, 240}, {5000, -40, 639, 0},
  };
  for (const Case& c : windowed) {
    const Position p = SeenAt(c.WindowX, c.WindowY);
    EXPECT_EQ(p.X, c.X) << c.WindowX << ", " << c.WindowY;
    EXPECT_EQ(p.Y, c.Y) << c.WindowX << ", " << c.WindowY;
  }
  // Full screen on the 1024 x 768 desktop of the offscreen driver: the
  // picture at scale 1 in the middle, bars all round.
  ASSERT_EQ(ToggleFullScreen(), 1);
  PumpWindowMessages();
  const Case fullScreen[] = {
      {192, 144, 0, 0},      {831, 623, 639, 479}, {292, 194, 100, 50}, {10, 10, 0, 0},
      {1023, 767, 639, 479}, {500, 700, 308, 479}, {100, 300, 0, 156},
  };
  for (const Case& c : fullScreen) {
    const Position p = SeenAt(c.WindowX, c.WindowY);
    EXPECT_EQ(p.X, c.X) << c.WindowX << ", " << c.WindowY;
    EXPECT_EQ(p.Y, c.Y) << c.WindowX << ", " << c.WindowY;
  }
  // A click over a bar is a click all the same.
  Push(ButtonEvent(SDL_BUTTON_LEFT, true));
  EXPECT_EQ(AnyMouseButton(), 1);
}

TEST(MouseOnAScaledWindow, RelativeMotionIsInLogicalPixelsAndSlowMovesAddUp) {
  ASSERT_TRUE(OpenWindowAtScale(2, 1));
  SetMousePosition(100, 100);
  MarkMouseFresh();
  EXPECT_EQ(MouseAxis(0), 0);
  Push(MotionEvent(0, 0, 30, -8));
  MarkMouseFresh();
  EXPECT_EQ(MouseAxis(0), 15);
  EXPECT_EQ(MouseAxis(1), -4);
  // One window pixel at a time: every second one is a logical pixel.
  for (int i = 0; i < 7; ++i) Push(MotionEvent(0, 0, 1, -1));
  MarkMouseFresh();
  EXPECT_EQ(MouseAxis(0), 3);
  EXPECT_EQ(MouseAxis(1), -3);
  Push(MotionEvent(0, 0, 1, -1));
  MarkMouseFresh();
  EXPECT_EQ(MouseAxis(0), 1) << "the half pixel carried over completes one";
  EXPECT_EQ(MouseAxis(1), -1);
  double x = 0, y = 0, left = 0, right = 0;
  MouseState(x, y, left, right);
  EXPECT_EQ(x, 119);
  EXPECT_EQ(y, 92);
}

}  // namespace
