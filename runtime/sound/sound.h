// Sound effects: 128 slots of up to 4 voices each, played fire-and-forget
// with pan and volume. Without a sound device every command does nothing.
//
//   CreateSoundDevice   opens the audio device (music and effects share it);
//                       without one the slots stay unusable, quietly
//   OpenSoundDevice     readies the music decoders
//   LoadSound           1, or 0 (no device, no such file, not a playable WAV);
//                       the slot is empty after a failure
//   PlaySound           slot * 256 + voice, or -1 (no device, device away,
//                       empty slot, or a single-voice sound still playing)
//   SoundPlaying        1 while that voice plays; 0 for anything else
//   StopAllSounds       stops and rewinds every voice
// A negative slot number is a runtime error (7); numbers above 127 use 127.
#pragma once

#include <cstdint>

#include "runtime/values/rt_string.h"

// Start-up: creates the sound device object and its slots (stage "Init Sound").
void CreateSoundDevice();
// Start-up: opens the audio device.
void OpenSoundDevice();

int32_t LoadSound(const RtString& path, int32_t slot, int32_t voices);  // 1 or 0
int32_t PlaySound(int32_t slot, double pan, double volume);             // slot * 256 + voice, or -1
int32_t SoundPlaying(int32_t channel);                                  // 1 while that voice plays
void StopAllSounds();  // stops and rewinds every voice

// --- The device behind the commands ---
// Sample rate of the output, 0 when there is no sound device.
int32_t SoundDeviceRate();
// True while the SDL_mixer device is open, which music needs.
bool SoundMixerOpen();
// Runs the slots without an audio output: the commands behave as with a
// device of the given rate, and nothing plays until MixSoundOutput pulls it.
// Replaces any open device. Used by tests and by offline rendering.
void OpenSoundDeviceOffline(int32_t rate);
// Adds the playing voices into `frames` interleaved stereo frames at the
// device rate and advances them, as the audio device does for each buffer.
void MixSoundOutput(int16_t* stereo, int32_t frames);
// Releases the slots, then the device (the sound step of the program end).
void CloseSoundDevice();

// --- A device that goes away during play (see device_loss.h) ---
// Closes the device after it was lost: voices stop, loaded sounds stay, the
// music is held, and the commands go on without sound (PlaySound -1,
// LoadSound still loads) until ReopenSoundDevice. False when no device was open.
bool CloseLostSoundDevice();
// Opens the default device again in the format it had and lets the held
// music go on; false (still away) when it cannot.
bool ReopenSoundDevice();
// True between CloseLostSoundDevice and a successful ReopenSoundDevice.
bool SoundDeviceAway();
