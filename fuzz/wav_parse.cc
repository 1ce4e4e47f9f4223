// RIFF/WAVE parsing of any bytes, from memory and through the file reader.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "runtime/sound/wav_file.h"

namespace {

void CheckSamples(const SoundSamples& samples) {
  fuzz::Require(samples.Channels == 1 || samples.Channels == 2, "one or two channels");
  fuzz::Require(samples.Rate >= kWavMinRate && samples.Rate <= kWavMaxRate, "rate in range");
  fuzz::Require(samples.Data.size() == size_t{samples.Frames} * samples.Channels, "whole frames");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (size_t{1} << 20)) return -1;
  fuzz::Setup();
  SoundSamples fromMemory;
  const bool decoded = DecodeWav(data, size, fromMemory);
  if (decoded) {
    CheckSamples(fromMemory);
  } else {
    fuzz::Require(fromMemory.Data.empty() && fromMemory.Frames == 0, "refused leaves it empty");
  }
  SoundSamples fromFile;
  const bool read = ReadWavFile(fuzz::WriteScratch("sound.wav", data, size), fromFile);
  fuzz::Require(read == decoded, "file and memory agree");
  if (read) fuzz::Require(fromFile.Data == fromMemory.Data, "same samples");
  return 0;
}
