// Presentation geometry. Integer arithmetic throughout, so that at a whole
// scale every logical pixel covers exactly scale x scale drawable pixels and
// the mapping back is exact; at scale 1 it is the identity.
#include "runtime/core/present_layout.h"

#include <algorithm>

namespace {

// Division rounding toward minus infinity (positions left of or above the
// picture stay negative all the way).
int64_t FloorDiv(int64_t a, int64_t b) {
  const int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

int32_t ToInt32(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

PresentLayout& Current() {
  static PresentLayout layout;
  return layout;
}

}  // namespace

PixelRect PlacePicture(int32_t logicalWidth, int32_t logicalHeight, int32_t drawableWidth,
                       int32_t drawableHeight, ScaleMode mode) {
  if (logicalWidth <= 0 || logicalHeight <= 0 || drawableWidth <= 0 || drawableHeight <= 0) {
    return PixelRect{};
  }
  if (mode == ScaleMode::kStretch) return PixelRect{0, 0, drawableWidth, drawableHeight};
  int64_t width = 0;
  int64_t height = 0;
  const int32_t whole = std::min(drawableWidth / logicalWidth, drawableHeight / logicalHeight);
  if (mode == ScaleMode::kInteger && whole >= 1) {
    width = int64_t{whole} * logicalWidth;
    height = int64_t{whole} * logicalHeight;
  } else if (int64_t{drawableWidth} * logicalHeight <= int64_t{drawableHeight} * logicalWidth) {
    // The width runs out first: the picture spans it, bars above and below.
    width = drawableWidth;
    height = (int64_t{drawableWidth} * logicalHeight + logicalWidth / 2) / logicalWidth;
  } else {
    height = drawableHeight;
    width = (int64_t{drawableHeight} * logicalWidth + logicalHeight / 2) / logicalHeight;
  }
  width = std::clamp<int64_t>(width, 1, drawableWidth);
  height = std::clamp<int64_t>(height, 1, drawableHeight);
  return PixelRect{static_cast<int32_t>((drawableWidth - width) / 2),
                   static_cast<int32_t>((drawableHeight - height) / 2), static_cast<int32_t>(width),
                   static_cast<int32_t>(height)};
}

PresentLayout MakePresentLayout(int32_t logicalWidth, int32_t logicalHeight, int32_t windowWidth,
                                int32_t windowHeight, int32_t drawableWidth, int32_t drawableHeight,
                                ScaleMode mode) {
  PresentLayout layout;
  layout.LogicalWidth = logicalWidth;
  layout.LogicalHeight = logicalHeight;
  layout.WindowWidth = windowWidth;
  layout.WindowHeight = windowHeight;
  layout.DrawableWidth = drawableWidth;
  layout.DrawableHeight = drawableHeight;
  layout.Picture = PlacePicture(logicalWidth, logicalHeight, drawableWidth, drawableHeight, mode);
  layout.WindowShown = true;
  return layout;
}

void WindowToLogical(const PresentLayout& layout, int32_t windowX, int32_t windowY,
                     int32_t& logicalX, int32_t& logicalY) {
  const PixelRect& p = layout.Picture;
  if (p.Width <= 0 || p.Height <= 0 || layout.WindowWidth <= 0 || layout.WindowHeight <= 0) {
    // Nothing shown (a minimised window): positions are taken as they come.
    logicalX = windowX;
    logicalY = windowY;
    return;
  }
  // Window coordinates to drawable pixels (HiDPI), then into the picture.
  const int64_t px = FloorDiv(int64_t{windowX} * layout.DrawableWidth, layout.WindowWidth);
  const int64_t py = FloorDiv(int64_t{windowY} * layout.DrawableHeight, layout.WindowHeight);
  logicalX = ToInt32(FloorDiv((px - p.X) * layout.LogicalWidth, p.Width));
  logicalY = ToInt32(FloorDiv((py - p.Y) * layout.LogicalHeight, p.Height));
}

void LogicalToWindow(const PresentLayout& layout, int32_t logicalX, int32_t logicalY,
                     int32_t& windowX, int32_t& windowY) {
  const PixelRect& p = layout.Picture;
  if (p.Width <= 0 || p.Height <= 0 || layout.DrawableWidth <= 0 || layout.DrawableHeight <= 0 ||
      layout.WindowWidth <= 0 || layout.WindowHeight <= 0) {
    windowX = logicalX;
    windowY = logicalY;
    return;
  }
  // The window unit over the middle of the logical pixel; where a unit
  // spans more than one drawable pixel (HiDPI) its first one may still
  // belong to the pixel before, and the next unit is taken.
  auto along = [](int64_t logical, int64_t logicalSize, int64_t start, int64_t size,
                  int64_t drawable, int64_t window) {
    const int64_t middle = start + FloorDiv((2 * logical + 1) * size, 2 * logicalSize);
    int64_t unit = FloorDiv(middle * window, drawable);
    const int64_t back = FloorDiv((FloorDiv(unit * drawable, window) - start) * logicalSize, size);
    if (back < logical) ++unit;
    return ToInt32(unit);
  };
  windowX =
      along(logicalX, layout.LogicalWidth, p.X, p.Width, layout.DrawableWidth, layout.WindowWidth);
  windowY = along(logicalY, layout.LogicalHeight, p.Y, p.Height, layout.DrawableHeight,
                  layout.WindowHeight);
}

void MotionScale(const PresentLayout& layout, double& acrossScale, double& downScale) {
  const PixelRect& p = layout.Picture;
  if (p.Width <= 0 || p.Height <= 0 || layout.WindowWidth <= 0 || layout.WindowHeight <= 0) {
    acrossScale = 1.0;
    downScale = 1.0;
    return;
  }
  acrossScale = (static_cast<double>(layout.DrawableWidth) * layout.LogicalWidth) /
                (static_cast<double>(layout.WindowWidth) * p.Width);
  downScale = (static_cast<double>(layout.DrawableHeight) * layout.LogicalHeight) /
              (static_cast<double>(layout.WindowHeight) * p.Height);
}

void StartWindowSize(int32_t logicalWidth, int32_t logicalHeight, int32_t usableWidth,
                     int32_t usableHeight, int32_t scale, int32_t& width, int32_t& height) {
  width = logicalWidth;
  height = logicalHeight;
  if (logicalWidth <= 0 || logicalHeight <= 0) return;
  if (scale >= 1) {
    width = ToInt32(int64_t{scale} * logicalWidth);
    height = ToInt32(int64_t{scale} * logicalHeight);
    return;
  }
  // Not known: one multiple.
  if (usableWidth <= 0 || usableHeight <= 0) return;
  const PixelRect fit =
      PlacePicture(logicalWidth, logicalHeight, usableWidth, usableHeight, ScaleMode::kInteger);
  width = fit.Width;
  height = fit.Height;
}

const PresentLayout& CurrentPresentLayout() {
  return Current();
}

void SetCurrentPresentLayout(const PresentLayout& layout) {
  Current() = layout;
}
