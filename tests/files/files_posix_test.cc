// The files tests that need what only POSIX systems have: links planted by
// others, hard links, permission bits, and resource limits standing in for a
// full disk or a small address space.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>

#include "runtime/core/program_end.h"
#include "runtime/files/archive.h"
#include "runtime/files/channels.h"
#include "runtime/files/directory.h"
#include "runtime/files/file_commands.h"
#include "runtime/files/ini_file.h"
#include "tests/files/archive_fixture.h"
#include "tests/files/files_test_support.h"

namespace {

using FileCommandsTest = InFreshFolder;
using ChannelLimitTest = InFreshFolder;

// Caps this process's address space at 1 GiB (not under AddressSanitizer,
// which reserves far more).
void CapAddressSpace() {
#if !defined(__SANITIZE_ADDRESS__)
  const rlimit limit{rlim_t{1} << 30, rlim_t{1} << 30};
  setrlimit(RLIMIT_AS, &limit);
#endif
}

class IniFilePosixTest : public InFreshFolder {
 protected:
  void TearDown() override {
    IniFile() = IniStore{};
    CloseArchiveReaders();
  }
};

TEST_F(ArchiveTest, LinkPlantedAtTheTemporaryNameIsNotFollowed) {
  Install({{"a.txt", "packed"}});
  const std::string victim = folder_ + "/victim";
  testenv::WriteFile(victim, "keep me");
  RtString output;
  ASSERT_EQ(ResolveMediaPath(MediaArchive(), RtString("a.txt"), output), 1);
  const std::string temporary = output.Std();
  CloseArchiveReaders();
  ASSERT_EQ(symlink(victim.c_str(), temporary.c_str()), 0);

  OpenArchiveReaders(program_);
  ASSERT_EQ(ResolveMediaPath(MediaArchive(), RtString("a.txt"), output), 1);
  EXPECT_EQ(testenv::ReadFile(victim), "keep me");
  struct stat info {};
  ASSERT_EQ(lstat(temporary.c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  EXPECT_EQ(testenv::ReadFile(temporary), "packed");
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

TEST_F(IniFilePosixTest, FailedWriteBackKeepsTheOldFile) {
  testenv::WriteFile("a.ini", "[A]\nk=old\n");
  // The child may write no file larger than 16 bytes, so its write-back fails.
  EXPECT_PROGRAM_END({
    IniOpen(RtString("a.ini"));
    IniPut(RtString("A"), RtString("k"), RtString(std::string(100, 'n')));
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    limit.rlim_cur = limit.rlim_max = 16;
    setrlimit(RLIMIT_FSIZE, &limit);
    IniOpen(RtString("other.ini"));
    EndProgramNormally();
  });
  EXPECT_EQ(testenv::ReadFile("a.ini"), "[A]\nk=old\n");
  // And the attempt left nothing behind.
  size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder_)) ++entries;
  EXPECT_EQ(entries, 1u);
}

TEST_F(IniFilePosixTest, WriteBackKeepsTheFilesMode) {
  testenv::WriteFile("a.ini", "[Video]\nWidth = 640\n");
  chmod("a.ini", 0640);
  IniOpen(RtString("a.ini"));
  IniPut(RtString("Video"), RtString("Height"), RtString("480"));
  IniOpen(RtString("b.ini"));
  EXPECT_EQ(testenv::ReadFile("a.ini"), "[Video]\r\nWidth=640\r\nHeight=480\r\n");
  struct stat info {};
  ASSERT_EQ(stat("a.ini", &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(ChannelLimitTest, AHostileLengthIsRefusedBeforeAnythingIsAllocated) {
  testenv::WriteFile("in.bin", "abc");
  ASSERT_EQ(OpenChannel(0, RtString("in.bin"), 1), 1);
  // With the address space capped, trying to allocate would fail with error
  // 7 instead of the refusal's error 3.
  EXPECT_RUNTIME_ERROR(
      {
        CapAddressSpace();
        RtString text;
        ReadFixedString(0, text, INT32_MAX);
      },
      3);
  CloseAllChannels();
}

}  // namespace
