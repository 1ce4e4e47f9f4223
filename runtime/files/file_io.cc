// POSIX implementation of the files subsystem's low-level helpers.
#include "runtime/files/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

ssize_t ReadUpTo(int fd, void* buffer, size_t count) {
  size_t done = 0;
  while (done < count) {
    ssize_t n = read(fd, static_cast<char*>(buffer) + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

ssize_t ReadUpToAt(int fd, void* buffer, size_t count, uint64_t offset) {
  size_t done = 0;
  while (done < count) {
    ssize_t n = pread(fd, static_cast<char*>(buffer) + done, count - done,
                      static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

bool WriteAll(int fd, const void* data, size_t count) {
  size_t done = 0;
  while (done < count) {
    ssize_t n = write(fd, static_cast<const char*>(data) + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

int OpenForReading(const std::string& hostPath) {
  if (hostPath.empty()) return -1;
  // Non-blocking so that a named pipe cannot stall the open; cleared right after.
  int fd = open(hostPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return -1;
  struct stat info {};
  if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    close(fd);
    return -1;
  }
  int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}

bool ReadWholeFile(const std::string& hostPath, uint64_t limit, std::string& out) {
  out.clear();
  int fd = OpenForReading(hostPath);
  if (fd < 0) return false;
  struct stat info {};
  bool ok = fstat(fd, &info) == 0;
  if (ok && S_ISREG(info.st_mode)) {
    if (static_cast<uint64_t>(info.st_size) > limit) {
      ok = false;
    } else {
      out.resize(static_cast<size_t>(info.st_size));
      ssize_t n = ReadUpTo(fd, out.data(), out.size());
      ok = n >= 0;
      if (ok) out.resize(static_cast<size_t>(n));
    }
  } else if (ok) {
    // Not a regular file: read in pieces up to the limit.
    char block[4096];
    for (;;) {
      ssize_t n = ReadUpTo(fd, block, sizeof block);
      if (n < 0 || out.size() + static_cast<size_t>(n) > limit) {
        ok = false;
        break;
      }
      out.append(block, static_cast<size_t>(n));
      if (static_cast<size_t>(n) < sizeof block) break;
    }
  }
  close(fd);
  if (!ok) out.clear();
  return ok;
}

bool ReadRegularFile(const std::string& hostPath, uint64_t limit, std::vector<uint8_t>& out) {
  out.clear();
  const int fd = OpenForReading(hostPath);
  if (fd < 0) return false;
  struct stat info {};
  bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 0 &&
            static_cast<uint64_t>(info.st_size) <= limit;
  if (ok) {
    out.resize(static_cast<size_t>(info.st_size));
    const ssize_t n = ReadUpTo(fd, out.data(), out.size());
    ok = n >= 0;
    out.resize(ok ? static_cast<size_t>(n) : 0);
  }
  close(fd);
  return ok;
}

bool ReplaceFileContents(const std::string& hostPath, std::string_view bytes) {
  if (hostPath.empty()) return false;
  size_t cut = hostPath.find_last_of('/');
  std::string folder = cut == std::string::npos ? std::string() : hostPath.substr(0, cut + 1);
  std::string name = cut == std::string::npos ? hostPath : hostPath.substr(cut + 1);
  if (name.empty()) return false;
  std::string temporary = folder + "." + name + ".XXXXXX";
  int fd = mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return false;

  mode_t mode = 0;
  struct stat old {};
  if (stat(hostPath.c_str(), &old) == 0) {
    mode = old.st_mode & 07777;
  } else {
    mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, bytes.data(), bytes.size()) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  if (ok) ok = rename(temporary.c_str(), hostPath.c_str()) == 0;
  if (!ok) unlink(temporary.c_str());
  return ok;
}

RenameResult RenameWithoutOverwrite(const std::string& fromHostPath,
                                    const std::string& toHostPath) {
  if (renameat2(AT_FDCWD, fromHostPath.c_str(), AT_FDCWD, toHostPath.c_str(), RENAME_NOREPLACE) ==
      0) {
    return RenameResult::kDone;
  }
  if (errno == EEXIST) return RenameResult::kNameTaken;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return RenameResult::kFailed;
  // A file system without that kind of rename: a second link fails just the
  // same when the name is taken.
  if (link(fromHostPath.c_str(), toHostPath.c_str()) != 0) {
    return errno == EEXIST ? RenameResult::kNameTaken : RenameResult::kFailed;
  }
  unlink(fromHostPath.c_str());
  return RenameResult::kDone;
}
