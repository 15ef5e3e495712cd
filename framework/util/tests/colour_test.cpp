#include "framework/util/colour.h"

#include <gtest/gtest.h>

namespace {

TEST(Colour, RgbToHsl) {
  const struct { ColorRef rgb; int h, l, s; } cases[] = {
      {0x000000FFu, 255, 127, 255},  // 360 degrees stays 255 rather than wrapping to 0
      {0x0000FF00u, 85, 127, 255}, {0x00FF0000u, 170, 127, 255}, {0x00FFFFFFu, 0, 255, 0}, {0x00000000u, 0, 0, 0},
      {0x00808080u, 0, 128, 0},
      {0x00EE6E18u, 152, 131, 220},  // blue maximum, red minimum; lightness over one half uses 2 - M - m
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RgbToHsl(c.rgb), static_cast<std::uint32_t>(c.h | c.l << 8 | c.s << 16)) << std::hex << c.rgb;
  }
  EXPECT_EQ(RgbToHsl(0xFF00FFFFu), RgbToHsl(0x0000FFFFu));  // the high byte is ignored
  // Red maximum with blue above green lands between 300 and 360 degrees.
  EXPECT_EQ(HueOf(RgbToHsl(0x008000FFu)), 233);
}

TEST(Colour, HslToRgbRampsAndLimits) {
  const struct { float h, l, s, r, g, b; } cases[] = {
      {0, 0.5f, 1, 1, 0, 0}, {30, 0.5f, 1, 1, 0.5f, 0}, {60, 0.5f, 1, 1, 1, 0},
      {240, 0.75f, 1, 0.5f, 0.5f, 1},  // q = l + s - l s = 1, p = 0.5
      {-5, 2, 0, 1, 1, 1},             // grey at lightness limited to 1
      {720, 0.5f, 1, 1, 0, 0},         // hue limited to 360 = red
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.h << "/" << c.l << "/" << c.s);
    float r = -1, g = -1, b = -1;
    HslToRgb(c.h, c.l, c.s, &r, &g, &b);
    EXPECT_FLOAT_EQ(r, c.r);
    EXPECT_FLOAT_EQ(g, c.g);
    EXPECT_FLOAT_EQ(b, c.b);
  }
}

TEST(Colour, AdjustBlendAndBytes) {
  const struct { ColorRef in; double hue, light, sat; ColorRef want; } adjust[] = {
      {0x00808080u, 0, 0, 0, 0x00808080u},  {0x00808080u, 0, 1.0, 0, 0x00FFFFFFu},  // 256 limited to 255
      {0x000000FFu, 0, -1.0, 0, 0u},        {0x000000FFu, 0, -3.0, 0, 0u},           // negative lightness: 0
      {0x000000FFu, 0, 0, -1.0, 0x007F7F7Fu}, {0x00838383u, 0, -0.2, 0.2, 0x00686868u},
      {0x000000FFu, 0, 0, 0, 0x000000FEu},  // single precision loses the top step of a saturated colour
      {0x00EE6E18u, 0, 0.2, -0.3, 0x00D89361u},
      {0x000000FFu, 1.0 / 3.0, 0, 0, 0x0000FE05u},  // 255 + 85 wraps to hue 84: just short of green
  };
  for (const auto& c : adjust) EXPECT_EQ(AdjustColorHsl(c.in, c.hue, c.light, c.sat), c.want) << std::hex << c.in;

  EXPECT_EQ(BlendColor(0x00000000u, 0x00FFFFFFu, 0.5), 0x007F7F7Fu);  // per channel, truncated
  EXPECT_EQ(BlendColor(0x00FF0000u, 0x000000FFu, 0.25), 0x00BF003Fu);
  EXPECT_EQ(BlendColor(0x00123456u, 0x00ABCDEFu, 0.0), 0x00123456u);
  EXPECT_EQ(BlendColor(0x00123456u, 0x00ABCDEFu, 1.0), 0x00ABCDEFu);
  EXPECT_EQ(BlendColor(0xFF000000u, 0xFF000000u, 0.5), 0u);  // byte 3 is cleared

  EXPECT_EQ(SwapRedBlue(0xAA112233u), 0x00332211u);
  EXPECT_EQ(ColorRefToArgb(0x00112233u, 0x1FF), 0xFF332211u);
  EXPECT_EQ(ColorRefToArgb(0x00112233u, 0), 0x00332211u);
  EXPECT_EQ(MakeColorRef(1, 2, 3), 0x00030201u);
}

}  // namespace
