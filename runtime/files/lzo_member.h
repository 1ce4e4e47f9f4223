// The stored form of a media-archive member: its unpacked size as a 32-bit
// little-endian number, then its bytes compressed with LZO1X. Packing uses
// LZO1X-1; unpacking uses the decompressor that checks both its input and its
// output bounds, so a hostile stream can never write outside the buffer.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

// Members are never larger than this when unpacked (256 MiB).
inline constexpr uint64_t kMaxMemberSize = uint64_t{256} << 20;

// Members up to this size may use LZO1X's whole expansion ratio (64 MiB).
inline constexpr uint64_t kFullRatioMemberSize = uint64_t{64} << 20;
// Above it, a member may declare at most this many bytes per stream byte.
inline constexpr uint64_t kLargeMemberRatio = 64;

// The largest unpacked size a stream of this many bytes may declare. LZO1X
// cannot expand one stream byte into more than 255 output bytes (a long match
// adds 255 to its length per extension byte), so up to kFullRatioMemberSize
// the limit is 256 x stream + 1 KiB. Larger members must be stored in at
// least 1/64 of their size, so that a small hostile file cannot make us set
// aside 256 MiB; nothing is ever beyond kMaxMemberSize. The size is refused
// before any allocation, and the writer refuses members beyond it too.
uint64_t UnpackedSizeLimit(uint64_t streamBytes);

// Packs data into the stored form; false when data is larger than
// kMaxMemberSize or the compressor fails.
bool PackMember(std::span<const uint8_t> data, std::vector<uint8_t>& stored);

enum class UnpackStatus {
  kOk,         // the bytes hold exactly the declared unpacked size
  kMalformed,  // no size header, a declared size above the limit, memory refused,
               // or a stream that ends before it fills the declared size
  kCorrupt,    // the stream does not decompress
};

// Unpacked bytes; Data may be null when Size is 0.
struct UnpackedMember {
  std::unique_ptr<uint8_t[]> Data;
  size_t Size = 0;
};

// Unpacks a stored member; out is empty unless the result is kOk.
UnpackStatus UnpackMember(std::span<const uint8_t> stored, UnpackedMember& out);

// The declared unpacked size of a stored member (0 when it has no header).
uint32_t DeclaredUnpackedSize(std::span<const uint8_t> stored);
