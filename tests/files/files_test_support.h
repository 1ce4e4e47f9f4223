// Shared by the files tests: a fresh working folder per test and a check for
// commands that must end the program with a given runtime error.
#pragma once

#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "runtime/core/program_end.h"
#include "tests/support/test_env.h"

// The program end exits with code 0, which a test runner takes for success:
// a command that ends the program in the middle of a test would pass
// unnoticed. Outside the death tests below the end therefore exits with 1.
[[noreturn]] inline void ProgramEndOutsideADeathTest() {
  std::fprintf(stderr, "the program ended (error %d) in the middle of a test\n",
               static_cast<int>(RuntimeErrors().ErrorCode));
  std::_Exit(1);
}
inline const bool kStrictProgramEnd = (SetProgramExitHandler(ProgramEndOutsideADeathTest), true);

// Runs statement in a child process, which must end through the program end
// with exit code 0.
#define EXPECT_PROGRAM_END(statement)                                                        \
  EXPECT_EXIT(                                                                               \
      {                                                                                      \
        SetProgramExitHandler(nullptr);                                                      \
        statement;                                                                           \
      },                                                                                     \
      ::testing::ExitedWithCode(0), "")

// As EXPECT_PROGRAM_END, and the end must have logged "Runtime error <code>".
#define EXPECT_RUNTIME_ERROR(statement, code)                                               \
  do {                                                                                      \
    DeleteErrorLog();                                                                       \
    EXPECT_PROGRAM_END(statement);                                                          \
    EXPECT_NE(testenv::ReadErrorLog().find("Runtime error " #code ":"), std::string::npos) \
        << testenv::ReadErrorLog();                                                         \
  } while (0)

// A working folder of this test process, made current. It is not emptied:
// each test runs in a process of its own with a fresh $TMPDIR, and the child
// of a death test, which runs SetUp again, must find what its parent made.
inline std::string EnterWorkFolder(const std::string& name) {
  const std::string folder = testenv::TempDir() + "/" + name;
  std::filesystem::create_directories(folder);
  EXPECT_EQ(chdir(folder.c_str()), 0);
  return folder;
}

class InFreshFolder : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = EnterWorkFolder("work"); }
  std::string folder_;
};
