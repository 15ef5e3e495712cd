#include "scrolling/engine/wheel_curve.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace {

// x = 101 - iWSmed.
TEST(WheelCurve, ExponentAtTheCornersOfBothPieces) {
  EXPECT_NEAR(WheelCurveExponent(100), 10.0, 1e-12);  // x = 1
  EXPECT_NEAR(WheelCurveExponent(51), 1.0, 1e-12);    // x = 50
  EXPECT_NEAR(WheelCurveExponent(50), 0.982, 1e-12);  // x = 51
  EXPECT_NEAR(WheelCurveExponent(1), 0.1, 1e-12);     // x = 100
  EXPECT_NEAR(WheelCurveExponent(55), (499.0 - 9.0 * 46.0) / 49.0, 1e-12);
}

TEST(WheelCurve, ValuesRiseFromZeroToOne) {
  for (int med : {1, 20, 50, 51, 55, 99, 100}) {
    double curve[kCurvePoints];
    ComputeWheelCurve(med, curve);
    EXPECT_EQ(curve[0], 0.0) << med;
    EXPECT_DOUBLE_EQ(curve[99], 1.0) << med;
    for (int i = 1; i < kCurvePoints; ++i) ASSERT_GT(curve[i], curve[i - 1]) << med << " at " << i;
  }
}

TEST(WheelCurve, LinearAtExponentOne) {
  Profile p{};
  p.iWSmed = 51;
  ComputeWheelCurve(p);
  EXPECT_EQ(p.iWSmed, 51);
  for (int i = 0; i < kCurvePoints; ++i) ASSERT_NEAR(p.dTrafo[i], i / 99.0, 1e-12) << i;
  EXPECT_NEAR(p.dTrafo[33], 1.0 / 3.0, 1e-12);
}

TEST(WheelCurve, ExampleValues) {
  double curve[kCurvePoints];
  ComputeWheelCurve(100, curve);  // k = 10
  EXPECT_NEAR(curve[50], std::pow(50.0 / 99.0, 10.0), 1e-15);
  ComputeWheelCurve(1, curve);  // k = 0.1
  EXPECT_NEAR(curve[1], std::pow(1.0 / 99.0, 0.1), 1e-15);
}

// A damaged options file may hold anything; the curve stays finite and the
// profile's own value is left for the settings page to show.
TEST(WheelCurve, OutOfRangeResponseIsClamped) {
  double low[kCurvePoints], lowest[kCurvePoints], high[kCurvePoints], highest[kCurvePoints];
  ComputeWheelCurve(1, low);
  ComputeWheelCurve(INT_MIN, lowest);
  ComputeWheelCurve(100, high);
  ComputeWheelCurve(INT_MAX, highest);
  for (int i = 0; i < kCurvePoints; ++i) {
    ASSERT_TRUE(std::isfinite(lowest[i]) && std::isfinite(highest[i]));
    ASSERT_EQ(low[i], lowest[i]);
    ASSERT_EQ(high[i], highest[i]);
  }
  EXPECT_EQ(WheelCurveExponent(0), WheelCurveExponent(1));
  EXPECT_EQ(WheelCurveExponent(101), WheelCurveExponent(100));
}

}  // namespace
