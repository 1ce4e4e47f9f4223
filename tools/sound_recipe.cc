// The sound generator's synthesis and its WAV writer. Each layer is an
// oscillator whose phase accumulates the swept pitch sample by sample (so a
// sweep has no clicks), shaped by its envelope and optionally filtered; the
// layers are summed and the sum scaled to the recipe's peak.
#include "tools/sound_recipe.h"

#include <algorithm>
#include <cmath>

#include "tools/description_json.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

double Real(const Node& node, double low, double high) {
  const Json& value = node.Value();
  if (!value.is_number()) node.Fail("should be a number");
  const double number = value.get<double>();
  if (!(number >= low && number <= high)) {
    node.Fail("should lie between " + std::to_string(low) + " and " + std::to_string(high));
  }
  return number;
}

// A value or a [from, to] pair.
void Sweep(const Node& node, double low, double high, double& from, double& to) {
  if (node.IsArray()) {
    if (node.Size() != 2) node.Fail("should be a number or [from, to]");
    from = Real(node.Element(0), low, high);
    to = Real(node.Element(1), low, high);
  } else {
    from = to = Real(node, low, high);
  }
}

SoundLayer ReadLayer(const Node& node) {
  node.ExpectObject("a layer (an object)");
  node.OnlyKeys(
      {"wave", "start", "length", "pitch", "duty", "volume", "envelope", "vibrato", "lowpass"});
  SoundLayer layer;
  const Node wave = node.Member("wave");
  const std::string name = wave.String();
  if (name == "sine") {
    layer.Wave = Waveform::kSine;
  } else if (name == "square") {
    layer.Wave = Waveform::kSquare;
  } else if (name == "triangle") {
    layer.Wave = Waveform::kTriangle;
  } else if (name == "saw") {
    layer.Wave = Waveform::kSaw;
  } else if (name == "noise") {
    layer.Wave = Waveform::kNoise;
  } else {
    wave.Fail("should be \"sine\", \"square\", \"triangle\", \"saw\" or \"noise\"");
  }
  if (node.Has("start")) layer.Start = Real(node.Member("start"), 0.0, 10.0);
  layer.Length = Real(node.Member("length"), 0.001, 10.0);
  Sweep(node.Member("pitch"), 1.0, 20000.0, layer.FromHz, layer.ToHz);
  if (node.Has("duty")) layer.Duty = Real(node.Member("duty"), 0.01, 0.99);
  if (node.Has("volume")) layer.Volume = Real(node.Member("volume"), 0.0, 1.0);
  if (node.Has("envelope")) {
    double last = -1.0;
    for (const Node& point : node.Member("envelope").Elements()) {
      if (!point.IsArray() || point.Size() != 2) point.Fail("should be [seconds, level]");
      const double t = Real(point.Element(0), 0.0, layer.Length);
      if (t < last) point.Fail("envelope points must come in time order");
      last = t;
      layer.Shape.emplace_back(t, Real(point.Element(1), 0.0, 1.0));
    }
  }
  if (node.Has("vibrato")) {
    const Node vibrato = node.Member("vibrato");
    if (!vibrato.IsArray() || vibrato.Size() != 2) vibrato.Fail("should be [rate Hz, depth]");
    layer.VibratoHz = Real(vibrato.Element(0), 0.0, 100.0);
    layer.VibratoDepth = Real(vibrato.Element(1), 0.0, 1.0);
  }
  if (node.Has("lowpass"))
    Sweep(node.Member("lowpass"), 1.0, 20000.0, layer.LowPassFromHz, layer.LowPassToHz);
  return layer;
}

double EnvelopeAt(const SoundLayer& layer, double t) {
  if (layer.Shape.empty()) {
    constexpr double kAttack = 0.003;
    if (t < kAttack) return t / kAttack;
    return std::max(0.0, 1.0 - (t - kAttack) / std::max(1e-9, layer.Length - kAttack));
  }
  if (t <= layer.Shape.front().first) return layer.Shape.front().second;
  for (size_t i = 1; i < layer.Shape.size(); ++i) {
    const auto& [t1, v1] = layer.Shape[i];
    if (t <= t1) {
      const auto& [t0, v0] = layer.Shape[i - 1];
      return t1 > t0 ? v0 + (v1 - v0) * (t - t0) / (t1 - t0) : v1;
    }
  }
  return layer.Shape.back().second;
}

// xorshift32: the same noise everywhere, whatever the standard library.
class Noise {
 public:
  explicit Noise(uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
  double Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<double>(state_) / 2147483647.5 - 1.0;
  }

 private:
  uint32_t state_;
};

