// Screen targets with framebuffer objects and emulated on the back buffer,
// grabs, the background image and saved images.
#include <gtest/gtest.h>

#include <random>

#include "runtime/core/frame.h"
#include "runtime/gfx2d/collision.h"
#include "runtime/gfx2d/screen_target.h"
#include "runtime/gfx2d/text.h"
#include "tests/gfx2d/gl_test_util.h"
#include "tests/support/test_env.h"

namespace {

using gltest::ReadPixel;
using gltest::Rgba;

constexpr int32_t kKey = 0x8000FF;

const char* WayName(bool framebuffers) { return framebuffers ? "framebuffer" : "emulated"; }

// The colour of pixel (x, y) in the test pictures: varied, with the key
// colour sprinkled in.
int32_t PictureColour(int x, int y, uint32_t seed) {
  const uint32_t h = (static_cast<uint32_t>(x) * 73856093u) ^ (static_cast<uint32_t>(y) * 19349663u) ^ seed;
  if (h % 7 == 0) return kKey;
  return static_cast<int32_t>(h & 0xFFFFFF);
}

Rgba StoredPixel(int32_t colour) {
  if (colour == kKey) return {255, 0, 128, 0};
  return {colour & 255, (colour >> 8) & 255, (colour >> 16) & 255, 255};
}

TEST(ScreenTarget, OnePixelOnTransparentBothWays) {
  ASSERT_TRUE(gltest::OpenWindow());
  for (bool framebuffers : {true, false}) {
    SetFramebufferObjectsAllowed(framebuffers);
    glClear(GL_COLOR_BUFFER_BIT);
    DrawRect(0, 0, 40, 40, 0x00FF00);  // what the emulated screen must give back
    CreateScreen(0, 5, 32, 32);
    EXPECT_EQ(Screen(0).FramebufferWidth, framebuffers ? 32 : 0) << WayName(framebuffers);
    UseScreen(0);
    EXPECT_EQ(CurrentScreen(), 0);
    DrawRect(0, 0, 32, 32, kKey);
    SetPixel(3, 4, 0x0000FF);
    UseScreen(-1);
    EXPECT_EQ(CurrentScreen(), -1);
    EXPECT_EQ(ReadPixel(10, 10), (Rgba{0, 255, 0, 255})) << WayName(framebuffers) << ": corner restored";

    DrawRect(100, 100, 40, 40, 0xFFFFFF);
    SetSmoothing(0);
    DrawSprite(5, 100, 100);
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) {
        const Rgba expected = (x == 3 && y == 4) ? Rgba{255, 0, 0, 255} : Rgba{255, 255, 255, 255};
        ASSERT_EQ(ReadPixel(100 + x, 100 + y), expected) << WayName(framebuffers) << " " << x << "," << y;
      }
    }
    LoadSprite("missing.bmp", 6);
    CreateScreen(1, 6, 1, 1);
    UseScreen(1);
    DrawRect(0, 0, 1, 1, 0xFFFFFF);
    UseScreen(-1);
    EXPECT_EQ(SpritesCollide(5, 0, 0, 6, 3, 4), 1) << WayName(framebuffers);
    EXPECT_EQ(SpritesCollide(5, 0, 0, 6, 4, 4), 0) << WayName(framebuffers);
    EXPECT_EQ(SpritesCollide(5, 0, 0, 6, 3, 3), 0) << WayName(framebuffers);
  }
}

