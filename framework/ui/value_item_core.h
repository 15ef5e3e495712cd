// The value items' records and arithmetic over plain numbers: the brush-size
// drag, the slider's value for a pointer position and its thumb, and the
// palette's grid, its cell under a point and the one place a picked colour
// may go. No Windows.
#pragma once

#include <cstdint>

#include "framework/theme/theme_core.h"

// The application's value records, pointed to by the items' commands and
// changed in place while the user drags.
struct RangeValue {
  std::int32_t value;
  std::int32_t min;
  std::int32_t max;
};
static_assert(sizeof(RangeValue) == 12);

struct ColorValue {
  std::uint32_t color;  // 0xAARRGGBB, alpha 255 after a pick
  std::int32_t marker;  // non-zero: the brush overlay, else the plain one
};
static_assert(sizeof(ColorValue) == 8);

inline constexpr int kPaletteColors = 16;
struct PaletteValue {
  std::uint32_t colors[kPaletteColors];  // 0xAARRGGBB
  std::uint32_t pick;                    // the colour under the pointer during a pick
  std::int32_t selected;                 // the cell being picked anew
};
static_assert(sizeof(PaletteValue) == 72);

// ---- brush size ---------------------------------------------------------------------

// No brush-size drag is under way.
inline constexpr int kNoBrushDrag = -66666;

// Every 5 pixels up from the press raise the value by 1 (towards 0 for the
// rest), kept within the range.
[[nodiscard]] std::int32_t BrushSizeDragValue(int startY, int cursorY, std::int32_t startValue,
                                              const RangeValue& range) noexcept;

// ---- slider -------------------------------------------------------------------------

// The track (the extra part) runs from left for width pixels; the thumb is
// as wide as the part is high and its left edge moves over width - height.
struct SliderTrack {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};
// The value whose thumb centre lies nearest to x, within the range; the
// current value when the track leaves the thumb no room to move.
[[nodiscard]] std::int32_t SliderValueAt(int x, const SliderTrack& track, const RangeValue& range) noexcept;
// The thumb of the value: min at the track's left end, max at its right end.
[[nodiscard]] PixelRect SliderThumb(const SliderTrack& track, const RangeValue& range) noexcept;
// The 5-pixel bar the thumb runs on, inset by half a thumb at both ends.
[[nodiscard]] PixelRect SliderBar(const SliderTrack& track) noexcept;
// A press on the track beside the thumb: one step towards the press, kept
// within the range.
[[nodiscard]] std::int32_t SliderStepValue(const RangeValue& range, int pressX, int thumbRight) noexcept;

// ---- palette ---------------------------------------------------------------------------

// The grid of the 16 cells in the extra part (s the space width); the grid's
// outline rectangle goes to grid when given.
void LayoutPaletteCells(const PixelRect& extra, int s, bool inPopup, PixelRect cells[kPaletteColors],
                        PixelRect* grid) noexcept;
// The last cell that contains the point, or current when none does.
[[nodiscard]] std::int32_t PaletteCellAt(const PixelRect cells[kPaletteColors], int x, int y,
                                         std::int32_t current) noexcept;
// Stores the colour in the selected cell; nothing when the selection is no
// cell. Whether it was stored.
bool StorePaletteColor(PaletteValue& palette, std::uint32_t color) noexcept;
