// The decisions of the hidden application window, free of the platform:
// which control messages count, when the daily due tests run and how
// windows follow a display change.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/util/monitors_core.h"

enum class ControlAction { kIgnore, kShow, kQuit, kRestart };

// The control message is broadcast to every top-level window of the
// session, so any process can send it with any values. It is acted on only
// when lParam carries this application's tag and wParam is one of the three
// defined requests. The tag is compared in its low 32 bits: a 32-bit sender's
// lParam reaches a 64-bit receiver sign-extended.
[[nodiscard]] ControlAction DecideControlMessage(std::uint64_t wParam, std::uint64_t lParam,
                                                 std::uint32_t appCrc) noexcept;

// Counts the hidden window's hourly ticks; every 24th is due.
class DailyTicker {
 public:
  static constexpr int kTicksPerDay = 24;
  [[nodiscard]] bool Tick() noexcept {
    if (++ticks_ < kTicksPerDay) return false;
    ticks_ = 0;
    return true;
  }
  [[nodiscard]] int Ticks() const noexcept { return ticks_; }

 private:
  int ticks_ = 0;
};

// What a display message changed, from the monitor tables before and after.
struct DisplaySnapshot {
  MonitorRect virtualScreen;
  const int* dpi;  // one per monitor
  int count;
};
enum class DisplayChangeKind { kNone, kScreen, kDpi };
struct DisplayChange {
  DisplayChangeKind kind;
  int monitor;  // kDpi: the first monitor whose DPI changed
  int dpi;      // kDpi: its new DPI
};
// A changed virtual screen wins; otherwise the first monitor, among those
// both tables hold, whose DPI differs.
[[nodiscard]] DisplayChange CompareDisplays(const DisplaySnapshot& before, const DisplaySnapshot& after) noexcept;

// A window rectangle in screen coordinates scaled by the growth of its
// monitor: left, top, width and height each rounded half away from zero. A
// monitor of no width or height leaves that axis unscaled.
struct ScaledPlacement {
  int x;
  int y;
  int width;
  int height;
};
[[nodiscard]] ScaledPlacement ScaleForDisplay(const MonitorRect& rect, const MonitorRect& oldMonitor,
                                              const MonitorRect& newMonitor) noexcept;
