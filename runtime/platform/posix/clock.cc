// Sleeping and calendar time on POSIX systems. A Linux sleep wakes within a
// few tens of microseconds of its end, so a wait that must end on time polls
// only the last fraction of a millisecond.
#include <time.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "runtime/core/system.h"

void SleepWholeMs(int ms) {
  if (ms <= 0) return;
  timespec request{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
  timespec remaining{};
  while (nanosleep(&request, &remaining) != 0 && errno == EINTR) request = remaining;
}

void SleepFractionalMs(double ms) {
  if (!(ms > 0)) return;
  std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(ms));
}

double SleepLatenessMs() { return 0.6; }

bool LocalCalendarTime(std::time_t when, std::tm& out) {
  return localtime_r(&when, &out) != nullptr;
}

bool UtcCalendarTime(std::time_t when, std::tm& out) { return gmtime_r(&when, &out) != nullptr; }
