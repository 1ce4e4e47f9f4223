// Decoding BMP and PNG images into one RGBA pixel layout. Image files are
// untrusted: every decoder checks what the header claims against the bytes
// that are really there, and sizes are bounded before anything is allocated.
//
// DecodeBmp        BMP: palette rows (1, 4, 8 bits, plain or run-length), 24-
//                  and 32-bit rows, 16- and 32-bit rows with bit-field masks,
//                  behind a 12-, 40-, 52-, 56-, 64-, 108- or 124-byte info
//                  header; false for anything else or a header that lies
// DecodePng        PNG through libpng (palette, grey, grey with alpha,
//                  transparency chunks, 16-bit); false for broken data
// ReadImageBytes   the whole file, at most kMaxImageFileBytes; false when unreadable
// DecodeImageFile  BMP first, then PNG, whatever the file is called; false when neither
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Pixels as red, green, blue, alpha bytes, rows from top to bottom.
struct ImageBuffer {
  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<uint8_t> Pixels;
};

// Colour key value that matches no pixel.
constexpr int32_t kNoColourKey = -1;
// Limits on decoded images: sides fit the slot sizes and the largest textures
// drivers offer; the pixel count keeps one image under 128 MB.
constexpr int32_t kMaxImageSide = 16384;
constexpr int64_t kMaxImagePixels = int64_t{1} << 25;
constexpr size_t kMaxImageFileBytes = size_t{256} << 20;

// Pixels equal to the key (red | green << 8 | blue << 16) become 0, 0, 0, 0,
// unless the image has alpha of its own (bit-field rows with an alpha mask
// and some pixel whose alpha is not 0). Run-length pixels that no command
// reaches are 0, 0, 0, 0 too.
bool DecodeBmp(const uint8_t* data, size_t size, int32_t key, ImageBuffer& image);
// The key applies to RGB and palette images without a transparency chunk
// only; grey and alpha images never take it. name is used in console messages.
bool DecodePng(const uint8_t* data, size_t size, int32_t key, ImageBuffer& image, const char* name);
bool ReadImageBytes(const std::string& hostPath, std::vector<uint8_t>& bytes);
bool DecodeImageFile(const std::string& hostPath, int32_t key, ImageBuffer& image);
