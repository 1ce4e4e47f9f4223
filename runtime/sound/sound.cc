// The sound slots and the one audio device. SDL_mixer owns the device and
// mixes the music; our effects mixer runs as its post-mix step on the same
// buffer. The callback runs on SDL's audio thread, so the slot table and the
// voices are touched only under one lock. A device that goes away is closed
// and opened again later in the same format (device_loss.cc decides when);
// the slots keep their sounds meanwhile.
#include "runtime/sound/sound.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <mutex>

#include "runtime/core/program_end.h"
#include "runtime/core/system.h"
#include "runtime/files/archive.h"
#include "runtime/sound/mixer.h"
#include "runtime/sound/music.h"
#include "runtime/sound/output_levels.h"
#include "runtime/sound/wav_file.h"

namespace {

constexpr int kSlotCount = 128;
constexpr int kMaxVoices = 4;
constexpr int kDeviceRate = 44100;
constexpr int kDeviceFrames = 1024;  // about 23 ms per buffer

struct SoundSlot {
  int32_t VoiceCount = 0;  // 0 (empty) to 4
  int32_t NextVoice = 0;   // voice used last: the round-robin position
  RtString SourcePath;     // the path the slot was loaded from (reference only)
  std::unique_ptr<const SoundSamples> Samples;  // shared by the slot's voices
};

struct SoundSystem {
  std::mutex Lock;
  int32_t Rate = 0;        // 0: no device
  bool MixerOpen = false;  // SDL_mixer's device is open (not offline)
  bool Lost = false;       // the device went away; the slots wait for its return
  bool AudioInit = false;  // we initialised SDL's audio subsystem
  std::array<SoundSlot, kSlotCount> Slots;
  std::array<Voice, kSlotCount * kMaxVoices> Voices;  // slot s, voice v at s * 4 + v
};

SoundSystem& Sound() {
  static SoundSystem system;
  return system;
}

Voice& VoiceOf(SoundSystem& s, int slot, int voice) {
  return s.Voices[slot * kMaxVoices + voice];
}

// Slot numbers: negative is a misuse, above 127 means 127.
int CheckedSlot(int32_t slot) {
  if (slot < 0) RaiseRuntimeError(kErrorOutOfRange);
  return std::min(slot, kSlotCount - 1);
}

// Stops every voice of the slot and forgets its sound. Caller holds the lock.
void EmptySlot(SoundSystem& s, int slot) {
  SoundSlot& record = s.Slots[slot];
  for (int v = 0; v < kMaxVoices; ++v) VoiceOf(s, slot, v) = Voice{};
  record.Samples.reset();
  record.VoiceCount = 0;
  record.NextVoice = 0;
}

void SDLCALL PostMix(void*, Uint8* stream, int length) {
  SoundSystem& s = Sound();
  std::lock_guard<std::mutex> hold(s.Lock);
  MixVoices(s.Voices.data(), s.Voices.size(), reinterpret_cast<int16_t*>(stream),
            static_cast<size_t>(length) / 4, static_cast<uint32_t>(s.Rate), EffectsOutputGain());
}

void CloseMixerDevice() {
  SoundSystem& s = Sound();
  if (s.MixerOpen) {
    Mix_SetPostMix(nullptr, nullptr);
    Mix_CloseAudio();
    Mix_Quit();
    s.MixerOpen = false;
  }
  if (s.AudioInit) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    s.AudioInit = false;
  }
}

// A real number that may be NaN, as the games pass it, made safe to convert.
double Finite(double value) {
  return std::isnan(value) ? 0.0 : value;
}

}  // namespace

void CreateSoundDevice() {
  SoundSystem& s = Sound();
  SetTeardownHook(TeardownStep::kMusic, StopMusic);
  SetTeardownHook(TeardownStep::kSound, CloseSoundDevice);
  if (s.Rate != 0) return;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    std::fprintf(stderr, "No sound device: %s\n", SDL_GetError());
    return;
  }
  s.AudioInit = true;
  // Exactly this format: the post-mix step writes 16-bit stereo frames.
  if (Mix_OpenAudioDevice(kDeviceRate, AUDIO_S16SYS, 2, kDeviceFrames, nullptr, 0) != 0) {
    std::fprintf(stderr, "No sound device: %s\n", Mix_GetError());
    CloseMixerDevice();
    return;
  }
  s.MixerOpen = true;
  Mix_AllocateChannels(0);  // effects are ours; SDL_mixer plays only the music
  {
    std::lock_guard<std::mutex> hold(s.Lock);
    s.Rate = kDeviceRate;
  }
  Mix_SetPostMix(PostMix, nullptr);
}

void OpenSoundDevice() {
  // The music decoders load on first use otherwise; a missing one only means
  // that format cannot be played.
  if (Sound().MixerOpen) Mix_Init(MIX_INIT_OGG | MIX_INIT_MP3 | MIX_INIT_MID | MIX_INIT_FLAC);
}

void OpenSoundDeviceOffline(int32_t rate) {
  CloseSoundDevice();
  SoundSystem& s = Sound();
  SetTeardownHook(TeardownStep::kSound, CloseSoundDevice);
  std::lock_guard<std::mutex> hold(s.Lock);
  s.Rate = std::max(rate, 0);
}

void CloseSoundDevice() {
  SoundSystem& s = Sound();
  {
    std::lock_guard<std::mutex> hold(s.Lock);
    s.Lost = false;
    for (int slot = 0; slot < kSlotCount; ++slot) {
      EmptySlot(s, slot);
      s.Slots[slot].SourcePath = "";
    }
  }
  // The music lives on this device and must go before it.
  StopMusic();
  if (s.MixerOpen) Mix_SetPostMix(nullptr, nullptr);
  {
    std::lock_guard<std::mutex> hold(s.Lock);
    s.Rate = 0;
  }
  CloseMixerDevice();
}

