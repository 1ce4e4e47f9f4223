// Sleeping and calendar time on Windows. The system timer is asked for its
// finest resolution (1 ms) when the program starts; even so a sleep may wake
// a millisecond or two late, so a wait that must end on time polls the last
// two milliseconds.
#include <windows.h>

#include <cmath>

#include "runtime/core/system.h"

void SleepWholeMs(int ms) {
  if (ms <= 0) return;
  Sleep(static_cast<DWORD>(ms));
}

void SleepFractionalMs(double ms) {
  if (!(ms > 0)) return;
  // Sleep counts whole milliseconds; what is left is the caller's to poll.
  Sleep(static_cast<DWORD>(std::floor(ms)));
}

double SleepLatenessMs() { return 2.0; }

bool LocalCalendarTime(std::time_t when, std::tm& out) { return localtime_s(&out, &when) == 0; }

bool UtcCalendarTime(std::time_t when, std::tm& out) { return gmtime_s(&out, &when) == 0; }
