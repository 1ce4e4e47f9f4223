// Runs the real player with what the player layer adds (settings, options
// screen) inside a test process, watched through the game's frame seam and
// the options screen's frames; what a run saw is written to a record file,
// since the run ends the process. A small game file: one level whose map
// scrolls by itself one pixel a frame.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "game/frame_seam.h"
#include "game/main_program.h"
#include "player/settings/options_screen.h"
#include "player/settings/settings_store.h"
#include "runtime/core/config.h"
#include "runtime/core/program_end.h"
#include "runtime/startup/startup.h"
#include "tests/game/game_builders.h"
#include "tests/support/program_end_checks.h"
#include "tests/support/test_env.h"

namespace playertest {

using GameScript = std::function<void(const GameFrame&)>;
using OptionsScript = std::function<void(int64_t, const OptionsMenu&)>;

inline std::string RecordPath() {
  return testenv::TempDir() + "/player_record.txt";
}

inline void Record(const std::string& line) {
  std::ofstream out(RecordPath(), std::ios::app);
  out << line << "\n";
}

inline std::vector<std::string> Recorded() {
  std::vector<std::string> lines;
  std::istringstream in(testenv::ReadFile(RecordPath()));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

struct Scripts {
  GameScript Game;
  OptionsScript Options;
};

inline Scripts& CurrentScripts() {
  static Scripts scripts;
  return scripts;
}

inline void OnGameFrame(const GameFrame& frame) {
  // A run that goes astray must not hang the test.
  if (frame.Number > 5000) {
    Record("gave up");
    EndProgramNormally();
  }
  if (CurrentScripts().Game) CurrentScripts().Game(frame);
}

inline void OnOptionsFrame(int64_t frame, const OptionsMenu& menu) {
  if (frame > 5000) {
    Record("options gave up");
    EndProgramNormally();
  }
  if (CurrentScripts().Options) CurrentScripts().Options(frame, menu);
}

// One level, a map 14 cells wide and `rows` tall, scrolling at speed 5.
inline std::string ScrollingGame(int32_t rows) {
  return testgame::ScrollingGame({rows});
}

// The player's start as its program starts it (settings from
// $XDG_CONFIG_HOME, the options screen after start-up), at a frame rate
// that never waits, in a folder holding the game. Never returns.
[[noreturn]] inline void RunPlayer(const std::string& gameBytes, Scripts scripts) {
  const std::string folder = testenv::MakeDir("player");
  testenv::WriteFile(folder + "/game.ZORAX", gameBytes);
  CurrentScripts() = std::move(scripts);
  SetGameFrameObserver(OnGameFrame);
  SetOptionsFrameObserver(OnOptionsFrame);
  LoadPlayerSettings(SettingsFolder());
  Config() = RuntimeConfig{};
  Config().FrameRate = 100000;
  StartRuntime("stub");
  RuntimeErrors() = ErrorState{};
  if (chdir(folder.c_str()) != 0) EndProgramNormally();
  StartPlayerSettings();
  InstallOptionsScreen();
  GameMainProgram();
  EndProgram();
}

// Runs the player in a child process and returns what the scripts recorded.
// The child runs the test from its start, so a test that plays twice checks
// the records only after both.
inline std::vector<std::string> Play(const std::string& gameBytes, Scripts scripts) {
  std::remove(RecordPath().c_str());
  EXPECT_PROGRAM_END(RunPlayer(gameBytes, std::move(scripts)));
  return Recorded();
}

inline void PushKey(SDL_Scancode key, bool down) {
  SDL_Event event{};
  event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.scancode = key;
  SDL_PushEvent(&event);
}

}  // namespace playertest
