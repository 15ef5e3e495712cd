#include "scrolling/engine/wheel_engine.h"

#include <cmath>

namespace {

constexpr std::uint32_t kWmMouseWheelMessage = 0x020A;
constexpr std::int32_t kWheelUnit = 120;

// Whether message time t comes after the last one. Message times are the
// system's millisecond tick count, which wraps after 49.7 days: compared as
// a signed difference, a time just past the wrap still counts as newer.
bool IsNewer(std::uint32_t t, std::uint32_t last) noexcept {
  return static_cast<std::int32_t>(t - last) > 0;
}

}  // namespace

int WheelCurveIndex(double speed, std::int32_t wsMin, std::int32_t wsMax) noexcept {
  if (std::isnan(speed)) return 0;
  if (wsMax <= wsMin) return speed >= static_cast<double>(wsMax) ? kCurvePoints - 1 : 0;
  double v = speed;
  if (v < wsMin) v = wsMin;
  if (v > wsMax) v = wsMax;
  const auto index = static_cast<int>(99.0 * (v - wsMin) / (static_cast<double>(wsMax) - wsMin));
  return index < 0 ? 0 : (index > kCurvePoints - 1 ? kCurvePoints - 1 : index);
}

std::int16_t AcceleratedWheelDelta(const Profile& profile, double speed, std::int16_t delta) noexcept {
  const int index = WheelCurveIndex(speed, profile.iWSmin, profile.iWSmax);
  const double lines = (static_cast<double>(profile.iSSmax) - profile.iSSmin) * profile.dTrafo[index] + profile.iSSmin;
  double p = std::trunc(lines * delta);
  if (std::isnan(p)) p = 0.0;
  if (p > 32767.0) p = 32767.0;
  if (p < -32768.0) p = -32768.0;
  const auto p16 = static_cast<std::int32_t>(p);
  return static_cast<std::int16_t>(p16 / kWheelUnit * kWheelUnit);
}

WheelEngine::WheelEngine(EnginePlatform& platform, TargetSelector& selector, const Options& options) noexcept
    : platform_(platform), selector_(selector), options_(options) {}

std::intptr_t WheelEngine::HandleMouseWheel(std::uint32_t message, WindowId window) {
  if (options_.bDisabled != 0 || message != kWmMouseWheelMessage || shared_ == nullptr) return 0;
  const WindowId target = selector_.FindTargetWindow();
  if (target == 0) return 0;
  const Profile& profile = selector_.CurrentProfile();

  if (profile.bWheelEnable != 0) {
    const std::uint32_t t = shared_->wheelTime;
    // Only the same message seen again keeps the delta it got (its wParam
    // may already hold that delta). Every other message is measured with its
    // own delta and direction, even one that looks older: after a pause of
    // more than 24.8 days the tick count reads as older than the last
    // message, and reusing the last delta then would freeze the wheel.
    if (!haveTime_ || t != lastTime_) {
      double speed = 0.0;  // no interval to measure: the slowest turn
      if (!haveTime_ || IsNewer(t, lastTime_)) {
        // Before the first message the last time counts as 0.
        const std::uint32_t interval = t - lastTime_;
        if (interval != 0) speed = 1000.0 / static_cast<double>(interval);
      }
      haveTime_ = true;
      lastTime_ = t;
      platform_.ReportWheelSpeed(static_cast<std::int32_t>(speed));
      lastDelta_ = AcceleratedWheelDelta(profile, speed, WheelDelta(shared_->wheelWParam));
    }
    shared_->wheelWParam = WithWheelDelta(shared_->wheelWParam, lastDelta_);
  }
  if (profile.bWheelInvert != 0) {
    // -32768 has no opposite in 16 bits; the nearest one keeps the direction.
    const std::int32_t inverted = -static_cast<std::int32_t>(WheelDelta(shared_->wheelWParam));
    shared_->wheelWParam =
        WithWheelDelta(shared_->wheelWParam, static_cast<std::int16_t>(inverted > 32767 ? 32767 : inverted));
  }
  if (profile.bWheelForeground != 0) platform_.BringToForeground(target);
  if (profile.bWheelCursor != 0) {
    ScreenPoint cursor{};
    const WindowId under = platform_.GetCursorPosition(cursor) ? platform_.WindowAtPoint(cursor) : 0;
    // With no window there the message goes on to its own window rather
    // than nowhere.
    if (under == 0 || under == window) return 0;
    (void)platform_.SendWindowMessage(under, kWmMouseWheelMessage, shared_->wheelWParam,
                                      static_cast<std::intptr_t>(shared_->wheelPoint));
    return 1;
  }
  return 0;
}
