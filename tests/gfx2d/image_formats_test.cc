// The image forms the sprite and font loader takes beyond the plain ones:
// BMP header variants, bit-field masks, run-length rows, grey PNGs with
// alpha. Each form is decoded pixel for pixel (alpha included) and against
// the colour key; files written by other tools are compared with what two
// other decoders read from them; every form that is not taken is refused.
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "runtime/gfx2d/image_decode.h"
#include "runtime/gfx2d/sprite_store.h"
#include "tests/gfx2d/gl_test_util.h"
#include "tests/support/test_env.h"

namespace {

using gltest::PutLe;
using gltest::Rgba;

constexpr int32_t kSpriteKey = 0x8000FF;  // red 255, green 0, blue 128

// Stored rows of width x height values given top row first: palette indexes
// (1, 4, 8 bits), raw 16- or 32-bit pixels, or 0xRRGGBB (24 bits). Rows go
// bottom first unless topDown, each padded to 4 bytes.
std::string Rows(int width, int height, int bits, const std::vector<uint32_t>& values,
                 bool topDown = false) {
  const int stride = (width * bits + 31) / 32 * 4;
  std::string out;
  for (int r = 0; r < height; ++r) {
    const int y = topDown ? r : height - 1 - r;
    std::string row;
    if (bits < 8) {
      row.assign(static_cast<size_t>(stride), '\0');
      for (int x = 0; x < width; ++x) {
        const int bit = x * bits;
        row[bit / 8] =
            static_cast<char>(row[bit / 8] | (values[y * width + x] << (8 - bits - bit % 8)));
      }
    } else {
      for (int x = 0; x < width; ++x) PutLe(row, values[y * width + x], bits / 8);
      row.resize(static_cast<size_t>(stride), '\0');
    }
    out += row;
  }
  return out;
}

// A BMP file put together field by field, so that every header form and
// every lie can be written: Bmp(header size, width, height, bits,
// compression), then the masks, palette and pixel data it needs.
struct Bmp {
  uint32_t InfoSize;
  int32_t Width;
  int32_t Height;  // negative: rows stored from the top
  uint32_t Bits;
  uint32_t Compression;
  std::vector<uint32_t> MaskList;     // inside the header as far as it has room, then after it
  std::vector<uint32_t> PaletteList;  // 0xRRGGBB
  std::string Data;                   // the stored pixel data

  Bmp(uint32_t infoSize, int32_t width, int32_t height, uint32_t bits, uint32_t compression = 0)
      : InfoSize(infoSize), Width(width), Height(height), Bits(bits), Compression(compression) {}
  Bmp& Masks(std::vector<uint32_t> masks) {
    MaskList = std::move(masks);
    return *this;
  }
  Bmp& Palette(std::vector<uint32_t> palette) {
    PaletteList = std::move(palette);
    return *this;
  }
  Bmp& Pixels(std::string data) {
    Data = std::move(data);
    return *this;
  }
  // Plain rows of the file's own size and depth (see Rows).
  Bmp& RowsOf(const std::vector<uint32_t>& values) {
    Data = Rows(Width, Height < 0 ? -Height : Height, static_cast<int>(Bits), values, Height < 0);
    return *this;
  }

