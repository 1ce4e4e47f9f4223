// Pieces the two halves of the BMP decoder share (the header and plain rows
// in bmp_decode.cc, run-length rows in bmp_rle.cc): little-endian reads, the
// palette as the file stores it, and writing one pixel under the colour key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "runtime/gfx2d/image_decode.h"

namespace bmp {

inline uint32_t Le16(const uint8_t* p) {
  return static_cast<uint32_t>(p[0] | (p[1] << 8));
}
inline uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// The colour table between the info header and the pixel data. Count holds
// only the entries that are really in the file.
struct Palette {
  const uint8_t* Entries = nullptr;  // blue, green, red[, reserved]
  uint32_t Count = 0;
  uint32_t EntrySize = 4;
};

// An opaque pixel, or transparent black when it has the key colour.
inline void PutPixel(uint8_t* out, uint8_t r, uint8_t g, uint8_t b, int32_t key) {
  const int32_t packed = r | (g << 8) | (b << 16);
  if (key != kNoColourKey && packed == key) {
    std::memset(out, 0, 4);
    return;
  }
  out[0] = r;
  out[1] = g;
  out[2] = b;
  out[3] = 255;
}

// An index beyond the palette shows black rather than memory past it.
inline void PutIndexed(uint8_t* out, const Palette& palette, uint32_t index, int32_t key) {
  if (index >= palette.Count) {
    PutPixel(out, 0, 0, 0, key);
    return;
  }
  const uint8_t* e = palette.Entries + static_cast<size_t>(index) * palette.EntrySize;
  PutPixel(out, e[2], e[1], e[0], key);
}

// Decodes 8-bit (bitCount 8) or 4-bit (bitCount 4) run-length data of a
// bottom-up image of a size already checked into width x height RGBA
// pixels, top row first. false when the data end before the image does.
bool DecodeRle(const uint8_t* data, size_t size, int64_t width, int64_t height, uint32_t bitCount,
               const Palette& palette, int32_t key, std::vector<uint8_t>& pixels);

}  // namespace bmp
