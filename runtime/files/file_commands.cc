// FileExists, RemoveFile and CopyFileTo over the platform's file services.
#include "runtime/files/file_commands.h"

#include <vector>

#include "runtime/core/system.h"
#include "runtime/files/file_io.h"

double FileExists(const RtString& path) {
  const int fd = OpenForReading(ToHostPath(path.View()));
  if (fd < 0) return 0.0;
  CloseFile(fd);
  return 1.0;
}

int32_t RemoveFile(const RtString& path) {
  const std::string host = ToHostPath(path.View());
  return !host.empty() && EraseFile(host) ? 1 : 0;
}

void CopyFileTo(const RtString& source, const RtString& destination) {
  const std::string from = ToHostPath(source.View());
  const std::string to = ToHostPath(destination.View());
  const int in = OpenForReading(from);
  if (in < 0) return;

  // Deleting the destination first would delete the source too when both are
  // one file (the same path, a link, another spelling of the path).
  FileInfo sourceInfo;
  FileInfo targetInfo;
  if (to.empty() || (HandleInfo(in, sourceInfo) && PathInfo(to, targetInfo) &&
                     SameFile(sourceInfo, targetInfo))) {
    CloseFile(in);
    return;
  }

  // The copy takes the destination's name only once complete, so a failed
  // copy leaves the old destination as it was.
  PendingFile out;
  if (!BeginFileWrite(out, to)) {
    CloseFile(in);
    LogFileWriteFailure(to, FileWriteResult{FileWriteStatus::kFailed, out.Error});
    return;
  }
  std::vector<char> block(size_t{1} << 16);
  bool ok = true;
  for (;;) {
    const int64_t n = ReadUpTo(in, block.data(), block.size());
    if (n < 0) {
      ok = false;
      break;
    }
    if (n > 0 && !WriteToPendingFile(out, block.data(), static_cast<size_t>(n))) break;
    if (static_cast<size_t>(n) < block.size()) break;
  }
  CloseFile(in);
  if (!ok) {
    // The source could not be read: no fault of the destination's, nothing to log.
    AbandonFileWrite(out);
    return;
  }
  LogFileWriteFailure(to, CommitFileWrite(out, FilePlacement::kReplace));
}
