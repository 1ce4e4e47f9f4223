// Helpers for tests that need a program file with an archive behind it.
#pragma once

#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "runtime/core/system.h"
#include "runtime/files/archive.h"
#include "runtime/files/archive_writer.h"
#include "tests/files/files_test_support.h"
#include "tests/support/test_env.h"

namespace archivetest {

using Members = std::vector<std::pair<std::string, std::string>>;

// Bytes that stand in for a program image.
inline std::string ProgramImage(size_t size = 5000) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + 3) & 0xFF);
  return bytes;
}

// Writes image + archive of members to path; returns the file's bytes.
inline std::string WriteProgram(const std::string& path, const Members& members,
                                bool fromStart = false, const std::string& image = ProgramImage()) {
  std::string error;
  std::string archive = BuildArchive(members, &error, fromStart, image.size());
  std::string bytes = image + archive;
  testenv::WriteFile(path, bytes);
  return bytes;
}

inline std::string RandomBytes(size_t size, uint32_t seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

// Text-like bytes that compress moderately.
inline std::string TextBytes(size_t size, uint32_t seed) {
  static const char* const kWords[] = {"alpha ",   "bravo ", "charlie ", "delta\r\n", "echo ",
                                       "foxtrot ", "golf ",  "hotel ",   "india\n",   "juliet "};
  std::mt19937 random(seed);
  std::string bytes;
  while (bytes.size() < size) bytes += kWords[random() % 10];
  bytes.resize(size);
  return bytes;
}

// The names in the private temporary folder (the error log aside).
inline std::set<std::string> PrivateFiles() {
  std::set<std::string> names;
  const std::string folder = PrivateTempFolder();
  std::vector<std::string> listed;
  ListFolder(folder, listed);
  for (const std::string& name : listed) {
    if (name != "ErrorLog.txt") names.insert(name);
  }
  return names;
}

inline void PutLittle32(std::string& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

inline uint32_t GetLittle32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

}  // namespace archivetest

// A program file with an archive in a working folder of its own, and both
// archive readers pointed at it.
class ArchiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = EnterWorkFolder("archive");
    program_ = folder_ + "/program";
  }
  void TearDown() override { CloseArchiveReaders(); }

  // Writes the program file and points both readers at it.
  std::string Install(const archivetest::Members& members, bool fromStart = false) {
    std::string bytes = archivetest::WriteProgram(program_, members, fromStart);
    OpenArchiveReaders(program_);
    return bytes;
  }

  // Resolves through the media reader; the unpacked bytes, or "<none>" when nothing was found.
  std::string Unpacked(const std::string& request) {
    RtString output("untouched");
    if (ResolveMediaPath(MediaArchive(), RtString(request.c_str()), output) != 1) return "<none>";
    EXPECT_TRUE(testenv::FileExists(output.Std())) << output.Std();
    return testenv::ReadFile(output.Std());
  }

  std::string folder_;
  std::string program_;
};
