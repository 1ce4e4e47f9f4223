// The game state a replay cares about: what carries from one game to the
// next (taken when a game starts and put back before it is replayed), and a
// checksum of everything the game keeps while it runs, to find the first
// frame where a replay no longer plays the game that was recorded.
//
// CaptureStartState   the random generator and the clocks that outlive a game
// RestoreStartState   puts them back into the runtime and the session
// GameStateChecksum   64-bit FNV-1a over the running state, the same on any machine
#pragma once

#include <cstdint>

#include "game/game_state.h"
#include "player/replays/replay_file.h"

ReplayStartState CaptureStartState(const GameSession& session);
void RestoreStartState(const ReplayStartState& start, GameSession& session);
uint64_t GameStateChecksum(const GameSession& session);
