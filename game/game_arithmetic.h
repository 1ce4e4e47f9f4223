// Integer arithmetic of the game's 32-bit fields. Counters, clocks and scores
// wrap around as 32-bit values do instead of overflowing into undefined
// behaviour, and reals become integers by truncation toward zero.
//
// Add32       a + b wrapped to 32 bits
// Mul32       a x b wrapped to 32 bits
// Trunc32     a real truncated toward zero; limited to the 32-bit range, 0 for not-a-number
// Sign32      -1, 0 or 1
#pragma once

#include <cmath>
#include <cstdint>

inline int32_t Add32(int64_t a, int64_t b) {
  return static_cast<int32_t>(
      static_cast<uint32_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b)));
}

inline int32_t Mul32(int64_t a, int64_t b) {
  return static_cast<int32_t>(
      static_cast<uint32_t>(static_cast<uint64_t>(a) * static_cast<uint64_t>(b)));
}

inline int32_t Trunc32(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return INT32_MAX;
  if (value <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(value);
}

inline int32_t Sign32(int64_t value) {
  return value > 0 ? 1 : (value < 0 ? -1 : 0);
}
