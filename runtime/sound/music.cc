// Music (stub until the sound subsystem lands).
#include "runtime/sound/music.h"

void PlayMusic(const RtString&, int32_t) {}
void StopMusic() {}
void RestartMusic() {}
void SetMusicVolume(double) {}
int32_t MusicPlaying() { return 0; }
void MusicLoopTick() {}
