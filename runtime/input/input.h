// Keyboard, mouse and joysticks.
#pragma once

#include <cstdint>

// Start-up: creates the input state (stage "Init Input").
void CreateInputState();
// Start-up: opens keyboard, mouse and joysticks for the window.
void OpenInputDevices(int32_t hideMouse);
// Start-up: the mouse's sharing mode and the pointer's visibility.
void SetUpMouse(int32_t hideMouse);
