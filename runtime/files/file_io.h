// Small file helpers shared by the runtime and the player: whole reads
// and writes that survive short transfers and signals, and the one way whole
// files are written (to a temporary name, renamed when complete), so that a
// failed write never loses or half-writes the file it replaces.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Reads until count bytes arrived or the file ended; returns the bytes read, -1 on error.
int64_t ReadUpTo(int fd, void* buffer, size_t count);

// As ReadUpTo, at an absolute offset, leaving the file pointer alone.
int64_t ReadUpToAt(int fd, void* buffer, size_t count, uint64_t offset);

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
// Quiet: callers that must leave a trace use WriteFileAtomically and
// LogFileWriteFailure.
bool ReplaceFileContents(const std::string& hostPath, std::string_view bytes);

// --- Whole files, written safely ---
// Every file the runtime and the player write whole goes through these: the
// bytes go to a temporary file beside the final name and take that name only
// once they are complete and flushed. A full disk, a read-only folder or a
// crash part-way therefore loses only the new file, never the one it would
// have replaced, and no half-written file is ever seen under the final name.
//
//   WriteFileAtomically  the whole file from bytes in memory
//   BeginFileWrite       the same in pieces: begin, WriteToPendingFile as
//   WriteToPendingFile   often as needed, then CommitFileWrite (or
//   CommitFileWrite      AbandonFileWrite; a PendingFile destroyed before it
//   AbandonFileWrite     was committed is abandoned)
//   LogFileWriteFailure  the one log line for a write that failed
//
// None of them logs or stops the program by itself.

// Where the finished file goes.
enum class FilePlacement : int {
  kReplace,    // takes the name, replacing any file of that name
  kCreateNew,  // takes the name only if no file has it; an existing one is left alone
};

enum class FileWriteStatus : int {
  kWritten,  // complete under its final name
  kExists,   // kCreateNew: the name is taken; nothing was written
  kFailed,   // a step failed (Error says why); nothing changed under the final name
};

struct FileWriteResult {
  FileWriteStatus Status = FileWriteStatus::kFailed;
  int Error = 0;  // errno of the step that failed; 0 unless kFailed
};

// A file being written under a temporary name beside its final one.
struct PendingFile {
  int Fd = -1;                // the temporary file, -1 when none is open
  std::string FinalPath;      // where it goes on commit
  std::string TemporaryPath;  // where it is meanwhile
  int Error = 0;              // the first failure; once set, later steps do nothing

  PendingFile() = default;
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;
  ~PendingFile();
};

// Creates the temporary file for hostPath; false (Error set) when it cannot.
bool BeginFileWrite(PendingFile& file, const std::string& hostPath);
// Appends bytes; false (Error set) on any failure, and after an earlier one.
bool WriteToPendingFile(PendingFile& file, const void* data, size_t count);
// Flushes the file to the disk and gives it its final name. A file already
// under that name keeps its permission bits (kReplace); a new one gets the
// default ones. On any outcome but kWritten the temporary file is removed.
FileWriteResult CommitFileWrite(PendingFile& file, FilePlacement placement);
// Removes the temporary file; nothing happens under the final name.
void AbandonFileWrite(PendingFile& file);

FileWriteResult WriteFileAtomically(const std::string& hostPath, std::string_view bytes,
                                    FilePlacement placement);

// For kFailed, appends "Can't write <path>: <reason>" to the error log;
// nothing for the other outcomes.
void LogFileWriteFailure(const std::string& hostPath, const FileWriteResult& result);
