// File channels: byte-exact widths both ways, the line reader and its chunk
// boundaries, positions and seeks, and the two runtime errors.
#include "runtime/files/channels.h"

#include <cmath>
#include <cstdint>

#include "runtime/files/archive.h"
#include "tests/files/archive_fixture.h"
#include "tests/files/files_test_support.h"

namespace {

using Bytes = std::string;

class ChannelTest : public InFreshFolder {
 protected:
  void TearDown() override { CloseAllChannels(); }

  // Opens a file holding bytes on channel 0 for reading.
  void OpenWith(const Bytes& bytes) {
    testenv::WriteFile("in.bin", bytes);
    ASSERT_EQ(OpenChannel(0, RtString("in.bin"), 1), 1);
  }

  // The bytes the writes of body leave in a fresh file.
  template <typename Body>
  Bytes Written(Body body) {
    EXPECT_EQ(OpenChannel(1, RtString("out.bin"), 0), 1);
    body();
    CloseChannel(1);
    return testenv::ReadFile("out.bin");
  }
};

TEST_F(ChannelTest, NarrowReadsExtendSignAsTheirTypeSays) {
  OpenWith(Bytes("\xFF\x01\x80\xFE\xFF\xFE\xFF", 7));
  int32_t value = 0;
  ReadInt8(0, value);
  EXPECT_EQ(value, -1);
  ReadUInt8(0, value);
  EXPECT_EQ(value, 1);
  ReadInt8(0, value);
  EXPECT_EQ(value, -128);
  ReadInt16(0, value);
  EXPECT_EQ(value, -2);
  ReadUInt16(0, value);
  EXPECT_EQ(value, 65534);
  EXPECT_EQ(ChannelPosition(0), 7);
  EXPECT_EQ(ChannelAtEnd(0), 1);
}

TEST_F(ChannelTest, WideReadsAreLittleEndian) {
  Bytes bytes("\x78\x56\x34\x12\xFE\xFF\xFF\xFF", 8);
  const double real = -3.99;
  const float single = 0.1f;
  bytes.append(reinterpret_cast<const char*>(&real), 8);
  bytes.append(reinterpret_cast<const char*>(&single), 4);
  const double huge = 1e20;
  const double notANumber = std::nan("");
  bytes.append(reinterpret_cast<const char*>(&huge), 8);
  bytes.append(reinterpret_cast<const char*>(&notANumber), 8);
  OpenWith(bytes);

  int32_t value = 0;
  ReadInt32(0, value);
  EXPECT_EQ(value, 0x12345678);
  ReadUInt32(0, value);
  EXPECT_EQ(value, -2);
  ReadFloat64AsInteger(0, value);
  EXPECT_EQ(value, -3);
  double widened = 0;
  ReadFloat32(0, widened);
  EXPECT_EQ(widened, static_cast<double>(0.1f));
  ReadFloat64AsInteger(0, value);
  EXPECT_EQ(value, INT32_MIN);
  ReadFloat64AsInteger(0, value);
  EXPECT_EQ(value, INT32_MIN);
  EXPECT_EQ(ChannelAtEnd(0), 1);
}

TEST_F(ChannelTest, WritesAreByteExact) {
  EXPECT_EQ(Written([] {
              WriteInt8(1, 300);
              WriteUInt8(1, -1);
              WriteInt16(1, -2);
              WriteUInt16(1, 0x12345);
              WriteInt32(1, 0x12345678);
              WriteUInt32(1, -2);
            }),
            Bytes("\x2C\xFF\xFE\xFF\x45\x23\x78\x56\x34\x12\xFE\xFF\xFF\xFF", 14));
  EXPECT_EQ(Written([] {
              WriteFloat64(1, 1.5);
              WriteFloat32(1, 0.1);
            }),
            Bytes("\x00\x00\x00\x00\x00\x00\xF8\x3F\xCD\xCC\xCC\x3D", 12));
  EXPECT_EQ(Written([] {
              WriteString(1, RtString(""));
              WriteString(1, RtString("ab"));
              WriteLine(1, RtString("line"));
              WriteLineReal(1, 0.1);
              WriteLineReal(1, 2.0);
              WriteLineInteger(1, -7);
            }),
            "abline\r\n0.1\r\n2\r\n-7\r\n");
}

TEST_F(ChannelTest, FixedStringStopsAtItsPaddingButConsumesAll) {
  OpenWith(Bytes("AB\0\0\0\0\0\0CD", 10));
  RtString text("old");
  ReadFixedString(0, text, 8);
  EXPECT_EQ(text.Std(), "AB");
  EXPECT_EQ(ChannelPosition(0), 8);
  ReadFixedString(0, text, 0);
  EXPECT_EQ(text.Std(), "");
  EXPECT_EQ(ChannelPosition(0), 8);
  // No read, so not even the channel number is looked at.
  ReadFixedString(99, text, -5);
  ReadFixedString(0, text, 2);
  EXPECT_EQ(text.Std(), "CD");
}

TEST_F(ChannelTest, LinesEndAtLineFeedsWithOrWithoutCarriageReturns) {
  OpenWith("abc\r\ndef\r\n");
  RtString line;
  ReadLine(0, line);
  EXPECT_EQ(line.Std(), "abc");
  EXPECT_EQ(ChannelPosition(0), 5);
  ReadLine(0, line);
  EXPECT_EQ(line.Std(), "def");
  EXPECT_EQ(ChannelPosition(0), 10);
  EXPECT_EQ(ChannelAtEnd(0), 1);
  EXPECT_RUNTIME_ERROR(ReadLine(0, line), 3);

  OpenWith("one\n\ntwo\r\nlast");
  for (const char* expected : {"one", "", "two", "last"}) {
    ReadLine(0, line);
    EXPECT_EQ(line.Std(), expected);
  }
  EXPECT_EQ(ChannelPosition(0), 14);
  EXPECT_EQ(ChannelAtEnd(0), 1);
}

TEST_F(ChannelTest, LinesCrossChunkBoundaries) {
  const std::string sixtyThree(63, 'x');
  const std::string longLine(1500, 'y');
  const std::string sixtyFour(64, 'z');
  // The CR of the first line is the 64th byte, its LF the 65th.
  OpenWith(sixtyThree + "\r\n" + longLine + "\nshort\n" + sixtyFour);
  RtString line;
  ReadLine(0, line);
  EXPECT_EQ(line.Std(), sixtyThree);
  EXPECT_EQ(ChannelPosition(0), 65);
  // A line longer than 1024 bytes comes in two reads.
  ReadLine(0, line);
  EXPECT_EQ(line.Std(), longLine.substr(0, 1024));
  ReadLine(0, line);
  EXPECT_EQ(line.Std(), longLine.substr(1024));
  ReadLine(0, line);
  EXPECT_EQ(line.Std(), "short");
  // A last line that fills whole chunks and has no line end is still a line.
  ReadLine(0, line);
  EXPECT_EQ(line.Std(), sixtyFour);
  EXPECT_EQ(ChannelAtEnd(0), 1);
  EXPECT_RUNTIME_ERROR(ReadLine(0, line), 3);
}

// A CR as the file's last byte is dropped like the CR of a CR LF, both when
// the last read comes up short and when the line fills whole chunks.
TEST_F(ChannelTest, ACarriageReturnEndingTheFileIsNotPartOfTheLine) {
  RtString line;
  for (size_t length : {1u, 3u, 63u, 64u, 127u, 128u, 1023u}) {
    OpenWith("first\r\n" + std::string(length - 1, 'c') + "\r");
    ReadLine(0, line);
    EXPECT_EQ(line.Std(), "first");
    ReadLine(0, line);
    EXPECT_EQ(line.Std(), std::string(length - 1, 'c')) << length;
    EXPECT_EQ(ChannelPosition(0), static_cast<int32_t>(7 + length));
    EXPECT_EQ(ChannelAtEnd(0), 1);
  }
  // A line of 1024 bytes is cut there (its CR is its last byte), so the next
  // read starts at the line feed and gives an empty line.
  OpenWith(std::string(1023, 'd') + "\r\n");
  ReadLine(0, line);
  EXPECT_EQ(line.Std(), std::string(1023, 'd') + "\r");
  ReadLine(0, line);
  EXPECT_EQ(line.Std(), "");
  EXPECT_EQ(ChannelAtEnd(0), 1);
}

TEST_F(ChannelTest, ReadsAfterALineStartRightBehindIt) {
  OpenWith(Bytes("ab\r\n\x05\x00", 6));
  RtString line;
  int32_t value = 0;
  ReadLine(0, line);
  ReadInt16(0, value);
  EXPECT_EQ(value, 5);
  EXPECT_EQ(ChannelPosition(0), 6);
}

TEST_F(ChannelTest, SeeksMoveBothPositionAndFilePointer) {
  Bytes bytes;
  for (int i = 0; i < 20000; ++i) bytes.push_back(static_cast<char>(i % 251));
  OpenWith(bytes);
  int32_t value = 0;
  SeekChannel(0, 10000, 0);
  ReadUInt8(0, value);
  EXPECT_EQ(value, 10000 % 251);
  EXPECT_EQ(ChannelPosition(0), 10001);
  SeekChannel(0, -2, 1);
  ReadUInt8(0, value);
  EXPECT_EQ(value, 9999 % 251);
  SeekChannel(0, 5000, 1);
  ReadUInt8(0, value);
  EXPECT_EQ(value, 15000 % 251);
  SeekChannel(0, -1, -1);
  EXPECT_EQ(ChannelPosition(0), 19999);
  ReadUInt8(0, value);
  EXPECT_EQ(value, 19999 % 251);
  EXPECT_EQ(ChannelAtEnd(0), 1);
  // The position is bookkeeping: no range check, even on a closed channel.
  SeekChannel(3, -40, 0);
  EXPECT_EQ(ChannelPosition(3), -40);
}

TEST_F(ChannelTest, OpeningForWritingStartsAnEmptyFile) {
  testenv::WriteFile("out.bin", "previous contents");
  ASSERT_EQ(OpenChannel(1, RtString("out.bin"), 0), 1);
  EXPECT_EQ(testenv::ReadFile("out.bin"), "");
  EXPECT_EQ(ChannelAtEnd(1), 1);
  WriteInt32(1, 7);
  EXPECT_EQ(ChannelPosition(1), 0);
  // Reopening the channel closes the file it held.
  ASSERT_EQ(OpenChannel(1, RtString("nowhere\\out.bin"), 1), 0);
  EXPECT_EQ(OpenChannel(1, RtString("out.bin"), 1), 1);
  EXPECT_EQ(ChannelAtEnd(1), 0);
}

TEST_F(ChannelTest, MissingFilesAndFoldersDoNotOpen) {
  EXPECT_EQ(OpenChannel(0, RtString("nowhere.bin"), 1), 0);
  EXPECT_EQ(ChannelPosition(0), 0);
  EXPECT_EQ(ChannelAtEnd(0), 1);
  ASSERT_TRUE(MakeFolder("folder", 0700));
  EXPECT_EQ(OpenChannel(0, RtString("folder"), 1), 0);
  EXPECT_EQ(OpenChannel(0, RtString("no/such/folder/x"), 0), 0);
  EXPECT_EQ(OpenChannel(0, RtString(""), 1), 0);
}

TEST_F(ChannelTest, ReadingFindsArchiveMembers) {
  const std::string program = folder_ + "/program";
  archivetest::WriteProgram(program, {{"game.ZORAX", Bytes("\x07\x00\x00\x00rest\r\n", 10)}});
  OpenArchiveReaders(program);
  ASSERT_EQ(OpenChannel(0, RtString("projects/GAME.zorax"), 1), 1);
  int32_t value = 0;
  ReadInt32(0, value);
  EXPECT_EQ(value, 7);
  RtString line;
  ReadLine(0, line);
  EXPECT_EQ(line.Std(), "rest");
  CloseArchiveReaders();
}

TEST_F(ChannelTest, ChannelNumbersOutsideTheTableEndTheProgram) {
  EXPECT_RUNTIME_ERROR(OpenChannel(8, RtString("x"), 1), 7);
  EXPECT_RUNTIME_ERROR(CloseChannel(-1), 7);
  int32_t value = 0;
  EXPECT_RUNTIME_ERROR(ReadInt8(8, value), 7);
  EXPECT_RUNTIME_ERROR(WriteInt8(1000, 1), 7);
  EXPECT_RUNTIME_ERROR(ChannelPosition(8), 7);
  EXPECT_RUNTIME_ERROR(SeekChannel(8, 0, 0), 7);
  // The one command that asks no questions.
  EXPECT_EQ(ChannelAtEnd(8), 1);
  EXPECT_EQ(ChannelAtEnd(-1), 1);
}

TEST_F(ChannelTest, ClosedChannelsAndShortReadsEndTheProgram) {
  int32_t value = 0;
  RtString text;
  EXPECT_RUNTIME_ERROR(ReadInt8(2, value), 3);
  EXPECT_RUNTIME_ERROR(ReadLine(2, text), 3);
  EXPECT_RUNTIME_ERROR(WriteString(2, RtString("")), 3);
  OpenWith("abc");
  EXPECT_RUNTIME_ERROR(ReadInt32(0, value), 3);
  EXPECT_RUNTIME_ERROR(ReadFixedString(0, text, 4), 3);
  // A length read from a hostile file is refused before anything is
  // allocated (files_posix_test.cc checks that with the address space capped).
  EXPECT_RUNTIME_ERROR(ReadFixedString(0, text, INT32_MAX), 3);
  // A read channel cannot be written.
  EXPECT_RUNTIME_ERROR(WriteInt8(0, 1), 3);
  EXPECT_RUNTIME_ERROR(SeekChannel(0, 0, -1); ReadInt8(0, value), 3);
}

}  // namespace
