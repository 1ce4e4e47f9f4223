// The sprite store: loading into slots, texture sides and layout, colour
// keys, and what an empty or refilled slot holds.
#include <gtest/gtest.h>

#include "runtime/core/program_end.h"
#include "runtime/gfx2d/sprite_store.h"
#include "tests/support/program_end_checks.h"
#include "tests/gfx2d/gl_test_util.h"
#include "tests/support/test_env.h"

namespace {

using gltest::Rgba;

std::string WriteImage(const std::string& name, const std::string& bytes) {
  const std::string path = testenv::TempDir() + "/" + name;
  testenv::WriteFile(path, bytes);
  return path;
}

TEST(SpriteStore, SizesArePowersOfTwoWithTheImageInTheCorner) {
  ASSERT_TRUE(gltest::OpenWindow());
  auto colour = [](int x, int y) { return static_cast<uint32_t>(0x400000 * (x + 1) + 0x40 * (y + 1)); };
  ASSERT_EQ(LoadSprite(WriteImage("a.bmp", gltest::MakeBmp(3, 2, 24, colour)).c_str(), 7), 1);
  const SpriteEntry& e = SpriteSlot(7);
  EXPECT_EQ(e.Width, 3);
  EXPECT_EQ(e.Height, 2);
  EXPECT_EQ(e.TextureWidth, 4);
  EXPECT_EQ(e.TextureHeight, 2);
  EXPECT_NE(e.MipTexture, 0u);
  // The image's top row is the texture's row Height - 1.
  const std::vector<uint8_t> t = gltest::ReadTexture(7);
  EXPECT_EQ((Rgba{t[(1 * 4 + 0) * 4], t[(1 * 4 + 0) * 4 + 1], t[(1 * 4 + 0) * 4 + 2], t[(1 * 4 + 0) * 4 + 3]}),
            (Rgba{0x40, 0, 0x40, 255}));
  EXPECT_EQ(gltest::ImageTexel(7, 2, 1), (Rgba{0xC0, 0, 0x80, 255}));
  // The column outside the image stays transparent.
  EXPECT_EQ(t[(0 * 4 + 3) * 4 + 3], 0);

  ASSERT_EQ(LoadSprite(WriteImage("b.bmp", gltest::MakeBmp(1, 1, 24, colour)).c_str(), 8), 1);
  EXPECT_EQ(SpriteSlot(8).TextureWidth, 2);
  EXPECT_EQ(SpriteSlot(8).TextureHeight, 2);
}

TEST(SpriteStore, KeyColourFollowsSetTransparentColour) {
  ASSERT_TRUE(gltest::OpenWindow());
  // Pixel 0 is the start-up key (red 255, blue 128), pixel 1 black.
  const std::string path =
      WriteImage("k.bmp", gltest::MakeBmp(2, 1, 24, [](int x, int) { return x == 0 ? 0xFF0080u : 0u; }));
  ASSERT_EQ(LoadSprite(path.c_str(), 1), 1);
  EXPECT_EQ(gltest::ImageTexel(1, 0, 0).A, 0);
  EXPECT_EQ(gltest::ImageTexel(1, 1, 0).A, 255);
  SetTransparentColour(0);
  ASSERT_EQ(LoadSprite(path.c_str(), 1), 1);
  EXPECT_EQ(gltest::ImageTexel(1, 0, 0).A, 255);
  EXPECT_EQ(gltest::ImageTexel(1, 1, 0).A, 0);
  EXPECT_EQ(Sprites().FontTransparentColour, 0);
}

TEST(SpriteStore, TransparentTexelsTakeTheirNeighboursColour) {
  ASSERT_TRUE(gltest::OpenWindow());
  // A 4 x 4 image: key everywhere but one green pixel at (1, 1) and a red one at (2, 1).
  const std::string path = WriteImage("e.bmp", gltest::MakeBmp(4, 4, 24, [](int x, int y) {
    if (y == 1 && x == 1) return 0x00FF00u;
    if (y == 1 && x == 2) return 0xFF0000u;
    return 0xFF0080u;
  }));
  ASSERT_EQ(LoadSprite(path.c_str(), 2), 1);
  // (1, 2) touches both (diagonally and below): the average of red and green.
  EXPECT_EQ(gltest::ImageTexel(2, 1, 2), (Rgba{127, 127, 0, 0}));
  // (0, 0) touches only the green pixel.
  EXPECT_EQ(gltest::ImageTexel(2, 0, 0), (Rgba{0, 255, 0, 0}));
  // Fonts are not filled.
  ASSERT_EQ(LoadImageToSlot(kFirstFontSlot + 3, path, kSpriteColourKey, false), 1);
  EXPECT_EQ(gltest::ImageTexel(kFirstFontSlot + 3, 0, 0), (Rgba{0, 0, 0, 0}));
  EXPECT_EQ(SpriteSlot(kFirstFontSlot + 3).MipTexture, 0u);
}

TEST(SpriteStore, FailedLoadsLeaveTheSlotEmpty) {
  ASSERT_TRUE(gltest::OpenWindow());
  const std::string good =
      WriteImage("g.bmp", gltest::MakeBmp(5, 5, 24, [](int, int) { return 0x123456u; }));
  ASSERT_EQ(LoadSprite(good.c_str(), 3), 1);
  EXPECT_EQ(LoadSprite((testenv::TempDir() + "/missing.bmp").c_str(), 3), 0);
  EXPECT_EQ(SpriteSlot(3).Width, 0);
  EXPECT_EQ(SpriteSlot(3).Texture, 0u);
  EXPECT_EQ(LoadSprite(WriteImage("junk.bmp", "not an image at all").c_str(), 3), 0);
  EXPECT_EQ(SpriteSlot(3).Height, 0);
  EXPECT_EQ(SpriteSlot(3).TextureWidth, -1);

  ASSERT_EQ(LoadAnimation(good.c_str(), 4, 2, 3), 1);
  EXPECT_EQ(SpriteSlot(4).FrameWidth, 2);
  DeleteSprite(4);
  EXPECT_EQ(SpriteSlot(4).Width, 0);
  EXPECT_EQ(SpriteSlot(4).TextureHeight, -1);
  EXPECT_EQ(SpriteSlot(4).FrameWidth, 0);
}

TEST(SpriteStore, DecoderIsChosenByContentNotName) {
  ASSERT_TRUE(gltest::OpenWindow());
  const std::string png = gltest::MakePng(2, 2, PNG_COLOR_TYPE_RGBA, 8,
                                          {{1, 2, 3, 255, 4, 5, 6, 0}, {7, 8, 9, 255, 10, 11, 12, 255}});
  ASSERT_EQ(LoadSprite(WriteImage("font.bmp", png).c_str(), 9), 1);
  EXPECT_EQ(SpriteSlot(9).Width, 2);
  EXPECT_EQ(gltest::ImageTexel(9, 0, 1), (Rgba{7, 8, 9, 255}));
}

TEST(SpriteStore, SlotNumbersOutsideTheStoreAreARuntimeError) {
  EXPECT_PROGRAM_END_MATCHING(
      {
        gltest::OpenWindow();
        DeleteSprite(65536);
      },
      "");
  EXPECT_NE(testenv::ReadErrorLog().find("Runtime error 7"), std::string::npos);
  EXPECT_PROGRAM_END_MATCHING(LoadSprite("x.bmp", -1), "");
}

}  // namespace