TEST(ScreenTarget, PixelByPixelFillGivesExactlyThatImage) {
  ASSERT_TRUE(gltest::OpenWindow());
  for (bool framebuffers : {true, false}) {
    SetFramebufferObjectsAllowed(framebuffers);
    CreateScreen(0, 20, 48, 40);
    UseScreen(0);
    DrawRect(0, 0, 500, 500, kKey);
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 48; ++x) SetPixel(x, y, PictureColour(x, y, 1));
    }
    UseScreen(-1);
    const SpriteEntry& e = SpriteSlot(20);
    EXPECT_EQ(e.Width, 48);
    EXPECT_EQ(e.Height, 40);
    EXPECT_EQ(e.TextureWidth, 64);
    EXPECT_EQ(e.TextureHeight, 64);
    const std::vector<uint8_t> t = gltest::ReadTexture(20);
    for (int y = 0; y < 64; ++y) {
      for (int x = 0; x < 64; ++x) {
        const size_t i = (static_cast<size_t>(63 - y) * 64 + x) * 4;
        const Rgba got{t[i], t[i + 1], t[i + 2], t[i + 3]};
        // Rows are stored bottom-up with the image's top at row Height - 1.
        const int imageY = y - (64 - 40);
        const Rgba expected = (x < 48 && imageY >= 0) ? StoredPixel(PictureColour(x, imageY, 1)) : Rgba{0, 0, 0, 0};
        ASSERT_EQ(got, expected) << WayName(framebuffers) << " texel " << x << "," << y;
      }
    }
  }
}

// The loader's way of making an image, as the game does it, against the
// one-call form; compared slot field by field and texel by texel.
void DrawnSequence(int32_t id, int side, uint32_t seed) {
  GrabSprite(id, 0, 0, side, side);
  CreateScreen(0, id, side, side);
  DrawSprite(id, 0, 0);
  UseScreen(0);
  DrawRect(0, 0, 500, 500, kKey);
  PrintText(NumberToText(id), 8, 8);
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) SetPixel(x, y, PictureColour(x, y, seed));
  }
  UseScreen(-1);
}

TEST(ScreenTarget, BuildSpriteFromPixelsEqualsTheDrawnSequence) {
  ASSERT_TRUE(gltest::OpenWindow());
  LoadBuiltinFont(0);
  for (bool framebuffers : {true, false}) {
    SetFramebufferObjectsAllowed(framebuffers);
    for (int side : {8, 32, 48}) {
      const uint32_t seed = static_cast<uint32_t>(side * 7 + framebuffers);
      DrawnSequence(100, side, seed);
      std::vector<int32_t> colours(static_cast<size_t>(side) * side);
      for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) colours[static_cast<size_t>(y) * side + x] = PictureColour(x, y, seed);
      }
      ASSERT_EQ(BuildSpriteFromPixels(101, side, side, colours.data()), 1);
      const SpriteEntry& drawn = SpriteSlot(100);
      const SpriteEntry& built = SpriteSlot(101);
      const std::string where = std::string(WayName(framebuffers)) + " side " + std::to_string(side);
      EXPECT_EQ(built.TextureWidth, drawn.TextureWidth) << where;
      EXPECT_EQ(built.TextureHeight, drawn.TextureHeight) << where;
      EXPECT_EQ(built.Width, drawn.Width) << where;
      EXPECT_EQ(built.Height, drawn.Height) << where;
      EXPECT_EQ(built.MipTexture, drawn.MipTexture) << where;
      EXPECT_EQ(gltest::ReadTexture(101), gltest::ReadTexture(100)) << where;
      const CollisionMask* a = CollisionMaskOf(100);
      const CollisionMask* b = CollisionMaskOf(101);
      ASSERT_NE(a, nullptr);
      ASSERT_NE(b, nullptr);
      EXPECT_EQ(a->Bits, b->Bits) << where;
    }
  }
  const std::vector<int32_t> small(36, 0x123456);
  SetFramebufferObjectsAllowed(false);
  ASSERT_EQ(BuildSpriteFromPixels(102, 6, 6, small.data()), 1);
  EXPECT_EQ(SpriteSlot(102).TextureWidth, 32) << "emulated: the grab's sides, from 32";
  SetFramebufferObjectsAllowed(true);
  ASSERT_EQ(BuildSpriteFromPixels(102, 6, 6, small.data()), 1);
  EXPECT_EQ(SpriteSlot(102).TextureWidth, 8) << "framebuffer: CreateScreen's sides, from 2";
  EXPECT_EQ(BuildSpriteFromPixels(102, 0, 5, small.data()), 0);
}