  std::string Build() const {
    std::string info;
    PutLe(info, InfoSize, 4);
    if (InfoSize == 12) {
      PutLe(info, static_cast<uint32_t>(Width), 2);
      PutLe(info, static_cast<uint32_t>(Height), 2);
      PutLe(info, 1, 2);
      PutLe(info, Bits, 2);
    } else {
      PutLe(info, static_cast<uint32_t>(Width), 4);
      PutLe(info, static_cast<uint32_t>(Height), 4);
      PutLe(info, 1, 2);
      PutLe(info, Bits, 2);
      PutLe(info, Compression, 4);
      PutLe(info, static_cast<uint32_t>(Data.size()), 4);
      PutLe(info, 2835, 4);
      PutLe(info, 2835, 4);
      PutLe(info, static_cast<uint32_t>(PaletteList.size()), 4);
      PutLe(info, 0, 4);
    }
    size_t mask = 0;
    for (; mask < MaskList.size() && info.size() + 4 <= InfoSize; ++mask) {
      PutLe(info, MaskList[mask], 4);
    }
    info.resize(InfoSize, '\0');
    for (; mask < MaskList.size(); ++mask) PutLe(info, MaskList[mask], 4);
    for (uint32_t c : PaletteList) PutLe(info, c, InfoSize == 12 ? 3 : 4);
    const uint32_t offset = 14 + static_cast<uint32_t>(info.size());
    std::string out = "BM";
    PutLe(out, offset + static_cast<uint32_t>(Data.size()), 4);
    PutLe(out, 0, 4);
    PutLe(out, offset, 4);
    return out + info + Data;
  }
};

std::vector<Rgba> PixelsOf(const ImageBuffer& image) {
  std::vector<Rgba> out;
  for (size_t i = 0; i + 3 < image.Pixels.size(); i += 4) {
    out.push_back({image.Pixels[i], image.Pixels[i + 1], image.Pixels[i + 2], image.Pixels[i + 3]});
  }
  return out;
}

bool DecodeBmpBytes(const std::string& bytes, ImageBuffer& image, int32_t key = kNoColourKey) {
  return DecodeBmp(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), key, image);
}

bool DecodePngBytes(const std::string& bytes, ImageBuffer& image, int32_t key = kNoColourKey) {
  return DecodePng(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), key, image,
                   "test.png");
}

// Pixels by name: T is transparent black (keyed out, or never drawn).
const Rgba T{0, 0, 0, 0};
const Rgba kBlack{0, 0, 0, 255};
const Rgba kKeyColour{255, 0, 128, 255};
const Rgba kSky{16, 160, 240, 255};
const Rgba kWhite{255, 255, 255, 255};
// The palette of the indexed cases: black, the key colour, sky, white.
const std::vector<uint32_t> kPalette = {0x000000, 0xFF0080, 0x10A0F0, 0xFFFFFF};

struct FormatCase {
  const char* Name;
  std::string Bytes;
  int32_t Key;
  int Width;
  std::vector<Rgba> Expected;  // top row first
};

