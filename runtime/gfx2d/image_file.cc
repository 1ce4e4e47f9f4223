// Reading an image file whole and choosing its decoder by content: a file is
// tried as BMP first and then as PNG, whatever its name says.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/gfx2d/image_decode.h"

bool ReadImageBytes(const std::string& hostPath, std::vector<uint8_t>& bytes) {
  const int fd = open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0 ||
      static_cast<uint64_t>(info.st_size) > kMaxImageFileBytes) {
    close(fd);
    return false;
  }
  bytes.resize(static_cast<size_t>(info.st_size));
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = read(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  close(fd);
  bytes.resize(done);
  return true;
}

bool DecodeImageFile(const std::string& hostPath, int32_t key, ImageBuffer& image) {
  std::vector<uint8_t> bytes;
  if (!ReadImageBytes(hostPath, bytes)) return false;
  if (DecodeBmp(bytes.data(), bytes.size(), key, image)) return true;
  return DecodePng(bytes.data(), bytes.size(), key, image, hostPath.c_str());
}
