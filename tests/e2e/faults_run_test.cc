// The shipped programs where the machine is against them: a private folder
// squatted by someone else's link, the desktop's runtime folder, and a
// scripted run on the "Load Error!" screen. Each run is a separate process,
// headless, in a fresh folder, as in skylane_run_test.cc.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "tests/e2e/e2e_support.h"
#include "tests/support/test_env.h"

namespace {

namespace fs = std::filesystem;
using e2e::RunRequest;
using e2e::RunResult;

const std::string kUser = std::to_string(getuid());

std::string ScriptPath(const std::string& name) {
  return testenv::SourceDir() + "/tests/e2e/scripts/" + name;
}

std::string ReferencePath(const std::string& name) {
  return testenv::SourceDir() + "/tests/e2e/reference/" + name;
}

RunRequest Scripted(const std::string& program, const std::string& name,
                    const std::string& scriptFile) {
  RunRequest request;
  request.Program = testenv::BinDir() + "/" + program;
  request.Folder = testenv::TempDir() + "/" + name;
  request.Files = {scriptFile};
  request.Env = {"OMBREL_RANDOM_SEED=7",
                 "ZORAX_SCRIPT=" + request.Folder + "/" + fs::path(scriptFile).filename().string(),
                 "ZORAX_UNPACED=1"};
  return request;
}

void ExpectEndedNormally(const RunResult& run) {
  ASSERT_TRUE(run.Started);
  EXPECT_FALSE(run.TimedOut) << "killed after " << run.Seconds << " s\n" << run.Stderr;
  EXPECT_TRUE(run.Exited);
  EXPECT_EQ(run.ExitCode, 0) << run.Stderr;
}

// Every start-up stage once and in order, no runtime error, in a log's text.
void ExpectStartupStages(const std::string& log) {
  const std::vector<std::string> lines = e2e::Lines(log);
  auto next = lines.begin();
  for (const char* stage :
       {"Init GFX", "Init Input", "Init Sound", "Init Network", "Init Window", "Init Finalized"}) {
    next = std::find(next, lines.end(), std::string(stage));
    ASSERT_NE(next, lines.end()) << "missing or out of order: " << stage << "\n" << log;
    EXPECT_EQ(std::count(lines.begin(), lines.end(), std::string(stage)), 1) << stage;
  }
  EXPECT_EQ(log.find("Runtime error"), std::string::npos) << log;
  EXPECT_EQ(log.find("not written"), std::string::npos) << log;
}

void ExpectLikeReference(const std::string& shot, const std::string& name) {
  e2e::Picture got;
  e2e::Picture want;
  ASSERT_TRUE(e2e::ReadPicture(shot, got)) << shot;
  ASSERT_TRUE(e2e::ReadPicture(ReferencePath(name), want)) << name;
  const e2e::PictureDifference d = e2e::Compare(got, want);
  EXPECT_TRUE(e2e::CloseEnough(d)) << name << ": " << d.Differing << " of " << d.Pixels
                                   << " pixels differ, by up to " << d.Largest;
}

// Someone else got to /tmp/ombrel-<uid> first with a link to a folder of
// theirs. The packed game still unpacks (into memory), plays its title and
// a level exactly as it does with a folder, and nothing lands in theirs.
TEST(FaultsRun, APackedGamePlaysWithItsPrivateFolderSquatted) {
  const std::string squatBase = testenv::MakeDir("squat_tmp");
  const std::string theirs = testenv::MakeDir("theirs");
  ASSERT_EQ(symlink(theirs.c_str(), (squatBase + "/ombrel-" + kUser).c_str()), 0);

  RunRequest request = Scripted("skylane", "squatted", ScriptPath("skylane_tour.txt"));
  request.Env.push_back("TMPDIR=" + squatBase);
  request.Env.push_back("XDG_RUNTIME_DIR=");
  const RunResult run = e2e::RunProgram(request);
  ExpectEndedNormally(run);

  // The reason, once, then the log itself, on stderr.
  const std::string reason = "No private folder: " + squatBase + "/ombrel-" + kUser + " is a link";
  EXPECT_EQ(run.Stderr.rfind(reason, 0), 0u) << run.Stderr;
  size_t said = 0;
  for (size_t at = 0; (at = run.Stderr.find("No private folder", at)) != std::string::npos; ++at) {
    ++said;
  }
  EXPECT_EQ(said, 1u);
  ExpectStartupStages(run.Stderr);

  for (const char* shot : {"title.png", "firing.png", "hit.png", "title_again.png"}) {
    SCOPED_TRACE(shot);
    ExpectLikeReference(request.Folder + "/" + shot, shot);
  }
  EXPECT_TRUE(fs::is_empty(theirs));
}

// With the desktop's runtime folder set, the log is there and nothing is made
// under $TMPDIR.
TEST(FaultsRun, TheRuntimeFolderHoldsTheLogAndTmpdirStaysUntouched) {
  const std::string runtimeDir = testenv::MakeDir("xdg_runtime");
  ASSERT_EQ(chmod(runtimeDir.c_str(), 0700), 0);
  RunRequest request = Scripted("skylane", "xdg", ScriptPath("title_only.txt"));
  request.Env.push_back("XDG_RUNTIME_DIR=" + runtimeDir);
  const RunResult run = e2e::RunProgram(request);
  ExpectEndedNormally(run);

  ExpectStartupStages(testenv::ReadFile(runtimeDir + "/ombrel/ErrorLog.txt"));
  EXPECT_FALSE(fs::exists(request.Folder + "/tmp/ombrel-" + kUser));
  EXPECT_EQ(run.Stderr, "");
  ExpectLikeReference(request.Folder + "/title.png", "title.png");
}

// A scripted run goes on through the "Load Error!" wait: its screenshots and
// its end work there, long after the last frame was presented.
TEST(FaultsRun, AScriptRunsOnThroughTheLoadErrorWait) {
  const std::string script = testenv::MakeDir("load_error_script") + "/late.txt";
  testenv::WriteFile(script,
                     "# No game next to the bare player: \"Load Error!\" from frame 1 on.\n"
                     "30 screenshot late.png\n"
                     "+30 end\n");
  const RunResult run = e2e::RunProgram(Scripted("zorax-player", "load_error_late", script));
  ExpectEndedNormally(run);
  EXPECT_NE(run.Log.find("Script ended the run at frame 60"), std::string::npos) << run.Log;
  ExpectLikeReference(testenv::TempDir() + "/load_error_late/late.png", "load_error.png");
}

}  // namespace
