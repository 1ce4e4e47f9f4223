// Opening the games people have, as a user does it: the player started as a
// separate process on a PATH (a packed program of another platform, a folder
// copied from a system whose names ignore case, a game file), and the
// command line's answers when there is nothing to play or no display.
#include <SDL.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "player/open/game_drop.h"
#include "player/player_run.h"
#include "runtime/core/host_hooks.h"
#include "runtime/gfx2d/screen_target.h"
#include "tests/game/run_player.h"
#include "tests/support/program_end_checks.h"

#include "runtime/files/archive_writer.h"
#include "tests/e2e/e2e_support.h"
#include "tests/support/test_env.h"

namespace {

using e2e::Picture;
using e2e::RunRequest;
using e2e::RunResult;

std::string DemoFile(const std::string& name) {
  return testenv::BinDir() + "/../demo/" + name;
}

std::string Script(const std::string& name) {
  return testenv::SourceDir() + "/tests/e2e/scripts/" + name;
}

std::string Reference(const std::string& name) {
  return testenv::SourceDir() + "/tests/e2e/reference/" + name;
}

// `program` run headless in the fresh folder `name` with `args`, following
// `script` (copied next to it, so that its screenshots land there).
RunResult RunOn(const std::string& program, const std::string& name, std::vector<std::string> args,
                const std::string& script) {
  RunRequest request;
  request.Program = testenv::BinDir() + "/" + program;
  request.Folder = testenv::TempDir() + "/" + name;
  request.Args = std::move(args);
  if (!script.empty()) {
    request.Files = {Script(script)};
    request.Env = {"OMBREL_RANDOM_SEED=7", "ZORAX_SCRIPT=" + request.Folder + "/" + script,
                   "ZORAX_UNPACED=1"};
  }
  return e2e::RunProgram(request);
}

bool LikeReference(const std::string& shot, const std::string& reference) {
  Picture a, b;
  if (!e2e::ReadPicture(shot, a) || !e2e::ReadPicture(Reference(reference), b)) return false;
  return e2e::CloseEnough(e2e::Compare(a, b));
}

void ExpectPlayedToTheEnd(const RunResult& run) {
  ASSERT_TRUE(run.Started);
  EXPECT_FALSE(run.TimedOut) << run.Log;
  EXPECT_EQ(run.ExitCode, 0) << run.Stderr;
  EXPECT_EQ(run.Log.find("Runtime error"), std::string::npos) << run.Log;
}

// A place of its own for the game files of a test, outside the run folders.
std::string GamePlace(const std::string& name) {
  return testenv::MakeDir("games-" + name);
}

// The original's way of shipping a game: a Windows program with the archive
// appended, here a made-up "MZ" image, with a space in its name. The bare
// player plays the demo tour from it exactly as the packed demo does.
TEST(OpenGames, APackedProgramOfAnotherPlatformPlaysItsGame) {
  std::vector<std::pair<std::string, std::string>> members;
  for (const char* file :
       {"game.ZORAX", "ingamefont.bmp", "smalfont.bmp", "Skylane.ZORAX1.wav", "Skylane.ZORAX2.wav",
        "Skylane.ZORAX3.wav", "Skylane.ZORAX4.wav", "Skylane.ZORAX5.wav"}) {
    members.emplace_back(file, testenv::ReadFile(DemoFile(file)));
    ASSERT_FALSE(members.back().second.empty()) << file << ": build the demo first";
  }
  std::string image = "MZ";
  for (int i = 0; i < 40000; ++i) image += static_cast<char>((i * 131 + 7) & 0xFF);
  const std::string place = GamePlace("mz");
  const std::string program = place + "/Sky Lane.exe";
  testenv::WriteFile(program, image + BuildArchive(members, nullptr, false, image.size()));

  const RunResult run = RunOn("zorax-player", "mz-run", {program}, "skylane_tour.txt");
  ExpectPlayedToTheEnd(run);
  const std::string folder = testenv::TempDir() + "/mz-run/";
  for (const char* shot : {"title.png", "firing.png", "hit.png", "title_again.png"}) {
    EXPECT_TRUE(LikeReference(folder + shot, shot)) << shot << "\n" << run.Log;
  }
  // Nothing was written next to the game.
  EXPECT_EQ(testenv::FolderEntries(place), std::vector<std::string>{"Sky Lane.exe"});
}

// A folder copied from a system whose names ignore case: the player asks
// for "game.ZORAX" and "ingamefont.bmp" and finds them in capitals. Without
// the font file the title is drawn in the built-in font instead, also when
// the packed demo is started on the folder: its own archive stays out of
// another game.
TEST(OpenGames, AFolderInCapitalsPlaysWithItsOwnFontAndNothingOfTheDemo) {
  const std::string withFont = GamePlace("capitals");
  std::filesystem::copy_file(DemoFile("game.ZORAX"), withFont + "/GAME.ZORAX");
  std::filesystem::copy_file(DemoFile("ingamefont.bmp"), withFont + "/INGAMEFONT.BMP");
  const std::string withoutFont = GamePlace("nofont");
  std::filesystem::copy_file(DemoFile("game.ZORAX"), withoutFont + "/GAME.ZORAX");

  const RunResult run = RunOn("zorax-player", "caps-run", {withFont}, "title_only.txt");
  ExpectPlayedToTheEnd(run);
  EXPECT_TRUE(LikeReference(testenv::TempDir() + "/caps-run/title.png", "title.png")) << run.Log;

  const RunResult bare =
      RunOn("skylane", "nofont-run", {withoutFont + "/GAME.ZORAX"}, "title_only.txt");
  ExpectPlayedToTheEnd(bare);
  const std::string shot = testenv::TempDir() + "/nofont-run/title.png";
  ASSERT_TRUE(testenv::FileExists(shot)) << bare.Log;
  EXPECT_FALSE(LikeReference(shot, "title.png"));
}

struct CommandLineCase {
  const char* Name;
  std::vector<std::string> Args;
  int ExitCode;
  const char* Stdout;  // a fragment of what is printed, "" for nothing
  const char* Stderr;  // a fragment of the one stderr line, "" for nothing
};

// With no display at all: what the command line says needs no window.
TEST(OpenGames, CommandLineAnswersWithoutADisplay) {
  const std::string missing = testenv::TempDir() + "/no such game.zorax";
  const CommandLineCase cases[] = {
      {"help", {"--help"}, 0, "Usage: zorax-player [OPTIONS] [PATH]", ""},
      {"version", {"--version"}, 0, "zorax-player 0.", ""},
      {"unknown", {"--fly"}, 2, "", "zorax-player: unknown option \"--fly\""},
      {"missing", {missing}, 2, "", "does not exist"},
      {"device", {"/dev/null"}, 2, "", "/dev/null: is a device, a pipe or a socket"},
      {"two-paths", {"a.zorax", "b.zorax"}, 2, "", "one PATH only"},
  };
  for (const CommandLineCase& c : cases) {
    RunRequest request;
    request.Program = testenv::BinDir() + "/zorax-player";
    request.Folder = testenv::TempDir() + "/cli-" + c.Name;
    request.Args = c.Args;
    request.NoDisplay = true;
    request.TimeoutSeconds = 20;
    const RunResult run = e2e::RunProgram(request);
    ASSERT_TRUE(run.Started) << c.Name;
    EXPECT_EQ(run.ExitCode, c.ExitCode) << c.Name << "\n" << run.Stderr;
    EXPECT_NE(run.Stdout.find(c.Stdout), std::string::npos) << c.Name << "\n" << run.Stdout;
    if (c.Stderr[0] == '\0') {
      EXPECT_EQ(run.Stderr, "") << c.Name;
    } else {
      EXPECT_NE(run.Stderr.find(c.Stderr), std::string::npos) << c.Name << "\n" << run.Stderr;
      EXPECT_EQ(std::count(run.Stderr.begin(), run.Stderr.end(), '\n'), 1) << run.Stderr;
    }
    // Answered before start-up: no log was begun, nothing said of a display.
    EXPECT_EQ(run.Log, "") << c.Name;
  }
}

}  // namespace

