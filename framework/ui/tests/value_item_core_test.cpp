#include "framework/ui/value_item_core.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

TEST(ValueItemCore, BrushSizeDragStepsEveryFivePixelsWithinItsRange) {
  struct Case {
    int startY, cursorY, startValue, min, max, expected;
  } const cases[] = {
      {100, 88, 10, 0, 50, 12},   // 12 pixels up
      {100, 96, 10, 0, 50, 10},   // 4 pixels up: not yet a step
      {100, 106, 10, 0, 50, 9},   // down, truncated towards 0
      {100, 0, 10, 0, 50, 30},    // far up stops at max
      {100, 900, 10, 5, 50, 5},   // far down stops at min
      {100, 75, 20, 18, 25, 25},  // min above 0
  };
  for (const Case& c : cases) {
    const RangeValue range{c.startValue, c.min, c.max};
    EXPECT_EQ(BrushSizeDragValue(c.startY, c.cursorY, c.startValue, range), c.expected) << c.cursorY;
  }
}

TEST(ValueItemCore, SliderValueAndThumbCountFromTheMinimum) {
  // 10 units over 100 pixels: the thumb (20 wide) moves 10 pixels a unit.
  const SliderTrack track{30, 4, 120, 20};
  const RangeValue range{12, 10, 20};
  for (const auto& [x, expected] : {std::pair{40, 10}, std::pair{94, 15}, std::pair{96, 16}, std::pair{140, 20},
                                    std::pair{500, 20}, std::pair{-50, 10}}) {
    EXPECT_EQ(SliderValueAt(x, track, range), expected) << x;
  }
  for (const auto& [value, left] : {std::pair{10, 30}, std::pair{15, 80}, std::pair{20, 130}}) {
    const PixelRect thumb = SliderThumb(track, RangeValue{value, 10, 20});
    EXPECT_EQ(thumb.left, left) << value;
    EXPECT_EQ(thumb.right - thumb.left, 20);
  }
  // An empty range is one unit; a track with no room keeps the value.
  EXPECT_EQ(SliderValueAt(500, track, RangeValue{7, 7, 7}), 7);
  EXPECT_EQ(SliderValueAt(500, SliderTrack{0, 0, 20, 20}, RangeValue{3, 0, 9}), 3);
}

TEST(ValueItemCore, PaletteCellsPicksAndTheSixteenEntryBound) {
  PixelRect cells[kPaletteColors];
  // Wide: 8 x 2 cells of 20 x 10 in the grid (16, 6)-(176, 26).
  LayoutPaletteCells(PixelRect{20, 10, 172, 22}, 5, false, cells, nullptr);
  EXPECT_EQ(cells[0].left, 16);
  EXPECT_EQ(cells[9].left, 36);
  EXPECT_EQ(cells[9].top, 16);
  // Upright: 2 columns of 8 rows, cell 1 right of cell 0.
  PixelRect upright[kPaletteColors];
  LayoutPaletteCells(PixelRect{20, 10, 32, 162}, 5, false, upright, nullptr);
  EXPECT_EQ(upright[1].top, upright[0].top);
  EXPECT_GT(upright[2].top, upright[0].top);

  EXPECT_EQ(PaletteCellAt(cells, 37, 17, 4), 9);
  EXPECT_EQ(PaletteCellAt(cells, 36, 8, 4), 1);   // the shared edge belongs to the later cell
  EXPECT_EQ(PaletteCellAt(cells, 300, 8, 4), 4);  // outside every cell: kept

  for (const std::int32_t selected : {-1, 16, 0x40000000}) {
    PaletteValue palette{};
    palette.selected = selected;
    EXPECT_FALSE(StorePaletteColor(palette, 0xFF123456u)) << selected;
    for (const std::uint32_t c : palette.colors) EXPECT_EQ(c, 0u);
    EXPECT_EQ(palette.pick, 0u);
  }
  PaletteValue palette{};
  palette.selected = 15;
  EXPECT_TRUE(StorePaletteColor(palette, 0xFF123456u));
  EXPECT_EQ(palette.colors[15], 0xFF123456u);
}

}  // namespace
