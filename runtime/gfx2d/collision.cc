// Collision tests on bit masks. The rectangles are compared first; only the
// overlap is then looked at, 64 pixels of a row at a time, which finds the same
// answer as a pixel-by-pixel scan in a fraction of its time.
#include "runtime/gfx2d/collision.h"

#include <algorithm>
#include <memory>

#include "runtime/core/gl_api.h"
#include "runtime/core/window.h"
#include "runtime/gfx2d/drawing.h"
#include "runtime/gfx2d/sprite_store.h"

namespace {

std::vector<std::unique_ptr<CollisionMask>>& Masks() {
  static std::vector<std::unique_ptr<CollisionMask>> masks(kSpriteSlotCount);
  return masks;
}

// A rectangle of a mask placed on the screen.
struct PlacedArea {
  const CollisionMask* Mask = nullptr;
  int32_t SourceX = 0, SourceY = 0;  // top-left inside the mask
  int32_t Width = 0, Height = 0;
  int64_t X = 0, Y = 0;  // screen position of the area's top-left
};

// 64 bits of a row from bit `start` on. The second word is shifted in two
// steps so that a shift of 0 brings in nothing without a branch; the spare
// zero word at the row's end makes that read safe.
inline uint64_t BitsFrom(const uint64_t* row, int64_t start) {
  const int64_t word = start >> 6;
  const unsigned shift = static_cast<unsigned>(start & 63);
  return (row[word] >> shift) | ((row[word + 1] << 1) << (63 - shift));
}

int32_t AreasOverlap(const PlacedArea& a, const PlacedArea& b) {
  if (a.Mask == nullptr || b.Mask == nullptr || a.Width <= 0 || a.Height <= 0 || b.Width <= 0 ||
      b.Height <= 0) {
    return 0;
  }
  const int64_t left = std::max(a.X, b.X);
  const int64_t right = std::min(a.X + a.Width, b.X + b.Width);
  if (left >= right) return 0;
  const int64_t top = std::max(a.Y, b.Y);
  const int64_t bottom = std::min(a.Y + a.Height, b.Y + b.Height);
  if (top >= bottom) return 0;

  const int64_t span = right - left;
  const int64_t columnA = a.SourceX + (left - a.X);
  const int64_t columnB = b.SourceX + (left - b.X);
  const size_t strideA = static_cast<size_t>(a.Mask->WordsPerRow);
  const size_t strideB = static_cast<size_t>(b.Mask->WordsPerRow);
  const uint64_t* rowA = a.Mask->Bits.data() + static_cast<size_t>(a.SourceY + (top - a.Y)) * strideA;
  const uint64_t* rowB = b.Mask->Bits.data() + static_cast<size_t>(b.SourceY + (top - b.Y)) * strideB;
  const int64_t rows = bottom - top;

  // Bits past the overlap belong to a neighbouring frame of a strip.
  const uint64_t lastBits = (span & 63) == 0 ? ~uint64_t{0} : (uint64_t{1} << (span & 63)) - 1;
  if (span <= 64) {
    // The common case: one word of each row, with the shifts fixed.
    const uint64_t* a0 = rowA + (columnA >> 6);
    const uint64_t* b0 = rowB + (columnB >> 6);
    const unsigned shiftA = static_cast<unsigned>(columnA & 63);
    const unsigned shiftB = static_cast<unsigned>(columnB & 63);
    // Rows are taken four at a time between tests: a hit is still found
    // within four rows, and the loop runs without a branch per row.
    uint64_t hits = 0;
    int64_t y = 0;
    auto row = [&](const uint64_t* pa, const uint64_t* pb) {
      const uint64_t bitsA = (pa[0] >> shiftA) | ((pa[1] << 1) << (63 - shiftA));
      const uint64_t bitsB = (pb[0] >> shiftB) | ((pb[1] << 1) << (63 - shiftB));
      return bitsA & bitsB;
    };
    for (; y + 4 <= rows; y += 4) {
      hits |= row(a0, b0) | row(a0 + strideA, b0 + strideB) |
              row(a0 + 2 * strideA, b0 + 2 * strideB) | row(a0 + 3 * strideA, b0 + 3 * strideB);
      if ((hits & lastBits) != 0) return 1;
      a0 += 4 * strideA;
      b0 += 4 * strideB;
    }
    for (; y < rows; ++y, a0 += strideA, b0 += strideB) hits |= row(a0, b0);
    return (hits & lastBits) != 0 ? 1 : 0;
  }
  for (int64_t y = 0; y < rows; ++y, rowA += strideA, rowB += strideB) {
    for (int64_t k = 0; k < span; k += 64) {
      uint64_t both = BitsFrom(rowA, columnA + k) & BitsFrom(rowB, columnB + k);
      if (span - k < 64) both &= lastBits;
      if (both != 0) return 1;
    }
  }
  return 0;
}

// The area of one frame of a strip, cut down to the part that lies inside
// the image; frames outside the image leave nothing.
PlacedArea FrameArea(int32_t id, int32_t frame, int32_t x, int32_t y) {
  PlacedArea area;
  area.Mask = CollisionMaskOf(id);
  area.X = x;
  area.Y = y;
  if (area.Mask == nullptr) return area;
  const SpriteEntry& entry = SpriteSlot(id);
  int64_t left = 0, top = 0, width = area.Mask->Width, height = area.Mask->Height;
  if (frame >= 0 && entry.FrameWidth > 0 && entry.FrameHeight > 0 &&
      entry.Width >= entry.FrameWidth) {
    const int64_t perRow = entry.Width / entry.FrameWidth;
    left = (frame % perRow) * entry.FrameWidth;
    top = (frame / perRow) * entry.FrameHeight;
    width = entry.FrameWidth;
    height = entry.FrameHeight;
  }
  // Clip to the mask, moving the screen position with the cut edge.
  const int64_t clippedRight = std::min<int64_t>(left + width, area.Mask->Width);
  const int64_t clippedBottom = std::min<int64_t>(top + height, area.Mask->Height);
  area.SourceX = static_cast<int32_t>(std::min<int64_t>(left, area.Mask->Width));
  area.SourceY = static_cast<int32_t>(std::min<int64_t>(top, area.Mask->Height));
  area.Width = static_cast<int32_t>(std::max<int64_t>(0, clippedRight - left));
  area.Height = static_cast<int32_t>(std::max<int64_t>(0, clippedBottom - top));
  return area;
}

}  // namespace

