// The effects mixer: a pure function that adds the playing voices into a
// buffer of interleaved signed 16-bit stereo frames at the device rate. The
// audio callback runs it on the device's buffer; tests and benchmarks run it
// on their own buffers.
//
//   LevelToGain     hundredths of a decibel -> linear gain (0 is 1.0)
//   SetVoiceLevels  volume and pan, both in hundredths of a decibel, into a
//                   voice's left and right gains
//   MixVoices       adds every playing voice, scaled by outputGain (the
//                   listener's effects level); a voice that reaches its end
//                   stops and rewinds to its start
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/sound/sound_samples.h"

// One playing copy of a sound. Position counts frames of the sound in 32.32
// fixed point, so each voice steps through its samples at its own rate.
struct Voice {
  const SoundSamples* Samples = nullptr;
  uint64_t Position = 0;
  float GainLeft = 1.0f;
  float GainRight = 1.0f;
  bool Playing = false;
};

// Volume runs from -10000 (-100 dB) to 0 (full). Pan runs from -10000 to
// 10000: a positive pan attenuates the left channel by that many hundredths
// of a decibel, a negative one the right channel.
inline constexpr int32_t kVolumeMin = -10000;
inline constexpr int32_t kPanLeft = -10000;
inline constexpr int32_t kPanRight = 10000;

double LevelToGain(int32_t hundredthsOfDecibel);
void SetVoiceLevels(Voice& voice, int32_t volume, int32_t pan);
void MixVoices(Voice* voices, size_t count, int16_t* stereo, size_t frames, uint32_t outputRate,
               float outputGain = 1.0f);
