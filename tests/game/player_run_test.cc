// The real program, run in-process from start-up on a game file, driven and
// watched through the frame seam: the load error and its click, the title
// screen, levels that scroll and end behind the blind, and the ways back to
// the title. Each run happens in a child process (it ends the program); what
// the child saw is written to a record file that the test reads afterwards.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "game/frame_seam.h"
#include "game/main_program.h"
#include "runtime/core/config.h"
#include "runtime/core/gl_api.h"
#include "runtime/startup/startup.h"
#include "runtime/gfx2d/text.h"
#include "tests/game/game_builders.h"
#include "tests/game/run_player.h"
#include "tests/input/input_test_events.h"
#include "tests/support/program_end_checks.h"
#include "tests/support/test_env.h"

namespace {

using Script = std::function<void(const GameFrame&)>;

std::string RecordPath() {
  return testenv::TempDir() + "/player_record.txt";
}

void Record(const std::string& line) {
  std::ofstream out(RecordPath(), std::ios::app);
  out << line << "\n";
}

std::vector<std::string> Recorded() {
  std::vector<std::string> lines;
  std::istringstream in(testenv::ReadFile(RecordPath()));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

Script& CurrentScript() {
  static Script script;
  return script;
}

void RunScript(const GameFrame& frame) {
  // A run that goes astray must not hang the test.
  if (frame.Number > 5000) {
    Record("gave up");
    EndProgramNormally();
  }
  CurrentScript()(frame);
}

// Starts the runtime as the player's entry does (at a fast frame rate), in a
// folder holding game.ZORAX, and runs the main program with the script
// watching every frame. Never returns.
void RunPlayer(const std::string& gameBytes, Script script) {
  const std::string folder = testenv::MakeDir("player");
  testenv::WriteFile(folder + "/game.ZORAX", gameBytes);
  CurrentScript() = std::move(script);
  testgame::RunPlayerIn(folder, RunScript, 1000);
}

// Runs the player in a child process and returns what the script recorded.
std::vector<std::string> Play(const std::string& gameBytes, Script script) {
  std::remove(RecordPath().c_str());
  EXPECT_PROGRAM_END(RunPlayer(gameBytes, std::move(script)));
  return Recorded();
}

using testgame::ScrollingGame;

// Black rows of screen column x in the back buffer, below the top 60 rows
// (the blind's first band, where the status line is drawn).
int BlackRows(int x) {
  int black = 0;
  std::vector<uint8_t> column(480 * 4);
  glReadPixels(x, 0, 1, 480, GL_RGBA, GL_UNSIGNED_BYTE, column.data());
  for (int y = 0; y < 420; ++y)
    black += column[y * 4] == 0 && column[y * 4 + 1] == 0 && column[y * 4 + 2] == 0;
  return black;
}

std::string Describe(const GameFrame& frame) {
  static const char* const kKinds[] = {"loading", "load error", "title", "level", "escape held"};
  return std::string(kKinds[static_cast<int>(frame.Kind)]) + " " +
         std::to_string(frame.NumberInPart);
}

void PressFire(bool down) {
  inputtest::PushKey(SDL_SCANCODE_RCTRL, down);
}

TEST(PlayerRun, AFileOfAnUnknownVersionShowsLoadErrorUntilAClick) {
  const std::vector<std::string> lines =
      Play(GameFileBytes().I32(8).Bytes(), [](const GameFrame& frame) {
        Record(Describe(frame));
        if (frame.Kind != GameFrameKind::kLoadError) return;
        // The text on screen: lit pixels in the top-left corner only.
        int32_t fw = 0;
        int32_t fh = 0;
        GetFontSize(fw, fh);
        std::vector<uint8_t> pixels(640 * 480 * 4);
        glReadPixels(0, 0, 640, 480, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        int inside = 0;
        int outside = 0;
        for (int y = 0; y < 480; ++y) {
          for (int x = 0; x < 640; ++x) {
            if (pixels[((479 - y) * 640 + x) * 4] < 128) continue;
            (x < 11 * fw && y < fh ? inside : outside) += 1;
          }
        }
        Record("lit " + std::to_string(inside > 20) + " " + std::to_string(outside));
        // A key does not end the wait; a whole click does. Clicks repeat
        // until the program ends, so that a busy machine cannot lose the one.
        std::thread([] {
          std::this_thread::sleep_for(std::chrono::milliseconds(150));
          inputtest::PushKey(SDL_SCANCODE_A, true);
          std::this_thread::sleep_for(std::chrono::milliseconds(150));
          Record("click");
          for (;;) {
            inputtest::Push(inputtest::ButtonEvent(SDL_BUTTON_LEFT, true));
            std::this_thread::sleep_for(std::chrono::milliseconds(60));
            inputtest::Push(inputtest::ButtonEvent(SDL_BUTTON_LEFT, false));
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
          }
        }).detach();
      });
  EXPECT_EQ(lines, (std::vector<std::string>{"loading 0", "load error 0", "lit 1 0", "click"}));
  EXPECT_EQ(testenv::ReadErrorLog().find("Runtime error"), std::string::npos);
}

TEST(PlayerRun, TheTitleIgnoresFireInItsFirstFrameAndCentresItsText) {
  const std::vector<std::string> lines =
      Play(ScrollingGame({30}, "AB\n\nCDEF\n"), [](const GameFrame& frame) {
        if (frame.Kind == GameFrameKind::kLoading) return;
        Record(Describe(frame));
        if (frame.Kind == GameFrameKind::kTitle && frame.NumberInPart == 0) {
          int32_t fw = 0;
          int32_t fh = 0;
          GetFontSize(fw, fh);
          const int x = (640 - 4 * fw) / 2;
          const int y = (480 - 3 * fh) / 2;
          // Lit pixels of each text line's cells, and anywhere else.
          std::vector<uint8_t> pixels(640 * 480 * 4);
          glReadPixels(0, 0, 640, 480, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
          int line[3] = {0, 0, 0};
          int elsewhere = 0;
          int firstColumn = 640;
          int lastColumn = -1;
          for (int py = 0; py < 480; ++py) {
            for (int px = 0; px < 640; ++px) {
              if (pixels[((479 - py) * 640 + px) * 4] < 128) continue;
              const int row = (py - y) / fh;
              if (py >= y && row < 3 && px >= x && px < x + 4 * fw) {
                ++line[row];
                firstColumn = std::min(firstColumn, px);
                lastColumn = std::max(lastColumn, px);
              } else {
                ++elsewhere;
              }
            }
          }
          Record("text " + std::to_string(line[0] > 0) + std::to_string(line[1] > 0) +
                 std::to_string(line[2] > 0) + " " + std::to_string(elsewhere) + " " +
                 std::to_string(firstColumn < x + fw) + std::to_string(lastColumn >= x + 3 * fw));
          PressFire(true);  // held from the first frame on
        }
        if (frame.Kind == GameFrameKind::kLevel) {
          const GameSession& s = *frame.Session;
          Record("hits " + std::to_string(s.Game.Players[0].Hits) + " " +
                 std::to_string(s.Game.Players[1].Hits) + " latch " +
                 std::to_string(s.FireLatch[0]));
          EndProgramNormally();
        }
      });
  EXPECT_EQ(lines, (std::vector<std::string>{"title 0", "text 101 0 11", "title 1", "level 0",
                                             "hits 3 -1 latch 1"}));
}

TEST(PlayerRun, AThreeScreenMapScrollsToTheTopAndClosesTheBlind) {
  const std::vector<std::string> lines = Play(ScrollingGame({30}), [](const GameFrame& frame) {
    static int endingFrame = -1;
    if (frame.Kind == GameFrameKind::kTitle) {
      if (frame.NumberInPart == 0) PressFire(true);
      if (endingFrame >= 0) {
        Record("title");
        EndProgramNormally();
      }
      return;
    }
    if (frame.Kind != GameFrameKind::kLevel) return;
    const GameSession& s = *frame.Session;
    const int k = static_cast<int>(frame.NumberInPart);
    if (k == 0) {
      Record("first " + std::to_string(s.ScrollY) + " black " +
             std::to_string(BlackRows(100) == 420));
    }
    if (k == 40) Record("open black " + std::to_string(BlackRows(100)));
    if (s.Ending == 1 && endingFrame < 0) {
      endingFrame = k;
      Record("ending at " + std::to_string(k) + " scroll " + std::to_string(s.ScrollY));
    }
    if (endingFrame >= 0 &&
        (k == endingFrame + 10 || k == endingFrame + 20 || k == endingFrame + 29)) {
      Record("closing +" + std::to_string(k - endingFrame) + " black " +
             std::to_string(BlackRows(100)));
    }
    if (endingFrame >= 0 && k > endingFrame + 29) Record("last " + std::to_string(k));
  });
  // From 960 one pixel per frame: the top in the 960th frame, then 30 frames of blind.
  ASSERT_GE(lines.size(), 7u);
  EXPECT_EQ(lines[0], "first 959 black 1");
  EXPECT_EQ(lines[1], "open black 0");
  EXPECT_EQ(lines[2], "ending at 959 scroll 0");
  // Closing at t = 0.34, 0.68 and 0.986: bands of 0..60 rows each.
  EXPECT_EQ(lines[3], "closing +10 black 89");
  EXPECT_EQ(lines[4], "closing +20 black 339");
  EXPECT_EQ(lines[5], "closing +29 black 420");
  EXPECT_EQ(lines[6], "last 989");
  EXPECT_EQ(lines.back(), "title");
}

TEST(PlayerRun, ShortMapsEndAfterTheirOpeningAndTheLastShipOutEndsTheGame) {
  const std::vector<std::string> lines =
      Play(ScrollingGame({5, 8, 30}), [](const GameFrame& frame) {
        if (frame.Kind == GameFrameKind::kTitle) {
          Record(Describe(frame));
          if (frame.NumberInPart == 0) PressFire(true);
          if (frame.Number > 100) EndProgramNormally();  // back on the title
          return;
        }
        if (frame.Kind != GameFrameKind::kLevel) return;
        GameSession& s = *frame.Session;
        static int lastLevel = -1;
        static int frames = 0;
        if (s.LevelIndex != lastLevel) {
          if (lastLevel >= 0)
            Record("level " + std::to_string(lastLevel) + " frames " + std::to_string(frames));
          lastLevel = s.LevelIndex;
          frames = 0;
          Record("level " + std::to_string(s.LevelIndex) + " ship y " +
                 std::to_string(s.Game.Players[0].Y));
        }
        ++frames;
        // In the third level the last ship goes out after 40 frames.
        if (s.LevelIndex == 2 && frame.NumberInPart == 40) s.Game.Players[0].Hits = 0;
        if (s.LevelIndex == 2 && s.Ending == 1 && frames == 42) Record("closing from 41");
        if (s.LevelIndex == 2 && frame.NumberInPart == 71) Record("third ends at 71");
      });
  EXPECT_EQ(lines, (std::vector<std::string>{"title 0", "title 1", "level 0 ship y 144",
                                             "level 0 frames 30", "level 1 ship y 288",
                                             "level 1 frames 30", "level 2 ship y 1343",
                                             "closing from 41", "third ends at 71", "title 0"}));
}

TEST(PlayerRun, EscapeAbandonsTheGameAndEndsTheProgramOnTheTitle) {
  const std::vector<std::string> lines = Play(ScrollingGame({30}), [](const GameFrame& frame) {
    static int games = 0;
    GameSession* s = frame.Session;
    switch (frame.Kind) {
      case GameFrameKind::kTitle:
        if (frame.NumberInPart != 0) return;
        Record("title: points " + std::to_string(s->Game.Players[0].Points) + " hits " +
               std::to_string(s->Game.Players[0].Hits));
        if (games == 2) {
          Record("escape on the title");
          inputtest::PushKey(SDL_SCANCODE_ESCAPE, true);
        } else {
          PressFire(true);
        }
        return;
      case GameFrameKind::kLevel:
        if (frame.NumberInPart == 0) {
          ++games;
          Record("game " + std::to_string(games) + ": hits " +
                 std::to_string(s->Game.Players[0].Hits));
          s->Game.Players[0].Points = 777;
          s->Game.Players[0].Hits = 1;
        }
        if (frame.NumberInPart == 3) inputtest::PushKey(SDL_SCANCODE_ESCAPE, true);
        if (frame.NumberInPart > 3) Record("escape missed");
        return;
      case GameFrameKind::kEscapeHeld:
        Record("held at " + std::to_string(frame.NumberInPart) + " clock " +
               std::to_string(GameClock() - s->TransitionStart));
        inputtest::PushKey(SDL_SCANCODE_ESCAPE, false);
        return;
      default:
        return;
    }
  });
  EXPECT_EQ(lines, (std::vector<std::string>{"title: points 0 hits -1", "game 1: hits 3",
                                             "held at 4 clock 68", "title: points 0 hits -1",
                                             "game 2: hits 3", "held at 4 clock 68",
                                             "title: points 0 hits -1", "escape on the title"}));
}

}  // namespace
