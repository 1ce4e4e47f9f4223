// Reads WAV files into sound samples. The chunk walk skips every chunk it
// does not need by its stated size; every size is checked against the bytes
// really there, so a hostile file can neither overrun, hang nor make us
// allocate more than the file itself holds.
#include "runtime/sound/wav_file.h"

#include <cstring>

#include "runtime/files/file_io.h"

namespace {

// Files above this size are not sounds we would play.
constexpr uint64_t kMaxWavFileBytes = uint64_t{kWavMaxDataBytes} + (1u << 20);

uint16_t Read16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t Read32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

struct Chunk {
  uint64_t Body = 0;  // offset of the chunk's first byte after its header
  uint32_t Size = 0;  // size as the header states it
};

// Walks chunk headers from `pos` until one tagged `tag`; false when the file
// ends first. Skipped chunks advance by their stated size (at least the
// 8-byte header), so the walk always ends.
bool FindChunk(const uint8_t* bytes, size_t size, uint64_t& pos, const char* tag, Chunk& found) {
  while (pos + 8 <= size) {
    const uint8_t* header = bytes + pos;
    const uint32_t chunkSize = Read32(header + 4);
    if (std::memcmp(header, tag, 4) == 0) {
      found.Body = pos + 8;
      found.Size = chunkSize;
      return true;
    }
    pos += 8 + uint64_t{chunkSize};
  }
  return false;
}

}  // namespace

bool DecodeWav(const uint8_t* bytes, size_t size, SoundSamples& out) {
  out = SoundSamples{};
  if (bytes == nullptr || size < 12) return false;
  if (std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0) return false;

  uint64_t pos = 12;
  Chunk format;
  if (!FindChunk(bytes, size, pos, "fmt ", format)) return false;
  // The first 16 bytes of the format chunk are all we read; a longer chunk
  // (18 bytes, or an extensible header) has its rest skipped.
  if (format.Size < 16 || format.Body + 16 > size) return false;
  const uint8_t* f = bytes + format.Body;
  const uint16_t fileChannels = Read16(f + 2);
  const uint32_t rate = Read32(f + 4);
  const uint16_t blockAlign = Read16(f + 12);
  const uint16_t bits = Read16(f + 14);
  pos = format.Body + format.Size;

  Chunk data;
  if (!FindChunk(bytes, size, pos, "data", data)) return false;

  // More than one channel is played as stereo; the block must then hold
  // exactly one sample per played channel, as PCM buffers require.
  if (fileChannels == 0) return false;
  const uint16_t channels = fileChannels > 1 ? 2 : 1;
  if (bits != 8 && bits != 16) return false;
  if (blockAlign == 0 || blockAlign != channels * (bits / 8)) return false;
  if (rate < kWavMinRate || rate > kWavMaxRate) return false;
  if (data.Size == 0 || data.Size > kWavMaxDataBytes) return false;
  if (data.Body + data.Size > size) return false;  // a short data chunk
  const uint32_t frames = data.Size / blockAlign;
  if (frames == 0) return false;

  out.Channels = channels;
  out.Rate = rate;
  out.Frames = frames;
  out.Data.resize(size_t{frames} * channels);
  const uint8_t* src = bytes + data.Body;
  if (bits == 8) {
    for (size_t i = 0; i < out.Data.size(); ++i) {
      out.Data[i] = static_cast<int16_t>((src[i] - 128) * 256);
    }
  } else {
    for (size_t i = 0; i < out.Data.size(); ++i) {
      out.Data[i] = static_cast<int16_t>(Read16(src + 2 * i));
    }
  }
  return true;
}

bool ReadWavFile(const std::string& hostPath, SoundSamples& out) {
  out = SoundSamples{};
  std::vector<uint8_t> bytes;
  return ReadRegularFile(hostPath, kMaxWavFileBytes, bytes) &&
         DecodeWav(bytes.data(), bytes.size(), out);
}
