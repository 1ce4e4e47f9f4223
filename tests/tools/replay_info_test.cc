// zorax-tool replay-info: every field a person looks for, and exit code 2
// with the reader's reason for a file that is not a usable replay.
#include <gtest/gtest.h>

#include "player/replays/replay_file.h"
#include "tests/support/test_env.h"
#include "tools/replay_info_command.h"

namespace {

ReplayFile Sample() {
  ReplayFile replay;
  replay.PlayerVersion = "skylane 0.1";
  replay.GameName = "skylane";
  replay.GameSize = 183492;
  replay.GameSha256 = Sha256("the game");
  replay.StartTime = 1700000000;  // 2023-11-14 22:13:20 UTC
  replay.UtcOffset = -(5 * 3600 + 30 * 60);
  ReplayInputWriter input;
  for (int f = 0; f < 125; ++f) {
    input.Add(0, Controls{0, 0, f == 0 ? 1 : 0});
    input.EndFrame();
  }
  replay.Input = input.Input();
  replay.FrameCount = 125;
  replay.End = ReplayEnd::kProgramEnded;
  replay.Players = {{4250, 2}, {0, -1}};
  replay.Checksums = {7, 8};
  return replay;
}

}  // namespace

TEST(ReplayInfo, ShowsTheHeaderTheStartTheFramesAndEachPlayer) {
  const std::string text = DescribeReplay(Sample());
  for (const char* line :
       {"format       replay version 1\n", "recorded by  skylane 0.1\n",
        "game         skylane, 183492 bytes\n", "game sha256  " /* then the digest */,
        "started      2023-11-14 16:43:20 -0530\n",
        "frames       125 (2.1 s at 60 frames a second)\n",
        "ended        the program ended during the game\n",
        "player 1     score 4250, 2 lives left\n", "player 2     score 0, never joined\n",
        "checks       2 state checksums (one every 60 frames) and one at the end\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
  }
  EXPECT_NE(text.find(Sha256Hex(Sha256("the game"))), std::string::npos) << text;
}

TEST(ReplayInfo, AFileThatIsNoUsableReplayEndsWithCodeTwo) {
  const std::string folder = testenv::MakeDir("info");
  const std::string good = folder + "/good.zrp";
  const std::string bytes = EncodeReplay(Sample());
  testenv::WriteFile(good, bytes);
  EXPECT_EQ(ReplayInfoCommand({good}), 0);

  const std::string cut = folder + "/cut.zrp";
  testenv::WriteFile(cut, bytes.substr(0, 100));
  testing::internal::CaptureStderr();
  EXPECT_EQ(ReplayInfoCommand({cut}), 2);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("cut.zrp: damaged or truncated"), std::string::npos) << said;

  EXPECT_EQ(ReplayInfoCommand({folder + "/missing.zrp"}), 2);
  EXPECT_EQ(ReplayInfoCommand({folder}), 2);  // a folder is no file
  EXPECT_EQ(ReplayInfoCommand({}), 2);        // no FILE: a usage error
  EXPECT_EQ(ReplayInfoCommand({"--help"}), 0);
}
