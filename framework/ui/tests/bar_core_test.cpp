#include "framework/ui/bar_core.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr std::uint16_t kBay = 0x0100;  // top bay of frame 1
constexpr std::uint16_t kOtherBay = 0x0101;
constexpr std::uint16_t kShown = kBarVisible;

DockedBar Bar(std::uint16_t bay, std::uint16_t row, std::uint16_t flags, int thickness) {
  DockedBar b;
  b.bayId = bay;
  b.row = row;
  b.flags = flags;
  b.thickness = thickness;
  return b;
}

std::vector<std::int32_t> Rows(std::vector<DockedBar>& bars) {
  std::int32_t rows[kBayRowCount];
  MeasureBayRows(bars.data(), static_cast<int>(bars.size()), kBay, rows);
  std::vector<std::int32_t> filled;
  for (std::int32_t r : rows) {
    if (r == 0) break;
    filled.push_back(r);
  }
  return filled;
}

TEST(BayRows, MeasuredAndClosedUp) {
  struct Case {
    const char* what;
    std::vector<DockedBar> bars;
    std::vector<std::int32_t> rows;
    std::vector<std::uint16_t> rowsAfter;  // the bars' row numbers afterwards
  };
  const std::vector<Case> cases = {
      {"no bars", {}, {}, {}},
      {"thickest bar of a row, other bays and hidden bars left out",
       {Bar(kBay, 0, kShown, 24), Bar(kBay, 0, kShown, 30), Bar(kOtherBay, 0, kShown, 50), Bar(kBay, 0, 0, 80)},
       {30},
       {0, 0, 0, 0}},
      {"a resizable row gets a splitter", {Bar(kBay, 0, kShown | kBarResizableRow, 40)}, {-44}, {0}},
      {"one empty row closes up", {Bar(kBay, 0, kShown, 24), Bar(kBay, 2, kShown, 26)}, {24, 26}, {0, 1}},
      {"two empty rows in a row leave no gap",
       {Bar(kBay, 0, kShown, 24), Bar(kBay, 3, kShown, 26), Bar(kBay, 5, kShown, 28)},
       {24, 26, 28},
       {0, 1, 2}},
      {"empty rows first", {Bar(kBay, 4, kShown, 24)}, {24}, {0}},
      {"a row past the bay's rows is its last row",
       {Bar(kBay, 0, kShown, 24), Bar(kBay, 40, kShown, 30), Bar(kBay, 16, kShown, 32)},
       {24, 32},
       {0, 1, 1}},
  };
  for (const Case& c : cases) {
    std::vector<DockedBar> bars = c.bars;
    EXPECT_EQ(Rows(bars), c.rows) << c.what;
    std::vector<std::uint16_t> after;
    for (const DockedBar& b : bars) after.push_back(b.row);
    EXPECT_EQ(after, c.rowsAfter) << c.what;
  }
}

DockedBar RowBar(int position, int length, int minLength, std::uint16_t flags, int preferred = 0) {
  DockedBar b;
  b.position = position;
  b.length = length;
  b.minLength = minLength;
  b.flags = flags;
  b.preferredLength = preferred;
  return b;
}

TEST(BayRows, BarsPlacedAlongARow) {
  struct Case {
    const char* what;
    std::vector<DockedBar> bars;
    int usable;
    std::vector<int> along;
    std::vector<int> length;
  };
  const std::vector<Case> cases = {
      {"gaps kept", {RowBar(10, 50, 20, 0), RowBar(100, 40, 20, 0)}, 300, {10, 100}, {50, 40}},
      {"overlap: the second starts after the first's minimum, the first is cut",
       {RowBar(0, 80, 30, 0), RowBar(10, 40, 20, 0)},
       300,
       {0, 30},
       {30, 40}},
      {"pushed to the end", {RowBar(0, 50, 20, 0), RowBar(60, 40, 20, kBarPushedToEnd)}, 300, {0, 260}, {50, 40}},
      {"fills up to the next bar", {RowBar(0, 50, 20, kBarFillsRow), RowBar(200, 40, 20, 0)}, 300, {0, 200}, {200, 40}},
      {"follows the one before at its preferred length",
       {RowBar(0, 50, 20, 0, 70), RowBar(5, 40, 20, kBarFollowsPrevious)},
       300,
       {0, 70},
       {70, 40}},
      {"too long: gaps go first, last gap first",
       {RowBar(10, 50, 20, 0), RowBar(100, 40, 20, 0)},
       130,
       {10, 90},
       {50, 40}},
      {"then the filling bars, then all bars, last first, down to their minimum",
       {RowBar(0, 100, 30, 0), RowBar(100, 100, 60, kBarFillsRow), RowBar(200, 100, 50, 0)},
       180,
       {0, 70, 130},
       {70, 60, 50}},
  };
  for (const Case& c : cases) {
    std::vector<DockedBar> bars = c.bars;
    std::vector<DockedBar*> row;
    for (DockedBar& b : bars) row.push_back(&b);
    std::vector<RowPlace> out(bars.size());
    LayoutBayRow(row.data(), static_cast<int>(row.size()), c.usable, out.data());
    std::vector<int> along, length;
    for (const RowPlace& p : out) {
      along.push_back(p.along);
      length.push_back(p.length);
    }
    EXPECT_EQ(along, c.along) << c.what;
    EXPECT_EQ(length, c.length) << c.what;
  }
}

