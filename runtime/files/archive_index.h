// The layout of the media archive appended to a program file, read with a
// bounds check on every offset and size, so that any file, however broken,
// can be scanned safely. Used by the runtime's resolver and by zorax-tool.
//
//   ... members ... | directory entries | 0 | "doZ" | DirectoryOffset (int32)
//   entry: NameLength (u8, 1..255), name, DataOffset (int32), StoredSize (u32)
//
// A negative DirectoryOffset, and then every DataOffset, counts back from the
// end of the file; otherwise both are positions from its start.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr char kArchiveTag[3] = {'d', 'o', 'Z'};
inline constexpr uint32_t kArchiveTrailerSize = 7;  // tag + DirectoryOffset

struct ArchiveDirectory {
  uint64_t FileSize = 0;
  int32_t DirectoryOffset = 0;
  bool FromEnd = false;  // offsets count back from the end of the file
  int64_t Cursor = 0;    // position of the next entry; may lie outside the file
  bool Ended = false;    // the end marker was read
};

enum class TrailerStatus {
  kFound,       // dir describes the directory
  kNoTag,       // the file is readable but carries no archive
  kUnreadable,  // the file is too short, or reading it failed
};

// Reads the trailer of the open file fd and places the cursor on the first entry.
TrailerStatus ReadArchiveTrailer(int fd, ArchiveDirectory& dir);

struct ArchiveEntry {
  std::string Name;
  int32_t DataOffset = 0;
  uint32_t StoredSize = 0;
};

// Reads the entry under the cursor and moves past it. False at the end
// marker, or when the entry does not lie wholly between the directory start
// and the trailer.
bool NextArchiveEntry(int fd, ArchiveDirectory& dir, ArchiveEntry& entry);

// The absolute position of an entry's stored bytes; false unless all of them
// lie inside the file.
bool MemberDataPosition(const ArchiveDirectory& dir, const ArchiveEntry& entry, uint64_t& start);

// Reads an entry's stored bytes; false when they lie outside the file or
// cannot be read whole.
bool ReadStoredMember(int fd, const ArchiveDirectory& dir, const ArchiveEntry& entry,
                      std::vector<uint8_t>& stored);

// The lookup key of a requested path: what follows its last "/" or "\".
std::string_view MemberKey(std::string_view path);

// Names compared as the lookup compares them: equal bytes, A-Z folded onto a-z.
bool SameMemberName(std::string_view a, std::string_view b);

// A name that may become a file name: 1 to 255 bytes, no "/", "\" or NUL,
// and no "..".
bool IsSafeMemberName(std::string_view name);
