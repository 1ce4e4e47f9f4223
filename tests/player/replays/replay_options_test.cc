// The replay options of the command line: what each takes, what goes
// together, and what is refused before anything starts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "player/options.h"
#include "player/settings/settings.h"
#include "tests/player/command_line.h"

namespace {

struct Parsed {
  bool Ok = false;
  PlayerOptions Options;
  std::string Error;
};

Parsed Parse(const std::vector<const char*>& words) {
  Parsed parsed;
  parsed.Ok =
      playertest::ParseCommandLine({words.begin(), words.end()}, parsed.Options, parsed.Error);
  return parsed;
}

}  // namespace

TEST(ReplayOptions, ReplayAndVerifyTakeTheNextWordAsTheirFile) {
  Parsed p = Parse({"--replay", "run.zrp"});
  ASSERT_TRUE(p.Ok) << p.Error;
  EXPECT_EQ(p.Options.ReplayFile, "run.zrp");
  EXPECT_TRUE(p.Options.Path.empty());
  // The file may look like an option; PATH may come before or after.
  p = Parse({"somewhere/game.zorax", "--verify", "--force", "--force"});
  ASSERT_TRUE(p.Ok) << p.Error;
  EXPECT_EQ(p.Options.VerifyFile, "--force");
  EXPECT_TRUE(p.Options.Force);
  EXPECT_EQ(p.Options.Path, "somewhere/game.zorax");
  p = Parse({"--replay=a=b.zrp"});
  ASSERT_TRUE(p.Ok) << p.Error;
  EXPECT_EQ(p.Options.ReplayFile, "a=b.zrp");
  p = Parse({"--no-record"});
  ASSERT_TRUE(p.Ok) << p.Error;
  EXPECT_TRUE(p.Options.NoRecord);
  EXPECT_TRUE(Parse({}).Ok);
  EXPECT_FALSE(Parse({}).Options.NoRecord);
}

TEST(ReplayOptions, MistakesAreRefusedWithAReason) {
  const std::vector<std::pair<std::vector<const char*>, const char*>> cases = {
      {{"--replay"}, "--replay wants a value"},
      {{"--verify", ""}, "--verify needs a replay FILE"},
      {{"--verify="}, "--verify needs a replay FILE"},
      {{"--replay", "a.zrp", "--verify", "b.zrp"}, "do not go together"},
      {{"--force"}, "--force goes with"},
      {{"--no-record", "--force"}, "--force goes with"},
  };
  for (const auto& [words, says] : cases) {
    const Parsed p = Parse(words);
    EXPECT_FALSE(p.Ok) << says;
    EXPECT_NE(p.Error.find(says), std::string::npos) << p.Error;
  }
}

TEST(ReplayOptions, HelpNamesEveryReplayOptionAndTheVerifyExitCodes) {
  const std::string help = PlayerUsage("zorax-player");
  for (const char* word : {"--no-record", "--replay FILE", "--verify FILE", "--force",
                           "$XDG_DATA_HOME/zorax/replays/", "1 it parted from its game"}) {
    EXPECT_NE(help.find(word), std::string::npos) << word;
  }
}

TEST(ReplayOptions, TheSettingsFileTurnsRecordingOffAndKeepsItSo) {
  SettingsFile file;
  ReadSettingsText("[Replays]\nRecord = 0\n", "settings.ini", file);
  EXPECT_TRUE(file.Problems.empty()) << file.Problems.front();
  EXPECT_FALSE(file.Values.RecordReplays);
  // Written back as read, and into a file of its own when changed from the
  // default; a bad value is reported and leaves the default.
  EXPECT_EQ(SettingsText(file, file.Values), "[Replays]\r\nRecord=0\r\n");
  EXPECT_EQ(SettingsText(SettingsFile{}, file.Values), "[replays]\r\nrecord=0\r\n");
  SettingsFile bad;
  ReadSettingsText("[replays]\nrecord = maybe\n", "settings.ini", bad);
  EXPECT_EQ(bad.Problems.size(), 1u);
  EXPECT_TRUE(bad.Values.RecordReplays);
  EXPECT_TRUE(PlayerSettings().RecordReplays);
}