std::vector<FormatCase> FormatCases() {
  std::vector<FormatCase> cases;
  auto add = [&](const char* name, const Bmp& file, int32_t key, std::vector<Rgba> expected) {
    cases.push_back({name, file.Build(), key, file.Width, std::move(expected)});
  };
  const Rgba red{255, 0, 0, 255};
  const Rgba blue{0, 0, 255, 255};
  const Rgba grey{128, 128, 128, 255};

  add("108-byte header, 24-bit rows",
      Bmp(108, 3, 2, 24).RowsOf({0xFF0080, 0x123456, 0xABCDEF, 0x000000, 0x808080, 0x0000FF}),
      kSpriteKey, {T, {0x12, 0x34, 0x56, 255}, {0xAB, 0xCD, 0xEF, 255}, kBlack, grey, blue});
  add("124-byte header, 8-bit rows from the top, an index past the palette",
      Bmp(124, 3, -2, 8).Palette(kPalette).RowsOf({1, 2, 3, 0, 2, 9}), kSpriteKey,
      {T, kSky, kWhite, kBlack, kSky, kBlack});
  add("64-byte OS/2 header, 4-bit rows, font key",
      Bmp(64, 3, 2, 4).Palette(kPalette).RowsOf({3, 0, 1, 2, 2, 1}), 0,
      {kWhite, T, kKeyColour, kSky, kSky, kKeyColour});
  add("56-byte header, 1-bit rows",
      Bmp(56, 3, 2, 1).Palette({0x000000, 0xFF0080}).RowsOf({1, 0, 1, 0, 1, 1}), kSpriteKey,
      {T, kBlack, T, kBlack, T, T});
  // Yellow is exact in 5-6-5, so it can serve as the key.
  add("40-byte header and three masks, 5-6-5",
      Bmp(40, 3, 2, 16, 3)
          .Masks({0xF800, 0x07E0, 0x001F})
          .RowsOf({31u << 11 | 63u << 5, 16u << 11 | 32u << 5 | 8, 3u << 11 | 1u << 5 | 31, 0,
                   31u << 11, 0xFFFF}),
      0x00FFFF, {T, {132, 130, 66, 255}, {25, 4, 255, 255}, kBlack, red, kWhite});
  // The top bit is outside every mask: set or not, it changes nothing.
  add("124-byte header, 5-5-5 with an unused top bit",
      Bmp(124, 3, 2, 16, 3)
          .Masks({0x7C00, 0x03E0, 0x001F, 0})
          .RowsOf({0xFC00, 8 << 10 | 16 << 5 | 3, 0x8000, 0x7FFF, 0xFFFF, 0x001F}),
      0x000000, {red, {66, 132, 25, 255}, T, kWhite, kWhite, blue});
  // 16 bits without masks are 5-5-5, read like the masked form above, also
  // behind a header whose (5-6-5) masks do not apply to plain rows.
  add("124-byte header, plain 16-bit rows",
      Bmp(124, 3, 2, 16)
          .Masks({0xF800, 0x07E0, 0x001F, 0})
          .RowsOf({0xFC00, 8 << 10 | 16 << 5 | 3, 0x8000, 0x7FFF, 0xFFFF, 0x001F}),
      0x000000, {red, {66, 132, 25, 255}, T, kWhite, kWhite, blue});
  // Alpha of its own: the key colour (white here) stays.
  add("124-byte header, 1-5-5-5 with alpha",
      Bmp(124, 3, 2, 16, 3)
          .Masks({0x7C00, 0x03E0, 0x001F, 0x8000})
          .RowsOf({0xFFFF, 0x7FFF, 0x801F, 0x0000, 0x8000, 0xFC00}),
      0xFFFFFF, {kWhite, {255, 255, 255, 0}, blue, T, kBlack, red});
  add("124-byte header, 4-4-4-4 with alpha",
      Bmp(124, 3, 2, 16, 3)
          .Masks({0x0F00, 0x00F0, 0x000F, 0xF000})
          .RowsOf({0x8F18, 0xF000, 0x1FFF, 0x0123, 0xFFFF, 0x4444}),
      kNoColourKey,
      {{255, 17, 136, 136},
       kBlack,
       {255, 255, 255, 17},
       {17, 34, 51, 0},
       kWhite,
       {68, 68, 68, 68}});
  // An alpha mask over alpha bytes that are all 0: opaque, and keyed.
  add("108-byte header, 32-bit with all alpha 0",
      Bmp(108, 3, 2, 32, 3)
          .Masks({0xFF0000, 0xFF00, 0xFF, 0xFF000000})
          .RowsOf({0xFF0080, 0x010203, 0xFFFFFF, 0x000000, 0x808080, 0x0000FF}),
      kSpriteKey, {T, {1, 2, 3, 255}, kWhite, kBlack, grey, blue});
  add("56-byte header, 32-bit with alpha",
      Bmp(56, 3, 2, 32, 3)
          .Masks({0xFF0000, 0xFF00, 0xFF, 0xFF000000})
          .RowsOf({0xFFFF0080, 0x80010203, 0x00FFFFFF, 0x01000000, 0xFF808080, 0}),
      kSpriteKey, {kKeyColour, {1, 2, 3, 128}, {255, 255, 255, 0}, {0, 0, 0, 1}, grey, T});
  // Four masks after the 40-byte header, in red, green, blue, alpha byte order.
  add("40-byte header and four masks (alpha bit fields)",
      Bmp(40, 3, 2, 32, 6)
          .Masks({0xFF, 0xFF00, 0xFF0000, 0xFF000000})
          .RowsOf({0xFF332211, 0x7F000000, 0x00FFFFFF, 0xFF8000FF, 0, 0x10FF0000}),
      kSpriteKey,
      {{0x11, 0x22, 0x33, 255},
       {0, 0, 0, 127},
       {255, 255, 255, 0},
       kKeyColour,
       T,
       {0, 0, 255, 16}});
  // Masks in another order than the usual one: the low byte is unused.
  add("40-byte header and three masks, red in the top byte",
      Bmp(40, 3, 2, 32, 3)
          .Masks({0xFF000000, 0xFF0000, 0xFF00})
          .RowsOf({0xFF0080AA, 0x112233FF, 0, 0xFFFFFF00, 0x01020304, 0x80808080}),
      kSpriteKey, {T, {0x11, 0x22, 0x33, 255}, kBlack, kWhite, {1, 2, 3, 255}, grey});
  // Plain rows behind the 124-byte header: the masks there do not apply and
  // the fourth byte is unused, as with the 40-byte header.
  add("124-byte header, plain 32-bit rows",
      Bmp(124, 3, 2, 32)
          .Masks({0xFF0000, 0xFF00, 0xFF, 0xFF000000})
          .RowsOf({0x80FF0080, 0x00123456, 0xFF000000, 0x7FFFFFFF, 0, 0x01020304}),
      kSpriteKey, {T, {0x12, 0x34, 0x56, 255}, kBlack, kWhite, kBlack, {2, 3, 4, 255}});
  return cases;
}

