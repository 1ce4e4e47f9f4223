// The archive resolver: round trips through the writer, lookup rules, the
// one-temporary-file-per-reader rule, and archives that lie.
#include "runtime/files/archive.h"

#include <gtest/gtest.h>

#include "runtime/core/program_end.h"
#include "runtime/core/system.h"
#include "runtime/files/archive_index.h"
#include "runtime/files/lzo_member.h"
#include "tests/files/archive_fixture.h"
#include "tests/files/files_test_support.h"

namespace {

using archivetest::GetLittle32;
using archivetest::Members;
using archivetest::PrivateFiles;
using archivetest::PutLittle32;

TEST_F(ArchiveTest, MembersRoundTripWhateverTheirContent) {
  const Members members = {
      {"empty.bin", ""},
      {"one.bin", "x"},
      {"game.ZORAX", archivetest::TextBytes(7000, 1)},
      {"noise.raw", archivetest::RandomBytes(3 << 20, 2)},
      {"zeros.raw", std::string(4 << 20, '\0')},
      {"ingamefont.bmp", archivetest::TextBytes(300000, 3)},
  };
  Install(members);
  for (const auto& [name, bytes] : members) {
    EXPECT_EQ(Unpacked(name), bytes) << name;
  }
}

TEST_F(ArchiveTest, PositiveOffsetsCountFromTheStart) {
  const std::string bytes = Install({{"a.txt", "first"}, {"b.txt", "second"}}, true);
  const int32_t directoryOffset = static_cast<int32_t>(GetLittle32(bytes, bytes.size() - 4));
  ASSERT_GE(directoryOffset, 0);
  EXPECT_EQ(Unpacked("b.txt"), "second");
  EXPECT_EQ(Unpacked("a.txt"), "first");
}

TEST_F(ArchiveTest, LooseFileWinsAndKeepsItsSpelling) {
  Install({{"game.ZORAX", "packed"}});
  ASSERT_TRUE(MakeFolder("sub", 0700));
  testenv::WriteFile("sub/game.ZORAX", "loose");
  RtString output;
  ASSERT_EQ(ResolveMediaPath(MediaArchive(), RtString("sub\\game.ZORAX"), output), 1);
  EXPECT_EQ(output.Std(), "sub\\game.ZORAX");
  EXPECT_TRUE(PrivateFiles().empty());
  // A folder of that name is not a loose file.
  ASSERT_TRUE(MakeFolder("game.ZORAX", 0700));
  EXPECT_EQ(Unpacked("game.ZORAX"), "packed");
}

TEST_F(ArchiveTest, KeyIsLastPathComponentWithCaseIgnored) {
  Install({{"game.ZORAX1.wav", "sound"}, {"game.ZORAX", "game"}});
  EXPECT_EQ(Unpacked("projects\\Skylane/GAME.zorax"), "game");
  EXPECT_EQ(Unpacked("x/y\\game.zorax1.WAV"), "sound");
  // A longer name that merely starts with the key is not the member.
  EXPECT_EQ(Unpacked("game.ZORAX1"), "<none>");
  EXPECT_EQ(Unpacked("game"), "<none>");
}

TEST_F(ArchiveTest, TemporaryFileIsNamedFromOffsetSizeAndMemberName) {
  EXPECT_EQ(MemberTemporaryName(-54833, 7684, "game.ZORAX"), "dozZEgame.ZORAX");
  EXPECT_EQ(MemberTemporaryName(0, 26, "a"), "dozAAa");

  const std::string bytes = Install({{"Level.DAT", archivetest::TextBytes(5000, 9)}});
  const size_t directory =
      bytes.size() + static_cast<int32_t>(GetLittle32(bytes, bytes.size() - 4));
  const int32_t dataOffset = static_cast<int32_t>(GetLittle32(bytes, directory + 1 + 9));
  const uint32_t storedSize = GetLittle32(bytes, directory + 1 + 9 + 4);
  RtString output;
  ASSERT_EQ(ResolveMediaPath(MediaArchive(), RtString("level.dat"), output), 1);
  EXPECT_EQ(output.Std(),
            PrivateTempFolder() + "/" + MemberTemporaryName(dataOffset, storedSize, "Level.DAT"));
}

TEST_F(ArchiveTest, EachReaderKeepsOnlyItsLastMember) {
  Install({{"a.txt", "A"}, {"b.txt", "B"}, {"song.ogg", "music"}});
  RtString first;
  RtString second;
  RtString song;
  ASSERT_EQ(ResolveMediaPath(MediaArchive(), RtString("a.txt"), first), 1);
  ASSERT_EQ(ResolveMediaPath(MusicArchive(), RtString("song.ogg"), song), 1);
  ASSERT_EQ(ResolveMediaPath(MediaArchive(), RtString("b.txt"), second), 1);
  EXPECT_FALSE(testenv::FileExists(first.Std()));
  EXPECT_EQ(testenv::ReadFile(second.Std()), "B");
  EXPECT_EQ(testenv::ReadFile(song.Std()), "music");
  EXPECT_EQ(PrivateFiles().size(), 2u);

  // A failed lookup still lets the previous member go.
  RtString none;
  EXPECT_EQ(ResolveMediaPath(MediaArchive(), RtString("missing.txt"), none), 0);
  EXPECT_TRUE(none.Empty());
  EXPECT_FALSE(testenv::FileExists(second.Std()));
}

TEST_F(ArchiveTest, RequestAndOutputMayBeOneString) {
  Install({{"a.txt", "A"}});
  RtString path("dir/a.txt");
  ASSERT_EQ(ResolveMediaPath(MediaArchive(), path, path), 1);
  EXPECT_EQ(testenv::ReadFile(path.Std()), "A");
}

TEST_F(ArchiveTest, ProgramWithoutArchiveResolvesOnlyLooseFiles) {
  testenv::WriteFile(program_, archivetest::ProgramImage());
  OpenArchiveReaders(program_);
  RtString output("untouched");
  EXPECT_EQ(ResolveMediaPath(MediaArchive(), RtString("game.ZORAX"), output), 0);
  EXPECT_EQ(output.Std(), "untouched");
  EXPECT_FALSE(MediaArchive().Enabled);
  testenv::WriteFile("game.ZORAX", "loose");
  EXPECT_EQ(ResolveMediaPath(MediaArchive(), RtString("game.ZORAX"), output), 1);
  EXPECT_EQ(output.Std(), "game.ZORAX");

  // No program path at all, or one that does not open, disables the reader quietly.
  ArchiveReader reader;
  reader.Enabled = true;
  EXPECT_EQ(ResolveMediaPath(reader, RtString("x"), output), 0);
  EXPECT_FALSE(reader.Enabled);
  reader = ArchiveReader{true, folder_ + "/nothing-here", ""};
  EXPECT_EQ(ResolveMediaPath(reader, RtString("x"), output), 0);
  EXPECT_FALSE(reader.Enabled);
  EXPECT_EQ(output.Std(), "game.ZORAX");
}

TEST_F(ArchiveTest, EmptyRequestFindsNothing) {
  Install({{"a.txt", "A"}});
  RtString output("untouched");
  EXPECT_EQ(ResolveMediaPath(MediaArchive(), RtString(""), output), 0);
  EXPECT_TRUE(output.Empty());
}

TEST_F(ArchiveTest, ProgramEndDeletesEveryTemporaryFile) {
  Install({{"a.txt", "A"}, {"song.ogg", "music"}});
  EXPECT_PROGRAM_END({
    RtString media;
    RtString music;
    if (ResolveMediaPath(MediaArchive(), RtString("a.txt"), media) == 1 &&
        ResolveMediaPath(MusicArchive(), RtString("song.ogg"), music) == 1 &&
        PrivateFiles().size() == 2) {
      EndProgramNormally();
    }
    std::_Exit(3);
  });
  EXPECT_TRUE(PrivateFiles().empty());
}

// Archives that lie: each is damaged in one way, and each lookup must fail
// quietly, leave no file behind, and read and write nothing out of bounds.
struct Damage {
  const char* What;
  void (*Apply)(std::string& bytes, size_t directory);
};

void PrintTo(const Damage& damage, std::ostream* out) {
  *out << damage.What;
}

void SetDirectoryOffset(std::string& bytes, int64_t offset) {
  PutLittle32(bytes, bytes.size() - 4, static_cast<uint32_t>(static_cast<int32_t>(offset)));
}

// Entry fields of the first member ("m.bin", name length 5).
constexpr size_t kDataOffsetField = 1 + 5;
constexpr size_t kStoredSizeField = 1 + 5 + 4;

const Damage kDamages[] = {
    {"file shorter than a trailer", [](std::string& b, size_t) { b.resize(5); }},
    {"trailer cut off", [](std::string& b, size_t) { b.resize(b.size() - 3); }},
    {"directory before the file",
     [](std::string& b, size_t) { SetDirectoryOffset(b, -static_cast<int64_t>(b.size()) - 10); }},
    {"directory past the file",
     [](std::string& b, size_t) { SetDirectoryOffset(b, static_cast<int64_t>(b.size()) + 10); }},
    {"directory in the trailer", [](std::string& b, size_t) { SetDirectoryOffset(b, -5); }},
    {"most negative directory offset",
     [](std::string& b, size_t) { SetDirectoryOffset(b, INT32_MIN); }},
    {"data before the file",
     [](std::string& b, size_t d) {
       PutLittle32(b, d + kDataOffsetField,
                   static_cast<uint32_t>(-static_cast<int32_t>(b.size()) - 1));
     }},
    {"data after the file",
     [](std::string& b, size_t d) { PutLittle32(b, d + kDataOffsetField, 100); }},
    {"stored size larger than the file",
     [](std::string& b, size_t d) { PutLittle32(b, d + kStoredSizeField, 0xFFFFFFF0u); }},
    {"stored size runs past the end",
     [](std::string& b, size_t d) {
       const int32_t offset = static_cast<int32_t>(GetLittle32(b, d + kDataOffsetField));
       PutLittle32(b, d + kStoredSizeField, static_cast<uint32_t>(-offset + 1));
     }},
    {"stored size without room for the size header",
     [](std::string& b, size_t d) { PutLittle32(b, d + kStoredSizeField, 3); }},
    {"unpacked size beyond any stream",
     [](std::string& b, size_t d) {
       const int32_t offset = static_cast<int32_t>(GetLittle32(b, d + kDataOffsetField));
       PutLittle32(b, b.size() + offset, 0xFFFFFFFFu);
     }},
    {"unpacked size the data does not fill",
     [](std::string& b, size_t d) {
       const int32_t offset = static_cast<int32_t>(GetLittle32(b, d + kDataOffsetField));
       PutLittle32(b, b.size() + offset, GetLittle32(b, b.size() + offset) + 1);
     }},
    {"directory without its end marker",
     [](std::string& b, size_t d) {
       b[d] = static_cast<char>(200);  // claims a name running into the trailer
     }},
    {"member name with a separator", [](std::string& b, size_t d) { b[d + 2] = '/'; }},
    {"member named ..",
     [](std::string& b, size_t d) {
       b[d] = 2;
       b[d + 1] = '.';
       b[d + 2] = '.';
       // The rest of the old name becomes the offsets: shift the entry left.
       b.erase(d + 3, 3);
       b.insert(b.size() - 7, 3, '\0');
     }},
};

class DamagedArchiveTest : public ArchiveTest, public ::testing::WithParamInterface<Damage> {};

TEST_P(DamagedArchiveTest, LookupFailsQuietly) {
  std::string bytes = archivetest::WriteProgram(program_, {{"m.bin", "member bytes"}});
  const size_t directory =
      bytes.size() + static_cast<int32_t>(GetLittle32(bytes, bytes.size() - 4));
  GetParam().Apply(bytes, directory);
  testenv::WriteFile(program_, bytes);
  OpenArchiveReaders(program_);

  const std::string what = GetParam().What;
  const char* request = what == "member named .."                ? ".."
                        : what == "member name with a separator" ? "m/bin"
                                                                 : "m.bin";
  RtString output("untouched");
  const int result = ResolveMediaPath(MediaArchive(), RtString(request), output);
  EXPECT_EQ(result, 0);
  EXPECT_NE(output.Std(), "dozAAm.bin");
  EXPECT_TRUE(output.Empty() || output.Std() == "untouched") << output.Std();
  EXPECT_TRUE(PrivateFiles().empty());
}

INSTANTIATE_TEST_SUITE_P(Archive, DamagedArchiveTest, ::testing::ValuesIn(kDamages),
                         [](const auto& info) {
                           std::string name;
                           for (const char* c = info.param.What; *c != '\0'; ++c) {
                             if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
                           }
                           return name;
                         });

TEST_F(ArchiveTest, CorruptStreamGivesAnEmptyMember) {
  std::string bytes =
      archivetest::WriteProgram(program_, {{"m.bin", archivetest::TextBytes(20000, 5)}});
  const size_t directory =
      bytes.size() + static_cast<int32_t>(GetLittle32(bytes, bytes.size() - 4));
  const size_t data =
      bytes.size() + static_cast<int32_t>(GetLittle32(bytes, directory + kDataOffsetField));
  const uint32_t stored = GetLittle32(bytes, directory + kStoredSizeField);
  // Overwrite the stream with bytes that cannot be a valid LZO1X stream of this size.
  for (size_t i = data + 4; i < data + stored; ++i) bytes[i] = static_cast<char>(0xFF);
  testenv::WriteFile(program_, bytes);
  OpenArchiveReaders(program_);
  RtString output;
  ASSERT_EQ(ResolveMediaPath(MediaArchive(), RtString("m.bin"), output), 1);
  EXPECT_TRUE(testenv::FileExists(output.Std()));
  EXPECT_EQ(testenv::ReadFile(output.Std()), "");
}

TEST_F(ArchiveTest, RandomlyDamagedArchivesNeverEscapeThePrivateFolder) {
  const std::string good = archivetest::WriteProgram(
      program_, {{"a.bin", archivetest::TextBytes(3000, 7)}, {"b.bin", "bee"}}, false,
      archivetest::ProgramImage(64));
  std::mt19937 random(1234);
  for (int round = 0; round < 400; ++round) {
    std::string bytes = good;
    const int flips = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < flips; ++i) {
      // Damage mostly the directory and trailer, sometimes anything.
      const size_t span = (random() % 3 == 0) ? bytes.size() : std::min<size_t>(bytes.size(), 40);
      bytes[bytes.size() - 1 - random() % span] = static_cast<char>(random() & 0xFF);
    }
    testenv::WriteFile(program_, bytes);
    OpenArchiveReaders(program_);
    for (const char* name : {"a.bin", "b.bin"}) {
      RtString output;
      const int result = ResolveMediaPath(MediaArchive(), RtString(name), output);
      if (result == 1) {
        ASSERT_EQ(output.Std().rfind(PrivateTempFolder() + "/doz", 0), 0u) << output.Std();
        ASSERT_LE(PrivateFiles().size(), 1u);
      }
    }
  }
  CloseArchiveReaders();
  EXPECT_TRUE(PrivateFiles().empty());
}

