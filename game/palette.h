// The 56 colours that the pixel bytes of a game file index. Colours are
// packed red + green x 256 + blue x 65536; entry 42 (8000FF) is the
// transparent colour of the sprite store.
#pragma once

#include <cstdint>

inline constexpr int32_t kPaletteSize = 56;

// The packed values in hexadecimal, so read from high to low byte: blue,
// green, red. 0x8000FF is red FF, green 00, blue 80; 0xFC0000 is a blue.
inline constexpr int32_t kPalette[kPaletteSize] = {
    0x000000, 0x7C7C7C, 0xFC0000, 0xBC0000, 0xBC2844, 0x840094, 0x2000A8, 0x0010A8,
    0x001488, 0x003050, 0x007800, 0x006800, 0x005800, 0x584000, 0x000000, 0xBCBCBC,
    0xF87800, 0xF85800, 0xFC4468, 0xCC00D8, 0x5800E4, 0x0038F8, 0x105CE4, 0x007CAC,
    0x00B800, 0x00A800, 0x44A800, 0x888800, 0x000000, 0xCCCCCC, 0xFCBC3C, 0xFC8868,
    0xF87898, 0xF878F8, 0x9858F8, 0x5878F8, 0x44A0FC, 0x00B8F8, 0x18F8B8, 0x54D858,
    0x98F858, 0xD8E800, 0x8000FF, 0xFCFCFC, 0xFCE4A4, 0xF8B8B8, 0xF8B8D8, 0xF8B8F8,
    0xC0A4F8, 0xB0D0F0, 0xA8E0FC, 0x78D8F8, 0x50FFF8, 0xB8F8B8, 0xD8F8B8, 0xFCFC00,
};

// Index of the first palette entry with this packed colour, or -1.
constexpr int32_t PaletteIndexOf(int32_t colour) {
  for (int32_t i = 0; i < kPaletteSize; ++i) {
    if (kPalette[i] == colour) return i;
  }
  return -1;
}
