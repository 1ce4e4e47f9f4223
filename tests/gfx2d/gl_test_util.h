// Helpers for tests that render: a headless window, reading pixels back, and
// builders for BMP and PNG files with chosen headers and pixels.
#pragma once

#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "runtime/core/gl_api.h"
#include "runtime/core/window.h"
#include "runtime/gfx2d/drawing.h"
#include "runtime/gfx2d/screen_target.h"
#include "runtime/gfx2d/sprite_store.h"

namespace gltest {

struct Rgba {
  int R, G, B, A;
  bool operator==(const Rgba&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Rgba& c) {
  return out << "(" << c.R << "," << c.G << "," << c.B << "," << c.A << ")";
}

// A 640 x 480 window through SDL's offscreen driver, cleared to black, with
// the drawing layer's screen targets started as start-up starts them.
inline bool OpenWindow(int width = 640, int height = 480) {
  if (CreateGraphicsWindow(width, height, 0, 60, 0, 0) != 1) return false;
  StartScreenTargets();
  glClear(GL_COLOR_BUFFER_BIT);
  return true;
}

// A pixel of the current target, (0, 0) at its top-left.
inline Rgba ReadPixel(int x, int y) {
  FlushPendingDrawing();
  uint8_t p[4] = {0, 0, 0, 0};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, Graphics()->TargetHeight - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
  return {p[0], p[1], p[2], p[3]};
}

// The slot's whole texture, RGBA, rows bottom-up as stored.
inline std::vector<uint8_t> ReadTexture(int32_t id) {
  FlushPendingDrawing();
  const SpriteEntry& e = SpriteSlot(id);
  std::vector<uint8_t> texels(static_cast<size_t>(e.TextureWidth) * e.TextureHeight * 4);
  if (e.Texture == 0) return {};
  glBindTexture(GL_TEXTURE_2D, e.Texture);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  return texels;
}

// Texel of image pixel (x, y), y from the top, as the slot stores it.
inline Rgba ImageTexel(int32_t id, int x, int y) {
  const SpriteEntry& e = SpriteSlot(id);
  const std::vector<uint8_t> t = ReadTexture(id);
  const size_t i = (static_cast<size_t>(e.Height - 1 - y) * e.TextureWidth + x) * 4;
  return {t[i], t[i + 1], t[i + 2], t[i + 3]};
}

inline void PutLe(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 255));
}

// A BMP with a 40-byte info header. `colour(x, y)` gives 0xRRGGBB for 24/32
// bits, or the palette index for 1/4/8 bits; y counts from the top.
inline std::string MakeBmp(int width, int height, int bits,
                           const std::function<uint32_t(int, int)>& colour,
                           const std::vector<uint32_t>& palette = {}, bool topDown = false) {
  const int stride = ((width * bits + 31) / 32) * 4;
  const uint32_t offset = 54 + static_cast<uint32_t>(palette.size()) * 4;
  std::string out = "BM";
  PutLe(out, offset + static_cast<uint32_t>(stride * height), 4);
  PutLe(out, 0, 4);
  PutLe(out, offset, 4);
  PutLe(out, 40, 4);
  PutLe(out, static_cast<uint32_t>(width), 4);
  PutLe(out, static_cast<uint32_t>(topDown ? -height : height), 4);
  PutLe(out, 1, 2);
  PutLe(out, static_cast<uint32_t>(bits), 2);
  for (int i = 0; i < 6; ++i) PutLe(out, 0, 4);
  for (uint32_t c : palette) {
    PutLe(out, c & 255, 1);         // blue
    PutLe(out, (c >> 8) & 255, 1);  // green
    PutLe(out, (c >> 16) & 255, 1); // red
    PutLe(out, 0, 1);
  }
  for (int r = 0; r < height; ++r) {
    const int y = topDown ? r : height - 1 - r;
    std::string row(static_cast<size_t>(stride), '\0');
    for (int x = 0; x < width; ++x) {
      const uint32_t c = colour(x, y);
      if (bits >= 24) {
        const int at = x * (bits / 8);
        row[at] = static_cast<char>(c & 255);
        row[at + 1] = static_cast<char>((c >> 8) & 255);
        row[at + 2] = static_cast<char>((c >> 16) & 255);
      } else {
        const int bit = x * bits;
        row[bit / 8] = static_cast<char>(row[bit / 8] | (c << (8 - bits - bit % 8)));
      }
    }
    out += row;
  }
  return out;
}

// A PNG written by libpng: rows of raw samples as the colour type and depth
// want them; palette entries 0xRRGGBB; trns as the tRNS chunk bytes.
inline std::string MakePng(int width, int height, int colourType, int depth,
                           const std::vector<std::vector<uint8_t>>& rows,
                           const std::vector<uint32_t>& palette = {},
                           const std::vector<uint8_t>& trns = {}) {
  std::string out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, png_size_t n) {
        static_cast<std::string*>(png_get_io_ptr(p))->append(reinterpret_cast<char*>(data), n);
      },
      nullptr);
  png_set_IHDR(png, info, width, height, depth, colourType, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> entries;
  for (uint32_t c : palette) {
    entries.push_back({static_cast<png_byte>(c >> 16), static_cast<png_byte>(c >> 8),
                       static_cast<png_byte>(c)});
  }
  if (!entries.empty()) png_set_PLTE(png, info, entries.data(), static_cast<int>(entries.size()));
  if (!trns.empty()) {
    png_set_tRNS(png, info, trns.data(), static_cast<int>(trns.size()), nullptr);
  }
  png_write_info(png, info);
  for (const auto& row : rows) png_write_row(png, row.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

}  // namespace gltest
