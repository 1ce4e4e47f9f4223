// POSIX implementation of the runtime's platform services.
#include "runtime/core/system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <vector>

double NowMs() {
  using Clock = std::chrono::steady_clock;
  static const Clock::time_point origin = Clock::now();
  return std::chrono::duration<double, std::milli>(Clock::now() - origin).count();
}

void SleepWholeMs(int ms) {
  if (ms <= 0) return;
  timespec request{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
  timespec remaining{};
  while (nanosleep(&request, &remaining) != 0 && errno == EINTR) request = remaining;
}

std::string ProgramPath() {
  std::vector<char> buffer(4096);
  ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return "";
  return std::string(buffer.data(), static_cast<size_t>(n));
}

std::string ProgramFolder() {
  std::string path = ProgramPath();
  size_t cut = path.find_last_of("/\\");
  if (cut == std::string::npos) return "";
  return path.substr(0, cut + 1);
}

bool ChangeToProgramFolder() { return ChangeToFolder(ProgramFolder()); }

bool ChangeToFolder(const std::string& folder) {
  return !folder.empty() && chdir(folder.c_str()) == 0;
}

std::string PrivateTempFolder() {
  const char* env = std::getenv("TMPDIR");
  std::string base = (env != nullptr && env[0] != '\0') ? env : "/tmp";
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  std::string folder = base + "/ombrel-" + std::to_string(getuid());

  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return "";
  struct stat info {};
  if (lstat(folder.c_str(), &info) != 0) return "";
  if (!S_ISDIR(info.st_mode) || info.st_uid != getuid()) return "";
  // A folder of ours that others may enter is closed again rather than refused.
  if ((info.st_mode & 077) != 0 && chmod(folder.c_str(), 0700) != 0) return "";
  return folder;
}

std::string ToHostPath(std::string_view path) {
  std::string host(path);
  for (char& c : host) {
    if (c == '\\') c = '/';
  }
  return host;
}

int CreateFileNoFollow(const std::string& path) {
  return open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
}
