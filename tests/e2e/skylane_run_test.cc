// The shipped programs, run as a user runs them: each in a fresh empty folder,
// as a separate process, headless, under a run script (ZORAX_SCRIPT) with no
// waiting between frames. Screenshots are compared with the references in
// tests/e2e/reference/ within a tolerance, and the run's log is read.
//
// To regenerate the references after an intended change of the pictures:
//   ZORAX_UPDATE_REFERENCES=1 ctest --test-dir build -R e2e
// (or run build/bin/e2e_tests with the variable and the test environment);
// the tests then copy their screenshots over tests/e2e/reference/ and fail,
// so that an update is never mistaken for a pass. Look at the new pictures
// before committing them.
#include <gtest/gtest.h>

#include <filesystem>

#include "game/game_file_writer.h"
#include "game/palette.h"
#include "tests/e2e/e2e_support.h"
#include "tests/support/test_env.h"

namespace {

using e2e::Picture;
using e2e::RunRequest;
using e2e::RunResult;

constexpr const char* kSeed = "OMBREL_RANDOM_SEED=7";

std::string ScriptPath(const std::string& name) {
  return testenv::SourceDir() + "/tests/e2e/scripts/" + name;
}

std::string ReferencePath(const std::string& name) {
  return testenv::SourceDir() + "/tests/e2e/reference/" + name;
}

// A scripted run of `program` in the fresh folder `name`, the script copied
// next to it (so that its screenshots land there too).
RunResult RunScripted(const std::string& program, const std::string& name,
                      const std::string& script, std::vector<std::string> files = {}) {
  RunRequest request;
  request.Program = testenv::BinDir() + "/" + program;
  if (!testenv::FileExists(request.Program)) {
    ADD_FAILURE() << request.Program << " is missing: build it first";
    return RunResult{};
  }
  request.Folder = testenv::TempDir() + "/" + name;
  files.push_back(ScriptPath(script));
  request.Files = files;
  request.Env = {kSeed, "ZORAX_SCRIPT=" + request.Folder + "/" + script, "ZORAX_UNPACED=1"};
  return e2e::RunProgram(request);
}

// The start-up stages in their order, each exactly once, and no runtime error.
void ExpectCleanLog(const RunResult& run) {
  const std::vector<std::string> lines = e2e::Lines(run.Log);
  size_t next = 0;
  for (const char* stage :
       {"Init GFX", "Init Input", "Init Sound", "Init Network", "Init Window", "Init Finalized"}) {
    const auto found = std::find(lines.begin() + static_cast<std::ptrdiff_t>(next), lines.end(),
                                 std::string(stage));
    ASSERT_NE(found, lines.end()) << "missing or out of order: " << stage << "\n" << run.Log;
    next = static_cast<size_t>(found - lines.begin()) + 1;
    EXPECT_EQ(std::count(lines.begin(), lines.end(), std::string(stage)), 1) << stage;
  }
  EXPECT_EQ(run.Log.find("Runtime error"), std::string::npos) << run.Log;
  EXPECT_EQ(run.Log.find("screenshot not written"), std::string::npos) << run.Log;
}

void ExpectEndedNormally(const RunResult& run) {
  ASSERT_TRUE(run.Started);
  EXPECT_FALSE(run.TimedOut) << "killed after " << run.Seconds << " s\n" << run.Log;
  EXPECT_TRUE(run.Exited);
  EXPECT_EQ(run.ExitCode, 0) << run.Stderr;
}

Picture Read(const std::string& path) {
  Picture picture;
  EXPECT_TRUE(e2e::ReadPicture(path, picture)) << path;
  return picture;
}

// Checks a screenshot against its reference, or replaces the reference.
void ExpectLikeReference(const std::string& shot, const std::string& name) {
  if (e2e::UpdatingReferences()) {
    std::filesystem::copy_file(shot, ReferencePath(name),
                               std::filesystem::copy_options::overwrite_existing);
    ADD_FAILURE() << "reference " << name << " replaced";
    return;
  }
  ASSERT_TRUE(testenv::FileExists(ReferencePath(name))) << name;
  const e2e::PictureDifference d = e2e::Compare(Read(shot), Read(ReferencePath(name)));
  EXPECT_TRUE(e2e::CloseEnough(d)) << name << ": " << d.Differing << " of " << d.Pixels
                                   << " pixels differ, by up to " << d.Largest;
}

bool Identical(const std::string& a, const std::string& b) {
  const Picture pa = Read(a);
  const Picture pb = Read(b);
  return pa.Width == pb.Width && pa.Height == pb.Height && pa.Rgba == pb.Rgba;
}

const std::vector<std::string> kTourShots = {"title.png", "firing.png", "hit.png",
                                             "title_again.png"};

// ------------------------------------------------------------------ tests

TEST(PictureComparison, SmallDriftPassesAndRealChangesFail) {
  Picture a;
  a.Width = 100;
  a.Height = 100;
  a.Rgba.assign(100 * 100 * 4, 40);
  Picture b = a;
  // Every pixel off by the tolerance: the same picture.
  for (size_t i = 0; i < b.Rgba.size(); i += 4) b.Rgba[i] += e2e::kChannelTolerance;
  EXPECT_TRUE(e2e::CloseEnough(e2e::Compare(a, b)));
  // Twenty pixels far off (0.2 %): still the same; twenty-one: not.
  for (size_t p = 0; p < 20; ++p) b.Rgba[p * 4 * 37 + 2] = 255;
  e2e::PictureDifference d = e2e::Compare(a, b);
  EXPECT_EQ(d.Differing, 20);
  EXPECT_EQ(d.Largest, 215);
  EXPECT_TRUE(e2e::CloseEnough(d));
  b.Rgba[9999 * 4 + 1] = 0;
  EXPECT_FALSE(e2e::CloseEnough(e2e::Compare(a, b)));
  // Alpha is not compared; a different size never matches, nor does nothing.
  Picture c = a;
  for (size_t i = 3; i < c.Rgba.size(); i += 4) c.Rgba[i] = 255;
  EXPECT_EQ(e2e::Compare(a, c).Differing, 0);
  Picture narrower = a;
  narrower.Width = 50;
  narrower.Height = 200;
  EXPECT_FALSE(e2e::CloseEnough(e2e::Compare(a, narrower)));
  EXPECT_FALSE(e2e::CloseEnough(e2e::Compare(Picture{}, Picture{})));
}

// The packed demo: title, both players in, fire, a lost life, Escape to the
// title, Escape to quit. Played twice; both runs show the same pictures.
TEST(SkylaneRun, ATourOfTheDemoMatchesItsReferencesAndRepeatsExactly) {
  const RunResult first = RunScripted("skylane", "tour1", "skylane_tour.txt");
  ExpectEndedNormally(first);
  ExpectCleanLog(first);
  // Escape ended it, not the script's safety end.
  EXPECT_EQ(first.Log.find("Script ended the run"), std::string::npos) << first.Log;
  const std::string folder1 = testenv::TempDir() + "/tour1/";
  for (const std::string& shot : kTourShots) {
    ASSERT_TRUE(testenv::FileExists(folder1 + shot)) << shot;
    ExpectLikeReference(folder1 + shot, shot);
  }
  // Back on the title after Escape, the same title as at the start; and the
  // frames of play differ from each other (the life lost shows).
  EXPECT_TRUE(Identical(folder1 + "title.png", folder1 + "title_again.png"));
  EXPECT_FALSE(
      e2e::CloseEnough(e2e::Compare(Read(folder1 + "firing.png"), Read(folder1 + "hit.png"))));

  const RunResult second = RunScripted("skylane", "tour2", "skylane_tour.txt");
  ExpectEndedNormally(second);
  ExpectCleanLog(second);
  const std::string folder2 = testenv::TempDir() + "/tour2/";
  for (const std::string& shot : kTourShots) {
    EXPECT_TRUE(Identical(folder1 + shot, folder2 + shot)) << shot;
  }
  // Nothing but the script and its screenshots was left in the folder: the
  // player writes only into its temporary folder.
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(folder2)) {
    left.push_back(entry.path().filename().string());
  }
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"firing.png", "hit.png", "skylane", "skylane_tour.txt",
                                            "title.png", "title_again.png", "tmp"}));
}

