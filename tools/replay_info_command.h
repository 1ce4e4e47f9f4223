// zorax-tool replay-info: what a replay file holds, for people.
#pragma once

#include <string>
#include <vector>

#include "player/replays/replay_file.h"

int ReplayInfoCommand(const std::vector<std::string>& args);

// The text replay-info prints for a decoded replay.
std::string DescribeReplay(const ReplayFile& replay);
