// Numeric commands. The generator is Bob Jenkins' ISAAC (256-word state), one
// instance per process, seeded at start-up from the clock.
#include "runtime/values/maths.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr double kDegToRad = 0.017453292519943295;
constexpr double kRadToDeg = 57.29577951308232;

RandomGeneratorState& Random() {
  static RandomGeneratorState state{};
  return state;
}

// One generation round: 256 steps, refilling the whole result block.
void IsaacRound(RandomGeneratorState& s) {
  uint32_t a = s.Accumulator;
  uint32_t b = s.LastResult + (++s.Counter);
  for (uint32_t i = 0; i < 256; ++i) {
    const uint32_t x = s.Memory[i];
    switch (i & 3) {
      case 0: a ^= a << 13; break;
      case 1: a ^= a >> 6; break;
      case 2: a ^= a << 2; break;
      case 3: a ^= a >> 16; break;
    }
    a += s.Memory[(i + 128) & 255];
    const uint32_t y = s.Memory[(x >> 2) & 255] + a + b;
    s.Memory[i] = y;
    b = s.Memory[(y >> 10) & 255] + x;
    s.Results[i] = b;
  }
  s.Accumulator = a;
  s.LastResult = b;
}

// The eight-word mixing step of ISAAC's initialisation.
void Mix(uint32_t (&v)[8]) {
  uint32_t& a = v[0]; uint32_t& b = v[1]; uint32_t& c = v[2]; uint32_t& d = v[3];
  uint32_t& e = v[4]; uint32_t& f = v[5]; uint32_t& g = v[6]; uint32_t& h = v[7];
  a ^= b << 11; d += a; b += c;
  b ^= c >> 2;  e += b; c += d;
  c ^= d << 8;  f += c; d += e;
  d ^= e >> 16; g += d; e += f;
  e ^= f << 10; h += e; f += g;
  f ^= g >> 4;  a += f; g += h;
  g ^= h << 8;  b += g; h += a;
  h ^= a >> 9;  c += h; a += b;
}

}  // namespace

double SinDeg(double degrees) { return std::sin(degrees * kDegToRad); }
double CosDeg(double degrees) { return std::cos(degrees * kDegToRad); }
double TanDeg(double degrees) { return std::tan(degrees * kDegToRad); }
double ATan2Deg(double y, double x) { return std::atan2(y, x) * kRadToDeg; }

double ACosDeg(double x) {
  if (x >= 1.0) return 0.0;
  if (x <= -1.0) return 180.0;
  return std::acos(x) * kRadToDeg;
}

double SquareRoot(double x) { return std::sqrt(x); }
double Power(double base, double exponent) { return std::pow(base, exponent); }

double RealRemainder(double x, double y) { return y == 0.0 ? 0.0 : std::fmod(x, y); }

int32_t IntRemainder(int32_t a, int32_t b) {
  if (b == 0 || (a == INT32_MIN && b == -1)) return 0;
  return a % b;
}

double AbsReal(double x) { return x < 0 ? -x : x; }

int32_t AbsInt(int32_t a) {
  return a < 0 ? static_cast<int32_t>(0u - static_cast<uint32_t>(a)) : a;
}

int32_t RandomInt(int32_t n) {
  if (n < 1) return 0;
  RandomGeneratorState& s = Random();
  IsaacRound(s);
  const uint32_t w = s.Results[0];
  return static_cast<int32_t>(w % (static_cast<uint32_t>(n) + 1u));
}

void SeedRandom(uint32_t seed) {
  RandomGeneratorState& s = Random();
  s.Accumulator = s.LastResult = s.Counter = 0;
  for (uint32_t& r : s.Results) r = 0;
  s.Results[0] = seed;

  uint32_t v[8];
  for (uint32_t& x : v) x = 0x9e3779b9u;
  for (int i = 0; i < 4; ++i) Mix(v);  // scramble the golden ratio

  // First pass: the seed and the (seeded) result block go into the memory.
  for (int i = 0; i < 256; i += 8) {
    v[0] += seed;
    for (int k = 0; k < 8; ++k) v[k] += s.Results[i + k];
    Mix(v);
    for (int k = 0; k < 8; ++k) s.Memory[i + k] = v[k];
  }
  // Second pass: every word of the memory affects every other.
  for (int i = 0; i < 256; i += 8) {
    for (int k = 0; k < 8; ++k) v[k] += s.Memory[i + k];
    Mix(v);
    for (int k = 0; k < 8; ++k) s.Memory[i + k] = v[k];
  }
  IsaacRound(s);
  s.ResultCount = 256;
}

RandomGeneratorState SaveRandomState() {
  return Random();
}

void RestoreRandomState(const RandomGeneratorState& saved) {
  Random() = saved;
}

RtString FormatFixed(double width, double decimals, double value) {
  // Truncated toward zero; limited so that the text stays bounded and the
  // format stays valid (a negative precision is not a printf format).
  const double w = std::isnan(width) ? 0.0 : std::clamp(width, -1000.0, 1000.0);
  const double d = std::isnan(decimals) ? 0.0 : std::clamp(decimals, 0.0, 100.0);
  char format[32];
  std::snprintf(format, sizeof format, "%%%d.%df", static_cast<int>(w), static_cast<int>(d));
  RtString result;
  const int needed = std::snprintf(nullptr, 0, format, value);
  const uint32_t room = needed > 255 ? static_cast<uint32_t>(needed) : 255u;
  char* buffer = result.WritableBuffer(room);
  std::snprintf(buffer, result.Capacity(), format, value);
  result.SyncLength();
  return result;
}
