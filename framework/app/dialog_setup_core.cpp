#include "framework/app/dialog_setup_core.h"

#include <cstdlib>

namespace {

int ScaleEdge(int value, int from, int to) noexcept {
  const long long product = static_cast<long long>(value) * to;
  const long long half = from / 2;
  return static_cast<int>(product >= 0 ? (product + half) / from : (product - half) / from);
}

}  // namespace

PixelRect ScaleRectForDpi(const PixelRect& rect, int fromDpi, int toDpi) noexcept {
  if (fromDpi <= 0 || toDpi <= 0 || fromDpi == toDpi) return rect;
  return PixelRect{ScaleEdge(rect.left, fromDpi, toDpi), ScaleEdge(rect.top, fromDpi, toDpi),
                   ScaleEdge(rect.right, fromDpi, toDpi), ScaleEdge(rect.bottom, fromDpi, toDpi)};
}

bool FollowsSmallControl(const PixelRect& checkBox, const PixelRect& neighbour, std::uint32_t neighbourStyle) noexcept {
  const int height = checkBox.bottom - checkBox.top;
  return (neighbourStyle & 0x7) != 0 && std::abs(checkBox.top - neighbour.top) <= height / 2 &&
         checkBox.left >= neighbour.left && checkBox.left <= neighbour.left + 3 * height;
}
