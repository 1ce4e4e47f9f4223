// The scaled window: the game's picture stays the same logical picture at
// every window size, and the window shows it scaled by whole numbers in
// uniform blocks between black bars, through the logical framebuffer and
// through the corner copy of drivers without one, across resizes and
// full-screen switches.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "runtime/core/display_config.h"
#include "runtime/core/gl_api.h"
#include "runtime/core/present_layout.h"
#include "runtime/core/window.h"
#include "runtime/gfx2d/drawing.h"
#include "runtime/gfx2d/screen_target.h"
#include "runtime/gfx2d/sprite_store.h"
#include "runtime/gfx2d/text.h"
#include "tests/gfx2d/gl_test_util.h"
#include "tests/support/test_env.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

// A window showing the logical screen at a whole scale, with the drawing
// subsystems started as start-up starts them.
bool OpenAtScale(int scale, bool logicalFramebuffer = true) {
  RequestedDisplay() = DisplayRequest{};
  RequestedDisplay().Scale = scale;
  SetLogicalFramebufferAllowed(logicalFramebuffer);
  if (CreateGraphicsWindow(kWidth, kHeight, 0, 60, 0, 0) != 1) return false;
  StartSpriteStore();
  StartScreenTargets();
  SetView2D(0, 0, 0, 0);
  return true;
}

uint32_t PatternColour(int x, int y) {
  return static_cast<uint32_t>((x * 3) & 255) | (static_cast<uint32_t>((y * 5) & 255) << 8) |
         (static_cast<uint32_t>((x ^ y) & 255) << 16);
}

// Something of every kind of drawing the game and the runtime do: sprites
// drawn plain, stretched, turned and blended, pixels, lines, rectangles,
// text, a screen target and a grab of the back buffer. A turned sprite drawn
// smoothed is left to SmoothedTurn: the window's own framebuffer and a
// framebuffer object round its interpolated texels a little differently.
void DrawScene() {
  ClearScreen();
  std::vector<int32_t> pixels(40 * 30);
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      pixels[static_cast<size_t>(y * 40 + x)] =
          (x + y) % 7 == 0 ? kSpriteColourKey : static_cast<int32_t>(PatternColour(x * 5, y * 7));
    }
  }
  ASSERT_EQ(BuildSpriteFromPixels(10, 40, 30, pixels.data()), 1);
  for (int i = 0; i < 16; ++i) DrawRect(i * 40, 0, 40, 480, static_cast<int32_t>(i * 0x0F0D0B));
  DrawSprite(10, 13, 17);
  StretchSprite(10, 100, 40, 120, -90);
  SetSmoothing(0);
  RotoSprite(10, 300, 60, 33.0);
  RotoZoomSprite(10, 420, 60, -20.0, 1.7);
  SetSmoothing(1);
  SetAlphaMode(-0.5);
  DrawRect(50, 200, 300, 100, 0x30C0F0);
  SetAlphaMode(0.7);
  DrawSprite(10, 60, 230);
  SetAlphaMode(0);
  for (int i = 0; i < 200; ++i) SetPixel((i * 37) % 640, (i * 53) % 480, (i * 0x10305) & 0xFFFFFF);
  DrawLine(0, 479, 639, 300, 0xFFFF00);
  LoadBuiltinFont(0);
  PrintText("Scaled 640 x 480", 200.4, 400.0);

  CreateScreen(0, 11, 50, 20);
  UseScreen(0);
  DrawRect(0, 0, 50, 20, 0x2040FF);
  SetPixel(3, 4, 0xFF0000);
  UseScreen(-1);
  DrawSprite(11, 500, 300);
  ASSERT_EQ(GrabSprite(12, 10, 10, 64, 48), 1);
  DrawSprite(12, 560, 420);
}

struct Difference {
  long Pixels = 0;  // pixels that differ in any channel
  int Largest = 0;  // the largest difference of one channel
};

