// Sound device and slots (filled in by the sound subsystem).
#include "runtime/sound/sound.h"

void CreateSoundDevice() {}
void OpenSoundDevice() {}
