// The icon generator's drawing. Unscaling keeps a scaled sprite from turning
// into blurred or uneven blocks when it is drawn at another size: the icon
// multiplies the art's own pixels, never the sprite's.
#include "demo/tools/ship_icon.h"

#include <algorithm>
#include <cstdio>

#include "tools/game_description.h"
#include "tools/pixel_art.h"

namespace {

const uint8_t* PixelAt(const IconArt& art, int32_t x, int32_t y) {
  return &art.Rgba[(static_cast<size_t>(y) * art.Width + x) * 4];
}

bool SamePixel(const uint8_t* a, const uint8_t* b) {
  if (a[3] == 0 && b[3] == 0) return true;  // transparent pixels differ only in hidden colour
  return std::equal(a, a + 4, b);
}

// The part of art inside the rectangle, copied.
IconArt Crop(const IconArt& art, int32_t left, int32_t top, int32_t width, int32_t height) {
  IconArt out{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 4)};
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* from = PixelAt(art, left, top + y);
    std::copy(from, from + static_cast<size_t>(width) * 4,
              &out.Rgba[static_cast<size_t>(y) * width * 4]);
  }
  return out;
}

// True when every factor x factor block from the top-left corner is one colour.
bool MadeOfBlocks(const IconArt& art, int32_t factor) {
  if (art.Width % factor != 0 || art.Height % factor != 0) return false;
  for (int32_t y = 0; y < art.Height; ++y) {
    for (int32_t x = 0; x < art.Width; ++x) {
      if (!SamePixel(PixelAt(art, x, y), PixelAt(art, x - x % factor, y - y % factor))) {
        return false;
      }
    }
  }
  return true;
}

// "3" or "3.5": coordinates of art centred in an odd remainder fall on halves.
std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

}  // namespace

IconArt ArtFromRgba(int32_t width, int32_t height, const std::vector<uint8_t>& rgba) {
  if (width <= 0 || height <= 0 || rgba.size() != static_cast<size_t>(width) * height * 4) {
    return IconArt{};
  }
  const IconArt whole{width, height, rgba};
  int32_t left = width, top = height, right = -1, bottom = -1;
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      if (PixelAt(whole, x, y)[3] == 0) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  if (right < 0) return IconArt{};
  const IconArt trimmed = Crop(whole, left, top, right - left + 1, bottom - top + 1);

  int32_t factor = std::min(trimmed.Width, trimmed.Height);
  while (factor > 1 && !MadeOfBlocks(trimmed, factor)) --factor;
  if (factor == 1) return trimmed;
  IconArt art{trimmed.Width / factor, trimmed.Height / factor, {}};
  art.Rgba.resize(static_cast<size_t>(art.Width) * art.Height * 4);
  for (int32_t y = 0; y < art.Height; ++y) {
    for (int32_t x = 0; x < art.Width; ++x) {
      const uint8_t* from = PixelAt(trimmed, x * factor, y * factor);
      std::copy(from, from + 4, &art.Rgba[(static_cast<size_t>(y) * art.Width + x) * 4]);
    }
  }
  return art;
}

bool ReadIconArt(const std::string& description, const std::string& sprite, IconArt& art,
                 std::string& error) {
  GameDescription game;
  if (!ReadGameDescription(description, game, error)) return false;
  const auto named = std::find(game.SpriteNames.begin(), game.SpriteNames.end(), sprite);
  if (named == game.SpriteNames.end()) {
    error = description + ": no sprite named \"" + sprite + "\"";
    return false;
  }
  const RtArray<int32_t>& pixels =
      game.Game.Sprites(static_cast<int32_t>(named - game.SpriteNames.begin())).Pixels;
  const int32_t width = pixels.DimSize(0), height = width > 0 ? pixels.DimSize(1) : 0;
  art = ArtFromRgba(width, height, PixelsToRgba(pixels));
  if (art.Width == 0) {
    error = description + ": sprite \"" + sprite + "\" has no opaque pixel to draw";
    return false;
  }
  return true;
}

IconArt RenderIcon(const IconArt& art, int32_t size) {
  IconArt icon{size, size, std::vector<uint8_t>(static_cast<size_t>(size) * size * 4, 0)};
  const int32_t side = std::max(art.Width, art.Height);
  if (side == 0 || size <= 0) return icon;
  // Drawn size of the art: a whole multiple when one fits, else shrunk with
  // the aspect kept (nearest pixel).
  const int64_t scale = size / side;
  const int32_t drawnWidth =
      scale > 0 ? static_cast<int32_t>(art.Width * scale)
                : std::max<int32_t>(1, static_cast<int32_t>(int64_t{art.Width} * size / side));
  const int32_t drawnHeight =
      scale > 0 ? static_cast<int32_t>(art.Height * scale)
                : std::max<int32_t>(1, static_cast<int32_t>(int64_t{art.Height} * size / side));
  const int32_t left = (size - drawnWidth) / 2, top = (size - drawnHeight) / 2;
  for (int32_t y = 0; y < drawnHeight; ++y) {
    const int32_t fromY = static_cast<int32_t>(int64_t{y} * art.Height / drawnHeight);
    for (int32_t x = 0; x < drawnWidth; ++x) {
      const int32_t fromX = static_cast<int32_t>(int64_t{x} * art.Width / drawnWidth);
      const uint8_t* from = PixelAt(art, fromX, fromY);
      // Transparent stays all zero: a hidden colour would bleed into its
      // neighbours when a desktop scales the icon.
      if (from[3] == 0) continue;
      std::copy(from, from + 4, &icon.Rgba[(static_cast<size_t>(top + y) * size + left + x) * 4]);
    }
  }
  return icon;
}

std::string IconSvg(const IconArt& art, int32_t size) {
  const int32_t side = std::max(art.Width, art.Height);
  const double left = (side - art.Width) / 2.0, top = (side - art.Height) / 2.0;
  std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(size) +
         "\" height=\"" + std::to_string(size) + "\" viewBox=\"0 0 " + std::to_string(side) + " " +
         std::to_string(side) + "\" shape-rendering=\"crispEdges\">\n";
  for (int32_t y = 0; y < art.Height; ++y) {
    for (int32_t x = 0; x < art.Width;) {
      const uint8_t* first = PixelAt(art, x, y);
      int32_t run = 1;
      while (x + run < art.Width && SamePixel(PixelAt(art, x + run, y), first)) ++run;
      if (first[3] != 0) {
        char fill[8];
        std::snprintf(fill, sizeof fill, "#%02x%02x%02x", first[0], first[1], first[2]);
        svg += "<rect x=\"" + Number(left + x) + "\" y=\"" + Number(top + y) + "\" width=\"" +
               std::to_string(run) + "\" height=\"1\" fill=\"" + fill + "\"/>\n";
      }
      x += run;
    }
  }
  svg += "</svg>\n";
  return svg;
}
