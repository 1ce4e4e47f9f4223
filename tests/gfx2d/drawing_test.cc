// Drawing read back from the framebuffer: where pixels land, how sprites are
// blended, mirrored, turned and filtered.
#include <gtest/gtest.h>

#include <functional>

#include "runtime/core/frame.h"
#include "runtime/gfx2d/drawing.h"
#include "runtime/gfx2d/screen_target.h"
#include "tests/gfx2d/gl_test_util.h"
#include "tests/support/test_env.h"

namespace {

using gltest::ReadPixel;
using gltest::Rgba;

// A 4 x 4 sprite in slot 1 whose every pixel has its own colour:
// red = 40 + 50 x, green = 40 + 50 y, blue = 200.
void MakeGradientSprite() {
  const std::string path = testenv::TempDir() + "/grad.bmp";
  testenv::WriteFile(path, gltest::MakeBmp(4, 4, 24, [](int x, int y) {
    return static_cast<uint32_t>(((40 + 50 * x) << 16) | ((40 + 50 * y) << 8) | 200);
  }));
  ASSERT_EQ(LoadSprite(path.c_str(), 1), 1);
}

Rgba Gradient(int x, int y) { return {40 + 50 * x, 40 + 50 * y, 200, 255}; }

TEST(Drawing, PointsLandOnTheirPixelsAcrossTheView) {
  ASSERT_TRUE(gltest::OpenWindow());
  SetPixel(0, 0, 0x0000FF);
  SetPixel(639, 479, 0x00FF00);
  EXPECT_EQ(ReadPixel(0, 0), (Rgba{255, 0, 0, 255}));
  EXPECT_EQ(ReadPixel(639, 479), (Rgba{0, 255, 0, 255}));
  EXPECT_EQ(ReadPixel(1, 0), (Rgba{0, 0, 0, 255}));
  // A sub-view moves the origin: (10, 20, 100, 50) puts its (0, 0) at window (10, 20).
  SetView2D(10, 20, 100, 50);
  EXPECT_EQ(Graphics()->ViewX, 10);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[0], 10);
  EXPECT_EQ(viewport[1], 410);
  EXPECT_EQ(viewport[2], 100);
  EXPECT_EQ(viewport[3], 50);
  SetPixel(0, 0, 0xFFFFFF);
  SetPixel(99, 49, 0xFFFFFF);
  SetPixel(100, 0, 0xFFFFFF);  // outside the view: clipped
  EXPECT_EQ(ReadPixel(10, 20), (Rgba{255, 255, 255, 255}));
  EXPECT_EQ(ReadPixel(109, 69), (Rgba{255, 255, 255, 255}));
  EXPECT_EQ(ReadPixel(110, 20), (Rgba{0, 0, 0, 255}));
  SetView2D(0, 0, 0, 0);
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 640);
  EXPECT_EQ(viewport[3], 480);
}

TEST(Drawing, RectanglesWithNegativeSizesAndLinesWithBothEnds) {
  ASSERT_TRUE(gltest::OpenWindow());
  DrawRect(10, 10, -5, 3, 0xFFFFFF);
  for (int y = 8; y <= 14; ++y) {
    for (int x = 4; x <= 12; ++x) {
      const bool inside = x >= 6 && x <= 10 && y >= 10 && y <= 12;
      EXPECT_EQ(ReadPixel(x, y).R, inside ? 255 : 0) << x << "," << y;
    }
  }
  DrawLine(100, 100, 110, 100, 0x00FF00);
  EXPECT_EQ(ReadPixel(100, 100).G, 255);
  EXPECT_EQ(ReadPixel(110, 100).G, 255) << "end point included";
  EXPECT_EQ(ReadPixel(111, 100).G, 0);
}

TEST(Drawing, KeyColourWritesAlphaZero) {
  ASSERT_TRUE(gltest::OpenWindow());
  SetPixel(5, 5, 0x8000FF);
  SetPixel(6, 5, 0x8000FE);
  EXPECT_EQ(ReadPixel(5, 5), (Rgba{255, 0, 128, 0}));
  EXPECT_EQ(ReadPixel(6, 5), (Rgba{254, 0, 128, 255}));
  // With translucent blending, the alpha-0 pixel leaves the background.
  DrawRect(20, 20, 2, 2, 0x0000FF);
  SetAlphaMode(-1);
  SetPixel(20, 20, 0x8000FF);
  EXPECT_EQ(ReadPixel(20, 20).R, 255);
  EXPECT_EQ(ReadPixel(20, 20).B, 0);
}

