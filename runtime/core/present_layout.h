// Where the logical screen appears in the window, and how window positions
// map back onto it. Everything the game and the runtime draw or read is in
// logical pixels (the configured screen size); only the present step and
// the mouse look at the window's own sizes. The window keeps the current
// layout up to date; the mouse reads it.
//
// PlacePicture             the picture's rectangle in a drawable area (empty when the area is)
// MakePresentLayout        a whole layout from the three sizes and the scale mode
// WindowToLogical          the logical pixel under a window position; over a bar the result
//                          lies outside the screen (callers clamp it to the picture's edge)
// LogicalToWindow          the window position at the centre of a logical pixel
// MotionScale              logical pixels per unit of window motion, across and down
// StartWindowSize          the window size at start: a whole multiple of the logical size
//                          (the largest that fits the usable desktop when scale is 0), or,
//                          on a desktop too small for one, the largest size that fits
//                          with the aspect kept
// CurrentPresentLayout     the layout the window shows now
// SetCurrentPresentLayout  used by the window when its sizes or the scale mode change
#pragma once

#include <cstdint>

#include "runtime/core/display_config.h"

struct PixelRect {
  int32_t X = 0;  // from the left
  int32_t Y = 0;  // from the top
  int32_t Width = 0;
  int32_t Height = 0;
  bool operator==(const PixelRect&) const = default;
};

struct PresentLayout {
  int32_t LogicalWidth = 640;  // the screen the game draws on
  int32_t LogicalHeight = 480;
  int32_t WindowWidth = 640;  // the window in its own coordinates (those of mouse events)
  int32_t WindowHeight = 480;
  int32_t DrawableWidth = 640;  // the window's OpenGL drawable in pixels (larger on HiDPI)
  int32_t DrawableHeight = 480;
  PixelRect Picture{0, 0, 640, 480};  // in drawable pixels
  // false: no window of the runtime shows the screen; the sizes are the
  // defaults above and map positions one to one.
  bool WindowShown = false;
};

PixelRect PlacePicture(int32_t logicalWidth, int32_t logicalHeight, int32_t drawableWidth,
                       int32_t drawableHeight, ScaleMode mode);
PresentLayout MakePresentLayout(int32_t logicalWidth, int32_t logicalHeight, int32_t windowWidth,
                                int32_t windowHeight, int32_t drawableWidth, int32_t drawableHeight,
                                ScaleMode mode);
void WindowToLogical(const PresentLayout& layout, int32_t windowX, int32_t windowY,
                     int32_t& logicalX, int32_t& logicalY);
void LogicalToWindow(const PresentLayout& layout, int32_t logicalX, int32_t logicalY,
                     int32_t& windowX, int32_t& windowY);
void MotionScale(const PresentLayout& layout, double& acrossScale, double& downScale);
void StartWindowSize(int32_t logicalWidth, int32_t logicalHeight, int32_t usableWidth,
                     int32_t usableHeight, int32_t scale, int32_t& width, int32_t& height);

const PresentLayout& CurrentPresentLayout();
void SetCurrentPresentLayout(const PresentLayout& layout);
