// Waiting in a browser. The page runs the program on its one thread, and
// nothing happens there (input, sound, showing the canvas) until the program
// hands control back; so every sleep returns to the browser through Asyncify
// and resumes when its time is up. A frame's wait resumes at an animation
// frame, the moment the browser is about to show the page, so that frames
// are paced by the display and the game's fixed steps alike.
#include <emscripten.h>
#include <time.h>

#include <cmath>

#include "runtime/core/system.h"

namespace {

// Longer waits sleep on a timer first, until about a display frame before
// their end; timers in a page are coarse (4 ms and more).
constexpr double kFrameMs = 1000.0 / 60.0;

}  // namespace

EM_ASYNC_JS(void, WaitForAnimationFrame, (), {
  await new Promise(resolve => requestAnimationFrame(() => resolve()));
});

void SleepWholeMs(int ms) {
  if (ms <= 0) return;
  emscripten_sleep(static_cast<unsigned>(ms));
}

void SleepFractionalMs(double ms) {
  if (!(ms > 0)) return;
  if (ms > 1.5 * kFrameMs) emscripten_sleep(static_cast<unsigned>(std::floor(ms - kFrameMs)));
  WaitForAnimationFrame();
}

// The frame wait polls nothing: the loop that paces frames would hold the
// page's one thread while it polled.
double SleepLatenessMs() { return 0.0; }

bool LocalCalendarTime(std::time_t when, std::tm& out) {
  return localtime_r(&when, &out) != nullptr;
}

bool UtcCalendarTime(std::time_t when, std::tm& out) { return gmtime_r(&when, &out) != nullptr; }
