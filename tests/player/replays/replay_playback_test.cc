// Recording and playing back inside the real program, each run in a child
// process: a game played through the frame seam is recorded; played back
// under another random seed it still plays the same game to the end (the
// start state goes back in), with drawing suspended; and a watched replay
// follows its keys: Right doubles the speed, Space pauses until pressed
// again, Escape stops.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "game/frame_seam.h"
#include "player/replays/replay_playback.h"
#include "player/replays/replay_recorder.h"
#include "runtime/core/config.h"
#include "runtime/core/window.h"
#include "tests/game/run_player.h"
#include "tests/input/input_test_events.h"
#include "tests/player/replay_test_game.h"
#include "tests/support/program_end_checks.h"
#include "tests/support/test_env.h"

namespace {

std::string ReplayPath() {
  return testenv::TempDir() + "/recorded.zrp";
}

std::string NotesPath() {
  return testenv::TempDir() + "/notes.txt";
}

void Note(const std::string& line) {
  std::ofstream out(NotesPath(), std::ios::app);
  out << line << "\n";
}

std::string GameFolder() {
  const std::string folder = testenv::TempDir() + "/game";
  if (!testenv::FileExists(folder + "/game.ZORAX")) {
    testenv::MakeDir("game");
    testenv::WriteFile(folder + "/game.ZORAX", replaytest::TwoPlayerGame("PLAYBACK"));
  }
  return folder;
}

[[noreturn]] void RunPlayer(GameFrameObserver driver, const char* seed) {
  setenv("OMBREL_RANDOM_SEED", seed, 1);
  testgame::RunPlayerIn(GameFolder(), driver, testgame::kNoWaitFrameRate);
}

// ------------------------------------------------------------ recording

void SaveRecorded(const ReplayFile& replay) {
  testenv::WriteFile(ReplayPath(), EncodeReplay(replay));
}

// Player 1 starts, moves right a while and fires every fourth frame;
// Escape, pressed at level frame 200 and held a while, gives the game up. The run ends on the title
// frame after the one that closed the game.
void Drive(const GameFrame& frame) {
  // Escape is held for 40 polls of the level.
  static int held = 0;
  if (frame.Kind == GameFrameKind::kEscapeHeld) {
    if (++held == 40) inputtest::PushKey(SDL_SCANCODE_ESCAPE, false);
    return;
  }
  if (frame.Kind == GameFrameKind::kLoading) {
    ReplayRecordingSetup setup;
    setup.GameName = "playback";
    setup.Finished = SaveRecorded;
    StartReplayRecording(setup);
    return;
  }
  const int64_t k = frame.NumberInPart;
  if (frame.Kind == GameFrameKind::kTitle) {
    if (k == 0 && GameClock() > 0) return;
    if (k == 1 && GameClock() > 0) EndProgramNormally();
    if (k == 0) inputtest::PushKey(SDL_SCANCODE_RCTRL, true);
    return;
  }
  if (frame.Kind != GameFrameKind::kLevel) return;
  if (k == 2) inputtest::PushKey(SDL_SCANCODE_RCTRL, false);
  if (k == 20) inputtest::PushKey(SDL_SCANCODE_RIGHT, true);
  if (k == 90) inputtest::PushKey(SDL_SCANCODE_RIGHT, false);
  if (k > 2 && k % 4 == 0) inputtest::PushKey(SDL_SCANCODE_RCTRL, true);
  if (k > 2 && k % 4 == 2) inputtest::PushKey(SDL_SCANCODE_RCTRL, false);
  if (k == 200) inputtest::PushKey(SDL_SCANCODE_ESCAPE, true);
}

ReplayFile Recorded() {
  ReplayFile replay;
  std::string error;
  EXPECT_TRUE(DecodeReplay(testenv::ReadFile(ReplayPath()), replay, error)) << error;
  return replay;
}

// --------------------------------------------------------------- playing

ReplayPlaybackOptions& PlayOptions() {
  static ReplayPlaybackOptions options;
  return options;
}

void NoteProgressAtTheEnd() {
  const ReplayProgress& p = PlaybackProgress();
  Note("end finished " + std::to_string(p.Finished) + " stopped " + std::to_string(p.Stopped) +
       " frames " + std::to_string(p.FramesPlayed) + " diverged " + std::to_string(p.DivergedAt));
  std::_Exit(0);
}

void StartPlaying(const GameFrame& frame) {
  if (frame.Kind != GameFrameKind::kLoading) return;
  StartReplayPlayback(Recorded(), PlayOptions());
  SetProgramExitHandler(NoteProgressAtTheEnd);
}

void CheckUnpaced(const GameFrame& frame) {
  StartPlaying(frame);
  if (frame.Kind == GameFrameKind::kLevel && frame.NumberInPart == 5) {
    Note("drawing " + std::to_string(GraphicsReady()) + " interval " +
         std::to_string(Graphics()->FrameInterval));
  }
}

// Level frame 10: Right (speed 2), 13: Right again (speed 4), 20: Space (a
// pause until a helper presses it again 300 ms later), 30: Escape.
void Watch(const GameFrame& frame) {
  StartPlaying(frame);
  if (frame.Kind != GameFrameKind::kLevel) return;
  static auto last = std::chrono::steady_clock::now();
  const auto now = std::chrono::steady_clock::now();
  const double ms = std::chrono::duration<double, std::milli>(now - last).count();
  last = now;
  const int64_t k = frame.NumberInPart;
  if (k == 11 || k == 14) Note("interval " + std::to_string(Graphics()->FrameInterval * 1000));
  if (k == 21) Note("paused " + std::to_string(ms >= 250.0));
  if (k == 10 || k == 13) inputtest::PushKey(SDL_SCANCODE_RIGHT, true);
  if (k == 12 || k == 15) inputtest::PushKey(SDL_SCANCODE_RIGHT, false);
  if (k == 20) {
    std::thread([] {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      inputtest::PushKey(SDL_SCANCODE_SPACE, false);
      std::this_thread::sleep_for(std::chrono::milliseconds(60));
      inputtest::PushKey(SDL_SCANCODE_SPACE, true);
      std::this_thread::sleep_for(std::chrono::milliseconds(60));
      inputtest::PushKey(SDL_SCANCODE_SPACE, false);
    }).detach();
    inputtest::PushKey(SDL_SCANCODE_SPACE, true);
  }
  if (k == 30) inputtest::PushKey(SDL_SCANCODE_ESCAPE, true);
}

std::vector<std::string> Notes() {
  std::vector<std::string> lines;
  std::istringstream in(testenv::ReadFile(NotesPath()));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace

TEST(ReplayPlayback, ARecordedGamePlaysBackUnderAnotherSeedWithoutDrawing) {
  EXPECT_PROGRAM_END(RunPlayer(Drive, "1"));
  const ReplayFile replay = Recorded();
  ASSERT_GT(replay.FrameCount, 200u);
  EXPECT_EQ(replay.End, ReplayEnd::kTitle);
  EXPECT_EQ(replay.GameName, "playback");
  ASSERT_EQ(replay.Players.size(), 2u);
  EXPECT_EQ(replay.Players[1].Lives, -1);
  // The last frame read Escape held, held, released: the polls in between
  // depend on the hand, not the game, and are left out.
  ReplayInputReader input(replay.Input);
  std::vector<int32_t> last;
  while (input.NextFrame()) {
    last.clear();
    for (ReplayRead read; input.NextRead(read);) {
      last.push_back(read.Reader == kEscapeReader ? read.Value.Fire : 9);
    }
  }
  EXPECT_EQ(last, (std::vector<int32_t>{1, 1, 0}));

  PlayOptions() = ReplayPlaybackOptions{};
  PlayOptions().Unpaced = true;
  PlayOptions().DrawNothing = true;
  EXPECT_PROGRAM_END(RunPlayer(CheckUnpaced, "2"));
  const std::vector<std::string> notes = Notes();
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_EQ(notes[0], "drawing 0 interval 0.000000");
  EXPECT_EQ(notes[1], "end finished 1 stopped 0 frames " + std::to_string(replay.FrameCount) +
                          " diverged -1");
}

TEST(ReplayPlayback, AWatchedReplayFollowsItsSpeedPauseAndStopKeys) {
  EXPECT_PROGRAM_END(RunPlayer(Drive, "3"));
  PlayOptions() = ReplayPlaybackOptions{};
  PlayOptions().Interactive = true;
  EXPECT_PROGRAM_END(RunPlayer(Watch, "3"));
  // The test runs at 100000 frames a second: 10 microseconds a frame. The
  // stop comes before level frame 30 closes its recorded frame.
  EXPECT_EQ(Notes(), (std::vector<std::string>{"interval 5.000000", "interval 2.500000", "paused 1",
                                               "end finished 1 stopped 1 frames 30 diverged -1"}));
}