// The bare player alone in a folder finds no game: "Load Error!" on the
// screen until a mouse click, which ends the program.
TEST(SkylaneRun, TheBarePlayerWithoutAGameShowsLoadErrorAndQuitsOnAClick) {
  const RunResult run = RunScripted("zorax-player", "bare", "load_error.txt");
  ExpectEndedNormally(run);
  ExpectCleanLog(run);
  EXPECT_EQ(run.Log.find("Script ended the run"), std::string::npos) << run.Log;
  const std::string shot = testenv::TempDir() + "/bare/load_error.png";
  ASSERT_TRUE(testenv::FileExists(shot));
  ExpectLikeReference(shot, "load_error.png");
}

// A game.ZORAX next to the packed program is loaded instead of the packed one.
TEST(SkylaneRun, ALooseGameFileWinsOverThePackedOne) {
  GameRecord game;
  game.Sprites.Dimension(1);
  game.Sprites[0].Pixels.Dimension(32, 32);
  for (int32_t& pixel : game.Sprites[0].Pixels) pixel = kPalette[2];
  game.Tiles.Dimension(1);
  game.Tiles[0].Pixels.Dimension(32, 32);
  for (int32_t& pixel : game.Tiles[0].Pixels) pixel = kPalette[24];
  game.Animations.Dimension(8);
  game.Levels.Dimension(1);
  game.Levels[0].Layers[0].Dimension(20, 30);
  game.Levels[0].ScrollMode = 1;
  game.Levels[0].ScrollSpeed = 5;
  game.TitleText = "A LOOSE FILE\nWINS";
  std::string bytes;
  std::string error;
  ASSERT_TRUE(WriteGameFile(game, 7, bytes, error)) << error;
  const std::string staging = testenv::MakeDir("loose_game");
  testenv::WriteFile(staging + "/game.ZORAX", bytes);

  const RunResult run =
      RunScripted("skylane", "loose", "title_only.txt", {staging + "/game.ZORAX"});
  ExpectEndedNormally(run);
  ExpectCleanLog(run);
  const std::string shot = testenv::TempDir() + "/loose/title.png";
  ASSERT_TRUE(testenv::FileExists(shot));
  ExpectLikeReference(shot, "loose_title.png");
  EXPECT_FALSE(e2e::CloseEnough(e2e::Compare(Read(shot), Read(ReferencePath("title.png")))));
}

}  // namespace
