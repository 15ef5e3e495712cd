#include "scrolling/options/wheel_curve.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <initializer_list>
#include <iterator>

namespace {

// x = 101 - iWSmed; values outside 1..100 (a damaged options file) are
// held to the nearest end, so every curve is finite and rises from 0 to 1.
TEST(WheelCurve, ExponentAtTheEndsOfBothSlopesAndTheCurveItGives) {
  constexpr int kPoints[] = {1, 33, 50, 98};
  const struct {
    std::initializer_list<std::int32_t> meds;
    double exponent;
    double at[4];  // the curve at kPoints
  } cases[] = {
      {{INT_MAX, 101, 100}, 10.0, {1.1057273553218814e-20, 1.6935087808430279e-05, 0.0010798118704315248, 0.90345975386519328}},
      {{55}, 1.7346938775510203, {0.0003452898769629765, 0.14871017359324903, 0.30575721276676182, 0.98254291517889047}},
      {{51}, 1.0, {0.010101010101010102, 0.33333333333333331, 0.50505050505050508, 0.98989898989898994}},
      {{50}, 0.982, {0.010972011115460286, 0.33999061405550296, 0.51129881143056666, 0.99007990322941208}},
      {{1, 0, INT_MIN}, 0.1, {0.63159179657174447, 0.89595845984076206, 0.9339711924122639, 0.99898527803247228}},
  };
  for (const auto& c : cases) {
    for (const std::int32_t med : c.meds) {
      SCOPED_TRACE(med);
      EXPECT_NEAR(WheelCurveExponent(med), c.exponent, 1e-12);
      Profile p{};
      p.iWSmed = med;
      ComputeWheelCurve(p);
      EXPECT_EQ(p.iWSmed, med);
      EXPECT_EQ(p.dTrafo[0], 0.0);
      EXPECT_EQ(p.dTrafo[kCurvePoints - 1], 1.0);
      for (int i = 0; i < 4; ++i) EXPECT_NEAR(p.dTrafo[kPoints[i]], c.at[i], c.at[i] * 1e-12) << "at " << kPoints[i];
      for (int i = 1; i < kCurvePoints; ++i) ASSERT_GT(p.dTrafo[i], p.dTrafo[i - 1]) << "at " << i;
      double curve[kCurvePoints];
      ComputeWheelCurve(med, curve);
      EXPECT_TRUE(std::equal(std::begin(curve), std::end(curve), std::begin(p.dTrafo)));
    }
  }
}

}  // namespace
