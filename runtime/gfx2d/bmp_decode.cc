// BMP decoding. Only the forms the runtime has always read are accepted:
// uncompressed rows of 1, 4, 8, 24 or 32 bits behind a 40-byte (Windows) or
// 12-byte (core) info header. Every offset and size is checked against the
// file before it is used.
#include <cstring>

#include "runtime/gfx2d/image_decode.h"

namespace {

uint32_t Le16(const uint8_t* p) { return static_cast<uint32_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

struct Palette {
  const uint8_t* Entries = nullptr;  // blue, green, red[, reserved]
  uint32_t Count = 0;
  uint32_t EntrySize = 4;
};

void PutPixel(uint8_t* out, uint8_t r, uint8_t g, uint8_t b, int32_t key) {
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
void PutIndexed(uint8_t* out, const Palette& palette, uint32_t index, int32_t key) {
  if (index >= palette.Count) {
    PutPixel(out, 0, 0, 0, key);
    return;
  }
  const uint8_t* e = palette.Entries + static_cast<size_t>(index) * palette.EntrySize;
  PutPixel(out, e[2], e[1], e[0], key);
}

}  // namespace

bool DecodeBmp(const uint8_t* data, size_t size, int32_t key, ImageBuffer& image) {
  if (data == nullptr || size < 14 + 12 || data[0] != 'B' || data[1] != 'M') return false;
  const uint64_t offset = Le32(data + 10);
  if (offset > size) return false;
  const uint32_t infoSize = Le32(data + 14);
  if (infoSize != 40 && infoSize != 12) return false;
  if (14 + uint64_t{infoSize} > offset) return false;

  int64_t width = 0;
  int64_t height = 0;
  uint32_t bitCount = 0;
  Palette palette;
  const uint8_t* info = data + 14;
  if (infoSize == 40) {
    width = static_cast<int32_t>(Le32(info + 4));
    height = static_cast<int32_t>(Le32(info + 8));
    bitCount = Le16(info + 14);
    const uint32_t compression = Le32(info + 16);
    // Run-length data read as plain rows would be garbage; bit fields are
    // taken as blue, green, red, unused, which is how writers store them.
    if (compression != 0 && !(compression == 3 && bitCount == 32)) return false;
    palette.Entries = data + 54;
    palette.EntrySize = 4;
    palette.Count = static_cast<uint32_t>((offset - 54) / 4);
  } else {
    width = Le16(info + 4);
    height = Le16(info + 6);
    bitCount = Le16(info + 10);
    palette.Entries = data + 26;
    palette.EntrySize = 3;
    palette.Count = static_cast<uint32_t>((offset - 26) / 3);
    if (bitCount <= 8 && palette.Count > (1u << bitCount)) palette.Count = 1u << bitCount;
  }
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32) {
    return false;
  }
  // A negative height marks rows stored from the top down.
  const bool topDown = height < 0;
  if (topDown) height = -height;
  if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide ||
      width * height > kMaxImagePixels) {
    return false;
  }

  const uint64_t rowBits = static_cast<uint64_t>(width) * bitCount;
  const uint64_t stride = (rowBits + 31) / 32 * 4;
  const uint64_t rowBytes = (rowBits + 7) / 8;
  // The last row may lack its padding; its pixels must be there.
  if (offset + stride * static_cast<uint64_t>(height - 1) + rowBytes > size) return false;

  image.Width = static_cast<int32_t>(width);
  image.Height = static_cast<int32_t>(height);
  image.Pixels.resize(static_cast<size_t>(width * height * 4));

  for (int64_t y = 0; y < height; ++y) {
    const int64_t stored = topDown ? y : height - 1 - y;
    const uint8_t* row = data + offset + static_cast<uint64_t>(stored) * stride;
    uint8_t* out = image.Pixels.data() + static_cast<size_t>(y * width * 4);
    for (int64_t x = 0; x < width; ++x, out += 4) {
      switch (bitCount) {
        case 1: PutIndexed(out, palette, (row[x >> 3] >> (7 - (x & 7))) & 1u, key); break;
        case 4: PutIndexed(out, palette, (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15u, key); break;
        case 8: PutIndexed(out, palette, row[x], key); break;
        case 24: PutPixel(out, row[x * 3 + 2], row[x * 3 + 1], row[x * 3], key); break;
        default: PutPixel(out, row[x * 4 + 2], row[x * 4 + 1], row[x * 4], key); break;
      }
    }
  }
  return true;
}
