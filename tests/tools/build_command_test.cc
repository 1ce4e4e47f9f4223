// zorax-tool build as a user runs it: a good description gives a game file
// and a summary line, a bad one one error line and no file at all (an older
// game file of that name survives), and --preview draws the pictures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "game/game_file_writer.h"
#include "tests/support/test_env.h"
#include "tests/tools/description_test_support.h"

namespace {

struct Outcome {
  int Exit = -1;
  std::string Out, Err;
};

Outcome Tool(const std::string& folder, const std::string& args) {
  Outcome run;
  run.Exit = testenv::RunProgram(testenv::Words(testenv::Program("zorax-tool") + " " + args),
                                 folder + "/out.txt", folder + "/err.txt");
  run.Out = testenv::ProgramOutput(folder + "/out.txt");
  run.Err = testenv::ProgramOutput(folder + "/err.txt");
  return run;
}

TEST(BuildCommand, WritesTheGameFileTheWriterMakes) {
  const std::string folder = descriptiontest::Folder();
  const std::string path =
      descriptiontest::Write(folder, "game.json", descriptiontest::Game("\"version\": 5"));
  const Outcome run =
      Tool(folder, "build " + path + " -o " + folder + "/game.ZORAX --preview " + folder);
  ASSERT_EQ(run.Exit, 0) << run.Err;
  EXPECT_NE(run.Out.find("game.ZORAX: version 5, 2 sprites, 2 tiles"), std::string::npos)
      << run.Out;

  const GameDescription description = descriptiontest::Read(path);
  std::string expected, error;
  ASSERT_TRUE(WriteGameFile(description.Game, 5, expected, error)) << error;
  EXPECT_EQ(testenv::ReadFile(folder + "/game.ZORAX"), expected);
  for (const char* picture : {"sprites.png", "tiles.png", "level-1.png"}) {
    EXPECT_EQ(testenv::ReadFile(folder + "/" + picture).substr(1, 3), "PNG") << picture;
  }
}

TEST(BuildCommand, ABadDescriptionLeavesTheOldGameFileAlone) {
  const std::string folder = descriptiontest::Folder();
  testenv::WriteFile(folder + "/game.ZORAX", "old game");
  const std::string path = descriptiontest::Write(
      folder, "game.json",
      descriptiontest::Replace(descriptiontest::Game(""), "\"lives\": 2", "\"lives\": 0"));
  const Outcome run = Tool(folder, "build " + path + " -o " + folder + "/game.ZORAX");
  EXPECT_EQ(run.Exit, 1);
  EXPECT_EQ(run.Err, "zorax-tool build: " + path + ": /players/0/lives: 0 is outside 1 to 127\n");
  EXPECT_EQ(testenv::ReadFile(folder + "/game.ZORAX"), "old game");

  // What only the writer can refuse is reported too, with the description's name.
  const std::string old = descriptiontest::Write(
      folder, "old.json",
      descriptiontest::Replace(descriptiontest::Game(R"("version": 3, "sounds": {"s": 1})"),
                               "\"bullet\": \"shot\"",
                               "\"bullet\": {\"frames\": \"shot\", \"sound\": \"s\"}"));
  const Outcome writer = Tool(folder, "build " + old + " -o " + folder + "/game.ZORAX");
  EXPECT_EQ(writer.Exit, 1);
  EXPECT_NE(writer.Err.find(old + ": animation 3 has a sound, which version 3 files cannot store"),
            std::string::npos)
      << writer.Err;
}

TEST(BuildCommand, UsageErrorsExitWithTwo) {
  const std::string folder = descriptiontest::Folder();
  for (const char* args : {"build", "build a.json", "build a.json b.json -o x", "build a.json -o",
                           "build a.json --frobnicate -o x"}) {
    const Outcome run = Tool(folder, args);
    EXPECT_EQ(run.Exit, 2) << args;
    EXPECT_NE(run.Err.find("see 'zorax-tool build --help'"), std::string::npos) << args;
  }
  EXPECT_EQ(Tool(folder, "build --help").Exit, 0);
}

}  // namespace
