// Small POSIX file helpers shared by the files subsystem: whole reads and
// writes that survive short transfers and signals, and a replace-by-rename
// write so that a failed write-back never loses the file it replaces.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Reads until count bytes arrived or the file ended; returns the bytes read, -1 on error.
ssize_t ReadUpTo(int fd, void* buffer, size_t count);

// As ReadUpTo, at an absolute offset, leaving the file pointer alone.
ssize_t ReadUpToAt(int fd, void* buffer, size_t count, uint64_t offset);

// Writes all bytes; false on any error or a write that makes no progress.
bool WriteAll(int fd, const void* data, size_t count);

// Opens an existing file for reading (never a folder); -1 when that fails.
int OpenForReading(const std::string& hostPath);

// Reads a whole file of at most limit bytes into out; false when it cannot be
// opened or read, or is larger than limit.
bool ReadWholeFile(const std::string& hostPath, uint64_t limit, std::string& out);

// Reads a whole regular file of at most limit bytes into out (a file that
// shrinks while it is read is taken as far as it went); false for anything
// that is not a regular file, cannot be read, or is larger than limit.
bool ReadRegularFile(const std::string& hostPath, uint64_t limit, std::vector<uint8_t>& out);

// Writes bytes to a new file in the same folder as hostPath, then renames it
// over hostPath. A file already there keeps its permission bits; a new one
// gets the default ones. False (and nothing changed) when any step fails.
bool ReplaceFileContents(const std::string& hostPath, std::string_view bytes);

// Gives a file a new name that no file has yet, in one step: a file already
// under that name is never replaced.
enum class RenameResult { kDone, kNameTaken, kFailed };
RenameResult RenameWithoutOverwrite(const std::string& fromHostPath, const std::string& toHostPath);
