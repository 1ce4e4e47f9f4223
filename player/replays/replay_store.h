// Where recorded games are kept: replays/ in the player's data folder
// ($XDG_DATA_HOME/zorax/replays/, else ~/.local/share/zorax/replays/;
// %LOCALAPPDATA%\Zorax\replays\ on Windows), one file per game named
// <game>-<YYYYMMDD-HHMMSS>.zrp after the local time the game started, and
// only the newest few per game.
//
// ReplayFolder        the data folder's replays/; "" when no home is known
// ReplayGameName      the game's name made safe for a file name: letters,
//                     digits, "-", "_" and "." (not first), at most 64 bytes
// ReplayFileName      "<game>-<YYYYMMDD-HHMMSS>.zrp" for a start time
// SaveReplay          writes one replay (creating the folder, never replacing
//                     another game's file), then keeps the newest `keep` of
//                     that game; false with the problem, the replay then lost
// KeepNewestReplays   deletes a game's older replays beyond the newest `keep`
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "player/replays/replay_file.h"

inline constexpr size_t kReplaysKeptPerGame = 50;

std::string ReplayFolder();
std::string ReplayGameName(const std::string& gameName);
std::string ReplayFileName(const std::string& game, int64_t startTime, int32_t utcOffset);
bool SaveReplay(const std::string& folder, const ReplayFile& replay, size_t keep,
                std::string& savedPath, std::string& error);
// The names deleted, oldest first.
std::vector<std::string> KeepNewestReplays(const std::string& folder, const std::string& game,
                                           size_t keep);
