// Archive members without a private folder: unpacked into memory files that
// read exactly like the members, live as long as a reader or a channel holds
// them, and never touch the place a squatter pointed the folder to. A folder
// that cannot take a member (full) sends it to memory as well.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "runtime/core/program_end.h"
#include "runtime/files/archive.h"
#include "runtime/files/channels.h"
#include "runtime/sound/sound.h"
#include "tests/files/archive_fixture.h"
#include "tests/files/files_test_support.h"
#include "tests/sound/wav_bytes.h"

namespace {

using archivetest::Members;

std::string ShortSound() {
  wavtest::WavShape shape;
  shape.Samples = wavtest::Constant16(500, 1, 900);
  return wavtest::MakeWav(shape);
}

class ArchiveInMemoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = EnterWorkFolder("memory");
    unsetenv("XDG_RUNTIME_DIR");
  }
  void TearDown() override { CloseArchiveReaders(); }

  // Someone else's link where the private folder would be.
  void SquatThePrivateFolder() {
    const std::string base = testenv::MakeDir("squatted");
    target_ = testenv::MakeDir("squat_target");
    ASSERT_EQ(symlink(target_.c_str(), (base + "/ombrel-" + std::to_string(getuid())).c_str()), 0);
    setenv("TMPDIR", base.c_str(), 1);
    ASSERT_EQ(PrivateTempFolder(), "");
  }

  std::string Resolve(const std::string& name) {
    RtString output("untouched");
    EXPECT_EQ(ResolveMediaPath(MediaArchive(), RtString(name.c_str()), output), 1) << name;
    return output.Std();
  }

  // The rest of an open channel, byte by byte as the game reads.
  static std::string ReadToEnd(int32_t channel) {
    std::string bytes;
    while (ChannelAtEnd(channel) == 0) {
      int32_t byte = 0;
      ReadUInt8(channel, byte);
      bytes.push_back(static_cast<char>(byte));
    }
    CloseChannel(channel);
    return bytes;
  }

  // A member opened by name, as the game opens its files.
  static std::string ReadThroughChannel(const std::string& name) {
    if (OpenChannel(2, RtString(name.c_str()), 1) != 1) return "<not opened>";
    return ReadToEnd(2);
  }

  std::string folder_;
  std::string target_;
};

TEST_F(ArchiveInMemoryTest, MembersReadByteForByteThroughChannels) {
  SquatThePrivateFolder();
  const Members members = {
      {"game.ZORAX", archivetest::TextBytes(7684, 4)},
      {"noise.raw", archivetest::RandomBytes(9989, 5)},
      {"Skylane.ZORAX1.wav", ShortSound()},
      {"empty.bin", ""},
      {std::string(240, 'n') + ".bmp", "long name"},
  };
  archivetest::WriteProgram(folder_ + "/program", members);
  OpenArchiveReaders(folder_ + "/program");

  for (const auto& [name, bytes] : members) {
    SCOPED_TRACE(name.substr(0, 20));
    const std::string path = Resolve("projects/" + name);
    EXPECT_EQ(path.rfind("/proc/self/fd/", 0), 0u) << path;
    // A memory file cannot be changed behind the game's back.
    const int writer = open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (writer >= 0) {
      EXPECT_LT(write(writer, "x", 1), 0);
      close(writer);
    }
    EXPECT_EQ(testenv::ReadFile(path), bytes);
    EXPECT_EQ(ReadThroughChannel(name), bytes);
  }
  // The sound commands find their member the same way.
  OpenSoundDeviceOffline(44100);
  EXPECT_EQ(LoadSound(RtString("projects/Skylane.ZORAX1.wav"), 1, 1), 1);
  CloseSoundDevice();
  EXPECT_TRUE(std::filesystem::is_empty(target_));
}

TEST_F(ArchiveInMemoryTest, AMemberLivesWhileItsReaderOrAChannelHoldsIt) {
  SquatThePrivateFolder();
  const std::string first = archivetest::RandomBytes(5000, 6);
  archivetest::WriteProgram(folder_ + "/program", {{"a.bin", first}, {"b.bin", "second"}});
  OpenArchiveReaders(folder_ + "/program");

  ASSERT_EQ(OpenChannel(3, RtString("a.bin"), 1), 1);
  const std::string pathA = MediaArchive().TemporaryFile;
  ASSERT_EQ(pathA.rfind("/proc/self/fd/", 0), 0u) << pathA;

  // The next lookup lets the reader's hold on the first member go, while the
  // channel still reads that one to its end.
  const std::string pathB = Resolve("b.bin");
  EXPECT_EQ(testenv::ReadFile(pathB), "second");
  EXPECT_EQ(ReadToEnd(3), first);

  const int fdB = std::stoi(pathB.substr(std::string("/proc/self/fd/").size()));
  CloseArchiveReaders();
  EXPECT_LT(fcntl(fdB, F_GETFD), 0);
}

TEST_F(ArchiveInMemoryTest, AFolderThatCannotTakeAMemberSendsItToMemory) {
  setenv("TMPDIR", testenv::MakeDir("refusing").c_str(), 1);
  const std::string folder = PrivateTempFolder();
  ASSERT_FALSE(folder.empty());
  const std::string big = archivetest::RandomBytes(200000, 7);
  archivetest::WriteProgram(folder_ + "/program", {{"big.bin", big}, {"other.bin", "x"}});
  OpenArchiveReaders(folder_ + "/program");

  // Where big.bin unpacks to, then something the file cannot replace there.
  const std::string onDisk = Resolve("big.bin");
  ASSERT_EQ(onDisk.rfind(folder + "/doz", 0), 0u) << onDisk;
  Resolve("other.bin");
  ASSERT_FALSE(testenv::FileExists(onDisk));
  std::filesystem::create_directories(onDisk);
  DeleteErrorLog();

  const std::string inMemory = Resolve("big.bin");
  EXPECT_EQ(inMemory.rfind("/proc/self/fd/", 0), 0u) << inMemory;
  EXPECT_EQ(ReadThroughChannel("big.bin"), big);
  // A member that fits still goes to the folder, and one line said why the
  // other did not, however often it happened.
  EXPECT_EQ(Resolve("other.bin").rfind(folder + "/", 0), 0u);
  Resolve("big.bin");
  const std::string log = testenv::ReadErrorLog();
  EXPECT_EQ(log, "Can't write " + onDisk + ": Is a directory; archive members stay in memory\r\n");
}

TEST_F(ArchiveInMemoryTest, ANameTooLongForTheFolderStillUnpacks) {
  setenv("TMPDIR", testenv::MakeDir("long").c_str(), 1);
  ASSERT_FALSE(PrivateTempFolder().empty());
  // With its "doz" prefix the file name would pass the 255 bytes a name may have.
  const std::string name(255, 'L');
  archivetest::WriteProgram(folder_ + "/program", {{name, "long member"}});
  OpenArchiveReaders(folder_ + "/program");
  EXPECT_EQ(Resolve(name).rfind("/proc/self/fd/", 0), 0u);
  EXPECT_EQ(ReadThroughChannel(name), "long member");
}

}  // namespace
