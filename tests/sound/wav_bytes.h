// Builds WAV files byte by byte for the sound tests, including malformed
// ones: every header field can be set to a value a real file would not have.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace wavtest {

struct WavShape {
  uint16_t FormatTag = 1;
  uint16_t Channels = 1;
  uint32_t Rate = 22050;
  uint16_t Bits = 16;
  int32_t BlockAlign = -1;     // -1: channels * bits / 8
  uint32_t FormatSize = 16;    // 16, 18, 40 ...; bytes beyond 16 are zero
  std::string Samples;         // the data chunk's bytes
  int64_t DataSizeField = -1;  // -1: the true size; else stated in the header
  std::string BeforeFormat;    // whole chunks placed before "fmt "
  std::string BeforeData;      // whole chunks placed between "fmt " and "data"
  bool WithFormat = true;
  bool WithData = true;
};

inline void Put16(std::string& out, uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}

inline void Put32(std::string& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

inline std::string Chunk(const std::string& tag, const std::string& body) {
  std::string out = tag;
  Put32(out, static_cast<uint32_t>(body.size()));
  return out + body;
}

inline std::string MakeWav(const WavShape& shape) {
  std::string body = "WAVE" + shape.BeforeFormat;
  if (shape.WithFormat) {
    std::string fmt;
    Put16(fmt, shape.FormatTag);
    Put16(fmt, shape.Channels);
    Put32(fmt, shape.Rate);
    const uint32_t align = shape.BlockAlign >= 0 ? static_cast<uint32_t>(shape.BlockAlign)
                                                 : shape.Channels * shape.Bits / 8;
    Put32(fmt, shape.Rate * align);
    Put16(fmt, align);
    Put16(fmt, shape.Bits);
    fmt.resize(shape.FormatSize, '\0');
    body += Chunk("fmt ", fmt);
  }
  body += shape.BeforeData;
  if (shape.WithData) {
    body += "data";
    Put32(body, shape.DataSizeField >= 0 ? static_cast<uint32_t>(shape.DataSizeField)
                                         : static_cast<uint32_t>(shape.Samples.size()));
    body += shape.Samples;
  }
  std::string out = "RIFF";
  Put32(out, static_cast<uint32_t>(body.size()));
  return out + body;
}

// `frames` 16-bit samples per channel, all of one value.
inline std::string Constant16(uint32_t frames, uint16_t channels, int16_t value) {
  std::string out;
  for (uint32_t i = 0; i < frames * channels; ++i) Put16(out, static_cast<uint16_t>(value));
  return out;
}

// 16-bit mono samples 1, 2, 3, ...: a sample's value tells its position.
inline std::string Ramp16(uint32_t frames) {
  std::string out;
  for (uint32_t i = 0; i < frames; ++i) Put16(out, static_cast<uint16_t>(i + 1));
  return out;
}

inline std::vector<uint8_t> Bytes(const std::string& s) {
  return {s.begin(), s.end()};
}

}  // namespace wavtest
