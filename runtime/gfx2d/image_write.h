// Writing images: 24-bit BMP and PNG (through libpng), from RGBA pixels with
// rows from top to bottom.
//
// NameAsksForPng  true when the name is longer than 4 characters and ends in ".png" in any case
// WriteBmp        24-bit BMP; transparent pixels (alpha 0) written as keyColour unless it is
//                 kNoColourKey; false when the file cannot be written
// WritePng        RGB or RGBA PNG; false when the file cannot be written (no partial file stays)
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

bool NameAsksForPng(std::string_view name);
bool WriteBmp(const std::string& hostPath, int32_t width, int32_t height, const uint8_t* rgba,
              int32_t keyColour);
bool WritePng(const std::string& hostPath, int32_t width, int32_t height, const uint8_t* rgba,
              bool withAlpha);
