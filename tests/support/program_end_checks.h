// Checks around the program end for test programs: a runtime error in the
// middle of an ordinary test must fail it, and death tests check the end.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "runtime/core/program_end.h"
#include "tests/support/test_env.h"

// The program end exits with code 0, which a test runner takes for success:
// a command that ends the program in the middle of a test would pass
// unnoticed. Every test program's main() therefore installs this handler,
// which makes such an end exit with 1; the macros below lift it for the
// statement they expect to end the program.
[[noreturn]] inline void ProgramEndOutsideADeathTest() {
  std::fprintf(stderr, "the program ended (error %d) in the middle of a test\n",
               static_cast<int>(RuntimeErrors().ErrorCode));
  std::_Exit(1);
}

// Runs statement in a child process, which must end through the program end
// with exit code 0 and print something matching regex on stderr.
#define EXPECT_PROGRAM_END_MATCHING(statement, regex) \
  EXPECT_EXIT(                                        \
      {                                               \
        SetProgramExitHandler(nullptr);               \
        statement;                                    \
      },                                              \
      ::testing::ExitedWithCode(0), regex)

// As above, whatever it prints.
#define EXPECT_PROGRAM_END(statement) EXPECT_PROGRAM_END_MATCHING(statement, "")

// As EXPECT_PROGRAM_END, and the end must have logged "Runtime error <code>".
#define EXPECT_RUNTIME_ERROR(statement, code)                                              \
  do {                                                                                     \
    DeleteErrorLog();                                                                      \
    EXPECT_PROGRAM_END(statement);                                                         \
    EXPECT_NE(testenv::ReadErrorLog().find("Runtime error " #code ":"), std::string::npos) \
        << testenv::ReadErrorLog();                                                        \
  } while (0)