TEST(ScreenTarget, GrabSizesKeysAndEdges) {
  ASSERT_TRUE(gltest::OpenWindow());
  for (bool onScreenTarget : {false, true}) {
    if (onScreenTarget) {
      CreateScreen(0, 30, 640, 480);
      UseScreen(0);
    }
    glClear(GL_COLOR_BUFFER_BIT);
    DrawRect(50, 60, 10, 10, 0x0000FF);
    SetPixel(51, 60, kKey);
    ASSERT_EQ(GrabSprite(7, 50, 60, 10, 10), 1);
    const SpriteEntry& e = SpriteSlot(7);
    EXPECT_EQ(e.TextureWidth, 32);
    EXPECT_EQ(e.Width, 10);
    EXPECT_EQ(e.Height, 10);
    EXPECT_EQ(e.MipTexture, 0u);
    EXPECT_EQ(gltest::ImageTexel(7, 0, 0), (Rgba{255, 0, 0, 255})) << onScreenTarget;
    EXPECT_EQ(gltest::ImageTexel(7, 1, 0).A, 0) << onScreenTarget;
    // With the key 0, black becomes transparent.
    SetTransparentColour(0);
    ASSERT_EQ(GrabSprite(8, 55, 65, 10, 10), 1);
    EXPECT_EQ(gltest::ImageTexel(8, 0, 0).A, 255) << onScreenTarget;
    EXPECT_EQ(gltest::ImageTexel(8, 9, 9).A, 0) << onScreenTarget;
    SetTransparentColour(kKey);
    // A rectangle reaching past the window: the part outside is transparent.
    DrawRect(630, 470, 10, 10, 0xFFFFFF);
    ASSERT_EQ(GrabSprite(9, 630, 470, 20, 20), 1);
    EXPECT_EQ(gltest::ImageTexel(9, 9, 9), (Rgba{255, 255, 255, 255})) << onScreenTarget;
    EXPECT_EQ(gltest::ImageTexel(9, 10, 9).A, 0) << onScreenTarget;
    EXPECT_EQ(gltest::ImageTexel(9, 9, 10).A, 0) << onScreenTarget;
    // Cleared black is black too: with the key 0 it goes.
    SetTransparentColour(0);
    ASSERT_EQ(GrabSprite(10, 300, 300, 4, 4), 1);
    EXPECT_EQ(gltest::ImageTexel(10, 0, 0).A, 0) << onScreenTarget;
    SetTransparentColour(kKey);
  }
  UseScreen(-1);
  EXPECT_EQ(GrabSprite(9, 0, 0, 0, 10), 0);
}

TEST(ScreenTarget, PixelsSetBeforeASwitchStayWhereTheyWereSet) {
  ASSERT_TRUE(gltest::OpenWindow());
  CreateScreen(0, 4, 16, 16);
  SetPixel(2, 2, 0x0000FF);  // on the back buffer, still batched
  UseScreen(0);
  SetPixel(3, 3, 0x00FF00);  // in the screen
  UseScreen(-1);
  EXPECT_EQ(ReadPixel(2, 2), (Rgba{255, 0, 0, 255}));
  EXPECT_EQ(gltest::ImageTexel(4, 2, 2), (Rgba{0, 0, 0, 0}));
  EXPECT_EQ(gltest::ImageTexel(4, 3, 3), (Rgba{0, 255, 0, 255}));
  EXPECT_EQ(ReadPixel(3, 3), (Rgba{0, 0, 0, 255}));
}

TEST(ScreenTarget, OutOfRangeScreensAreIgnoredAndPresentEndsATarget) {
  ASSERT_TRUE(gltest::OpenWindow());
  CreateScreen(40, 3, 16, 16);
  EXPECT_EQ(SpriteSlot(3).Width, 0);
  CreateScreen(2, 3, 16, 16);
  UseScreen(2);
  UseScreen(40);
  EXPECT_EQ(CurrentScreen(), 2);
  UseScreen(5);  // never created
  EXPECT_EQ(CurrentScreen(), 2);
  DrawRect(0, 0, 16, 16, 0x00FF00);
  PresentFrame();
  EXPECT_EQ(CurrentScreen(), -1);
  EXPECT_EQ(Graphics()->TargetWidth, 640);
  EXPECT_EQ(gltest::ImageTexel(3, 15, 15), (Rgba{0, 255, 0, 255}));
}

