// What start-up promises: a fresh log with one line per stage in order, the
// program's folder as current folder, and the main program run once.
#include "runtime/startup/startup.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "runtime/core/program_end.h"
#include "runtime/core/system.h"
#include "tests/support/program_end_checks.h"
#include "tests/support/test_env.h"

namespace {

std::vector<std::string> LogLines() {
  std::vector<std::string> lines;
  std::istringstream log(testenv::ReadErrorLog());
  for (std::string line; std::getline(log, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

void RecordFolderAndCommandLine() {
  char folder[4096];
  AppendErrorLog(getcwd(folder, sizeof folder) != nullptr ? folder : "?");
  AppendErrorLog(CommandLine().CStr());
}

TEST(Startup, EachRunStartsAFreshLogWithItsStagesInOrder) {
  AppendErrorLog("left over from an earlier run");
  char arg0[] = "player";
  char* argv[] = {arg0, nullptr};
  EXPECT_PROGRAM_END(RuntimeMain(1, argv, nullptr));

  std::vector<std::string> stages;
  std::vector<std::string> lines = LogLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "Init GFX");
  for (const std::string& line : lines) {
    EXPECT_NE(line, "left over from an earlier run");
    if (line.rfind("Init ", 0) == 0) stages.push_back(line);
  }
  EXPECT_EQ(stages, (std::vector<std::string>{"Init GFX", "Init Input", "Init Sound",
                                              "Init Network", "Init Window", "Init Finalized"}));
  EXPECT_EQ(lines.back(), "Init Finalized");  // a normal end adds nothing
}

TEST(Startup, TheMainProgramRunsInTheProgramsFolder) {
  ASSERT_EQ(chdir("/"), 0);
  char arg0[] = "player";
  char arg1[] = "ignored";
  char arg2[] = "args";
  char* argv[] = {arg0, arg1, arg2, nullptr};
  EXPECT_PROGRAM_END(RuntimeMain(3, argv, RecordFolderAndCommandLine));
  std::vector<std::string> lines = LogLines();
  ASSERT_GE(lines.size(), 2u);
  std::string folder = ProgramFolder();
  folder.pop_back();  // getcwd has no trailing "/"
  EXPECT_EQ(lines[lines.size() - 2], folder);
  EXPECT_EQ(lines.back(), "ignored args");
}

}  // namespace
