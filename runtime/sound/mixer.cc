// Resampling and summing of the effect voices. Each voice is read at its own
// rate with linear interpolation, scaled by its two channel gains and summed
// in floating point; the sum is added to what the buffer already holds (the
// music) and clipped once.
#include "runtime/sound/mixer.h"

#include <algorithm>
#include <cmath>

namespace {

// Frames summed per pass; the accumulator lives on the stack.
constexpr size_t kBlockFrames = 256;
constexpr float kFractionScale = 1.0f / 4294967296.0f;

// Adds up to `frames` frames of one voice into the accumulator; returns false
// when the voice ran out of samples (it is then stopped and rewound).
bool AddVoice(Voice& voice, float* acc, size_t frames, uint64_t step, float outputGain) {
  const SoundSamples& s = *voice.Samples;
  const uint64_t end = uint64_t{s.Frames} << 32;
  if (voice.Position >= end) {
    voice.Playing = false;
    voice.Position = 0;
    return false;
  }
  // Output frames left before the position passes the last sample frame.
  const uint64_t left = (end - voice.Position + step - 1) / step;
  const size_t n = static_cast<size_t>(std::min<uint64_t>(left, frames));
  const int16_t* data = s.Data.data();
  const uint32_t last = s.Frames - 1;
  uint64_t pos = voice.Position;
  const float gl = voice.GainLeft * outputGain;
  const float gr = voice.GainRight * outputGain;
  if (s.Channels == 1) {
    for (size_t i = 0; i < n; ++i) {
      const uint32_t index = static_cast<uint32_t>(pos >> 32);
      const uint32_t next = index + (index < last ? 1 : 0);
      const float t = static_cast<float>(static_cast<uint32_t>(pos)) * kFractionScale;
      const float a = data[index];
      const float v = a + (static_cast<float>(data[next]) - a) * t;
      acc[2 * i] += v * gl;
      acc[2 * i + 1] += v * gr;
      pos += step;
    }
  } else {
    for (size_t i = 0; i < n; ++i) {
      const uint32_t index = static_cast<uint32_t>(pos >> 32);
      const uint32_t next = index + (index < last ? 1 : 0);
      const float t = static_cast<float>(static_cast<uint32_t>(pos)) * kFractionScale;
      const float al = data[2 * index];
      const float ar = data[2 * index + 1];
      acc[2 * i] += (al + (static_cast<float>(data[2 * next]) - al) * t) * gl;
      acc[2 * i + 1] += (ar + (static_cast<float>(data[2 * next + 1]) - ar) * t) * gr;
      pos += step;
    }
  }
  voice.Position = pos;
  if (pos >= end) {
    voice.Playing = false;
    voice.Position = 0;
    return false;
  }
  return true;
}

}  // namespace

double LevelToGain(int32_t hundredthsOfDecibel) {
  return std::pow(10.0, static_cast<double>(hundredthsOfDecibel) / 2000.0);
}

void SetVoiceLevels(Voice& voice, int32_t volume, int32_t pan) {
  volume = std::clamp(volume, kVolumeMin, 0);
  pan = std::clamp(pan, kPanLeft, kPanRight);
  const int32_t left = volume - std::max(pan, 0);
  const int32_t right = volume - std::max(-pan, 0);
  voice.GainLeft = static_cast<float>(LevelToGain(left));
  voice.GainRight = static_cast<float>(LevelToGain(right));
}

void MixVoices(Voice* voices, size_t count, int16_t* stereo, size_t frames, uint32_t outputRate,
               float outputGain) {
  if (outputRate == 0) return;
  float acc[2 * kBlockFrames];
  for (size_t done = 0; done < frames; done += kBlockFrames) {
    const size_t block = std::min(kBlockFrames, frames - done);
    bool any = false;
    for (size_t v = 0; v < count; ++v) {
      Voice& voice = voices[v];
      if (!voice.Playing) continue;
      if (voice.Samples == nullptr || voice.Samples->Frames == 0 || voice.Samples->Rate == 0) {
        voice.Playing = false;
        voice.Position = 0;
        continue;
      }
      if (!any) {
        std::fill(acc, acc + 2 * block, 0.0f);
        any = true;
      }
      const uint64_t step = (uint64_t{voice.Samples->Rate} << 32) / outputRate;
      AddVoice(voice, acc, block, std::max<uint64_t>(step, 1), outputGain);
    }
    if (!any) continue;
    int16_t* out = stereo + 2 * done;
    for (size_t i = 0; i < 2 * block; ++i) {
      const long sum = static_cast<long>(out[i]) + std::lrint(acc[i]);
      out[i] = static_cast<int16_t>(std::clamp(sum, -32768L, 32767L));
    }
  }
}
