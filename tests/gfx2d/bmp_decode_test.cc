// BMP decoding: every accepted form, the colour key, and files whose headers
// lie about what they hold.
#include <gtest/gtest.h>

#include <cstring>

#include "runtime/gfx2d/image_decode.h"
#include "tests/gfx2d/gl_test_util.h"

namespace {

using gltest::MakeBmp;

bool Decode(const std::string& bytes, ImageBuffer& image, int32_t key = kNoColourKey) {
  return DecodeBmp(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), key, image);
}

gltest::Rgba At(const ImageBuffer& image, int x, int y) {
  const uint8_t* p = image.Pixels.data() + (static_cast<size_t>(y) * image.Width + x) * 4;
  return {p[0], p[1], p[2], p[3]};
}

void SetLe32(std::string& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 255);
}

TEST(BmpDecode, TrueColourRowsComeOutTopDownInRgbOrder) {
  for (int bits : {24, 32}) {
    // Colours differ per pixel so that any flip or channel swap shows.
    auto colour = [](int x, int y) { return static_cast<uint32_t>(0x102030 + x * 0x010000 + y * 0x000100); };
    ImageBuffer image;
    ASSERT_TRUE(Decode(MakeBmp(3, 2, bits, colour), image)) << bits;
    EXPECT_EQ(image.Width, 3);
    EXPECT_EQ(image.Height, 2);
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < 3; ++x) {
        const uint32_t c = colour(x, y);
        EXPECT_EQ(At(image, x, y), (gltest::Rgba{static_cast<int>(c >> 16), static_cast<int>((c >> 8) & 255),
                                                 static_cast<int>(c & 255), 255}))
            << bits << " bits at " << x << "," << y;
      }
    }
  }
}

TEST(BmpDecode, PaletteFormsIndexTheirPalette) {
  const std::vector<uint32_t> palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF,
                                         0x123456, 0xABCDEF, 0x777777, 0xFFFFFF};
  for (int bits : {1, 4, 8}) {
    const uint32_t count = bits == 1 ? 2 : 8;
    // Width 33 needs a fifth byte per row at 1 bit: the stride must round up.
    auto index = [&](int x, int y) { return static_cast<uint32_t>((x * 3 + y) % count); };
    std::vector<uint32_t> used(palette.begin(), palette.begin() + count);
    ImageBuffer image;
    ASSERT_TRUE(Decode(MakeBmp(33, 3, bits, index, used), image)) << bits;
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 33; ++x) {
        const uint32_t c = used[index(x, y)];
        ASSERT_EQ(At(image, x, y), (gltest::Rgba{static_cast<int>(c >> 16), static_cast<int>((c >> 8) & 255),
                                                 static_cast<int>(c & 255), 255}))
            << bits << " bits at " << x << "," << y;
      }
    }
  }
}

TEST(BmpDecode, CoreHeaderWithThreeBytePalette) {
  // 12-byte header, 2 x 2 pixels, 8 bits, palette of 256 three-byte entries.
  std::string bytes = "BM";
  gltest::PutLe(bytes, 0, 4);
  gltest::PutLe(bytes, 0, 4);
  gltest::PutLe(bytes, 26 + 256 * 3, 4);
  gltest::PutLe(bytes, 12, 4);
  gltest::PutLe(bytes, 2, 2);
  gltest::PutLe(bytes, 2, 2);
  gltest::PutLe(bytes, 1, 2);
  gltest::PutLe(bytes, 8, 2);
  for (int i = 0; i < 256; ++i) {
    bytes += static_cast<char>(i);        // blue
    bytes += static_cast<char>(255 - i);  // green
    bytes += static_cast<char>(7);        // red
  }
  bytes += std::string("\x01\x02\0\0", 4);  // bottom row: indexes 1, 2
  bytes += std::string("\x03\x04\0\0", 4);  // top row: indexes 3, 4
  ImageBuffer image;
  ASSERT_TRUE(Decode(bytes, image));
  EXPECT_EQ(At(image, 0, 0), (gltest::Rgba{7, 252, 3, 255}));
  EXPECT_EQ(At(image, 1, 1), (gltest::Rgba{7, 253, 2, 255}));
}

TEST(BmpDecode, NegativeHeightMeansRowsFromTheTop) {
  auto colour = [](int, int y) { return y == 0 ? 0xFF0000u : 0x0000FFu; };
  ImageBuffer image;
  ASSERT_TRUE(Decode(MakeBmp(2, 2, 24, colour, {}, true), image));
  EXPECT_EQ(image.Height, 2);
  EXPECT_EQ(At(image, 0, 0), (gltest::Rgba{255, 0, 0, 255}));
  EXPECT_EQ(At(image, 0, 1), (gltest::Rgba{0, 0, 255, 255}));
}