TEST(Bars, ThicknessAndDragLimit) {
  EXPECT_EQ(ComputeBarThickness(-1, 0, 0).thickness, 24);  // an empty bar
  EXPECT_EQ(ComputeBarThickness(21, 60, 0).thickness, 26);
  EXPECT_EQ(ComputeBarThickness(21, 60, kBarResizableRow).thickness, 60);
  EXPECT_EQ(ComputeBarThickness(21, 10, kBarResizableRow).thickness, 26);
  EXPECT_EQ(DraggedRowThickness(40, -30, 26), 26);
  EXPECT_EQ(DraggedRowThickness(40, 15, 26), 55);
}

constexpr std::uint32_t kMay = 0x1000;

TEST(Bars, ItemsHiddenLastFirstIntoTheOverflowList) {
  // Five items 30 long with a gap of 2, the overflow button 12 long last.
  std::vector<BarItem> items = {{30, 20, kMay, 1}, {30, 20, 0, 2},    {10, 20, kMay, 0xF000, true},
                                {30, 20, kMay, 4}, {30, 20, kMay, 5}, {12, 20, 0, kOverflowCommandId}};
  struct Case {
    int inner;
    std::vector<bool> shown;
    std::vector<std::uint16_t> list;
  };
  const std::vector<Case> cases = {
      {200, {true, true, true, true, true, false}, {}},
      {120, {true, true, true, false, false, true}, {4, 5}},
      // The separator is not the first entry of the list.
      {80, {true, true, false, false, false, true}, {4, 5}},
      {40, {false, true, false, false, false, true}, {1, 0xF000, 4, 5}},
  };
  for (const Case& c : cases) {
    std::vector<BarItemPlace> out(items.size());
    std::uint16_t list[8];
    const BarRowLayout r =
        LayoutBarItems(items.data(), static_cast<int>(items.size()), 2, 2, c.inner, 22, 2, out.data(), list, 8);
    std::vector<bool> shown;
    for (const BarItemPlace& p : out) shown.push_back(p.shown);
    EXPECT_EQ(shown, c.shown) << c.inner;
    std::vector<std::uint16_t> got;
    for (int i = 0; list[i] != kOverflowListEnd; ++i) got.push_back(list[i]);
    EXPECT_EQ(got, c.list) << c.inner;
    EXPECT_EQ(r.length, 2 + 5 * 2 + 130 + 2);
    EXPECT_EQ(r.minLength, 2 + 30 + 12 + 2 + 2);
  }
  // A full list never grows past its size.
  std::vector<BarItemPlace> out(items.size());
  std::uint16_t small[2] = {7, 7};
  (void)LayoutBarItems(items.data(), static_cast<int>(items.size()), 2, 2, 40, 22, 2, out.data(), small, 2);
  EXPECT_EQ(small[0], 1);
  EXPECT_EQ(small[1], kOverflowListEnd);
}

TEST(Bars, StretchAndCentring) {
  const std::vector<BarItem> items = {
      {20, 10, 0, 1}, {20, 10, kItemStretches, 2}, {20, 10, kItemFullHeight, 3}, {12, 20, 0, kOverflowCommandId}};
  std::vector<BarItemPlace> out(items.size());
  (void)LayoutBarItems(items.data(), 4, 2, 2, 100, 20, 2, out.data(), nullptr, 0);
  EXPECT_EQ(out[0].across, 7);  // centred
  EXPECT_EQ(out[1].length, 20 + 100 - 66);
  EXPECT_EQ(out[2].along, 2 + 22 + 56);
  EXPECT_EQ(out[2].across, 2);
  EXPECT_EQ(out[2].thickness, 20);
  // A separator runs across the bar.
  const std::vector<BarItem> separated = {{6, 6, 0, 0xF000, true}, {12, 20, 0, kOverflowCommandId}};
  (void)LayoutBarItems(separated.data(), 2, 2, 2, 100, 20, 2, out.data(), nullptr, 0);
  EXPECT_EQ(out[0].across, 2);
  EXPECT_EQ(out[0].thickness, 20);
}

TEST(Bars, FloatingItemsWrapIntoLines) {
  const std::vector<BarItem> items = {
      {30, 20, 0, 1}, {30, 20, 0, 2}, {30, 20, 0, 3}, {40, 30, kItemOwnLine, 4}, {30, 24, 0, 5}};
  std::vector<BarItemPlace> out(items.size());
  const FloatingSize size = LayoutFloatingItems(items.data(), 5, 2, 2 + 62 + 2, 0, 2, out.data());
  // Two items a line; the own-line item spans the bar.
  EXPECT_EQ(out[1].along, 34);
  EXPECT_EQ(out[2].along, 2);
  EXPECT_EQ(out[2].across, 24);
  EXPECT_EQ(out[3].across, 46);
  EXPECT_EQ(out[3].length, 62);
  EXPECT_EQ(out[4].across, 78);
  EXPECT_EQ(size.length, 2 + 62 + 2);
  EXPECT_EQ(size.thickness, 78 + 24 + 3);
}

}  // namespace
