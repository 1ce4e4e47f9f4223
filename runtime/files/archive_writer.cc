// The archive writer behind `zorax-tool pack` (and the tests' archives).
#include "runtime/files/archive_writer.h"

#include <cstdint>

#include "runtime/files/lzo_member.h"

namespace {

void AppendLittle32(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// Archive sizes, positions and offsets must all stay within int32.
constexpr uint64_t kMaxOffset = INT32_MAX;

}  // namespace

bool AddArchiveMember(ArchiveWriter& writer, std::string_view name, std::span<const uint8_t> data) {
  if (!IsSafeMemberName(name)) {
    writer.Error = "member name \"" + std::string(name) +
                   "\" must be 1 to 255 bytes without \"/\", \"\\\" or \"..\"";
    return false;
  }
  for (const ArchiveEntry& entry : writer.Entries) {
    if (SameMemberName(entry.Name, name)) {
      writer.Error = "member name \"" + std::string(name) + "\" is used twice";
      return false;
    }
  }
  if (data.size() > kMaxMemberSize) {
    writer.Error = "member \"" + std::string(name) + "\" is larger than 256 MiB";
    return false;
  }
  std::vector<uint8_t> stored;
  if (!PackMember(data, stored)) {
    writer.Error = "member \"" + std::string(name) + "\" could not be compressed";
    return false;
  }
  // The reader refuses a member whose size is out of proportion to its
  // stored bytes; such a member must not be written either.
  if (data.size() > UnpackedSizeLimit(stored.size() - 4)) {
    writer.Error = "member \"" + std::string(name) + "\" packs " +
                   std::to_string(data.size() / (stored.size() - 4)) +
                   " to 1, more than the reader accepts for its size";
    return false;
  }
  if (writer.BaseSize + writer.Produced + stored.size() > kMaxOffset) {
    writer.Error = "archive would be larger than 2 GiB";
    return false;
  }
  ArchiveEntry entry;
  entry.Name = std::string(name);
  entry.StoredSize = static_cast<uint32_t>(stored.size());
  writer.Entries.push_back(std::move(entry));
  writer.Starts.push_back(writer.Produced);
  writer.Pending.append(reinterpret_cast<const char*>(stored.data()), stored.size());
  writer.Produced += stored.size();
  return true;
}

bool FinishArchive(ArchiveWriter& writer) {
  uint64_t directorySize = 1 + kArchiveTrailerSize;
  for (const ArchiveEntry& entry : writer.Entries) directorySize += 1 + entry.Name.size() + 8;
  const uint64_t total = writer.Produced + directorySize;
  if (writer.BaseSize + total > kMaxOffset) {
    writer.Error = "archive would be larger than 2 GiB";
    return false;
  }
  // Offsets from the end are the distance from the position to the file's end.
  auto offsetOf = [&](uint64_t archivePosition) -> uint32_t {
    const int64_t offset =
        writer.FromStart ? static_cast<int64_t>(writer.BaseSize + archivePosition)
                         : static_cast<int64_t>(archivePosition) - static_cast<int64_t>(total);
    return static_cast<uint32_t>(static_cast<int32_t>(offset));
  };
  std::string& out = writer.Pending;
  const uint64_t directoryStart = writer.Produced;
  for (size_t i = 0; i < writer.Entries.size(); ++i) {
    ArchiveEntry& entry = writer.Entries[i];
    entry.DataOffset = static_cast<int32_t>(offsetOf(writer.Starts[i]));
    out.push_back(static_cast<char>(entry.Name.size()));
    out += entry.Name;
    AppendLittle32(out, static_cast<uint32_t>(entry.DataOffset));
    AppendLittle32(out, entry.StoredSize);
  }
  out.push_back('\0');
  out.append(kArchiveTag, sizeof kArchiveTag);
  AppendLittle32(out, offsetOf(directoryStart));
  writer.Produced = total;
  return true;
}

std::string BuildArchive(const std::vector<std::pair<std::string, std::string>>& members,
                         std::string* error, bool fromStart, uint64_t baseSize) {
  ArchiveWriter writer;
  writer.FromStart = fromStart;
  writer.BaseSize = baseSize;
  std::string archive;
  for (const auto& [name, bytes] : members) {
    std::span<const uint8_t> data(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    if (!AddArchiveMember(writer, name, data)) {
      if (error != nullptr) *error = writer.Error;
      return "";
    }
  }
  if (!FinishArchive(writer)) {
    if (error != nullptr) *error = writer.Error;
    return "";
  }
  return std::move(writer.Pending);
}
