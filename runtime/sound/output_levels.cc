// The listener's volume levels. The effects factor is read by the mixer on
// the audio thread, so it is kept in an atomic; the rest is touched on the
// program thread only.
#include "runtime/sound/output_levels.h"

#include <algorithm>
#include <atomic>

#include "runtime/sound/music.h"

namespace {

OutputLevels& Levels() {
  static OutputLevels levels;
  return levels;
}

std::atomic<float>& EffectsGain() {
  static std::atomic<float> gain{1.0f};
  return gain;
}

double Gain(const OutputLevels& levels, int32_t part) {
  if (levels.Mute) return 0.0;
  return levels.Volume / 100.0 * (part / 100.0);
}

}  // namespace

void SetOutputLevels(const OutputLevels& levels) {
  OutputLevels& stored = Levels();
  stored.Volume = std::clamp(levels.Volume, 0, 100);
  stored.Effects = std::clamp(levels.Effects, 0, 100);
  stored.Music = std::clamp(levels.Music, 0, 100);
  stored.Mute = levels.Mute;
  EffectsGain().store(static_cast<float>(Gain(stored, stored.Effects)));
  ResendMusicVolume();
}

OutputLevels CurrentOutputLevels() {
  return Levels();
}

float EffectsOutputGain() {
  return EffectsGain().load(std::memory_order_relaxed);
}

double MusicOutputGain() {
  return Gain(Levels(), Levels().Music);
}
