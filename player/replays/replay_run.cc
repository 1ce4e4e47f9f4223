// Replays around a run of the player. Recording never stops a game: a replay
// that cannot be saved costs one log line. Playing and checking refuse, with
// exit code 2 and before any window opens, a file they cannot read and a
// game file other than the recorded one (unless --force).
#include "player/replays/replay_run.h"

#include <cstdio>
#include <cstdlib>

#include "player/replays/replay_game.h"
#include "player/replays/replay_playback.h"
#include "player/replays/replay_recorder.h"
#include "player/replays/replay_store.h"
#include "player/settings/settings_store.h"
#include "runtime/core/config.h"
#include "runtime/core/display_config.h"
#include "runtime/core/program_end.h"
#include "runtime/core/system.h"
#include "runtime/files/file_io.h"

namespace {

struct RunState {
  std::string Program;
  std::string Folder;  // replays are saved here
};

RunState& Run() {
  static RunState state;
  return state;
}

void SaveFinishedGame(const ReplayFile& replay) {
  std::string path;
  std::string error;
  if (SaveReplay(Run().Folder, replay, kReplaysKeptPerGame, path, error)) {
    AppendErrorLog(("Replay saved: " + path).c_str());
  } else {
    AppendErrorLog(("Replay not saved: " + error).c_str());
  }
}

void EndRecordedRun() {
  FinishReplayRecording();
}

[[noreturn]] void EndReplayRun(bool verify) {
  const ReplayProgress& progress = PlaybackProgress();
  if (progress.LoadFailed) {
    std::fprintf(stderr, "%s: the game did not load\n", Run().Program.c_str());
    std::fflush(nullptr);
    std::_Exit(kExitReplayUnusable);
  }
  // The program ended before the replay could start (no window, for one):
  // nothing was checked.
  if (verify && !progress.Started) {
    const std::string log = ErrorLogPath();
    std::fprintf(stderr, "%s: the replay could not be played (see %s)\n", Run().Program.c_str(),
                 log.empty() ? "the log" : log.c_str());
    std::fflush(nullptr);
    std::_Exit(kExitReplayUnusable);
  }
  std::printf("%s\n", ReplayVerdictLine(progress).c_str());
  std::fflush(nullptr);
  if (!verify) std::_Exit(kExitNormal);
  const bool matched = progress.Finished && !progress.Stopped && progress.DivergedAt < 0;
  std::_Exit(matched ? kExitNormal : kExitReplayDiverged);
}

void EndVerifyRun() {
  EndReplayRun(true);
}

void EndWatchRun() {
  EndReplayRun(false);
}

bool IdentifyRunGame(const std::string& gameFile, GameFileIdentity& identity, std::string& error) {
  const MediaPlaces& media = StartupMedia();
  return media.Given ? IdentifyGameFile(media.Folder, media.ArchiveFile, gameFile, identity, error)
                     : IdentifyGameFile("", ProgramPath(), gameFile, identity, error);
}

int StartPlayback(const PlayerOptions& options, const std::string& program,
                  const std::string& gameFile) {
  const bool verify = !options.VerifyFile.empty();
  const std::string& file = verify ? options.VerifyFile : options.ReplayFile;
  std::string bytes;
  if (!ReadWholeFile(file, kMaxReplayBytes + 1, bytes)) {
    std::fprintf(stderr, "%s: %s: cannot be read\n", program.c_str(), file.c_str());
    return kExitReplayUnusable;
  }
  ReplayFile replay;
  std::string error;
  if (!DecodeReplay(bytes, replay, error)) {
    std::fprintf(stderr, "%s: %s: %s\n", program.c_str(), file.c_str(), error.c_str());
    return kExitReplayUnusable;
  }
  GameFileIdentity game;
  if (!IdentifyRunGame(gameFile, game, error)) {
    std::fprintf(stderr, "%s: %s\n", program.c_str(), error.c_str());
    return kExitReplayUnusable;
  }
  if (game.Sha256 != replay.GameSha256 || game.Size != replay.GameSize) {
    if (!options.Force) {
      std::fprintf(stderr,
                   "%s: %s was recorded on another game file: SHA-256 %s (%llu bytes), this one "
                   "is SHA-256 %s (%llu bytes); --force plays it anyway\n",
                   program.c_str(), file.c_str(), Sha256Hex(replay.GameSha256).c_str(),
                   static_cast<unsigned long long>(replay.GameSize), Sha256Hex(game.Sha256).c_str(),
                   static_cast<unsigned long long>(game.Size));
      return kExitReplayUnusable;
    }
    std::fprintf(stderr, "%s: %s: playing on another game file than recorded (--force)\n",
                 program.c_str(), file.c_str());
  }

  ReplayPlaybackOptions playback;
  if (verify) {
    // No window, no sound device, no waiting: a hidden window (with the
    // offscreen driver where there is one) still gives the OpenGL context
    // that loading the sprites draws with.
    if (const std::string_view driver = HiddenRunVideoDriver(); !driver.empty()) {
      SetEnvironmentValue("SDL_VIDEODRIVER", std::string(driver));
    }
    SetEnvironmentValue("SDL_AUDIODRIVER", "dummy");
    RequestedDisplay().Hidden = true;
    playback.Unpaced = true;
    playback.DrawNothing = true;
  } else {
    playback.Interactive = true;
  }
  StartReplayPlayback(replay, playback);
  SetProgramExitHandler(verify ? EndVerifyRun : EndWatchRun);
  return -1;
}

void StartRecording(const std::string& program, const std::string& gameName,
                    const std::string& gameFile) {
  GameFileIdentity game;
  std::string error;
  // Without a game there is nothing to record ("Load Error!" follows).
  if (!IdentifyRunGame(gameFile, game, error)) return;
  Run().Folder = ReplayFolder();
  ReplayRecordingSetup setup;
  setup.PlayerVersion = PlayerVersion(program);
  setup.GameName = ReplayGameName(gameName);
  setup.GameSize = game.Size;
  setup.GameSha256 = game.Sha256;
  setup.Finished = SaveFinishedGame;
  StartReplayRecording(setup);
  SetProgramExitHandler(EndRecordedRun);
}

}  // namespace

int PrepareReplayRun(const PlayerRun& run) {
  Run().Program = run.Program;
  const std::string gameFile = run.PathGiven ? run.Where.GameFile : "game.ZORAX";
  const PlayerOptions& options = run.Options;
  if (!options.ReplayFile.empty() || !options.VerifyFile.empty()) {
    return StartPlayback(options, run.Program, gameFile);
  }
  if (!options.NoRecord && RunSettings().RecordReplays) {
    StartRecording(run.Program, run.GameName, gameFile);
  }
  return -1;
}
