#include "framework/ui/ui_item_core.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Str(const PixelRect& r) {
  return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) + ", " +
         std::to_string(r.bottom) + ")";
}

TEST(ItemDrawState, LaterStatesWinAndOnlyPressedShiftsTheContent) {
  struct Case {
    std::uint32_t flags;
    bool holder;
    int offset, style, colour, centre, bold;
  } cases[] = {
      {0x0, false, 0, 0, 0, 0, 0},
      {0x801, false, 0, 6, 1, 0, 0},     // checked
      {0x800, false, 0, 7, 0, 0, 0},     // checked, disabled
      {0xA01, false, 0, 1, 2, 0, 0},     // hot beats checked
      {0xE01, false, 1, 2, 2, 0, 0},     // pressed beats hot
      {0x451, false, 1, 2, 2, 1, 1},
      {0x51, true, 0, 0, 1, 0, 1},       // a popup entry is never centred
  };
  for (const Case& c : cases) {
    const ItemDrawState s = ItemDrawStateFor(c.flags, c.holder);
    EXPECT_EQ(s.pressedOffset, c.offset) << std::hex << c.flags;
    EXPECT_EQ(s.frameStyle, c.style) << std::hex << c.flags;
    EXPECT_EQ(s.textColour, c.colour) << std::hex << c.flags;
    EXPECT_EQ(s.centre, c.centre) << std::hex << c.flags;
    EXPECT_EQ(s.bold, c.bold) << std::hex << c.flags;
  }
}

TEST(ItemMeasure, SizesFollowTheDpiTheFactorsAndTheLabelFloor) {
  struct Case {
    ItemPartSizes parts;
    int dpi;
    float wf, hf;
    int width, height, iconColumn;
  } cases[] = {
      // Nothing at all: s wide, and the label's floor of 16 still counts.
      {{}, 96, 0, 0, 4, 24, 0},
      {{16, 16}, 144, 0, 0, 4 + 24 + 4, 24 + 8, 24},
      // The factors grow the label by multiples of its measured height.
      {{0, 0, 0, 0, 50, 14}, 96, 1.0f, 0.5f, 4 + 64 + 4, 21 + 8, 0},
      // Extra part, second text (4s before it) and the arrow zone.
      {{0, 0, 10, 30, 20, 16, 30, 16, 7}, 96, 0, 0, 4 + 7 + 10 + 4 + 20 + 4 + 16 + 30, 38, 0},
  };
  for (const Case& c : cases) {
    const ItemMeasure m = MeasureItemParts(c.parts, c.dpi, 4, c.wf, c.hf);
    EXPECT_EQ(m.width, c.width) << c.parts.labelWidth;
    EXPECT_EQ(m.height, c.height) << c.parts.labelWidth;
    EXPECT_EQ(m.iconColumn, c.iconColumn);
  }
}

TEST(ItemLayout, PartsAreCentredVerticallyAndPlacedLeftToRight) {
  const int s = 4;
  const ItemPartSizes parts{16, 16, 0, 0, 40, 15, 20, 15, 0};
  // A plain item 100 x 30: icon, then the label a space after it.
  ItemPartRects r = LayoutItemParts(parts, 72, 100, 30, s, 0, false, false, 0, false);
  EXPECT_TRUE((r.icon == PixelRect{4, 7, 20, 23})) << Str(r.icon);
  EXPECT_TRUE((r.label == PixelRect{24, 8, 64, 23})) << Str(r.label);
  // Centred and pressed: moved by half the spare width and one pixel.
  r = LayoutItemParts(parts, 72, 100, 30, s, 1, true, false, 0, false);
  EXPECT_EQ(r.icon.left, 4 + 1 + 14);
  EXPECT_EQ(r.icon.top, 8);
  // In a popup the label starts at the holder's icon column, the second text
  // is right-aligned before the arrow zone, and a stretched label reaches it.
  ItemPartSizes popup = parts;
  popup.arrowWidth = 10;
  r = LayoutItemParts(popup, 72, 200, 30, s, 0, true, true, 30, true);
  EXPECT_EQ(r.icon.left, 4);
  EXPECT_EQ(r.label.left, 30);
  EXPECT_TRUE((r.second == PixelRect{200 - 10 - 20 - 4, 8, 200 - 10 - 4, 23})) << Str(r.second);
  EXPECT_EQ(r.label.right, 200 - 10 - 20 - 4);
}

