// Where the runtime keeps its log and unpacked members: the desktop's runtime
// folder first, then one under $TMPDIR, each refused for every way another
// user could have a hand in it; and the log on stderr when none is usable.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "runtime/core/program_end.h"
#include "runtime/core/system.h"
#include "tests/support/test_env.h"

namespace {

namespace fs = std::filesystem;
using Check = FolderCheck;

const std::string kUser = std::to_string(getuid());

// What stands where a folder is looked for.
enum class Place { kNothing, kPrivate, kOpen, kFile, kLink, kOthers };

// Puts it there; false when that needs root and the test is not.
bool Make(Place place, const std::string& path) {
  switch (place) {
    case Place::kNothing:
      return true;
    case Place::kPrivate:
      fs::create_directories(path);
      return chmod(path.c_str(), 0700) == 0;
    case Place::kOpen:
      fs::create_directories(path);
      return chmod(path.c_str(), 0750) == 0;
    case Place::kFile:
      testenv::WriteFile(path, "x");
      return true;
    case Place::kLink:
      fs::create_directories(path + ".target");
      return symlink((path + ".target").c_str(), path.c_str()) == 0;
    case Place::kOthers:
      fs::create_directories(path);
      return chmod(path.c_str(), 0700) == 0 && getuid() == 0 &&
             lchown(path.c_str(), 65534, 65534) == 0;
  }
  return false;
}

struct Setting {
  const char* Name;
  const char* RuntimeDir;  // XDG_RUNTIME_DIR below the case's folder; nullptr: unset
  Place AtRuntimeDir;
  Place AtRuntimeOmbrel;  // at $XDG_RUNTIME_DIR/ombrel
  const char* TempDir;    // TMPDIR below the case's folder
  Place AtTempOmbrel;     // at $TMPDIR/ombrel-<uid>
  const char* Chosen;     // the folder taken, below the case's folder; "" for none
  std::vector<Check> Refused;
};

const Setting kSettings[] = {
    {"no runtime folder",
     nullptr,
     Place::kNothing,
     Place::kNothing,
     "tmp",
     Place::kNothing,
     "tmp/ombrel-",
     {}},
    {"private runtime folder",
     "run",
     Place::kPrivate,
     Place::kNothing,
     "tmp",
     Place::kNothing,
     "run/ombrel",
     {}},
    {"runtime folder missing",
     "run",
     Place::kNothing,
     Place::kNothing,
     "tmp",
     Place::kNothing,
     "tmp/ombrel-",
     {Check::kMissing}},
    {"runtime folder open",
     "run",
     Place::kOpen,
     Place::kNothing,
     "tmp",
     Place::kNothing,
     "tmp/ombrel-",
     {Check::kWrongMode}},
    {"runtime folder a file",
     "run",
     Place::kFile,
     Place::kNothing,
     "tmp",
     Place::kNothing,
     "tmp/ombrel-",
     {Check::kNotAFolder}},
    {"runtime folder another's",
     "run",
     Place::kOthers,
     Place::kNothing,
     "tmp",
     Place::kNothing,
     "tmp/ombrel-",
     {Check::kOtherOwner}},
    {"link in the runtime folder",
     "run",
     Place::kPrivate,
     Place::kLink,
     "tmp",
     Place::kNothing,
     "tmp/ombrel-",
     {Check::kLink}},
    {"link in the temporary folder",
     nullptr,
     Place::kNothing,
     Place::kNothing,
     "tmp",
     Place::kLink,
     "",
     {Check::kLink}},
    {"file in the temporary folder",
     nullptr,
     Place::kNothing,
     Place::kNothing,
     "tmp",
     Place::kFile,
     "",
     {Check::kNotAFolder}},
    {"another's in the temporary folder",
     nullptr,
     Place::kNothing,
     Place::kNothing,
     "tmp",
     Place::kOthers,
     "",
     {Check::kOtherOwner}},
    {"open in the temporary folder",
     nullptr,
     Place::kNothing,
     Place::kNothing,
     "tmp",
     Place::kOpen,
     "",
     {Check::kWrongMode}},
    {"relative runtime folder, TMPDIR missing",
     "",
     Place::kNothing,
     Place::kNothing,
     "no/such/tmp",
     Place::kNothing,
     "",
     {Check::kNotAbsolute, Check::kCannotCreate}},
};

TEST(PrivateFolder, ChoiceOrderAndEveryRefusal) {
  int index = 0;
  for (const Setting& s : kSettings) {
    SCOPED_TRACE(s.Name);
    const std::string root = testenv::MakeDir("choice" + std::to_string(index++));
    const std::string run = root + "/" + (s.RuntimeDir != nullptr ? s.RuntimeDir : "");
    const std::string temp = root + "/" + s.TempDir;
    if (std::string(s.TempDir) == "tmp") fs::create_directories(temp);
    if (!Make(s.AtRuntimeDir, run) || !Make(s.AtRuntimeOmbrel, run + "/ombrel") ||
        !Make(s.AtTempOmbrel, temp + "/ombrel-" + kUser)) {
      std::printf("skipped (needs root): %s\n", s.Name);
      continue;
    }
    if (s.RuntimeDir == nullptr) {
      unsetenv("XDG_RUNTIME_DIR");
    } else {
      // "" stands for a relative path.
      setenv("XDG_RUNTIME_DIR", *s.RuntimeDir != '\0' ? run.c_str() : "run/user", 1);
    }
    setenv("TMPDIR", (temp + "/").c_str(), 1);

    const PrivateFolderChoice choice = ChoosePrivateFolder();
    std::string expected = *s.Chosen != '\0' ? root + "/" + s.Chosen : "";
    if (!expected.empty() && expected.back() == '-') expected += kUser;
    EXPECT_EQ(choice.Folder, expected);
    std::vector<Check> refused;
    for (const FolderCandidate& candidate : choice.Refused) refused.push_back(candidate.Check);
    EXPECT_EQ(refused, s.Refused);

    if (!expected.empty()) {
      struct stat info {};
      ASSERT_EQ(lstat(expected.c_str(), &info), 0);
      EXPECT_TRUE(S_ISDIR(info.st_mode));
      EXPECT_EQ(info.st_mode & 0777, 0700u);
    }
    // A usable runtime folder leaves TMPDIR alone; a refused folder is left
    // as it was found, and nothing is made through a link.
    if (expected == run + "/ombrel") {
      EXPECT_FALSE(fs::exists(temp + "/ombrel-" + kUser));
    }
    if (s.AtTempOmbrel == Place::kOpen) {
      EXPECT_EQ(fs::status(temp + "/ombrel-" + kUser).permissions(), fs::perms(0750));
    }
    for (const std::string& target :
         {run + "/ombrel.target", temp + "/ombrel-" + kUser + ".target"}) {
      if (fs::exists(target)) {
        EXPECT_TRUE(fs::is_empty(target)) << target;
      }
    }
  }
}

TEST(PrivateFolder, WithoutOneTheLogGoesToStderrAtOnceAndTheReasonIsSaidOnce) {
  unsetenv("XDG_RUNTIME_DIR");
  const std::string base = testenv::MakeDir("squatted");
  ASSERT_TRUE(Make(Place::kLink, base + "/ombrel-" + kUser));
  setenv("TMPDIR", base.c_str(), 1);

  testing::internal::CaptureStderr();
  const double start = NowMs();
  EXPECT_EQ(PrivateTempFolder(), "");
  AppendErrorLog("Init GFX");
  AppendErrorLog("Init Input");
  const double took = NowMs() - start;
  const std::string said = testing::internal::GetCapturedStderr();

  EXPECT_EQ(said, "No private folder: " + base + "/ombrel-" + kUser +
                      " is a link. Archive members stay in memory and the log goes to "
                      "stderr.\nInit GFX\nInit Input\n");
  EXPECT_LT(took, 100.0) << "no retries: there is no file to wait for";
  EXPECT_TRUE(fs::is_empty(base + "/ombrel-" + kUser + ".target"));
}

// Moved here from the program end tests: the folder and the log as the end
// path meets them, with modes and links.
TEST(PrivateTempFolder, IsCreatedPrivateAndRefusesLinks) {
  const std::string base = testenv::MakeDir("private");
  setenv("TMPDIR", base.c_str(), 1);
  const std::string folder = PrivateTempFolder();
  ASSERT_EQ(folder, base + "/ombrel-" + std::to_string(getuid()));
  struct stat info {};
  ASSERT_EQ(stat(folder.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);

  // A folder that others could enter is refused, not closed again: what they
  // may have left in it would stay.
  chmod(folder.c_str(), 0755);
  EXPECT_EQ(PrivateTempFolder(), "");
  ASSERT_EQ(stat(folder.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0755u);
  chmod(folder.c_str(), 0700);
  EXPECT_EQ(PrivateTempFolder(), folder);

  // Someone else's link in its place is not followed.
  std::filesystem::remove_all(folder);
  const std::string elsewhere = testenv::MakeDir("elsewhere");
  std::filesystem::create_directory_symlink(elsewhere, folder);
  EXPECT_EQ(PrivateTempFolder(), "");
  EXPECT_EQ(ErrorLogPath(), "");
  AppendErrorLog("nowhere");  // gives up without writing through the link
  EXPECT_FALSE(testenv::FileExists(elsewhere + "/ErrorLog.txt"));
}

TEST(PrivateTempFolder, LogDoesNotFollowALinkInItsPlace) {
  const std::string target = testenv::TempDir() + "/victim.txt";
  testenv::WriteFile(target, "precious");
  std::filesystem::create_symlink(target, ErrorLogPath());
  AppendErrorLog("attack");
  EXPECT_EQ(testenv::ReadFile(target), "precious");
}

}  // namespace
