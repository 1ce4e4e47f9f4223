// The program window, its OpenGL context and the 2D view.
#pragma once

#include <cstdint>

#include "runtime/values/rt_string.h"

// Creates the window and context; 1 on success, 0 when it cannot be created.
int CreateGraphicsWindow(int32_t width, int32_t height, int32_t colourBits, int32_t frameRate,
                         int32_t multisample, int32_t fullScreen);
// Sets the caption and remembers it as the window title.
void SetWindowTitle(const RtString& title);
int EnterWindowedMode();
int EnterFullScreenMode();
int HideGraphicsWindow();
// Viewport and projection; a width or height below 1 selects the whole window.
void SetView2D(int32_t x, int32_t y, int32_t width, int32_t height);

// Handles all pending window messages: close requests end the program, focus
// changes pause and resume, input events go to the input state.
void PumpWindowMessages();
