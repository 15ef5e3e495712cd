#include "framework/util/colour.h"

#include <gtest/gtest.h>

namespace {

std::uint32_t PackHsl(int h, int l, int s) {
  return static_cast<std::uint32_t>(h) | static_cast<std::uint32_t>(l) << 8 | static_cast<std::uint32_t>(s) << 16;
}

TEST(RgbToHsl, PrimaryAndNeutralColours) {
  // 360 degrees stays 255 rather than wrapping to 0.
  EXPECT_EQ(RgbToHsl(0x000000FFu), PackHsl(255, 127, 255));
  EXPECT_EQ(RgbToHsl(0x0000FF00u), PackHsl(85, 127, 255));
  EXPECT_EQ(RgbToHsl(0x00FF0000u), PackHsl(170, 127, 255));
  EXPECT_EQ(RgbToHsl(0x00FFFFFFu), PackHsl(0, 255, 0));
  EXPECT_EQ(RgbToHsl(0x00000000u), 0u);
  EXPECT_EQ(RgbToHsl(0x00808080u), PackHsl(0, 128, 0));
}

TEST(RgbToHsl, MixedColourAndIgnoredHighByte) {
  // Blue maximum, red minimum; lightness over one half uses 2 - M - m.
  EXPECT_EQ(RgbToHsl(0x00EE6E18u), PackHsl(152, 131, 220));
  EXPECT_EQ(RgbToHsl(0xFF00FFFFu), RgbToHsl(0x0000FFFFu));
  // Red maximum with blue above green lands between 300 and 360 degrees.
  EXPECT_EQ(HueOf(RgbToHsl(0x008000FFu)), 233);
}

TEST(HslToRgb, ChannelRamps) {
  float r = -1, g = -1, b = -1;
  HslToRgb(0.0f, 0.5f, 1.0f, &r, &g, &b);
  EXPECT_FLOAT_EQ(r, 1.0f);
  EXPECT_FLOAT_EQ(g, 0.0f);
  EXPECT_FLOAT_EQ(b, 0.0f);
  HslToRgb(30.0f, 0.5f, 1.0f, &r, &g, &b);
  EXPECT_FLOAT_EQ(r, 1.0f);
  EXPECT_FLOAT_EQ(g, 0.5f);
  EXPECT_FLOAT_EQ(b, 0.0f);
  HslToRgb(60.0f, 0.5f, 1.0f, &r, &g, &b);
  EXPECT_FLOAT_EQ(g, 1.0f);
  HslToRgb(240.0f, 0.75f, 1.0f, &r, &g, &b);  // q = l + s - l s = 1, p = 0.5
  EXPECT_FLOAT_EQ(r, 0.5f);
  EXPECT_FLOAT_EQ(g, 0.5f);
  EXPECT_FLOAT_EQ(b, 1.0f);
}

TEST(HslToRgb, LimitsInputs) {
  float r = -1, g = -1, b = -1;
  HslToRgb(-5.0f, 2.0f, 0.0f, &r, &g, &b);  // grey at lightness limited to 1
  EXPECT_FLOAT_EQ(r, 1.0f);
  EXPECT_FLOAT_EQ(b, 1.0f);
  HslToRgb(720.0f, 0.5f, 1.0f, &r, &g, &b);  // hue limited to 360 = red
  EXPECT_FLOAT_EQ(r, 1.0f);
  EXPECT_FLOAT_EQ(g, 0.0f);
}

TEST(AdjustColorHsl, FactorsScaleLightnessAndSaturation) {
  EXPECT_EQ(AdjustColorHsl(0x00808080u, 0, 0, 0), 0x00808080u);
  EXPECT_EQ(AdjustColorHsl(0x00808080u, 0, 1.0, 0), 0x00FFFFFFu);  // 256 limited to 255
  EXPECT_EQ(AdjustColorHsl(0x000000FFu, 0, -1.0, 0), 0u);
  EXPECT_EQ(AdjustColorHsl(0x000000FFu, 0, -3.0, 0), 0u);  // negative lightness limited to 0
  EXPECT_EQ(AdjustColorHsl(0x000000FFu, 0, 0, -1.0), 0x007F7F7Fu);
  EXPECT_EQ(AdjustColorHsl(0x00838383u, 0, -0.2, 0.2), 0x00686868u);
  // Single precision loses the top step of a saturated colour.
  EXPECT_EQ(AdjustColorHsl(0x000000FFu, 0, 0, 0), 0x000000FEu);
  EXPECT_EQ(AdjustColorHsl(0x00EE6E18u, 0, 0.2, -0.3), 0x00D89361u);
}

TEST(AdjustColorHsl, HueShiftIsAFractionOfTheCircle) {
  // 255 + 85 wraps to hue byte 84: just short of pure green.
  EXPECT_EQ(AdjustColorHsl(0x000000FFu, 1.0 / 3.0, 0, 0), 0x0000FE05u);
}

TEST(BlendColor, PerChannelTruncated) {
  EXPECT_EQ(BlendColor(0x00000000u, 0x00FFFFFFu, 0.5), 0x007F7F7Fu);
  EXPECT_EQ(BlendColor(0x00FF0000u, 0x000000FFu, 0.25), 0x00BF003Fu);
  EXPECT_EQ(BlendColor(0x00123456u, 0x00ABCDEFu, 0.0), 0x00123456u);
  EXPECT_EQ(BlendColor(0x00123456u, 0x00ABCDEFu, 1.0), 0x00ABCDEFu);
  EXPECT_EQ(BlendColor(0xFF000000u, 0xFF000000u, 0.5), 0u);  // byte 3 is cleared
}

TEST(ColourBytes, SwapAndArgb) {
  EXPECT_EQ(SwapRedBlue(0xAA112233u), 0x00332211u);
  EXPECT_EQ(ColorRefToArgb(0x00112233u, 0x1FF), 0xFF332211u);
  EXPECT_EQ(ColorRefToArgb(0x00112233u, 0), 0x00332211u);
  EXPECT_EQ(MakeColorRef(1, 2, 3), 0x00030201u);
}

}  // namespace
