// The forms of PATH the player takes that only POSIX systems have: links,
// pipes and devices, names that differ only in case, and permissions.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "player/open/game_locator.h"
#include "tests/support/test_env.h"

namespace {

using testenv::WriteFile;

const std::string kGameBytes = std::string("\x07\0\0\0", 4) + "rest of a game";

struct PathCase {
  const char* Name;
  std::function<std::string(const std::string& dir)> Make;  // returns the PATH
  // Expected on success:
  const char* Folder;  // "" for dir itself
  const char* GameFile;
  const char* Archive;  // relative to dir; "" for none
  const char* GameName;
  const char* Note = "";  // a fragment of the one note expected, "" for none
};

const PathCase kFound[] = {
    {"FolderExactNameWinsOverCaseVariants",
     [](const std::string& d) {
       WriteFile(d + "/GAME.ZORAX", kGameBytes);
       WriteFile(d + "/game.ZORAX", kGameBytes);
       return d + "/";
     },
     "", "game.ZORAX", "", "game"},
    {"FolderCaseVariantsOnlyFirstInByteOrderWithNote",
     [](const std::string& d) {
       WriteFile(d + "/game.zorax", kGameBytes);
       WriteFile(d + "/GAME.ZORAX", kGameBytes);
       return d;
     },
     "", "GAME.ZORAX", "", "GAME", "playing \"GAME.ZORAX\""},
    {"LinkToGameFileKeepsTheLinksFolder",
     [](const std::string& d) {
       testenv::MakeDir("elsewhere");
       const std::string target = testenv::TempDir() + "/elsewhere/real.zorax";
       WriteFile(target, kGameBytes);
       EXPECT_EQ(symlink(target.c_str(), (d + "/linked.zorax").c_str()), 0);
       return d + "/linked.zorax";
     },
     "", "linked.zorax", "", "linked"},
};

TEST(FoundPathOnPosix, LocatesTheGame) {
  for (const PathCase& c : kFound) {
    SCOPED_TRACE(c.Name);
    const std::string dir = testenv::MakeDir(c.Name);
    const std::string path = c.Make(dir);
    GameLocation where;
    std::string error;
    ASSERT_TRUE(LocateGame(path, where, error)) << error;
    EXPECT_EQ(where.Folder, dir + (c.Folder[0] != '\0' ? std::string("/") + c.Folder : ""));
    EXPECT_EQ(where.GameFile, c.GameFile);
    EXPECT_EQ(where.ArchiveFile, c.Archive[0] != '\0' ? dir + "/" + c.Archive : "");
    EXPECT_EQ(where.Name, c.GameName);
    if (c.Note[0] == '\0') {
      EXPECT_TRUE(where.Notes.empty());
    } else {
      ASSERT_EQ(where.Notes.size(), 1u);
      EXPECT_NE(where.Notes[0].find(c.Note), std::string::npos) << where.Notes[0];
    }
  }
}

struct BadPathCase {
  const char* Name;
  std::function<std::string(const std::string& dir)> Make;
  const char* Reason;  // a fragment of the one-line reason
};

const BadPathCase kBad[] = {
    {"DanglingLink",
     [](const std::string& d) {
       EXPECT_EQ(symlink((d + "/gone").c_str(), (d + "/link.zorax").c_str()), 0);
       return d + "/link.zorax";
     },
     "a link to something that does not exist"},
    {"Fifo",
     [](const std::string& d) {
       EXPECT_EQ(mkfifo((d + "/pipe.zorax").c_str(), 0600), 0);
       return d + "/pipe.zorax";
     },
     "not a game file, folder or program"},
    {"Device", [](const std::string&) { return std::string("/dev/null"); },
     "not a game file, folder or program"},
};

TEST(BadPathOnPosix, IsRefusedWithAReasonNamingThePath) {
  for (const BadPathCase& c : kBad) {
    SCOPED_TRACE(c.Name);
    const std::string dir = testenv::MakeDir(c.Name);
    const std::string path = c.Make(dir);
    GameLocation where;
    std::string error;
    EXPECT_FALSE(LocateGame(path, where, error));
    EXPECT_EQ(error.rfind(path + ": ", 0), 0u) << error;
    EXPECT_NE(error.find(c.Reason), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
  }
}

TEST(BadPath, UnreadableFileAndFolderAreRefused) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  const std::string dir = testenv::MakeDir("unreadable");
  WriteFile(dir + "/locked.zorax", kGameBytes);
  ASSERT_EQ(chmod((dir + "/locked.zorax").c_str(), 0), 0);
  testenv::MakeDir("unreadable/closed");
  ASSERT_EQ(chmod((dir + "/closed").c_str(), 0), 0);
  GameLocation where;
  std::string error;
  EXPECT_FALSE(LocateGame(dir + "/locked.zorax", where, error));
  EXPECT_NE(error.find("cannot be read"), std::string::npos) << error;
  EXPECT_FALSE(LocateGame(dir + "/closed", where, error));
  EXPECT_NE(error.find("cannot be read"), std::string::npos) << error;
}

}  // namespace
