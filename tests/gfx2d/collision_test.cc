// Collision tests: the listed cases, and agreement with a pixel-by-pixel
// reference over many random masks and placements.
#include <gtest/gtest.h>

#include <random>

#include "runtime/gfx2d/collision.h"
#include "runtime/gfx2d/image_decode.h"
#include "tests/gfx2d/gl_test_util.h"
#include "tests/support/test_env.h"

namespace {

void LoadSolid(int32_t id, int w, int h, const std::function<bool(int, int)>& solid) {
  const std::string path = testenv::TempDir() + "/c" + std::to_string(id) + ".bmp";
  testenv::WriteFile(path, gltest::MakeBmp(w, h, 24, [&](int x, int y) {
    return solid(x, y) ? 0x336699u : 0xFF0080u;  // else the key colour
  }));
  ASSERT_EQ(LoadSprite(path.c_str(), id), 1);
}

TEST(Collision, RectanglesTouchingOrApart) {
  ASSERT_TRUE(gltest::OpenWindow());
  LoadSolid(1, 16, 16, [](int, int) { return true; });
  LoadSolid(2, 16, 16, [](int, int) { return true; });
  EXPECT_EQ(SpritesCollide(1, 0, 0, 2, 15, 15), 1);
  EXPECT_EQ(SpritesCollide(1, 0, 0, 2, 16, 0), 0);
  EXPECT_EQ(SpritesCollide(1, 0, 0, 2, 0, -16), 0);
  EXPECT_EQ(SpritesCollide(1, 0, 0, 2, -15, -15), 1);
  EXPECT_EQ(SpritesCollide(1, 5, 5, 1, 5, 5), 1) << "a sprite meets itself";
  EXPECT_EQ(SpritesCollide(1, 0, 0, 300, 0, 0), 0) << "an empty slot never collides";
  EXPECT_EQ(SpritesCollide(1, 2147483600, 0, 2, -2147483600, 0), 0) << "far apart, no overflow";
}

TEST(Collision, TransparentPixelsDoNotCollideAndReloadsChangeTheMask) {
  ASSERT_TRUE(gltest::OpenWindow());
  // A ring: only the border of 20 x 20 is solid. A 4 x 4 block inside it misses.
  LoadSolid(1, 20, 20, [](int x, int y) { return x == 0 || y == 0 || x == 19 || y == 19; });
  LoadSolid(2, 4, 4, [](int, int) { return true; });
  EXPECT_EQ(SpritesCollide(1, 100, 100, 2, 108, 108), 0);
  EXPECT_EQ(SpritesCollide(1, 100, 100, 2, 117, 108), 1);
  // Reloading slot 1 with a filled square drops the cached ring.
  LoadSolid(1, 20, 20, [](int, int) { return true; });
  EXPECT_EQ(SpritesCollide(1, 100, 100, 2, 108, 108), 1);
  DeleteSprite(1);
  EXPECT_EQ(SpritesCollide(1, 100, 100, 2, 108, 108), 0);
}

TEST(Collision, FramesUseTheirOwnArea) {
  ASSERT_TRUE(gltest::OpenWindow());
  // Strip of two 8 x 8 frames side by side: frame 0 solid, frame 1 empty.
  const std::string path = testenv::TempDir() + "/strip.bmp";
  testenv::WriteFile(path, gltest::MakeBmp(16, 8, 24, [](int x, int) { return x < 8 ? 0x010101u : 0xFF0080u; }));
  ASSERT_EQ(LoadAnimation(path.c_str(), 3, 8, 8), 1);
  LoadSolid(4, 2, 2, [](int, int) { return true; });
  EXPECT_EQ(FramesCollide(3, 0, 0, 0, 4, 0, 3, 3), 1);
  EXPECT_EQ(FramesCollide(3, 1, 0, 0, 4, 0, 3, 3), 0);
  EXPECT_EQ(FramesCollide(3, 0, 0, 0, 4, 0, 8, 0), 0) << "a frame is only 8 wide";
  EXPECT_EQ(FramesCollide(3, 5, 0, 0, 4, 0, 0, 0), 0) << "a frame outside the strip";
  EXPECT_EQ(SpritesCollide(3, 0, 0, 4, 3, 3), 1);
  // Frame 1 of this strip is empty while the frame beside it is solid: the
  // neighbour's pixels must not count.
  testenv::WriteFile(path, gltest::MakeBmp(16, 8, 24, [](int x, int) { return x < 8 ? 0xFF0080u : 0x010101u; }));
  ASSERT_EQ(LoadAnimation(path.c_str(), 5, 8, 8), 1);
  EXPECT_EQ(FramesCollide(5, 0, 0, 0, 5, 0, 0, 0), 0);
  EXPECT_EQ(FramesCollide(5, 1, 0, 0, 5, 1, 0, 0), 1);
  EXPECT_EQ(FramesCollide(5, 0, 0, 0, 5, 1, 4, 0), 0);
}

// Random masks of many widths (across 64-pixel word edges) at random
// offsets, checked against the plain definition.
TEST(Collision, AgreesWithAPixelByPixelReference) {
  std::mt19937 random(1234);
  for (int round = 0; round < 400; ++round) {
    std::uniform_int_distribution<int> side(1, 150);
    const int w1 = side(random), h1 = side(random) % 40 + 1, w2 = side(random), h2 = side(random) % 40 + 1;
    const double density = (round % 4 + 1) * 0.004;
    std::bernoulli_distribution solid(density);
    std::vector<uint8_t> a(static_cast<size_t>(w1) * h1), b(static_cast<size_t>(w2) * h2);
    for (auto& v : a) v = solid(random) ? 255 : 0;
    for (auto& v : b) v = solid(random) ? 255 : 0;
    // Masks are built from texture rows stored bottom-up.
    auto bottomUp = [](const std::vector<uint8_t>& m, int w, int h) {
      std::vector<uint8_t> t(m.size());
      for (int y = 0; y < h; ++y) std::copy_n(&m[static_cast<size_t>(y) * w], w, &t[static_cast<size_t>(h - 1 - y) * w]);
      return t;
    };
    CollisionMask ma, mb;
    BuildCollisionMask(ma, bottomUp(a, w1, h1).data(), w1, w1, h1);
    BuildCollisionMask(mb, bottomUp(b, w2, h2).data(), w2, w2, h2);
    for (int y = 0; y < h1; ++y) {
      for (int x = 0; x < w1; ++x) ASSERT_EQ(ma.Solid(x, y), a[static_cast<size_t>(y) * w1 + x] != 0);
    }
    std::uniform_int_distribution<int> offset(-160, 160);
    const int dx = offset(random), dy = offset(random) / 4;
    bool expected = false;
    for (int y = 0; y < h1 && !expected; ++y) {
      for (int x = 0; x < w1 && !expected; ++x) {
        const int bx = x - dx, by = y - dy;
        expected = a[static_cast<size_t>(y) * w1 + x] && bx >= 0 && by >= 0 && bx < w2 && by < h2 &&
                   b[static_cast<size_t>(by) * w2 + bx];
      }
    }
    // The same masks placed in slots through real textures.
    ImageBuffer ia{w1, h1, {}}, ib{w2, h2, {}};
    for (size_t i = 0; i < a.size(); ++i) ia.Pixels.insert(ia.Pixels.end(), {9, 9, 9, a[i]});
    for (size_t i = 0; i < b.size(); ++i) ib.Pixels.insert(ib.Pixels.end(), {9, 9, 9, b[i]});
    if (round == 0) {
      ASSERT_TRUE(gltest::OpenWindow());
    }
    PutImageInSlot(10, ia, false);
    PutImageInSlot(11, ib, false);
    ASSERT_EQ(SpritesCollide(10, 0, 0, 11, dx, dy), expected ? 1 : 0)
        << "round " << round << ": " << w1 << "x" << h1 << " vs " << w2 << "x" << h2 << " at " << dx << "," << dy;
  }
}

}  // namespace
