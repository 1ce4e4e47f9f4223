// PNG decoding through libpng: the colour types and depths the runtime takes,
// how the colour key applies, and broken files.
#include <gtest/gtest.h>
#include <zlib.h>

#include <atomic>
#include <cstdlib>

#include "runtime/gfx2d/image_decode.h"
#include "tests/gfx2d/gl_test_util.h"

// The largest single allocation is watched through malloc itself (libpng
// allocates with it), except in sanitizer builds, whose allocator owns malloc.
#if defined(__SANITIZE_ADDRESS__)
#define OMBREL_WATCHES_MALLOC 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define OMBREL_WATCHES_MALLOC 0
#endif
#endif
#ifndef OMBREL_WATCHES_MALLOC
#define OMBREL_WATCHES_MALLOC 1
#endif

namespace {
std::atomic<size_t> g_largestMalloc{0};
}  // namespace

#if OMBREL_WATCHES_MALLOC
extern "C" void* __libc_malloc(size_t size);
extern "C" void* malloc(size_t size) {
  size_t seen = g_largestMalloc.load(std::memory_order_relaxed);
  while (size > seen && !g_largestMalloc.compare_exchange_weak(seen, size)) {
  }
  return __libc_malloc(size);
}
#endif

namespace {

using gltest::MakePng;
using gltest::Rgba;

bool Decode(const std::string& bytes, ImageBuffer& image, int32_t key = kNoColourKey) {
  return DecodePng(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), key, image,
                   "test.png");
}

Rgba At(const ImageBuffer& image, int x, int y) {
  const uint8_t* p = image.Pixels.data() + (static_cast<size_t>(y) * image.Width + x) * 4;
  return {p[0], p[1], p[2], p[3]};
}

TEST(PngDecode, RgbTakesTheKeyRgbaKeepsItsAlpha) {
  const std::string rgb = MakePng(2, 1, PNG_COLOR_TYPE_RGB, 8, {{255, 0, 128, 1, 2, 3}});
  ImageBuffer image;
  ASSERT_TRUE(Decode(rgb, image, 0x8000FF));
  EXPECT_EQ(At(image, 0, 0), (Rgba{0, 0, 0, 0}));
  EXPECT_EQ(At(image, 1, 0), (Rgba{1, 2, 3, 255}));

  const std::string rgba =
      MakePng(2, 1, PNG_COLOR_TYPE_RGBA, 8, {{255, 0, 128, 255, 9, 8, 7, 100}});
  ASSERT_TRUE(Decode(rgba, image, 0x8000FF));
  EXPECT_EQ(At(image, 0, 0), (Rgba{255, 0, 128, 255})) << "key never applies to RGBA";
  EXPECT_EQ(At(image, 1, 0), (Rgba{9, 8, 7, 100}));
}

TEST(PngDecode, PaletteWithAndWithoutTransparencyChunk) {
  const std::vector<uint32_t> palette = {0xFF0080, 0x00FF00, 0x0000FF};
  const std::vector<std::vector<uint8_t>> rows = {{0, 1, 2}};
  ImageBuffer image;
  // Without tRNS the palette gives RGB, and the key applies.
  ASSERT_TRUE(Decode(MakePng(3, 1, PNG_COLOR_TYPE_PALETTE, 8, rows, palette), image, 0x8000FF));
  EXPECT_EQ(At(image, 0, 0), (Rgba{0, 0, 0, 0}));
  EXPECT_EQ(At(image, 1, 0), (Rgba{0, 255, 0, 255}));
  // With tRNS the alpha comes from the chunk (entries past it are opaque).
  ASSERT_TRUE(
      Decode(MakePng(3, 1, PNG_COLOR_TYPE_PALETTE, 8, rows, palette, {255, 0}), image, 0x8000FF));
  EXPECT_EQ(At(image, 0, 0), (Rgba{255, 0, 128, 255}));
  EXPECT_EQ(At(image, 1, 0), (Rgba{0, 255, 0, 0}));
  EXPECT_EQ(At(image, 2, 0), (Rgba{0, 0, 255, 255}));
  // Low-depth palettes are unpacked: 2 bits, indexes 2, 1, 0, 2.
  ASSERT_TRUE(Decode(MakePng(4, 1, PNG_COLOR_TYPE_PALETTE, 2, {{0x92}}, palette), image));
  EXPECT_EQ(At(image, 0, 0), (Rgba{0, 0, 255, 255}));
  EXPECT_EQ(At(image, 1, 0), (Rgba{0, 255, 0, 255}));
  EXPECT_EQ(At(image, 2, 0), (Rgba{255, 0, 128, 255}));
  EXPECT_EQ(At(image, 3, 0), (Rgba{0, 0, 255, 255}));
}

