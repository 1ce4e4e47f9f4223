// Replays of real runs of the shipped player, each run a separate process:
// a scripted run of a written two-player game records its games into the
// data folder; --verify checks them headless, finds the frame where a
// changed input makes a replay part from its game, and refuses another game
// file; --replay plays one; bad replay files end with exit code 2. The demo
// played for 30 seconds gives a replay that --verify finds ok, with the
// run's scores.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "player/replays/replay_file.h"
#include "player/replays/sha256.h"
#include "tests/e2e/e2e_support.h"
#include "tests/player/replay_test_game.h"
#include "tests/support/test_env.h"

namespace {

using e2e::RunRequest;
using e2e::RunResult;

// Three games in one run: players 1 and 2 play the level to its end (back to
// the title on their own), player 2 starts a second game and gives it up with
// Escape, player 1 starts a third that the script's end cuts off.
std::string ThreeGamesScript() {
  std::ostringstream s;
  s << "5 press Right Ctrl\n40 press Left Ctrl\n";
  for (int f = 50; f < 430; f += 6)
    s << f << " press Right Ctrl\n" << f + 3 << " press Left Ctrl\n";
  for (int f = 60; f < 430; f += 80) {
    s << f << " key down Right\n" << f + 30 << " key up Right\n";
    s << f + 40 << " key down Left\n" << f + 70 << " key up Left\n";
    s << f + 10 << " key down D\n" << f + 50 << " key up D\n";
  }
  s << "700 press Left Ctrl\n";
  for (int f = 710; f < 800; f += 7) s << f << " press Left Ctrl\n";
  s << "720 key down A\n760 key up A\n820 press Escape\n";
  s << "900 press Right Ctrl\n930 key down Up\n960 key up Up\n1000 end\n";
  return s.str();
}

// ----------------------------------------------------------------- helpers

std::string Program() {
  return testenv::BinDir() + "/zorax-player";
}

struct Recorded {
  RunResult Run;
  std::vector<std::string> Replays;  // oldest first
};

std::vector<std::string> ReplaysIn(const std::string& folder) {
  std::vector<std::string> files;
  if (!std::filesystem::is_directory(folder)) return files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    files.push_back(entry.path().string());
  }
  // In the order the games started: by time, then by the count that a
  // second game in the same second gets ("-2").
  auto key = [](const std::string& path) {
    std::string stem = path.substr(0, path.size() - 4);
    const size_t dash = stem.rfind('-');
    int count = 1;
    if (stem.size() - dash - 1 != 6) {
      count = std::stoi(stem.substr(dash + 1));
      stem.resize(dash);
    }
    return std::make_pair(stem, count);
  };
  std::sort(files.begin(), files.end(),
            [&](const std::string& a, const std::string& b) { return key(a) < key(b); });
  return files;
}

ReplayFile Load(const std::string& path) {
  ReplayFile replay;
  std::string error;
  EXPECT_TRUE(DecodeReplay(testenv::ReadFile(path), replay, error)) << path << ": " << error;
  return replay;
}

// Plays `script` with game.ZORAX made of `game` next to the player, the
// data folder inside the run's folder.
Recorded RecordRun(const std::string& name, const std::string& game, const std::string& script,
                   std::vector<std::string> args = {}, std::vector<std::string> env = {}) {
  const std::string staging = testenv::MakeDir(name + "_files");
  testenv::WriteFile(staging + "/game.ZORAX", game);
  testenv::WriteFile(staging + "/script.txt", script);
  RunRequest request;
  request.Program = Program();
  request.Folder = testenv::TempDir() + "/" + name;
  request.Files = {staging + "/game.ZORAX", staging + "/script.txt"};
  request.Args = std::move(args);
  request.Env = {"OMBREL_RANDOM_SEED=99", "ZORAX_SCRIPT=" + request.Folder + "/script.txt",
                 "ZORAX_UNPACED=1", "XDG_DATA_HOME=" + request.Folder + "/data"};
  request.Env.insert(request.Env.end(), env.begin(), env.end());
  Recorded recorded;
  recorded.Run = e2e::RunProgram(request);
  recorded.Replays = ReplaysIn(request.Folder + "/data/zorax/replays");
  return recorded;
}

