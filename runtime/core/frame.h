// The frame loop: presenting, pacing and the runtime's timers.
#pragma once

// Ends a frame: pause, quit keys, swap, messages, pacing.
void PresentFrame();
// Shows the back buffer and waits for the next frame slot.
int SwapAndPace();
// Sets the last-frame, previous-frame and timer-base times to now.
void ResetFrameTiming();
