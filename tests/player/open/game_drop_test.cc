// The command line a dropped game starts with: the run's own options, the
// dropped PATH in place of the old one, and the window mode of the moment.
#include <gtest/gtest.h>

#include <SDL.h>

#include "player/open/game_drop.h"
#include "player/player_run.h"
#include "runtime/core/host_hooks.h"
#include "runtime/core/program_end.h"
#include "runtime/core/window.h"
#include "tests/gfx2d/gl_test_util.h"
#include "tests/support/test_env.h"

namespace {

void SetRun(std::vector<std::string> arguments, int pathArgument) {
  PlayerRun& run = CurrentRun();
  run.Invocation = "/usr/games/skylane";
  run.Arguments = std::move(arguments);
  run.Options.PathArgument = pathArgument;
}

TEST(DropRestart, KeepsOptionsAndReplacesThePath) {
  using Args = std::vector<std::string>;
  SetRun({"--scale", "3", "old.zorax", "--filter", "linear"}, 3);
  EXPECT_EQ(
      DropRestartArguments("/games/new dir"),
      (Args{"/usr/games/skylane", "--scale", "3", "--filter", "linear", "--", "/games/new dir"}));
  SetRun({"--", "-odd.zorax"}, 2);
  EXPECT_EQ(DropRestartArguments("-next.zorax"), (Args{"/usr/games/skylane", "--", "-next.zorax"}));
  SetRun({}, 0);
  EXPECT_EQ(DropRestartArguments("g"), (Args{"/usr/games/skylane", "--", "g"}));
}

TEST(DropRestart, TheWindowModeOfTheMomentWins) {
  ASSERT_TRUE(gltest::OpenWindow());
  SetRun({"--fullscreen", "old.zorax"}, 2);
  ASSERT_EQ(EnterWindowedMode(), 1);
  std::vector<std::string> args = DropRestartArguments("new.zorax");
  EXPECT_EQ(std::count(args.begin(), args.end(), "--fullscreen"), 0);
  EXPECT_EQ(args[args.size() - 3], "--window");
  ASSERT_EQ(EnterFullScreenMode(), 1);
  args = DropRestartArguments("new.zorax");
  EXPECT_EQ(args[args.size() - 3], "--fullscreen");
  EXPECT_EQ(std::count(args.begin(), args.end(), "--window"), 0);
}

// A replay plays its own game: a drop, even of a good game, is only logged.
TEST(DropRestart, NoDropWhileAReplayPlays) {
  const std::string game = testenv::MakeDir("replay-drop");
  testenv::WriteFile(game + "/game.ZORAX", std::string("\x07\0\0\0", 4));
  CurrentRun().Options.ReplayFile = "run.zrp";
  StartGameDrops();
  SDL_Event event{};
  event.type = SDL_DROPFILE;
  event.drop.file = SDL_strdup(game.c_str());
  EXPECT_TRUE(OfferHostEvent(event));
  EXPECT_NE(testenv::ReadErrorLog().find("Drop ignored while a replay plays: " + game),
            std::string::npos)
      << testenv::ReadErrorLog();
}

}  // namespace
