// The frame seam: one observer pointer and the game's frame count.
#include "game/frame_seam.h"

namespace {

GameFrameObserver g_observer = nullptr;
int64_t g_framesPresented = 0;
GameFrameKind g_lastKind = GameFrameKind::kLoading;

}  // namespace

void SetGameFrameObserver(GameFrameObserver observer) {
  g_observer = observer;
}

void ObserveGameFrame(GameFrameKind kind, int64_t numberInPart, GameRecord& game,
                      GameSession* session) {
  const int64_t number = g_framesPresented++;
  g_lastKind = kind;
  if (g_observer == nullptr) return;
  GameFrame frame;
  frame.Kind = kind;
  frame.Number = number;
  frame.NumberInPart = numberInPart;
  frame.Game = &game;
  frame.Session = session;
  g_observer(frame);
}

void ObserveEscapeHeld(int64_t numberInPart, GameSession& session) {
  if (g_observer == nullptr) return;
  GameFrame frame;
  frame.Kind = GameFrameKind::kEscapeHeld;
  frame.Number = g_framesPresented;
  frame.NumberInPart = numberInPart;
  frame.Game = &session.Game;
  frame.Session = &session;
  g_observer(frame);
}

int64_t GameFramesPresented() {
  return g_framesPresented;
}

GameFrameKind LastGameFrameKind() {
  return g_lastKind;
}
