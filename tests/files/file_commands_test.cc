// Exists, remove, copy (including onto itself), the current folder, listings
// and wildcards.
#include "runtime/files/file_commands.h"

#include <algorithm>

#include "runtime/core/system.h"
#include "runtime/files/directory.h"
#include "tests/files/files_test_support.h"

namespace {

using FileCommandsTest = InFreshFolder;

TEST_F(FileCommandsTest, ExistsLooksAtReadableFilesOnly) {
  testenv::WriteFile("a.txt", "a");
  ASSERT_TRUE(MakeFolder("folder", 0700));
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

TEST_F(FileCommandsTest, CurrentFolderEndsInOneSlash) {
  EXPECT_EQ(CurrentDirectory().Std(), folder_ + "/");
  // The root alone keeps its one slash ("/", or "C:/" on Windows).
  ASSERT_EQ(ChangeDirectory(RtString("/")), 1.0);
  const std::string root = CurrentDirectory().Std();
  EXPECT_TRUE(IsAbsolutePath(root)) << root;
  EXPECT_EQ(PathRootLength(root), root.size()) << root;
  EXPECT_EQ(ChangeDirectory(RtString(folder_.c_str())), 1.0);
  EXPECT_EQ(ChangeDirectory(RtString("no\\such")), 0.0);
  EXPECT_EQ(CurrentDirectory().Std(), folder_ + "/");

  RtString path("a\\b\\c");
  EXPECT_EQ(ToForwardSlashes(path), 5);
  EXPECT_EQ(path.Std(), "a/b/c");
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
