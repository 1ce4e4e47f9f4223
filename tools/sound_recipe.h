// Sound effects from readable recipes: a few layers of simple waves (sine,
// square, triangle, saw, noise) with pitch sweeps, envelopes and a low-pass
// filter, mixed into 16-bit mono PCM and stored as a RIFF/WAVE file. The
// demo's shots, explosions and hits are made this way at build time, so the
// repository holds recipes rather than recordings. Noise comes from our own
// generator, so a recipe gives the same samples on every machine.
//
//   ReadSoundRecipe   a recipe from its JSON file; throws DescriptionError
//                     naming the file and place of a bad value
//   RenderSound       the mixed samples, peak-normalised to the recipe's volume
//   WaveFileBytes     a canonical 44-byte-header PCM WAV file of the samples
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class Waveform { kSine, kSquare, kTriangle, kSaw, kNoise };

// Piecewise linear: (seconds from the layer's start, level 0..1).
using Envelope = std::vector<std::pair<double, double>>;

struct SoundLayer {
  Waveform Wave = Waveform::kSquare;
  double Start = 0.0;          // seconds into the sound
  double Length = 0.1;         // seconds
  double FromHz = 440.0;       // pitch (for noise: how often a new value is drawn)
  double ToHz = 440.0;         // reached at the end of the layer, exponentially
  double Duty = 0.5;           // square waves: the share of each period spent high
  double Volume = 1.0;         // this layer's weight in the mix
  Envelope Shape;              // empty: a 3 ms attack, then a straight fade to 0
  double VibratoHz = 0.0;      // pitch wobble rate, 0 for none
  double VibratoDepth = 0.0;   // as a share of the pitch
  double LowPassFromHz = 0.0;  // one-pole low-pass cut-off sweep; 0 for none
  double LowPassToHz = 0.0;
};

struct SoundRecipe {
  int32_t Rate = 22050;  // samples per second
  double Volume = 0.8;   // peak of the mixed sound, 0..1
  uint32_t Seed = 1;     // noise generator seed
  std::vector<SoundLayer> Layers;
};

SoundRecipe ReadSoundRecipe(const std::string& path);
std::vector<int16_t> RenderSound(const SoundRecipe& recipe);
std::string WaveFileBytes(const std::vector<int16_t>& samples, int32_t rate);
