// A seam in the game's frames, for tests, scripted runs and replays of the
// real program: a few observers, called in the order they were added right
// before each PresentFrame of the game with what is on the back buffer and
// the running state. From there one may push SDL events (input read after
// the frame), save the picture (SaveScreen), read or check the state, or end
// the program. With no observer installed the game runs exactly as without
// the seam.
//
// SetGameFrameObserver  makes observer the only one (nullptr removes them all)
// AddGameFrameObserver  adds one after those already there; false when the
//                       seam is full (kMaxGameFrameObservers); adding one twice
//                       keeps the first place
// RemoveGameFrameObserver  takes one out (the others keep their order)
// ObserveGameFrame      called by the game before each of its PresentFrame calls
// ObserveEscapeHeld     called by a level on every poll while it waits for Escape
//                       to be released (no frame is presented meanwhile)
// GameFramesPresented   frames the game has presented so far
// LastGameFrameKind     the kind of the latest frame the game presented (or is
//                       about to present): what the screen shows now
#pragma once

#include <cstdint>

#include "game/game_state.h"

enum class GameFrameKind : int32_t {
  kLoading = 0,     // the main program's "Loading..." frame
  kLoadError = 1,   // the "Load Error!" frame; a mouse click then ends the program
  kTitle = 2,       // a frame of the title screen
  kLevel = 3,       // a frame of a level, with everything drawn
  kEscapeHeld = 4,  // not a frame: a level waits for Escape to be released
};

struct GameFrame {
  GameFrameKind Kind = GameFrameKind::kLoading;
  int64_t Number = 0;        // frames presented by the game before this one
  int64_t NumberInPart = 0;  // frames of this title screen or this level before this one
  GameRecord* Game = nullptr;
  GameSession* Session = nullptr;  // null before the game loop runs
};

using GameFrameObserver = void (*)(const GameFrame& frame);

inline constexpr int kMaxGameFrameObservers = 4;

void SetGameFrameObserver(GameFrameObserver observer);
bool AddGameFrameObserver(GameFrameObserver observer);
void RemoveGameFrameObserver(GameFrameObserver observer);
void ObserveGameFrame(GameFrameKind kind, int64_t numberInPart, GameRecord& game,
                      GameSession* session);
void ObserveEscapeHeld(int64_t numberInPart, GameSession& session);
int64_t GameFramesPresented();
GameFrameKind LastGameFrameKind();
