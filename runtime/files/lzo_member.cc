// LZO1X packing and bounds-checked unpacking of archive members (liblzo2).
#include "runtime/files/lzo_member.h"

#include <lzo/lzo1x.h>

#include <algorithm>
#include <new>

namespace {

bool LzoReady() {
  static const bool ready = lzo_init() == LZO_E_OK;
  return ready;
}

void PutLittle32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

uint64_t UnpackedSizeLimit(uint64_t streamBytes) {
  // No stream handed to us comes near 2^50 bytes; the clamp keeps the products in range.
  const uint64_t bytes = std::min<uint64_t>(streamBytes, uint64_t{1} << 40);
  const uint64_t fullRatio = std::min<uint64_t>(bytes * 256 + 1024, kFullRatioMemberSize);
  return std::min<uint64_t>(kMaxMemberSize, std::max(fullRatio, bytes * kLargeMemberRatio));
}

uint32_t DeclaredUnpackedSize(std::span<const uint8_t> stored) {
  if (stored.size() < 4) return 0;
  return static_cast<uint32_t>(stored[0]) | static_cast<uint32_t>(stored[1]) << 8 |
         static_cast<uint32_t>(stored[2]) << 16 | static_cast<uint32_t>(stored[3]) << 24;
}

bool PackMember(std::span<const uint8_t> data, std::vector<uint8_t>& stored) {
  stored.clear();
  if (data.size() > kMaxMemberSize || !LzoReady()) return false;
  // Worst case of LZO1X-1 for incompressible input.
  const size_t bound = data.size() + data.size() / 16 + 64 + 3;
  std::vector<lzo_align_t> work(LZO1X_1_MEM_COMPRESS / sizeof(lzo_align_t) + 1);
  stored.resize(4 + bound);
  PutLittle32(stored.data(), static_cast<uint32_t>(data.size()));
  lzo_uint packed = bound;
  // An empty input still yields a valid stream (the end marker alone).
  static const uint8_t kNothing = 0;
  const uint8_t* source = data.empty() ? &kNothing : data.data();
  if (lzo1x_1_compress(source, data.size(), stored.data() + 4, &packed, work.data()) != LZO_E_OK) {
    stored.clear();
    return false;
  }
  stored.resize(4 + packed);
  return true;
}

UnpackStatus UnpackMember(std::span<const uint8_t> stored, UnpackedMember& out) {
  out.Data.reset();
  out.Size = 0;
  if (stored.size() < 4 || !LzoReady()) return UnpackStatus::kMalformed;
  const uint64_t declared = DeclaredUnpackedSize(stored);
  const std::span<const uint8_t> stream = stored.subspan(4);
  if (declared > UnpackedSizeLimit(stream.size())) return UnpackStatus::kMalformed;

  std::unique_ptr<uint8_t[]> buffer;
  try {
    // One spare byte, so that an empty member still has a buffer to point at.
    // Left unfilled where the library can (decompression writes it whole);
    // older libraries (Emscripten 3.1's) zero it first.
#if defined(__cpp_lib_smart_ptr_for_overwrite)
    buffer = std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(declared) + 1);
#else
    buffer = std::make_unique<uint8_t[]>(static_cast<size_t>(declared) + 1);
#endif
  } catch (const std::bad_alloc&) {
    return UnpackStatus::kMalformed;
  }
  lzo_uint produced = static_cast<lzo_uint>(declared);
  const int result =
      lzo1x_decompress_safe(stream.data(), stream.size(), buffer.get(), &produced, nullptr);
  if (result != LZO_E_OK) return UnpackStatus::kCorrupt;
  if (produced != declared) return UnpackStatus::kMalformed;
  out.Data = std::move(buffer);
  out.Size = static_cast<size_t>(declared);
  return UnpackStatus::kOk;
}
