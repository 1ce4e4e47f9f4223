// zorax-tool replay-info: the header, the start, the frame count, how the
// game ended and the players' scores of a replay file, read with the
// player's own reader, so that the tool refuses exactly what the player does.
#include "tools/replay_info_command.h"

#include <cstdio>
#include <ctime>

#include "runtime/core/system.h"
#include "runtime/files/file_io.h"
#include "tools/tool_support.h"

namespace {

const char kReplayInfoHelp[] =
    "usage: zorax-tool replay-info FILE\n"
    "\n"
    "Prints what the replay file FILE (.zrp, as the player records every game)\n"
    "holds: the player that recorded it, the game file it was played on (size\n"
    "and SHA-256), when the game started, its frames and how it ended, and each\n"
    "player's final score and lives. Exits with 2 when FILE is not a replay the\n"
    "player can use (truncated, damaged, another format version), else 0.\n";

constexpr int kNotAReplay = 2;

std::string StartText(int64_t startTime, int32_t utcOffset) {
  const std::time_t local = static_cast<std::time_t>(startTime + utcOffset);
  std::tm parts{};
  char date[32] = "?";
  if (UtcCalendarTime(local, parts)) {
    std::strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S", &parts);
  }
  const int32_t minutes = (utcOffset < 0 ? -utcOffset : utcOffset) / 60;
  char zone[16];
  std::snprintf(zone, sizeof zone, " %c%02d%02d", utcOffset < 0 ? '-' : '+', minutes / 60,
                minutes % 60);
  return std::string(date) + zone;
}

std::string LivesText(int32_t lives) {
  if (lives < 0) return "never joined";
  if (lives == 0) return "out";
  return std::to_string(lives) + (lives == 1 ? " life left" : " lives left");
}

}  // namespace

std::string DescribeReplay(const ReplayFile& r) {
  char line[256];
  std::string text;
  auto add = [&](const char* label, const std::string& value) {
    std::snprintf(line, sizeof line, "%-12s %s\n", label, value.c_str());
    text += line;
  };
  add("format", "replay version " + std::to_string(r.Version));
  add("recorded by", r.PlayerVersion.empty() ? "?" : r.PlayerVersion);
  add("game", (r.GameName.empty() ? std::string("?") : r.GameName) + ", " +
                  std::to_string(r.GameSize) + " bytes");
  add("game sha256", Sha256Hex(r.GameSha256));
  add("started", StartText(r.StartTime, r.UtcOffset));
  std::snprintf(line, sizeof line, "%u (%.1f s at 60 frames a second)", r.FrameCount,
                r.FrameCount / 60.0);
  add("frames", line);
  add("ended", r.End == ReplayEnd::kTitle ? "back on the title screen"
                                          : "the program ended during the game");
  for (size_t i = 0; i < r.Players.size(); ++i) {
    const std::string label = "player " + std::to_string(i + 1);
    add(label.c_str(),
        "score " + std::to_string(r.Players[i].Score) + ", " + LivesText(r.Players[i].Lives));
  }
  add("checks", std::to_string(r.Checksums.size()) + " state checksums (one every " +
                    std::to_string(kReplayChecksumInterval) + " frames) and one at the end");
  add("input", std::to_string(r.Input.size()) + " bytes");
  return text;
}

int ReplayInfoCommand(const std::vector<std::string>& args) {
  const std::string command = "replay-info";
  if (WantsHelp(args)) {
    std::fputs(kReplayInfoHelp, stdout);
    return kToolOk;
  }
  std::string file;
  if (int exitCode = kToolOk; !OneFileArgument(command, args, file, exitCode)) return exitCode;
  std::string bytes;
  if (!ReadWholeFile(file, kMaxReplayBytes + 1, bytes)) {
    ToolFailure(command, file + ": cannot be read (a readable file of at most " +
                             std::to_string(kMaxReplayBytes >> 20) + " MiB is needed)");
    return kNotAReplay;
  }
  ReplayFile replay;
  std::string error;
  if (!DecodeReplay(bytes, replay, error)) {
    ToolFailure(command, file + ": " + error);
    return kNotAReplay;
  }
  std::printf("%-12s %s\n%s", "replay", file.c_str(), DescribeReplay(replay).c_str());
  return kToolOk;
}
