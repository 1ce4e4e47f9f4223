// The mouse: motion taken once per frame and repeated within it, the
// accumulated position clamped to the screen, wheel and buttons.
#include <gtest/gtest.h>

#include "runtime/core/config.h"
#include "runtime/input/input.h"
#include "runtime/input/input_events.h"
#include "tests/input/input_test_events.h"

using namespace inputtest;

namespace {

class HiddenPointerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateInputState();
    OpenInputDevices(1);
    SetUpMouse(1);
  }
};

TEST_F(HiddenPointerTest, MotionOfAFrameRepeatsForEveryReadInTheNextFrame) {
  SetMousePosition(100, 100);
  MarkMouseFresh();
  EXPECT_EQ(MouseAxis(0), 0);

  Push(MotionEvent(0, 0, 20, -4));
  Push(MotionEvent(0, 0, 10, 0));
  MarkMouseFresh();  // the next frame
  EXPECT_EQ(MouseAxis(0), 30);
  EXPECT_EQ(MouseAxis(0), 30);
  EXPECT_EQ(MouseAxis(1), -4);
  double x = 0, y = 0, left = 0, right = 0;
  MouseState(x, y, left, right);
  EXPECT_EQ(x, 130);
  EXPECT_EQ(y, 96);
  EXPECT_EQ(MouseAxis(0), 30);

  // Motion arriving within a frame waits for the next one.
  Push(MotionEvent(0, 0, 7, 0));
  EXPECT_EQ(MouseAxis(0), 30);
  MarkMouseFresh();
  EXPECT_EQ(MouseAxis(0), 7);
  MarkMouseFresh();
  EXPECT_EQ(MouseAxis(0), 0);
}

TEST_F(HiddenPointerTest, PositionIsClampedToTheScreenAndStoredBack) {
  ASSERT_EQ(Config().ScreenWidth, 640);
  SetMousePosition(620, 470);
  Push(MotionEvent(0, 0, 30, 30));
  MarkMouseFresh();
  double x = 0, y = 0, left = 0, right = 0;
  MouseState(x, y, left, right);
  EXPECT_EQ(x, 639);
  EXPECT_EQ(y, 479);
  // Moving back starts from the clamped position, not from 650.
  Push(MotionEvent(0, 0, -5, -500));
  MarkMouseFresh();
  MouseState(x, y, left, right);
  EXPECT_EQ(x, 634);
  EXPECT_EQ(y, 0);
}

TEST_F(HiddenPointerTest, HugeMotionSaturatesInsteadOfWrapping) {
  for (int i = 0; i < 4; ++i) Push(MotionEvent(0, 0, 20000, -20000));
  MarkMouseFresh();
  EXPECT_EQ(MouseAxis(0), 32767);
  EXPECT_EQ(MouseAxis(1), -32768);
  SetMousePosition(2147483000, 0);
  Push(MotionEvent(0, 0, 30000, 0));
  MarkMouseFresh();
  MouseAxis(0);
  double x = 0, y = 0, left = 0, right = 0;
  MouseState(x, y, left, right);
  EXPECT_EQ(x, 639);
}

TEST_F(HiddenPointerTest, WheelReadsAsItsDirection) {
  Push(WheelEvent(3));
  MarkMouseFresh();
  EXPECT_EQ(MouseAxis(2), 1);
  Push(WheelEvent(-1));
  MarkMouseFresh();
  EXPECT_EQ(MouseAxis(2), -1);
  Push(WheelEvent(2, true));  // a flipped wheel reports the other way
  MarkMouseFresh();
  EXPECT_EQ(MouseAxis(2), -1);
  Push(WheelEvent(1));
  Push(WheelEvent(-1));
  MarkMouseFresh();
  EXPECT_EQ(MouseAxis(2), 0);
}

