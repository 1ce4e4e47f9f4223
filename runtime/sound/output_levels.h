// The listener's own volume: a master volume, one for the effects and one for
// the music, in per cent of the amplitude, and a mute switch. They apply on
// top of the volumes the game asks for, to sounds already playing too; at
// their defaults (100, 100, 100, not muted) the output is exactly the game's.
//
// SetOutputLevels      stores the levels (each clamped to 0 .. 100) and applies them
// CurrentOutputLevels  the levels in use
// EffectsOutputGain    the factor the effects mixer applies (0 .. 1); safe to read
//                      from the audio thread
// MusicOutputGain      the factor the music's volume is sent with (0 .. 1)
#pragma once

#include <cstdint>

struct OutputLevels {
  int32_t Volume = 100;
  int32_t Effects = 100;
  int32_t Music = 100;
  bool Mute = false;
};

void SetOutputLevels(const OutputLevels& levels);
OutputLevels CurrentOutputLevels();
float EffectsOutputGain();
double MusicOutputGain();