TEST(ImageFormats, EachBmpFormDecodesPixelForPixel) {
  for (const FormatCase& c : FormatCases()) {
    SCOPED_TRACE(c.Name);
    ImageBuffer image;
    ASSERT_TRUE(DecodeBmpBytes(c.Bytes, image, c.Key));
    EXPECT_EQ(image.Width, c.Width);
    EXPECT_EQ(image.Height, static_cast<int>(c.Expected.size()) / c.Width);
    EXPECT_EQ(PixelsOf(image), c.Expected);
  }
}

// Masks of any width are scaled to 0..255 with rounding; masks that cannot
// describe a channel are refused.
TEST(ImageFormats, BitFieldMasksOfAnyWidth) {
  struct MaskCase {
    const char* Name;
    uint32_t Bits;
    std::vector<uint32_t> Masks;  // red, green, blue, alpha
    uint32_t Pixel;
    Rgba Expected;
  };
  const MaskCase cases[] = {
      {"2-3-1", 16, {0x30, 0x0E, 0x01, 0}, 1 << 4 | 4 << 1 | 1, {85, 146, 255, 255}},
      {"3-10-3", 16, {0xE000, 0x1FF8, 0x7, 0}, 3u << 13 | 512 << 3 | 7, {109, 128, 255, 255}},
      {"1-1-1", 16, {0x4, 0x2, 0x1, 0}, 0x5, {255, 0, 255, 255}},
      {"no green mask", 16, {0xF800, 0, 0x1F, 0}, 0xFFFF, {255, 0, 255, 255}},
      {"10-10-10-2",
       32,
       {0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000},
       1u << 30 | 512u << 20 | 1023u << 10 | 2,
       {128, 255, 0, 85}},
      {"11-11-10",
       32,
       {0xFFE00000, 0x1FFC00, 0x3FF, 0},
       1024u << 21 | 5u << 10 | 1023,
       {128, 1, 255, 255}},
      // 515 / 262143 is just above half a step of 8 bits, 514 just below.
      {"7-18-7", 32, {0xFE000000, 0x1FFFF80, 0x7F, 0}, 64u << 25 | 515u << 7 | 1, {129, 1, 2, 255}},
      {"7-18-7 below half a step", 32, {0xFE000000, 0x1FFFF80, 0x7F, 0}, 514u << 7, {0, 0, 0, 255}},
      {"4-bit blue, 12-bit alpha",
       32,
       {0xFF, 0xFF00, 0xF0000, 0xFFF00000},
       2048u << 20 | 0xA0B0C,
       {0x0C, 0x0B, 170, 128}},
  };
  for (const MaskCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const Bmp file = Bmp(124, 1, 1, c.Bits, 3).Masks(c.Masks).RowsOf({c.Pixel});
    ImageBuffer image;
    ASSERT_TRUE(DecodeBmpBytes(file.Build(), image));
    EXPECT_EQ(PixelsOf(image), std::vector<Rgba>{c.Expected});
  }

  const MaskCase refused[] = {
      {"overlapping red and green", 16, {0xF800, 0x0FE0, 0x1F, 0}, 0, {}},
      {"alpha over red", 16, {0x7C00, 0x3E0, 0x1F, 0xC000}, 0, {}},
      {"red with a gap", 16, {0xA000, 0x3E0, 0x1F, 0}, 0, {}},
      {"red past 16 bits", 16, {0x1F0000, 0x3E0, 0x1F, 0}, 0, {}},
  };
  for (const MaskCase& c : refused) {
    SCOPED_TRACE(c.Name);
    const Bmp file = Bmp(124, 1, 1, c.Bits, 3).Masks(c.Masks).RowsOf({0xFFFF});
    ImageBuffer image;
    EXPECT_FALSE(DecodeBmpBytes(file.Build(), image));
  }
}

