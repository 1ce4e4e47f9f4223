// The program window and its OpenGL context: opening them, the display mode,
// showing finished frames and the window's events. The drawing code above it
// asks only for what it needs (the current target's size, the GL state of a
// view on it, the framebuffer that stands for the back buffer); the sprite
// store and the screen targets are started and released by start-up and the
// end path, not from here.
//
// CreateGraphicsWindow      window + double-buffered context for a logical screen of width x
//                           height; the window's own size comes from the display block
//                           (display_config.h); 1, or 0 when no window can be made
// SetWindowTitle            sets the caption and remembers it as the window title
// EnterWindowedMode         windowed, at the size it had before full screen; always 1
// EnterFullScreenMode       desktop full screen (no display-mode change); 0 (windowed,
//                           logged "No Fullscreen Mode available") when refused
// ToggleFullScreen          one of the two above, whichever the window is not in; the new
//                           state: 1 full screen, 0 windowed
// HideGraphicsWindow        leaves full screen and hides the window; 1
// PumpWindowMessages        drains pending events: close ends the program, focus pauses
// DestroyGraphicsWindow     releases context and window (teardown)
#pragma once

#include <cstdint>

#include "runtime/core/display_config.h"
#include "runtime/values/rt_string.h"

struct SDL_Window;

// The graphics context: one per process, from start-up to the end. The sprite
// store and the screen targets keep their own records beside it; their
// textures and framebuffers die with its OpenGL context.
class OpenGLZidaruva {
 public:
  OpenGLZidaruva() = default;
  OpenGLZidaruva(const OpenGLZidaruva&) = delete;
  OpenGLZidaruva& operator=(const OpenGLZidaruva&) = delete;
  virtual ~OpenGLZidaruva();

  SDL_Window* Window = nullptr;
  void* RenderContext = nullptr;  // SDL_GLContext
  // The logical screen: what the game draws on and GetScreenSize reports.
  // The window shows it scaled (present_layout.h has the window's sizes).
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
  DisplaySettings Display;       // scale mode and filter take effect at the next present
  int32_t WindowedWidth = 0;     // the window's size out of full screen
  int32_t WindowedHeight = 0;
  // 1: this frame is drawn straight into the window (shown one to one, or no
  // logical framebuffer); 0: into the logical framebuffer.
  uint8_t DrawingDirect = 1;
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
int ToggleFullScreen();
int HideGraphicsWindow();
void PumpWindowMessages();
void DestroyGraphicsWindow();

// --- For the drawing code ---
// The size of the current drawing target: what a view treats as "whole" and
// from which it counts y downward. Screen targets set it while they are drawn.
void SetDrawTargetSize(int32_t width, int32_t height);
// The GL side of a 2D view: viewport over (x, y, width, height) of the
// current target (y from the top; a size below 1 selects the whole target),
// a projection of one unit per pixel with y down, and the fixed 2D state
// (alpha test, culling, no depth test, no texture bound).
void SetTargetView(int32_t x, int32_t y, int32_t width, int32_t height);
// Binds the framebuffer that drawing on "the back buffer" goes to.
void BindBackBuffer();
// Shows the finished back buffer (scaled into the window) and clears colour
// and depth of the next one.
void ShowBackBuffer();
// The first half of ShowBackBuffer: the picture, scaled and between black
// bars, in the window's own back buffer, which is left bound. Tests and
// benchmarks read it there; ShowBackBuffer then swaps.
void ComposeWindowPicture();

// --- For tests ---
// false: windows made from now on draw straight into the window and scale by
// copying its corner, as on a driver without framebuffer objects.
void SetLogicalFramebufferAllowed(bool allowed);
// false: full-screen switches are refused, as by a display that has none.
void SetFullScreenAllowed(bool allowed);

// Frame interval in ms for a frame rate: 1000 / rate, or 2 ms for rates of 0 or below.
double FrameIntervalFor(int32_t frameRate);
