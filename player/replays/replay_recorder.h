// Recording every game of a run: from the fire press that leaves the title
// screen to the return to the title, or to the end of the program during the
// game. The recorder listens to every read of the controls (what the game
// saw, after key bindings and the stick's dead zone) and follows the frames
// through the frame seam; everything stays in memory (a few bytes a second)
// until the game is over, when the finished replay goes to the handler.
//
// StartReplayRecording   installs the listener and the frame observer
// FinishReplayRecording  the program is ending: a game under way is finished
//                        as ended by the program (its frames so far)
// StopReplayRecording    removes both; a game under way is dropped
#pragma once

#include <string>

#include "player/replays/replay_file.h"

// What every replay of the run shares: the player's version and the game.
struct ReplayRecordingSetup {
  std::string PlayerVersion;
  std::string GameName;
  uint64_t GameSize = 0;
  Sha256Digest GameSha256{};
  // Called with each finished game, on the game's thread.
  void (*Finished)(const ReplayFile& replay) = nullptr;
};

void StartReplayRecording(const ReplayRecordingSetup& setup);
void FinishReplayRecording();
void StopReplayRecording();
