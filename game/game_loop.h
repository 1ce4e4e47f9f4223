// The game itself: the title screen, the levels one after another with the
// frame in its fixed order of steps, the blind between levels, and the way
// back to the title screen after a game is over, won or abandoned.
//
// RunGame          starts the game (StartGame), then plays game after game; never returns:
//                  the program ends in PresentFrame (Escape on the title, Alt+F4, closing)
// StartGame        once per run: the game's sounds, the in-game font (slot 1), scores 0,
//                  the players as loaded kept in SavedPlayers, one FireLatch per player
// PlayGame         one game: players restored, the title screen, then the levels until no
//                  player is left, the last level is over, or Escape abandons it
// ShowTitle        the title text centred as a block; returns once a player presses fire
//                  (from the second frame on), that player with Hits 1, the others -1
// StartLevel       places the players, measures the waves' paths and the level, empties
//                  the enemies and bullets and puts the camera at the bottom of the map
// PlayLevel        the level's frames until its closing blind is done (kEnded) or Escape
//                  (kAbandoned)
// PlayLevelFrame   one frame of the level, steps 1 to 14
// LevelEndStep     frame step 12: the level's end and its blind; the transition time t
// WipeTransition   the blind: 9 black bands filling from their top edges, the lowest first,
//                  for progress t (0 open .. 1 black) when closing, reversed when opening
#pragma once

#include <cstdint>

#include "game/game_state.h"

enum class LevelOutcome { kEnded, kAbandoned };
enum class FrameOutcome { kContinue, kLevelOver, kAbandoned };

[[noreturn]] void RunGame(GameRecord& game);
void StartGame(GameSession& session);
void PlayGame(GameSession& session);
void ShowTitle(GameSession& session);
void StartLevel(GameSession& session);
LevelOutcome PlayLevel(GameSession& session);
FrameOutcome PlayLevelFrame(GameSession& session, int64_t frameInLevel);
double LevelEndStep(GameSession& session);
void WipeTransition(double t, int32_t closing);
