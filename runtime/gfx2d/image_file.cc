// Reading an image file whole and choosing its decoder by content: a file is
// tried as BMP first and then as PNG, whatever its name says.
#include "runtime/files/file_io.h"
#include "runtime/gfx2d/image_decode.h"

bool ReadImageBytes(const std::string& hostPath, std::vector<uint8_t>& bytes) {
  return ReadRegularFile(hostPath, kMaxImageFileBytes, bytes);
}

bool DecodeImageFile(const std::string& hostPath, int32_t key, ImageBuffer& image) {
  std::vector<uint8_t> bytes;
  if (!ReadImageBytes(hostPath, bytes)) return false;
  if (DecodeBmp(bytes.data(), bytes.size(), key, image)) return true;
  return DecodePng(bytes.data(), bytes.size(), key, image, hostPath.c_str());
}
