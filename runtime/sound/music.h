// One piece of background music at a time, optionally looping.
#pragma once

#include <cstdint>

#include "runtime/values/rt_string.h"

void PlayMusic(const RtString& path, int32_t loop);
void StopMusic();
void RestartMusic();
void SetMusicVolume(double volume);
int32_t MusicPlaying();
// Restarts a looping piece whose length has elapsed; called by the frame loop.
void MusicLoopTick();
