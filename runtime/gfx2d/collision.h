// Pixel-exact collision tests between placed sprites. Each slot's mask is
// read from its texture's alpha the first time a test needs it and kept until
// the slot changes; a pixel with alpha other than 0 is solid.
//
// SpritesCollide   1 if the two sprites, with top-left corners at (x1, y1) and (x2, y2),
//                  share a pixel solid in both; else 0 (always 0 for an empty slot)
// FramesCollide    the same for single frames of animation strips (a slot without a
//                  frame size counts as one frame, its whole image)
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

int32_t SpritesCollide(int32_t id1, int32_t x1, int32_t y1, int32_t id2, int32_t x2, int32_t y2);
int32_t FramesCollide(int32_t id1, int32_t frame1, int32_t x1, int32_t y1, int32_t id2,
                      int32_t frame2, int32_t x2, int32_t y2);

// --- Shared with the sprite store and the screen targets ---
void ForgetCollisionMask(int32_t id);
void ForgetAllCollisionMasks();

// One bit a pixel, rows from the top; each row holds WordsPerRow 64-bit words,
// the last of which is always zero so that unaligned reads need no bounds test.
struct CollisionMask {
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t WordsPerRow = 0;
  std::vector<uint64_t> Bits;
  bool Solid(int32_t x, int32_t y) const {
    return (Bits[static_cast<size_t>(y) * WordsPerRow + (x >> 6)] >> (x & 63)) & 1u;
  }
};

// The slot's mask, built on first use; null for an empty slot or without a context.
const CollisionMask* CollisionMaskOf(int32_t id);
// Builds a mask from alpha bytes of a texture (rows bottom-up, texW bytes each).
void BuildCollisionMask(CollisionMask& mask, const uint8_t* alpha, int32_t texW, int32_t width,
                        int32_t height);
