// What a POSIX desktop gives the program around its window: a display that
// may or may not be there, a driver for runs that show nothing, helper
// threads, and the user's own folders for the files they ask for.
#include <chrono>
#include <thread>

#include "runtime/core/system.h"

bool DisplayAvailable() {
  return !EnvironmentValue("DISPLAY").empty() || !EnvironmentValue("WAYLAND_DISPLAY").empty() ||
         !EnvironmentValue("SDL_VIDEODRIVER").empty();
}

std::string_view HiddenRunVideoDriver() { return "offscreen"; }

void RunLater(int ms, std::function<void()> task) {
  std::thread([ms, task = std::move(task)] {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms > 0 ? ms : 0));
    task();
  }).detach();
}

WindowContext WindowContextKind() { return WindowContext::kDesktopCompatibility; }

// A window's back buffer is shown only when it is swapped.
bool WindowShowsUnfinishedFrames() { return false; }

void HandFileToUser(const std::string&) {}
