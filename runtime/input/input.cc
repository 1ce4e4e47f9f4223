// Input state and devices (stub until the input subsystem lands).
#include "runtime/input/input.h"

#include "runtime/input/input_events.h"

void CreateInputState() {}
void OpenInputDevices(int32_t) {}
void SetUpMouse(int32_t) {}
void ReadKeyboard() {}
void MarkMouseFresh() {}
void InputHandleEvent(const SDL_Event&) {}
int32_t KeyDown(int32_t) { return 0; }
int32_t TypedChar() { return 0; }
RtString TypedCharText() { return RtString(); }
void MouseState(double& x, double& y, double& left, double& right) { x = y = left = right = 0; }
int32_t MouseAxis(int32_t) { return 0; }
int32_t AnyMouseButton() { return 0; }
void SetPointerVisible(double) {}
void SetMousePosition(int32_t, int32_t) {}
int32_t JoystickCountQuery() { return 0; }
RtString JoystickName(int32_t) { return RtString(); }
double JoyAxisX(int32_t) { return 0; }
double JoyAxisY(int32_t) { return 0; }
double JoyAxisZ(int32_t) { return 0; }
double JoyAxisRX(int32_t) { return 0; }
double JoyAxisRY(int32_t) { return 0; }
double JoyAxisRZ(int32_t) { return 0; }
int32_t JoyButton(int32_t, int32_t) { return 0; }
int32_t JoyHatX(int32_t) { return 0; }
int32_t JoyHatY(int32_t) { return 0; }
void JoyRumble(int32_t, double, double, double) {}