Difference Compare(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  Difference d;
  if (a.size() != b.size()) return Difference{-1, 255};
  for (size_t i = 0; i < a.size(); i += 4) {
    int largest = 0;
    for (size_t c = 0; c < 4; ++c) largest = std::max(largest, std::abs(a[i + c] - b[i + c]));
    if (largest > 0) ++d.Pixels;
    d.Largest = std::max(d.Largest, largest);
  }
  return d;
}

void SmoothedTurn() {
  ClearScreen();
  std::vector<int32_t> pixels(40 * 30);
  for (size_t i = 0; i < pixels.size(); ++i) {
    pixels[i] = static_cast<int32_t>(
        PatternColour(static_cast<int>(i % 40) * 5, static_cast<int>(i / 40) * 7));
  }
  ASSERT_EQ(BuildSpriteFromPixels(10, 40, 30, pixels.data()), 1);
  SetSmoothing(1);
  RotoSprite(10, 300, 60, 33.0);
  RotoZoomSprite(10, 420, 200, -20.0, 2.7);
}

std::vector<uint8_t> LogicalPicture() {
  std::vector<uint8_t> rgba;
  int32_t width = 0, height = 0;
  EXPECT_TRUE(ReadLogicalScreen(rgba, width, height));
  EXPECT_EQ(width, kWidth);
  EXPECT_EQ(height, kHeight);
  return rgba;
}

// The window's own back buffer after the picture was put in, rows from the bottom.
std::vector<uint8_t> WindowPicture(int& width, int& height) {
  ComposeWindowPicture();
  SDL_GL_GetDrawableSize(Graphics()->Window, &width, &height);
  std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
  if (GlExt().BindFramebuffer != nullptr) GlExt().BindFramebuffer(GL_READ_FRAMEBUFFER_EXT, 0);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  BindBackBuffer();
  return rgba;
}

// Counts drawable pixels of the picture that differ from the logical pixel
// they show (at a whole scale), and non-black pixels outside the picture.
struct BlockCheck {
  long WrongInPicture = 0;
  long LitInBars = 0;
};

BlockCheck CheckBlocks(const std::vector<uint8_t>& logical, const std::vector<uint8_t>& window,
                       int width, int height, const PixelRect& picture, int scale) {
  BlockCheck result;
  for (int gy = 0; gy < height; ++gy) {
    const int y = height - 1 - gy;  // from the top
    for (int x = 0; x < width; ++x) {
      const uint8_t* got = &window[(static_cast<size_t>(gy) * width + x) * 4];
      const bool inside = x >= picture.X && x < picture.X + picture.Width && y >= picture.Y &&
                          y < picture.Y + picture.Height;
      if (!inside) {
        if (got[0] != 0 || got[1] != 0 || got[2] != 0) ++result.LitInBars;
        continue;
      }
      const int lx = (x - picture.X) / scale;
      const int ly = (y - picture.Y) / scale;
      const uint8_t* want = &logical[(static_cast<size_t>(ly) * kWidth + lx) * 4];
      if (got[0] != want[0] || got[1] != want[1] || got[2] != want[2]) ++result.WrongInPicture;
    }
  }
  return result;
}

