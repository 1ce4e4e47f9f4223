// Run-length coded BMP rows (8 and 4 bits per pixel). The data are two-byte
// commands: a count with a colour index (a run of that index; in 4-bit data
// two indexes taken in turn, high nibble first), or a zero with an escape:
// end of line, end of bitmap, a jump right and up, or a stretch of literal
// indexes whose bytes are padded to a whole 16-bit word.
//
// Pixels no command reaches (jumped over, or left by an early end of line or
// of bitmap) stay transparent black: editors use those escapes to leave
// holes in a sprite, and filling them with palette colour 0 would paint the
// holes in. Indexes past a row's right edge are dropped rather than carried
// into the next row, and whatever follows the top row is not read.
#include <algorithm>

#include "runtime/gfx2d/bmp_format.h"

namespace bmp {

namespace {

constexpr uint8_t kEndOfLine = 0;
constexpr uint8_t kEndOfBitmap = 1;
constexpr uint8_t kJump = 2;

// Index i of a run or literal stretch whose bytes start at p.
uint32_t Nibble(const uint8_t* p, uint32_t i) {
  const uint8_t byte = p[i / 2];
  return (i & 1) != 0 ? byte & 15u : byte >> 4;
}

}  // namespace

bool DecodeRle(const uint8_t* data, size_t size, int64_t width, int64_t height, uint32_t bitCount,
               const Palette& palette, int32_t key, std::vector<uint8_t>& pixels) {
  pixels.assign(static_cast<size_t>(width * height * 4), 0);
  // x and the stored row (0 is the bottom one); x never passes width, so
  // every pixel written lies inside the image.
  int64_t x = 0;
  int64_t row = 0;
  size_t at = 0;
  auto put = [&](uint32_t index) {
    uint8_t* out = pixels.data() + ((height - 1 - row) * width + x) * 4;
    PutIndexed(out, palette, index, key);
    ++x;
  };

  while (row < height) {
    if (size - at < 2) return false;
    const uint8_t count = data[at];
    const uint8_t value = data[at + 1];
    at += 2;
    if (count > 0) {
      for (uint32_t i = 0; i < count && x < width; ++i) {
        put(bitCount == 8 ? value : Nibble(&value, i & 1));
      }
      continue;
    }
    switch (value) {
      case kEndOfLine:
        x = 0;
        ++row;
        break;
      case kEndOfBitmap:
        return true;
      case kJump:
        if (size - at < 2) return false;
        x = std::min<int64_t>(x + data[at], width);
        row += data[at + 1];
        at += 2;
        break;
      default: {
        const size_t bytes = bitCount == 8 ? value : (value + 1u) / 2;
        if (size - at < bytes) return false;
        for (uint32_t i = 0; i < value && x < width; ++i) {
          put(bitCount == 8 ? data[at + i] : Nibble(data + at, i));
        }
        // The word padding may be missing at the very end of the file.
        at = std::min(size, at + bytes + (bytes & 1));
        break;
      }
    }
  }
  return true;
}

}  // namespace bmp
