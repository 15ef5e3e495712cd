// The wheel acceleration curve of a profile: dTrafo[i] = (i / 99)^k, with the
// exponent k set by the profile's response characteristic iWSmed (percent).
#pragma once

#include <cstdint>

#include "scrolling/options/options.h"

// iWSmed is clamped to 1..100 first, so any stored value gives a finite
// curve rising from 0 to 1.
[[nodiscard]] double WheelCurveExponent(std::int32_t iWSmed) noexcept;
void ComputeWheelCurve(std::int32_t iWSmed, double (&curve)[kCurvePoints]) noexcept;

// Fills the profile's dTrafo from its iWSmed (which it leaves unchanged).
inline void ComputeWheelCurve(Profile& profile) noexcept {
  ComputeWheelCurve(profile.iWSmed, profile.dTrafo);
}