TEST(ScaledPresent, TheLogicalPictureIsTheSameAtEveryScaleAndOnEveryPath) {
  ASSERT_TRUE(OpenAtScale(1));
  EXPECT_EQ(Graphics()->DrawingDirect, 1) << "one to one is drawn straight into the window";
  SmoothedTurn();
  const std::vector<uint8_t> turned = LogicalPicture();
  DrawScene();
  const std::vector<uint8_t> reference = LogicalPicture();
  ASSERT_EQ(reference.size(), static_cast<size_t>(kWidth) * kHeight * 4);

  struct Case {
    int Scale;
    bool Framebuffer;
  };
  for (const Case c : {Case{2, true}, Case{3, true}, Case{2, false}}) {
    SCOPED_TRACE(testing::Message() << "scale " << c.Scale << ", framebuffer " << c.Framebuffer);
    ASSERT_TRUE(OpenAtScale(c.Scale, c.Framebuffer));
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(Graphics()->Window, &w, &h);
    EXPECT_EQ(w, kWidth * c.Scale);
    EXPECT_EQ(h, kHeight * c.Scale);
    EXPECT_EQ(Graphics()->DrawingDirect, c.Framebuffer ? 0 : 1);
    int32_t sw = 0, sh = 0;
    GetScreenSize(sw, sh);
    EXPECT_EQ(sw, kWidth);
    EXPECT_EQ(sh, kHeight);
    SmoothedTurn();
    const Difference t = Compare(LogicalPicture(), turned);
    EXPECT_LE(t.Pixels, 16);
    EXPECT_LE(t.Largest, 1);
    DrawScene();
    EXPECT_EQ(Compare(LogicalPicture(), reference).Pixels, 0)
        << "the logical picture changed with the window";
    // A scripted screenshot stays the logical size too.
    const std::string shot = testenv::TempDir() + "/shot.bmp";
    ASSERT_EQ(SaveScreen(RtString(std::string_view(shot))), 1);
    const std::string bmp = testenv::ReadFile(shot);
    ASSERT_GE(bmp.size(), 26u);
    EXPECT_EQ(static_cast<uint8_t>(bmp[18]) | (static_cast<uint8_t>(bmp[19]) << 8), kWidth);
    EXPECT_EQ(static_cast<uint8_t>(bmp[22]) | (static_cast<uint8_t>(bmp[23]) << 8), kHeight);
  }
}

TEST(ScaledPresent, AWholeScaleShowsEachPixelAsAUniformBlock) {
  for (const bool framebuffer : {true, false}) {
    for (const int scale : {2, 3}) {
      SCOPED_TRACE(testing::Message() << "scale " << scale << ", framebuffer " << framebuffer);
      ASSERT_TRUE(OpenAtScale(scale, framebuffer));
      DrawScene();
      const std::vector<uint8_t> logical = LogicalPicture();
      int w = 0, h = 0;
      const std::vector<uint8_t> window = WindowPicture(w, h);
      const PixelRect picture = CurrentPresentLayout().Picture;
      EXPECT_EQ(picture, (PixelRect{0, 0, kWidth * scale, kHeight * scale}));
      const BlockCheck check = CheckBlocks(logical, window, w, h, picture, scale);
      EXPECT_EQ(check.WrongInPicture, 0);
      EXPECT_EQ(check.LitInBars, 0);
    }
  }
}

TEST(ScaledPresent, LinearFilteringSmoothsTheBlockEdges) {
  ASSERT_TRUE(OpenAtScale(2));
  ClearScreen();
  DrawRect(100, 100, 1, 1, 0xFFFFFF);
  Graphics()->Display.Filter = ScaleFilter::kLinear;
  int w = 0, h = 0;
  const std::vector<uint8_t> window = WindowPicture(w, h);
  // Around the white pixel's block (200..201, 200..201) some drawable
  // pixels take part of its brightness.
  int blended = 0;
  for (int y = 198; y <= 203; ++y) {
    for (int x = 198; x <= 203; ++x) {
      const uint8_t red = window[(static_cast<size_t>(h - 1 - y) * w + x) * 4];
      if (red > 0 && red < 255) ++blended;
    }
  }
  EXPECT_GT(blended, 0);
}

