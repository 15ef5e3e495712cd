#include "framework/util/monitors_core.h"

namespace {

bool Contains(const MonitorRect& r, std::int32_t x, std::int32_t y) noexcept {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// Squared distances reach about 2^65 for the extreme coordinates, so they
// are taken in unsigned 64-bit arithmetic from 64-bit differences.
std::uint64_t SquaredDistance(std::int32_t x, std::int32_t y, std::int32_t cx, std::int32_t cy) noexcept {
  const std::int64_t dx = static_cast<std::int64_t>(x) - cx;
  const std::int64_t dy = static_cast<std::int64_t>(y) - cy;
  const auto ux = static_cast<std::uint64_t>(dx < 0 ? -dx : dx);
  const auto uy = static_cast<std::uint64_t>(dy < 0 ? -dy : dy);
  const std::uint64_t xx = ux * ux;
  const std::uint64_t yy = uy * uy;
  return xx > UINT64_MAX - yy ? UINT64_MAX : xx + yy;
}

std::int32_t PlaceOnAxis(std::int64_t refLow, std::int64_t refHigh, std::int64_t size,
                         std::int64_t areaLow, std::int64_t areaHigh) noexcept {
  const std::int64_t centred = refLow + (refHigh - refLow - size) / 2;
  const std::int64_t farthest = areaHigh - size;  // the far edge on the area's far edge
  std::int64_t pos;
  if (farthest >= areaLow) {
    pos = centred < areaLow ? areaLow : (centred > farthest ? farthest : centred);
  } else {
    // Larger than the area: it cannot fit, so one of its edges meets the
    // matching edge of the area.
    const std::int64_t toNear = centred > areaLow ? centred - areaLow : areaLow - centred;
    const std::int64_t toFar = centred > farthest ? centred - farthest : farthest - centred;
    pos = toFar < toNear ? farthest : areaLow;
  }
  if (pos < INT32_MIN) pos = INT32_MIN;
  if (pos > INT32_MAX) pos = INT32_MAX;
  return static_cast<std::int32_t>(pos);
}

}  // namespace

int ChooseMonitor(const MonitorRect* monitors, int count, std::int32_t x, std::int32_t y) noexcept {
  if (monitors == nullptr || count < 2) return 0;
  if (count > kMaxMonitors) count = kMaxMonitors;
  for (int i = 0; i < count; ++i) {
    if (Contains(monitors[i], x, y)) return i;
  }
  std::uint64_t best = 1000000;  // beyond 1000 pixels of every corner: monitor 0
  int index = 0;
  for (int i = 0; i < count; ++i) {
    const MonitorRect& r = monitors[i];
    const std::uint64_t corners[4] = {
        SquaredDistance(x, y, r.left, r.top), SquaredDistance(x, y, r.right, r.top),
        SquaredDistance(x, y, r.right, r.bottom), SquaredDistance(x, y, r.left, r.bottom)};
    std::uint64_t nearest = corners[0];
    for (std::uint64_t d : corners) nearest = d < nearest ? d : nearest;
    if (nearest < best) {
      best = nearest;
      index = i;
    }
  }
  return index;
}

WindowPosition CenterPosition(const MonitorRect& reference, std::int32_t width, std::int32_t height,
                              const MonitorRect& workArea) noexcept {
  return WindowPosition{
      PlaceOnAxis(reference.left, reference.right, width, workArea.left, workArea.right),
      PlaceOnAxis(reference.top, reference.bottom, height, workArea.top, workArea.bottom)};
}

void StripDeviceName(const char* name, char* out, std::size_t outSize) noexcept {
  if (out == nullptr || outSize == 0) return;
  std::size_t n = 0;
  if (name != nullptr) {
    while (*name == '\\' || *name == '.') ++name;
    while (n + 1 < outSize && name[n] != '\0') {
      out[n] = name[n];
      ++n;
    }
  }
  out[n] = '\0';
}

bool AsciiEqualNoCase(const char* a, const char* b) noexcept {
  if (a == nullptr || b == nullptr) return a == b;
  for (;; ++a, ++b) {
    char ca = *a, cb = *b;
    if (ca >= 'A' && ca <= 'Z') ca = static_cast<char>(ca - 'A' + 'a');
    if (cb >= 'A' && cb <= 'Z') cb = static_cast<char>(cb - 'A' + 'a');
    if (ca != cb) return false;
    if (ca == '\0') return true;
  }
}
