// The recorder. A title frame may be the last one before a game: the state
// the game will start from is taken at every title frame, and the reads that
// follow it are kept. When the next frame is a level's, that title frame's
// reads (the fire press among them) were the game's first frame. Frames are
// the stretches between two frames the game shows; the reads of a level
// frame come before it is shown, those of a title frame after.
#include "player/replays/replay_recorder.h"

#include <ctime>

#include "game/frame_seam.h"
#include "player/replays/replay_state.h"
#include "runtime/core/system.h"

namespace {

struct Recording {
  ReplayRecordingSetup Setup;
  bool Armed = false;   // a title frame was seen: a game may start
  bool InGame = false;  // the first level frame after it was seen
  ReplayFile Replay;    // header and start state of the game being recorded
  ReplayInputWriter Input;
  std::vector<ReplayPlayerResult> Players;  // as of the latest level frame
  uint64_t LastChecksum = 0;                // the state at the latest frame
  int32_t EscapeHeldReads = 0;              // Escape read as held in a row, this frame
};

Recording& Rec() {
  static Recording recording;
  return recording;
}

// A level that finds Escape down polls it every millisecond until it is
// released: how often depends on how long a hand held the key, not on the
// game. Held twice (the first look and the first poll) then released plays
// the same, so the polls in between are left out; replays then never wait
// out a long press.
void NoteRead(int32_t reader, const Controls& value) {
  Recording& rec = Rec();
  if (!rec.Armed) return;
  const bool held = reader == kEscapeReader && value.Fire != 0;
  rec.EscapeHeldReads = held ? rec.EscapeHeldReads + 1 : 0;
  if (rec.EscapeHeldReads > 2) return;
  rec.Input.Add(reader, value);
}

void FinishGame(ReplayEnd end) {
  Recording& rec = Rec();
  if (!rec.InGame) return;
  rec.InGame = false;
  rec.Armed = false;
  if (rec.Input.Frames() == 0) return;
  ReplayFile& replay = rec.Replay;
  replay.Input = rec.Input.Input();
  replay.FrameCount = rec.Input.Frames();
  replay.End = end;
  replay.Players = rec.Players;
  replay.FinalChecksum = rec.LastChecksum;
  if (rec.Setup.Finished != nullptr) rec.Setup.Finished(replay);
}

// The header and the start state, taken at a title frame.
void PrepareGame(const GameSession& session) {
  Recording& rec = Rec();
  ReplayFile& replay = rec.Replay;
  replay = ReplayFile{};
  replay.PlayerVersion = rec.Setup.PlayerVersion;
  replay.GameName = rec.Setup.GameName;
  replay.GameSize = rec.Setup.GameSize;
  replay.GameSha256 = rec.Setup.GameSha256;
  const std::time_t now = std::time(nullptr);
  replay.StartTime = now;
  replay.UtcOffset = UtcOffsetSeconds(now);
  replay.Start = CaptureStartState(session);
  rec.Input = ReplayInputWriter{};
  rec.EscapeHeldReads = 0;
  rec.Players.clear();
  rec.Armed = true;
}

// Closes the frame that this shown frame ends.
void CloseFrame(const GameSession& session) {
  Recording& rec = Rec();
  rec.Input.EndFrame();
  rec.EscapeHeldReads = 0;
  rec.LastChecksum = GameStateChecksum(session);
  if (rec.Input.Frames() % kReplayChecksumInterval == 0) {
    rec.Replay.Checksums.push_back(rec.LastChecksum);
  }
}

void ObserveFrame(const GameFrame& frame) {
  Recording& rec = Rec();
  if (frame.Session == nullptr) return;
  const GameSession& session = *frame.Session;
  switch (frame.Kind) {
    case GameFrameKind::kTitle:
      if (rec.InGame) {
        CloseFrame(session);
        FinishGame(ReplayEnd::kTitle);
      }
      PrepareGame(session);
      break;
    case GameFrameKind::kLevel:
      if (!rec.Armed) break;
      rec.InGame = true;
      rec.Players.clear();
      for (const ObjectRecord& player : session.Game.Players) {
        rec.Players.push_back(ReplayPlayerResult{player.Points, player.Hits});
      }
      CloseFrame(session);
      break;
    default:
      break;
  }
}

}  // namespace

void StartReplayRecording(const ReplayRecordingSetup& setup) {
  Recording& rec = Rec();
  rec = Recording{};
  rec.Setup = setup;
  SetControlsListener(NoteRead);
  AddGameFrameObserver(ObserveFrame);
}

void FinishReplayRecording() {
  FinishGame(ReplayEnd::kProgramEnded);
}

void StopReplayRecording() {
  SetControlsListener(nullptr);
  RemoveGameFrameObserver(ObserveFrame);
  Rec() = Recording{};
}