TEST(Drawing, BlendingModes) {
  ASSERT_TRUE(gltest::OpenWindow());
  MakeGradientSprite();
  SetSmoothing(0);
  DrawRect(0, 0, 100, 20, 0x000064);  // red 100 background
  SetAlphaMode(-0.5);
  DrawSprite(1, 0, 0);
  // Half of (40, 40, 200) over (100, 0, 0).
  const Rgba half = ReadPixel(0, 0);
  EXPECT_NEAR(half.R, 70, 1);
  EXPECT_NEAR(half.G, 20, 1);
  EXPECT_NEAR(half.B, 100, 1);
  SetAlphaMode(2);  // additive at full strength
  DrawSprite(1, 10, 0);
  EXPECT_EQ(ReadPixel(10, 0), (Rgba{140, 40, 200, 255}));
  SetAlphaMode(0);
  DrawSprite(1, 20, 0);
  EXPECT_EQ(ReadPixel(20, 0), Gradient(0, 0));
  // The end of a frame switches blending off again.
  SetAlphaMode(-0.5);
  PresentFrame();
  EXPECT_EQ(AlphaValue(), 1.0);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST(Drawing, ExactPixelsWithSmoothingOffAndKeyHolesShowTheBackground) {
  ASSERT_TRUE(gltest::OpenWindow());
  MakeGradientSprite();
  SetSmoothing(0);
  DrawSprite(1, 50, 60);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(ReadPixel(50 + x, 60 + y), Gradient(x, y)) << x << "," << y;
  }
  EXPECT_EQ(ReadPixel(54, 60), (Rgba{0, 0, 0, 255}));
  // A key-coloured pixel is removed by the alpha test, blending off.
  const std::string path = testenv::TempDir() + "/hole.bmp";
  testenv::WriteFile(path, gltest::MakeBmp(2, 1, 24, [](int x, int) { return x ? 0xFF0080u : 0xFFFFFFu; }));
  ASSERT_EQ(LoadSprite(path.c_str(), 2), 1);
  DrawRect(0, 0, 4, 4, 0x00FF00);
  SetSmoothing(0);
  DrawSprite(2, 0, 0);
  EXPECT_EQ(ReadPixel(0, 0), (Rgba{255, 255, 255, 255}));
  EXPECT_EQ(ReadPixel(1, 0), (Rgba{0, 255, 0, 255}));
}

TEST(Drawing, StretchMirrorsAndZoomScalesAboutTheCentre) {
  ASSERT_TRUE(gltest::OpenWindow());
  MakeGradientSprite();
  SetSmoothing(0);
  StretchSprite(1, 100, 100, -8, 4);  // 8 pixels left of x, mirrored
  for (int x = 0; x < 8; ++x) EXPECT_EQ(ReadPixel(92 + x, 100), Gradient(3 - x / 2, 0)) << x;
  StretchSprite(1, 200, 100, 4, -4);  // upside down above y
  EXPECT_EQ(ReadPixel(200, 96), Gradient(0, 3));
  EXPECT_EQ(ReadPixel(200, 99), Gradient(0, 0));
  StretchSprite(1, 300, 100, -4, -4);  // half a turn
  EXPECT_EQ(ReadPixel(296, 96), Gradient(3, 3));
  EXPECT_EQ(glIsEnabled(GL_CULL_FACE), GL_TRUE);
  // Zoom 2 about the centre of a 4 x 4 sprite at (400, 100): covers 398..405.
  ZoomSprite(1, 400, 100, 2.0, 2.0);
  EXPECT_EQ(ReadPixel(398, 98), Gradient(0, 0));
  EXPECT_EQ(ReadPixel(405, 105), Gradient(3, 3));
  EXPECT_EQ(ReadPixel(406, 105), (Rgba{0, 0, 0, 255}));
}

TEST(Drawing, RotoSpriteQuarterTurnIsCounterClockwise) {
  ASSERT_TRUE(gltest::OpenWindow());
  MakeGradientSprite();
  SetSmoothing(0);
  RotoSprite(1, 20, 20, 90.0);
  // Counter-clockwise on screen: the image's right column becomes the top row,
  // so screen (x, y) inside the turned square shows image (3 - y, x).
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(ReadPixel(20 + x, 20 + y), Gradient(3 - y, x)) << x << "," << y;
    }
  }
  RotoZoomSprite(1, 100, 20, 0.0, 2.0);  // 8 x 8 about the centre (102, 22)
  EXPECT_EQ(ReadPixel(98, 18), Gradient(0, 0));
  EXPECT_EQ(ReadPixel(105, 25), Gradient(3, 3));
}

