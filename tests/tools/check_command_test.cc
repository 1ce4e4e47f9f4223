// zorax-tool check run as an author runs it: a report on stdout, exit 0 for a
// file the player can run, 1 for one it would stop at, 2 for wrong arguments.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "game/game_file_writer.h"
#include "game/palette.h"
#include "tests/support/test_env.h"

namespace {

struct Outcome {
  int Exit = -1;
  std::string Out;
  std::string Err;
};

Outcome Check(const std::vector<std::string>& args) {
  const std::string folder = testenv::TempDir();
  std::vector<std::string> line = {testenv::Program("zorax-tool"), "check"};
  line.insert(line.end(), args.begin(), args.end());
  const int exit = testenv::RunProgram(line, folder + "/out", folder + "/err");
  return {exit, testenv::ProgramOutput(folder + "/out"), testenv::ProgramOutput(folder + "/err")};
}

std::string GameFile(const std::string& name, const GameRecord& game, int32_t version) {
  std::string bytes;
  std::string error;
  EXPECT_TRUE(WriteGameFile(game, version, bytes, error)) << error;
  const std::string path = testenv::TempDir() + "/" + name;
  testenv::WriteFile(path, bytes);
  return path;
}

GameRecord Playable() {
  GameRecord game;
  for (ImageRecord& image : game.Tiles) {
    image.Pixels.Dimension(2, 2);
    for (int32_t& pixel : image.Pixels) pixel = kPalette[1];
  }
  game.Animations.Dimension(8);  // a group for each player
  game.Levels[0].Waves.Dimension(3);
  return game;
}

TEST(CheckCommand, ReportsCountsAndExitsZeroForAPlayableFile) {
  const Outcome ok = Check({GameFile("good.ZORAX", Playable(), 6)});
  EXPECT_EQ(ok.Exit, 0) << ok.Out << ok.Err;
  EXPECT_NE(ok.Out.find("good.ZORAX: version 6\n"), std::string::npos) << ok.Out;
  EXPECT_NE(ok.Out.find("sprite images 20, tile images 2, animations 12, levels 1, waves 3, "
                        "enemies 3, players 2"),
            std::string::npos)
      << ok.Out;
  EXPECT_NE(ok.Out.find("0 errors, 0 warnings"), std::string::npos) << ok.Out;
}

TEST(CheckCommand, ExitsOneWithALinePerProblem) {
  GameRecord game = Playable();
  game.Tiles[1].Pixels.Dimension(3, 2);
  game.Sprites[4].Pixels.Dimension(1, 2);
  const std::string path = GameFile("bad.ZORAX", game, 7);
  const Outcome bad = Check({path});
  EXPECT_EQ(bad.Exit, 1);
  EXPECT_NE(bad.Out.find("error: tile image 1 is 3 wide but 2 tall"), std::string::npos) << bad.Out;
  EXPECT_NE(bad.Out.find("warning: sprite image 4 is 1 wide and 2 tall"), std::string::npos)
      << bad.Out;
  EXPECT_NE(bad.Out.find("1 error, 1 warning"), std::string::npos) << bad.Out;

  const std::string bytes = testenv::ReadFile(path);
  testenv::WriteFile(path, bytes.substr(0, bytes.size() / 2));
  const Outcome cut = Check({path});
  EXPECT_EQ(cut.Exit, 1);
  EXPECT_NE(cut.Out.find("error: the file ends at byte " + std::to_string(bytes.size() / 2)),
            std::string::npos)
      << cut.Out;

  const Outcome missing = Check({testenv::TempDir() + "/none.ZORAX"});
  EXPECT_EQ(missing.Exit, 1);
  EXPECT_NE(missing.Out.find("error: cannot read"), std::string::npos) << missing.Out;
}

TEST(CheckCommand, WrongArgumentsExitTwo) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, std::vector<std::string>{"a", "b"}}) {
    const Outcome wrong = Check(args);
    EXPECT_EQ(wrong.Exit, 2);
    EXPECT_NE(wrong.Err.find("zorax-tool check:"), std::string::npos) << wrong.Err;
  }
  const Outcome help = Check({"--help"});
  EXPECT_EQ(help.Exit, 0);
  EXPECT_EQ(help.Out.rfind("usage: zorax-tool check FILE", 0), 0u) << help.Out;
}

}  // namespace
