// What Windows gives the program around its window beyond the process
// services: helper threads, and the user's own folders for the files they
// ask for.
#include <chrono>
#include <thread>

#include "runtime/core/system.h"

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
