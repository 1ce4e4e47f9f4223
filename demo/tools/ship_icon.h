// Application icons drawn from a game's own pixel art. A sprite is trimmed to
// its opaque pixels and brought back to its art pixels (a sprite drawn at
// scale 2 is made of 2 x 2 blocks), then drawn square: as PNG at the largest
// whole multiple that fits, so the pixels stay sharp at every icon size, and
// as SVG with one rectangle per run of equal pixels.
//
//   ArtFromRgba  trims and unscales RGBA pixels; an empty picture when no
//                pixel is opaque or the sizes do not match the pixels
//   ReadIconArt  the art of a description's named sprite; false with
//                "file: place: problem" or a missing or empty sprite in error
//   RenderIcon   a size x size RGBA picture with the art centred
//   IconSvg      the art as an SVG document of the given display size
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// RGBA pixels, rows top to bottom. Art pixels are opaque or fully transparent.
struct IconArt {
  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<uint8_t> Rgba;
};

IconArt ArtFromRgba(int32_t width, int32_t height, const std::vector<uint8_t>& rgba);
bool ReadIconArt(const std::string& description, const std::string& sprite, IconArt& art,
                 std::string& error);
IconArt RenderIcon(const IconArt& art, int32_t size);
std::string IconSvg(const IconArt& art, int32_t size);
