// The decoded form of a sound effect: whole frames of signed 16-bit samples,
// mono or stereo, at the file's own rate. All voices of a slot read one of
// these; the mixer resamples it to the device rate while playing.
#pragma once

#include <cstdint>
#include <vector>

struct SoundSamples {
  std::vector<int16_t> Data;  // Frames * Channels samples, interleaved left, right
  uint32_t Frames = 0;
  uint16_t Channels = 0;  // 1 or 2
  uint32_t Rate = 0;      // frames per second
};
