// Bitmap-font text: cell sizes from the image, where glyphs are taken from
// and placed, and the built-in font.
#include <gtest/gtest.h>

#include <set>

#include "runtime/gfx2d/text.h"
#include "tests/gfx2d/gl_test_util.h"
#include "tests/support/test_env.h"

namespace {

using gltest::ReadPixel;
using gltest::Rgba;

// A font image whose glyph g is a cell filled with red g, green 255 - g, blue 77.
std::string MakeCodedFont(int width, int height) {
  const int rows = width >= height ? 8 : 16;
  const int cellW = width / 16, cellH = height / rows;
  const std::string path = testenv::TempDir() + "/font.bmp";
  testenv::WriteFile(path, gltest::MakeBmp(width, height, 24, [&](int x, int y) {
    const uint32_t g = static_cast<uint32_t>((y / cellH) * 16 + x / cellW);
    return (g << 16) | ((255 - g) << 8) | 77;
  }));
  return path;
}

TEST(Text, CellSizesAndGlyphCountFollowTheImageShape) {
  ASSERT_TRUE(gltest::OpenWindow());
  LoadFont(MakeCodedFont(256, 128).c_str(), 2);
  int32_t w = 0, h = 0;
  GetFontSize(w, h);
  EXPECT_EQ(w, 16);
  EXPECT_EQ(h, 16);
  // 128 glyphs: byte 200 shows glyph 72.
  PrintText("\xC8", 0, 0);
  EXPECT_EQ(ReadPixel(0, 0).R, 72);
  EXPECT_EQ(ReadPixel(15, 15).R, 72);

  LoadFont(MakeCodedFont(128, 256).c_str(), 3);
  GetFontSize(w, h);
  EXPECT_EQ(w, 8);
  EXPECT_EQ(h, 16);
  PrintText("\xC8", 100, 0);  // 256 glyphs: byte 200 is glyph 200
  EXPECT_EQ(ReadPixel(100, 0).R, 200);
  EXPECT_EQ(ReadPixel(107, 15).R, 200);
  EXPECT_EQ(ReadPixel(108, 15).R, 0);
}

TEST(Text, TextStartsAtTheCeilingAndAdvancesOneCellPerByte) {
  ASSERT_TRUE(gltest::OpenWindow());
  LoadFont(MakeCodedFont(128, 64).c_str(), 0);
  PrintText("AB\n", 10.2, 20.5);
  EXPECT_EQ(ReadPixel(10, 21).R, 0) << "starts at the ceiling of x";
  EXPECT_EQ(ReadPixel(11, 20).R, 0) << "and of y";
  EXPECT_EQ(ReadPixel(11, 21).R, 65);
  EXPECT_EQ(ReadPixel(18, 28).R, 65);
  EXPECT_EQ(ReadPixel(19, 21).R, 66);
  EXPECT_EQ(ReadPixel(27, 21).R, 10) << "a line feed is glyph 10, no line break";
  PrintNumber(12.5, 0, 100);
  EXPECT_EQ(ReadPixel(0, 100).R, '1');
  EXPECT_EQ(ReadPixel(24, 100).R, '5');
  // Font numbers are clamped: 40 loads into font 31 and makes it current.
  LoadFont("no-such-font.bmp", 40);
  EXPECT_EQ(CurrentFont(), 31);
  EXPECT_EQ(SpriteSlot(kFirstFontSlot + 31).Width, 128);
  SetFont(-3);
  EXPECT_EQ(CurrentFont(), 0);
}

TEST(Text, FontKeyIsBlack) {
  ASSERT_TRUE(gltest::OpenWindow());
  const std::string path = testenv::TempDir() + "/blackfont.bmp";
  // Glyph pixels in the left half of each cell white, the rest black.
  testenv::WriteFile(path, gltest::MakeBmp(128, 64, 24, [](int x, int) { return x % 8 < 4 ? 0xFFFFFFu : 0u; }));
  LoadFont(path.c_str(), 0);
  DrawRect(0, 0, 16, 8, 0x0000FF);
  PrintText("a", 0, 0);
  EXPECT_EQ(ReadPixel(0, 0), (Rgba{255, 255, 255, 255}));
  EXPECT_EQ(ReadPixel(5, 0), (Rgba{255, 0, 0, 255})) << "black is see-through";
}

TEST(Text, BuiltInFontIsWhiteWithADarkOutline) {
  ASSERT_TRUE(gltest::OpenWindow());
  LoadFont("missing.bmp", 0);
  int32_t w = 0, h = 0;
  GetFontSize(w, h);
  EXPECT_EQ(w, 8);
  EXPECT_EQ(h, 8);
  const SpriteEntry& e = SpriteSlot(kFirstFontSlot);
  EXPECT_EQ(e.TextureWidth, 128);
  EXPECT_EQ(e.TextureHeight, 64);

  DrawRect(0, 0, 64, 16, 0x0000FF);  // red background
  PrintText("R", 8, 4);
  const uint32_t glyph = BuiltinGlyph('R');
  auto lit = [&](int column, int row) {
    return column >= 0 && column < 5 && row >= 0 && row < 6 && ((glyph >> (row * 5 + column)) & 1u);
  };
  for (int cy = 0; cy < 8; ++cy) {
    for (int cx = 0; cx < 8; ++cx) {
      const int column = cx - 1, row = cy - 1;
      Rgba expected{255, 0, 0, 255};
      if (lit(column, row)) {
        expected = {255, 255, 255, 255};
      } else if (lit(column - 1, row) || lit(column + 1, row) || lit(column, row - 1) ||
                 lit(column, row + 1)) {
        expected = {8, 8, 8, 255};
      }
      EXPECT_EQ(ReadPixel(8 + cx, 4 + cy), expected) << cx << "," << cy;
    }
  }
}

TEST(Text, BuiltInGlyphsAreDistinctAndFitTheirCells) {
  std::set<uint32_t> seen;
  for (int c = 33; c < 127; ++c) {
    const uint32_t glyph = BuiltinGlyph(c);
    EXPECT_NE(glyph, 0u) << "character " << c;
    EXPECT_TRUE(seen.insert(glyph).second) << "character " << static_cast<char>(c) << " repeats";
    EXPECT_EQ(glyph >> 30, 0u);
  }
  EXPECT_EQ(BuiltinGlyph(' '), 0u);
  // Capitals and digits stand on row 4; nothing of theirs in row 5.
  for (int c : {'A', 'Z', 'M', '0', '9'}) EXPECT_EQ(BuiltinGlyph(c) >> 25, 0u) << static_cast<char>(c);
  // Descenders reach row 5.
  for (int c : {'g', 'j', 'p', 'q', 'y'}) EXPECT_NE(BuiltinGlyph(c) >> 25, 0u) << static_cast<char>(c);
}

}  // namespace
