// The line file: numbered lines read and replaced, selection by exact path,
// write-back with CR LF, and the errors it records without ending the program.
#include "runtime/files/line_file.h"

#include "runtime/files/archive.h"
#include "tests/files/files_test_support.h"

namespace {

class LineFileTest : public InFreshFolder {
 protected:
  void SetUp() override {
    InFreshFolder::SetUp();
    SetRuntimeError(0);
  }
  void TearDown() override { TheLineFile() = LineFile{}; }
};

TEST_F(LineFileTest, LinesReadWithoutTheirEnds) {
  testenv::WriteFile("l.txt", "first\r\n  12.5\t\r\n\r\n-42xyz\nlast");
  EXPECT_EQ(LineGetText(RtString("l.txt"), 0).Std(), "first");
  EXPECT_EQ(LineGetText(RtString("l.txt"), 1).Std(), "  12.5");
  EXPECT_EQ(LineGetReal(RtString("l.txt"), 1), 12.5);
  EXPECT_EQ(LineGetText(RtString("l.txt"), 2).Std(), "NO_DATA");
  EXPECT_EQ(LineGetInteger(RtString("l.txt"), 3), -42);
  EXPECT_EQ(LineGetText(RtString("l.txt"), 4).Std(), "last");
  EXPECT_EQ(LineGetText(RtString("l.txt"), 5).Std(), "NO_DATA");
  EXPECT_EQ(TheLineFile().LastLine, 4);
  EXPECT_EQ(RuntimeErrors().ErrorCode, 0);
}

TEST_F(LineFileTest, LineNumbersOutsideTheFileRecordErrorSevenAndGoOn) {
  testenv::WriteFile("l.txt", "a\n");
  EXPECT_EQ(LineGetText(RtString("l.txt"), 300).Std(), "NO_DATA");
  EXPECT_EQ(RuntimeErrors().ErrorCode, 7);
  SetRuntimeError(0);
  EXPECT_EQ(LineGetText(RtString("l.txt"), -1).Std(), "NO_DATA");
  EXPECT_EQ(RuntimeErrors().ErrorCode, 7);
  SetRuntimeError(0);
  LinePutText(RtString("l.txt"), 256, RtString("x"));
  EXPECT_EQ(RuntimeErrors().ErrorCode, 7);
  EXPECT_FALSE(TheLineFile().Dirty);
}

TEST_F(LineFileTest, MissingFileRecordsErrorThreeOnce) {
  EXPECT_EQ(LineGetText(RtString("none.txt"), 0).Std(), "NO_FILE");
  EXPECT_EQ(RuntimeErrors().ErrorCode, 3);
  // The path stays selected: the next call finds an empty file in memory.
  SetRuntimeError(0);
  EXPECT_EQ(LineGetText(RtString("none.txt"), 0).Std(), "NO_DATA");
  EXPECT_EQ(RuntimeErrors().ErrorCode, 0);
}

TEST_F(LineFileTest, PutIntoANewFileWritesItOnTheNextSelection) {
  LinePutText(RtString("new.txt"), 5, RtString("six"));
  LinePutReal(RtString("new.txt"), 2, 0.5);
  EXPECT_FALSE(testenv::FileExists("new.txt"));
  EXPECT_EQ(LineGetText(RtString("new.txt"), 5).Std(), "six");
  testenv::WriteFile("other.txt", "x");
  LineGetText(RtString("other.txt"), 0);
  EXPECT_EQ(testenv::ReadFile("new.txt"), "\r\n\r\n0.5\r\n\r\n\r\nsix\r\n");
}

TEST_F(LineFileTest, SamePathIsNotReadAgain) {
  testenv::WriteFile("l.txt", "before\n");
  EXPECT_EQ(LineGetText(RtString("l.txt"), 0).Std(), "before");
  testenv::WriteFile("l.txt", "after\n");
  EXPECT_EQ(LineGetText(RtString("l.txt"), 0).Std(), "before");
  // Another spelling of the path is another selection.
  EXPECT_EQ(LineGetText(RtString("./l.txt"), 0).Std(), "after");
}

TEST_F(LineFileTest, OnlyTheFirst256LinesOfAtMost1023BytesCount) {
  std::string text = std::string(2000, 'a') + "\n";
  for (int i = 0; i < 300; ++i) text += std::to_string(i) + "\n";
  testenv::WriteFile("big.txt", text);
  EXPECT_EQ(LineGetText(RtString("big.txt"), 0).Length(), 1023u);
  EXPECT_EQ(LineGetText(RtString("big.txt"), 1).Length(), 976u);
  EXPECT_EQ(LineGetText(RtString("big.txt"), 2).Std(), "0");
  EXPECT_EQ(LineGetText(RtString("big.txt"), 255).Std(), "253");
  EXPECT_EQ(TheLineFile().LastLine, 255);
  LinePutText(RtString("big.txt"), 0, RtString(std::string(1500, 'b')));
  EXPECT_EQ(LineGetText(RtString("big.txt"), 0).Length(), 1023u);
}

// A line of the longest length, written back with its CR LF, must read back
// as one line: the line end right behind a full piece belongs to that piece,
// so the lines behind it keep their numbers.
TEST_F(LineFileTest, LongestLinesReadBackWithTheirNumbers) {
  const std::string longest(1023, 'q');
  testenv::WriteFile("long.txt", longest + "\r\n" + std::string(1024, 'r') + "\nafter\r\n");
  EXPECT_EQ(LineGetText(RtString("long.txt"), 0).Std(), longest);
  EXPECT_EQ(LineGetText(RtString("long.txt"), 1).Length(), 1023u);
  EXPECT_EQ(LineGetText(RtString("long.txt"), 2).Std(), "after");
  EXPECT_EQ(TheLineFile().LastLine, 2);

  LinePutText(RtString("long.txt"), 3, RtString("fourth"));
  LineGetText(RtString("elsewhere.txt"), 0);  // writes long.txt back
  SetRuntimeError(0);
  EXPECT_EQ(LineGetText(RtString("long.txt"), 0).Std(), longest);
  EXPECT_EQ(LineGetText(RtString("long.txt"), 2).Std(), "after");
  EXPECT_EQ(LineGetText(RtString("long.txt"), 3).Std(), "fourth");
  EXPECT_EQ(LineGetText(RtString("long.txt"), 4).Std(), "NO_DATA");
  EXPECT_EQ(TheLineFile().LastLine, 3);
}

TEST_F(LineFileTest, ProgramEndWritesTheChangedFileBack) {
  testenv::WriteFile("l.txt", "one\ntwo\n");
  EXPECT_PROGRAM_END({
    LinePutText(RtString("l.txt"), 1, RtString("TWO"));
    EndProgramNormally();
  });
  EXPECT_EQ(testenv::ReadFile("l.txt"), "one\r\nTWO\r\n");
}

}  // namespace
