// Runs the real program inside a test process: the runtime starts as the
// player's entry starts it, the current folder becomes `folder` (which holds
// the game's files), and the main program runs with `observer` on the frame
// seam. `frameRate` paces the frames; a very high rate means no waiting.
// Never returns: the program ends itself, so call it in a death test
// (EXPECT_PROGRAM_END) or a child process.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <string>

#include "game/frame_seam.h"
#include "game/main_program.h"
#include "runtime/core/config.h"
#include "runtime/core/program_end.h"
#include "runtime/startup/startup.h"

namespace testgame {

constexpr int32_t kNoWaitFrameRate = 100000;

[[noreturn]] inline void RunPlayerIn(const std::string& folder, GameFrameObserver observer,
                                     int32_t frameRate) {
  SetGameFrameObserver(observer);
  Config() = RuntimeConfig{};
  Config().FrameRate = frameRate;
  StartRuntime("stub");
  RuntimeErrors() = ErrorState{};
  if (chdir(folder.c_str()) != 0) EndProgramNormally();
  GameMainProgram();
  EndProgram();
}

}  // namespace testgame
