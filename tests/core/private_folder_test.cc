// Where the runtime keeps its log and unpacked members: the desktop's runtime
// folder first, then one under $TMPDIR (or /tmp), each refused for every way
// another user could have a hand in it; and the log on stderr when none is
// usable.
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

const std::string kUser = std::to_string(getuid());

// A folder owned by nobody else can only be made by root; elsewhere those
// cases are skipped.
bool GiveAway(const std::string& path) {
  return getuid() == 0 && lchown(path.c_str(), 65534, 65534) == 0;
}

struct Setting {
  const char* Name;
  // Prepares the runtime folder (under `run`) and the temporary base (under
  // `temp`); false skips the case.
  bool (*Prepare)(const std::string& run, const std::string& temp);
  bool SetRuntimeDir;
  const char* Chosen;  // "run" or "temp": whose folder wins
  std::vector<FolderCheck> Refused;
};

bool PrivateRuntimeDir(const std::string& run, const std::string&) {
  fs::create_directories(run);
  return chmod(run.c_str(), 0700) == 0;
}

const Setting kSettings[] = {
    {"no runtime folder",
     [](const std::string&, const std::string&) { return true; },
     false,
     "temp",
     {}},
    {"private runtime folder", PrivateRuntimeDir, true, "run", {}},
    {"runtime folder missing",
     [](const std::string&, const std::string&) { return true; },
     true,
     "temp",
     {FolderCheck::kMissing}},
    {"runtime folder open to others",
     [](const std::string& run, const std::string&) {
       fs::create_directories(run);
       return chmod(run.c_str(), 0755) == 0;
     },
     true,
     "temp",
     {FolderCheck::kWrongMode}},
    {"runtime folder is a file",
     [](const std::string& run, const std::string&) {
       testenv::WriteFile(run, "x");
       return true;
     },
     true,
     "temp",
     {FolderCheck::kNotAFolder}},
    {"runtime folder of another user",
     [](const std::string& run, const std::string& temp) {
       return PrivateRuntimeDir(run, temp) && GiveAway(run);
     },
     true,
     "temp",
     {FolderCheck::kOtherOwner}},
    {"link squatting in the runtime folder",
     [](const std::string& run, const std::string& temp) {
       return PrivateRuntimeDir(run, temp) &&
              symlink((temp + "/..").c_str(), (run + "/ombrel").c_str()) == 0;
     },
     true,
     "temp",
     {FolderCheck::kLink}},
    {"link squatting in the temporary folder",
     [](const std::string&, const std::string& temp) {
       fs::create_directories(temp + "/target");
       return symlink((temp + "/target").c_str(), (temp + "/ombrel-" + kUser).c_str()) == 0;
     },
     false,
     "",
     {FolderCheck::kLink}},
    {"file squatting in the temporary folder",
     [](const std::string&, const std::string& temp) {
       testenv::WriteFile(temp + "/ombrel-" + kUser, "x");
       return true;
     },
     false,
     "",
     {FolderCheck::kNotAFolder}},
    {"temporary folder of another user",
     [](const std::string&, const std::string& temp) {
       fs::create_directories(temp + "/ombrel-" + kUser);
       return GiveAway(temp + "/ombrel-" + kUser);
     },
     false,
     "",
     {FolderCheck::kOtherOwner}},
    {"temporary folder open to others",
     [](const std::string&, const std::string& temp) {
       fs::create_directories(temp + "/ombrel-" + kUser);
       return chmod((temp + "/ombrel-" + kUser).c_str(), 0777) == 0;
     },
     false,
     "",
     {FolderCheck::kWrongMode}},
    {"both refused",
     [](const std::string& run, const std::string& temp) {
       fs::create_directories(run);
       testenv::WriteFile(temp + "/ombrel-" + kUser, "x");
       return chmod(run.c_str(), 0750) == 0;
     },
     true,
     "",
     {FolderCheck::kWrongMode, FolderCheck::kNotAFolder}},
};

