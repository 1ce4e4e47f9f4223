// The replay player. The recorded game's first frame began at the title
// frame whose reads held the fire press; here the title's second frame (the
// first whose fire counts) takes that place: the start state goes back in
// there and the first frame's reads follow it. From then on every frame the
// game shows closes one recorded frame.
#include "player/replays/replay_playback.h"

#include <SDL.h>

#include "game/frame_seam.h"
#include "player/replays/replay_state.h"
#include "runtime/core/config.h"
#include "runtime/core/program_end.h"
#include "runtime/core/system.h"
#include "runtime/core/window.h"
#include "runtime/input/input.h"

namespace {

constexpr int32_t kSpaceKey = 57;
constexpr int32_t kLeftKey = 203;
constexpr int32_t kRightKey = 205;
constexpr int32_t kEscapeKey = 1;
constexpr int32_t kMaxSpeed = 8;
constexpr int kPausePollMs = 10;

struct Playback {
  ReplayFile Replay;
  ReplayPlaybackOptions Options;
  ReplayInputReader Input{std::string_view()};
  ReplayProgress Progress;
  uint32_t Frame = 0;  // the recorded frame being played
  int32_t Speed = 1;
  bool Paused = false;
  bool SyncLifted = false;    // vertical sync turned off for a faster speed
  int SwapIntervalAtOne = 0;  // what it was before
  bool KeysHeld[4] = {};      // Space, Left, Right, Escape at the last look
};

Playback& Play() {
  static Playback playback;
  return playback;
}

void Diverged(const std::string& what) {
  ReplayProgress& progress = Play().Progress;
  if (progress.DivergedAt >= 0) return;
  progress.DivergedAt = Play().Frame;
  progress.Divergence = what;
}

Controls FeedRead(int32_t reader) {
  Playback& play = Play();
  if (!play.Progress.Started || play.Progress.Finished) return Controls{};
  ReplayRead read;
  if (play.Input.ReadsLeft() == 0) {
    Diverged("the game read its controls more often than recorded");
    return Controls{};
  }
  // A read the recording made for another reader is left for that one.
  if (!play.Input.PeekRead(read) || read.Reader != reader) {
    Diverged("the game read its controls in another order than recorded");
    return Controls{};
  }
  play.Input.NextRead(read);
  return read.Value;
}

void SetPace() {
  Playback& play = Play();
  OpenGLZidaruva* gfx = Graphics();
  if (gfx == nullptr) return;
  gfx->FrameInterval = play.Options.Unpaced ? 0 : FrameIntervalFor(Config().FrameRate) / play.Speed;
  if (!play.Options.Interactive || gfx->Window == nullptr) return;
  // Vertical sync would hold every frame to the display's refresh, whatever
  // the speed: it is off while the replay runs faster than the game.
  if (play.Speed > 1 && !play.SyncLifted) {
    play.SwapIntervalAtOne = SDL_GL_GetSwapInterval();
    SDL_GL_SetSwapInterval(0);
    play.SyncLifted = true;
  } else if (play.Speed == 1 && play.SyncLifted) {
    SDL_GL_SetSwapInterval(play.SwapIntervalAtOne);
    play.SyncLifted = false;
  }
}

[[noreturn]] void Finish() {
  Playback& play = Play();
  play.Progress.Finished = true;
  // The end path releases textures only while drawing is on.
  Flags().DrawingSuspended = 0;
  EndProgramNormally();
}

// True on the frame a key goes down.
bool Pressed(int index, int32_t code) {
  bool& held = Play().KeysHeld[index];
  const bool down = KeyDown(code) != 0;
  const bool pressed = down && !held;
  held = down;
  return pressed;
}

void HandleKeys() {
  Playback& play = Play();
  if (Pressed(0, kSpaceKey)) play.Paused = !play.Paused;
  if (Pressed(1, kLeftKey) && play.Speed > 1) play.Speed /= 2;
  if (Pressed(2, kRightKey) && play.Speed < kMaxSpeed) play.Speed *= 2;
  if (Pressed(3, kEscapeKey)) {
    play.Progress.Stopped = true;
    Finish();
  }
  SetPace();
}

// Waits here, before the next picture is shown, while paused.
void WatchKeys() {
  HandleKeys();
  while (Play().Paused) {
    PumpWindowMessages();
    SleepWholeMs(kPausePollMs);
    HandleKeys();
  }
}

void NoteScores(const GameSession& session) {
  ReplayProgress& progress = Play().Progress;
  progress.Players.clear();
  for (const ObjectRecord& player : session.Game.Players) {
    progress.Players.push_back(ReplayPlayerResult{player.Points, player.Hits});
  }
}

bool SameResults(const std::vector<ReplayPlayerResult>& a,
                 const std::vector<ReplayPlayerResult>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].Score != b[i].Score || a[i].Lives != b[i].Lives) return false;
  }
  return true;
}