TEST(BmpDecode, KeyColourBecomesTransparentBlack) {
  // 0x8000FF packed red-lowest is red 255, green 0, blue 128.
  auto colour = [](int x, int) { return x == 0 ? 0xFF0080u : 0x000000u; };
  ImageBuffer image;
  ASSERT_TRUE(Decode(MakeBmp(2, 1, 24, colour), image, 0x8000FF));
  EXPECT_EQ(At(image, 0, 0), (gltest::Rgba{0, 0, 0, 0}));
  EXPECT_EQ(At(image, 1, 0), (gltest::Rgba{0, 0, 0, 255}));
  ASSERT_TRUE(Decode(MakeBmp(2, 1, 24, colour), image, 0));
  EXPECT_EQ(At(image, 0, 0), (gltest::Rgba{255, 0, 128, 255}));
  EXPECT_EQ(At(image, 1, 0), (gltest::Rgba{0, 0, 0, 0}));
}

TEST(BmpDecode, UnsupportedFormsFail) {
  ImageBuffer image;
  const std::string good = MakeBmp(4, 4, 24, [](int, int) { return 0x112233u; });
  std::string bad = good;
  bad[0] = 'P';
  EXPECT_FALSE(Decode(bad, image)) << "magic";
  bad = good;
  SetLe32(bad, 14, 108);  // a version-4 header is not taken
  EXPECT_FALSE(Decode(bad, image)) << "info header size";
  bad = good;
  SetLe32(bad, 30, 1);  // run-length compressed
  EXPECT_FALSE(Decode(bad, image)) << "compression";
}

TEST(BmpDecode, SixteenBitsWithoutMasksAreFiveBitsAChannel) {
  // 2 x 1 pixels: pure red and a blue of 16 of 31 steps, top bit set (unused).
  std::string bytes = MakeBmp(2, 1, 24, [](int, int) { return 0u; });
  bytes[28] = 16;
  bytes.replace(54, std::string::npos, std::string("\x00\x7C\x10\x80\0\0", 6));
  ImageBuffer image;
  ASSERT_TRUE(Decode(bytes, image));
  EXPECT_EQ(At(image, 0, 0), (gltest::Rgba{255, 0, 0, 255}));
  EXPECT_EQ(At(image, 1, 0), (gltest::Rgba{0, 0, 132, 255}));
}

TEST(BmpDecode, LyingHeadersFailWithoutReadingOutside) {
  const std::string good = MakeBmp(4, 4, 8, [](int x, int) { return static_cast<uint32_t>(x); },
                                   {0x000000, 0x111111, 0x222222, 0x333333});
  ImageBuffer image;
  ASSERT_TRUE(Decode(good, image));

  struct Case {
    const char* Name;
    size_t At;
    uint32_t Value;
  };
  const Case cases[] = {
      {"offset before the header end", 10, 20},
      {"offset past the file", 10, 100000},
      {"width 0", 18, 0},
      {"height 0", 22, 0},
      {"negative width", 18, 0xFFFFFFFC},
      {"huge width", 18, 0x7FFFFFFF},
      {"huge height", 22, 0x7FFFFFFF},
      {"most negative height", 22, 0x80000000},
      {"stride overflowing 32 bits", 18, 0x40000000},
  };
  for (const Case& c : cases) {
    std::string bad = good;
    SetLe32(bad, c.At, c.Value);
    EXPECT_FALSE(Decode(bad, image)) << c.Name;
  }
  // Too few pixel bytes for the rows the header announces.
  EXPECT_FALSE(Decode(good.substr(0, good.size() - 5), image)) << "truncated pixel area";
  // Only the last row's padding missing is tolerated.
  const std::string noPadding = MakeBmp(3, 2, 24, [](int, int) { return 0x0A0B0Cu; });
  EXPECT_TRUE(Decode(noPadding.substr(0, noPadding.size() - 3), image)) << "last padding";
  for (size_t n = 0; n < good.size(); ++n) {
    Decode(good.substr(0, n), image);  // must not crash or read past the end
  }
}

TEST(BmpDecode, IndexBeyondThePaletteShowsBlack) {
  // Two palette entries, pixels using indexes 1 and 200.
  const std::string bytes = MakeBmp(2, 1, 8, [](int x, int) { return x == 0 ? 1u : 200u; },
                                    {0x000000, 0x00FF00});
  ImageBuffer image;
  ASSERT_TRUE(Decode(bytes, image));
  EXPECT_EQ(At(image, 0, 0), (gltest::Rgba{0, 255, 0, 255}));
  EXPECT_EQ(At(image, 1, 0), (gltest::Rgba{0, 0, 0, 255}));
}

}  // namespace
