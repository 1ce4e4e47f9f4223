// Writes media archives in the layout archive_index.h reads: members packed
// one after the other, then the directory, its end marker and the trailer.
// The writer produces bytes into Pending for its caller to store, so that a
// large archive never has to be held in memory whole.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/files/archive_index.h"

struct ArchiveWriter {
  bool FromStart = false;  // offsets from the start of the file instead of from its end
  uint64_t BaseSize = 0;   // bytes in front of the archive (the program image)
  std::string Pending;     // bytes produced and not yet taken by the caller
  uint64_t Produced = 0;   // archive bytes produced so far
  std::vector<ArchiveEntry> Entries;
  std::vector<uint64_t> Starts;  // each member's start, counted from the archive's start
  std::string Error;             // why the last call failed
};

// Packs one member and appends it to Pending. False (with Error set) for a
// name that is unsafe or already used (letter case ignored), a member larger
// than kMaxMemberSize or packing further than UnpackedSizeLimit lets the
// reader take, or an archive that would no longer fit 32-bit offsets.
bool AddArchiveMember(ArchiveWriter& writer, std::string_view name, std::span<const uint8_t> data);

// Appends the directory, its end marker and the trailer to Pending. False
// (with Error set) when the offsets do not fit in 32 bits.
bool FinishArchive(ArchiveWriter& writer);

// The whole archive of these (name, bytes) members at once, with negative
// offsets unless fromStart; "" with error set when a member is refused.
std::string BuildArchive(const std::vector<std::pair<std::string, std::string>>& members,
                         std::string* error = nullptr, bool fromStart = false,
                         uint64_t baseSize = 0);
