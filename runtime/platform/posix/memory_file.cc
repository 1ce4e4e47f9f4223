// Memory files on Linux: an anonymous memory file (memfd), sealed so that
// its bytes can no longer change, and reachable by path through /proc.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include "runtime/core/system.h"

int CreateMemoryFile(const std::string& name, const void* data, size_t size, std::string& path) {
  // An anonymous memory file, sealed against change and opened by path
  // through /proc. The name only labels it in /proc listings, and may be 249
  // bytes at most.
  const int fd = memfd_create(name.substr(0, 240).c_str(), MFD_CLOEXEC | MFD_ALLOW_SEALING);
  if (fd < 0) return -1;
  size_t done = 0;
  bool ok = true;
  while (ok && done < size) {
    const int64_t n = WriteToFile(fd, static_cast<const char*>(data) + done, size - done);
    ok = n > 0;
    if (ok) done += static_cast<size_t>(n);
  }
  ok = ok && fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL) == 0;
  path = "/proc/self/fd/" + std::to_string(fd);
  if (ok) {
    // Without /proc mounted the path leads nowhere, and the member is lost.
    const int check = OpenFileForReading(path);
    ok = check >= 0;
    if (ok) close(check);
  }
  if (!ok) {
    close(fd);
    path.clear();
    return -1;
  }
  return fd;
}
