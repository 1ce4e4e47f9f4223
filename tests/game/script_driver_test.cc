// Reading run scripts: frames absolute and relative, the commands and their
// keys, the order commands run in, and the message a bad line gets.
#include "game/script_driver.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <sstream>

#include "game/frame_seam.h"
#include "runtime/core/program_end.h"
#include "tests/support/program_end_checks.h"
#include "tests/support/test_env.h"

namespace {

std::vector<ScriptCommand> Parse(const std::string& text, const std::string& folder = "") {
  std::vector<ScriptCommand> commands;
  std::string error;
  EXPECT_TRUE(ParseScript(text, "run.txt", folder, commands, error)) << error;
  return commands;
}

std::string ErrorOf(const std::string& text) {
  std::vector<ScriptCommand> commands;
  std::string error;
  EXPECT_FALSE(ParseScript(text, "run.txt", "", commands, error)) << text;
  return error;
}

TEST(ScriptParser, ReadsEveryCommandWithItsFrameAndLine) {
  const std::vector<ScriptCommand> c = Parse(
      "# a whole run\n"
      "\n"
      "10 key down 157\n"
      "12 key up Right Ctrl   # the same key by name\n"
      "  20   click\n"
      "21 click 650\n"
      "30 screenshot shots/title one.png\n"
      "40 end\n");
  ASSERT_EQ(c.size(), 6u);
  EXPECT_EQ(c[0].Frame, 10);
  EXPECT_EQ(c[0].Action, ScriptAction::kKeyDown);
  EXPECT_EQ(c[0].Key, 157);
  EXPECT_EQ(c[0].Line, 3);
  EXPECT_EQ(c[1].Action, ScriptAction::kKeyUp);
  EXPECT_EQ(c[1].Key, 157);
  EXPECT_EQ(c[2].Action, ScriptAction::kClick);
  EXPECT_EQ(c[2].Frame, 20);
  EXPECT_EQ(c[2].DelayMs, 100);
  EXPECT_EQ(c[3].DelayMs, 650);
  EXPECT_EQ(c[4].Action, ScriptAction::kScreenshot);
  EXPECT_EQ(c[4].File, "shots/title one.png");
  EXPECT_EQ(c[5].Action, ScriptAction::kEnd);
  EXPECT_EQ(c[5].Frame, 40);
  EXPECT_EQ(c[5].Line, 8);
}

TEST(ScriptParser, KeyNamesGiveTheGamesScanCodes) {
  const std::vector<ScriptCommand> c = Parse(
      "1 key down Escape\n1 key down esc\n1 key down left\n1 key down Right\n1 key down Up\n"
      "1 key down Down\n1 key down LCtrl\n1 key down rctrl\n1 key down Left Ctrl\n"
      "1 key down A\n1 key down w\n1 key down Return\n1 key down Enter\n1 key down 30\n");
  std::vector<int32_t> codes;
  for (const ScriptCommand& command : c) codes.push_back(command.Key);
  EXPECT_EQ(codes,
            (std::vector<int32_t>{1, 1, 203, 205, 200, 208, 29, 157, 29, 30, 17, 28, 28, 30}));
}

TEST(ScriptParser, RelativeFramesCountFromThePreviousLine) {
  const std::vector<ScriptCommand> c = Parse(
      "100 key down A\n"
      "+5 key up A\n"
      "+0 screenshot a.png\n"
      "+10 end\n");
  ASSERT_EQ(c.size(), 4u);
  EXPECT_EQ(c[0].Frame, 100);
  EXPECT_EQ(c[1].Frame, 105);
  EXPECT_EQ(c[2].Frame, 105);
  EXPECT_EQ(c[3].Frame, 115);
}

TEST(ScriptParser, PressIsADownAndAnUpOneFrameLater) {
  // The relative frame after a press counts from the press, not its release.
  const std::vector<ScriptCommand> c = Parse("7 press Escape\n+3 press 29\n");
  ASSERT_EQ(c.size(), 4u);
  EXPECT_EQ(c[0].Frame, 7);
  EXPECT_EQ(c[0].Action, ScriptAction::kKeyDown);
  EXPECT_EQ(c[1].Frame, 8);
  EXPECT_EQ(c[1].Action, ScriptAction::kKeyUp);
  EXPECT_EQ(c[1].Key, 1);
  EXPECT_EQ(c[2].Frame, 10);
  EXPECT_EQ(c[3].Frame, 11);
  EXPECT_EQ(c[3].Key, 29);
}

TEST(ScriptParser, CommandsComeOutByFrameKeepingScriptOrderWithinAFrame) {
  const std::vector<ScriptCommand> c = Parse(
      "50 key up A\n"
      "10 key down A\n"
      "50 key down W\n"
      "10 screenshot x.bmp\n"
      "30 press S\n");
  std::vector<std::pair<int64_t, int32_t>> order;
  for (const ScriptCommand& command : c) order.emplace_back(command.Frame, command.Line);
  EXPECT_EQ(order, (std::vector<std::pair<int64_t, int32_t>>{
                       {10, 2}, {10, 4}, {30, 5}, {31, 5}, {50, 1}, {50, 3}}));
}

TEST(ScriptParser, RelativeScreenshotNamesJoinTheScriptFolder) {
  const std::vector<ScriptCommand> c =
      Parse("1 screenshot a.png\n2 screenshot /abs/b.png\n3 screenshot sub/c.bmp\n", "/runs");
  ASSERT_EQ(c.size(), 3u);
  EXPECT_EQ(c[0].File, "/runs/a.png");
  EXPECT_EQ(c[1].File, "/abs/b.png");
  EXPECT_EQ(c[2].File, "/runs/sub/c.bmp");
}

TEST(ScriptParser, ABadLineIsNamedWithItsProblem) {
  EXPECT_EQ(ErrorOf("1 end\n\nten key down A\n"),
            "run.txt:3: a command starts with its frame, a number or +number, not \"ten\"");
  EXPECT_EQ(ErrorOf("-4 end\n").rfind("run.txt:1: a command starts with its frame", 0), 0u);
  EXPECT_EQ(ErrorOf("+x end\n").rfind("run.txt:1: a command starts with its frame", 0), 0u);
  EXPECT_EQ(ErrorOf("5\n"), "run.txt:1: a frame without a command");
  EXPECT_EQ(ErrorOf("5 jump\n"),
            "run.txt:1: unknown command \"jump\" (key, press, click, screenshot or end)");
  EXPECT_EQ(ErrorOf("5 key A\n"), "run.txt:1: use \"key down <key>\" or \"key up <key>\"");
  EXPECT_EQ(ErrorOf("5 key down\n"), "run.txt:1: use \"key down <key>\" or \"key up <key>\"");
  EXPECT_EQ(ErrorOf("5 key down Hyperdrive\n"), "run.txt:1: unknown key \"Hyperdrive\"");
  EXPECT_EQ(ErrorOf("5 press\n"), "run.txt:1: press needs a key");
  EXPECT_EQ(ErrorOf("5 screenshot\n"), "run.txt:1: screenshot needs a file name");
  EXPECT_EQ(ErrorOf("5 end now\n"), "run.txt:1: end takes nothing after it");
  EXPECT_EQ(ErrorOf("5 click 1 2\n"), "run.txt:1: click takes at most a delay in milliseconds");
  EXPECT_EQ(ErrorOf("5 click soon\n").rfind("run.txt:1: click delay \"soon\"", 0), 0u);
}

TEST(ScriptParser, NumbersOutOfRangeAreRefused) {
  // Codes the keyboard has no key for, or beyond a byte.
  EXPECT_EQ(ErrorOf("1 key down 0\n"), "run.txt:1: unknown key \"0\"");
  EXPECT_EQ(ErrorOf("1 key down 256\n"), "run.txt:1: unknown key \"256\"");
  EXPECT_EQ(ErrorOf("1 key down 99999999999999999999\n"),
            "run.txt:1: unknown key \"99999999999999999999\"");
  // Frames too far to be meant, also when reached by relative steps.
  EXPECT_FALSE(ErrorOf("99999999999 end\n").empty());
  EXPECT_EQ(ErrorOf("60000000 end\n+60000000 end\n"), "run.txt:2: frame 120000000 is too far");
  EXPECT_FALSE(ErrorOf("1 click 60001\n").empty());
  // A failed parse leaves no half-read commands behind.
  std::vector<ScriptCommand> commands;
  std::string error;
  EXPECT_FALSE(ParseScript("1 end\n2 nope\n", "run.txt", "", commands, error));
  EXPECT_TRUE(commands.empty());
}

TEST(ScriptParser, LoadingNamesTheFileAndFindsTheFolder) {
  const std::string folder = testenv::MakeDir("scripts");
  testenv::WriteFile(folder + "/run.txt", "3 screenshot shot.png\n");
  std::vector<ScriptCommand> commands;
  std::string error;
  ASSERT_TRUE(LoadScript(folder + "/run.txt", commands, error)) << error;
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].File, folder + "/shot.png");

  testenv::WriteFile(folder + "/bad.txt", "1 end\n2 fly\n");
  EXPECT_FALSE(LoadScript(folder + "/bad.txt", commands, error));
  EXPECT_EQ(error.rfind(folder + "/bad.txt:2: unknown command \"fly\"", 0), 0u) << error;

  EXPECT_FALSE(LoadScript(folder + "/missing.txt", commands, error));
  EXPECT_EQ(error.rfind(folder + "/missing.txt: cannot be read", 0), 0u) << error;
}