// A 6 x 5 image in 8-bit run-length rows, bottom row first: runs, a literal
// stretch of odd length with its padding, an index past the palette, jumps,
// a run past the row's end, early ends of line and of bitmap.
const std::string kRle8Rows = std::string{
    3, 2,              // bottom row: three of index 2
    0, 3, 1, 9, 2, 0,  // literal 1, 9, 2 and a pad byte
    0, 0,              // end of line
    0, 2, 2, 0,        // jump 2 right
    6, 3,              // six of index 3: the last two fall past the edge
    0, 0,              // end of line
    2, 2,              // two of index 2
    0, 0,              // end of line: the rest of the row stays empty
    1, 3,              // one of index 3
    0, 2, 2, 1,        // jump 2 right and 1 up
    2, 3,              // two of index 3
    0, 1,              // end of bitmap: the rest of the top row stays empty
};
const std::vector<Rgba> kRle8Pixels = {
    T,      T,    T,      kWhite, kWhite, T,       //
    kWhite, T,    T,      T,      T,      T,       //
    kSky,   kSky, T,      T,      T,      T,       //
    T,      T,    kWhite, kWhite, kWhite, kWhite,  //
    kSky,   kSky, kSky,   T,      kBlack, kSky,    // the key colour (index 1) is keyed out
};

// 6 x 3 in 4-bit run-length rows: runs alternate their two indexes, literal
// nibbles are padded to a whole word.
const std::string kRle4Rows = std::string{
    5,    0x12,  // bottom row: 1, 2, 1, 2, 1
    0,    0,     // end of line
    0,    5,
    0x23, 0x10,
    0x30, 0,     // literal 2, 3, 1, 0, 3 in three bytes and a pad byte
    1,    0x20,  // one 2
    0,    0,     // end of line
    0,    3,
    0x31, 0x20,  // literal 3, 1, 2: two bytes, no padding
    0,    2,
    1,    0,                        // jump 1 right
    2,    static_cast<char>(0xF3),  // 15 (past the palette), 3
    0,    1,                        // end of bitmap
};
const std::vector<Rgba> kRle4Pixels = {
    kWhite,     kKeyColour, kSky,       T,      kBlack,     kWhite,  //
    kSky,       kWhite,     kKeyColour, kBlack, kWhite,     kSky,    //
    kKeyColour, kSky,       kKeyColour, kSky,   kKeyColour, T,       //
};