// ------------------------------------------------------- drag and drop

namespace dropped {

std::string g_drop;       // what the observer drops, and when
std::string g_laterDrop;  // dropped during the level
std::string g_shot;       // where the title with the message is saved

void PushDrop(const std::string& path) {
  SDL_Event event{};
  event.type = SDL_DROPFILE;
  event.drop.file = SDL_strdup(path.c_str());
  SDL_PushEvent(&event);
}

void PushKey(SDL_Scancode key, bool down) {
  SDL_Event event{};
  event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.scancode = key;
  SDL_PushEvent(&event);
}

// On "Load Error!": the drop of a good game, which starts it.
void DropOnLoadError(const GameFrame& frame) {
  if (frame.Kind != GameFrameKind::kLoadError) return;
  StartGameDrops();
  PushDrop(g_drop + "/../notes.txt");  // first a file without a game: a message only
  PushDrop(g_drop);
}

// On the title: a drop without a game (a message, nothing else), then the
// level, in which a drop of a good game is ignored.
void DropOnTitleThenInLevel(const GameFrame& frame) {
  if (frame.Kind == GameFrameKind::kTitle) {
    if (frame.NumberInPart == 1) {
      StartGameDrops();
      PushDrop(g_drop);
    }
    if (frame.NumberInPart == 3) {
      DrawHostOverlay();
      SaveScreen(RtString(std::string_view(g_shot)));
      PushKey(SDL_SCANCODE_RCTRL, true);
    }
    if (frame.NumberInPart == 4) PushKey(SDL_SCANCODE_RCTRL, false);
  }
  if (frame.Kind == GameFrameKind::kLevel) {
    if (frame.NumberInPart == 3) PushDrop(g_laterDrop);
    if (frame.NumberInPart == 8) EndProgramNormally();
  }
}

}  // namespace dropped

