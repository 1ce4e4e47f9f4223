// One piece of background music at a time, optionally looping, played on the
// sound device next to the effects.
//
//   PlayMusic       stops any piece, then plays the file (once, or looping);
//                   a file that is missing or cannot be decoded leaves the
//                   music stopped
//   StopMusic       stops and forgets the piece
//   RestartMusic    plays the current piece again from its start
//   SetMusicVolume  1 is full volume; the same value twice is sent once
//   MusicPlaying    1 while a piece plays (a looping piece always counts), else 0
//   MusicLoopTick   restarts a looping piece whose length has elapsed
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
// Sends the piece's volume again, after the listener's music level changed.
void ResendMusicVolume();

// The sound device going away and coming back (called by sound.cc): the
// piece is let go with where it was, then opened again and played on from
// there. A piece asked for meanwhile starts from its beginning.
void SuspendMusic();
void ResumeMusic();

// What the music player holds between calls.
struct MusicRecord {
  bool Loaded = false;      // a piece is open
  RtString MusicPath;       // the path last asked for
  double MusicLoopEnd = 0;  // clock time of the next restart; 0 when not looping
  double MusicVolume = -1;  // last volume set; -1 after loading or stopping
  double LengthMs = 0;      // the piece's length as last taken (at least 500)
};
const MusicRecord& CurrentMusic();