void ForgetCollisionMask(int32_t id) {
  if (id >= 0 && id < kSpriteSlotCount) Masks()[static_cast<size_t>(id)].reset();
}

void ForgetAllCollisionMasks() {
  for (auto& mask : Masks()) mask.reset();
}

void BuildCollisionMask(CollisionMask& mask, const uint8_t* alpha, int32_t texW, int32_t width,
                        int32_t height) {
  mask.Width = width;
  mask.Height = height;
  mask.WordsPerRow = (width + 63) / 64 + 1;
  mask.Bits.assign(static_cast<size_t>(mask.WordsPerRow) * height, 0);
  for (int32_t row = 0; row < height; ++row) {
    const uint8_t* texels = alpha + static_cast<size_t>(height - 1 - row) * texW;
    uint64_t* bits = mask.Bits.data() + static_cast<size_t>(row) * mask.WordsPerRow;
    for (int32_t x = 0; x < width; ++x) {
      if (texels[x] != 0) bits[x >> 6] |= uint64_t{1} << (x & 63);
    }
  }
}

const CollisionMask* CollisionMaskOf(int32_t id) {
  const SpriteEntry& entry = SpriteSlot(id);
  std::unique_ptr<CollisionMask>& cached = Masks()[static_cast<size_t>(id)];
  if (cached != nullptr) return cached.get();
  // A mask reads its texture back: that needs the context, not drawing,
  // which a host may have suspended while the game's logic goes on.
  const OpenGLZidaruva* gfx = Graphics();
  if (entry.Texture == 0 || entry.Width <= 0 || entry.Height <= 0 || gfx == nullptr ||
      gfx->Ready == 0) {
    return nullptr;
  }
  FlushPendingDrawing();
  const int32_t texW = entry.TextureWidth;
  const int32_t texH = entry.TextureHeight;
  std::vector<uint8_t> alpha(static_cast<size_t>(texW) * texH);
  glBindTexture(GL_TEXTURE_2D, entry.Texture);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_ALPHA, GL_UNSIGNED_BYTE, alpha.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  cached = std::make_unique<CollisionMask>();
  BuildCollisionMask(*cached, alpha.data(), texW, std::min<int32_t>(entry.Width, texW),
                     std::min<int32_t>(entry.Height, texH));
  return cached.get();
}

int32_t SpritesCollide(int32_t id1, int32_t x1, int32_t y1, int32_t id2, int32_t x2, int32_t y2) {
  const SpriteEntry& a = SpriteSlot(id1);
  const SpriteEntry& b = SpriteSlot(id2);
  // Rectangles first: masks are only fetched for an overlap.
  const int64_t left = std::max<int64_t>(x1, x2);
  const int64_t right = std::min<int64_t>(int64_t{x1} + a.Width, int64_t{x2} + b.Width);
  if (left >= right) return 0;
  const int64_t top = std::max<int64_t>(y1, y2);
  const int64_t bottom = std::min<int64_t>(int64_t{y1} + a.Height, int64_t{y2} + b.Height);
  if (top >= bottom) return 0;
  const auto& masks = Masks();
  const CollisionMask* maskA = masks[static_cast<size_t>(id1)].get();
  const CollisionMask* maskB = masks[static_cast<size_t>(id2)].get();
  if (maskA == nullptr) maskA = CollisionMaskOf(id1);
  if (maskB == nullptr) maskB = CollisionMaskOf(id2);
  if (maskA == nullptr || maskB == nullptr) return 0;
  const PlacedArea areaA{maskA, 0, 0, maskA->Width, maskA->Height, x1, y1};
  const PlacedArea areaB{maskB, 0, 0, maskB->Width, maskB->Height, x2, y2};
  return AreasOverlap(areaA, areaB);
}

int32_t FramesCollide(int32_t id1, int32_t frame1, int32_t x1, int32_t y1, int32_t id2,
                      int32_t frame2, int32_t x2, int32_t y2) {
  SpriteSlot(id1);
  SpriteSlot(id2);
  return AreasOverlap(FrameArea(id1, frame1, x1, y1), FrameArea(id2, frame2, x2, y2));
}