// Runs the player with `args` in a fresh folder holding `files`.
RunResult Player(const std::string& name, std::vector<std::string> args,
                 std::vector<std::string> files, const std::string& program = Program()) {
  RunRequest request;
  request.Program = program;
  request.Folder = testenv::TempDir() + "/" + name;
  request.Files = std::move(files);
  request.Args = std::move(args);
  return e2e::RunProgram(request);
}

// The one line --verify prints, read back.
struct Verdict {
  bool Parsed = false;
  uint32_t Frames = 0;
  std::vector<int32_t> Scores;
  bool Ok = false;
  int64_t DivergedAt = -1;
};

Verdict ReadVerdict(const std::string& out) {
  Verdict v;
  // "frames N, scores S1 S2, ok\n" or "..., diverged at frame F (why)\n"
  const size_t scores = out.find(", scores");
  const size_t verdict = out.find(", ", scores + 1);
  if (out.rfind("frames ", 0) != 0 || scores == std::string::npos || verdict == std::string::npos ||
      out.empty() || out.back() != '\n' || std::count(out.begin(), out.end(), '\n') != 1) {
    return v;
  }
  v.Frames = static_cast<uint32_t>(std::stoul(out.substr(7, scores - 7)));
  std::istringstream list(out.substr(scores + 8, verdict - scores - 8));
  for (int32_t score; list >> score;) v.Scores.push_back(score);
  const std::string rest = out.substr(verdict + 2);
  v.Ok = rest == "ok\n";
  const std::string diverged = "diverged at frame ";
  if (rest.rfind(diverged, 0) == 0) v.DivergedAt = std::stoll(rest.substr(diverged.size()));
  v.Parsed = v.Ok || v.DivergedAt >= 0;
  return v;
}

std::vector<int32_t> ScoresOf(const ReplayFile& replay) {
  std::vector<int32_t> scores;
  for (const ReplayPlayerResult& player : replay.Players) scores.push_back(player.Score);
  return scores;
}

std::string Staged(const std::string& name, const std::string& bytes) {
  const std::string folder = testenv::MakeDir(name + "_staged");
  const std::string path = folder + "/" + name;
  testenv::WriteFile(path, bytes);
  return path;
}

// ------------------------------------------------------------------ tests