// Sprites wait to be drawn together; whatever comes between them (another
// texture, mirroring, a pixel, smoothing, blending, a turned sprite, a run
// longer than one batch) must leave the picture as drawing each at once does.
TEST(Drawing, SpritesDrawnInARunLookAsIfEachWereDrawnAtOnce) {
  ASSERT_TRUE(gltest::OpenWindow());
  MakeGradientSprite();
  const std::string path = testenv::TempDir() + "/patch.bmp";  // with a key-coloured hole
  testenv::WriteFile(path, gltest::MakeBmp(3, 2, 24, [](int x, int y) {
    return x + y == 1 ? 0xFF00FFu : 0x30A050u;
  }));
  ASSERT_EQ(LoadSprite(path.c_str(), 2), 1);
  auto scene = [](int ox, bool drawEachAtOnce) {
    const std::function<void()> steps[] = {
        [=] { SetSmoothing(0); }, [=] { DrawSprite(1, ox, 0); }, [=] { DrawSprite(1, ox + 2, 1); },
        [=] { DrawSprite(2, ox + 3, 0); }, [=] { DrawSprite(1, ox + 4, 0); },
        [=] { StretchSprite(1, ox + 12, 0, -8, 4); }, [=] { DrawSprite(1, ox + 6, 2); },
        [=] { SetPixel(ox + 7, 2, 0x00FF00); }, [=] { DrawSprite(1, ox + 5, 1); },
        [=] { SetSmoothing(1); }, [=] { StretchSprite(1, ox, 6, 16, 8); }, [=] { SetSmoothing(0); },
        [=] { DrawSprite(1, ox + 8, 6); }, [=] { SetAlphaMode(-0.5); },
        [=] { DrawSprite(1, ox + 1, 4); }, [=] { RotoSprite(1, ox + 10, 3, 90.0); },
        [=] { DrawSprite(1, ox + 11, 4); },
        [=] { SetAlphaMode(0); }, [=] { DrawSprite(2, ox + 2, 5); },
        [=] {
          for (int i = 0; i < 2500; ++i) DrawSprite(1, ox + (i * 7) % 20, 16 + (i * 3) % 10);
        },
        [=] { DrawSprite(2, ox + 9, 20); }};
    for (const std::function<void()>& step : steps) {
      step();
      if (drawEachAtOnce) FlushPendingDrawing();
    }
  };
  scene(0, true);
  scene(100, false);
  int lit = 0;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 30; ++x) {
      EXPECT_EQ(ReadPixel(100 + x, y), ReadPixel(x, y)) << x << "," << y;
      lit += ReadPixel(x, y) != Rgba{0, 0, 0, 255};
    }
  }
  EXPECT_GT(lit, 300);
}

TEST(Drawing, FramesOfAStripAndEmptySlots) {
  ASSERT_TRUE(gltest::OpenWindow());
  const std::string path = testenv::TempDir() + "/strip.bmp";
  // 4 frames of 2 x 2 in a 4 x 4 image: frame f filled with colour 50 (f + 1).
  testenv::WriteFile(path, gltest::MakeBmp(4, 4, 24, [](int x, int y) {
    return static_cast<uint32_t>(50 * (1 + x / 2 + 2 * (y / 2)));
  }));
  ASSERT_EQ(LoadAnimation(path.c_str(), 5, 2, 2), 1);
  SetSmoothing(0);
  for (int f = 0; f < 4; ++f) DrawSpriteFrame(5, f, 10 * f, 0);
  for (int f = 0; f < 4; ++f) {
    EXPECT_EQ(ReadPixel(10 * f, 0).B, 50 * (f + 1)) << f;
    EXPECT_EQ(ReadPixel(10 * f + 1, 1).B, 50 * (f + 1)) << f;
    EXPECT_EQ(ReadPixel(10 * f + 2, 0).B, 0) << f;
  }
  int32_t w = -1, h = -1;
  GetSpriteSize(77, w, h);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 0);
  DrawSprite(77, 0, 10);  // draws nothing
  EXPECT_EQ(ReadPixel(0, 10), (Rgba{0, 0, 0, 255}));
  GetScreenSize(w, h);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
}

TEST(Drawing, ClearScreenOnAScreenTargetStaysInsideIt) {
  ASSERT_TRUE(gltest::OpenWindow());
  DrawRect(0, 0, 64, 64, 0x00FF00);
  SetFramebufferObjectsAllowed(false);  // the emulated screen lives in the corner
  CreateScreen(0, 10, 8, 8);
  UseScreen(0);
  ClearScreen();
  UseScreen(-1);
  EXPECT_EQ(ReadPixel(20, 20), (Rgba{0, 255, 0, 255}));
  EXPECT_EQ(gltest::ImageTexel(10, 3, 3), (Rgba{0, 0, 0, 255}));
}

}  // namespace
