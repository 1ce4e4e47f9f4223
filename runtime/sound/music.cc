// Background music through SDL_mixer on the effects' device. The loop is ours,
// not the library's: the frame loop restarts a looping piece when its length
// (at least half a second) has passed on the runtime clock.
#include "runtime/sound/music.h"

#include <SDL_mixer.h>

#include <algorithm>
#include <cmath>

#include "runtime/core/program_end.h"
#include "runtime/core/system.h"
#include "runtime/files/archive.h"
#include "runtime/sound/output_levels.h"
#include "runtime/sound/sound.h"

namespace {

constexpr double kMinLengthMs = 500.0;

MusicRecord& Music() {
  static MusicRecord record;
  return record;
}

Mix_Music*& Piece() {
  static Mix_Music* piece = nullptr;
  return piece;
}

// A piece held while the sound device is away: what it needs to go on.
struct HeldPiece {
  bool Held = false;
  bool Loop = false;
  bool Ended = false;          // it had played out (and does not loop)
  double PositionSeconds = 0;  // where it was when the device went
};

HeldPiece& Held() {
  static HeldPiece held;
  return held;
}

void FreePiece() {
  Mix_Music*& piece = Piece();
  if (piece != nullptr) {
    Mix_HaltMusic();
    Mix_FreeMusic(piece);
    piece = nullptr;
  }
}

void ClosePiece() {
  FreePiece();
  Held() = HeldPiece{};
  Music().Loaded = false;
}

// Length in milliseconds, at least 500; 0 stands for "unknown" (a format
// whose decoder cannot tell), in which case the loop waits for the end.
double PieceLengthMs(Mix_Music* piece) {
  const double seconds = Mix_MusicDuration(piece);
  if (!(seconds > 0)) return 0;
  return std::max(seconds * 1000.0, kMinLengthMs);
}

void PlayFromStart() {
  if (Piece() != nullptr) Mix_PlayMusic(Piece(), 0);
}

void SendVolume(double volume) {
  // Thousandths as the volume scale, truncated, then onto the mixer's 0..128,
  // scaled by the listener's music level.
  const double thousandths = std::clamp(std::trunc(volume * 1000.0), 0.0, 1000.0);
  Mix_VolumeMusic(static_cast<int>(thousandths * MIX_MAX_VOLUME / 1000.0 * MusicOutputGain()));
}

// Opens the piece at a resolved path as the current one, with its length;
// false when SDL_mixer cannot read it.
bool LoadPiece(const RtString& resolved, MusicRecord& music) {
  Mix_Music* piece = Mix_LoadMUS(ToHostPath(resolved.View()).c_str());
  if (piece == nullptr) return false;
  Piece() = piece;
  music.Loaded = true;
  const double length = PieceLengthMs(piece);
  music.LengthMs = length > 0 ? length : kMinLengthMs;
  return true;
}

}  // namespace

const MusicRecord& CurrentMusic() {
  return Music();
}

void PlayMusic(const RtString& path, int32_t loop) {
  MusicRecord& music = Music();
  SetTeardownHook(TeardownStep::kMusic, StopMusic);
  music.MusicLoopEnd = 0;
  music.MusicVolume = -1;
  ClosePiece();

  // The music has its own archive reader, so its unpacked file survives the
  // lookups of other media while it streams.
  music.MusicPath = path;
  RtString resolved;
  if (ResolveMediaPath(MusicArchive(), path, resolved) != 1 || resolved.Empty()) return;
  if (SoundDeviceAway()) {
    // Starts from the beginning once the device is back.
    Held() = HeldPiece{true, loop != 0, false, 0};
    return;
  }
  if (!SoundMixerOpen()) return;

  if (!LoadPiece(resolved, music)) return;
  music.MusicLoopEnd = loop != 0 ? NowMs() + music.LengthMs : 0;
  PlayFromStart();
  music.MusicVolume = 1;
  SendVolume(1);
}

void StopMusic() {
  MusicRecord& music = Music();
  music.MusicVolume = -1;
  music.MusicLoopEnd = 0;
  ClosePiece();
}

void RestartMusic() {
  PlayFromStart();
}

void SetMusicVolume(double volume) {
  MusicRecord& music = Music();
  if (std::isnan(volume)) volume = 0;
  if (volume == music.MusicVolume) return;
  music.MusicVolume = volume;
  if (Piece() != nullptr) SendVolume(volume);
}

int32_t MusicPlaying() {
  const MusicRecord& music = Music();
  // A held piece counts as it did when the device went away.
  if (Held().Held) return Held().Loop || !Held().Ended ? 1 : 0;
  if (Piece() == nullptr) return 0;
  if (music.MusicLoopEnd != 0) return 1;
  return Mix_PlayingMusic() != 0 ? 1 : 0;
}

void MusicLoopTick() {
  MusicRecord& music = Music();
  if (!(music.MusicLoopEnd > 0) || Piece() == nullptr) return;
  const double now = NowMs();
  if (now < music.MusicLoopEnd) return;
  const double length = PieceLengthMs(Piece());
  if (length == 0) {
    // Unknown length: check again in half a second, restart once it ended.
    music.LengthMs = kMinLengthMs;
    music.MusicLoopEnd = now + kMinLengthMs;
    if (Mix_PlayingMusic() == 0) PlayFromStart();
    return;
  }
  music.LengthMs = length;
  music.MusicLoopEnd = now + length;
  PlayFromStart();
}

void SuspendMusic() {
  Mix_Music* piece = Piece();
  if (piece == nullptr) return;
  HeldPiece& held = Held();
  held.Held = true;
  held.Loop = Music().MusicLoopEnd != 0;
  held.Ended = !held.Loop && Mix_PlayingMusic() == 0;
  const double at = Mix_GetMusicPosition(piece);
  held.PositionSeconds = at > 0 ? at : 0;
  FreePiece();
}

void ResumeMusic() {
  const HeldPiece held = Held();
  Held() = HeldPiece{};
  if (!held.Held) return;
  MusicRecord& music = Music();
  music.Loaded = false;
  music.MusicLoopEnd = 0;
  RtString resolved;
  if (ResolveMediaPath(MusicArchive(), music.MusicPath, resolved) != 1 || resolved.Empty()) return;
  if (!LoadPiece(resolved, music)) return;
  if (held.Ended) return;
  PlayFromStart();
  if (held.PositionSeconds > 0) Mix_SetMusicPosition(held.PositionSeconds);
  if (held.Loop) {
    // The rest of this pass, then the loop goes on as before.
    const double left = music.LengthMs - held.PositionSeconds * 1000.0;
    music.MusicLoopEnd = NowMs() + std::max(left, 0.0);
  }
  if (music.MusicVolume < 0) music.MusicVolume = 1;
  SendVolume(music.MusicVolume);
}

void ResendMusicVolume() {
  const MusicRecord& music = Music();
  if (Piece() != nullptr && music.MusicVolume >= 0) SendVolume(music.MusicVolume);
}
