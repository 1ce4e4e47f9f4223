// The two seams replays hang on: the controls seam (a source answering reads
// in place of the devices, a listener seeing each answer, the level's Escape
// read among them) and the frame seam's list of observers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/controls.h"
#include "game/frame_seam.h"

namespace {

std::vector<int32_t>& Heard() {
  static std::vector<int32_t> heard;
  return heard;
}

Controls Source(int32_t reader) {
  Controls c;
  c.Dx = reader == 1 ? -1 : 1;
  c.Fire = reader == kEscapeReader ? 1 : 0;
  return c;
}

void Listener(int32_t reader, const Controls& value) {
  Heard().push_back(reader * 100 + value.Dx * 10 + value.Fire);
}

std::vector<std::string>& Calls() {
  static std::vector<std::string> calls;
  return calls;
}

void First(const GameFrame& frame) {
  Calls().push_back("first " + std::to_string(frame.Number));
}
void Second(const GameFrame& frame) {
  Calls().push_back("second " + std::to_string(frame.Number));
}
template <int N>
void Nth(const GameFrame&) {
  Calls().push_back("n" + std::to_string(N));
}

// Takes itself and the first one out while the seam calls them.
void Leaving(const GameFrame& frame) {
  Calls().push_back("leaving " + std::to_string(frame.Number));
  RemoveGameFrameObserver(Leaving);
  RemoveGameFrameObserver(First);
}

}  // namespace

TEST(ControlsSeam, ASourceAnswersEveryReadAndTheListenerHearsEachInOrder) {
  Heard().clear();
  SetControlsSource(Source);
  SetControlsListener(Listener);
  EXPECT_EQ(ReadControls(0).Dx, 1);
  EXPECT_EQ(ReadControls(1).Dx, -1);
  EXPECT_EQ(ReadEscapeKey(), 1);
  EXPECT_EQ(Heard(), (std::vector<int32_t>{10, 100 - 10, -100 + 10 + 1}));
  // Without a source the devices answer: no window, no keys, nothing held;
  // the listener still hears it.
  SetControlsSource(nullptr);
  Heard().clear();
  EXPECT_EQ(ReadEscapeKey(), 0);
  const Controls none = ReadControls(0);
  EXPECT_EQ(none.Dx, 0);
  EXPECT_EQ(none.Fire, 0);
  EXPECT_EQ(Heard(), (std::vector<int32_t>{-100, 0}));
  SetControlsListener(nullptr);
  ReadControls(1);
  EXPECT_EQ(Heard().size(), 2u);
}

TEST(FrameSeam, ObserversAreCalledInTheOrderAddedAndMayLeaveWhileCalled) {
  GameRecord game;
  Calls().clear();
  SetGameFrameObserver(First);
  EXPECT_TRUE(AddGameFrameObserver(Leaving));
  EXPECT_TRUE(AddGameFrameObserver(Second));
  EXPECT_TRUE(AddGameFrameObserver(First));  // already there: keeps its place
  const int64_t n = GameFramesPresented();
  ObserveGameFrame(GameFrameKind::kTitle, 0, game, nullptr);
  ObserveGameFrame(GameFrameKind::kTitle, 1, game, nullptr);
  EXPECT_EQ(Calls(), (std::vector<std::string>{
                         "first " + std::to_string(n), "leaving " + std::to_string(n),
                         "second " + std::to_string(n), "second " + std::to_string(n + 1)}));
  // The list is bounded; setting one replaces them all; nullptr empties it.
  SetGameFrameObserver(nullptr);
  static_assert(kMaxGameFrameObservers == 4);
  EXPECT_TRUE(AddGameFrameObserver(Nth<0>));
  EXPECT_TRUE(AddGameFrameObserver(Nth<1>));
  EXPECT_TRUE(AddGameFrameObserver(Nth<2>));
  EXPECT_TRUE(AddGameFrameObserver(Nth<3>));
  EXPECT_FALSE(AddGameFrameObserver(Nth<4>));
  EXPECT_FALSE(AddGameFrameObserver(nullptr));
  RemoveGameFrameObserver(Nth<1>);
  Calls().clear();
  ObserveGameFrame(GameFrameKind::kTitle, 2, game, nullptr);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"n0", "n2", "n3"}));
  SetGameFrameObserver(Second);
  Calls().clear();
  ObserveGameFrame(GameFrameKind::kTitle, 3, game, nullptr);
  EXPECT_EQ(Calls().size(), 1u);
  SetGameFrameObserver(nullptr);
  ObserveGameFrame(GameFrameKind::kTitle, 4, game, nullptr);
  EXPECT_EQ(Calls().size(), 1u);
}
