// The media archive appended to the program file. Every command that opens a
// named file asks ResolveMediaPath where it really is: a loose file wins,
// otherwise a member of the archive is unpacked to a temporary file: one in
// the private folder, or, when there is none or it cannot take the file, an
// anonymous memory file opened through its /proc/self/fd path.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/values/rt_string.h"

struct ArchiveReader {
  bool Enabled = false;
  std::string ArchivePath;    // the program file's full path
  std::string TemporaryFile;  // member last unpacked by this reader, "" if none
  int MemoryFile = -1;        // its descriptor when it lives in memory, else -1
};

// The reader for all media but music, and the one for music.
ArchiveReader& MediaArchive();
ArchiveReader& MusicArchive();

// Start-up: points both readers at the program's own file.
void OpenArchiveReaders(const std::string& programPath);

// 1 with output = requested path (loose file) or a temporary file's path
// (unpacked member, on disk or in memory); 0 with output untouched (no usable
// archive) or empty (nothing found, or unpacking failed).
int ResolveMediaPath(ArchiveReader& reader, const RtString& requested, RtString& output);

// The name of the temporary file a member unpacks to in the private temporary
// folder: "doz", a letter from the low byte of its data offset and one from
// that of its stored size ("A" + byte mod 26), then the member's name.
std::string MemberTemporaryName(int32_t dataOffset, uint32_t storedSize, const std::string& name);

// Program end: deletes both readers' temporary files and disables them.
void CloseArchiveReaders();
