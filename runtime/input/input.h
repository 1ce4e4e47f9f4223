// Keyboard by set-1 scan code, typed characters, the mouse and up to ten
// joysticks. Everything is polled: each query reads the state at that moment.
#pragma once

#include <cstdint>

#include "runtime/values/rt_string.h"

// --- Start-up and end ---
// Creates the input state (stage "Init Input") and its release step of the end path.
void CreateInputState();
// Opens keyboard, mouse and joysticks for the window. Logs "No DX_Input",
// "No DX_KB" or "No DX_Mouse" for what cannot be opened and carries on.
void OpenInputDevices(int32_t hideMouse);
// The mouse's sharing mode and the pointer's visibility (last start-up step).
void SetUpMouse(int32_t hideMouse);

// --- Used by the frame loop ---
// Brings the 256-byte key state up to date from the pending keyboard events.
void ReadKeyboard();
// The next mouse read takes new motion (once per frame).
void MarkMouseFresh();

// --- Commands ---
int32_t KeyDown(int32_t code);          // 1 while that set-1 key is down; 0 outside 0..255
int32_t TypedChar();                    // character of a newly pressed key, or 0
RtString TypedCharText();               // TypedChar as text; "" for 0
void MouseState(double& x, double& y, double& left, double& right);  // position clamped to the
                                                                      // screen; buttons 1.0 or 0.0
int32_t MouseAxis(int32_t n);           // 0 dx, 1 dy, 2 wheel, 3-5 buttons; else 0
int32_t AnyMouseButton();               // 1 if any button is down (fresh reading)
void SetPointerVisible(double flag);    // non-zero: shown, absolute motion; 0: hidden, relative
void SetMousePosition(int32_t x, int32_t y);  // sets the accumulated position (the pointer stays)
int32_t JoystickCountQuery();           // joysticks given an index so far (at most 10)
RtString JoystickName(int32_t index);   // "" outside 0 .. count-1
double JoyAxisX(int32_t index);         // axis / 32767, clamped to -1 .. 1; 0 without a stick
double JoyAxisY(int32_t index);
double JoyAxisZ(int32_t index);
double JoyAxisRX(int32_t index);
double JoyAxisRY(int32_t index);
double JoyAxisRZ(int32_t index);
int32_t JoyButton(int32_t index, int32_t button);  // 128 pressed, 0 released; 0 for button >= 32
int32_t JoyHatX(int32_t index);         // first hat: 9000 gives 1, 27000 gives -1; else 0
int32_t JoyHatY(int32_t index);         // first hat: 0 gives -1, 18000 gives 1; else 0
// Rumbles the stick with strength (x*x + y*y) / 2 for the duration; nothing on a
// stick that cannot rumble.
void JoyRumble(int32_t index, double milliseconds, double x, double y);
