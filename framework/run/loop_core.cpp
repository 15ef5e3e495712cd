#include "framework/run/loop_core.h"

#include <cmath>

#include "framework/base/framework_messages.h"

ControlAction DecideControlMessage(std::uint64_t wParam, std::uint64_t lParam, std::uint32_t appCrc) noexcept {
  if (static_cast<std::uint32_t>(lParam) != appCrc) return ControlAction::kIgnore;
  switch (wParam) {
    case WM_FW_SHOW:
      return ControlAction::kShow;
    case WM_FW_QUIT:
      return ControlAction::kQuit;
    case WM_FW_RESTART:
      return ControlAction::kRestart;
    default:
      return ControlAction::kIgnore;
  }
}

DisplayChange CompareDisplays(const DisplaySnapshot& before, const DisplaySnapshot& after) noexcept {
  const MonitorRect& a = before.virtualScreen;
  const MonitorRect& b = after.virtualScreen;
  if (a.left != b.left || a.top != b.top || a.right != b.right || a.bottom != b.bottom) {
    return DisplayChange{DisplayChangeKind::kScreen, -1, 0};
  }
  int count = before.count < after.count ? before.count : after.count;
  if (count > kMaxMonitors) count = kMaxMonitors;
  for (int i = 0; i < count; ++i) {
    if (before.dpi[i] != after.dpi[i]) return DisplayChange{DisplayChangeKind::kDpi, i, after.dpi[i]};
  }
  return DisplayChange{DisplayChangeKind::kNone, -1, 0};
}

namespace {

double Factor(std::int32_t newSize, std::int32_t oldSize) noexcept {
  return oldSize > 0 && newSize > 0 ? static_cast<double>(newSize) / oldSize : 1.0;
}

int Round(double v) noexcept { return static_cast<int>(std::lround(v)); }

}  // namespace

ScaledPlacement ScaleForDisplay(const MonitorRect& rect, const MonitorRect& oldMonitor,
                                const MonitorRect& newMonitor) noexcept {
  const double fx = Factor(newMonitor.right - newMonitor.left, oldMonitor.right - oldMonitor.left);
  const double fy = Factor(newMonitor.bottom - newMonitor.top, oldMonitor.bottom - oldMonitor.top);
  return ScaledPlacement{Round(rect.left * fx), Round(rect.top * fy), Round(rect.right * fx - rect.left * fx),
                         Round(rect.bottom * fy - rect.top * fy)};
}