// The bare player shows "Load Error!"; a folder with a game dropped onto it
// starts that game from its title, in a new program image with the same
// options (here the restarted player follows a script that takes the title).
TEST(GameDrops, AGameDroppedOnLoadErrorStartsFromItsTitle) {
  const std::string empty = testenv::MakeDir("drop-empty");
  const std::string game = GamePlace("drop-game");
  for (const char* file : {"game.ZORAX", "ingamefont.bmp"}) {
    std::filesystem::copy_file(DemoFile(file), game + "/" + file);
  }
  testenv::WriteFile(game + "/../notes.txt", "not a game");
  const std::string shot = testenv::TempDir() + "/dropped-title.png";
  const std::string script = testenv::TempDir() + "/after-drop.txt";
  testenv::WriteFile(script, "3 screenshot " + shot + "\n4 end\n");
  std::filesystem::remove(shot);

  EXPECT_PROGRAM_END({
    dropped::g_drop = game;
    CurrentRun().Invocation = "zorax-player";
    CurrentRun().Program = "zorax-player";
    SetRestartProgram(testenv::BinDir() + "/zorax-player");
    setenv("ZORAX_SCRIPT", script.c_str(), 1);
    setenv("ZORAX_UNPACED", "1", 1);
    testgame::RunPlayerIn(empty, dropped::DropOnLoadError, testgame::kNoWaitFrameRate);
  });
  ASSERT_TRUE(testenv::FileExists(shot)) << testenv::ReadErrorLog();
  EXPECT_TRUE(LikeReference(shot, "title.png"));
  // The restarted program began a fresh log of its own.
  const std::string log = testenv::ReadErrorLog();
  EXPECT_EQ(log.find("holds no game"), std::string::npos) << log;
  EXPECT_NE(log.find("Script ended the run"), std::string::npos) << log;
}

TEST(GameDrops, ADropWithoutAGameShowsALineAndADropInPlayIsIgnored) {
  const std::string game = GamePlace("drop-title");
  for (const char* file : {"game.ZORAX", "ingamefont.bmp"}) {
    std::filesystem::copy_file(DemoFile(file), game + "/" + file);
  }
  testenv::WriteFile(game + "/notes.txt", "not a game");
  const std::string shot = testenv::TempDir() + "/drop-message.png";
  std::filesystem::remove(shot);
  DeleteErrorLog();

  EXPECT_PROGRAM_END({
    dropped::g_drop = game + "/notes.txt";
    dropped::g_laterDrop = game;
    dropped::g_shot = shot;
    testgame::RunPlayerIn(game, dropped::DropOnTitleThenInLevel, testgame::kNoWaitFrameRate);
  });
  const std::string log = testenv::ReadErrorLog();
  EXPECT_NE(log.find("notes.txt: holds no game"), std::string::npos) << log;
  EXPECT_NE(log.find("Drop ignored while a game is in play: " + game), std::string::npos) << log;
  EXPECT_EQ(log.find("Dropped game"), std::string::npos) << log;

  // The title as always, with one more line at the bottom of the screen.
  Picture withMessage, title;
  ASSERT_TRUE(e2e::ReadPicture(shot, withMessage));
  ASSERT_TRUE(e2e::ReadPicture(Reference("title.png"), title));
  auto lit = [](const Picture& p, int32_t fromRow) {
    int64_t count = 0;
    for (int32_t y = fromRow; y < p.Height; ++y) {
      for (int32_t x = 0; x < p.Width; ++x) count += p.Rgba[(y * p.Width + x) * 4] > 128;
    }
    return count;
  };
  EXPECT_EQ(lit(title, 460), 0);
  EXPECT_GT(lit(withMessage, 460), 50);
  EXPECT_EQ(lit(withMessage, 0) - lit(withMessage, 460), lit(title, 0));
}
