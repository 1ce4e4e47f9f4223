// What the camera promises in each scroll mode (including the slow-scroll
// table and the ships carried along), the horizontal follow, and the tile
// layers drawn exactly where the scroll puts them.
#include "game/camera.h"

#include <gtest/gtest.h>

#include <vector>

#include "game/game_file.h"
#include "game/palette.h"
#include "runtime/core/gl_api.h"
#include "runtime/core/window.h"
#include "tests/gfx2d/gl_test_util.h"

namespace {

// A 14 x 30 map of 48-pixel tiles under a 640 x 480 screen, 32-pixel sprites.
struct CameraRig {
  explicit CameraRig(int32_t mode, int32_t speed = 5) : session(game) {
    game.Levels[0].ScrollMode = mode;
    game.Levels[0].ScrollSpeed = speed;
    LevelMeasures& m = session.Measures;
    m.TileW = m.TileH = 48;
    m.MapW = 14;
    m.MapH = 30;
    m.MapWidthPx = 14 * 48;
    m.MapHeightPx = 30 * 48;
    m.SpriteW = m.SpriteH = 32;
    m.ScreenW = 640;
    m.ScreenH = 480;
    session.ScrollY = 960;
    session.PrevScrollY = 960;
    for (ObjectRecord& player : game.Players) player.Hits = -1;
  }
  void Place(int32_t i, int32_t x, int32_t y, int32_t hits = 3) {
    game.Players[i].X = x;
    game.Players[i].Y = y;
    game.Players[i].Hits = hits;
  }
  GameRecord game;
  GameSession session;
};

TEST(Camera, ConstantScrollFollowsTheSpeedTable) {
  // Pixels scrolled in 60 frames for each ScrollSpeed.
  const std::vector<std::pair<int32_t, int32_t>> table = {
      {-1, 8}, {0, 10}, {1, 12}, {2, 15}, {3, 20}, {4, 30}, {5, 60}, {6, 120}, {9, 300}};
  for (auto [speed, pixels] : table) {
    CameraRig rig(1, speed);
    rig.Place(0, 100, 1200);
    rig.game.Players[1].Y = 700;  // not in play, still carried along
    for (int frame = 0; frame < 60; ++frame) CameraStep(rig.session);
    EXPECT_EQ(960 - rig.session.ScrollY, pixels) << "speed " << speed;
    EXPECT_EQ(1200 - rig.game.Players[0].Y, pixels) << "speed " << speed;
    EXPECT_EQ(700 - rig.game.Players[1].Y, pixels) << "speed " << speed;
  }
  // The slow counter is never reset, so a level may take its first step early.
  CameraRig early(1, 1);
  early.session.SlowScrollCount = 4;
  CameraStep(early.session);
  EXPECT_EQ(early.session.ScrollY, 959);
  // It stops once at the top, a few pixels past it with big steps.
  CameraRig top(1, 7);
  top.session.ScrollY = 4;
  for (int frame = 0; frame < 5; ++frame) CameraStep(top.session);
  EXPECT_EQ(top.session.ScrollY, -2);
}

TEST(Camera, StillAndPushedModes) {
  CameraRig still(0);
  CameraStep(still.session);
  EXPECT_EQ(still.session.ScrollY, 0);

  // Pushed: a quarter screen and 2 pixels above the highest ship, never down.
  CameraRig pushed(2);
  pushed.Place(0, 300, 1000);
  CameraStep(pushed.session);
  EXPECT_EQ(pushed.session.ScrollY, 1000 - 120 - 2);
  pushed.session.PrevScrollY = pushed.session.ScrollY;
  pushed.game.Players[0].Y = 1300;
  CameraStep(pushed.session);
  EXPECT_EQ(pushed.session.ScrollY, 878) << "the camera never moves down";
  // A ship at the bottom edge holds it where it is.
  pushed.session.PrevScrollY = 900;
  pushed.Place(0, 300, 800);
  pushed.Place(1, 300, 1400);
  CameraStep(pushed.session);
  EXPECT_EQ(pushed.session.ScrollY, 900);
  // No ship in play: limited to the bottom of the map and by the last scroll.
  CameraRig empty(2);
  empty.session.PrevScrollY = 1500;
  CameraStep(empty.session);
  EXPECT_EQ(empty.session.ScrollY, 960);
  // Modes the game does not know leave it alone.
  CameraRig other(3);
  other.session.ScrollY = 123;
  CameraStep(other.session);
  EXPECT_EQ(other.session.ScrollY, 123);
}

TEST(Camera, HorizontalFollowsTheAverageShip) {
  CameraRig rig(0);
  rig.Place(0, 640, 500);
  CameraStep(rig.session);
  EXPECT_EQ(rig.session.ScrollX, 32) << "limited to the map's right edge";
  rig.session.Measures.MapW = 40;
  rig.session.Measures.MapWidthPx = 40 * 48;
  CameraStep(rig.session);
  EXPECT_EQ(rig.session.ScrollX, 832);  // 0.5 x (1920 + 768 - 640) - 192
  rig.Place(0, 100, 500);
  rig.Place(1, 1181, 500);  // average 640 (integer division)
  CameraStep(rig.session);
  EXPECT_EQ(rig.session.ScrollX, 832);
  rig.game.Players[1].Hits = 0;
  CameraStep(rig.session);
  EXPECT_EQ(rig.session.ScrollX, 0);
  rig.game.Players[0].Hits = -1;
  rig.session.ScrollX = 77;
  CameraStep(rig.session);
  EXPECT_EQ(rig.session.ScrollX, 77) << "no ship in play: kept";
}

// Colour of tile t in the layer test.
int32_t TileColour(int32_t t) {
  return kPalette[t == 0 ? 2 : 24];
}

TEST(Camera, LayersAreDrawnWhereTheScrollPutsThem) {
  ASSERT_TRUE(gltest::OpenWindow());
  RtArray<ImageRecord> tiles;
  tiles.Dimension(2);
  for (int32_t t = 0; t < 2; ++t) {
    tiles[t].Pixels.Dimension(16, 16);
    for (int32_t& pixel : tiles[t].Pixels) pixel = TileColour(t);
    tiles[t].SpriteId = 1024 + t;
    BuildImageSprite(tiles[t], 48);
  }
  RtArray<int32_t> layer;
  layer.Dimension(50, 40);
  for (int32_t y = 0; y < 40; ++y) {
    for (int32_t x = 0; x < 50; ++x) layer(x, y) = (x + 2 * y) % 5 == 0 ? -1 : (x * y) % 3 == 1;
  }
  RtArray<int32_t> small;
  small.Dimension(3, 2);
  for (int32_t& cell : small) cell = 1;

  struct Case {
    const RtArray<int32_t>* Layer;
    int32_t ScrollX, ScrollY;
  };
  for (const Case& c : {Case{&layer, 50, 70}, Case{&layer, 0, 0}, Case{&layer, 170, 161},
                        Case{&small, 0, 0}, Case{&small, 20, -10}}) {
    glClear(GL_COLOR_BUFFER_BIT);
    DrawLayer(tiles, *c.Layer, c.ScrollX, c.ScrollY);
    std::vector<uint8_t> pixels(640 * 480 * 4);
    FlushPendingDrawing();
    glReadPixels(0, 0, 640, 480, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    int wrong = 0;
    for (int sy = 0; sy < 480; ++sy) {
      for (int sx = 0; sx < 640; ++sx) {
        const int mx = sx + c.ScrollX;
        const int my = sy + c.ScrollY;
        int32_t expected = 0;
        if (mx >= 0 && my >= 0 && mx / 16 < c.Layer->DimSize(0) && my / 16 < c.Layer->DimSize(1)) {
          const int32_t cell = (*c.Layer)(mx / 16, my / 16);
          if (cell >= 0) expected = TileColour(cell);
        }
        const uint8_t* p = &pixels[((479 - sy) * 640 + sx) * 4];
        const int32_t got = p[0] | p[1] << 8 | p[2] << 16;
        wrong += got != expected;
      }
    }
    EXPECT_EQ(wrong, 0) << "scroll " << c.ScrollX << ", " << c.ScrollY;
  }

  // A tile larger than the cell overlaps the next one, drawn after it in the
  // row whatever the images' slots.
  for (int32_t t = 0; t < 2; ++t) {
    tiles[t].Pixels.Dimension(16 + 8 * t, 16 + 8 * t);
    for (int32_t& pixel : tiles[t].Pixels) pixel = TileColour(t);
    BuildImageSprite(tiles[t], 48);
  }
  small(0, 0) = 1;
  small(1, 0) = 0;
  glClear(GL_COLOR_BUFFER_BIT);
  DrawLayer(tiles, small, 0, 0);
  EXPECT_EQ(gltest::ReadPixel(10, 5).G, (TileColour(1) >> 8) & 255);
  EXPECT_EQ(gltest::ReadPixel(20, 5).G, (TileColour(0) >> 8) & 255);
}

}  // namespace
