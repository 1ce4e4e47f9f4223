// Sound effects: the device and its 128 slots.
#pragma once

// Start-up: creates the sound device object and its slots (stage "Init Sound").
void CreateSoundDevice();
// Start-up: opens the audio device for the window.
void OpenSoundDevice();
