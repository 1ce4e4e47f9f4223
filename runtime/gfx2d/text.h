// Bitmap-font text. A font is an image of 16 glyph columns (8 rows when it is
// at least as wide as high, else 16), drawn fixed-pitch from its sprite slot
// 65504 + font number with nearest filtering. Text is single bytes; a byte
// shows the glyph of its value modulo the glyph count; nothing wraps.
//
// LoadFont         font = number clamped to 0..31 becomes current; loads the image with the
//                  font key (through the media archive), else builds the built-in font there
// SetFont          makes font number (clamped to 0..31) current
// PrintText        draws text with its first cell's top-left at (ceil x, ceil y)
// PrintNumber      draws the number's text (NumberToText) as PrintText
// GetFontSize      the current font's cell size (integer and real forms); 0, 0 for an empty font
// LoadBuiltinFont  builds the built-in 8 x 8 font (white glyphs, dark outline) into a font slot
#pragma once

#include <cstdint>

#include "runtime/values/rt_string.h"

void LoadFont(const RtString& path, int32_t font);
void SetFont(int32_t font);
void PrintText(const RtString& text, double x, double y);
void PrintNumber(double number, double x, double y);
void GetFontSize(int32_t& width, int32_t& height);
void GetFontSize(double& width, double& height);
void LoadBuiltinFont(int32_t font);

// The current font number, 0..31.
int32_t CurrentFont();

// The built-in glyphs for characters 32..127: bit (row * 5 + column) set for a
// lit pixel of the 5 x 6 glyph, row 0 at the top.
uint32_t BuiltinGlyph(int32_t character);
