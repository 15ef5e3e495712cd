#include "framework/ui/menu_core.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PopupLayout, LabelsStartAtOneColumnAndTheEntriesFillTheWidth) {
  // The first entry's height (20) is narrower than the widest icon column
  // (24): the column is 28, and the entry with column 0 grows by all of it.
  const PopupEntrySize entries[] = {{100, 20, 16}, {90, 22, 24}, {80, 6, 0}};
  const PopupLayout l = LayoutPopupEntries(entries, 3);
  EXPECT_EQ(l.iconColumn, 28);
  EXPECT_EQ(l.contentWidth, 112);  // 100 + 12 beats 90 + 4 and 80 + 28
  EXPECT_EQ(l.width, 118);
  EXPECT_EQ(l.height, 48 + 6);
  EXPECT_EQ(LayoutPopupEntries(entries, 0).width, 0);
}

TEST(PopupPlacement, OpensBesideOrBelowAndFlipsAtTheMonitorEdges) {
  const MonitorRect monitor{0, 0, 1000, 800};
  struct Case {
    MonitorRect anchor;
    bool toSide;
    int w, h;
    std::int32_t x, y;
  } cases[] = {
      {{100, 100, 200, 120}, false, 150, 300, 100, 120},  // below
      {{100, 100, 200, 120}, true, 150, 300, 198, 98},    // beside, 2 pixels over
      {{900, 100, 980, 120}, false, 150, 100, 830, 120},  // right-aligned with the anchor
      {{900, 100, 980, 120}, true, 150, 100, 750, 98},    // to the left of the anchor
      {{100, 700, 200, 720}, false, 150, 300, 100, 400},  // upwards from the top
      {{100, 700, 200, 720}, true, 150, 300, 198, 420},   // upwards from the bottom
      {{995, 795, 995, 795}, false, 150, 100, 845, 695},  // at a point: flips both ways
      {{50, 60, 50, 60}, false, 150, 100, 50, 60},        // at a point: top-left at the point
  };
  for (const Case& c : cases) {
    const PopupPoint start = PopupStartPoint(c.anchor, c.toSide);
    const PopupPoint p = FitPopupOnMonitor(c.anchor, start, c.w, c.h, c.toSide, monitor);
    EXPECT_EQ(p.x, c.x) << c.anchor.left << "," << c.anchor.top << " side " << c.toSide;
    EXPECT_EQ(p.y, c.y) << c.anchor.left << "," << c.anchor.top << " side " << c.toSide;
  }
}

TEST(StaticLabel, PrefixesAreReadInOrderAndNeverDrawn) {
  struct Case {
    const char* label;
    int icon, percent;
    const char* text;
  } cases[] = {
      {"#0Plain", 0, -1, "Plain"},  // icon 0: no icon, no shift
      {"#12@50 Done", 12, 50, " Done"},
      {"@150x", 0, 100, "x"},
      {"@-5x", 0, 0, "x"},
      {"@text", 0, -1, "text"},  // no digits: no bar
      {"@50#3", 0, 50, "#3"},    // the icon comes first or not at all
      {"#99999999999@7", 1000000, 7, ""},
      {"plain", 0, -1, "plain"},
  };
  for (const Case& c : cases) {
    const StaticLabel parts = ParseStaticLabel(c.label);
    EXPECT_EQ(parts.icon, c.icon) << c.label;
    EXPECT_EQ(parts.percent, c.percent) << c.label;
    EXPECT_EQ(std::string(c.label + parts.text), c.text) << c.label;
  }
}

TEST(StaticLabel, BarFollowsTheTextAndIsFilledByThePercentage) {
  // Text 40 x 14 at x 20 in a label 20 high at y 2; space width 3.
  const StaticBar bar = StaticBarRects(20, 2, 20, 40, 14, 3, 50);
  EXPECT_EQ(bar.outline.left, 66);
  EXPECT_EQ(bar.outline.right, 206);
  EXPECT_EQ(bar.outline.top, 6);
  EXPECT_EQ(bar.outline.bottom, 18);
  EXPECT_EQ(bar.fill.left, 67);
  EXPECT_EQ(bar.fill.right, 67 + 138 / 2);
  EXPECT_EQ(bar.percentLeft, 212);
  EXPECT_EQ(StaticBarRects(20, 2, 20, 40, 14, 3, 0).fill.right, 67);
}

TEST(Separator, ThicknessAndLine) {
  EXPECT_EQ(SeparatorThickness(0x1000000), 3);
  EXPECT_EQ(SeparatorThickness(0x4), 6);
  BarRect line{};
  ASSERT_TRUE(SeparatorLine(100, 6, &line));
  EXPECT_EQ((std::to_string(line.left) + "," + std::to_string(line.top) + "," + std::to_string(line.right) + "," +
             std::to_string(line.bottom)),
            "2,2,98,4");
  ASSERT_TRUE(SeparatorLine(6, 6, &line));
  EXPECT_EQ(line.left, 2);
  EXPECT_EQ(line.bottom, 4);
  EXPECT_FALSE(SeparatorLine(6, 24, &line));  // stretched by its holder: no line
  EXPECT_FALSE(SeparatorLine(100, 3, &line));
}

}  // namespace
