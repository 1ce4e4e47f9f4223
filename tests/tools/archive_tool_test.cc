// zorax-tool pack, list and extract, run as a user runs them: a packed program
// still runs and reads its members, listings and extractions match what was
// packed, and bad arguments or files give one line on stderr and a non-zero exit.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "runtime/core/system.h"
#include "runtime/files/archive_writer.h"
#include "tests/support/test_env.h"

namespace {

struct Outcome {
  int Exit = -1;
  std::string Out;
  std::string Err;
};

class ArchiveToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = testenv::TempDir() + "/tool";
    std::filesystem::create_directories(folder_);
  }

  std::string Path(const std::string& name) const { return folder_ + "/" + name; }

  // Runs a program with arguments, capturing its exit code and output.
  Outcome Run(const std::string& program, const std::vector<std::string>& args) {
    std::vector<std::string> line = {program};
    line.insert(line.end(), args.begin(), args.end());
    Outcome outcome;
    outcome.Exit = testenv::RunProgram(line, Path("stdout"), Path("stderr"));
    outcome.Out = testenv::ProgramOutput(Path("stdout"));
    outcome.Err = testenv::ProgramOutput(Path("stderr"));
    return outcome;
  }

  Outcome Tool(const std::vector<std::string>& args) {
    return Run(testenv::Program("zorax-tool"), args);
  }

  // Writes a member file and returns its path.
  std::string Member(const std::string& name, const std::string& bytes) {
    testenv::WriteFile(Path(name), bytes);
    return Path(name);
  }

  std::string folder_;
};

// Exactly one line on stderr, naming the tool.
void ExpectOneErrorLine(const Outcome& outcome) {
  EXPECT_EQ(outcome.Err.rfind("zorax-tool", 0), 0u) << outcome.Err;
  EXPECT_EQ(std::count(outcome.Err.begin(), outcome.Err.end(), '\n'), 1) << outcome.Err;
}

// The bytes as the probe prints them.
std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (const char c : bytes) {
    text += kDigits[static_cast<uint8_t>(c) >> 4];
    text += kDigits[static_cast<uint8_t>(c) & 15];
  }
  return text;
}

std::string Noise(size_t size) {
  std::mt19937 random(77);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

TEST_F(ArchiveToolTest, PackedProgramRunsAndReadsItsMembers) {
  const std::string noise = Noise(2 << 20);
  const Outcome pack =
      Tool({"pack", testenv::Program("archive_probe"), Member("hello.txt", "hello, archive"),
            Member("noise.bin", noise), Member("empty", ""), "-o", Path("packed")});
  ASSERT_EQ(pack.Exit, 0) << pack.Err;
  // Where programs are told by their mode (not by their name's ending), the
  // packed one must stay executable.
  FileInfo info;
  ASSERT_TRUE(PathInfo(Path("packed"), info));
  if (ProgramFileSuffix().empty()) {
    EXPECT_NE(info.Mode & 0100, 0u) << "the packed program must stay executable";
  }
  std::filesystem::remove(Path("hello.txt"));
  std::filesystem::remove(Path("noise.bin"));

  const Outcome run = Run(Path("packed"), {"HELLO.TXT", "some/dir/noise.bin", "empty", "nothing"});
  EXPECT_EQ(run.Exit, 1);  // for "nothing"
  EXPECT_EQ(run.Out, "HELLO.TXT=" + Hex("hello, archive") + "\nsome/dir/noise.bin=" + Hex(noise) +
                         "\nempty=\nnothing: not found\n");

  const Outcome list = Tool({"list", Path("packed")});
  ASSERT_EQ(list.Exit, 0) << list.Err;
  EXPECT_NE(list.Out.find("hello.txt"), std::string::npos) << list.Out;
  EXPECT_NE(list.Out.find(" 2097152\n"), std::string::npos) << list.Out;
  EXPECT_NE(list.Out.find("empty"), std::string::npos) << list.Out;
  EXPECT_EQ(std::count(list.Out.begin(), list.Out.end(), '\n'), 4) << list.Out;
}

TEST_F(ArchiveToolTest, ExtractRestoresAllMembersOrTheNamedOnes) {
  const std::string noise = Noise(300000);
  ASSERT_EQ(Tool({"pack", testenv::Program("archive_probe"), Member("a.txt", "A"),
                  Member("noise.bin", noise), "-o", Path("packed")})
                .Exit,
            0);
  const Outcome all = Tool({"extract", Path("packed"), "-d", Path("all/deeper")});
  ASSERT_EQ(all.Exit, 0) << all.Err;
  EXPECT_EQ(testenv::ReadFile(Path("all/deeper/a.txt")), "A");
  EXPECT_EQ(testenv::ReadFile(Path("all/deeper/noise.bin")), noise);

  const Outcome one = Tool({"extract", Path("packed"), "NOISE.BIN", "-d", Path("one")});
  ASSERT_EQ(one.Exit, 0) << one.Err;
  EXPECT_EQ(testenv::ReadFile(Path("one/noise.bin")), noise);
  EXPECT_FALSE(testenv::FileExists(Path("one/a.txt")));
}

TEST_F(ArchiveToolTest, EveryCommandExplainsItself) {
  for (const char* command : {"pack", "list", "extract"}) {
    const Outcome help = Tool({command, "--help"});
    EXPECT_EQ(help.Exit, 0) << command;
    EXPECT_EQ(help.Out.rfind(std::string("usage: zorax-tool ") + command, 0), 0u) << help.Out;
  }
  const Outcome help = Tool({"--help"});
  EXPECT_EQ(help.Exit, 0);
  EXPECT_NE(help.Out.find("extract"), std::string::npos);
}

TEST_F(ArchiveToolTest, BadArgumentsGiveOneLineAndExitTwo) {
  const std::string program = testenv::Program("archive_probe");
  const std::string file = Member("a.txt", "A");
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"frobnicate"},
      {"pack"},
      {"pack", program, "-o", Path("out")},
      {"pack", program, file},
      {"pack", program, file, "-o"},
      {"pack", program, file, "-o", Path("x"), "-o", Path("y")},
      {"pack", program, file, "--fast", "-o", Path("out")},
      {"list"},
      {"list", program, program},
      {"extract", program},
      {"extract", "-d", Path("d")},
  };
  for (const auto& args : cases) {
    const Outcome outcome = Tool(args);
    EXPECT_EQ(outcome.Exit, 2) << testing::PrintToString(args);
    ExpectOneErrorLine(outcome);
  }
  EXPECT_FALSE(testenv::FileExists(Path("out")));
}