TEST(LzoMemberTest, StoredFormCarriesTheSizeAndRoundTrips) {
  for (const std::string& data :
       {std::string(), std::string("a"), archivetest::TextBytes(100000, 4),
        archivetest::RandomBytes(70000, 8)}) {
    std::vector<uint8_t> stored;
    ASSERT_TRUE(PackMember({reinterpret_cast<const uint8_t*>(data.data()), data.size()}, stored));
    EXPECT_EQ(DeclaredUnpackedSize(stored), data.size());
    UnpackedMember out;
    ASSERT_EQ(UnpackMember(stored, out), UnpackStatus::kOk);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.Data.get()), out.Size), data);
  }
}

TEST(LzoMemberTest, DeclaredSizeIsBoundedByTheStream) {
  EXPECT_EQ(UnpackedSizeLimit(10), 10u * 256 + 1024);
  EXPECT_EQ(UnpackedSizeLimit(uint64_t{1} << 40), kMaxMemberSize);
  // 64 MiB of zeros packs far below the limit's ratio and still unpacks.
  const std::string zeros(64 << 20, '\0');
  std::vector<uint8_t> stored;
  ASSERT_TRUE(PackMember({reinterpret_cast<const uint8_t*>(zeros.data()), zeros.size()}, stored));
  EXPECT_LE(zeros.size(), UnpackedSizeLimit(stored.size() - 4));
  UnpackedMember out;
  EXPECT_EQ(UnpackMember(stored, out), UnpackStatus::kOk);
  EXPECT_EQ(out.Size, zeros.size());
}

