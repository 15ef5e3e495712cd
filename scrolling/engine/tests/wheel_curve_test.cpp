#include "scrolling/engine/wheel_curve.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace {

// x = 101 - iWSmed; values outside 1..100 (a damaged options file) are
// held to the nearest end, so every curve is finite and rises from 0 to 1.
TEST(WheelCurve, ExponentAtTheEndsOfBothSlopesAndTheCurveItGives) {
  struct Case {
    std::int32_t med;
    double exponent;
  };
  const Case cases[] = {{INT_MAX, 10.0}, {101, 10.0}, {100, 10.0}, {55, (499.0 - 9.0 * 46.0) / 49.0},
                        {51, 1.0},       {50, 0.982}, {1, 0.1},    {0, 0.1},   {INT_MIN, 0.1}};
  for (const Case& c : cases) {
    EXPECT_NEAR(WheelCurveExponent(c.med), c.exponent, 1e-12) << c.med;
    Profile p{};
    p.iWSmed = c.med;
    ComputeWheelCurve(p);
    EXPECT_EQ(p.iWSmed, c.med);
    EXPECT_EQ(p.dTrafo[0], 0.0);
    for (int i = 1; i < kCurvePoints; ++i) {
      ASSERT_NEAR(p.dTrafo[i], std::pow(i / 99.0, c.exponent), 1e-12) << c.med << " at " << i;
    }
  }
  double curve[kCurvePoints];
  ComputeWheelCurve(100, curve);  // k = 10
  EXPECT_NEAR(curve[50], std::pow(50.0 / 99.0, 10.0), 1e-15);
  ComputeWheelCurve(1, curve);  // k = 0.1
  EXPECT_NEAR(curve[1], std::pow(1.0 / 99.0, 0.1), 1e-15);
  ComputeWheelCurve(51, curve);  // k = 1
  EXPECT_NEAR(curve[33], 1.0 / 3.0, 1e-12);
}

}  // namespace
