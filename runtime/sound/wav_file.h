// RIFF/WAVE PCM files, which come from anywhere and are checked as such.
//
//   DecodeWav     bytes of a whole file -> samples; false for anything it
//                 cannot play (the output is then left empty)
//   ReadWavFile   the same for a file on disk; false also for a missing,
//                 unreadable or oversized file
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "runtime/sound/sound_samples.h"

// Sample rates and sizes a sound may have; anything outside is refused.
inline constexpr uint32_t kWavMinRate = 100;
inline constexpr uint32_t kWavMaxRate = 200000;
inline constexpr uint32_t kWavMaxDataBytes = 0x0FFFFFFF;

bool DecodeWav(const uint8_t* bytes, size_t size, SoundSamples& out);
bool ReadWavFile(const std::string& hostPath, SoundSamples& out);
