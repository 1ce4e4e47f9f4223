// Input state and devices (filled in by the input subsystem).
#include "runtime/input/input.h"

void CreateInputState() {}
void OpenInputDevices(int32_t) {}
void SetUpMouse(int32_t) {}
