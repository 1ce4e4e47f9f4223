// The replay folder: where it is, what the files are called, and that only
// the newest 50 of a game stay, whatever else lies in the folder.
#include "player/replays/replay_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "runtime/core/system.h"
#include "tests/support/test_env.h"

namespace {

ReplayFile Game(const std::string& name, int64_t start) {
  ReplayFile replay;
  replay.GameName = name;
  replay.StartTime = start;
  replay.UtcOffset = 0;
  return replay;
}

}  // namespace

TEST(ReplayStore, NamesComeFromTheGameAndTheLocalStartTime) {
  EXPECT_EQ(ReplayGameName("skylane"), "skylane");
  EXPECT_EQ(ReplayGameName("my shooter/2"), "my_shooter_2");
  EXPECT_EQ(ReplayGameName("..hidden"), "_.hidden");
  EXPECT_EQ(ReplayGameName(""), "game");
  EXPECT_EQ(ReplayGameName(std::string(200, 'x')).size(), 64u);
  // 2023-11-14 22:13:20 UTC, seen from UTC+2 and from UTC-5.
  EXPECT_EQ(ReplayFileName("skylane", 1700000000, 7200), "skylane-20231115-001320.zrp");
  EXPECT_EQ(ReplayFileName("skylane", 1700000000, -5 * 3600), "skylane-20231114-171320.zrp");
}

TEST(ReplayStore, SavingCreatesTheFolderAndNeverReplacesAFile) {
  const std::string folder = testenv::MakeDir("store") + "/data/zorax/replays";
  std::string path;
  std::string error;
  ASSERT_TRUE(SaveReplay(folder, Game("sky", 1700000000), 50, path, error)) << error;
  EXPECT_EQ(path, folder + "/sky-20231114-221320.zrp");
  // A second game started in the same second gets its own file.
  ASSERT_TRUE(SaveReplay(folder, Game("sky", 1700000000), 50, path, error)) << error;
  EXPECT_EQ(path, folder + "/sky-20231114-221320-2.zrp");
  ReplayFile back;
  ASSERT_TRUE(DecodeReplay(testenv::ReadFile(path), back, error)) << error;
  EXPECT_EQ(back.GameName, "sky");

  EXPECT_FALSE(SaveReplay("", Game("sky", 1), 50, path, error));
  EXPECT_NE(error.find("no folder for replays"), std::string::npos) << error;
  // A file where the folder should be: the replay is lost, with a reason.
  const std::string blocked = testenv::MakeDir("blocked");
  testenv::WriteFile(blocked + "/zorax", "not a folder");
  EXPECT_FALSE(SaveReplay(blocked + "/zorax/replays", Game("sky", 1), 50, path, error));
  EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
}

// Keep-newest-50: 60 games of one game, saved out of order, a few of another
// game whose name starts the same, and files that merely look alike.
TEST(ReplayStore, OnlyTheNewestFiftyOfAGameStay) {
  const std::string folder = testenv::MakeDir("rotation");
  std::string path;
  std::string error;
  for (int i = 0; i < 60; ++i) {
    const int64_t start = 1700000000 + ((i * 37) % 60) * 3600;  // every hour once, shuffled
    ASSERT_TRUE(SaveReplay(folder, Game("sky", start), 50, path, error)) << error;
  }
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(SaveReplay(folder, Game("skylane", 1600000000 + i), 50, path, error)) << error;
  }
  // Not ours: another program's files, a folder, names of another shape.
  for (const char* other : {"sky-notes.txt", "sky-20000101-000000.zrp.bak", "sky-2000-01-01.zrp",
                            "sky-20000101-000000-x.zrp"}) {
    testenv::WriteFile(folder + "/" + other, "keep me");
  }
  MakeFolder(folder + "/sky-19990101-000000.zrp", 0755);

  ASSERT_TRUE(SaveReplay(folder, Game("sky", 1800000000), 50, path, error)) << error;
  std::vector<std::string> sky;
  for (const std::string& name : testenv::FolderEntries(folder)) {
    if (name.rfind("sky-2", 0) == 0 && name.size() == 23) sky.push_back(name);
  }
  ASSERT_EQ(sky.size(), 50u);
  // The 11 oldest hours are gone; the newest, just saved, is there.
  EXPECT_EQ(sky.front(), ReplayFileName("sky", 1700000000 + 11 * 3600, 0));
  EXPECT_EQ(sky.back(), ReplayFileName("sky", 1800000000, 0));
  for (const char* kept :
       {"skylane-20200913-122640.zrp", "sky-notes.txt", "sky-20000101-000000.zrp.bak",
        "sky-2000-01-01.zrp", "sky-20000101-000000-x.zrp", "sky-19990101-000000.zrp"}) {
    EXPECT_TRUE(testenv::FileExists(folder + "/" + kept)) << kept;
  }

  // Same-second files count after the plain one of that second.
  const std::string same = testenv::MakeDir("same_second");
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(SaveReplay(same, Game("g", 1700000000), 50, path, error)) << error;
  }
  const std::vector<std::string> deleted = KeepNewestReplays(same, "g", 2);
  EXPECT_EQ(deleted,
            (std::vector<std::string>{"g-20231114-221320.zrp", "g-20231114-221320-2.zrp"}));
  EXPECT_EQ(testenv::FolderEntries(same),
            (std::vector<std::string>{"g-20231114-221320-3.zrp", "g-20231114-221320-4.zrp"}));
}