TEST(ReplayRun, RecordedGamesVerifyAndAChangedInputIsFoundWhereItParts) {
  const std::string game = replaytest::TwoPlayerGame("TWO PLAYERS\nPress fire");
  const Recorded run = RecordRun("three_games", game, ThreeGamesScript());
  ASSERT_TRUE(run.Run.Exited) << run.Run.Log;
  ASSERT_EQ(run.Run.ExitCode, 0) << run.Run.Stderr;
  ASSERT_EQ(run.Replays.size(), 3u) << run.Run.Log;
  const std::vector<std::string> lines = e2e::Lines(run.Run.Log);
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& l) { return l.rfind("Replay saved: ", 0) == 0; }),
            3)
      << run.Run.Log;
  // Named after the program (the game file is the usual game.ZORAX).
  EXPECT_NE(run.Replays[0].find("/zorax-player-"), std::string::npos) << run.Replays[0];

  std::vector<ReplayFile> replays;
  for (const std::string& path : run.Replays) replays.push_back(Load(path));
  // Saved in start order: whole level, abandoned, cut off by the end.
  ASSERT_EQ(replays.size(), 3u);
  EXPECT_EQ(replays[0].End, ReplayEnd::kTitle);
  EXPECT_EQ(replays[1].End, ReplayEnd::kTitle);
  EXPECT_EQ(replays[2].End, ReplayEnd::kProgramEnded);
  EXPECT_GT(replays[0].FrameCount, 380u);
  EXPECT_EQ(replays[0].GameSha256, Sha256(game));
  EXPECT_EQ(replays[0].GameSize, game.size());
  // Both players scored in the first game and were still in when it ended.
  ASSERT_EQ(replays[0].Players.size(), 2u);
  EXPECT_GT(replays[0].Players[0].Score, 0);
  EXPECT_GT(replays[0].Players[1].Score, 0);
  EXPECT_GT(replays[0].Players[0].Lives, 0);
  // In the second game only player 2 was in.
  EXPECT_EQ(replays[1].Players[0].Lives, -1);
  EXPECT_GT(replays[1].Players[1].Lives, 0);
  // The later games start where the earlier ones left the clock and the
  // random generator.
  EXPECT_GT(replays[1].Start.GameClock, replays[0].Start.GameClock);
  EXPECT_GT(replays[2].Start.GameClock, replays[1].Start.GameClock);
  EXPECT_NE(replays[1].Start.Random.Accumulator, replays[0].Start.Random.Accumulator);

  const std::string gameFile = testenv::TempDir() + "/three_games/game.ZORAX";
  for (size_t i = 0; i < replays.size(); ++i) {
    const RunResult check =
        Player("verify" + std::to_string(i), {"--verify", run.Replays[i]}, {gameFile});
    EXPECT_EQ(check.ExitCode, 0) << i << ": " << check.Stdout << check.Stderr;
    const Verdict verdict = ReadVerdict(check.Stdout);
    ASSERT_TRUE(verdict.Parsed) << check.Stdout;
    EXPECT_TRUE(verdict.Ok) << check.Stdout;
    EXPECT_EQ(verdict.Frames, replays[i].FrameCount);
    EXPECT_EQ(verdict.Scores, ScoresOf(replays[i]));
  }

  // The game named by PATH instead of lying next to the player, and no
  // display at all: --verify picks its headless drivers itself.
  RunRequest headless;
  headless.Program = Program();
  headless.Folder = testenv::TempDir() + "/verify_path";
  headless.Args = {"--verify", run.Replays[0], testenv::TempDir() + "/three_games"};
  headless.NoDisplay = true;
  const RunResult byPath = e2e::RunProgram(headless);
  EXPECT_EQ(byPath.ExitCode, 0) << byPath.Stdout << byPath.Stderr;
  EXPECT_TRUE(ReadVerdict(byPath.Stdout).Ok) << byPath.Stdout;

  // One read changed in the middle of the first game: player 1 moves right
  // for a single frame where it stood still.
  ReplayFile changed = replays[0];
  std::vector<std::vector<ReplayRead>> frames;
  ReplayInputReader reader(changed.Input);
  while (reader.NextFrame()) {
    frames.emplace_back();
    for (ReplayRead read; reader.NextRead(read);) frames.back().push_back(read);
  }
  uint32_t flipped = changed.FrameCount / 2;
  auto stillPlayerOne = [&](uint32_t f) {
    for (const ReplayRead& read : frames[f]) {
      if (read.Reader == 0 && read.Value.Dx == 0) return true;
    }
    return false;
  };
  while (flipped < frames.size() && !stillPlayerOne(flipped)) ++flipped;
  ASSERT_LT(flipped, frames.size());
  ReplayInputWriter writer;
  for (uint32_t f = 0; f < frames.size(); ++f) {
    for (ReplayRead read : frames[f]) {
      if (f == flipped && read.Reader == 0) read.Value.Dx = 1;
      writer.Add(read.Reader, read.Value);
    }
    writer.EndFrame();
  }
  changed.Input = writer.Input();
  const std::string changedFile = Staged("changed.zrp", EncodeReplay(changed));
  const RunResult diverged = Player("verify_changed", {"--verify", changedFile}, {gameFile});
  EXPECT_EQ(diverged.ExitCode, 1) << diverged.Stdout << diverged.Stderr;
  const Verdict parted = ReadVerdict(diverged.Stdout);
  ASSERT_TRUE(parted.Parsed) << diverged.Stdout;
  EXPECT_FALSE(parted.Ok);
  // Found at the first state checksum after the change (or at the end).
  const int64_t nextCheck = (flipped / kReplayChecksumInterval + 1) * kReplayChecksumInterval - 1;
  EXPECT_GE(parted.DivergedAt, flipped) << diverged.Stdout;
  EXPECT_LE(parted.DivergedAt, std::min<int64_t>(nextCheck, changed.FrameCount - 1))
      << diverged.Stdout;

  // The same replay next to another game file: refused, naming both files'
  // SHA-256, unless forced (the title text changes nothing of the play).
  const std::string other = replaytest::TwoPlayerGame("ANOTHER TITLE");
  const std::string otherFile = Staged("game.ZORAX", other);
  const RunResult refused = Player("verify_other", {"--verify", run.Replays[0]}, {otherFile});
  EXPECT_EQ(refused.ExitCode, 2);
  EXPECT_NE(refused.Stderr.find(Sha256Hex(Sha256(game))), std::string::npos) << refused.Stderr;
  EXPECT_NE(refused.Stderr.find(Sha256Hex(Sha256(other))), std::string::npos) << refused.Stderr;
  EXPECT_TRUE(refused.Stdout.empty());
  const RunResult forced =
      Player("verify_forced", {"--verify", run.Replays[0], "--force"}, {otherFile});
  EXPECT_EQ(forced.ExitCode, 0) << forced.Stdout << forced.Stderr;
  EXPECT_TRUE(ReadVerdict(forced.Stdout).Ok) << forced.Stdout;

  // Watched at its own pace, the abandoned game plays to its end.
  const RunResult watched = Player("watch", {"--replay", run.Replays[1]}, {gameFile});
  EXPECT_EQ(watched.ExitCode, 0) << watched.Stderr;
  const Verdict seen = ReadVerdict(watched.Stdout);
  EXPECT_TRUE(seen.Ok) << watched.Stdout;
  EXPECT_EQ(seen.Frames, replays[1].FrameCount);
  EXPECT_GE(watched.Seconds, replays[1].FrameCount / 60.0 * 0.9);
}

