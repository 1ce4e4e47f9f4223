// The running program's own file, as Linux names it in /proc.
#include <unistd.h>

#include <vector>

#include "runtime/core/system.h"

std::string ProgramPath() {
  std::vector<char> buffer(4096);
  ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return "";
  return std::string(buffer.data(), static_cast<size_t>(n));
}