bool CloseLostSoundDevice() {
  SoundSystem& s = Sound();
  if (!s.MixerOpen) return false;
  // The music's decoder belongs to the device and goes first.
  SuspendMusic();
  Mix_SetPostMix(nullptr, nullptr);
  Mix_CloseAudio();
  s.MixerOpen = false;
  std::lock_guard<std::mutex> hold(s.Lock);
  s.Lost = true;
  for (Voice& voice : s.Voices) {
    voice.Playing = false;
    voice.Position = 0;
  }
  return true;
}

bool ReopenSoundDevice() {
  SoundSystem& s = Sound();
  if (!s.Lost) return false;
  // A restarted sound server is found again only by starting SDL's audio
  // afresh; the default device may also be another one by now.
  if (s.AudioInit) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    s.AudioInit = false;
  }
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  s.AudioInit = true;
  // The same format as before, so the loaded sounds and the mixer fit as they are.
  if (Mix_OpenAudioDevice(kDeviceRate, AUDIO_S16SYS, 2, kDeviceFrames, nullptr, 0) != 0) {
    return false;
  }
  s.MixerOpen = true;
  Mix_AllocateChannels(0);
  {
    std::lock_guard<std::mutex> hold(s.Lock);
    s.Lost = false;
  }
  Mix_SetPostMix(PostMix, nullptr);
  ResumeMusic();
  return true;
}

bool SoundDeviceAway() {
  SoundSystem& s = Sound();
  std::lock_guard<std::mutex> hold(s.Lock);
  return s.Lost;
}

int32_t SoundDeviceRate() {
  SoundSystem& s = Sound();
  std::lock_guard<std::mutex> hold(s.Lock);
  return s.Rate;
}

bool SoundMixerOpen() {
  return Sound().MixerOpen;
}

void MixSoundOutput(int16_t* stereo, int32_t frames) {
  if (stereo == nullptr || frames <= 0) return;
  SoundSystem& s = Sound();
  std::lock_guard<std::mutex> hold(s.Lock);
  MixVoices(s.Voices.data(), s.Voices.size(), stereo, static_cast<size_t>(frames),
            static_cast<uint32_t>(s.Rate), EffectsOutputGain());
}

int32_t LoadSound(const RtString& path, int32_t slot, int32_t voices) {
  const int index = CheckedSlot(slot);
  SoundSystem& s = Sound();
  bool device = false;
  {
    std::lock_guard<std::mutex> hold(s.Lock);
    EmptySlot(s, index);
    device = s.Rate != 0;
  }
  voices = std::clamp(voices, 1, kMaxVoices);
  if (!device) return 0;

  // The file is read whole before the next archive lookup may delete it.
  auto samples = std::make_unique<SoundSamples>();
  RtString resolved;
  const bool found = ResolveMediaPath(MediaArchive(), path, resolved) == 1 && !resolved.Empty();
  const bool decoded = found && ReadWavFile(ToHostPath(resolved.View()), *samples);

  std::lock_guard<std::mutex> hold(s.Lock);
  SoundSlot& record = s.Slots[index];
  if (!decoded || s.Rate == 0) {
    record.SourcePath = "";
    return 0;
  }
  record.Samples = std::move(samples);
  record.VoiceCount = voices;
  record.NextVoice = 0;
  record.SourcePath = path;
  for (int v = 0; v < voices; ++v) VoiceOf(s, index, v).Samples = record.Samples.get();
  return 1;
}

int32_t PlaySound(int32_t slot, double pan, double volume) {
  const int index = CheckedSlot(slot);
  const int32_t panLevel = static_cast<int32_t>(std::clamp(Finite(pan), -1.0, 1.0) * 10000.0);
  const int32_t volumeStep =
      std::max(static_cast<int32_t>(100.0 * std::clamp(Finite(volume), -1.0, 1.0)), 0);

  SoundSystem& s = Sound();
  std::lock_guard<std::mutex> hold(s.Lock);
  SoundSlot& record = s.Slots[index];
  if (s.Rate == 0 || s.Lost || record.VoiceCount == 0) return -1;

  Voice* voice = &VoiceOf(s, index, record.NextVoice);
  if (voice->Playing) {
    // A playing single-voice sound is not restarted; otherwise the next
    // voice takes over, cut short if it still plays.
    if (record.VoiceCount == 1) return -1;
    record.NextVoice = (record.NextVoice + 1) % record.VoiceCount;
    voice = &VoiceOf(s, index, record.NextVoice);
    voice->Playing = false;
  }
  voice->Position = 0;
  SetVoiceLevels(*voice, volumeStep * 100 - 10000, panLevel);
  voice->Playing = true;
  return index * 256 + record.NextVoice;
}

int32_t SoundPlaying(int32_t channel) {
  if (channel < 0) return 0;
  const int slot = channel / 256;
  const int voice = channel % 256;
  if (slot >= kSlotCount) return 0;
  SoundSystem& s = Sound();
  std::lock_guard<std::mutex> hold(s.Lock);
  if (s.Rate == 0 || s.Lost || voice >= s.Slots[slot].VoiceCount) return 0;
  return VoiceOf(s, slot, voice).Playing ? 1 : 0;
}

void StopAllSounds() {
  SoundSystem& s = Sound();
  std::lock_guard<std::mutex> hold(s.Lock);
  for (Voice& voice : s.Voices) {
    voice.Playing = false;
    voice.Position = 0;
  }
}
