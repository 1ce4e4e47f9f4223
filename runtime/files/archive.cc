// The archive resolver: loose files first, then the archive appended to the
// program file. Each member found is unpacked whole into the private
// temporary folder, or into an anonymous memory file when no private folder
// is usable or it cannot take the file (full, read-only), so that a packed
// game plays either way; a reader keeps at most one such file alive.
// Anything wrong with the archive makes the lookup fail quietly.
#include "runtime/files/archive.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "runtime/core/program_end.h"
#include "runtime/core/system.h"
#include "runtime/files/archive_index.h"
#include "runtime/files/case_blind.h"
#include "runtime/files/file_io.h"
#include "runtime/files/lzo_member.h"

namespace {

void ForgetTemporaryFile(ArchiveReader& reader) {
  if (reader.MemoryFile >= 0) {
    // A memory file vanishes with its last descriptor; a channel that opened
    // it keeps its own.
    CloseFile(reader.MemoryFile);
    reader.MemoryFile = -1;
  } else if (!reader.TemporaryFile.empty()) {
    EraseFile(reader.TemporaryFile);
  }
  reader.TemporaryFile.clear();
}

void RegisterArchiveTeardown() {
  SetTeardownHook(TeardownStep::kArchives, CloseArchiveReaders);
}

// Finds the member named by key; false when the directory ends first.
bool FindMember(int fd, ArchiveDirectory& dir, std::string_view key, ArchiveEntry& found) {
  ArchiveEntry entry;
  while (NextArchiveEntry(fd, dir, entry)) {
    if (entry.Name.size() < key.size()) continue;
    if (SameMemberName(entry.Name, key)) {
      found = std::move(entry);
      return true;
    }
  }
  return false;
}

void SayCannotWrite(const std::string& path) {
  std::printf("can't open \"%s\" for writing\n", path.c_str());
  std::fflush(stdout);
}

// Writes the unpacked bytes to a fresh file; 0 on success, else the errno of
// the failing step (and no file).
int WriteTemporaryFile(const std::string& path, const UnpackedMember& member) {
  EraseFile(path);
  int fd = CreateFileNoFollow(path);
  if (fd < 0) return errno;
  errno = 0;
  bool ok = WriteAll(fd, member.Data.get(), member.Size);
  int error = ok ? 0 : (errno != 0 ? errno : EIO);
  if (!CloseFile(fd) && error == 0) error = errno;
  if (error != 0) EraseFile(path);
  return error;
}

// Says once per run why members went to memory although a folder was there.
void NoteFolderRefusedMember(const std::string& path, int error) {
  static bool noted = false;
  if (noted) return;
  noted = true;
  const std::string line =
      "Can't write " + path + ": " + std::strerror(error) + "; archive members stay in memory";
  AppendErrorLog(line.c_str());
}

}  // namespace

ArchiveReader& MediaArchive() {
  static ArchiveReader reader;
  return reader;
}

ArchiveReader& MusicArchive() {
  static ArchiveReader reader;
  return reader;
}

void OpenArchiveReaders(const std::string& programPath) {
  for (ArchiveReader* reader : {&MediaArchive(), &MusicArchive()}) {
    ForgetTemporaryFile(*reader);
    reader->Enabled = true;
    reader->ArchivePath = programPath;
  }
  RegisterArchiveTeardown();
}

void CloseArchiveReaders() {
  for (ArchiveReader* reader : {&MediaArchive(), &MusicArchive()}) {
    ForgetTemporaryFile(*reader);
    *reader = ArchiveReader{};
  }
}

std::string MemberTemporaryName(int32_t dataOffset, uint32_t storedSize, const std::string& name) {
  std::string file = "doz";
  file += static_cast<char>('A' + (static_cast<uint32_t>(dataOffset) & 0xFF) % 26);
  file += static_cast<char>('A' + (storedSize & 0xFF) % 26);
  return file + name;
}

int ResolveMediaPath(ArchiveReader& reader, const RtString& requested, RtString& output) {
  // The caller may pass one string as both requested and output.
  const std::string request = requested.Std();
  ForgetTemporaryFile(reader);
  if (request.empty()) {
    output = "";
    return 0;
  }

  int loose = OpenForReading(ToHostPath(request));
  if (loose >= 0) {
    CloseFile(loose);
    output = RtString(std::string_view(request));
    return 1;
  }
  // A folder copied from a system whose names ignore case may spell the file
  // in other letters than the game asks for.
  if (const std::string spelt = FindCaseBlind(ToHostPath(request)); !spelt.empty()) {
    loose = OpenForReading(spelt);
    if (loose >= 0) {
      CloseFile(loose);
      output = RtString(std::string_view(spelt));
      return 1;
    }
  }

  if (!reader.Enabled) return 0;
  if (reader.ArchivePath.empty()) {
    reader.Enabled = false;
    return 0;
  }
  int fd = OpenForReading(reader.ArchivePath);
  if (fd < 0) {
    reader.Enabled = false;
    return 0;
  }

  ArchiveDirectory dir;
  const TrailerStatus trailer = ReadArchiveTrailer(fd, dir);
  if (trailer == TrailerStatus::kNoTag) {
    reader.Enabled = false;
    CloseFile(fd);
    return 0;
  }
  ArchiveEntry entry;
  std::vector<uint8_t> stored;
  const bool found = trailer == TrailerStatus::kFound &&
                     FindMember(fd, dir, MemberKey(request), entry) &&
                     IsSafeMemberName(entry.Name) && ReadStoredMember(fd, dir, entry, stored);
  CloseFile(fd);
  output = "";
  if (!found) return 0;

  UnpackedMember member;
  const UnpackStatus status = UnpackMember(stored, member);
  // A stream that does not decompress gives an empty member; a member whose
  // header or size is broken is not offered at all.
  if (status == UnpackStatus::kMalformed) return 0;
  stored = {};

  const std::string file = MemberTemporaryName(entry.DataOffset, entry.StoredSize, entry.Name);
  const std::string folder = PrivateTempFolder();
  std::string path;
  int error = ENOENT;
  if (!folder.empty()) {
    path = folder + "/" + file;
    error = WriteTemporaryFile(path, member);
    if (error != 0) NoteFolderRefusedMember(path, error);
  }
  int memoryFile = -1;
  if (error != 0) {
    memoryFile = CreateMemoryFile(file, member.Data.get(), member.Size, path);
    if (memoryFile < 0) {
      SayCannotWrite(folder.empty() ? file : folder + "/" + file);
      return 0;
    }
  }
  RegisterArchiveTeardown();
  reader.TemporaryFile = path;
  reader.MemoryFile = memoryFile;
  output = RtString(std::string_view(path));
  return 1;
}