TEST(ScreenTarget, SavedFilesAreChosenByNameAndReadBack) {
  ASSERT_TRUE(gltest::OpenWindow());
  const std::string dir = testenv::TempDir();
  DrawRect(0, 0, 640, 480, 0x204060);
  SetPixel(0, 0, 0x0000FF);
  ASSERT_EQ(SaveScreen((dir + "/shot.PNG").c_str()), 1);
  ASSERT_EQ(SaveScreen((dir + "/shot.png.bmp").c_str()), 1);
  EXPECT_EQ(testenv::ReadFile(dir + "/shot.PNG").substr(1, 3), "PNG");
  EXPECT_EQ(testenv::ReadFile(dir + "/shot.png.bmp").substr(0, 2), "BM");
  EXPECT_EQ(SaveScreen(".png"), 1);  // too short a name for PNG: a BMP called ".png"
  EXPECT_EQ(testenv::ReadFile(".png").substr(0, 2), "BM");
  std::remove(".png");
  ASSERT_EQ(LoadSprite((dir + "/shot.PNG").c_str(), 1), 1);
  EXPECT_EQ(SpriteSlot(1).Width, 640);
  EXPECT_EQ(gltest::ImageTexel(1, 0, 0), (Rgba{255, 0, 0, 255}));
  EXPECT_EQ(gltest::ImageTexel(1, 639, 479), (Rgba{0x60, 0x40, 0x20, 255}));

  // A sprite with transparent pixels keeps them through PNG and through BMP
  // (written in the key colour).
  std::vector<int32_t> colours(12);
  for (int i = 0; i < 12; ++i) colours[static_cast<size_t>(i)] = i % 3 == 0 ? kKey : 0x010203 * (i + 1);
  ASSERT_EQ(BuildSpriteFromPixels(2, 4, 3, colours.data()), 1);
  for (const char* name : {"/s.png", "/s.bmp"}) {
    ASSERT_EQ(SaveSprite((dir + name).c_str(), 2), 1) << name;
    ASSERT_EQ(LoadSprite((dir + name).c_str(), 3), 1) << name;
    EXPECT_EQ(SpriteSlot(3).Width, 4);
    for (int i = 0; i < 12; ++i) {
      const Rgba got = gltest::ImageTexel(3, i % 4, i / 4);
      if (i % 3 == 0) {
        EXPECT_EQ(got.A, 0) << name << " " << i;
      } else {
        EXPECT_EQ(got, StoredPixel(colours[static_cast<size_t>(i)])) << name << " " << i;
      }
    }
  }
  EXPECT_EQ(SaveSprite((dir + "/none/x.png").c_str(), 2), 0) << "unwritable";
  EXPECT_EQ(SaveSprite((dir + "/empty.png").c_str(), 999), 0) << "empty slot";
}

TEST(ScreenTarget, BackgroundImageStartsEachFrameUntilCleared) {
  ASSERT_TRUE(gltest::OpenWindow());
  const std::string path = testenv::TempDir() + "/back.bmp";
  testenv::WriteFile(path, gltest::MakeBmp(64, 48, 24, [](int x, int) { return x < 32 ? 0x0000FFu : 0xFFFF00u; }));
  ASSERT_EQ(LoadBackground(path.c_str()), 1);
  PresentFrame();
  EXPECT_EQ(ReadPixel(10, 10), (Rgba{0, 0, 255, 255}));   // stretched over the screen
  EXPECT_EQ(ReadPixel(630, 470), (Rgba{255, 255, 0, 255}));
  ClearScreen();
  EXPECT_EQ(ReadPixel(10, 10), (Rgba{0, 0, 0, 255}));
  PresentFrame();
  EXPECT_EQ(ReadPixel(10, 10), (Rgba{0, 0, 0, 255}));
  DrawRect(0, 0, 640, 480, 0x00FF00);
  UseScreenAsBackground();
  PresentFrame();
  EXPECT_EQ(ReadPixel(320, 240), (Rgba{0, 255, 0, 255}));
}

}  // namespace
