// Archive readers (stub until the files subsystem lands: loose files only).
#include "runtime/files/archive.h"

#include <unistd.h>

#include "runtime/core/system.h"

ArchiveReader& MediaArchive() {
  static ArchiveReader reader;
  return reader;
}

ArchiveReader& MusicArchive() {
  static ArchiveReader reader;
  return reader;
}

void OpenArchiveReaders(const std::string&) {}

int ResolveMediaPath(ArchiveReader&, const RtString& requested, RtString& output) {
  if (requested.Empty()) {
    output = "";
    return 0;
  }
  if (access(ToHostPath(requested.View()).c_str(), R_OK) == 0) {
    output = requested;
    return 1;
  }
  return 0;
}
