// The frame seam: a short list of observers and the game's frame count.
#include "game/frame_seam.h"

#include <array>

namespace {

std::array<GameFrameObserver, kMaxGameFrameObservers> g_observers{};
int g_observerCount = 0;
int64_t g_framesPresented = 0;
GameFrameKind g_lastKind = GameFrameKind::kLoading;

// Calls every observer on a copy of the list: an observer may add or remove
// observers (its own entry too) while it runs.
void Notify(const GameFrame& frame) {
  const std::array<GameFrameObserver, kMaxGameFrameObservers> observers = g_observers;
  const int count = g_observerCount;
  for (int i = 0; i < count; ++i) observers[i](frame);
}

}  // namespace

void SetGameFrameObserver(GameFrameObserver observer) {
  g_observers.fill(nullptr);
  g_observerCount = 0;
  if (observer != nullptr) g_observers[g_observerCount++] = observer;
}

bool AddGameFrameObserver(GameFrameObserver observer) {
  if (observer == nullptr) return false;
  for (int i = 0; i < g_observerCount; ++i) {
    if (g_observers[i] == observer) return true;
  }
  if (g_observerCount == kMaxGameFrameObservers) return false;
  g_observers[g_observerCount++] = observer;
  return true;
}

void RemoveGameFrameObserver(GameFrameObserver observer) {
  int kept = 0;
  for (int i = 0; i < g_observerCount; ++i) {
    if (g_observers[i] != observer) g_observers[kept++] = g_observers[i];
  }
  for (int i = kept; i < g_observerCount; ++i) g_observers[i] = nullptr;
  g_observerCount = kept;
}

void ObserveGameFrame(GameFrameKind kind, int64_t numberInPart, GameRecord& game,
                      GameSession* session) {
  const int64_t number = g_framesPresented++;
  g_lastKind = kind;
  if (g_observerCount == 0) return;
  GameFrame frame;
  frame.Kind = kind;
  frame.Number = number;
  frame.NumberInPart = numberInPart;
  frame.Game = &game;
  frame.Session = session;
  Notify(frame);
}

void ObserveEscapeHeld(int64_t numberInPart, GameSession& session) {
  if (g_observerCount == 0) return;
  GameFrame frame;
  frame.Kind = GameFrameKind::kEscapeHeld;
  frame.Number = g_framesPresented;
  frame.NumberInPart = numberInPart;
  frame.Game = &session.Game;
  frame.Session = &session;
  Notify(frame);
}

int64_t GameFramesPresented() {
  return g_framesPresented;
}

GameFrameKind LastGameFrameKind() {
  return g_lastKind;
}