TEST(PngDecode, GreyAndSixteenBitAreExpandedAndStripped) {
  ImageBuffer image;
  ASSERT_TRUE(Decode(MakePng(2, 1, PNG_COLOR_TYPE_GRAY, 8, {{0, 200}}), image, 0));
  EXPECT_EQ(At(image, 0, 0), (Rgba{0, 0, 0, 255})) << "key never applies to grey";
  EXPECT_EQ(At(image, 1, 0), (Rgba{200, 200, 200, 255}));
  // 1-bit grey: 0b10 -> white, black.
  ASSERT_TRUE(Decode(MakePng(2, 1, PNG_COLOR_TYPE_GRAY, 1, {{0x80}}), image));
  EXPECT_EQ(At(image, 0, 0), (Rgba{255, 255, 255, 255}));
  EXPECT_EQ(At(image, 1, 0), (Rgba{0, 0, 0, 255}));
  // 16-bit RGB keeps the high bytes.
  ASSERT_TRUE(
      Decode(MakePng(1, 1, PNG_COLOR_TYPE_RGB, 16, {{0x12, 0x99, 0x34, 0x99, 0x56, 0x99}}), image));
  EXPECT_EQ(At(image, 0, 0), (Rgba{0x12, 0x34, 0x56, 255}));
  // Grey with alpha keeps its alpha, and the key does not apply to it.
  ASSERT_TRUE(Decode(MakePng(2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {{10, 20, 0, 255}}), image, 0));
  EXPECT_EQ(At(image, 0, 0), (Rgba{10, 10, 10, 20}));
  EXPECT_EQ(At(image, 1, 0), (Rgba{0, 0, 0, 255}));
}

TEST(PngDecode, BrokenDataFails) {
  const std::string good =
      MakePng(16, 16, PNG_COLOR_TYPE_RGB, 8,
              std::vector<std::vector<uint8_t>>(16, std::vector<uint8_t>(48, 7)));
  ImageBuffer image;
  ASSERT_TRUE(Decode(good, image));
  for (size_t n = 0; n < good.size(); n += 3) {
    EXPECT_FALSE(Decode(good.substr(0, n), image)) << "truncated to " << n;
  }
  std::string corrupt = good;
  corrupt[corrupt.size() / 2] ^= 0x5A;  // breaks a checksum or the compressed stream
  EXPECT_FALSE(Decode(corrupt, image));
  // Headers (with valid checksums) that claim images too large to take:
  // refused before any pixel memory is set aside.
  for (uint32_t side : {16000u, 20000u}) {
    std::string huge = good;
    for (int i = 0; i < 4; ++i) {
      huge[16 + i] = static_cast<char>((side >> (24 - 8 * i)) & 255);
      huge[20 + i] = static_cast<char>((side >> (24 - 8 * i)) & 255);
    }
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(huge.data() + 12), 17);
    for (int i = 0; i < 4; ++i) huge[29 + i] = static_cast<char>((crc >> (24 - 8 * i)) & 255);
    EXPECT_FALSE(Decode(huge, image)) << side;
  }
}

// Chunk type + data with its length and checksum, as a PNG stores it.
std::string PngChunk(const std::string& type, const std::string& data, uint32_t claimed) {
  std::string out;
  for (int i = 0; i < 4; ++i) out += static_cast<char>((claimed >> (24 - 8 * i)) & 255);
  const std::string body = type + data;
  out += body;
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), body.size());
  for (int i = 0; i < 4; ++i) out += static_cast<char>((crc >> (24 - 8 * i)) & 255);
  return out;
}

// A short file must not make the decoder allocate what its fields claim:
// chunks the decoder has no use for are skipped unread, and a header
// announcing more rows than the file's bytes could inflate to is refused
// before the rows are set aside.
TEST(PngDecode, ShortFilesClaimingHugeSizesAllocateLittle) {
  const std::string good =
      MakePng(9, 5, PNG_COLOR_TYPE_GRAY, 16,
              std::vector<std::vector<uint8_t>>(5, std::vector<uint8_t>(18, 3)));
  ImageBuffer image;
  ASSERT_TRUE(Decode(good, image));
  const size_t afterHeader = 8 + 25;

  // A text chunk whose length field claims 1.9 GB, behind the header.
  g_largestMalloc = 0;
  const std::string claimsText = good.substr(0, afterHeader) +
                                 PngChunk("tEXt", "Comment", 0x73504C54) + good.substr(afterHeader);
  EXPECT_FALSE(Decode(claimsText, image));
  if (OMBREL_WATCHES_MALLOC) {
    EXPECT_LT(g_largestMalloc.load(), size_t{1} << 20);
  }

  // Unused chunks that are really there are skipped and the image decodes.
  const std::string withExtras = good.substr(0, afterHeader) +
                                 PngChunk("tEXt", "Comment" + std::string(1, '\0') + "kept", 12) +
                                 PngChunk("zzZz", std::string(3000, 'z'), 3000) +
                                 good.substr(afterHeader);
  ASSERT_TRUE(Decode(withExtras, image));
  EXPECT_EQ(image.Width, 9);

  // 16384 x 2048 RGBA (within the pixel limit) in a file of under 100 bytes.
  std::string header = "\x89PNG\r\n\x1a\n";
  std::string ihdr;
  for (uint32_t v : {16384u, 2048u}) {
    for (int i = 0; i < 4; ++i) ihdr += static_cast<char>((v >> (24 - 8 * i)) & 255);
  }
  ihdr += std::string("\x08\x06\x00\x00\x00", 5);
  const std::string idat = good.substr(good.find("IDAT") - 4);
  g_largestMalloc = 0;
  EXPECT_FALSE(Decode(header + PngChunk("IHDR", ihdr, 13) + idat, image));
  if (OMBREL_WATCHES_MALLOC) {
    EXPECT_LT(g_largestMalloc.load(), size_t{1} << 20);
  }
}

}  // namespace
