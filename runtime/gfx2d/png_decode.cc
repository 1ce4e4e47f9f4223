// PNG decoding through libpng, from bytes already in memory: every colour
// type and depth, palettes and grey expanded, a transparency chunk turned into
// alpha, 16-bit channels cut to their high bytes. libpng reports
// broken data by jumping back to the set-up point, so everything that owns
// memory is created by the caller of that frame and only raw pointers are
// used inside it.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "runtime/gfx2d/image_decode.h"

namespace {

constexpr uint64_t kDeflateMaxRatio = 1032;

struct MemoryReader {
  const uint8_t* Data;
  size_t Size;
  size_t Position;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
  auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (count > reader->Size - reader->Position) png_error(png, "truncated");
  std::memcpy(out, reader->Data + reader->Position, count);
  reader->Position += count;
}

void SilentError(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}
void SilentWarning(png_structp, png_const_charp) {}

enum class Outcome { kDecoded, kFailed };

struct Decoded {
  uint32_t Width = 0;
  uint32_t Height = 0;
  int Channels = 0;
};

// Reads the header, sets the expansions and, once the size is known to be
// within bounds, the rows. Returns kFailed on any libpng error.
Outcome ReadPng(png_structp png, png_infop info, MemoryReader* reader, std::vector<uint8_t>& raw,
                std::vector<png_bytep>& rows, Decoded& out, const char* name) {
  if (setjmp(png_jmpbuf(png))) return Outcome::kFailed;
  png_set_read_fn(png, reader, ReadFromMemory);
  png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
  png_set_chunk_malloc_max(png, 8u << 20);
  // Only the image chunks and tRNS are used. Every other chunk is skipped
  // without being stored: libpng would otherwise allocate what a text or
  // profile chunk's length field claims before finding out that the bytes
  // are not there.
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
  png_read_info(png, info);

  const int colourType = png_get_color_type(png, info);
  const int depth = png_get_bit_depth(png, info);
  // Deflate expands at most 1032 to 1, so the file must be long enough to
  // hold the rows the header announces (each with its filter byte); a short
  // file claiming a large image is refused before any row is allocated.
  const uint64_t storedRowBytes =
      (uint64_t{png_get_image_width(png, info)} * png_get_channels(png, info) * depth + 7) / 8;
  if ((storedRowBytes + 1) * png_get_image_height(png, info) / kDeflateMaxRatio > reader->Size) {
    return Outcome::kFailed;
  }
  if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colourType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
  if (depth == 16) png_set_strip_16(png);
  if (depth < 8) png_set_packing(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);

  out.Width = png_get_image_width(png, info);
  out.Height = png_get_image_height(png, info);
  out.Channels = png_get_channels(png, info);
  const int finalDepth = png_get_bit_depth(png, info);
  if (out.Channels < 1 || out.Channels > 4) {
    std::printf("File %s has unsupported color type.\n", name);
    std::printf("Types GRAY, RGB and RGB_ALPHA are supported.\n");
    return Outcome::kFailed;
  }
  if (finalDepth != 8) {
    std::printf("File %s has bit depth %d.\n", name, finalDepth);
    std::printf("Only bit depth of 8 is supported.\n");
    return Outcome::kFailed;
  }
  if (out.Width == 0 || out.Height == 0 ||
      static_cast<int64_t>(out.Width) * out.Height > kMaxImagePixels) {
    return Outcome::kFailed;
  }
  const size_t rowBytes = png_get_rowbytes(png, info);
  if (rowBytes != static_cast<size_t>(out.Width) * out.Channels) return Outcome::kFailed;

  raw.resize(rowBytes * out.Height);
  rows.resize(out.Height);
  for (uint32_t y = 0; y < out.Height; ++y) rows[y] = raw.data() + y * rowBytes;
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  return Outcome::kDecoded;
}

}  // namespace

bool DecodePng(const uint8_t* data, size_t size, int32_t key, ImageBuffer& image,
               const char* name) {
  if (data == nullptr || size < 8 || png_sig_cmp(data, 0, 8) != 0) return false;
  png_structp png =
      png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, SilentError, SilentWarning);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  MemoryReader reader{data, size, 0};
  std::vector<uint8_t> raw;
  std::vector<png_bytep> rows;
  Decoded decoded;
  const Outcome outcome =
      ReadPng(png, info, &reader, raw, rows, decoded, name != nullptr ? name : "");
  png_destroy_read_struct(&png, &info, nullptr);
  if (outcome != Outcome::kDecoded) return false;

  image.Width = static_cast<int32_t>(decoded.Width);
  image.Height = static_cast<int32_t>(decoded.Height);
  const size_t count = static_cast<size_t>(decoded.Width) * decoded.Height;
  image.Pixels.resize(count * 4);
  const uint8_t* in = raw.data();
  uint8_t* out = image.Pixels.data();
  for (size_t i = 0; i < count; ++i, out += 4) {
    switch (decoded.Channels) {
      case 4:
        std::memcpy(out, in, 4);
        in += 4;
        break;
      case 3: {
        const int32_t packed = in[0] | (in[1] << 8) | (in[2] << 16);
        if (key != kNoColourKey && packed == key) {
          std::memset(out, 0, 4);
        } else {
          out[0] = in[0];
          out[1] = in[1];
          out[2] = in[2];
          out[3] = 255;
        }
        in += 3;
        break;
      }
      // Grey with alpha: its own, or from a transparency chunk.
      case 2:
        out[0] = out[1] = out[2] = in[0];
        out[3] = in[1];
        in += 2;
        break;
      default:
        out[0] = out[1] = out[2] = in[0];
        out[3] = 255;
        in += 1;
        break;
    }
  }
  return true;
}