TEST(ImageFormats, RunLengthRowsFollowEveryEscape) {
  ImageBuffer image;
  Bmp rle8 = Bmp(40, 6, 5, 8, 1).Palette(kPalette).Pixels(kRle8Rows);
  ASSERT_TRUE(DecodeBmpBytes(rle8.Build(), image, kSpriteKey));
  EXPECT_EQ(image.Width, 6);
  EXPECT_EQ(image.Height, 5);
  EXPECT_EQ(PixelsOf(image), kRle8Pixels);
  // The same rows behind the OS/2 header.
  rle8.InfoSize = 64;
  ASSERT_TRUE(DecodeBmpBytes(rle8.Build(), image, kSpriteKey));
  EXPECT_EQ(PixelsOf(image), kRle8Pixels);

  ASSERT_TRUE(
      DecodeBmpBytes(Bmp(124, 6, 3, 4, 2).Palette(kPalette).Pixels(kRle4Rows).Build(), image));
  EXPECT_EQ(PixelsOf(image), kRle4Pixels);

  // Rows that end with the last end of line need no end of bitmap; a jump
  // past the top row ends the image too.
  Bmp oneRow = Bmp(40, 3, 1, 8, 1).Palette(kPalette).Pixels({3, 3, 0, 0});
  ASSERT_TRUE(DecodeBmpBytes(oneRow.Build(), image));
  EXPECT_EQ(PixelsOf(image), (std::vector<Rgba>{kWhite, kWhite, kWhite}));
  ASSERT_TRUE(DecodeBmpBytes(oneRow.Pixels({2, 2, 0, 2, 0, 5}).Build(), image));
  EXPECT_EQ(PixelsOf(image), (std::vector<Rgba>{kSky, kSky, T}));
}

TEST(ImageFormats, RunLengthRowsCutShortAreRefused) {
  struct Stream {
    uint32_t Bits;
    int32_t Height;
    std::string Rows;
  };
  for (const auto& [bits, height, rows] : {Stream{8, 5, kRle8Rows}, Stream{4, 3, kRle4Rows}}) {
    const std::string whole =
        Bmp(40, 6, height, bits, bits == 8 ? 1 : 2).Palette(kPalette).Pixels(rows).Build();
    ImageBuffer image;
    ASSERT_TRUE(DecodeBmpBytes(whole, image)) << bits;
    // Every cut before the end of bitmap leaves a command or the image unfinished.
    for (size_t n = whole.size() - rows.size(); n < whole.size(); ++n) {
      EXPECT_FALSE(DecodeBmpBytes(whole.substr(0, n), image)) << bits << " bits cut to " << n;
    }
  }
}

// Everything a file may hold that is not taken: the slot stays empty.
TEST(ImageFormats, FormsNotTakenAreRefused) {
  const std::string someRows = Rows(2, 2, 24, {1, 2, 3, 4});
  const std::string png = gltest::MakePng(1, 1, PNG_COLOR_TYPE_RGB, 8, {{1, 2, 3}});
  struct Refusal {
    const char* Name;
    Bmp File;
  };
  const std::string jpeg = std::string("\xFF\xD8\xFF\xE0") + someRows;
  const std::string rle = {0, 1};
  const Refusal refusals[] = {
      {"JPEG data", Bmp(40, 2, 2, 24, 4).Pixels(jpeg)},
      {"PNG data", Bmp(124, 1, 1, 0, 5).Pixels(png)},
      {"OS/2 Huffman coding", Bmp(64, 2, 2, 1, 3).Palette({0, 0xFFFFFF}).Pixels(someRows)},
      {"OS/2 24-bit run-length", Bmp(64, 2, 2, 24, 4).Pixels(someRows)},
      {"unknown compression", Bmp(40, 2, 2, 24, 7).Pixels(someRows)},
      {"huge compression value", Bmp(40, 2, 2, 24, 0x80000001).Pixels(someRows)},
      {"8-bit run-length at 4 bits", Bmp(40, 2, 2, 4, 1).Palette(kPalette).Pixels(rle)},
      {"4-bit run-length at 8 bits", Bmp(40, 2, 2, 8, 2).Palette(kPalette).Pixels(rle)},
      {"run-length rows from the top", Bmp(40, 2, -2, 8, 1).Palette(kPalette).Pixels(rle)},
      {"bit fields at 24 bits",
       Bmp(40, 2, 2, 24, 3).Masks({0xFF0000, 0xFF00, 0xFF}).Pixels(someRows)},
      {"bit fields at 8 bits", Bmp(40, 2, 2, 8, 3).Masks({0xE0, 0x1C, 0x3}).Pixels(someRows)},
      {"2-bit rows", Bmp(40, 2, 2, 2).Palette(kPalette).Pixels(someRows)},
      {"20-byte header", Bmp(20, 2, 2, 24).Pixels(someRows)},
      {"100-byte header", Bmp(100, 2, 2, 24).Pixels(someRows)},
      {"bit-field rows cut short",
       Bmp(124, 2, 2, 32, 3).Masks({0xFF0000, 0xFF00, 0xFF, 0}).Pixels(std::string(12, 'x'))},
  };
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(r.Name);
    ImageBuffer image;
    EXPECT_FALSE(DecodeBmpBytes(r.File.Build(), image));
  }

  // Headers that lie about where things are.
  const std::string good =
      Bmp(40, 2, 2, 16, 3).Masks({0xF800, 0x07E0, 0x001F}).RowsOf({1, 2, 3, 4}).Build();
  ImageBuffer image;
  ASSERT_TRUE(DecodeBmpBytes(good, image));
  std::string lie = good;
  lie[10] = 54;  // pixel data said to start where the masks are
  EXPECT_FALSE(DecodeBmpBytes(lie, image)) << "masks missing";
  lie = good;
  lie[14] = 124;  // a header longer than the space before the pixels
  EXPECT_FALSE(DecodeBmpBytes(lie, image)) << "header past the pixel data";
}

