// The level's end and its blind: when a level ends, when the closing blind
// starts, and the bands the blind draws at chosen moments.
#include "game/game_loop.h"

#include <gtest/gtest.h>

#include "runtime/core/gl_api.h"
#include "runtime/gfx2d/drawing.h"
#include "tests/gfx2d/gl_test_util.h"

namespace {

// Black rows from the top of each of the first eight 60-pixel bands, in column x.
std::vector<int> BandHeights(int x) {
  std::vector<int> heights;
  for (int band = 0; band < 8; ++band) {
    int black = 0;
    while (black < 60 && gltest::ReadPixel(x, band * 60 + black) == gltest::Rgba{0, 0, 0, 255}) {
      ++black;
    }
    for (int y = band * 60 + black; y < band * 60 + 60; ++y) {
      EXPECT_NE(gltest::ReadPixel(x, y), (gltest::Rgba{0, 0, 0, 255}))
          << "band " << band << " row " << y;
    }
    heights.push_back(black);
  }
  return heights;
}

std::vector<int> BlindAt(double t, int32_t closing) {
  DrawRect(0, 0, 640, 480, 0xFFFFFF);
  WipeTransition(t, closing);
  return BandHeights(300);
}

TEST(GameLoop, TheBlindFillsItsBandsFromTheBottomBandUp) {
  ASSERT_TRUE(gltest::OpenWindow());
  EXPECT_EQ(BlindAt(0.0, 1), (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0}));
  // Band i starts at t = (8 - i) / 16 and is full at (16 - i) / 16.
  EXPECT_EQ(BlindAt(0.5, 1), (std::vector<int>{0, 7, 15, 22, 30, 37, 45, 52}));
  EXPECT_EQ(BlindAt(0.75, 1), (std::vector<int>{30, 37, 45, 52, 60, 60, 60, 60}));
  EXPECT_EQ(BlindAt(1.0, 1), (std::vector<int>{60, 60, 60, 60, 60, 60, 60, 60}));
  // Opening runs the other way: at t the picture of closing at 1 - t.
  EXPECT_EQ(BlindAt(0.25, 0), (std::vector<int>{30, 37, 45, 52, 60, 60, 60, 60}));
  EXPECT_EQ(BlindAt(1.0, 0), (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0}));
}

struct EndRig {
  EndRig() : session(game) {
    session.ScrollY = 300;
    session.LevelClear = 1;
    game.Players[0].Hits = 2;
    game.Players[1].Hits = -1;
  }
  double At(int32_t frameTime) {
    session.FrameTime = frameTime;
    return LevelEndStep(session);
  }
  GameRecord game;
  GameSession session;
};

TEST(GameLoop, LevelsEndAtTheTopOrWhenEveryShipIsOut) {
  EndRig running;
  EXPECT_DOUBLE_EQ(running.At(17), 0.034);
  EXPECT_EQ(running.session.Ending, 0);

  // Reaching the top long after the opening starts the closing blind now.
  EndRig top;
  top.session.ScrollY = -1;
  EXPECT_DOUBLE_EQ(top.At(5000), 0.0);
  EXPECT_EQ(top.session.Ending, 1);
  EXPECT_EQ(top.session.TransitionStart, 5000);
  EXPECT_DOUBLE_EQ(top.At(5510), 1.02);  // the level is over

  // ... but not while an enemy holds the level open.
  EndRig held;
  held.session.ScrollY = 0;
  held.session.LevelClear = 0;
  held.At(5000);
  EXPECT_EQ(held.session.Ending, 0);

  // Between 500 and 1000 ms after the start the level ends at once.
  EndRig soon;
  soon.session.ScrollY = 0;
  EXPECT_DOUBLE_EQ(soon.At(700), 1.4);
  EXPECT_EQ(soon.session.Ending, 1);

  // During the opening the blind turns round where it is.
  EndRig opening;
  opening.session.ScrollY = 0;
  EXPECT_DOUBLE_EQ(opening.At(100), 0.2);
  EXPECT_EQ(opening.session.Ending, 1);

  // The last ship out: the closing blind starts in that frame.
  EndRig out;
  out.game.Players[0].Hits = 0;
  EXPECT_DOUBLE_EQ(out.At(4000), 0.0);
  EXPECT_EQ(out.session.Ending, 1);
  EXPECT_EQ(out.session.TransitionStart, 4000);
}

}  // namespace
