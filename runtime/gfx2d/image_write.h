// Writing images: 24-bit BMP and PNG (through libpng), from RGBA pixels with
// rows from top to bottom. Files are written whole through the safe writer
// of runtime/files/file_io.h: a failed write leaves no partial file and keeps
// any older file of that name.
//
// NameAsksForPng  true when the name is longer than 4 characters and ends in ".png" in any case
// EncodeBmp       24-bit BMP bytes; transparent pixels (alpha 0) written as keyColour unless it
//                 is kNoColourKey; false for a size out of range
// EncodePng       RGB or RGBA PNG bytes; false for a size out of range or an encoder failure
// WriteBmp        EncodeBmp into a file; false when it cannot be written (quiet)
// WritePng        EncodePng into a file; false when it cannot be written (quiet)
// SaveImageFile   PNG when the name asks for it (with alpha when pngAlpha), else BMP (with
//                 bmpKeyColour); a file that cannot be written costs one log line and false
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

bool NameAsksForPng(std::string_view name);
bool EncodeBmp(int32_t width, int32_t height, const uint8_t* rgba, int32_t keyColour,
               std::string& bytes);
bool EncodePng(int32_t width, int32_t height, const uint8_t* rgba, bool withAlpha,
               std::string& bytes);
bool WriteBmp(const std::string& hostPath, int32_t width, int32_t height, const uint8_t* rgba,
              int32_t keyColour);
bool WritePng(const std::string& hostPath, int32_t width, int32_t height, const uint8_t* rgba,
              bool withAlpha);
bool SaveImageFile(const std::string& hostPath, int32_t width, int32_t height, const uint8_t* rgba,
                   bool pngAlpha, int32_t bmpKeyColour);
