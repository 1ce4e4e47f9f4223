// The program window, its OpenGL context and the 2D view.
//
// CreateGraphicsWindow      window + double-buffered context; 1, or 0 when no window can be made
// SetWindowTitle            sets the caption and remembers it as the window title
// EnterWindowedMode         windowed, centred or where it was; always 1
// EnterFullScreenMode       display mode of the client size; 0 (windowed, logged) when refused
// HideGraphicsWindow        leaves full screen and hides the window; 1
// SetView2D                 viewport + pixel projection; a size below 1 selects the whole target
// PumpWindowMessages        drains pending events: close ends the program, focus pauses
// DestroyGraphicsWindow     releases textures, context and window (teardown)
#pragma once

#include <cstdint>

#include "runtime/values/rt_string.h"

struct SDL_Window;

// The graphics context: one per process, from start-up to the end. The sprite
// store and the screen targets keep their own records beside it and are
// released through it.
class OpenGLZidaruva {
 public:
  OpenGLZidaruva() = default;
  OpenGLZidaruva(const OpenGLZidaruva&) = delete;
  OpenGLZidaruva& operator=(const OpenGLZidaruva&) = delete;
  virtual ~OpenGLZidaruva();

  SDL_Window* Window = nullptr;
  void* RenderContext = nullptr;  // SDL_GLContext
  int32_t ClientWidth = 0;
  int32_t ClientHeight = 0;
  int32_t ColourBits = 0;
  uint8_t IsFullScreen = 0;
  int32_t MultisampleRequest = 0;
  int32_t ViewX = 0, ViewY = 0, ViewWidth = 0, ViewHeight = 0;
  // Size of the current drawing target: the client area, or the sprite of an
  // off-screen screen drawn through a framebuffer object.
  int32_t TargetWidth = 0, TargetHeight = 0;
  double FrameInterval = 1000.0 / 60.0;  // ms
  double NextFrameTime = 0;              // ms of NowMs
  uint8_t Ready = 0;
  uint8_t SoftwareRenderer = 0;  // Mesa's software rasteriser is drawing
};

// The graphics context, or null before the window exists and after the end.
OpenGLZidaruva* Graphics();
// True while a window with a current OpenGL context exists and drawing is
// not suspended (RuntimeFlags::DrawingSuspended).
bool GraphicsReady();

int CreateGraphicsWindow(int32_t width, int32_t height, int32_t colourBits, int32_t frameRate,
                         int32_t multisample, int32_t fullScreen);
void SetWindowTitle(const RtString& title);
// The title last given to SetWindowTitle (without " <pause>").
const RtString& WindowTitle();
int EnterWindowedMode();
int EnterFullScreenMode();
int HideGraphicsWindow();
void SetView2D(int32_t x, int32_t y, int32_t width, int32_t height);
void PumpWindowMessages();
void DestroyGraphicsWindow();

// Used by the screen targets: the size that SetView2D treats as "whole" and
// from which it counts y downward.
void SetDrawTargetSize(int32_t width, int32_t height);

// Frame interval in ms for a frame rate: 1000 / rate, or 2 ms for rates of 0 or below.
double FrameIntervalFor(int32_t frameRate);
