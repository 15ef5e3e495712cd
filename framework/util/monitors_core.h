// Platform-free arithmetic of the monitor table: which monitor a point
// belongs to, where a centred window goes, and how device names are stored.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int kMaxMonitors = 16;
inline constexpr std::size_t kMonitorDeviceSize = 32;

// A rectangle in virtual-screen coordinates; right and bottom are outside.
struct MonitorRect {
  std::int32_t left;
  std::int32_t top;
  std::int32_t right;
  std::int32_t bottom;
};

[[nodiscard]] constexpr bool IsEmptyRect(const MonitorRect& r) noexcept {
  return r.right <= r.left || r.bottom <= r.top;
}

// The index of the monitor for a point among count monitor rectangles
// (count clamped to 0..16): fewer than two monitors give 0; otherwise the
// first monitor containing the point, else the one with the nearest corner
// closer than 1000 pixels (ties keep the earlier), else 0.
[[nodiscard]] int ChooseMonitor(const MonitorRect* monitors, int count, std::int32_t x,
                                std::int32_t y) noexcept;

// A monitor's work area, or its whole rectangle when the work area is empty
// (never filled in): a window is never placed into a zero-size area.
[[nodiscard]] constexpr MonitorRect WorkAreaOrMonitor(const MonitorRect& work,
                                                      const MonitorRect& monitor) noexcept {
  return IsEmptyRect(work) ? monitor : work;
}

struct WindowPosition {
  std::int32_t x;
  std::int32_t y;
};

// Top-left corner of a width x height window centred on reference and kept
// inside workArea. A window larger than the work area on an axis is put
// flush with the work area's near or far edge, whichever is closer to the
// centred position (the near edge on a tie).
[[nodiscard]] WindowPosition CenterPosition(const MonitorRect& reference, std::int32_t width,
                                            std::int32_t height, const MonitorRect& workArea) noexcept;

// Copies a display device name without its leading backslashes and dots
// ("\\.\DISPLAY1" becomes "DISPLAY1"), cut to fit out (NUL-terminated).
void StripDeviceName(const char* name, char* out, std::size_t outSize) noexcept;

// ASCII case-insensitive comparison of two NUL-terminated texts.
[[nodiscard]] bool AsciiEqualNoCase(const char* a, const char* b) noexcept;
