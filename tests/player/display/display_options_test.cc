// The display options of the command line: each value form, the last of
// --window / --fullscreen winning, and a one-line problem for every bad
// value; nothing given leaves every field of the display block unset.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "player/options.h"
#include "tests/player/command_line.h"

namespace {

using playertest::ParseCommandLine;

TEST(DisplayOptions, ValuesReachTheDisplayBlock) {
  PlayerOptions options;
  std::string error;
  ASSERT_TRUE(ParseCommandLine({}, options, error)) << error;
  EXPECT_FALSE(options.Display.Scale.has_value());
  EXPECT_FALSE(options.Display.FullScreen.has_value());
  EXPECT_FALSE(options.Display.Mode.has_value());
  EXPECT_FALSE(options.Display.Filter.has_value());

  ASSERT_TRUE(ParseCommandLine(
      {"--scale", "3", "--fullscreen", "game.zorax", "--scale-mode=fit", "--filter", "linear"},
      options, error))
      << error;
  EXPECT_EQ(options.Display.Scale, 3);
  EXPECT_EQ(options.Display.FullScreen, true);
  EXPECT_EQ(options.Display.Mode, ScaleMode::kFit);
  EXPECT_EQ(options.Display.Filter, ScaleFilter::kLinear);
  EXPECT_EQ(options.Path, "game.zorax");

  ASSERT_TRUE(ParseCommandLine({"--fullscreen", "--scale=8", "--window", "--scale-mode", "stretch",
                                "--filter=nearest", "--scale", "1"},
                               options, error))
      << error;
  EXPECT_EQ(options.Display.Scale, 1) << "the last --scale counts";
  EXPECT_EQ(options.Display.FullScreen, false);
  EXPECT_EQ(options.Display.Mode, ScaleMode::kStretch);
  EXPECT_EQ(options.Display.Filter, ScaleFilter::kNearest);

  // After "--" a name is PATH, even one that looks like an option.
  ASSERT_TRUE(ParseCommandLine({"--scale", "2", "--", "--scale"}, options, error)) << error;
  EXPECT_EQ(options.Path, "--scale");
  EXPECT_EQ(options.Display.Scale, 2);
}

TEST(DisplayOptions, BadValuesAreRefusedInOneLine) {
  struct Case {
    std::vector<std::string> Args;
    std::string Error;
  };
  const Case cases[] = {
      {{"--scale", "0"}, "--scale wants a whole number from 1 to 8, not \"0\""},
      {{"--scale", "9"}, "--scale wants a whole number from 1 to 8, not \"9\""},
      {{"--scale", "-2"}, "--scale wants a whole number from 1 to 8, not \"-2\""},
      {{"--scale", "99999999999999999999"},
       "--scale wants a whole number from 1 to 8, not \"99999999999999999999\""},
      {{"--scale", "2x"}, "--scale wants a whole number from 1 to 8, not \"2x\""},
      {{"--scale", "2.0"}, "--scale wants a whole number from 1 to 8, not \"2.0\""},
      {{"--scale", " 2"}, "--scale wants a whole number from 1 to 8, not \" 2\""},
      {{"--scale="}, "--scale wants a whole number from 1 to 8, not \"\""},
      {{"--scale"}, "--scale wants a value (see --help)"},
      {{"--scale-mode", "Integer"}, "--scale-mode wants integer, fit or stretch, not \"Integer\""},
      {{"--scale-mode"}, "--scale-mode wants a value (see --help)"},
      {{"--filter", "bilinear"}, "--filter wants nearest or linear, not \"bilinear\""},
      {{"--scales", "2"}, "unknown option \"--scales\" (see --help)"},
      {{"--window=1"}, "unknown option \"--window=1\" (see --help)"},
  };
  for (const Case& c : cases) {
    PlayerOptions options;
    std::string error;
    EXPECT_FALSE(ParseCommandLine(c.Args, options, error)) << c.Args[0];
    EXPECT_EQ(error, c.Error);
    EXPECT_EQ(error.find('\n'), std::string::npos);
  }
}

TEST(DisplayOptions, HelpNamesEveryDisplayOptionAndKey) {
  const std::string help = PlayerUsage("skylane");
  for (const char* part :
       {"--scale N", "--window", "--fullscreen", "--scale-mode", "integer", "fit", "stretch",
        "--filter", "nearest", "linear", "Alt+Enter", "F11", "F12"}) {
    EXPECT_NE(help.find(part), std::string::npos) << part;
  }
  for (size_t start = 0; start < help.size();) {
    const size_t end = help.find('\n', start);
    EXPECT_LE((end == std::string::npos ? help.size() : end) - start, 80u) << help.substr(start);
    start = end == std::string::npos ? help.size() : end + 1;
  }
}

}  // namespace
