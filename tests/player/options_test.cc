// The command line: options before or after PATH, "--" before a PATH that
// looks like an option, and one-line problems for everything else.
#include "player/options.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/player/command_line.h"

namespace {

struct ParseCase {
  std::vector<std::string> Args;  // after the program name
  bool Ok;
  std::string Path;  // or a fragment of the problem
  int PathArgument = 0;
};

using playertest::ParseCommandLine;

TEST(PlayerOptions, PathAndOptionsInAnyOrder) {
  const ParseCase cases[] = {
      {{}, true, ""},
      {{"game.zorax"}, true, "game.zorax", 1},
      {{"--help", "my game.zorax"}, true, "my game.zorax", 2},
      {{"--", "-odd.zorax"}, true, "-odd.zorax", 2},
      {{"-"}, true, "-", 1},
      {{"--", "--"}, true, "--", 2},
      {{"--fly"}, false, "unknown option \"--fly\""},
      {{"a", "b"}, false, "one PATH only, not both \"a\" and \"b\""},
      {{""}, false, "an empty PATH"},
  };
  for (const ParseCase& c : cases) {
    PlayerOptions options;
    std::string error;
    const bool ok = ParseCommandLine(c.Args, options, error);
    ASSERT_EQ(ok, c.Ok) << ::testing::PrintToString(c.Args) << " " << error;
    if (ok) {
      EXPECT_EQ(options.Path, c.Path);
      EXPECT_EQ(options.PathArgument, c.PathArgument);
    } else {
      EXPECT_NE(error.find(c.Path), std::string::npos) << error;
    }
  }
}

TEST(PlayerOptions, HelpNamesEveryOptionAndExitCode) {
  const std::string usage = PlayerUsage("skylane");
  EXPECT_EQ(usage.rfind("Usage: skylane [OPTIONS] [PATH]\n", 0), 0u);
  for (const char* word : {"--help", "--version", "Exit codes", "  0  ", "  2  "}) {
    EXPECT_NE(usage.find(word), std::string::npos) << word;
  }
  EXPECT_EQ(ProgramBaseName("/usr/games/skylane"), "skylane");
  EXPECT_EQ(ProgramBaseName(nullptr), "zorax-player");
  EXPECT_EQ(PlayerVersion("skylane").rfind("skylane ", 0), 0u);
}

}  // namespace
