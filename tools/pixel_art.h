// Images of a game description: pixel art written as rows of characters with
// a legend that maps each character to a palette colour, PNG files whose every
// pixel must be a palette colour, and the transforms that derive one image
// from another (recolour, flip, quarter turns, whole-number scaling).
//
//   ParseColour     a palette index 0..55, "#rrggbb" of a palette colour, or
//                   "transparent"; the packed colour. Throws naming the place
//   ReadLegend      adds an object of character -> colour to a legend
//   PixelsFromRows  rows of equal length, every character in the legend
//   PixelsFromPng   a PNG mapped exactly onto the palette; alpha 0 is transparent
//   RecolourPixels, FlipPixels, TurnPixels, ScalePixels   new pixels from old
//   PixelsToRgba    RGBA bytes, rows top to bottom (transparent pixels alpha 0)
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "runtime/values/rt_array.h"
#include "tools/description_json.h"

// Pixel art character -> packed colour.
using Legend = std::map<char, int32_t>;

int32_t ParseColour(const Node& node);
void ReadLegend(const Node& node, Legend& legend);

// [x][y] packed colours, as ImageRecord.Pixels holds them.
RtArray<int32_t> PixelsFromRows(const Node& rows, const Legend& legend);
RtArray<int32_t> PixelsFromPng(const Node& where, const std::string& path);

RtArray<int32_t> RecolourPixels(const RtArray<int32_t>& pixels,
                                const std::map<int32_t, int32_t>& colours);
RtArray<int32_t> FlipPixels(const RtArray<int32_t>& pixels, bool acrossX, bool acrossY);
// Clockwise quarter turns (0 to 3).
RtArray<int32_t> TurnPixels(const RtArray<int32_t>& pixels, int32_t quarterTurns);
RtArray<int32_t> ScalePixels(const RtArray<int32_t>& pixels, int32_t factor);

std::vector<uint8_t> PixelsToRgba(const RtArray<int32_t>& pixels);

// "#rrggbb" of a packed colour.
std::string ColourText(int32_t colour);
