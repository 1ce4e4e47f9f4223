// BMP decoding: the header forms image editors write (the 12-byte core one,
// the 40-byte one and its 52-, 56-, 108- and 124-byte extensions, the 64-byte
// OS/2 one), palette rows of 1, 4 and 8 bits, true-colour rows of 16 (5-5-5),
// 24 and 32 bits, 16- and 32-bit rows with bit-field masks, and run-length rows (in
// bmp_rle.cc). Every offset and size is checked against the file before it
// is used; whatever else a file holds (JPEG or PNG data, Huffman coding,
// unknown compressions) is refused.
#include <algorithm>
#include <bit>

#include "runtime/gfx2d/bmp_format.h"
#include "runtime/gfx2d/image_decode.h"

namespace {

using bmp::Le16;
using bmp::Le32;
using bmp::Palette;
using bmp::PutIndexed;
using bmp::PutPixel;

// The compression field. In the 64-byte OS/2 header 3 and 4 stand for
// Huffman and 24-bit run-length coding instead, and neither is taken.
constexpr uint32_t kPlainRows = 0;
constexpr uint32_t kRle8 = 1;
constexpr uint32_t kRle4 = 2;
constexpr uint32_t kBitFields = 3;
constexpr uint32_t kAlphaBitFields = 6;

constexpr uint32_t kOs2InfoSize = 64;

bool IsWindowsInfoSize(uint32_t size) {
  return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// One colour channel of a bit-field pixel: its mask, and the mask's bits
// moved down to bit 0 (the channel's largest value; 0 for an empty mask).
struct Channel {
  uint32_t Mask = 0;
  uint32_t Shift = 0;
  uint64_t Max = 0;

  // The channel's value scaled to 0..255, rounded to the nearest step.
  uint8_t Scale(uint32_t pixel) const {
    if (Max == 0) return 0;
    const uint64_t value = (pixel & Mask) >> Shift;
    if (Max == 255) return static_cast<uint8_t>(value);
    return static_cast<uint8_t>((value * 255 + Max / 2) / Max);
  }
};

// A mask is taken when its bits form one run inside the pixel; a mask with
// gaps or bits past the pixel's width describes no channel that could be
// read back sensibly, so such a file is refused.
bool MakeChannel(uint32_t mask, uint32_t bitCount, Channel& channel) {
  channel = Channel{};
  channel.Mask = mask;
  if (mask == 0) return true;
  if (bitCount < 32 && (mask >> bitCount) != 0) return false;
  channel.Shift = static_cast<uint32_t>(std::countr_zero(mask));
  const uint64_t run = uint64_t{mask} >> channel.Shift;
  if ((run & (run + 1)) != 0) return false;
  channel.Max = run;
  return true;
}

// What the headers say, once checked against the file.
struct BmpLayout {
  int64_t Width = 0;
  int64_t Height = 0;  // always positive; TopDown tells the row order
  bool TopDown = false;
  uint32_t BitCount = 0;
  uint32_t Compression = kPlainRows;
  uint64_t PixelOffset = 0;
  Palette Colours;
  uint32_t Masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
};

// Reads the file and info headers, the bit-field masks and where the palette
// lies. false for a form that is not taken or a header that does not fit.
bool ReadLayout(const uint8_t* data, size_t size, BmpLayout& layout) {
  if (data == nullptr || size < 14 + 12 || data[0] != 'B' || data[1] != 'M') return false;
  layout.PixelOffset = Le32(data + 10);
  if (layout.PixelOffset > size) return false;
  const uint32_t infoSize = Le32(data + 14);
  if (14 + uint64_t{infoSize} > layout.PixelOffset) return false;
  const uint8_t* info = data + 14;
  uint64_t paletteStart = 14 + uint64_t{infoSize};

  if (infoSize == 12) {
    layout.Width = Le16(info + 4);
    layout.Height = Le16(info + 6);
    layout.BitCount = Le16(info + 10);
    layout.Colours.EntrySize = 3;
  } else if (infoSize == kOs2InfoSize || IsWindowsInfoSize(infoSize)) {
    // The 64-byte OS/2 header begins with the same 40 bytes as the others.
    layout.Width = static_cast<int32_t>(Le32(info + 4));
    layout.Height = static_cast<int32_t>(Le32(info + 8));
    layout.BitCount = Le16(info + 14);
    layout.Compression = Le32(info + 16);
    if (infoSize == kOs2InfoSize) {
      if (layout.Compression > kRle4) return false;
    } else if (layout.Compression == kBitFields || layout.Compression == kAlphaBitFields) {
      // Masks lie in the header from its 52-byte form on; those it lacks
      // follow it (three, or four with the alpha one, after 40 bytes).
      const uint32_t wanted = layout.Compression == kAlphaBitFields ? 4 : 3;
      const uint32_t inHeader = std::min<uint32_t>((infoSize - 40) / 4, 4);
      const uint32_t present = std::max(wanted, inHeader);
      if (wanted > inHeader) {
        paletteStart += 4 * uint64_t{wanted - inHeader};
        if (paletteStart > layout.PixelOffset) return false;
      }
      for (uint32_t i = 0; i < present; ++i) layout.Masks[i] = Le32(info + 40 + 4 * i);
    }
  } else {
    return false;
  }

  const uint64_t paletteBytes = layout.PixelOffset - paletteStart;
  layout.Colours.Entries = data + paletteStart;
  layout.Colours.Count = static_cast<uint32_t>(paletteBytes / layout.Colours.EntrySize);
  if (infoSize == 12 && layout.BitCount <= 8) {
    layout.Colours.Count = std::min(layout.Colours.Count, 1u << layout.BitCount);
  }

  switch (layout.Compression) {
    case kPlainRows:
      if (layout.BitCount == 16) {
        // 16 bits without masks are five bits each of red, green and blue,
        // the top bit unused: the masks a file of that form would carry.
        layout.Compression = kBitFields;
        layout.Masks[0] = 0x7C00;
        layout.Masks[1] = 0x03E0;
        layout.Masks[2] = 0x001F;
        layout.Masks[3] = 0;
        break;
      }
      if (layout.BitCount != 1 && layout.BitCount != 4 && layout.BitCount != 8 &&
          layout.BitCount != 24 && layout.BitCount != 32) {
        return false;
      }
      break;
    case kRle8:
    case kRle4:
      if (layout.BitCount != (layout.Compression == kRle8 ? 8u : 4u)) return false;
      // Run-length rows are always stored from the bottom up.
      if (layout.Height < 0) return false;
      break;
    case kBitFields:
    case kAlphaBitFields:
      if (layout.BitCount != 16 && layout.BitCount != 32) return false;
      break;
    default:
      return false;
  }

  // A negative height marks rows stored from the top down.
  layout.TopDown = layout.Height < 0;
  if (layout.TopDown) layout.Height = -layout.Height;
  return layout.Width > 0 && layout.Height > 0 && layout.Width <= kMaxImageSide &&
         layout.Height <= kMaxImageSide && layout.Width * layout.Height <= kMaxImagePixels;
}

// Rows of 16- or 32-bit pixels read through their masks. The alpha mask
// counts only when some pixel has a non-zero alpha: files whose alpha is
// all zero were written by tools that leave that channel unused, and are
// opaque and take the colour key like any image without alpha.
bool DecodeBitFieldRows(const uint8_t* data, const BmpLayout& layout, uint64_t stride, int32_t key,
                        ImageBuffer& image) {
  Channel channels[4];
  for (int i = 0; i < 4; ++i) {
    if (!MakeChannel(layout.Masks[i], layout.BitCount, channels[i])) return false;
  }
  for (int i = 0; i < 4; ++i) {
    for (int j = i + 1; j < 4; ++j) {
      if ((layout.Masks[i] & layout.Masks[j]) != 0) return false;
    }
  }
  const Channel red = channels[0];
  const Channel green = channels[1];
  const Channel blue = channels[2];
  const Channel alpha = channels[3];
  const bool wide = layout.BitCount == 32;
  bool anyAlpha = false;
  const int64_t width = layout.Width;
  const int64_t height = layout.Height;
  for (int64_t y = 0; y < height; ++y) {
    const int64_t stored = layout.TopDown ? y : height - 1 - y;
    const uint8_t* row = data + layout.PixelOffset + static_cast<uint64_t>(stored) * stride;
    uint8_t* out = image.Pixels.data() + static_cast<size_t>(y * width * 4);
    for (int64_t x = 0; x < width; ++x, out += 4) {
      const uint32_t pixel = wide ? Le32(row + x * 4) : Le16(row + x * 2);
      out[0] = red.Scale(pixel);
      out[1] = green.Scale(pixel);
      out[2] = blue.Scale(pixel);
      out[3] = alpha.Scale(pixel);
      anyAlpha = anyAlpha || (pixel & alpha.Mask) != 0;
    }
  }
  if (!anyAlpha) {
    uint8_t* out = image.Pixels.data();
    for (size_t i = 0; i < image.Pixels.size(); i += 4) {
      PutPixel(out + i, out[i], out[i + 1], out[i + 2], key);
    }
  }
  return true;
}

// One row of plain pixels, chosen by depth once per row rather than once
// per pixel.
void DecodePlainRow(const uint8_t* row, int64_t width, uint32_t bitCount, const Palette palette,
                    int32_t key, uint8_t* out) {
  switch (bitCount) {
    case 1:
      for (int64_t x = 0; x < width; ++x, out += 4) {
        PutIndexed(out, palette, (row[x >> 3] >> (7 - (x & 7))) & 1u, key);
      }
      break;
    case 4:
      for (int64_t x = 0; x < width; ++x, out += 4) {
        PutIndexed(out, palette, (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15u, key);
      }
      break;
    case 8:
      for (int64_t x = 0; x < width; ++x, out += 4) PutIndexed(out, palette, row[x], key);
      break;
    case 24:
      for (int64_t x = 0; x < width; ++x, out += 4) {
        PutPixel(out, row[x * 3 + 2], row[x * 3 + 1], row[x * 3], key);
      }
      break;
    default:
      // Plain 32-bit rows: the fourth byte is unused.
      for (int64_t x = 0; x < width; ++x, out += 4) {
        PutPixel(out, row[x * 4 + 2], row[x * 4 + 1], row[x * 4], key);
      }
      break;
  }
}

}  // namespace

bool DecodeBmp(const uint8_t* data, size_t size, int32_t key, ImageBuffer& image) {
  BmpLayout layout;
  if (!ReadLayout(data, size, layout)) return false;
  const int64_t width = layout.Width;
  const int64_t height = layout.Height;

  if (layout.Compression == kRle8 || layout.Compression == kRle4) {
    if (!bmp::DecodeRle(data + layout.PixelOffset, size - layout.PixelOffset, width, height,
                        layout.BitCount, layout.Colours, key, image.Pixels)) {
      return false;
    }
    image.Width = static_cast<int32_t>(width);
    image.Height = static_cast<int32_t>(height);
    return true;
  }

  const uint64_t rowBits = static_cast<uint64_t>(width) * layout.BitCount;
  const uint64_t stride = (rowBits + 31) / 32 * 4;
  const uint64_t rowBytes = (rowBits + 7) / 8;
  // The last row may lack its padding; its pixels must be there.
  if (layout.PixelOffset + stride * static_cast<uint64_t>(height - 1) + rowBytes > size) {
    return false;
  }

  image.Pixels.resize(static_cast<size_t>(width * height * 4));
  if (layout.Compression == kBitFields || layout.Compression == kAlphaBitFields) {
    if (!DecodeBitFieldRows(data, layout, stride, key, image)) return false;
    image.Width = static_cast<int32_t>(width);
    image.Height = static_cast<int32_t>(height);
    return true;
  }

  const uint8_t* pixels = data + layout.PixelOffset;
  for (int64_t y = 0; y < height; ++y) {
    const int64_t stored = layout.TopDown ? y : height - 1 - y;
    DecodePlainRow(pixels + static_cast<uint64_t>(stored) * stride, width, layout.BitCount,
                   layout.Colours, key, image.Pixels.data() + static_cast<size_t>(y * width * 4));
  }
  image.Width = static_cast<int32_t>(width);
  image.Height = static_cast<int32_t>(height);
  return true;
}
