// Presentation geometry: where the picture goes in a drawable area for each
// scale mode, the window size at start, and the mapping of window positions
// back onto logical pixels (HiDPI included).
#include <gtest/gtest.h>

#include "runtime/core/present_layout.h"

namespace {

struct PlaceCase {
  int32_t DrawableWidth, DrawableHeight;
  ScaleMode Mode;
  PixelRect Expected;
};

TEST(PresentLayout, ThePictureIsPlacedByScaleMode) {
  const PlaceCase cases[] = {
      {640, 480, ScaleMode::kInteger, {0, 0, 640, 480}},
      {1280, 960, ScaleMode::kInteger, {0, 0, 1280, 960}},
      {1920, 1080, ScaleMode::kInteger, {320, 60, 1280, 960}},
      {1366, 768, ScaleMode::kInteger, {363, 144, 640, 480}},
      {3840, 2160, ScaleMode::kInteger, {640, 120, 2560, 1920}},
      {1279, 959, ScaleMode::kInteger, {319, 239, 640, 480}},
      // No whole number fits: the largest picture with the aspect kept.
      {400, 400, ScaleMode::kInteger, {0, 50, 400, 300}},
      {639, 480, ScaleMode::kInteger, {0, 0, 639, 479}},
      {1920, 1080, ScaleMode::kFit, {240, 0, 1440, 1080}},
      {800, 600, ScaleMode::kFit, {0, 0, 800, 600}},
      {1000, 2000, ScaleMode::kFit, {0, 625, 1000, 750}},
      {1920, 1080, ScaleMode::kStretch, {0, 0, 1920, 1080}},
      {3, 1, ScaleMode::kFit, {1, 0, 1, 1}},
      // A minimised window has nothing to show.
      {0, 0, ScaleMode::kInteger, {0, 0, 0, 0}},
      {1920, 0, ScaleMode::kStretch, {0, 0, 0, 0}},
  };
  for (const PlaceCase& c : cases) {
    EXPECT_EQ(PlacePicture(640, 480, c.DrawableWidth, c.DrawableHeight, c.Mode), c.Expected)
        << c.DrawableWidth << " x " << c.DrawableHeight << " mode " << static_cast<int>(c.Mode);
  }
}

TEST(PresentLayout, TheWindowStartsAtTheLargestWholeMultipleThatFits) {
  struct Case {
    int32_t UsableWidth, UsableHeight, Scale, Width, Height;
  };
  const Case cases[] = {
      {1920, 1080, 0, 1280, 960},
      {1024, 768, 0, 640, 480},
      {3840, 2160, 0, 2560, 1920},
      {2560, 1440, 0, 1920, 1440},
      {1920, 1080, 3, 1920, 1440},
      {1024, 768, 1, 640, 480},
      {0, 0, 0, 640, 480},  // the desktop's size unknown
      // A desktop too small for one multiple: the largest size that fits.
      {600, 400, 0, 533, 400},
      {600, 800, 0, 600, 450},
  };
  for (const Case& c : cases) {
    int32_t width = 0, height = 0;
    StartWindowSize(640, 480, c.UsableWidth, c.UsableHeight, c.Scale, width, height);
    EXPECT_EQ(width, c.Width) << c.UsableWidth << " x " << c.UsableHeight << " scale " << c.Scale;
    EXPECT_EQ(height, c.Height) << c.UsableWidth << " x " << c.UsableHeight << " scale " << c.Scale;
  }
}

TEST(PresentLayout, WindowPositionsMapOntoLogicalPixels) {
  // Full screen 1920 x 1080 at scale 2, and the same on a desktop that
  // counts window positions in halves (HiDPI).
  const PresentLayout plain =
      MakePresentLayout(640, 480, 1920, 1080, 1920, 1080, ScaleMode::kInteger);
  const PresentLayout hidpi =
      MakePresentLayout(640, 480, 960, 540, 1920, 1080, ScaleMode::kInteger);
  struct Case {
    const PresentLayout* Layout;
    int32_t WindowX, WindowY, LogicalX, LogicalY;
  };
  const Case cases[] = {
      {&plain, 320, 60, 0, 0},      {&plain, 321, 61, 0, 0},
      {&plain, 322, 62, 1, 1},      {&plain, 1599, 1019, 639, 479},
      {&plain, 960, 540, 320, 240}, {&plain, 319, 59, -1, -1},  // over the bars
      {&plain, 0, 0, -160, -30},    {&plain, 1919, 1079, 799, 509},
      {&hidpi, 160, 30, 0, 0},      {&hidpi, 799, 509, 639, 479},
      {&hidpi, 480, 270, 320, 240}, {&hidpi, 159, 29, -1, -1},
  };
  for (const Case& c : cases) {
    int32_t x = 0, y = 0;
    WindowToLogical(*c.Layout, c.WindowX, c.WindowY, x, y);
    EXPECT_EQ(x, c.LogicalX) << c.WindowX << ", " << c.WindowY;
    EXPECT_EQ(y, c.LogicalY) << c.WindowX << ", " << c.WindowY;
  }
}

TEST(PresentLayout, MappingBackAndForthFindsTheSamePixel) {
  const PresentLayout layouts[] = {
      MakePresentLayout(640, 480, 640, 480, 640, 480, ScaleMode::kInteger),
      MakePresentLayout(640, 480, 1280, 960, 1280, 960, ScaleMode::kInteger),
      MakePresentLayout(640, 480, 2000, 1500, 2000, 1500, ScaleMode::kInteger),
      MakePresentLayout(640, 480, 1920, 1080, 1920, 1080, ScaleMode::kFit),
      MakePresentLayout(640, 480, 700, 500, 1400, 1000, ScaleMode::kFit),
      MakePresentLayout(640, 480, 1000, 1000, 1000, 1000, ScaleMode::kStretch),
  };
  for (const PresentLayout& layout : layouts) {
    for (int32_t y = 0; y < 480; y += 7) {
      for (int32_t x = 0; x < 640; x += 5) {
        int32_t wx = 0, wy = 0, lx = 0, ly = 0;
        LogicalToWindow(layout, x, y, wx, wy);
        WindowToLogical(layout, wx, wy, lx, ly);
        ASSERT_EQ(lx, x) << layout.WindowWidth << " x " << layout.WindowHeight;
        ASSERT_EQ(ly, y) << layout.WindowWidth << " x " << layout.WindowHeight;
      }
    }
  }
}

TEST(PresentLayout, MotionScalesToLogicalPixels) {
  double across = 0, down = 0;
  MotionScale(MakePresentLayout(640, 480, 640, 480, 640, 480, ScaleMode::kInteger), across, down);
  EXPECT_EQ(across, 1.0);
  EXPECT_EQ(down, 1.0);
  MotionScale(MakePresentLayout(640, 480, 1920, 1080, 1920, 1080, ScaleMode::kInteger), across,
              down);
  EXPECT_EQ(across, 0.5);
  EXPECT_EQ(down, 0.5);
  // Twice the pixels per window unit at scale 2: one unit, one logical pixel.
  MotionScale(MakePresentLayout(640, 480, 640, 480, 1280, 960, ScaleMode::kInteger), across, down);
  EXPECT_EQ(across, 1.0);
  MotionScale(MakePresentLayout(640, 480, 1280, 480, 1280, 480, ScaleMode::kStretch), across, down);
  EXPECT_EQ(across, 0.5);
  EXPECT_EQ(down, 1.0);
  // Nothing shown: motion passes as it comes.
  MotionScale(MakePresentLayout(640, 480, 0, 0, 0, 0, ScaleMode::kInteger), across, down);
  EXPECT_EQ(across, 1.0);
}

}  // namespace