// ------------------------------------------------- following a script

// The key events waiting on SDL's queue, as "down 30" / "up 17" in set-1
// codes, taken off the queue.
std::vector<std::string> TakeKeyEvents() {
  std::vector<std::string> keys;
  SDL_Event event;
  while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_KEYDOWN, SDL_KEYUP) == 1) {
    keys.push_back(std::string(event.type == SDL_KEYDOWN ? "down " : "up ") +
                   std::to_string(event.key.keysym.scancode == SDL_SCANCODE_A   ? 30
                                  : event.key.keysym.scancode == SDL_SCANCODE_W ? 17
                                                                                : -1));
  }
  return keys;
}

class FollowingAScript : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS), 0) << SDL_GetError();
    DeleteErrorLog();
  }
  void TearDown() override {
    SetGameFrameObserver(nullptr);
    SDL_Quit();
  }
  // Frame numbers count on through the process's life: the script's frames
  // are taken from the next frame to be shown on.
  void Start(const std::string& text) {
    const int64_t base = GameFramesPresented();
    std::string shifted;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
      const size_t blank = line.find(' ');
      shifted +=
          std::to_string(base + std::stoll(line.substr(0, blank))) + line.substr(blank) + "\n";
    }
    std::vector<ScriptCommand> commands;
    std::string error;
    ASSERT_TRUE(ParseScript(shifted, "run.txt", "", commands, error)) << error;
    StartScript(std::move(commands), false);
  }
  // A shown frame; its number is the count of frames shown before it.
  void Shown() { ObserveGameFrame(GameFrameKind::kLevel, 0, game_, &session_); }
  // A level waiting for Escape to be released: the next frame's number, nothing shown.
  void EscapeHeld() { ObserveEscapeHeld(0, session_); }

  GameRecord game_;
  GameSession session_{game_};
};

