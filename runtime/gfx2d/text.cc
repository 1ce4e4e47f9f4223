// Drawing text from bitmap fonts: one quad per byte, all quads of a text in
// one draw call from a vertex buffer that is kept between calls.
#include "runtime/gfx2d/text.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "runtime/core/gl_api.h"
#include "runtime/core/system.h"
#include "runtime/core/window.h"
#include "runtime/files/archive.h"
#include "runtime/gfx2d/drawing.h"
#include "runtime/gfx2d/image_decode.h"
#include "runtime/gfx2d/sprite_store.h"

namespace {

int32_t g_currentFont = 0;

struct TextVertex {
  float X, Y, S, T;
};

std::vector<TextVertex>& VertexBuffer() {
  static std::vector<TextVertex> vertices;
  return vertices;
}

int32_t ClampFont(int32_t font) { return std::clamp(font, 0, 31); }

const SpriteEntry& FontSlot() { return SpriteSlot(kFirstFontSlot + g_currentFont); }

int32_t GlyphRows(const SpriteEntry& font) { return font.Width >= font.Height ? 8 : 16; }

}  // namespace

int32_t CurrentFont() { return g_currentFont; }

void SetFont(int32_t font) { g_currentFont = ClampFont(font); }

void LoadFont(const RtString& path, int32_t font) {
  g_currentFont = ClampFont(font);
  const int32_t slot = kFirstFontSlot + g_currentFont;
  RtString resolved = path;
  const bool found = ResolveMediaPath(MediaArchive(), path, resolved) != 0 || !resolved.Empty();
  if (found && LoadImageToSlot(slot, ToHostPath(resolved.View()),
                               Sprites().FontTransparentColour, false) == 1) {
    return;
  }
  LoadBuiltinFont(g_currentFont);
}

void LoadBuiltinFont(int32_t font) {
  const int32_t slot = kFirstFontSlot + ClampFont(font);
  SpriteSlot(slot);
  EmptySlot(slot);
  if (!GraphicsReady()) return;
  constexpr int32_t kWidth = 128, kHeight = 64;
  ImageBuffer image;
  image.Width = kWidth;
  image.Height = kHeight;
  image.Pixels.assign(static_cast<size_t>(kWidth) * kHeight * 4, 0);
  auto pixel = [&](int32_t x, int32_t y) {
    return image.Pixels.data() + (static_cast<size_t>(y) * kWidth + x) * 4;
  };
  for (int32_t code = 32; code < 128; ++code) {
    const uint32_t glyph = BuiltinGlyph(code);
    const int32_t cellX = (code % 16) * 8;
    const int32_t cellY = (code / 16) * 8;
    for (int32_t row = 0; row < 6; ++row) {
      for (int32_t column = 0; column < 5; ++column) {
        if ((glyph >> (row * 5 + column)) & 1u) {
          uint8_t* p = pixel(cellX + column + 1, cellY + row + 1);
          p[0] = p[1] = p[2] = p[3] = 255;
        }
      }
    }
  }
  // A dark outline around every glyph keeps text readable on any background.
  for (int32_t y = 0; y < kHeight; ++y) {
    for (int32_t x = 0; x < kWidth; ++x) {
      uint8_t* p = pixel(x, y);
      if (p[3] != 0) continue;
      auto lit = [&](int32_t nx, int32_t ny) {
        if (nx < 0 || ny < 0 || nx >= kWidth || ny >= kHeight) return false;
        const uint8_t* n = pixel(nx, ny);
        return n[3] == 255 && n[0] == 255;
      };
      if (lit(x - 1, y) || lit(x + 1, y) || lit(x, y - 1) || lit(x, y + 1)) {
        p[0] = p[1] = p[2] = 8;
        p[3] = 255;
      }
    }
  }
  PutImageInSlot(slot, image, false);
}

void GetFontSize(int32_t& width, int32_t& height) {
  const SpriteEntry& font = FontSlot();
  if (font.Width <= 0 || font.Height <= 0) {
    width = height = 0;
    return;
  }
  width = font.Width / 16;
  height = font.Height / GlyphRows(font);
}

void GetFontSize(double& width, double& height) {
  int32_t w = 0, h = 0;
  GetFontSize(w, h);
  width = w;
  height = h;
}

void PrintText(const RtString& text, double x, double y) {
  if (text.Empty() || !GraphicsReady()) return;
  const SpriteEntry& font = FontSlot();
  if (font.Texture == 0 || font.Width <= 0 || font.Height <= 0) return;
  FlushPendingDrawing();
  const int32_t rows = GlyphRows(font);
  const int32_t glyphs = 16 * rows;
  const float cellW = static_cast<float>(font.Width / 16);
  const float cellH = static_cast<float>(font.Height / rows);
  const float ds = (static_cast<float>(font.Width) / font.TextureWidth) / 16.0f;
  const float dt = (static_cast<float>(font.Height) / font.TextureHeight) / rows;

  std::vector<TextVertex>& vertices = VertexBuffer();
  const size_t needed = static_cast<size_t>(text.Length()) * 4;
  if (vertices.size() < needed) vertices.resize((needed + 127) / 128 * 128);

  float x0 = static_cast<float>(std::ceil(x));
  const float y0 = static_cast<float>(std::ceil(y));
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.CStr());
  for (uint32_t i = 0; i < text.Length(); ++i) {
    const int32_t g = bytes[i] % glyphs;
    const float s0 = static_cast<float>(g % 16) * ds;
    const float t0 = static_cast<float>(rows - 1 - g / 16) * dt;
    TextVertex* v = &vertices[static_cast<size_t>(i) * 4];
    v[0] = {x0, y0 + cellH, s0, t0};
    v[1] = {x0 + cellW, y0 + cellH, s0 + ds, t0};
    v[2] = {x0 + cellW, y0, s0 + ds, t0 + dt};
    v[3] = {x0, y0, s0, t0 + dt};
    x0 += cellW;
  }

  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, font.Texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glColor4f(1.0f, 1.0f, 1.0f, static_cast<float>(AlphaValue()));
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glVertexPointer(2, GL_FLOAT, sizeof(TextVertex), &vertices[0].X);
  glTexCoordPointer(2, GL_FLOAT, sizeof(TextVertex), &vertices[0].S);
  glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(needed));
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
}

void PrintNumber(double number, double x, double y) { PrintText(NumberToText(number), x, y); }