// A whole file of each new form through the loader: a refused one leaves the
// slot empty, a taken one fills it, with the key as the form calls for.
TEST(ImageFormats, LoadSpriteTakesTheNewFormsAndKeepsRefusedSlotsEmpty) {
  ASSERT_TRUE(gltest::OpenWindow());
  auto write = [](const std::string& name, const std::string& bytes) {
    const std::string path = testenv::TempDir() + "/" + name;
    testenv::WriteFile(path, bytes);
    return path;
  };
  const Bmp rle = Bmp(40, 6, 5, 8, 1).Palette(kPalette).Pixels(kRle8Rows);
  ASSERT_EQ(LoadSprite(write("rle.bmp", rle.Build()).c_str(), 3), 1);
  EXPECT_EQ(SpriteSlot(3).Width, 6);
  EXPECT_EQ(SpriteSlot(3).Height, 5);
  EXPECT_EQ(gltest::ImageTexel(3, 3, 4).A, 0) << "key colour";
  EXPECT_EQ(gltest::ImageTexel(3, 0, 0).A, 0) << "never drawn";
  EXPECT_EQ(gltest::ImageTexel(3, 4, 0), kWhite);

  const Bmp argb = Bmp(124, 2, 1, 32, 3)
                       .Masks({0xFF0000, 0xFF00, 0xFF, 0xFF000000})
                       .RowsOf({0xFFFF0080, 0x40FFFFFF});
  ASSERT_EQ(LoadSprite(write("argb.bmp", argb.Build()).c_str(), 4), 1);
  EXPECT_EQ(gltest::ImageTexel(4, 0, 0), kKeyColour) << "alpha of its own: no key";
  EXPECT_EQ(gltest::ImageTexel(4, 1, 0), (Rgba{255, 255, 255, 0x40}));

  const Bmp jpeg =
      Bmp(40, 2, 2, 24, 4).Pixels(std::string("\xFF\xD8\xFF\xE0") + std::string(16, 'x'));
  ASSERT_EQ(LoadSprite(write("argb.bmp", argb.Build()).c_str(), 5), 1);
  EXPECT_EQ(LoadSprite(write("jpeg.bmp", jpeg.Build()).c_str(), 5), 0);
  EXPECT_EQ(SpriteSlot(5).Width, 0);
  EXPECT_EQ(SpriteSlot(5).Height, 0);
  EXPECT_EQ(SpriteSlot(5).Texture, 0u);
}

