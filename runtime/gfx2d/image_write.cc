// Image writers for SaveScreen and SaveSprite. Pictures are encoded in memory
// and handed to the safe whole-file writer, so that a failed write leaves no
// half file under the name asked for and keeps any older file of that name.
#include "runtime/gfx2d/image_write.h"

#include <png.h>

#include <csetjmp>
#include <vector>

#include "runtime/files/file_io.h"
#include "runtime/gfx2d/image_decode.h"

namespace {

void PutLe16(std::string& out, uint32_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void PutLe32(std::string& out, uint32_t v) {
  PutLe16(out, v & 0xFFFF);
  PutLe16(out, v >> 16);
}

void SilentError(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}
void SilentWarning(png_structp, png_const_charp) {}

void AppendPngBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::string*>(png_get_io_ptr(png));
  out->append(reinterpret_cast<const char*>(data), length);
}
void FlushNothing(png_structp) {}

bool WritePngRows(png_structp png, png_infop info, std::string& out, int32_t width, int32_t height,
                  bool withAlpha, png_bytep* rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, &out, AppendPngBytes, FlushNothing);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               withAlpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

bool NameAsksForPng(std::string_view name) {
  if (name.size() <= 4) return false;
  const std::string_view tail = name.substr(name.size() - 4);
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  return tail[0] == '.' && lower(tail[1]) == 'p' && lower(tail[2]) == 'n' && lower(tail[3]) == 'g';
}

bool EncodeBmp(int32_t width, int32_t height, const uint8_t* rgba, int32_t keyColour,
               std::string& bytes) {
  bytes.clear();
  if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide) return false;
  const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  const uint32_t pixelBytes = stride * static_cast<uint32_t>(height);
  std::string& out = bytes;
  out.reserve(54 + pixelBytes);
  out.push_back('B');
  out.push_back('M');
  PutLe32(out, 54 + pixelBytes);
  PutLe32(out, 0);
  PutLe32(out, 54);
  PutLe32(out, 40);
  PutLe32(out, static_cast<uint32_t>(width));
  PutLe32(out, static_cast<uint32_t>(height));
  PutLe16(out, 1);
  PutLe16(out, 24);
  PutLe32(out, 0);
  PutLe32(out, pixelBytes);
  PutLe32(out, 2835);  // 72 dots per inch
  PutLe32(out, 2835);
  PutLe32(out, 0);
  PutLe32(out, 0);
  for (int32_t y = height - 1; y >= 0; --y) {
    const uint8_t* p = rgba + static_cast<size_t>(y) * width * 4;
    for (int32_t x = 0; x < width; ++x, p += 4) {
      uint8_t r = p[0], g = p[1], b = p[2];
      if (p[3] == 0 && keyColour != kNoColourKey) {
        r = static_cast<uint8_t>(keyColour);
        g = static_cast<uint8_t>(keyColour >> 8);
        b = static_cast<uint8_t>(keyColour >> 16);
      }
      out.push_back(static_cast<char>(b));
      out.push_back(static_cast<char>(g));
      out.push_back(static_cast<char>(r));
    }
    for (uint32_t pad = static_cast<uint32_t>(width) * 3; pad < stride; ++pad) out.push_back(0);
  }
  return true;
}

bool EncodePng(int32_t width, int32_t height, const uint8_t* rgba, bool withAlpha,
               std::string& bytes) {
  bytes.clear();
  if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide) return false;
  const int channels = withAlpha ? 4 : 3;
  std::vector<uint8_t> packed(static_cast<size_t>(width) * height * channels);
  for (size_t i = 0, n = static_cast<size_t>(width) * height; i < n; ++i) {
    for (int c = 0; c < channels; ++c) packed[i * channels + c] = rgba[i * 4 + c];
  }
  std::vector<png_bytep> rows(static_cast<size_t>(height));
  for (int32_t y = 0; y < height; ++y) {
    rows[static_cast<size_t>(y)] = packed.data() + static_cast<size_t>(y) * width * channels;
  }
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, SilentError, SilentWarning);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  const bool ok = png != nullptr && info != nullptr &&
                  WritePngRows(png, info, bytes, width, height, withAlpha, rows.data());
  if (png != nullptr) png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
  if (!ok) bytes.clear();
  return ok;
}

bool WriteBmp(const std::string& hostPath, int32_t width, int32_t height, const uint8_t* rgba,
              int32_t keyColour) {
  std::string bytes;
  return EncodeBmp(width, height, rgba, keyColour, bytes) && ReplaceFileContents(hostPath, bytes);
}

bool WritePng(const std::string& hostPath, int32_t width, int32_t height, const uint8_t* rgba,
              bool withAlpha) {
  std::string bytes;
  return EncodePng(width, height, rgba, withAlpha, bytes) && ReplaceFileContents(hostPath, bytes);
}

bool SaveImageFile(const std::string& hostPath, int32_t width, int32_t height, const uint8_t* rgba,
                   bool pngAlpha, int32_t bmpKeyColour) {
  std::string bytes;
  const bool encoded = NameAsksForPng(hostPath)
                           ? EncodePng(width, height, rgba, pngAlpha, bytes)
                           : EncodeBmp(width, height, rgba, bmpKeyColour, bytes);
  if (!encoded) return false;
  const FileWriteResult result = WriteFileAtomically(hostPath, bytes, FilePlacement::kReplace);
  LogFileWriteFailure(hostPath, result);
  return result.Status == FileWriteStatus::kWritten;
}