TEST_F(FollowingAScript, InputGoesOutRightBeforeItsFrameIsShown) {
  Start("1 key down A\n2 key up A\n2 key down W\n5 key up W\n");
  Shown();  // frame 0
  EXPECT_TRUE(TakeKeyEvents().empty());
  Shown();  // frame 1
  EXPECT_EQ(TakeKeyEvents(), (std::vector<std::string>{"down 30"}));
  Shown();  // frame 2: both commands, in script order
  EXPECT_EQ(TakeKeyEvents(), (std::vector<std::string>{"up 30", "down 17"}));
  Shown();
  Shown();
  EXPECT_TRUE(TakeKeyEvents().empty());
  Shown();  // frame 5
  EXPECT_EQ(TakeKeyEvents(), (std::vector<std::string>{"up 17"}));
  Shown();
  EXPECT_TRUE(TakeKeyEvents().empty());
}

TEST_F(FollowingAScript, WhileEscapeIsHeldInputRunsButScreenshotsWaitForAShownFrame) {
  // No window here: a screenshot that runs is logged as not written, which
  // tells when it ran.
  Start("1 key down A\n2 screenshot held.png\n2 key up A\n3 key down W\n");
  Shown();
  Shown();  // frame 1
  EXPECT_EQ(TakeKeyEvents(), (std::vector<std::string>{"down 30"}));
  EscapeHeld();  // waiting before frame 2
  EXPECT_EQ(TakeKeyEvents(), (std::vector<std::string>{"up 30"}));
  EXPECT_EQ(testenv::ReadErrorLog().find("held.png"), std::string::npos);
  EscapeHeld();
  EXPECT_TRUE(TakeKeyEvents().empty());
  Shown();  // frame 2: the screenshot, and no key again
  EXPECT_TRUE(TakeKeyEvents().empty());
  EXPECT_NE(testenv::ReadErrorLog().find("Script line 2: screenshot not written: held.png"),
            std::string::npos)
      << testenv::ReadErrorLog();
  Shown();
  EXPECT_EQ(TakeKeyEvents(), (std::vector<std::string>{"down 17"}));
}

TEST_F(FollowingAScript, EndEndsTheProgramAtItsFrameAndSaysSo) {
  Start("2 end\n");
  Shown();
  Shown();
  EXPECT_PROGRAM_END({
    Shown();
    std::_Exit(3);  // not reached when the script ends the program
  });
  // (A death test's child runs this test alone, so its frame count may
  // differ from this process's; the number is not compared.)
  EXPECT_NE(testenv::ReadErrorLog().find("Script ended the run at frame "), std::string::npos)
      << testenv::ReadErrorLog();
}

}  // namespace
