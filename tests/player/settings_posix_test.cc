// The settings and replay folders as POSIX systems have them: the XDG
// variables, links, pipes and permission bits.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "player/replays/replay_store.h"
#include "player/settings/settings.h"
#include "player/settings/settings_store.h"
#include "tests/support/test_env.h"

namespace {

TEST(SettingsFile, PipesAndDanglingLinksAreRefusedAtOnce) {
  const std::string folder = testenv::MakeDir("unusable");
  const std::string fifo = folder + "/a-pipe";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string dangling = folder + "/a-link";
  ASSERT_EQ(symlink((folder + "/nowhere").c_str(), dangling.c_str()), 0);
  const struct {
    std::string Path;
    const char* Message;
  } places[] = {{fifo, "is not a regular file"}, {dangling, "link to nothing"}};
  for (const auto& place : places) {
    const auto start = std::chrono::steady_clock::now();
    SettingsFile file;
    LoadSettingsFile(place.Path, file);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    ASSERT_EQ(file.Problems.size(), 1u) << place.Path;
    EXPECT_NE(file.Problems[0].find(place.Message), std::string::npos) << file.Problems[0];
    EXPECT_FALSE(file.Usable);
  }
}

TEST(SettingsFile, ALinkedFileIsWrittenThroughItsLink) {
  const std::string folder = testenv::MakeDir("linked");
  testenv::WriteFile(folder + "/real.ini", "[audio]\nvolume=40\n");
  ASSERT_EQ(symlink("real.ini", (folder + "/settings.ini").c_str()), 0);
  SettingsFile file;
  LoadSettingsFile(folder + "/settings.ini", file);
  ASSERT_EQ(file.Values.Audio.Volume, 40);
  PlayerSettings changed = file.Values;
  changed.Audio.Volume = 60;
  std::string problem;
  ASSERT_TRUE(SaveSettingsFile(file, changed, problem)) << problem;
  struct stat info {};
  ASSERT_EQ(lstat((folder + "/settings.ini").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(testenv::ReadFile(folder + "/real.ini"), "[audio]\r\nvolume=60\r\n");
}

TEST(SettingsFile, TheFolderFollowsXdgConfigHomeThenHome) {
  setenv("XDG_CONFIG_HOME", "/cfg", 1);
  setenv("HOME", "/home/someone", 1);
  EXPECT_EQ(SettingsFolder(), "/cfg/zorax");
  setenv("XDG_CONFIG_HOME", "relative/cfg", 1);  // not absolute: ignored
  EXPECT_EQ(SettingsFolder(), "/home/someone/.config/zorax");
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(SettingsFolder(), "/home/someone/.config/zorax");
  // Without HOME, the home folder of the user's account.
  unsetenv("HOME");
  const std::string folder = SettingsFolder();
  EXPECT_EQ(folder.front(), '/');
  EXPECT_EQ(folder.substr(folder.size() - 14), "/.config/zorax") << folder;
}

TEST(ReplayStore, TheFolderFollowsTheDataHomeOrHome) {
  setenv("XDG_DATA_HOME", "/data/home", 1);
  setenv("HOME", "/home/player", 1);
  EXPECT_EQ(ReplayFolder(), "/data/home/zorax/replays");
  // A relative data home is no data home.
  setenv("XDG_DATA_HOME", "relative/place", 1);
  EXPECT_EQ(ReplayFolder(), "/home/player/.local/share/zorax/replays");
  unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(ReplayFolder(), "/home/player/.local/share/zorax/replays");
  // Without HOME, the account's home folder.
  unsetenv("HOME");
  const passwd* account = getpwuid(getuid());
  ASSERT_NE(account, nullptr);
  EXPECT_EQ(ReplayFolder(), std::string(account->pw_dir) + "/.local/share/zorax/replays");
}

TEST(ReplayStore, TheReplayFolderIsMadePrivate) {
  const std::string folder = testenv::MakeDir("store") + "/data/zorax/replays";
  ReplayFile replay;
  replay.GameName = "sky";
  replay.StartTime = 1700000000;
  std::string path;
  std::string error;
  ASSERT_TRUE(SaveReplay(folder, replay, 50, path, error)) << error;
  struct stat info {};
  ASSERT_EQ(stat(folder.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
}

}  // namespace
