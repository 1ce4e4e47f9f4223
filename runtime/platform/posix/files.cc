// Files and folders on POSIX systems: descriptors are the handles, and every
// call is retried when a signal interrupts it.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "runtime/core/system.h"


namespace {

FileKind KindOf(mode_t mode) {
  if (S_ISREG(mode)) return FileKind::kFile;
  if (S_ISDIR(mode)) return FileKind::kFolder;
  if (S_ISLNK(mode)) return FileKind::kLink;
  return FileKind::kOther;
}

void Describe(const struct stat& status, FileInfo& info) {
  info.Kind = KindOf(status.st_mode);
  info.Size = status.st_size > 0 ? static_cast<uint64_t>(status.st_size) : 0;
  info.Mode = status.st_mode & 07777;
  info.OwnedByUser = status.st_uid == getuid();
  info.Device = static_cast<uint64_t>(status.st_dev);
  info.Identity = static_cast<uint64_t>(status.st_ino);
}

// The process's file-creation mask, read without changing it: umask() can
// only be read by setting it, which would race with threads creating files.
mode_t CurrentUmask() {
  // The file reports a size of 0, so it is read up to a fixed length.
  const int fd = open("/proc/self/status", O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    std::string status(8192, '\0');
    size_t done = 0;
    for (;;) {
      const ssize_t n = read(fd, status.data() + done, status.size() - 1 - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    close(fd);
    status.resize(done);
    const size_t at = status.find("\nUmask:");
    if (at != std::string::npos) {
      const char* digits = status.c_str() + at + 7;
      char* end = nullptr;
      const unsigned long mask = std::strtoul(digits, &end, 8);
      if (end != digits) return static_cast<mode_t>(mask & 0777);
    }
  }
  const mode_t mask = umask(0);
  umask(mask);
  return mask;
}

}  // namespace

bool PathInfo(const std::string& path, FileInfo& info) {
  info = FileInfo{};
  struct stat status {};
  if (path.empty() || stat(path.c_str(), &status) != 0) {
    if (path.empty()) errno = ENOENT;
    return false;
  }
  Describe(status, info);
  return true;
}

bool LinkInfo(const std::string& path, FileInfo& info) {
  info = FileInfo{};
  struct stat status {};
  if (path.empty() || lstat(path.c_str(), &status) != 0) {
    if (path.empty()) errno = ENOENT;
    return false;
  }
  Describe(status, info);
  return true;
}

bool HandleInfo(int handle, FileInfo& info) {
  info = FileInfo{};
  struct stat status {};
  if (fstat(handle, &status) != 0) return false;
  Describe(status, info);
  return true;
}

bool CanRead(const std::string& path) { return access(path.c_str(), R_OK) == 0; }

int OpenFileForReading(const std::string& path) {
  if (path.empty()) {
    errno = ENOENT;
    return -1;
  }
  // Non-blocking so that a named pipe cannot stall the open; cleared right after.
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return -1;
  struct stat info {};
  if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    close(fd);
    errno = EISDIR;
    return -1;
  }
  int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}

int OpenFileForWriting(const std::string& path, FileCreation how) {
  switch (how) {
    case FileCreation::kReadWrite:
      return open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    case FileCreation::kPrivate:
      return open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    case FileCreation::kPrivateLog:
      return open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0600);
  }
  errno = EINVAL;
  return -1;
}

int CreateUniqueFile(std::string& path) { return mkostemp(path.data(), O_CLOEXEC); }

int64_t ReadFromFile(int handle, void* buffer, size_t count) {
  for (;;) {
    const ssize_t n = read(handle, buffer, count);
    if (n >= 0 || errno != EINTR) return n;
  }
}

int64_t ReadFromFileAt(int handle, void* buffer, size_t count, uint64_t offset) {
  for (;;) {
    const ssize_t n = pread(handle, buffer, count, static_cast<off_t>(offset));
    if (n >= 0 || errno != EINTR) return n;
  }
}

int64_t WriteToFile(int handle, const void* data, size_t count) {
  for (;;) {
    const ssize_t n = write(handle, data, count);
    if (n >= 0 || errno != EINTR) return n;
  }
}

int64_t SeekFile(int handle, int64_t offset, SeekFrom from) {
  const int whence = from == SeekFrom::kStart ? SEEK_SET : from == SeekFrom::kEnd ? SEEK_END : SEEK_CUR;
  return lseek(handle, static_cast<off_t>(offset), whence);
}

bool SyncFile(int handle) { return fsync(handle) == 0; }

bool CloseFile(int handle) { return close(handle) == 0; }

bool SetFileMode(int handle, unsigned mode) {
  return fchmod(handle, static_cast<mode_t>(mode)) == 0;
}

unsigned NewFileMode() { return 0666 & ~CurrentUmask(); }

bool EraseFile(const std::string& path) { return unlink(path.c_str()) == 0; }

bool RenameReplacing(const std::string& from, const std::string& to) {
  return rename(from.c_str(), to.c_str()) == 0;
}

void SyncFolderOf(const std::string& path) {
  const size_t cut = path.find_last_of('/');
  const std::string folder = cut == std::string::npos ? "." : cut == 0 ? "/" : path.substr(0, cut);
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
}

bool MakeFolder(const std::string& path, unsigned mode) {
  return mkdir(path.c_str(), static_cast<mode_t>(mode)) == 0;
}

bool RemoveFolder(const std::string& path) { return rmdir(path.c_str()) == 0; }

bool ListFolder(const std::string& path, std::vector<std::string>& names, size_t limit) {
  names.clear();
  DIR* dir = opendir(path.empty() ? "." : path.c_str());
  if (dir == nullptr) return false;
  while (names.size() < limit) {
    const dirent* entry = readdir(dir);
    if (entry == nullptr) break;
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  return true;
}
