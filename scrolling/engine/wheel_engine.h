// The wheel: accelerates each wheel message by how fast the wheel turns,
// inverts it, brings its window to the front or sends it to the window
// under the cursor instead, as the current profile asks. The get-message
// hook hands over each wheel message through the shared memory and reads
// the (possibly rewritten) wParam back.
#pragma once

#include <cstdint>

#include "hooklib/shared_memory.h"
#include "scrolling/engine/platform.h"
#include "scrolling/engine/target_selector.h"
#include "scrolling/options/options.h"

// The curve point for a wheel speed (messages per second): the speed is
// held to iWSmin..iWSmax and mapped onto 0..99. A range that is empty or
// reversed (a damaged options file) gives 0, or 99 at or above iWSmax.
[[nodiscard]] int WheelCurveIndex(double speed, std::int32_t wsMin, std::int32_t wsMax) noexcept;

// The accelerated delta of a wheel message: delta times the profile's
// lines for the speed, cut to whole wheel units of 120. A product beyond
// the 16-bit range saturates instead of wrapping into the other direction.
[[nodiscard]] std::int16_t AcceleratedWheelDelta(const Profile& profile, double speed, std::int16_t delta) noexcept;

class WheelEngine {
 public:
  WheelEngine(EnginePlatform& platform, TargetSelector& selector, const Options& options) noexcept;
  WheelEngine(const WheelEngine&) = delete;
  WheelEngine& operator=(const WheelEngine&) = delete;

  // The record the hook fills; null until start-up has created it.
  void SetSharedMemory(SharedMemory* shared) noexcept { shared_ = shared; }

  // One hooked wheel message of window. 1: it was sent to the window under
  // the cursor and the hooked one is to become WM_NULL.
  [[nodiscard]] std::intptr_t HandleMouseWheel(std::uint32_t message, WindowId window);

  [[nodiscard]] std::int16_t LastDelta() const noexcept { return lastDelta_; }

 private:
  EnginePlatform& platform_;
  TargetSelector& selector_;
  const Options& options_;
  SharedMemory* shared_ = nullptr;
  bool haveTime_ = false;
  std::uint32_t lastTime_ = 0;
  std::int16_t lastDelta_ = 0;
};
