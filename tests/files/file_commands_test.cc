// Exists, remove, copy (including onto itself), the current folder, listings
// and wildcards.
#include "runtime/files/file_commands.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "runtime/files/directory.h"
#include "tests/files/files_test_support.h"

namespace {

using FileCommandsTest = InFreshFolder;

TEST_F(FileCommandsTest, ExistsLooksAtReadableFilesOnly) {
  testenv::WriteFile("a.txt", "a");
  ASSERT_EQ(mkdir("folder", 0700), 0);
  EXPECT_EQ(FileExists(RtString("a.txt")), 1.0);
  EXPECT_EQ(FileExists(RtString(".\\a.txt")), 1.0);
  EXPECT_EQ(FileExists(RtString("folder")), 0.0);
  EXPECT_EQ(FileExists(RtString("b.txt")), 0.0);
  EXPECT_EQ(FileExists(RtString("")), 0.0);
  EXPECT_EQ(RemoveFile(RtString("a.txt")), 1);
  EXPECT_EQ(RemoveFile(RtString("a.txt")), 0);
  EXPECT_EQ(FileExists(RtString("a.txt")), 0.0);
}

TEST_F(FileCommandsTest, CopyReplacesTheDestination) {
  const std::string bytes = std::string(100000, 'x') + std::string("\0end", 4);
  testenv::WriteFile("src.bin", bytes);
  testenv::WriteFile("dst.bin", "longer old contents that must go entirely away");
  CopyFileTo(RtString("src.bin"), RtString("dst.bin"));
  EXPECT_EQ(testenv::ReadFile("dst.bin"), bytes);
  testenv::WriteFile("empty", "");
  CopyFileTo(RtString("empty"), RtString("dst.bin"));
  EXPECT_EQ(testenv::ReadFile("dst.bin"), "");
  // A missing source leaves everything alone.
  testenv::WriteFile("dst.bin", "kept");
  CopyFileTo(RtString("missing"), RtString("dst.bin"));
  EXPECT_EQ(testenv::ReadFile("dst.bin"), "kept");
}

TEST_F(FileCommandsTest, CopyOntoItselfKeepsTheFile) {
  ASSERT_EQ(mkdir("sub", 0700), 0);
  testenv::WriteFile("sub/same.txt", "precious");
  ASSERT_EQ(symlink("sub/same.txt", "link.txt"), 0);
  ASSERT_EQ(link("sub/same.txt", "hard.txt"), 0);
  ASSERT_EQ(chmod("sub/same.txt", 0640), 0);
  struct stat before {};
  ASSERT_EQ(stat("sub/same.txt", &before), 0);
  CopyFileTo(RtString("sub/same.txt"), RtString("sub/same.txt"));
  CopyFileTo(RtString("sub/same.txt"), RtString("sub/../sub\\same.txt"));
  CopyFileTo(RtString("link.txt"), RtString("sub/same.txt"));
  CopyFileTo(RtString("hard.txt"), RtString("sub/same.txt"));
  EXPECT_EQ(testenv::ReadFile("sub/same.txt"), "precious");
  // Left as it is: the very same file, still shared with its hard link.
  struct stat after {};
  struct stat hard {};
  ASSERT_EQ(stat("sub/same.txt", &after), 0);
  ASSERT_EQ(stat("hard.txt", &hard), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mode & 0777, 0640u);
  EXPECT_EQ(hard.st_ino, before.st_ino);
}

TEST_F(FileCommandsTest, CurrentFolderEndsInOneSlash) {
  EXPECT_EQ(CurrentDirectory().Std(), folder_ + "/");
  ASSERT_EQ(ChangeDirectory(RtString("/")), 1.0);
  EXPECT_EQ(CurrentDirectory().Std(), "/");
  EXPECT_EQ(ChangeDirectory(RtString(folder_.c_str())), 1.0);
  EXPECT_EQ(ChangeDirectory(RtString("no\\such")), 0.0);
  EXPECT_EQ(CurrentDirectory().Std(), folder_ + "/");

  RtString path("a\\b\\c");
  EXPECT_EQ(ToForwardSlashes(path), 5);
  EXPECT_EQ(path.Std(), "a/b/c");
}

TEST_F(FileCommandsTest, ListingPutsFoldersFirstAndFiltersFiles) {
  ASSERT_EQ(mkdir("Levels", 0700), 0);
  ASSERT_EQ(symlink("Levels", "linked"), 0);
  for (const char* name : {"font.BMP", "tiles.bmp", "readme.txt", "bmp"}) {
    testenv::WriteFile(name, "");
  }
  RtArray<RtString> names;
  EXPECT_EQ(ListDirectory(RtString("*.bmp"), names), 4 * 65536.0 + 2);
  ASSERT_EQ(names.DimSize(0), 6);
  std::vector<std::string> folders;
  std::vector<std::string> files;
  for (int i = 0; i < 4; ++i) folders.push_back(names[i].Std());
  for (int i = 4; i < 6; ++i) files.push_back(names[i].Std());
  std::sort(folders.begin(), folders.end());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(folders, (std::vector<std::string>{".", "..", "Levels", "linked"}));
  EXPECT_EQ(files, (std::vector<std::string>{"font.BMP", "tiles.bmp"}));
}

TEST(WildcardTest, StarsQuestionMarksAndCase) {
  struct Case {
    const char* Pattern;
    const char* Name;
    int32_t Match;
  };
  const Case cases[] = {
      {"*.bmp", "FONT.bmp", 1},
      {"*.bmp", "font.BMP", 1},
      {"*.bmp", "font.bmpx", 0},
      {"a?c", "abc", 1},
      {"a?c", "a.c", 0},
      {"a?c", "ac", 0},
      {"**", "", 1},
      {"*", "anything", 1},
      {"", "", 1},
      {"", "a", 0},
      {"a", "", 0},
      {"a*b*c", "aXbYbZc", 1},
      {"a*b*c", "aXbYbZ", 0},
      {"*a", "banana", 1},
      {"*.*", "noext", 0},
      {"*.*", "a.b.c", 1},
      {"?*", ".hidden", 0},
      {"*?", "a.", 0},
      {"*x*", "abc", 0},
      {"A*Z", "abcz", 1},
      {"*?", ".a", 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchWildcard(RtString(c.Pattern), RtString(c.Name)), c.Match)
        << c.Pattern << " vs " << c.Name;
  }
}

}  // namespace