TEST_F(ArchiveToolTest, BadFilesGiveOneLineAndLeaveNothingBehind) {
  const std::string program = testenv::Program("archive_probe");
  const std::string file = Member("a.txt", "precious");
  ASSERT_EQ(Tool({"pack", program, file, "-o", Path("packed")}).Exit, 0);
  std::filesystem::create_directories(Path("sub"));
  const std::string twin = Member("sub/A.TXT", "twin");

  const std::vector<std::vector<std::string>> cases = {
      {"list", program},                                  // no archive
      {"list", Path("missing")},                          // no file
      {"list", Path("a.txt")},                            // too short for a trailer
      {"pack", Path("packed"), file, "-o", Path("out")},  // already packed
      {"pack", program, Path("missing"), "-o", Path("out")},
      {"pack", program, Path("sub"), "-o", Path("out")},  // a folder is not a member
      {"pack", program, file, twin, "-o", Path("out")},   // one name twice
      {"pack", program, file, "-o", file},                // the output is an input
      {"pack", program, file, "-o", Path("no/such/folder/out")},
      {"extract", Path("packed"), "b.txt", "-d", Path("x")},
  };
  for (const auto& args : cases) {
    const Outcome outcome = Tool(args);
    EXPECT_EQ(outcome.Exit, 1) << testing::PrintToString(args);
    ExpectOneErrorLine(outcome);
  }
  EXPECT_EQ(testenv::ReadFile(file), "precious");
  for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == "a.txt" || name == "packed" || name == "sub" || name == "stdout" ||
                name == "stderr")
        << "left behind: " << name;
  }
}

TEST_F(ArchiveToolTest, DamagedArchivesAreReportedNotTrusted) {
  // A member whose name would climb out of the target folder.
  std::string archive = BuildArchive({{"xx", "escape"}, {"ok.txt", "fine"}});
  const size_t name = archive.find("xx");
  archive[name] = '.';
  archive[name + 1] = '.';
  testenv::WriteFile(Path("evil"), "program" + archive);
  Outcome outcome = Tool({"extract", Path("evil"), "-d", Path("target")});
  EXPECT_EQ(outcome.Exit, 1);
  ExpectOneErrorLine(outcome);
  EXPECT_FALSE(testenv::FileExists(Path("target/ok.txt")));

  // A stream that does not decompress.
  std::string corrupt = BuildArchive({{"m.bin", Noise(5000)}});
  for (size_t i = 4; i < 200; ++i) corrupt[i] = static_cast<char>(0xFF);
  testenv::WriteFile(Path("corrupt"), "program" + corrupt);
  outcome = Tool({"extract", Path("corrupt"), "-d", Path("target")});
  EXPECT_EQ(outcome.Exit, 1);
  ExpectOneErrorLine(outcome);

  // A directory that runs into the trailer.
  std::string cut = BuildArchive({{"m.bin", "data"}});
  cut[cut.size() - 8] = 'z';  // the end marker becomes part of a name
  testenv::WriteFile(Path("cut"), "program" + cut);
  outcome = Tool({"list", Path("cut")});
  EXPECT_EQ(outcome.Exit, 1);
  ExpectOneErrorLine(outcome);
}

}  // namespace
