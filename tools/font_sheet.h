// Bitmap fonts from glyph pixel art. A font image is a grid of 16 x 8 square
// cells, one glyph per character code 0..127, on black (the colour the
// runtime keys out of fonts). Glyphs are drawn from rows of characters ('#'
// body, '+' accent, '.' empty), scaled, coloured by a gradient from top to
// bottom and ringed with an outline so text reads on any background.
//
//   ReadFontStyle  a font style and its glyphs from JSON; throws
//                  DescriptionError naming the file and place
//   RenderFont     the font image as RGBA, rows top to bottom, empty pixels
//                  with alpha 0 and colour black
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct FontGlyph {
  std::vector<std::string> Rows;
};

struct FontStyle {
  int32_t Cell = 16;                    // cell side in pixels
  int32_t Scale = 2;                    // glyph pixels per art pixel
  int32_t Top = 1;                      // first pixel row of the art within the cell
  std::vector<uint32_t> Colours;        // 0xRRGGBB per art row, the last repeated
  uint32_t Accent = 0xFFFFFF;           // colour of '+' pixels
  uint32_t Outline = 0x202020;          // 0 for no outline
  std::map<int32_t, FontGlyph> Glyphs;  // by character code
};

FontStyle ReadFontStyle(const std::string& path);

struct FontImage {
  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<uint8_t> Rgba;
};

FontImage RenderFont(const FontStyle& style);