TEST(ReplayRun, BadReplayFilesAndMissingGamesEndWithCodeTwo) {
  const std::string game = replaytest::TwoPlayerGame("SHORT");
  const Recorded run = RecordRun("short", game, "5 press Right Ctrl\n100 end\n");
  ASSERT_EQ(run.Replays.size(), 1u) << run.Run.Log;
  const std::string bytes = testenv::ReadFile(run.Replays[0]);
  const std::string gameFile = testenv::TempDir() + "/short/game.ZORAX";

  struct Case {
    const char* Name;
    std::vector<std::string> Args;
    std::vector<std::string> Files;
    const char* Says;
  };
  const std::string truncated = Staged("truncated.zrp", bytes.substr(0, bytes.size() / 2));
  std::string newer = bytes;
  newer[8] = 9;
  const std::string version = Staged("version.zrp", newer);
  const std::string empty = Staged("empty.zrp", "");
  const std::vector<Case> cases = {
      {"truncated", {"--verify", truncated}, {gameFile}, "damaged or truncated"},
      {"another version", {"--verify", version}, {gameFile}, "version 9"},
      {"empty", {"--replay", empty}, {gameFile}, "not a replay"},
      {"missing", {"--verify", testenv::TempDir() + "/none.zrp"}, {gameFile}, "cannot be read"},
      {"no game", {"--verify", run.Replays[0]}, {}, "no game file"},
      {"no file", {"--verify"}, {gameFile}, "--verify wants a value"},
  };
  for (const Case& c : cases) {
    const RunResult result = Player(std::string("bad_") + c.Name, c.Args, c.Files);
    EXPECT_TRUE(result.Exited) << c.Name;
    EXPECT_EQ(result.ExitCode, 2) << c.Name << ": " << result.Stderr;
    EXPECT_NE(result.Stderr.find(c.Says), std::string::npos) << c.Name << ": " << result.Stderr;
    // Refused before any window: no log was started.
    EXPECT_TRUE(result.Log.empty()) << c.Name;
  }
}

