#include "scrolling/options/wheel_curve.h"

#include <cmath>

double WheelCurveExponent(std::int32_t iWSmed) noexcept {
  if (iWSmed < 1) iWSmed = 1;
  if (iWSmed > 100) iWSmed = 100;
  const int x = 101 - iWSmed;  // 1 (most responsive) to 100
  // Two straight pieces that meet at k = 1 for x = 50: a strong ease-in for
  // low activity, a gentle ease-out for high activity.
  if (x > 50) return 1.9 - 0.018 * x;
  return 10.183673469387756 - 0.1836734693877551 * x;
}

void ComputeWheelCurve(std::int32_t iWSmed, double (&curve)[kCurvePoints]) noexcept {
  const double k = WheelCurveExponent(iWSmed);
  for (int i = 0; i < kCurvePoints; ++i) curve[i] = std::pow(i / 99.0, k);
}
