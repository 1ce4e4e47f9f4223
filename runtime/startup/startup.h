// The program's entry routine and the runtime start-up. Start-up brings up
// every subsystem in order (window, drawing, input, sound, files), so it
// stands above them all, in a folder of its own; no subsystem includes it.
#pragma once

#include "runtime/values/rt_string.h"

// The text of the command line, kept for the program (arguments joined by blanks).
const RtString& CommandLine();

// Fixes the configuration, starts the runtime with the title "stub", clears
// the error state, runs the game's main program and ends the program. Never
// returns.
[[noreturn]] void RuntimeMain(int argc, char** argv, void (*mainProgram)());

// Opens the window and the devices stage by stage, each stage announced by a
// line in the error log, and shows "Loading...".
void StartRuntime(const RtString& title);
