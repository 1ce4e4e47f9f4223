// Pixel art for game descriptions. Everything ends as packed palette colours
// in [x][y] arrays, the form the game file writer stores; a colour that the
// palette lacks is refused here, where the file and pixel can still be named.
#include "tools/pixel_art.h"

#include <cstdio>

#include "game/palette.h"
#include "game/records.h"
#include "runtime/gfx2d/image_decode.h"

namespace {

int32_t HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

int32_t Width(const RtArray<int32_t>& pixels) {
  return pixels.DimSize(0);
}
int32_t Height(const RtArray<int32_t>& pixels) {
  return pixels.DimSize(0) > 0 ? pixels.DimSize(1) : 0;
}

}  // namespace

std::string ColourText(int32_t colour) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", colour & 0xFF, (colour >> 8) & 0xFF,
                (colour >> 16) & 0xFF);
  return text;
}

int32_t ParseColour(const Node& node) {
  if (node.IsNumber()) return kPalette[node.Integer(0, kPaletteSize - 1)];
  const std::string text = node.String();
  if (text == "transparent") return kTransparentColour;
  if (text.size() == 7 && text[0] == '#') {
    int32_t rgb[3] = {};
    bool valid = true;
    for (int i = 0; i < 3; ++i) {
      const int32_t high = HexDigit(text[1 + 2 * i]);
      const int32_t low = HexDigit(text[2 + 2 * i]);
      valid = valid && high >= 0 && low >= 0;
      rgb[i] = high * 16 + low;
    }
    if (valid) {
      const int32_t colour = rgb[0] + rgb[1] * 256 + rgb[2] * 65536;
      if (PaletteIndexOf(colour) < 0) node.Fail("colour " + text + " is not in the palette");
      return colour;
    }
  }
  node.Fail("\"" + text +
            "\" is not a colour (a palette index 0 to 55, \"#rrggbb\" or \"transparent\")");
}

void ReadLegend(const Node& node, Legend& legend) {
  for (const auto& [key, value] : node.Members()) {
    if (key.size() != 1) value.Fail("a legend key must be one character");
    legend[key[0]] = ParseColour(value);
  }
}

RtArray<int32_t> PixelsFromRows(const Node& rows, const Legend& legend) {
  rows.ExpectArray("a list of pixel rows");
  const std::vector<Node> lines = rows.Elements();
  if (lines.empty()) rows.Fail("an image needs at least one row");
  const int32_t width = static_cast<int32_t>(lines[0].String().size());
  const int32_t height = static_cast<int32_t>(lines.size());
  if (width == 0) lines[0].Fail("an image row cannot be empty");
  RtArray<int32_t> pixels;
  pixels.Dimension(width, height);
  for (int32_t y = 0; y < height; ++y) {
    const std::string line = lines[y].String();
    if (static_cast<int32_t>(line.size()) != width) {
      lines[y].Fail("row is " + std::to_string(line.size()) + " characters long; row 0 is " +
                    std::to_string(width));
    }
    for (int32_t x = 0; x < width; ++x) {
      const auto found = legend.find(line[x]);
      if (found == legend.end()) {
        lines[y].Fail("character '" + std::string(1, line[x]) + "' at column " + std::to_string(x) +
                      " is not in the legend");
      }
      pixels(x, y) = found->second;
    }
  }
  return pixels;
}

RtArray<int32_t> PixelsFromPng(const Node& where, const std::string& path) {
  std::vector<uint8_t> bytes;
  if (!ReadImageBytes(path, bytes)) where.Fail(path + " cannot be read");
  ImageBuffer image;
  if (!DecodePng(bytes.data(), bytes.size(), kNoColourKey, image, path.c_str())) {
    where.Fail(path + " is not a PNG image this tool can read");
  }
  RtArray<int32_t> pixels;
  pixels.Dimension(image.Width, image.Height);
  for (int32_t y = 0; y < image.Height; ++y) {
    for (int32_t x = 0; x < image.Width; ++x) {
      const uint8_t* p = &image.Pixels[(static_cast<size_t>(y) * image.Width + x) * 4];
      auto at = [&] {
        return path + ": pixel (" + std::to_string(x) + ", " + std::to_string(y) + ")";
      };
      if (p[3] == 0) {
        pixels(x, y) = kTransparentColour;
        continue;
      }
      if (p[3] != 255) where.Fail(at() + " is partly transparent; use alpha 0 or 255 only");
      const int32_t colour = p[0] + p[1] * 256 + p[2] * 65536;
      if (PaletteIndexOf(colour) < 0) {
        where.Fail(at() + " has colour " + ColourText(colour) + ", which is not in the palette");
      }
      pixels(x, y) = colour;
    }
  }
  return pixels;
}

RtArray<int32_t> RecolourPixels(const RtArray<int32_t>& pixels,
                                const std::map<int32_t, int32_t>& colours) {
  RtArray<int32_t> out = pixels;
  for (int32_t y = 0; y < Height(pixels); ++y) {
    for (int32_t x = 0; x < Width(pixels); ++x) {
      const auto found = colours.find(pixels(x, y));
      if (found != colours.end()) out(x, y) = found->second;
    }
  }
  return out;
}

RtArray<int32_t> FlipPixels(const RtArray<int32_t>& pixels, bool acrossX, bool acrossY) {
  const int32_t w = Width(pixels), h = Height(pixels);
  RtArray<int32_t> out;
  if (w == 0) return out;
  out.Dimension(w, h);
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      out(acrossX ? w - 1 - x : x, acrossY ? h - 1 - y : y) = pixels(x, y);
    }
  }
  return out;
}

RtArray<int32_t> TurnPixels(const RtArray<int32_t>& pixels, int32_t quarterTurns) {
  RtArray<int32_t> out = pixels;
  for (int32_t turn = 0; turn < (quarterTurns % 4 + 4) % 4; ++turn) {
    const int32_t w = Width(out), h = Height(out);
    RtArray<int32_t> turned;
    if (w == 0) return turned;
    turned.Dimension(h, w);
    // Clockwise: the left column becomes the top row.
    for (int32_t y = 0; y < h; ++y) {
      for (int32_t x = 0; x < w; ++x) turned(h - 1 - y, x) = out(x, y);
    }
    out = std::move(turned);
  }
  return out;
}

RtArray<int32_t> ScalePixels(const RtArray<int32_t>& pixels, int32_t factor) {
  const int32_t w = Width(pixels), h = Height(pixels);
  RtArray<int32_t> out;
  if (w == 0) return out;
  out.Dimension(w * factor, h * factor);
  for (int32_t y = 0; y < h * factor; ++y) {
    for (int32_t x = 0; x < w * factor; ++x) out(x, y) = pixels(x / factor, y / factor);
  }
  return out;
}

std::vector<uint8_t> PixelsToRgba(const RtArray<int32_t>& pixels) {
  const int32_t w = Width(pixels), h = Height(pixels);
  std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4, 0);
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      const int32_t colour = pixels(x, y);
      if (colour == kTransparentColour) continue;
      uint8_t* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
      p[0] = colour & 0xFF;
      p[1] = (colour >> 8) & 0xFF;
      p[2] = (colour >> 16) & 0xFF;
      p[3] = 255;
    }
  }
  return rgba;
}
