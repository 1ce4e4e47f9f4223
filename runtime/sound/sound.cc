// Sound device and slots (stub until the sound subsystem lands).
#include "runtime/sound/sound.h"

void CreateSoundDevice() {}
void OpenSoundDevice() {}
int32_t LoadSound(const RtString&, int32_t, int32_t) { return 0; }
int32_t PlaySound(int32_t, double, double) { return -1; }
int32_t SoundPlaying(int32_t) { return 0; }
void StopAllSounds() {}
