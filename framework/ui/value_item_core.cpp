#include "framework/ui/value_item_core.h"

namespace {

std::int32_t Clamped(std::int64_t value, const RangeValue& range) noexcept {
  const std::int64_t lo = range.min < range.max ? range.min : range.max;
  const std::int64_t hi = range.min < range.max ? range.max : range.min;
  if (value < lo) return static_cast<std::int32_t>(lo);
  if (value > hi) return static_cast<std::int32_t>(hi);
  return static_cast<std::int32_t>(value);
}

// Units of the range; an empty range counts as one unit.
std::int64_t SpanOf(const RangeValue& range) noexcept {
  const std::int64_t span = static_cast<std::int64_t>(range.max) - range.min;
  return span == 0 ? 1 : span;
}

// Pixels per unit of the range along the track.
double ScaleOf(const SliderTrack& track, const RangeValue& range) noexcept {
  return static_cast<double>(track.width - track.height) / static_cast<double>(SpanOf(range));
}

}  // namespace

std::int32_t BrushSizeDragValue(int startY, int cursorY, std::int32_t startValue, const RangeValue& range) noexcept {
  std::int64_t value = (static_cast<std::int64_t>(startY) - cursorY) / 5 + startValue;
  // Lowered to max first, then raised to min: a range given upside down
  // ends at its min.
  if (value > range.max) value = range.max;
  if (value < range.min) value = range.min;
  return static_cast<std::int32_t>(value);
}

std::int32_t SliderValueAt(int x, const SliderTrack& track, const RangeValue& range) noexcept {
  const double scale = ScaleOf(track, range);
  if (!(scale > 0)) return Clamped(range.value, range);
  // The thumb's centre follows the pointer: shifting by half a unit rounds
  // to the nearest value.
  const double units = (x - (track.left + (track.height - scale) * 0.5)) / scale;
  if (units < -1e12 || units > 1e12) return Clamped(units < 0 ? range.min : range.max, range);
  return Clamped(static_cast<std::int64_t>(units) + range.min, range);
}

PixelRect SliderThumb(const SliderTrack& track, const RangeValue& range) noexcept {
  const double scale = ScaleOf(track, range);
  const std::int64_t units = static_cast<std::int64_t>(Clamped(range.value, range)) - range.min;
  const int x = track.left + (scale > 0 ? static_cast<int>(scale * static_cast<double>(units)) : 0);
  return PixelRect{x, track.top, x + track.height, track.top + track.height};
}

PixelRect SliderBar(const SliderTrack& track) noexcept {
  const int g = track.height / 2;
  return PixelRect{track.left + g, track.top + g - 2, track.left + track.width - g, track.top + g + 3};
}

std::int32_t SliderStepValue(const RangeValue& range, int pressX, int thumbRight) noexcept {
  const std::int64_t step = pressX > thumbRight ? 1 : -1;
  return Clamped(range.value + step, range);
}

void LayoutPaletteCells(const PixelRect& extra, int s, bool inPopup, PixelRect cells[kPaletteColors],
                        PixelRect* grid) noexcept {
  const int shift = inPopup ? s : 0;
  PixelRect g{extra.left - s + shift + 1, extra.top - s + 1, extra.right + s + shift - 1, extra.bottom + s - 1};
  const int gridWidth = g.right - g.left;
  const int gridHeight = g.bottom - g.top;
  const bool upright = extra.right - extra.left < extra.bottom - extra.top;
  const int columns = upright ? 2 : 8;
  const double cellWidth = gridWidth * (upright ? 0.5 : 0.125);
  const double cellHeight = gridHeight * (upright ? 0.125 : 0.5);
  for (int k = 0; k < kPaletteColors; ++k) {
    const int row = k / columns;
    const int column = k % columns;
    const double left = g.left + column * cellWidth;
    const double top = g.top + row * cellHeight;
    cells[k] = PixelRect{static_cast<int>(left), static_cast<int>(top), static_cast<int>(left + cellWidth + 1),
                         static_cast<int>(top + cellHeight + 1)};
  }
  if (grid != nullptr) *grid = g;
}

std::int32_t PaletteCellAt(const PixelRect cells[kPaletteColors], int x, int y, std::int32_t current) noexcept {
  std::int32_t found = current;
  // Neighbouring cells share their edge pixels: the later cell wins.
  for (int k = 0; k < kPaletteColors; ++k) {
    const PixelRect& c = cells[k];
    if (x >= c.left && x < c.right && y >= c.top && y < c.bottom) found = k;
  }
  return found;
}

bool StorePaletteColor(PaletteValue& palette, std::uint32_t color) noexcept {
  if (palette.selected < 0 || palette.selected >= kPaletteColors) return false;
  palette.colors[palette.selected] = color;
  return true;
}
