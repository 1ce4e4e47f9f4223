// Cost of the effects mixer per second of audio at 44,100 frames per second,
// mixed in 1,024-frame buffers as the device asks for them. Voices mix the
// usual kinds of sound: 11,025 and 22,050 Hz mono, 44,100 Hz stereo, with
// assorted volumes and pans. One voice is the baseline for the 64-voice case.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "runtime/sound/mixer.h"

namespace {

constexpr uint32_t kDeviceRate = 44100;
constexpr size_t kBufferFrames = 1024;

SoundSamples Tone(uint32_t rate, uint16_t channels, double hz) {
  SoundSamples s;
  s.Rate = rate;
  s.Channels = channels;
  s.Frames = rate * 4;  // longer than one iteration: voices never end mid-run
  s.Data.resize(size_t{s.Frames} * channels);
  for (uint32_t i = 0; i < s.Frames; ++i) {
    const auto v = static_cast<int16_t>(8000 * std::sin(2 * M_PI * hz * i / rate));
    for (uint16_t c = 0; c < channels; ++c) s.Data[size_t{i} * channels + c] = v;
  }
  return s;
}

void MixOneSecond(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const SoundSamples kinds[3] = {Tone(11025, 1, 440), Tone(22050, 1, 660), Tone(44100, 2, 220)};
  std::vector<Voice> voices(static_cast<size_t>(count));
  std::vector<int16_t> buffer(2 * kBufferFrames);
  for (auto _ : state) {
    state.PauseTiming();
    for (int i = 0; i < count; ++i) {
      Voice& v = voices[static_cast<size_t>(i)];
      v = Voice{};
      v.Samples = &kinds[i % 3];
      v.Position = uint64_t(i) << 32;
      SetVoiceLevels(v, -(i % 8) * 300, (i % 5 - 2) * 2000);
      v.Playing = true;
    }
    state.ResumeTiming();
    for (size_t done = 0; done < kDeviceRate; done += kBufferFrames) {
      const size_t frames = std::min(kBufferFrames, kDeviceRate - done);
      std::fill(buffer.begin(), buffer.end(), 0);
      MixVoices(voices.data(), voices.size(), buffer.data(), frames, kDeviceRate);
      benchmark::DoNotOptimize(buffer.data());
    }
  }
}

}  // namespace

BENCHMARK(MixOneSecond)->Arg(1)->Arg(8)->Arg(64)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