TEST_F(HiddenPointerTest, ButtonsReadThroughEveryCommand) {
  EXPECT_EQ(AnyMouseButton(), 0);
  Push(ButtonEvent(SDL_BUTTON_LEFT, true));
  EXPECT_EQ(MouseAxis(3), 1);
  EXPECT_EQ(MouseAxis(4), 0);
  EXPECT_EQ(AnyMouseButton(), 1);
  double x = 0, y = 0, left = 0, right = 0;
  MouseState(x, y, left, right);
  EXPECT_EQ(left, 1.0);
  EXPECT_EQ(right, 0.0);

  Push(ButtonEvent(SDL_BUTTON_LEFT, false));
  Push(ButtonEvent(SDL_BUTTON_RIGHT, true));
  MouseState(x, y, left, right);
  EXPECT_EQ(left, 0.0);
  EXPECT_EQ(right, 1.0);
  EXPECT_EQ(MouseAxis(4), 1);

  Push(ButtonEvent(SDL_BUTTON_RIGHT, false));
  Push(ButtonEvent(SDL_BUTTON_MIDDLE, true));
  EXPECT_EQ(MouseAxis(5), 1);
  EXPECT_EQ(AnyMouseButton(), 1);
  Push(ButtonEvent(SDL_BUTTON_MIDDLE, false));
  Push(ButtonEvent(SDL_BUTTON_X1, true));  // not one of the three
  EXPECT_EQ(AnyMouseButton(), 0);

  EXPECT_EQ(MouseAxis(6), 0);
  EXPECT_EQ(MouseAxis(-1), 0);
}

TEST_F(HiddenPointerTest, ButtonQueryTakesTheFrameMotion) {
  Push(MotionEvent(0, 0, 12, 0));
  EXPECT_EQ(AnyMouseButton(), 0);  // marks fresh and reads
  EXPECT_EQ(MouseAxis(0), 12);
  EXPECT_EQ(AnyMouseButton(), 0);  // fresh again, nothing new
  EXPECT_EQ(MouseAxis(0), 0);
}

TEST(VisiblePointerTest, MotionIsThePointersMoveAcrossTheWindow) {
  CreateInputState();
  OpenInputDevices(0);
  SetUpMouse(0);
  SetMousePosition(40, 40);
  Push(MotionEvent(100, 50, 999, 999));  // relative figures do not count
  Push(WheelEvent(1));
  MarkMouseFresh();
  EXPECT_EQ(MouseAxis(0), 60);
  EXPECT_EQ(MouseAxis(1), 10);
  EXPECT_EQ(MouseAxis(2), 0);  // no wheel without the mouse device
  double x = 0, y = 0, left = 0, right = 0;
  MouseState(x, y, left, right);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 50);
}

TEST(VisiblePointerTest, ShowingAndHidingSwitchesBetweenTheTwoKindsOfMotion) {
  CreateInputState();
  OpenInputDevices(1);
  SetUpMouse(1);
  SetMousePosition(200, 200);
  // Shown: the pointer is put where the hidden position was.
  SetPointerVisible(1);
  Push(MotionEvent(210, 190, 0, 0));
  MarkMouseFresh();
  EXPECT_EQ(MouseAxis(0), 10);
  EXPECT_EQ(MouseAxis(1), -10);
  // Hidden again: relative motion; what moved while shown is not replayed.
  Push(MotionEvent(215, 190, 5, 0));
  SetPointerVisible(0);
  Push(MotionEvent(215, 190, 3, 0));
  MarkMouseFresh();
  EXPECT_EQ(MouseAxis(0), 3);
}

}  // namespace

namespace {

// With a window: the client size bounds the position, and showing the
// pointer puts it where the hidden position was.
TEST(MouseInWindowTest, ClampFollowsTheClientSizeAndShowingMovesThePointer) {
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
  SDL_Window* window = SDL_CreateWindow("mouse", 0, 0, 320, 200, SDL_WINDOW_OPENGL);
  ASSERT_NE(window, nullptr) << SDL_GetError();
  SDL_GLContext context = SDL_GL_CreateContext(window);
  ASSERT_NE(context, nullptr) << SDL_GetError();

  CreateInputState();
  OpenInputDevices(1);
  SetUpMouse(1);
  SetMousePosition(300, 190);
  Push(MotionEvent(0, 0, 50, 50));
  MarkMouseFresh();
  double x = 0, y = 0, left = 0, right = 0;
  MouseState(x, y, left, right);
  EXPECT_EQ(x, 319);
  EXPECT_EQ(y, 199);

  SetMousePosition(123, 45);
  SetPointerVisible(1);
  int px = 0, py = 0;
  SDL_GetMouseState(&px, &py);
  EXPECT_EQ(px, 123);
  EXPECT_EQ(py, 45);
  MarkMouseFresh();
  EXPECT_EQ(MouseAxis(0), 0);  // the move to the old position is no motion
  Push(MotionEvent(130, 40, 7, -5));
  MarkMouseFresh();
  EXPECT_EQ(MouseAxis(0), 7);
  EXPECT_EQ(MouseAxis(1), -5);

  SDL_GL_DeleteContext(context);
  SDL_DestroyWindow(window);
}

}  // namespace
