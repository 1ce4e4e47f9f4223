// Memory files in a browser, where every file already lives in memory: the
// bytes go into a file of a folder of their own, opened for reading, which
// stays until the page is left.
#include <cerrno>

#include "runtime/core/system.h"

int CreateMemoryFile(const std::string& name, const void* data, size_t size, std::string& path) {
  const std::string folder = "/tmp/memory-files";
  if (!MakeFolders(folder)) return -1;
  std::string safe;
  for (char c : name.substr(0, 64)) safe += (c == '/' || c == '\\') ? '_' : c;
  path = folder + "/" + safe + "-XXXXXX";
  const int out = CreateUniqueFile(path);
  if (out < 0) {
    path.clear();
    return -1;
  }
  size_t done = 0;
  bool ok = true;
  while (ok && done < size) {
    const int64_t n = WriteToFile(out, static_cast<const char*>(data) + done, size - done);
    ok = n > 0;
    if (ok) done += static_cast<size_t>(n);
  }
  ok = CloseFile(out) && ok;
  const int in = ok ? OpenFileForReading(path) : -1;
  if (in < 0) {
    const int error = errno;
    EraseFile(path);
    path.clear();
    errno = error;
  }
  return in;
}
