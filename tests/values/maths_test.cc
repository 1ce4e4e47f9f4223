// What the numeric commands promise: degrees, guarded remainders and inverse
// cosine, a reproducible and uniform generator, and fixed-point text.
#include "runtime/values/maths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

namespace {

TEST(Maths, TrigonometryWorksInDegrees) {
  EXPECT_NEAR(SinDeg(90), 1.0, 1e-15);
  EXPECT_NEAR(CosDeg(180), -1.0, 1e-15);
  EXPECT_NEAR(TanDeg(45), 1.0, 1e-15);
  EXPECT_DOUBLE_EQ(ATan2Deg(1, 0), 90.0);
  EXPECT_DOUBLE_EQ(ATan2Deg(0, -1), 180.0);
  EXPECT_DOUBLE_EQ(ATan2Deg(-1, 0), -90.0);
  EXPECT_EQ(ACosDeg(1.5), 0.0);
  EXPECT_EQ(ACosDeg(-2), 180.0);
  EXPECT_NEAR(ACosDeg(0.5), 60.0, 1e-12);
  EXPECT_TRUE(std::isnan(SquareRoot(-1)));
  EXPECT_EQ(Power(2, 10), 1024.0);
}

TEST(Maths, RemaindersAndMagnitudesNeverTrap) {
  EXPECT_EQ(RealRemainder(7.5, 0), 0.0);
  EXPECT_EQ(RealRemainder(-7.5, 2), -1.5);
  EXPECT_EQ(IntRemainder(7, 0), 0);
  EXPECT_EQ(IntRemainder(-7, 3), -1);
  EXPECT_EQ(IntRemainder(7, -3), 1);
  EXPECT_EQ(IntRemainder(INT32_MIN, -1), 0);
  EXPECT_EQ(AbsInt(-5), 5);
  EXPECT_EQ(AbsInt(INT32_MIN), INT32_MIN);
  EXPECT_EQ(AbsReal(-0.25), 0.25);
}

TEST(Maths, RandomIntStaysInItsRangeAndRepeatsForOneSeed) {
  EXPECT_EQ(RandomInt(0), 0);
  EXPECT_EQ(RandomInt(-5), 0);

  SeedRandom(2024);
  std::set<int32_t> seen;
  for (int i = 0; i < 200; ++i) {
    int32_t r = RandomInt(1);
    ASSERT_TRUE(r == 0 || r == 1);
    seen.insert(r);
  }
  EXPECT_EQ(seen.size(), 2u);

  SeedRandom(99);
  std::vector<int32_t> first;
  for (int i = 0; i < 50; ++i) first.push_back(RandomInt(1000));
  SeedRandom(99);
  std::vector<int32_t> second;
  for (int i = 0; i < 50; ++i) second.push_back(RandomInt(1000));
  EXPECT_EQ(first, second);

  SeedRandom(100);
  std::vector<int32_t> other;
  for (int i = 0; i < 50; ++i) other.push_back(RandomInt(1000));
  EXPECT_NE(first, other);

  for (int i = 0; i < 1000; ++i) {
    int32_t r = RandomInt(INT32_MAX);
    ASSERT_GE(r, 0);
  }
}

TEST(Maths, RandomIntIsUniformOverASmallRange) {
  // Chi-square over the 10 outcomes of RandomInt(9); with 9 degrees of
  // freedom the 0.1 % critical value is 27.88. The seeds are fixed, so the
  // check is repeatable; three seeds guard against a lucky one.
  for (uint32_t seed : {1u, 77u, 123456u}) {
    SeedRandom(seed);
    const int draws = 100000;
    std::vector<int> counts(10, 0);
    for (int i = 0; i < draws; ++i) ++counts[static_cast<size_t>(RandomInt(9))];
    double chiSquare = 0;
    const double expected = draws / 10.0;
    for (int count : counts) chiSquare += (count - expected) * (count - expected) / expected;
    EXPECT_LT(chiSquare, 27.88) << "seed " << seed;
  }
}

TEST(Maths, FormatFixedFollowsPrintf) {
  EXPECT_STREQ(FormatFixed(8, 2, 3.14159).CStr(), "    3.14");
  EXPECT_STREQ(FormatFixed(8, 0, 1234).CStr(), "    1234");
  EXPECT_STREQ(FormatFixed(2.9, 1.9, 1.5).CStr(), "1.5");  // format %2.1f
  EXPECT_STREQ(FormatFixed(-6, 1, 2.5).CStr(), "2.5   ");  // negative width left-aligns
  EXPECT_STREQ(FormatFixed(0, 3, -0.5).CStr(), "-0.500");
  // Widths beyond the 256-byte buffer and negative precisions stay bounded and valid.
  EXPECT_EQ(FormatFixed(600, 0, 1).Length(), 600u);
  EXPECT_EQ(FormatFixed(1e9, 0, 1).Length(), 1000u);
  EXPECT_STREQ(FormatFixed(3, -2, 7.25).CStr(), "  7");
  EXPECT_EQ(FormatFixed(0, 2, 1e300).Length(), 304u);
}

}  // namespace
