// Playing a replay: a controls source hands the game, read by read, what the
// recorded game read, and a frame observer puts back the state the game
// started from, compares the state checksums and the end with the recording,
// and ends the program once the recorded frames are played (or the game has
// gone its own way back to the title). A watched replay is paced and listens
// to Space (pause), Right (double speed, up to 8x), Left (halve it) and
// Escape (stop); a checked one runs unpaced, and can draw nothing at all.
//
// StartReplayPlayback  installs the source and the observer
// PlaybackProgress     how far it got and what it found
// ReplayVerdictLine    "frames N, scores A B, ok" or "..., diverged at frame F"
// StopReplayPlayback   removes both (for tests and the fuzz target)
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "player/replays/replay_file.h"

struct ReplayPlaybackOptions {
  bool Unpaced = false;      // no waiting between frames
  bool DrawNothing = false;  // once loaded, no drawing and no buffer swaps
  bool Interactive = false;  // pause, speed and stop keys
};

struct ReplayProgress {
  bool Started = false;   // the start state was put back at the title
  bool Finished = false;  // the end was reached (or the game left the replay)
  bool Stopped = false;   // stopped with Escape
  bool LoadFailed = false;
  uint32_t FramesPlayed = 0;
  std::vector<ReplayPlayerResult> Players;  // as of the latest level frame
  int64_t DivergedAt = -1;                  // first frame known to differ
  std::string Divergence;                   // what differed there
};

void StartReplayPlayback(const ReplayFile& replay, const ReplayPlaybackOptions& options);
const ReplayProgress& PlaybackProgress();
std::string ReplayVerdictLine(const ReplayProgress& progress);
void StopReplayPlayback();
