// Bounds-checked reading of the media archive's trailer and directory.
#include "runtime/files/archive_index.h"

#include <algorithm>
#include <cstring>

#include "runtime/core/system.h"
#include "runtime/files/file_io.h"
#include "runtime/values/rt_string.h"

namespace {

int32_t Little32(const uint8_t* at) {
  return static_cast<int32_t>(static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
                              static_cast<uint32_t>(at[2]) << 16 |
                              static_cast<uint32_t>(at[3]) << 24);
}

}  // namespace

TrailerStatus ReadArchiveTrailer(int fd, ArchiveDirectory& dir) {
  dir = ArchiveDirectory{};
  FileInfo info;
  if (!HandleInfo(fd, info) || info.Size < kArchiveTrailerSize) {
    return TrailerStatus::kUnreadable;
  }
  dir.FileSize = info.Size;
  uint8_t trailer[kArchiveTrailerSize];
  if (ReadUpToAt(fd, trailer, sizeof trailer, dir.FileSize - kArchiveTrailerSize) !=
      static_cast<int64_t>(sizeof trailer)) {
    return TrailerStatus::kUnreadable;
  }
  if (std::memcmp(trailer, kArchiveTag, sizeof kArchiveTag) != 0) return TrailerStatus::kNoTag;
  dir.DirectoryOffset = Little32(trailer + 3);
  dir.FromEnd = dir.DirectoryOffset < 0;
  dir.Cursor = dir.FromEnd ? static_cast<int64_t>(dir.FileSize) + dir.DirectoryOffset
                           : static_cast<int64_t>(dir.DirectoryOffset);
  return TrailerStatus::kFound;
}

bool NextArchiveEntry(int fd, ArchiveDirectory& dir, ArchiveEntry& entry) {
  // The directory must end before the trailer.
  const int64_t end = static_cast<int64_t>(dir.FileSize) - kArchiveTrailerSize;
  if (dir.Cursor < 0 || dir.Cursor >= end) return false;
  // The longest entry: length byte, 255 name bytes, two 32-bit numbers.
  uint8_t bytes[1 + 255 + 8];
  const size_t room = static_cast<size_t>(std::min<int64_t>(end - dir.Cursor, sizeof bytes));
  if (ReadUpToAt(fd, bytes, room, static_cast<uint64_t>(dir.Cursor)) !=
      static_cast<int64_t>(room)) {
    return false;
  }
  const size_t nameLength = bytes[0];
  if (nameLength == 0) {
    dir.Ended = true;
    return false;
  }
  if (1 + nameLength + 8 > room) return false;
  entry.Name.assign(reinterpret_cast<const char*>(bytes + 1), nameLength);
  entry.DataOffset = Little32(bytes + 1 + nameLength);
  entry.StoredSize = static_cast<uint32_t>(Little32(bytes + 1 + nameLength + 4));
  dir.Cursor += static_cast<int64_t>(1 + nameLength + 8);
  return true;
}

bool MemberDataPosition(const ArchiveDirectory& dir, const ArchiveEntry& entry, uint64_t& start) {
  const int64_t position = dir.FromEnd ? static_cast<int64_t>(dir.FileSize) + entry.DataOffset
                                       : static_cast<int64_t>(entry.DataOffset);
  if (position < 0 || static_cast<uint64_t>(position) > dir.FileSize) return false;
  if (entry.StoredSize > dir.FileSize - static_cast<uint64_t>(position)) return false;
  start = static_cast<uint64_t>(position);
  return true;
}

bool ReadStoredMember(int fd, const ArchiveDirectory& dir, const ArchiveEntry& entry,
                      std::vector<uint8_t>& stored) {
  stored.clear();
  uint64_t start = 0;
  if (!MemberDataPosition(dir, entry, start)) return false;
  stored.resize(entry.StoredSize);
  if (ReadUpToAt(fd, stored.data(), stored.size(), start) != static_cast<int64_t>(stored.size())) {
    stored.clear();
    return false;
  }
  return true;
}

std::string_view MemberKey(std::string_view path) {
  size_t cut = path.find_last_of("/\\");
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

bool SameMemberName(std::string_view a, std::string_view b) {
  return SameIgnoringCase(a, b);
}

bool IsSafeMemberName(std::string_view name) {
  return !name.empty() && name.size() <= 255 &&
         name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos &&
         name.find("..") == std::string_view::npos;
}
