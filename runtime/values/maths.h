// Numeric commands: trigonometry in degrees, roots and powers, remainders,
// absolute values, ISAAC random numbers and fixed-point formatting.
#pragma once

#include <cstdint>

#include "runtime/values/rt_string.h"

double SinDeg(double degrees);
double CosDeg(double degrees);
double TanDeg(double degrees);
double ATan2Deg(double y, double x);           // -180 .. 180
double ACosDeg(double x);                      // 0 for x >= 1, 180 for x <= -1
double SquareRoot(double x);                   // not-a-number for negative x
double Power(double base, double exponent);
double RealRemainder(double x, double y);      // 0 when y is 0; sign of x
int32_t IntRemainder(int32_t a, int32_t b);    // 0 when b is 0; sign of a
double AbsReal(double x);
int32_t AbsInt(int32_t a);                     // magnitude (INT32_MIN stays itself)

// 0 when n < 1; otherwise a uniformly drawn integer 0 .. n inclusive. Each
// call runs one full ISAAC round and takes the first fresh word.
int32_t RandomInt(int32_t n);

// Re-initialises the generator from a 32-bit seed.
void SeedRandom(uint32_t seed);

// The generator's whole state, so that a host can save where a run stood
// and later start the same run again from there.
struct RandomGeneratorState {
  uint32_t Memory[256];
  uint32_t Results[256];
  uint32_t Accumulator;
  uint32_t LastResult;
  uint32_t Counter;
  uint32_t ResultCount;
};

RandomGeneratorState SaveRandomState();
void RestoreRandomState(const RandomGeneratorState& state);

// The value in printf's "%<width>.<decimals>f" notation; width and decimals
// are truncated toward zero and limited to sensible ranges.
RtString FormatFixed(double width, double decimals, double value);
