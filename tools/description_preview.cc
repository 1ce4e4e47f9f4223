// The preview pictures of zorax-tool build. A path in map pixels is hard to
// check by reading numbers; drawn over the map with the spawn lines, the
// author sees at once whether a wave enters where the camera will be.
#include "tools/description_preview.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "game/records.h"
#include "runtime/gfx2d/image_write.h"
#include "tools/pixel_art.h"

namespace {

class Canvas {
 public:
  Canvas(int32_t width, int32_t height)
      : width_(width), height_(height), rgba_(static_cast<size_t>(width) * height * 4, 0) {}

  void Set(int32_t x, int32_t y, uint32_t rgb) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    uint8_t* p = &rgba_[(static_cast<size_t>(y) * width_ + x) * 4];
    p[0] = rgb >> 16;
    p[1] = (rgb >> 8) & 0xFF;
    p[2] = rgb & 0xFF;
    p[3] = 255;
  }

  void Checker(int32_t x0, int32_t y0, int32_t size) {
    for (int32_t y = 0; y < size; ++y) {
      for (int32_t x = 0; x < size; ++x)
        Set(x0 + x, y0 + y, ((x / 4 + y / 4) & 1) ? 0x505050 : 0x404040);
    }
  }

  // Opaque pixels of an image with its top-left corner at (x0, y0).
  void Image(const RtArray<int32_t>& pixels, int32_t x0, int32_t y0) {
    const int32_t w = pixels.DimSize(0), h = w > 0 ? pixels.DimSize(1) : 0;
    for (int32_t y = 0; y < h; ++y) {
      for (int32_t x = 0; x < w; ++x) {
        const int32_t c = pixels(x, y);
        if (c == kTransparentColour) continue;
        Set(x0 + x, y0 + y,
            static_cast<uint32_t>(((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF)));
      }
    }
  }

  void Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t rgb) {
    const int32_t dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int32_t sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int32_t err = dx + dy;
    for (;;) {
      Set(x0, y0, rgb);
      Set(x0 + 1, y0, rgb);
      if (x0 == x1 && y0 == y1) return;
      const int32_t e2 = 2 * err;
      if (e2 >= dy) {
        err += dy;
        x0 += sx;
      }
      if (e2 <= dx) {
        err += dx;
        y0 += sy;
      }
    }
  }

  bool Save(const std::string& path) const {
    return WritePng(path, width_, height_, rgba_.data(), false);
  }

 private:
  int32_t width_, height_;
  std::vector<uint8_t> rgba_;
};

bool Sheet(const RtArray<ImageRecord>& images, const std::string& path) {
  int32_t cell = 8;
  for (int32_t i = 0; i < images.DimSize(0); ++i)
    cell = std::max(cell, images[i].Pixels.DimSize(0));
  cell += 4;
  const int32_t count = std::max(1, images.DimSize(0));
  const int32_t columns = std::min(count, 10);
  const int32_t rows = (count + columns - 1) / columns;
  Canvas canvas(columns * cell, rows * cell);
  for (int32_t i = 0; i < images.DimSize(0); ++i) {
    const int32_t x = (i % columns) * cell + 2, y = (i / columns) * cell + 2;
    canvas.Checker(x, y, images[i].Pixels.DimSize(0));
    canvas.Image(images[i].Pixels, x, y);
  }
  return canvas.Save(path);
}

const uint32_t kWaveColours[] = {0xFF4040, 0x40FF40, 0x4080FF, 0xFFFF40,
                                 0xFF40FF, 0x40FFFF, 0xFF9020, 0xFFFFFF};

bool LevelPicture(const GameRecord& game, const LevelRecord& level, const std::string& path) {
  const int32_t tile = game.Tiles[0].Pixels.DimSize(0);
  const RtArray<int32_t>& ground = level.Layers[0];
  const int32_t columns = ground.DimSize(0), rows = columns > 0 ? ground.DimSize(1) : 0;
  Canvas canvas(std::max(1, columns * tile), std::max(1, rows * tile));
  for (int32_t l = 0; l < 2; ++l) {
    const RtArray<int32_t>& layer = level.Layers[l];
    const int32_t w = layer.DimSize(0), h = w > 0 ? layer.DimSize(1) : 0;
    for (int32_t y = 0; y < h; ++y) {
      for (int32_t x = 0; x < w; ++x) {
        const int32_t v = layer(x, y);
        if (v >= 0 && v < game.Tiles.DimSize(0))
          canvas.Image(game.Tiles[v].Pixels, x * tile, y * tile);
      }
    }
  }
  for (int32_t w = 0; w < level.Waves.DimSize(0); ++w) {
    const WaveRecord& wave = level.Waves[w];
    const uint32_t colour = kWaveColours[w % 8];
    for (int32_t k = 0; k < wave.SpawnPositions.DimSize(0); ++k) {
      // A dashed line where the camera's top edge launches the wave.
      for (int32_t x = 0; x < columns * tile; x += 8) {
        for (int32_t d = 0; d < 4; ++d) canvas.Set(x + d, wave.SpawnPositions[k], colour);
      }
    }
    for (int32_t o = 0; o < wave.Objects.DimSize(0); ++o) {
      const ObjectRecord& object = wave.Objects[o];
      for (int32_t k = 0; k + 1 < wave.Path.DimSize(0); ++k) {
        canvas.Line(wave.Path[k].X + object.OffsetX, wave.Path[k].Y + object.OffsetY,
                    wave.Path[k + 1].X + object.OffsetX, wave.Path[k + 1].Y + object.OffsetY,
                    colour);
      }
      if (wave.Path.DimSize(0) > 0) {
        const int32_t x = wave.Path[0].X + object.OffsetX, y = wave.Path[0].Y + object.OffsetY;
        for (int32_t d = -3; d <= 3; ++d) {
          canvas.Set(x + d, y, colour);
          canvas.Set(x, y + d, colour);
        }
      }
    }
  }
  return canvas.Save(path);
}

}  // namespace

bool WriteDescriptionPreview(const GameDescription& description, const std::string& folder,
                             std::string& error) {
  const GameRecord& game = description.Game;
  const std::string base = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  std::vector<std::string> failed;
  if (!Sheet(game.Sprites, base + "sprites.png")) failed.push_back(base + "sprites.png");
  if (!Sheet(game.Tiles, base + "tiles.png")) failed.push_back(base + "tiles.png");
  for (int32_t i = 0; i < game.Levels.DimSize(0); ++i) {
    const std::string path = base + "level-" + std::to_string(i + 1) + ".png";
    if (!LevelPicture(game, game.Levels[i], path)) failed.push_back(path);
  }
  if (!failed.empty()) {
    error = failed[0] + " cannot be written";
    return false;
  }
  return true;
}
