// The camera: where the screen's top-left corner lies on the map in each
// frame. Map sizes come from an untrusted file, so sums and products are
// taken wide and wrapped back to 32 bits rather than left to overflow.
#include "game/camera.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "runtime/gfx2d/drawing.h"

namespace {

int32_t Wrap32(int64_t value) {
  return static_cast<int32_t>(static_cast<uint32_t>(value));
}

// Truncation toward zero; what no integer can hold gives the lowest integer.
int32_t TruncToInt32(double value) {
  if (!(value > -2147483649.0 && value < 2147483648.0)) return INT32_MIN;
  return static_cast<int32_t>(value);
}

}  // namespace

void CameraStep(GameSession& session) {
  const LevelMeasures& m = session.Measures;
  RtArray<ObjectRecord>& players = session.Game.Players;

  // The extent of the players in play.
  int64_t sumX = 0;
  int32_t topY = m.MapHeightPx;
  int32_t bottomY = 0;
  int32_t count = 0;
  for (const ObjectRecord& player : players) {
    if (player.Hits <= 0) continue;
    sumX += player.X;
    topY = std::min(topY, player.Y);
    bottomY = std::max(bottomY, player.Y);
    ++count;
  }

  // Horizontal: the average ship's place on the screen, stretched over the map
  // and a margin of 8 tiles each side.
  if (count > 0) {
    const double averageX = static_cast<double>(sumX / count);
    const double screenW = m.ScreenW;
    int32_t scrollX =
        TruncToInt32(((averageX - screenW * 0.5) / screenW) *
                         (static_cast<double>(m.MapWidthPx) + 16.0 * m.TileW - screenW) -
                     4.0 * m.TileW);
    scrollX = std::min(scrollX, Wrap32(int64_t{m.MapWidthPx} - m.ScreenW));
    session.ScrollX = std::max(scrollX, 0);
  }

  const LevelRecord& level = session.Level();
  switch (level.ScrollMode) {
    case 0:
      session.ScrollY = 0;
      break;
    case 1: {
      if (session.ScrollY <= 0) break;
      int32_t step = 0;
      if (level.ScrollSpeed < 5) {
        // Slow speeds move one pixel every (6 - ScrollSpeed) frames.
        ++session.SlowScrollCount;
        if (session.SlowScrollCount >= int64_t{6} - level.ScrollSpeed) {
          step = 1;
          session.SlowScrollCount = 0;
        }
      } else {
        step = level.ScrollSpeed - 4;
      }
      if (step == 0) break;
      session.ScrollY -= step;
      // Every ship keeps its place on the screen, in play or not.
      for (ObjectRecord& player : players) player.Y = Wrap32(int64_t{player.Y} - step);
      break;
    }
    case 2: {
      // Follow the highest ship, a quarter screen and 2 pixels below the top
      // edge; never down, and not while a ship is at the bottom edge.
      int64_t candidate = int64_t{topY} - m.ScreenH / 4 - 2;
      candidate = std::min<int64_t>(candidate, int64_t{m.MapHeightPx} - m.ScreenH);
      candidate = std::max<int64_t>(candidate, 0);
      if (candidate + m.ScreenH - m.SpriteH < bottomY) candidate = session.PrevScrollY;
      session.ScrollY = static_cast<int32_t>(std::min<int64_t>(candidate, session.PrevScrollY));
      break;
    }
    default:
      break;
  }
}

void DrawLayer(const RtArray<ImageRecord>& tiles, const RtArray<int32_t>& layer, int32_t scrollX,
               int32_t scrollY) {
  int32_t screenW = 0;
  int32_t screenH = 0;
  GetScreenSize(screenW, screenH);
  int32_t cellW = 0;
  int32_t cellH = 0;
  GetSpriteSize(tiles[0].SpriteId, cellW, cellH);
  // A first tile that never reached its slot has no size to divide by.
  if (cellW <= 0 || cellH <= 0) return;

  const int32_t x0 = std::max(0, scrollX / cellW - 1);
  const int64_t x1 = std::min<int64_t>(layer.DimSize(0) - 1, int64_t{screenW / cellW} + 2 + x0);
  const int32_t y0 = std::max(0, scrollY / cellH - 1);
  const int64_t y1 = std::min<int64_t>(layer.DimSize(1) - 1, int64_t{screenH / cellH} + 2 + y0);
  // Tiles no larger than a cell cannot overlap one another, so the order they
  // are drawn in does not show: grouped by image, each image's cells go to
  // the drawing layer as one batch instead of one a cell. A larger tile
  // overlaps its neighbours, and then rows are drawn in order.
  struct PlacedTile {
    int32_t SpriteId, X, Y;
  };
  static std::vector<PlacedTile> placed;
  placed.clear();
  bool apart = true;
  for (int32_t y = y0; y <= y1; ++y) {
    for (int32_t x = x0; x <= x1; ++x) {
      const int32_t tile = layer(x, y);
      if (tile < 0) continue;
      const int32_t id = tiles[tile].SpriteId;
      int32_t w = 0;
      int32_t h = 0;
      GetSpriteSize(id, w, h);
      apart = apart && w <= cellW && h <= cellH;
      placed.push_back(
          {id, Wrap32(int64_t{x} * cellW - scrollX), Wrap32(int64_t{y} * cellH - scrollY)});
    }
  }
  if (apart) {
    std::stable_sort(placed.begin(), placed.end(), [](const PlacedTile& a, const PlacedTile& b) {
      return a.SpriteId < b.SpriteId;
    });
  }
  for (const PlacedTile& p : placed) DrawSprite(p.SpriteId, p.X, p.Y);
}
