// The frame loop: presenting, pacing, the runtime's timers and the waiting
// commands used outside the game loop.
//
// PresentFrame       ends a frame: pause, quit keys, swap, messages, pacing; ends
//                    the program (code 0) on Escape / code 129 (while EscapeEnds) or Alt+F4
// SwapAndPace        shows the back buffer, clears it and waits for the next frame
//                    slot; returns the ms spent waiting + 1
// ResetFrameTiming   last-frame, previous-frame and timer-base times become now
// ElapsedMs          ms since start-up finished (since the last ResetFrameTiming)
// FrameDuration      ms between the last two PresentFrame calls; 1.0 when not above 0
// SleepMs            blocks for the whole ms of the argument; no messages meanwhile
// SetEscapeEnds      non-zero: Escape ends the program in PresentFrame / WaitForInput
// WaitForInput       returns at the first key, mouse or joystick input, or after 15 passes of 5 ms
// WaitForMouseClick  waits for a full click: all released, one pressed, all released
// SetPresentSteps    what the drawing layer does around each present (it registers
//                    them when it starts, so the frame loop knows nothing of drawing)
#pragma once

#include <cstdint>

struct FrameTiming {
  double TimerBase = 0;          // ms; ElapsedMs counts from here
  double LastFrameTime = 0;      // ms at the start of the latest PresentFrame
  double PreviousFrameTime = 0;  // the value LastFrameTime had before that
  uint8_t EscapeEnds = 1;
};

// The process-wide timing state.
FrameTiming& Timing();

void PresentFrame();
int SwapAndPace();
void ResetFrameTiming();
double ElapsedMs();
double FrameDuration();
void SleepMs(double milliseconds);
void SetEscapeEnds(double flag);
void WaitForInput();
void WaitForMouseClick();

struct PresentSteps {
  // Before the picture is shown, and before the host's overlay draws on it:
  // whatever drawing is still pending reaches the back buffer.
  void (*FinishPicture)() = nullptr;
  // After it is shown: the next picture starts from the drawing layer's
  // initial state (its view, its background).
  void (*StartPicture)() = nullptr;
};
void SetPresentSteps(const PresentSteps& steps);
