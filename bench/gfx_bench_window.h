// Shared by the graphics benchmarks: a headless window (SDL's offscreen
// driver unless the caller chose a driver) with its log in a private folder.
#pragma once

#include <cstdlib>
#include <string>

#include "runtime/core/window.h"

inline bool OpenBenchWindow(int frameRate) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  if (std::getenv("TMPDIR") == nullptr) setenv("TMPDIR", "/tmp", 1);
  return CreateGraphicsWindow(640, 480, 0, frameRate, 0, 0) == 1;
}
