// The low-level file helpers and the safe whole-file writer, over the
// platform's file services.
#include "runtime/files/file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/core/program_end.h"
#include "runtime/core/system.h"

int64_t ReadUpTo(int fd, void* buffer, size_t count) {
  size_t done = 0;
  while (done < count) {
    const int64_t n = ReadFromFile(fd, static_cast<char*>(buffer) + done, count - done);
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(done);
}

int64_t ReadUpToAt(int fd, void* buffer, size_t count, uint64_t offset) {
  size_t done = 0;
  while (done < count) {
    const int64_t n =
        ReadFromFileAt(fd, static_cast<char*>(buffer) + done, count - done, offset + done);
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(done);
}

bool WriteAll(int fd, const void* data, size_t count) {
  size_t done = 0;
  while (done < count) {
    const int64_t n = WriteToFile(fd, static_cast<const char*>(data) + done, count - done);
    if (n < 0) return false;
    if (n == 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

int OpenForReading(const std::string& hostPath) { return OpenFileForReading(hostPath); }

bool ReadWholeFile(const std::string& hostPath, uint64_t limit, std::string& out) {
  out.clear();
  int fd = OpenForReading(hostPath);
  if (fd < 0) return false;
  FileInfo info;
  bool ok = HandleInfo(fd, info);
  if (ok && info.Kind == FileKind::kFile) {
    if (info.Size > limit) {
      ok = false;
    } else {
      out.resize(static_cast<size_t>(info.Size));
      const int64_t n = ReadUpTo(fd, out.data(), out.size());
      ok = n >= 0;
      if (ok) out.resize(static_cast<size_t>(n));
    }
  } else if (ok) {
    // Not a regular file: read in pieces up to the limit.
    char block[4096];
    for (;;) {
      const int64_t n = ReadUpTo(fd, block, sizeof block);
      if (n < 0 || out.size() + static_cast<size_t>(n) > limit) {
        ok = false;
        break;
      }
      out.append(block, static_cast<size_t>(n));
      if (static_cast<size_t>(n) < sizeof block) break;
    }
  }
  CloseFile(fd);
  if (!ok) out.clear();
  return ok;
}

bool ReadRegularFile(const std::string& hostPath, uint64_t limit, std::vector<uint8_t>& out) {
  out.clear();
  const int fd = OpenForReading(hostPath);
  if (fd < 0) return false;
  FileInfo info;
  bool ok = HandleInfo(fd, info) && info.Kind == FileKind::kFile && info.Size <= limit;
  if (ok) {
    out.resize(static_cast<size_t>(info.Size));
    const int64_t n = ReadUpTo(fd, out.data(), out.size());
    ok = n >= 0;
    out.resize(ok ? static_cast<size_t>(n) : 0);
  }
  CloseFile(fd);
  return ok;
}

namespace {

// Longest part of the final name kept in the temporary one, so that
// ".<name>.XXXXXX" stays within the 255 bytes a file name may have.
constexpr size_t kTemporaryNameKeep = 200;

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
  file.Fd = CreateUniqueFile(file.TemporaryPath);
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

  unsigned mode = 0;
  FileInfo old;
  if (placement == FilePlacement::kReplace && PathInfo(file.FinalPath, old)) {
    mode = old.Mode & 07777;
  } else {
    mode = NewFileMode();
  }
  // A full disk often shows only here: the data reach it on fsync or close.
  if (!SetFileMode(file.Fd, mode) || !SyncFile(file.Fd)) return Failed(file, errno);
  const int fd = file.Fd;
  file.Fd = -1;
  if (!CloseFile(fd)) return Failed(file, errno);

  if (placement == FilePlacement::kReplace) {
    if (!RenameReplacing(file.TemporaryPath, file.FinalPath)) return Failed(file, errno);
  } else {
    const int error = RenameKeeping(file.TemporaryPath, file.FinalPath);
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
    CloseFile(file.Fd);
    file.Fd = -1;
  }
  if (!file.TemporaryPath.empty()) {
    EraseFile(file.TemporaryPath);
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