// SDL's offscreen driver keeps the drawable it made the window with, so
// what a resized or full-screen window shows is checked under a real X
// server (tests/e2e); here the layout, the state and the logical picture.
TEST(ScaledPresent, AResizedWindowKeepsTheFrameAndMapsThroughTheNewSizes) {
  ASSERT_TRUE(OpenAtScale(2));
  DrawScene();
  const std::vector<uint8_t> logical = LogicalPicture();
  // Resized in the middle of a frame: what was drawn so far is kept.
  SDL_SetWindowSize(Graphics()->Window, 1400, 1000);
  PumpWindowMessages();
  EXPECT_EQ(CurrentPresentLayout().Picture, (PixelRect{60, 20, 1280, 960}));
  EXPECT_EQ(Compare(LogicalPicture(), logical).Pixels, 0);
  ShowBackBuffer();
  SetView2D(0, 0, 0, 0);
  DrawScene();
  EXPECT_EQ(Compare(LogicalPicture(), logical).Pixels, 0);

  // Exactly the logical size: from the next frame on, drawn straight in.
  SDL_SetWindowSize(Graphics()->Window, kWidth, kHeight);
  PumpWindowMessages();
  EXPECT_EQ(Graphics()->DrawingDirect, 0);
  ShowBackBuffer();
  EXPECT_EQ(Graphics()->DrawingDirect, 1);
  SetView2D(0, 0, 0, 0);
  DrawScene();
  EXPECT_EQ(Compare(LogicalPicture(), logical).Pixels, 0);

  // Smaller than the logical screen: the picture fits with its aspect kept.
  SDL_SetWindowSize(Graphics()->Window, 400, 400);
  PumpWindowMessages();
  EXPECT_EQ(CurrentPresentLayout().Picture, (PixelRect{0, 50, 400, 300}));
  Graphics()->Display.Mode = ScaleMode::kStretch;
  ComposeWindowPicture();
  BindBackBuffer();
  EXPECT_EQ(CurrentPresentLayout().Picture, (PixelRect{0, 0, 400, 400}));
}

TEST(ScaledPresent, FullScreenIsTheDesktopAndKeepsTexturesPaceAndState) {
  ASSERT_TRUE(OpenAtScale(1));
  SetWindowTitle("stub");
  DrawScene();
  const std::vector<uint8_t> before = LogicalPicture();
  const double interval = Graphics()->FrameInterval;
  SetView2D(5, 6, 100, 80);

  EXPECT_EQ(ToggleFullScreen(), 1);
  EXPECT_EQ(Graphics()->IsFullScreen, 1);
  EXPECT_EQ(Graphics()->FrameInterval, interval);
  EXPECT_EQ(Graphics()->ViewWidth, 100) << "a switch leaves the game's view alone";
  SDL_DisplayMode desktop{};
  ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
  const PresentLayout& layout = CurrentPresentLayout();
  EXPECT_EQ(layout.DrawableWidth, desktop.w);
  EXPECT_EQ(layout.DrawableHeight, desktop.h);
  EXPECT_EQ(layout.Picture,
            PlacePicture(kWidth, kHeight, desktop.w, desktop.h, ScaleMode::kInteger));

  // The textures made before the switch still draw the same picture, now
  // into the logical framebuffer.
  ShowBackBuffer();
  EXPECT_EQ(Graphics()->DrawingDirect, 0);
  SetView2D(0, 0, 0, 0);
  DrawSprite(10, 0, 0);
  EXPECT_EQ(gltest::ReadPixel(1, 0).R, static_cast<int>(PatternColour(5, 0) & 255));
  SetView2D(0, 0, 0, 0);
  DrawScene();
  EXPECT_EQ(Compare(LogicalPicture(), before).Pixels, 0);

  EXPECT_EQ(ToggleFullScreen(), 0);
  EXPECT_EQ(Graphics()->IsFullScreen, 0);
  int w = 0, h = 0;
  SDL_GetWindowSize(Graphics()->Window, &w, &h);
  EXPECT_EQ(w, kWidth) << "the window comes back at its size";
  EXPECT_EQ(h, kHeight);
  EXPECT_EQ(std::string(SDL_GetWindowTitle(Graphics()->Window)), "stub");
  EXPECT_EQ(testenv::ReadErrorLog().find("No Fullscreen Mode available"), std::string::npos);
}

}  // namespace
