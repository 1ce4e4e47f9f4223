// A sound device that goes away during play (a headset unplugged, the sound
// server restarted): the device is closed, the game goes on silently, and
// the default device is tried again about once a second until it opens;
// the effects already loaded and the music then go on. The log gets one line
// when the device goes and one when it is back, however many tries it takes.
//
//   SoundDeviceEvent      SDL's audio device events, from the window's message pump
//   SoundDeviceTick       once per frame: a try when one is due
//   SoundDeviceTickAt     the same at a given clock time (milliseconds of NowMs)
//   SetSoundDeviceOpener  replaces how a try opens the device (nullptr: the
//                         real ReopenSoundDevice); a seam for tests
#pragma once

union SDL_Event;

inline constexpr double kSoundRetryMs = 1000.0;

void SoundDeviceEvent(const SDL_Event& event);
void SoundDeviceTick();
void SoundDeviceTickAt(double nowMs);

using SoundDeviceOpener = bool (*)();
void SetSoundDeviceOpener(SoundDeviceOpener opener);
