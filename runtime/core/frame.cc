// PresentFrame and its pacing. The picture is shown as soon as the game hands
// it over; the wait for the next slot comes after the swap, as one precise
// sleep followed by a short polled stretch in which window messages are
// still handled, so frames land on their slots without burning a core.
#include "runtime/core/frame.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

#include "runtime/core/config.h"
#include "runtime/core/host_hooks.h"
#include "runtime/core/program_end.h"
#include "runtime/core/system.h"
#include "runtime/core/window.h"
#include "runtime/input/input.h"
#include "runtime/sound/device_loss.h"
#include "runtime/sound/music.h"

namespace {

bool QuitKeysDown() {
  if (Timing().EscapeEnds != 0 && (KeyDown(129) != 0 || KeyDown(1) != 0)) return true;
  return false;
}

void ReadClampedMouse(double& x, double& y, double& left, double& right) {
  MouseState(x, y, left, right);
  const RuntimeConfig& config = Config();
  x = std::clamp(x, 0.0, static_cast<double>(config.ScreenWidth - 1));
  y = std::clamp(y, 0.0, static_cast<double>(config.ScreenHeight - 1));
}

bool JoystickActive() {
  for (int32_t j = JoystickCountQuery() - 1; j >= 0; --j) {
    for (int32_t b = 0; b < 32; ++b) {
      if (JoyButton(j, b) != 0) return true;
    }
    if (std::fabs(JoyAxisX(j)) > 0.1 || std::fabs(JoyAxisY(j)) > 0.1 ||
        std::fabs(JoyAxisZ(j)) > 0.1) {
      return true;
    }
    if (JoyHatX(j) != 0 || JoyHatY(j) != 0) return true;
  }
  return false;
}

// Waits while a mouse button is held; messages are handled meanwhile, since
// the mouse state only changes as its events arrive.
void WaitForButtonsReleased() {
  while (AnyMouseButton() != 0) {
    PumpWindowMessages();
    SleepWholeMs(1);
  }
}

PresentSteps& Steps() {
  static PresentSteps steps;
  return steps;
}

void FinishPicture() {
  if (Steps().FinishPicture != nullptr) Steps().FinishPicture();
}

}  // namespace

void SetPresentSteps(const PresentSteps& steps) { Steps() = steps; }

FrameTiming& Timing() {
  static FrameTiming timing;
  return timing;
}

void ResetFrameTiming() {
  const double now = NowMs();
  FrameTiming& t = Timing();
  t.TimerBase = now;
  t.LastFrameTime = now;
  t.PreviousFrameTime = now;
}

double ElapsedMs() { return NowMs() - Timing().TimerBase; }

double FrameDuration() {
  const double d = Timing().LastFrameTime - Timing().PreviousFrameTime;
  return d > 0 ? d : 1.0;
}

void SleepMs(double milliseconds) {
  if (!(milliseconds >= 1.0)) return;  // also rejects NaN
  SleepWholeMs(static_cast<int>(std::min(milliseconds, 2147483647.0)));
}

void SetEscapeEnds(double flag) { Timing().EscapeEnds = flag != 0 ? 1 : 0; }

int SwapAndPace() {
  if (!GraphicsReady()) return 1;
  FinishPicture();
  ShowBackBuffer();
  OpenGLZidaruva& gfx = *Graphics();

  const double start = NowMs();
  double now = start;
  double target = gfx.NextFrameTime;
  for (;;) {
    PumpWindowMessages();
    now = NowMs();
    target = gfx.NextFrameTime;
    if (now > target) break;
    const double remaining = target - now;
    // Sleeps end as far before the slot as the platform's sleeps may wake
    // late; within that stretch the loop keeps the processor: yielding it
    // to a busy machine could cost a whole scheduler time slice.
    const double polledStretch = SleepLatenessMs();
    if (remaining > polledStretch) SleepFractionalMs(remaining - polledStretch);
  }
  // Missed slots are skipped, never caught up.
  double next = target + gfx.FrameInterval;
  if (gfx.FrameInterval > 0) {
    while (next < now) next += gfx.FrameInterval;
  }
  gfx.NextFrameTime = next;
  return static_cast<int>(now - start + 1);
}

void PresentFrame() {
  OpenGLZidaruva* gfx = Graphics();
  if (Config().DebugMode != 0 && gfx != nullptr && gfx->Window != nullptr &&
      !gfx->Display.Hidden) {
    SDL_ShowWindow(gfx->Window);
    SDL_RaiseWindow(gfx->Window);
  }
  FrameTiming& t = Timing();
  t.PreviousFrameTime = t.LastFrameTime;
  t.LastFrameTime = NowMs();

  while (Flags().Paused != 0) {
    MusicLoopTick();
    PumpWindowMessages();
    SleepWholeMs(100);
  }

  ReadKeyboard();
  MarkMouseFresh();
  if (QuitKeysDown()) EndProgramNormally();
  if (KeyDown(56) != 0 && KeyDown(62) != 0) EndProgramNormally();

  MusicLoopTick();
  SoundDeviceTick();
  PumpWindowMessages();
  if (GraphicsReady()) {
    // The host's overlay draws on (and may read) the finished back buffer,
    // not on a screen target the game left in use.
    FinishPicture();
    DrawHostOverlay();
  }
  SwapAndPace();

  if (GraphicsReady() && Steps().StartPicture != nullptr) Steps().StartPicture();
}

void WaitForInput() {
  double x0 = 0, y0 = 0, left0 = 0, right0 = 0;
  ReadClampedMouse(x0, y0, left0, right0);
  for (int pass = 0; pass < 15; ++pass) {
    MusicLoopTick();
    PumpWindowMessages();
    ReadKeyboard();
    if (QuitKeysDown()) EndProgramNormally();
    for (int32_t code = 0; code <= 254; ++code) {
      if (KeyDown(code) != 0) return;
    }
    double x = 0, y = 0, left = 0, right = 0;
    ReadClampedMouse(x, y, left, right);
    if (x != x0 || y != y0 || left != left0 || right != right0) return;
    if (JoystickActive()) return;
    SleepWholeMs(5);
  }
}

void WaitForMouseClick() {
  WaitForButtonsReleased();
  do {
    WaitForInput();
  } while (AnyMouseButton() == 0);
  WaitForButtonsReleased();
}
