// What the end path promises: exit code 0 whatever the error, a trace of
// every error on stderr and in the log, the debug-mode end lines, the
// teardown order, and a log that never stops the program.
#include "runtime/core/program_end.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "runtime/core/config.h"
#include "runtime/core/system.h"
#include "runtime/values/rt_array.h"
#include "tests/support/program_end_checks.h"
#include "tests/support/test_env.h"

namespace {

void LogStep(const char* name) { AppendErrorLog(name); }

TEST(ProgramEnd, NormalEndAddsNothingToTheLog) {
  DeleteErrorLog();
  EXPECT_PROGRAM_END_MATCHING(EndProgramNormally(), "^$");
  EXPECT_EQ(testenv::ReadErrorLog(), "");
}

TEST(ProgramEnd, RuntimeErrorsEndWithCodeZeroAndATrace) {
  DeleteErrorLog();
  EXPECT_PROGRAM_END_MATCHING(
      {
        RtArray<int32_t> array;
        array.Dimension(3);
        array.ElementAt(3);
      },
      "Runtime error 9: index out of range");
  EXPECT_EQ(testenv::ReadErrorLog(), "Runtime error 9: index out of range\r\n");

  DeleteErrorLog();
  EXPECT_PROGRAM_END_MATCHING(RaiseRuntimeError(kErrorChannel),
                              "Runtime error 3: file channel error");
  EXPECT_EQ(testenv::ReadErrorLog(), "Runtime error 3: file channel error\r\n");
}

TEST(ProgramEnd, DebugModeAppendsTheEndState) {
  DeleteErrorLog();
  EXPECT_PROGRAM_END_MATCHING(
      {
        Config().DebugMode = 1;
        RtArray<int32_t> array;
        array.ElementAt(0);
      },
      "Runtime error 9");
  EXPECT_EQ(testenv::ReadErrorLog(), "-End On Line\r\n9\r\n-1\r\n0\r\n0\r\n");

  DeleteErrorLog();
  EXPECT_PROGRAM_END_MATCHING(
      {
        Config().DebugMode = 1;
        SetCurrentLine(4, 120);
        RaiseRuntimeError(kErrorArrayShape);
      },
      "Runtime error 8");
  EXPECT_EQ(testenv::ReadErrorLog(), "-End On Line\r\n8\r\n119\r\n120\r\n4\r\n");
}

TEST(ProgramEnd, SetRuntimeErrorRemembersTheCurrentLine) {
  SetCurrentLine(2, 31);
  EXPECT_EQ(SetRuntimeError(7), 7);
  EXPECT_EQ(RuntimeErrors().ErrorCode, 7);
  EXPECT_EQ(RuntimeErrors().ErrorLine, 31);
  EXPECT_EQ(RuntimeErrors().CurrentUnit, 2);
}

TEST(ProgramEnd, TeardownRunsPresentStepsInTheirOrder) {
  DeleteErrorLog();
  EXPECT_PROGRAM_END_MATCHING(
      {
        SetTeardownHook(TeardownStep::kWindow, [] { LogStep("window"); });
        SetTeardownHook(TeardownStep::kSound, [] { LogStep("sound"); });
        SetTeardownHook(TeardownStep::kChannels, [] { LogStep("channels"); });
        SetTeardownHook(TeardownStep::kArchives, [] { LogStep("archives"); });
        SetTeardownHook(TeardownStep::kGraphics, [] { LogStep("graphics"); });
        SetTeardownHook(TeardownStep::kInput, [] { LogStep("input"); });
        SetTeardownHook(TeardownStep::kMusic, [] { LogStep("music"); });
        EndProgramNormally();
      },
      "");
  EXPECT_EQ(testenv::ReadErrorLog(),
            "channels\r\nmusic\r\ngraphics\r\ninput\r\nsound\r\narchives\r\nwindow\r\n");
}

TEST(ProgramEnd, AnErrorDuringTeardownStillEndsOnce) {
  DeleteErrorLog();
  EXPECT_PROGRAM_END_MATCHING(
      {
        SetTeardownHook(TeardownStep::kGraphics, [] { RaiseRuntimeError(kErrorIndex); });
        SetTeardownHook(TeardownStep::kWindow, [] { LogStep("window"); });
        EndProgramNormally();
      },
      "");
  EXPECT_EQ(testenv::ReadErrorLog(), "");
}

TEST(ErrorLog, LinesEndInCrLfAndNullIsWritten) {
  DeleteErrorLog();
  AppendErrorLog("Init GFX");
  AppendErrorLog(nullptr);
  AppendErrorLog("");
  EXPECT_EQ(testenv::ReadErrorLog(), "Init GFX\r\nNULL\r\n\r\n");
  DeleteErrorLog();
  EXPECT_FALSE(testenv::FileExists(ErrorLogPath()));
}

TEST(ErrorLog, AFileThatCannotBeOpenedDelaysTheLineButNeverStops) {
  // A folder in the log's place cannot be opened for writing.
  std::filesystem::create_directories(ErrorLogPath());
  const double start = NowMs();
  AppendErrorLog("lost");
  const double waited = NowMs() - start;
  EXPECT_GE(waited, 450.0);
  EXPECT_LT(waited, 5000.0);
  std::filesystem::remove(ErrorLogPath());
  AppendErrorLog("kept");
  EXPECT_EQ(testenv::ReadErrorLog(), "kept\r\n");
}

TEST(System, HostPathsUseForwardSlashes) {
  EXPECT_EQ(ToHostPath("data\\level\\a.bmp"), "data/level/a.bmp");
  EXPECT_EQ(ToHostPath("plain"), "plain");
  const std::string folder = ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  EXPECT_EQ(ProgramPath().rfind(folder, 0), 0u);
}

}  // namespace
