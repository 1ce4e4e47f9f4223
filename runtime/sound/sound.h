// Sound effects: 128 slots of up to 4 voices each, played fire-and-forget
// with pan and volume. Without a sound device every command does nothing.
#pragma once

#include <cstdint>

#include "runtime/values/rt_string.h"

// Start-up: creates the sound device object and its slots (stage "Init Sound").
void CreateSoundDevice();
// Start-up: opens the audio device.
void OpenSoundDevice();

int32_t LoadSound(const RtString& path, int32_t slot, int32_t voices);  // 1 or 0
int32_t PlaySound(int32_t slot, double pan, double volume);  // slot * 256 + voice, or -1
int32_t SoundPlaying(int32_t channel);                       // 1 while that voice plays
void StopAllSounds();                                        // stops and rewinds every voice
