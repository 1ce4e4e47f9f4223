// The mouse: an accumulated position, relative motion taken once per frame,
// the wheel and three buttons. With the pointer hidden the motion is SDL's
// relative motion (the pointer is captured); with it shown, the motion is the
// pointer's move across the window. Positions and motion are in logical
// pixels: the window may show the screen scaled, between black bars.
#include <algorithm>
#include <limits>

#include <cmath>

#include "runtime/core/present_layout.h"
#include "runtime/core/program_end.h"
#include "runtime/input/input.h"
#include "runtime/input/input_state.h"

namespace {

// The window the mouse belongs to. Looked up on each use, because a switch
// between windowed and full-screen mode may rebuild the window.
SDL_Window* BoundWindow() {
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return nullptr;
  if (SDL_Window* window = SDL_GL_GetCurrentWindow()) return window;
  if (SDL_Window* window = SDL_GetKeyboardFocus()) return window;
  return SDL_GetMouseFocus();
}

// Exclusive sharing is SDL's relative mode: the pointer is hidden and held
// in the window, and motion keeps coming at the screen's edges.
bool ApplyMouseSharing() {
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return false;
  const SDL_bool relative = Input().MouseSharing == kMouseExclusive ? SDL_TRUE : SDL_FALSE;
  return SDL_SetRelativeMouseMode(relative) == 0;
}

void ShowPointer(bool show) {
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return;
  SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

void MovePointerTo(int32_t x, int32_t y) {
  InputState& state = Input();
  if (SDL_Window* window = BoundWindow()) {
    int32_t windowX = 0;
    int32_t windowY = 0;
    LogicalToWindow(CurrentPresentLayout(), x, y, windowX, windowY);
    SDL_WarpMouseInWindow(window, windowX, windowY);
  }
  // The warp's own motion event may come later; the pointer is there now.
  state.PointerX = x;
  state.PointerY = y;
}

void PointerPositionInWindow(int32_t& x, int32_t& y) {
  int px = 0;
  int py = 0;
  if (SDL_Window* window = BoundWindow()) {
    int wx = 0;
    int wy = 0;
    SDL_GetGlobalMouseState(&px, &py);
    SDL_GetWindowPosition(window, &wx, &wy);
    px -= wx;
    py -= wy;
  } else if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
    SDL_GetMouseState(&px, &py);
  }
  WindowToLogical(CurrentPresentLayout(), px, py, x, y);
}

int32_t SaturatingAdd(int32_t a, int64_t b) {
  const int64_t sum = static_cast<int64_t>(a) + b;
  return static_cast<int32_t>(std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

int16_t ToWord(int64_t value) {
  return static_cast<int16_t>(std::clamp<int64_t>(value, std::numeric_limits<int16_t>::min(),
                                                  std::numeric_limits<int16_t>::max()));
}

int16_t Sign(int64_t value) {
  return value > 0 ? 1 : (value < 0 ? -1 : 0);
}

// Whole logical pixels of a motion; the fraction is carried to the next event,
// so that slow moves on a scaled window still add up.
int64_t WholeMotion(double motion, double& carry) {
  const double total = motion + carry;
  const double whole = std::trunc(total);
  carry = total - whole;
  return static_cast<int64_t>(whole);
}

// The size positions are clamped to: the logical screen the window shows
// (a position over a black bar comes back at the picture's edge), or, in a
// window the runtime did not make, that window's size.
void ScreenSize(int32_t& width, int32_t& height) {
  const PresentLayout& layout = CurrentPresentLayout();
  width = layout.LogicalWidth;
  height = layout.LogicalHeight;
  if (layout.WindowShown) return;
  if (SDL_Window* window = BoundWindow()) {
    int w = 0;
    int h = 0;
    SDL_GetWindowSize(window, &w, &h);
    if (w > 0 && h > 0) {
      width = w;
      height = h;
    }
  }
}

}  // namespace

void MouseHandleEvent(const SDL_Event& event) {
  InputState& state = Input();
  switch (event.type) {
    case SDL_MOUSEMOTION: {
      const PresentLayout& layout = CurrentPresentLayout();
      double across = 1.0;
      double down = 1.0;
      MotionScale(layout, across, down);
      state.PendingDX += WholeMotion(event.motion.xrel * across, state.MotionCarryX);
      state.PendingDY += WholeMotion(event.motion.yrel * down, state.MotionCarryY);
      WindowToLogical(layout, event.motion.x, event.motion.y, state.PointerX, state.PointerY);
      return;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      int slot = -1;
      if (event.button.button == SDL_BUTTON_LEFT) slot = 0;
      if (event.button.button == SDL_BUTTON_RIGHT) slot = 1;
      if (event.button.button == SDL_BUTTON_MIDDLE) slot = 2;
      if (slot < 0) return;
      state.MouseButtons[slot] = event.type == SDL_MOUSEBUTTONDOWN ? 0x80 : 0;
      return;
    }
    case SDL_MOUSEWHEEL: {
      int64_t steps = event.wheel.y;
      if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) steps = -steps;
      state.PendingWheel += steps;
      return;
    }
    default:
      return;
  }
}

void OpenMouse(int32_t hideMouse) {
  InputState& state = Input();
  PointerPositionInWindow(state.MouseX, state.MouseY);
  state.PointerX = state.MouseX;
  state.PointerY = state.MouseY;
  if (hideMouse == 0) {
    state.MouseDevice = false;
    ShowPointer(true);
    state.PointerVisible = 1;
    return;
  }
  state.MouseDevice = state.DirectInput;
  state.MouseSharing = kMouseExclusive;
  if (!state.MouseDevice || !ApplyMouseSharing()) AppendErrorLog("No DX_Mouse");
  state.PointerVisible = 0;
}

void ReleaseMouse() {
  InputState& state = Input();
  if (state.MouseDevice && SDL_WasInit(SDL_INIT_VIDEO) != 0) {
    SDL_SetRelativeMouseMode(SDL_FALSE);
    SDL_ShowCursor(SDL_ENABLE);
  }
  state.MouseDevice = false;
}

void SetUpMouse(int32_t hideMouse) {
  InputState& state = Input();
  if (state.MouseDevice) {
    state.MouseSharing = hideMouse != 0 ? kMouseExclusive : kMouseShared;
    ApplyMouseSharing();
  }
  if (hideMouse != 0) {
    ShowPointer(false);
    state.PointerVisible = 0;
    return;
  }
  if (state.PointerVisible == 0) {
    MovePointerTo(state.MouseX, state.MouseY);
    ShowPointer(true);
  }
  state.PointerVisible = 1;
}

MouseReading ReadMouse() {
  PollInputEvents();
  InputState& state = Input();
  MouseReading reading;
  for (size_t i = 0; i < reading.Buttons.size(); ++i) reading.Buttons[i] = state.MouseButtons[i];

  if (state.MouseFresh != 0) {
    state.MouseFresh = 0;
    int64_t dx = 0;
    int64_t dy = 0;
    int16_t wheel = Sign(state.PendingWheel);
    if (state.PointerVisible == 0) {
      dx = state.PendingDX;
      dy = state.PendingDY;
      state.MouseX = SaturatingAdd(state.MouseX, dx);
      state.MouseY = SaturatingAdd(state.MouseY, dy);
    } else {
      dx = static_cast<int64_t>(state.PointerX) - state.MouseX;
      dy = static_cast<int64_t>(state.PointerY) - state.MouseY;
      state.MouseX = state.PointerX;
      state.MouseY = state.PointerY;
      if (!state.MouseDevice) wheel = 0;
    }
    state.PendingDX = 0;
    state.PendingDY = 0;
    state.PendingWheel = 0;
    state.LastDX = ToWord(dx);
    state.LastDY = ToWord(dy);
    state.LastWheel = wheel;
  }
  reading.DX = state.LastDX;
  reading.DY = state.LastDY;
  reading.Wheel = state.LastWheel;
  return reading;
}

void MarkMouseFresh() {
  Input().MouseFresh = 1;
}

void MouseState(double& x, double& y, double& left, double& right) {
  const MouseReading reading = ReadMouse();
  InputState& state = Input();
  int32_t width = 0;
  int32_t height = 0;
  ScreenSize(width, height);
  state.MouseX = std::clamp(state.MouseX, 0, std::max(width - 1, 0));
  state.MouseY = std::clamp(state.MouseY, 0, std::max(height - 1, 0));
  x = state.MouseX;
  y = state.MouseY;
  left = reading.Buttons[0] != 0 ? 1.0 : 0.0;
  right = reading.Buttons[1] != 0 ? 1.0 : 0.0;
}

int32_t MouseAxis(int32_t n) {
  if (n < 0 || n > 5) return 0;
  const MouseReading reading = ReadMouse();
  switch (n) {
    case 0:
      return reading.DX;
    case 1:
      return reading.DY;
    case 2:
      return reading.Wheel;
    case 3:
      return reading.Buttons[0] != 0 ? 1 : 0;
    case 4:
      return reading.Buttons[1] != 0 ? 1 : 0;
    default:
      return reading.Buttons[2] != 0 ? 1 : 0;
  }
}

int32_t AnyMouseButton() {
  MarkMouseFresh();
  const MouseReading reading = ReadMouse();
  for (int16_t button : reading.Buttons) {
    if (button != 0) return 1;
  }
  return 0;
}

void SetPointerVisible(double flag) {
  // Motion still queued happened under the old mode.
  PollInputEvents();
  InputState& state = Input();
  const bool visible = flag != 0;
  if (state.MouseDevice) {
    state.MouseSharing = visible ? kMouseShared : kMouseExclusive;
    ApplyMouseSharing();
  }
  if (visible) {
    if (state.PointerVisible == 0) MovePointerTo(state.MouseX, state.MouseY);
    ShowPointer(true);
  } else {
    ShowPointer(false);
  }
  // Motion gathered under the old mode means something else under the new one.
  if ((state.PointerVisible != 0) != visible) {
    state.PendingDX = 0;
    state.PendingDY = 0;
    state.MotionCarryX = 0;
    state.MotionCarryY = 0;
  }
  state.PointerVisible = visible ? 1 : 0;
}

void SetMousePosition(int32_t x, int32_t y) {
  Input().MouseX = x;
  Input().MouseY = y;
}
