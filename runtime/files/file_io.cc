// POSIX implementation of the low-level file helpers and the safe whole-file writer.
#include "runtime/files/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/core/program_end.h"

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

namespace {

// Longest part of the final name kept in the temporary one, so that
// ".<name>.XXXXXX" stays within the 255 bytes a file name may have.
constexpr size_t kTemporaryNameKeep = 200;

// The process's file-creation mask, read without changing it: umask() can
// only be read by setting it, which would race with threads creating files.
mode_t CurrentUmask() {
  // The file reports a size of 0, so it is read up to a fixed length.
  const int fd = open("/proc/self/status", O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    std::string status(8192, '\0');
    const ssize_t n = ReadUpTo(fd, status.data(), status.size() - 1);
    close(fd);
    status.resize(n > 0 ? static_cast<size_t>(n) : 0);
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

// Asks the folder to make a rename in it durable; failing is harmless.
void SyncFolderOf(const std::string& path) {
  const size_t cut = path.find_last_of('/');
  const std::string folder = cut == std::string::npos ? "." : cut == 0 ? "/" : path.substr(0, cut);
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
}

// Gives the finished temporary file the final name without replacing a file
// already there. renameat2 does it in one step where the file system offers
// it; elsewhere a hard link does, and the temporary name is then dropped.
int PlaceWithoutReplacing(const std::string& from, const std::string& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return errno;
  if (link(from.c_str(), to.c_str()) != 0) return errno;
  unlink(from.c_str());
  return 0;
}

FileWriteResult Failed(PendingFile& file, int error) {
  if (file.Error == 0) file.Error = error != 0 ? error : EIO;
  const int kept = file.Error;
  AbandonFileWrite(file);
  return FileWriteResult{FileWriteStatus::kFailed, kept};
}

}  // namespace

PendingFile::~PendingFile() {
  AbandonFileWrite(*this);
}

bool BeginFileWrite(PendingFile& file, const std::string& hostPath) {
  AbandonFileWrite(file);
  file.Error = 0;
  file.FinalPath = hostPath;
  const size_t cut = hostPath.find_last_of('/');
  const std::string folder = cut == std::string::npos ? std::string() : hostPath.substr(0, cut + 1);
  const std::string name = cut == std::string::npos ? hostPath : hostPath.substr(cut + 1);
  if (name.empty() || name == "." || name == "..") {
    file.Error = EISDIR;
    return false;
  }
  file.TemporaryPath = folder + "." + name.substr(0, kTemporaryNameKeep) + ".XXXXXX";
  file.Fd = mkostemp(file.TemporaryPath.data(), O_CLOEXEC);
  if (file.Fd < 0) {
    file.Error = errno;
    file.TemporaryPath.clear();
    return false;
  }
  return true;
}

bool WriteToPendingFile(PendingFile& file, const void* data, size_t count) {
  if (file.Error != 0) return false;
  if (file.Fd < 0) {
    file.Error = EBADF;
    return false;
  }
  errno = 0;
  if (!WriteAll(file.Fd, data, count)) {
    file.Error = errno != 0 ? errno : EIO;
    return false;
  }
  return true;
}

FileWriteResult CommitFileWrite(PendingFile& file, FilePlacement placement) {
  if (file.Error != 0 || file.Fd < 0) return Failed(file, file.Fd < 0 ? EBADF : file.Error);

  mode_t mode = 0;
  struct stat old {};
  if (placement == FilePlacement::kReplace && stat(file.FinalPath.c_str(), &old) == 0) {
    mode = old.st_mode & 07777;
  } else {
    mode = 0666 & ~CurrentUmask();
  }
  // A full disk often shows only here: the data reach it on fsync or close.
  if (fchmod(file.Fd, mode) != 0 || fsync(file.Fd) != 0) return Failed(file, errno);
  const int fd = file.Fd;
  file.Fd = -1;
  if (close(fd) != 0) return Failed(file, errno);

  if (placement == FilePlacement::kReplace) {
    if (rename(file.TemporaryPath.c_str(), file.FinalPath.c_str()) != 0) return Failed(file, errno);
  } else {
    const int error = PlaceWithoutReplacing(file.TemporaryPath, file.FinalPath);
    if (error == EEXIST) {
      AbandonFileWrite(file);
      return FileWriteResult{FileWriteStatus::kExists, 0};
    }
    if (error != 0) return Failed(file, error);
  }
  file.TemporaryPath.clear();
  SyncFolderOf(file.FinalPath);
  return FileWriteResult{FileWriteStatus::kWritten, 0};
}

void AbandonFileWrite(PendingFile& file) {
  if (file.Fd >= 0) {
    close(file.Fd);
    file.Fd = -1;
  }
  if (!file.TemporaryPath.empty()) {
    unlink(file.TemporaryPath.c_str());
    file.TemporaryPath.clear();
  }
}

FileWriteResult WriteFileAtomically(const std::string& hostPath, std::string_view bytes,
                                    FilePlacement placement) {
  PendingFile file;
  if (!BeginFileWrite(file, hostPath) || !WriteToPendingFile(file, bytes.data(), bytes.size())) {
    return Failed(file, file.Error);
  }
  return CommitFileWrite(file, placement);
}

bool ReplaceFileContents(const std::string& hostPath, std::string_view bytes) {
  return WriteFileAtomically(hostPath, bytes, FilePlacement::kReplace).Status ==
         FileWriteStatus::kWritten;
}

void LogFileWriteFailure(const std::string& hostPath, const FileWriteResult& result) {
  if (result.Status != FileWriteStatus::kFailed) return;
  const std::string line =
      "Can't write " + hostPath + ": " + std::strerror(result.Error != 0 ? result.Error : EIO);
  AppendErrorLog(line.c_str());
}
