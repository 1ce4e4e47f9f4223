// The safe whole-file writer: a file takes its final name only when complete,
// a failure (here a full disk) changes nothing under that name and leaves no
// temporary file behind, and the create-new placement never replaces a file.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "runtime/core/program_end.h"
#include "runtime/files/file_commands.h"
#include "runtime/files/file_io.h"
#include "tests/files/files_test_support.h"

namespace {

using FileWriteTest = InFreshFolder;

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

// Files may grow to `bytes` only while it lives: a stand-in for a full disk.
// Writing past the limit then fails with EFBIG instead of raising SIGXFSZ.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  }
  ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }

 private:
  rlimit saved_{};
};

TEST_F(FileWriteTest, PlacementsOnFreeAndTakenNames) {
  struct Case {
    const char* Name;
    bool Exists;
    FilePlacement Placement;
    FileWriteStatus Status;
    const char* Left;  // the file's contents afterwards
  };
  const Case cases[] = {
      {"free_replace", false, FilePlacement::kReplace, FileWriteStatus::kWritten, "new"},
      {"taken_replace", true, FilePlacement::kReplace, FileWriteStatus::kWritten, "new"},
      {"free_create", false, FilePlacement::kCreateNew, FileWriteStatus::kWritten, "new"},
      {"taken_create", true, FilePlacement::kCreateNew, FileWriteStatus::kExists, "old contents"},
  };
  const mode_t mask = umask(022);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string path = folder_ + "/" + c.Name;
    if (c.Exists) {
      testenv::WriteFile(path, "old contents");
      ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    }
    const FileWriteResult result = WriteFileAtomically(path, "new", c.Placement);
    EXPECT_EQ(result.Status, c.Status);
    EXPECT_EQ(result.Error, 0);
    EXPECT_EQ(testenv::ReadFile(path), c.Left);
    // A replaced file keeps its permissions; a new one gets the usual ones.
    EXPECT_EQ(ModeOf(path), c.Exists ? 0640u : 0644u);
  }
  umask(mask);
  // No temporary file is left behind by any of them.
  EXPECT_EQ(
      testenv::FolderEntries(folder_),
      (std::vector<std::string>{"free_create", "free_replace", "taken_create", "taken_replace"}));
}

TEST_F(FileWriteTest, AFullDiskKeepsTheOldFileAndLeavesNoTemporary) {
  const std::string path = folder_ + "/settings.ini";
  testenv::WriteFile(path, "old settings");
  DeleteErrorLog();
  FileWriteResult result;
  {
    FileSizeLimit limit(1000);
    result = WriteFileAtomically(path, std::string(5000, 'x'), FilePlacement::kReplace);
  }
  EXPECT_EQ(result.Status, FileWriteStatus::kFailed);
  EXPECT_EQ(result.Error, EFBIG);
  EXPECT_EQ(testenv::ReadFile(path), "old settings");
  EXPECT_EQ(testenv::FolderEntries(folder_), std::vector<std::string>{"settings.ini"});

  LogFileWriteFailure(path, result);
  LogFileWriteFailure(path, FileWriteResult{FileWriteStatus::kExists, 0});
  LogFileWriteFailure(path, FileWriteResult{FileWriteStatus::kWritten, 0});
  EXPECT_EQ(testenv::ReadErrorLog(), "Can't write " + path + ": " + std::strerror(EFBIG) + "\r\n");
}

TEST_F(FileWriteTest, APendingFileIsInvisibleUntilCommittedAndGoneWhenAbandoned) {
  const std::string path = folder_ + "/replay.zrp";
  {
    PendingFile file;
    ASSERT_TRUE(BeginFileWrite(file, path));
    ASSERT_TRUE(WriteToPendingFile(file, "part one,", 9));
    EXPECT_FALSE(testenv::FileExists(path));
    ASSERT_TRUE(WriteToPendingFile(file, " part two", 9));
    EXPECT_EQ(CommitFileWrite(file, FilePlacement::kReplace).Status, FileWriteStatus::kWritten);
  }
  EXPECT_EQ(testenv::ReadFile(path), "part one, part two");
  {
    PendingFile dropped;
    ASSERT_TRUE(BeginFileWrite(dropped, path));
    ASSERT_TRUE(WriteToPendingFile(dropped, "never", 5));
    // Destroyed without a commit.
  }
  {
    PendingFile abandoned;
    ASSERT_TRUE(BeginFileWrite(abandoned, path));
    AbandonFileWrite(abandoned);
    EXPECT_FALSE(WriteToPendingFile(abandoned, "late", 4));
    EXPECT_EQ(CommitFileWrite(abandoned, FilePlacement::kReplace).Status, FileWriteStatus::kFailed);
  }
  EXPECT_EQ(testenv::ReadFile(path), "part one, part two");
  EXPECT_EQ(testenv::FolderEntries(folder_), std::vector<std::string>{"replay.zrp"});
}

TEST_F(FileWriteTest, TwoNewFilesRacingForOneNameNeverOverwriteEachOther) {
  const std::string path = folder_ + "/shot-0001.png";
  PendingFile first;
  PendingFile second;
  ASSERT_TRUE(BeginFileWrite(first, path));
  ASSERT_TRUE(BeginFileWrite(second, path));
  ASSERT_TRUE(WriteToPendingFile(first, "first", 5));
  ASSERT_TRUE(WriteToPendingFile(second, "second", 6));
  EXPECT_EQ(CommitFileWrite(first, FilePlacement::kCreateNew).Status, FileWriteStatus::kWritten);
  EXPECT_EQ(CommitFileWrite(second, FilePlacement::kCreateNew).Status, FileWriteStatus::kExists);
  EXPECT_EQ(testenv::ReadFile(path), "first");
  EXPECT_EQ(testenv::FolderEntries(folder_), std::vector<std::string>{"shot-0001.png"});
}

TEST_F(FileWriteTest, ACopyThatRunsOutOfRoomKeepsTheOldDestination) {
  testenv::WriteFile("big.bin", std::string(20000, 'b'));
  testenv::WriteFile("dst.bin", "old destination");
  DeleteErrorLog();
  {
    FileSizeLimit limit(4096);
    CopyFileTo(RtString("big.bin"), RtString("dst.bin"));
  }
  EXPECT_EQ(testenv::ReadFile("dst.bin"), "old destination");
  EXPECT_EQ(testenv::FolderEntries(folder_), (std::vector<std::string>{"big.bin", "dst.bin"}));
  EXPECT_EQ(testenv::ReadErrorLog(),
            std::string("Can't write dst.bin: ") + std::strerror(EFBIG) + "\r\n");
}

}  // namespace
