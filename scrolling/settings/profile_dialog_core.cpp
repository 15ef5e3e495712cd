#include "scrolling/settings/profile_dialog_core.h"

#include <algorithm>
#include <cstring>

void ProfileNameFromPath(std::string_view path, char* name, std::size_t size) noexcept {
  if (name == nullptr || size == 0) return;
  const std::size_t slash = path.rfind('\\');
  const std::string_view file = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t n = std::min(file.size(), size - 1);
  if (n > 0) std::memcpy(name, file.data(), n);
  name[n] = '\0';
}

PickerStep DecidePickerStep(bool anyButtonDown, std::uintptr_t windowUnderCursor, std::uintptr_t lastWindow) noexcept {
  if (!anyButtonDown) return PickerStep::kEnd;
  return windowUnderCursor != lastWindow ? PickerStep::kNewWindow : PickerStep::kSameWindow;
}

std::array<FrameBox, 4> OverlayFrameStrips(int width, int height, int thickness) noexcept {
  const int w = std::max(width, 0);
  const int h = std::max(height, 0);
  const int tx = std::clamp(thickness, 0, w);
  const int ty = std::clamp(thickness, 0, h);
  return {FrameBox{0, 0, tx, h}, FrameBox{0, 0, w, ty}, FrameBox{0, h - ty, w, h}, FrameBox{w - tx, 0, w, h}};
}

FrameBox OverlayFrameInside(int width, int height, int thickness) noexcept {
  const int w = std::max(width, 0);
  const int h = std::max(height, 0);
  const int t = std::max(thickness, 0);
  // Strips that meet or overlap leave nothing inside.
  if (w <= 2 * t || h <= 2 * t) return FrameBox{0, 0, 0, 0};
  return FrameBox{t, t, w - t, h - t};
}