// The game shows a frame: the recorded frame under way is over.
void CloseFrame(const GameFrame& frame) {
  Playback& play = Play();
  const ReplayFile& replay = play.Replay;
  const GameSession& session = *frame.Session;
  if (play.Input.ReadsLeft() > 0) Diverged("the game read its controls less often than recorded");
  if (frame.Kind == GameFrameKind::kLevel) NoteScores(session);

  const uint32_t played = play.Frame + 1;
  play.Progress.FramesPlayed = played;
  const bool last = played >= replay.FrameCount;
  if (played % kReplayChecksumInterval == 0 || last) {
    const uint64_t checksum = GameStateChecksum(session);
    const size_t index = played / kReplayChecksumInterval;
    if (played % kReplayChecksumInterval == 0 && index <= replay.Checksums.size() &&
        checksum != replay.Checksums[index - 1]) {
      Diverged("the game state differs");
    }
    if (last && checksum != replay.FinalChecksum) Diverged("the game state differs at the end");
  }
  if (last) {
    if (replay.End == ReplayEnd::kTitle && frame.Kind != GameFrameKind::kTitle) {
      Diverged("the game did not go back to the title where it did when recorded");
    }
    if (!SameResults(play.Progress.Players, replay.Players)) {
      Diverged("the scores or lives differ at the end");
    }
    Finish();
  }
  if (frame.Kind == GameFrameKind::kTitle) {
    Diverged("the game went back to the title before the recorded end");
    Finish();
  }
  play.Frame = played;
  if (!play.Input.NextFrame()) {
    // DecodeReplay has walked the input: it cannot run out or be damaged here.
    Diverged("the recorded input ended early");
    Finish();
  }
}

void Observe(const GameFrame& frame) {
  Playback& play = Play();
  if (play.Progress.Finished) return;
  switch (frame.Kind) {
    case GameFrameKind::kLoading:
      SetPace();
      return;
    case GameFrameKind::kLoadError:
      play.Progress.LoadFailed = true;
      Finish();
    case GameFrameKind::kEscapeHeld:
      return;
    case GameFrameKind::kTitle:
    case GameFrameKind::kLevel:
      break;
  }
  if (play.Options.DrawNothing) Flags().DrawingSuspended = 1;
  SetPace();
  if (play.Options.Interactive) WatchKeys();
  if (frame.Session == nullptr) return;
  if (!play.Progress.Started) {
    if (frame.Kind != GameFrameKind::kTitle || frame.NumberInPart < 1) return;
    RestoreStartState(play.Replay.Start, *frame.Session);
    play.Progress.Started = true;
    play.Frame = 0;
    if (!play.Input.NextFrame()) {
      Diverged("the recorded input holds no frame");
      Finish();
    }
    return;
  }
  CloseFrame(frame);
}

}  // namespace

void StartReplayPlayback(const ReplayFile& replay, const ReplayPlaybackOptions& options) {
  Playback& play = Play();
  play = Playback{};
  play.Replay = replay;
  play.Options = options;
  play.Input = ReplayInputReader(play.Replay.Input);
  SetControlsSource(FeedRead);
  AddGameFrameObserver(Observe);
}

const ReplayProgress& PlaybackProgress() {
  return Play().Progress;
}

std::string ReplayVerdictLine(const ReplayProgress& progress) {
  std::string line = "frames " + std::to_string(progress.FramesPlayed) + ", scores";
  for (const ReplayPlayerResult& player : progress.Players)
    line += " " + std::to_string(player.Score);
  if (progress.Players.empty()) line += " none";
  if (progress.DivergedAt >= 0) {
    line += ", diverged at frame " + std::to_string(progress.DivergedAt) + " (" +
            progress.Divergence + ")";
  } else if (progress.Stopped) {
    line += ", stopped";
  } else if (!progress.Finished) {
    line += ", ended early";
  } else {
    line += ", ok";
  }
  return line;
}

void StopReplayPlayback() {
  SetControlsSource(nullptr);
  RemoveGameFrameObserver(Observe);
  Flags().DrawingSuspended = 0;
  Play() = Playback{};
}
