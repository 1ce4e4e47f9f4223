// Window and OpenGL context (filled in by the graphics subsystem).
#include "runtime/core/window.h"

int CreateGraphicsWindow(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) { return 1; }
void SetWindowTitle(const RtString&) {}
int EnterWindowedMode() { return 1; }
int EnterFullScreenMode() { return 0; }
int HideGraphicsWindow() { return 1; }
void SetView2D(int32_t, int32_t, int32_t, int32_t) {}
void PumpWindowMessages() {}
