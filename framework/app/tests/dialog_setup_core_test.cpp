#include "framework/app/dialog_setup_core.h"

#include <gtest/gtest.h>

namespace {

TEST(DialogDpi, ControlsMoveOncePerChangeAndNotForAnUnknownDpi) {
  const PixelRect r{10, 20, 85, 43};
  const struct {
    int from, to;
    PixelRect want;
  } cases[] = {
      {96, 144, {15, 30, 128, 65}},  // halves round away from zero
      {96, 96, r},
      {0, 144, r},  // a dialog whose DPI was never known is not divided by 0
      {96, 0, r},
  };
  for (const auto& c : cases) EXPECT_EQ(ScaleRectForDpi(r, c.from, c.to), c.want) << c.from << " -> " << c.to;

  // A change and its reverse give every rectangle back.
  for (int v = -50; v < 400; v += 7) {
    const PixelRect s{v, v + 1, v + 3, v + 13};
    for (int dpi : {120, 144, 168, 192}) {
      EXPECT_EQ(ScaleRectForDpi(ScaleRectForDpi(s, 96, dpi), dpi, 96), s) << v << " at " << dpi;
    }
  }
}

TEST(DialogCheckBox, WidenedOnlyAfterASmallControlBesideIt) {
  EXPECT_TRUE(IsPlainCheckBox(0x50010002));   // BS_CHECKBOX with window styles
  EXPECT_FALSE(IsPlainCheckBox(0x50010003));  // BS_AUTOCHECKBOX
  const PixelRect icon{10, 10, 26, 26};
  const struct {
    PixelRect box;
    std::uint32_t neighbourStyle;
    bool want;
  } cases[] = {
      {{26, 12, 100, 28}, 3, true},
      {{26, 12, 100, 28}, 0, false},  // a plain text is no small control
      {{26, 19, 100, 35}, 4, false},  // 9 lower: more than half of 16
      {{26, 18, 100, 34}, 4, true},   // 8 lower: within half
      {{59, 10, 100, 26}, 4, false},  // more than 3 heights from its left edge
      {{9, 10, 100, 26}, 4, false},   // starts before it
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FollowsSmallControl(c.box, icon, c.neighbourStyle), c.want) << c.box.left << "," << c.box.top;
  }
  EXPECT_EQ(WidenedCheckBoxWidth(74), 88);
}

}  // namespace