TEST(ReplayRun, NoRecordTheSettingAndAnUnwritableFolderLeaveNoReplayButTheGamePlays) {
  const std::string game = replaytest::TwoPlayerGame("SHORT");
  const Recorded off =
      RecordRun("no_record", game, "5 press Right Ctrl\n80 end\n", {"--no-record"});
  EXPECT_EQ(off.Run.ExitCode, 0);
  EXPECT_TRUE(off.Replays.empty());
  EXPECT_EQ(off.Run.Log.find("Replay"), std::string::npos) << off.Run.Log;
  // The same from the settings file.
  const std::string config = testenv::MakeDir("settings_config");
  testenv::MakeDir("settings_config/zorax");
  testenv::WriteFile(config + "/zorax/settings.ini", "[replays]\nrecord = 0\n");
  const Recorded settingsOff = RecordRun("settings_off", game, "5 press Right Ctrl\n80 end\n", {},
                                         {"XDG_CONFIG_HOME=" + config});
  EXPECT_EQ(settingsOff.Run.ExitCode, 0);
  EXPECT_TRUE(settingsOff.Replays.empty()) << settingsOff.Run.Log;
  const Recorded on = RecordRun("settings_on", game, "5 press Right Ctrl\n80 end\n");
  EXPECT_EQ(on.Replays.size(), 1u) << on.Run.Log;

  // The data folder cannot be made (a file stands where it would go): the
  // game goes on, and the lost replay costs one line of the log.
  const std::string staging = testenv::MakeDir("blocked_files");
  testenv::WriteFile(staging + "/game.ZORAX", game);
  testenv::WriteFile(staging + "/script.txt", "5 press Right Ctrl\n80 end\n");
  testenv::WriteFile(staging + "/data", "a file, not a folder");
  RunRequest request;
  request.Program = Program();
  request.Folder = testenv::TempDir() + "/blocked";
  request.Files = {staging + "/game.ZORAX", staging + "/script.txt", staging + "/data"};
  request.Env = {"ZORAX_SCRIPT=" + request.Folder + "/script.txt", "ZORAX_UNPACED=1",
                 "XDG_DATA_HOME=" + request.Folder + "/data"};
  const RunResult blocked = e2e::RunProgram(request);
  EXPECT_EQ(blocked.ExitCode, 0) << blocked.Stderr;
  const std::vector<std::string> lines = e2e::Lines(blocked.Log);
  EXPECT_EQ(
      std::count_if(lines.begin(), lines.end(),
                    [](const std::string& l) { return l.rfind("Replay not saved: ", 0) == 0; }),
      1)
      << blocked.Log;
  EXPECT_NE(blocked.Log.find("Script ended the run"), std::string::npos) << blocked.Log;
}

// The demo played for 30 seconds by a scripted run: its replay verifies, with
// the scores the run ended with.
TEST(ReplayRun, ThirtySecondsOfTheDemoVerify) {
  std::ostringstream script;
  script << "5 press Right Ctrl\n40 press Left Ctrl\n";
  for (int f = 60; f < 1800; f += 9) script << f << " press Right Ctrl\n";
  for (int f = 64; f < 1800; f += 13) script << f << " press Left Ctrl\n";
  for (int f = 100; f < 1800; f += 200) {
    script << f << " key down Left\n" << f + 40 << " key up Left\n";
    script << f + 100 << " key down Right\n" << f + 140 << " key up Right\n";
    script << f + 20 << " key down D\n" << f + 60 << " key up D\n";
  }
  script << "1805 end\n";
  const std::string staging = testenv::MakeDir("demo_files");
  testenv::WriteFile(staging + "/script.txt", script.str());
  RunRequest request;
  request.Program = testenv::BinDir() + "/skylane";
  request.Folder = testenv::TempDir() + "/demo";
  request.Files = {staging + "/script.txt"};
  request.Env = {"OMBREL_RANDOM_SEED=7", "ZORAX_SCRIPT=" + request.Folder + "/script.txt",
                 "ZORAX_UNPACED=1", "XDG_DATA_HOME=" + request.Folder + "/data"};
  request.TimeoutSeconds = 200;
  const RunResult run = e2e::RunProgram(request);
  ASSERT_EQ(run.ExitCode, 0) << run.Stderr;
  const std::vector<std::string> replays = ReplaysIn(request.Folder + "/data/zorax/replays");
  ASSERT_EQ(replays.size(), 1u) << run.Log;
  EXPECT_NE(replays[0].find("/skylane-"), std::string::npos) << replays[0];
  const ReplayFile replay = Load(replays[0]);
  EXPECT_GE(replay.FrameCount, 1700u);
  EXPECT_GT(replay.Players[0].Score + replay.Players[1].Score, 0);

  const RunResult check =
      Player("demo_verify", {"--verify", replays[0]}, {}, testenv::BinDir() + "/skylane");
  EXPECT_EQ(check.ExitCode, 0) << check.Stdout << check.Stderr;
  const Verdict verdict = ReadVerdict(check.Stdout);
  ASSERT_TRUE(verdict.Parsed) << check.Stdout;
  EXPECT_TRUE(verdict.Ok) << check.Stdout;
  EXPECT_EQ(verdict.Frames, replay.FrameCount);
  EXPECT_EQ(verdict.Scores, ScoresOf(replay));
}

}  // namespace