TEST(ItemPresses, ADoublePressNeedsTheSameButtonWithinTheTime) {
  EXPECT_TRUE(IsDoublePress(10'000, 9'600, 500));
  EXPECT_FALSE(IsDoublePress(10'000, 9'500, 500));
  EXPECT_FALSE(IsDoublePress(10'000, 10'001, 500));  // a clock that went back is no double press
}

TEST(ListColumns, LeftsFollowTheFractionsAndTheTotalFallsBackToTheWidth) {
  ListColumn c[3] = {{"a", 9, 0.25}, {"b", 9, 0.5}, {"c", 9, 0.6}};
  EXPECT_EQ(LayoutColumnLefts(201, c, 3), 50 + 100 + 120);
  EXPECT_EQ(c[0].left, 0);
  EXPECT_EQ(c[1].left, 50);
  EXPECT_EQ(c[2].left, 150);
  ListColumn zero[1] = {{"z", 0, 0.0}};
  EXPECT_EQ(LayoutColumnLefts(201, zero, 1), 201);
  EXPECT_EQ(LayoutColumnLefts(201, nullptr, 0), 201);
}

TEST(ListScrolling, NeverPastTheContentNorBeforeItsStart) {
  struct Case {
    int scroll, total, view, want;
  } cases[] = {
      {30, 300, 200, 30},  {150, 300, 200, 100}, {-20, 300, 200, 0},
      {50, 150, 200, 0},  // narrower content: no scrolling, never a negative position
      {10, 150, -5, 10},  // a view of no width
  };
  for (const Case& c : cases) EXPECT_EQ(ClampScrollX(c.scroll, c.total, c.view), c.want) << c.scroll << " " << c.total;
  EXPECT_EQ(ScrollPageFor(-30), 0);
  EXPECT_EQ(ScrollPageFor(180), 180);
}

TEST(ListSorting, ClicksFlipTheSortColumnAndKeepTheDirectionElsewhere) {
  int direction = 1;
  for (int want : {-1, 1, -1}) {
    const SortClick click = HeaderSortClick(2, direction, false, 2);
    ASSERT_TRUE(click.changes);
    EXPECT_EQ(click.direction, want);
    direction = click.direction;
  }
  EXPECT_EQ(HeaderSortClick(2, -1, false, 0).direction, -1);
  EXPECT_EQ(HeaderSortClick(2, 0, false, 0).direction, 1);
  EXPECT_EQ(HeaderSortClick(2, 0, false, 2).direction, 1);
  EXPECT_FALSE(HeaderSortClick(-1, 1, false, 0).changes);
  EXPECT_FALSE(HeaderSortClick(2, 1, true, 0).changes);

  EXPECT_EQ(SortImageIndex(0, false), -1);
  EXPECT_EQ(SortImageIndex(1, false), 0);
  EXPECT_EQ(SortImageIndex(-1, true), 3);
}

TEST(ListSorting, ArrowsAreOddHighTrianglesNarrowingToAOnePixelTip) {
  EXPECT_EQ(SortArrowHeight(20), 5);
  EXPECT_EQ(SortArrowHeight(21), 7);
  EXPECT_EQ(SortArrowHeight(2), 1);
  const int h = 5;
  const Span top = SortArrowRow(h, 0, true);
  const Span tip = SortArrowRow(h, h - 1, true);
  EXPECT_EQ(top.left, 0);
  EXPECT_EQ(top.right, 2 * h - 1);
  EXPECT_EQ(tip.right - tip.left, 1);
  EXPECT_EQ(SortArrowRow(h, 0, false).right - SortArrowRow(h, 0, false).left, 1);
  EXPECT_EQ(HeaderHeightFor(20, true), 24);
  EXPECT_EQ(HeaderHeightFor(20, false), 0);
}

}  // namespace
