// The files subsystem's step of the program end: channels, the line file and
// the initialisation file share one teardown step, installed the first time
// any of them is used.
#pragma once

// Installs the step (closing every channel, then writing back a changed line
// file and initialisation file); calling it again does nothing more.
void EnsureFilesTeardown();