TEST(PrivateFolder, ChoiceOrderAndEveryRefusal) {
  int index = 0;
  for (const Setting& setting : kSettings) {
    SCOPED_TRACE(setting.Name);
    const std::string root = testenv::MakeDir("choice" + std::to_string(index++));
    const std::string run = root + "/run";
    const std::string temp = root + "/temp";
    fs::create_directories(temp);
    if (!setting.Prepare(run, temp)) {
      std::printf("skipped (needs root): %s\n", setting.Name);
      continue;
    }
    if (setting.SetRuntimeDir) {
      setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
    } else {
      unsetenv("XDG_RUNTIME_DIR");
    }
    setenv("TMPDIR", (temp + "/").c_str(), 1);

    const PrivateFolderChoice choice = ChoosePrivateFolder();
    const std::string expected = std::string(setting.Chosen) == "run"    ? run + "/ombrel"
                                 : std::string(setting.Chosen) == "temp" ? temp + "/ombrel-" + kUser
                                                                         : "";
    EXPECT_EQ(choice.Folder, expected);
    std::vector<FolderCheck> refused;
    for (const FolderCandidate& candidate : choice.Refused) refused.push_back(candidate.Check);
    EXPECT_EQ(refused, setting.Refused);

    if (!expected.empty()) {
      struct stat info {};
      ASSERT_EQ(lstat(expected.c_str(), &info), 0);
      EXPECT_TRUE(S_ISDIR(info.st_mode));
      EXPECT_EQ(info.st_mode & 0777, 0700u);
    }
    // A usable runtime folder leaves the temporary base alone.
    if (std::string(setting.Chosen) == "run") {
      EXPECT_FALSE(fs::exists(temp + "/ombrel-" + kUser));
    }
    // Nothing was made through a squatting link.
    if (fs::exists(temp + "/target")) {
      EXPECT_TRUE(fs::is_empty(temp + "/target"));
    }
  }
}

TEST(PrivateFolder, RefusalsNameThePathAndTheReason) {
  EXPECT_EQ(DescribeRefusal({"/tmp/ombrel-7", FolderCheck::kLink}), "/tmp/ombrel-7 is a link");
  EXPECT_EQ(DescribeRefusal({"/x", FolderCheck::kWrongMode, 0, 0755}),
            "/x has mode 0755, not 0700");
  EXPECT_EQ(DescribeRefusal({"/x", FolderCheck::kOtherOwner}), "/x belongs to another user");
  EXPECT_EQ(DescribeRefusal({"run", FolderCheck::kNotAbsolute}), "run is not an absolute path");

  // A relative variable is not taken, and a base that cannot hold the folder
  // says what stopped it.
  setenv("XDG_RUNTIME_DIR", "relative/run", 1);
  setenv("TMPDIR", (testenv::TempDir() + "/no/such/base").c_str(), 1);
  const PrivateFolderChoice choice = ChoosePrivateFolder();
  EXPECT_EQ(choice.Folder, "");
  ASSERT_EQ(choice.Refused.size(), 2u);
  EXPECT_EQ(choice.Refused[0].Check, FolderCheck::kNotAbsolute);
  EXPECT_EQ(choice.Refused[1].Check, FolderCheck::kCannotCreate);
  EXPECT_EQ(DescribeRefusal(choice.Refused[1]),
            choice.Refused[1].Path + " cannot be made (No such file or directory)");
}

TEST(PrivateFolder, WithoutOneTheLogGoesToStderrAtOnceAndTheReasonIsSaidOnce) {
  unsetenv("XDG_RUNTIME_DIR");
  const std::string base = testenv::MakeDir("squatted");
  const std::string target = testenv::MakeDir("target");
  ASSERT_EQ(symlink(target.c_str(), (base + "/ombrel-" + kUser).c_str()), 0);
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
  // No retries: there is no file to wait for.
  EXPECT_LT(took, 100.0);
  EXPECT_TRUE(fs::is_empty(target));
}

}  // namespace