void Put(std::string& bytes, uint32_t value, int width) {
  for (int i = 0; i < width; ++i) bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

SoundRecipe ReadSoundRecipe(const std::string& path) {
  const auto file = LoadDescriptionFile(path);
  const Node root = Node::Root(file);
  root.ExpectObject("a sound recipe (an object)");
  root.OnlyKeys({"rate", "volume", "seed", "layers"});
  SoundRecipe recipe;
  if (root.Has("rate"))
    recipe.Rate = static_cast<int32_t>(root.Member("rate").Integer(8000, 48000));
  if (root.Has("volume")) recipe.Volume = Real(root.Member("volume"), 0.0, 1.0);
  if (root.Has("seed"))
    recipe.Seed = static_cast<uint32_t>(root.Member("seed").Integer(0, 0xFFFFFFFF));
  for (const Node& layer : root.Member("layers").Elements())
    recipe.Layers.push_back(ReadLayer(layer));
  if (recipe.Layers.empty()) root.Member("layers").Fail("a sound needs at least one layer");
  return recipe;
}

std::vector<int16_t> RenderSound(const SoundRecipe& recipe) {
  const double rate = recipe.Rate;
  double end = 0.0;
  for (const SoundLayer& layer : recipe.Layers) end = std::max(end, layer.Start + layer.Length);
  std::vector<double> mix(static_cast<size_t>(std::ceil(end * rate)), 0.0);
  Noise noise(recipe.Seed);

  for (const SoundLayer& layer : recipe.Layers) {
    const size_t first = static_cast<size_t>(layer.Start * rate);
    const size_t count = static_cast<size_t>(layer.Length * rate);
    double phase = 0.0, held = noise.Next(), filtered = 0.0;
    for (size_t i = 0; i < count && first + i < mix.size(); ++i) {
      const double t = i / rate;
      const double progress = count > 1 ? static_cast<double>(i) / (count - 1) : 0.0;
      double hz = layer.FromHz * std::pow(layer.ToHz / layer.FromHz, progress);
      if (layer.VibratoHz > 0.0)
        hz *= 1.0 + layer.VibratoDepth * std::sin(2 * kPi * layer.VibratoHz * t);
      const double before = phase;
      phase += hz / rate;
      phase -= std::floor(phase);
      double value = 0.0;
      switch (layer.Wave) {
        case Waveform::kSine:
          value = std::sin(2 * kPi * phase);
          break;
        case Waveform::kSquare:
          value = phase < layer.Duty ? 1.0 : -1.0;
          break;
        case Waveform::kTriangle:
          value = 1.0 - 4.0 * std::fabs(phase - 0.5);
          break;
        case Waveform::kSaw:
          value = 2.0 * phase - 1.0;
          break;
        case Waveform::kNoise:
          if (phase < before) held = noise.Next();  // a new value once per period
          value = held;
          break;
      }
      if (layer.LowPassFromHz > 0.0) {
        const double cutoff =
            layer.LowPassFromHz * std::pow(layer.LowPassToHz / layer.LowPassFromHz, progress);
        const double alpha = 1.0 - std::exp(-2 * kPi * cutoff / rate);
        filtered += alpha * (value - filtered);
        value = filtered;
      }
      mix[first + i] += value * layer.Volume * EnvelopeAt(layer, t);
    }
  }

  double peak = 0.0;
  for (double v : mix) peak = std::max(peak, std::fabs(v));
  const double gain = peak > 0.0 ? recipe.Volume * 32767.0 / peak : 0.0;
  std::vector<int16_t> samples(mix.size());
  for (size_t i = 0; i < mix.size(); ++i) {
    samples[i] = static_cast<int16_t>(std::lround(std::clamp(mix[i] * gain, -32767.0, 32767.0)));
  }
  return samples;
}

std::string WaveFileBytes(const std::vector<int16_t>& samples, int32_t rate) {
  const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
  std::string bytes = "RIFF";
  Put(bytes, 36 + dataBytes, 4);
  bytes += "WAVEfmt ";
  Put(bytes, 16, 4);  // format chunk size
  Put(bytes, 1, 2);   // PCM
  Put(bytes, 1, 2);   // mono
  Put(bytes, static_cast<uint32_t>(rate), 4);
  Put(bytes, static_cast<uint32_t>(rate) * 2, 4);  // bytes per second
  Put(bytes, 2, 2);                                // block align
  Put(bytes, 16, 2);                               // bits per sample
  bytes += "data";
  Put(bytes, dataBytes, 4);
  for (int16_t sample : samples) Put(bytes, static_cast<uint16_t>(sample), 2);
  return bytes;
}