// Files written by ImageMagick and Pillow (tests/gfx2d/images/make_images.py)
// decode to what those tools' own decoders read from them.
TEST(ImageFormats, FilesOtherToolsWroteMatchTheirReading) {
  const char* names[] = {
      "argb32-v5.bmp",    "rgb24-v5.bmp",     "pal4-v5.bmp",     "pal8-rle.bmp",
      "pal4-core.bmp",    "rgb565-v5.bmp",    "rgb555-v5.bmp",   "argb1555-v5.bmp",
      "argb4444-v5.bmp",  "rgb555-core.bmp",  "rgb32-pillow.bmp", "pal1-pillow.bmp", "grey-alpha8.png",
      "grey-alpha16.png", "grey8-trns.png",
  };
  const std::string folder = testenv::SourceDir() + "/tests/gfx2d/images/";
  for (const char* name : names) {
    SCOPED_TRACE(name);
    const std::string expected = testenv::ReadFile(folder + name + ".rgba");
    ASSERT_EQ(expected.size(), 5u * 3 * 4);
    ImageBuffer image;
    ASSERT_TRUE(DecodeImageFile(folder + name, kNoColourKey, image));
    EXPECT_EQ(image.Width, 5);
    EXPECT_EQ(image.Height, 3);
    EXPECT_EQ(std::string(image.Pixels.begin(), image.Pixels.end()), expected);
  }
}

// Chunk type + data with its length and checksum, as a PNG stores it.
std::string PngChunk(const std::string& type, const std::string& data) {
  std::string out;
  for (int i = 0; i < 4; ++i) out += static_cast<char>((data.size() >> (24 - 8 * i)) & 255);
  const std::string body = type + data;
  out += body;
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), body.size());
  for (int i = 0; i < 4; ++i) out += static_cast<char>((crc >> (24 - 8 * i)) & 255);
  return out;
}

// A grey PNG with a transparency chunk naming the grey level given (16 bits).
std::string GreyPngWithTrns(int width, int depth, const std::vector<uint8_t>& row,
                            uint16_t transparent) {
  const std::string plain = gltest::MakePng(width, 1, PNG_COLOR_TYPE_GRAY, depth, {row});
  const size_t afterHeader = 8 + 25;
  const std::string level{static_cast<char>(transparent >> 8),
                          static_cast<char>(transparent & 255)};
  return plain.substr(0, afterHeader) + PngChunk("tRNS", level) + plain.substr(afterHeader);
}

TEST(ImageFormats, GreyPngWithTransparencyChunk) {
  ImageBuffer image;
  // 8 bits: level 100 is transparent; the key never applies to grey.
  ASSERT_TRUE(DecodePngBytes(GreyPngWithTrns(3, 8, {100, 0, 101}, 100), image, 0));
  EXPECT_EQ(PixelsOf(image), (std::vector<Rgba>{{100, 100, 100, 0}, kBlack, {101, 101, 101, 255}}));
  // 2 bits: level 1 (85 once expanded) is transparent. Levels 1, 3, 0, 1.
  ASSERT_TRUE(DecodePngBytes(GreyPngWithTrns(4, 2, {0x71}, 1), image));
  EXPECT_EQ(PixelsOf(image), (std::vector<Rgba>{{85, 85, 85, 0}, kWhite, kBlack, {85, 85, 85, 0}}));
  // 16 bits: the whole level counts, not only the high byte that is kept.
  ASSERT_TRUE(DecodePngBytes(GreyPngWithTrns(2, 16, {0x12, 0x34, 0x12, 0x35}, 0x1234), image));
  EXPECT_EQ(PixelsOf(image), (std::vector<Rgba>{{0x12, 0x12, 0x12, 0}, {0x12, 0x12, 0x12, 255}}));
  // Grey with alpha at 16 bits keeps the high bytes of both.
  ASSERT_TRUE(DecodePngBytes(
      gltest::MakePng(1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 16, {{0xAB, 0xCD, 0x40, 0x01}}), image));
  EXPECT_EQ(PixelsOf(image), (std::vector<Rgba>{{0xAB, 0xAB, 0xAB, 0x40}}));
}

}  // namespace