// Past 64 MiB a member must be stored in at least 1/64 of its size: a file of
// 1 MiB can no longer declare a 256 MiB member and have it set aside.
TEST(LzoMemberTest, LargeMembersNeedAProportionateStream) {
  EXPECT_EQ(UnpackedSizeLimit(uint64_t{1} << 20), uint64_t{64} << 20);
  EXPECT_EQ(UnpackedSizeLimit(uint64_t{3} << 20), uint64_t{192} << 20);
  EXPECT_EQ(UnpackedSizeLimit(uint64_t{5} << 20), kMaxMemberSize);

  // A header claiming 200 MiB in front of a 1 MiB stream is refused unread.
  std::vector<uint8_t> stored((1u << 20) + 4, 0);
  const uint32_t claimed = 200u << 20;
  for (int i = 0; i < 4; ++i) stored[i] = static_cast<uint8_t>(claimed >> (8 * i));
  UnpackedMember out;
  EXPECT_EQ(UnpackMember(stored, out), UnpackStatus::kMalformed);
  EXPECT_EQ(out.Data, nullptr);
}

// What the writer stores, the reader takes: a member packing further than
// the reader accepts for its size is refused when the archive is written.
TEST(ArchiveWriterTest, RefusesMembersTheReaderWouldRefuse) {
  const std::string zeros((64 << 20) + 4096, '\0');
  std::string error;
  EXPECT_EQ(BuildArchive({{"zeros.bin", zeros}}, &error), "");
  EXPECT_NE(error.find("zeros.bin"), std::string::npos) << error;
  EXPECT_NE(error.find("more than the reader accepts"), std::string::npos) << error;

  // Varied bytes of the same size pack far less and are written and read back.
  std::string varied = archivetest::RandomBytes((64 << 20) + 4096, 3);
  std::vector<uint8_t> stored;
  ASSERT_TRUE(PackMember({reinterpret_cast<const uint8_t*>(varied.data()), varied.size()}, stored));
  ASSERT_LE(varied.size(), UnpackedSizeLimit(stored.size() - 4));
  error.clear();
  EXPECT_NE(BuildArchive({{"varied.bin", varied}}, &error), "") << error;
}

TEST(ArchiveWriterTest, RefusesNamesTheReaderCouldNotServeSafely) {
  std::string error;
  EXPECT_EQ(BuildArchive({{"a.txt", "1"}, {"A.TXT", "2"}}, &error), "");
  EXPECT_NE(error.find("twice"), std::string::npos);
  for (const char* bad : {"", "..", "a/b", "a\\b", "x..y"}) {
    error.clear();
    EXPECT_EQ(BuildArchive({{bad, "1"}}, &error), "") << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
  EXPECT_EQ(BuildArchive({{std::string(256, 'n'), "1"}}, &error), "");
  EXPECT_NE(BuildArchive({{std::string(255, 'n'), "1"}}, &error), "");
}

}  // namespace
