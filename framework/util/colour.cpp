#include "framework/util/colour.h"

namespace {

// Conversion toward zero of a value already known to lie in int range.
int Trunc(double v) noexcept { return static_cast<int>(v); }

int LimitByte(int v) noexcept { return v < 0 ? 0 : (v > 255 ? 255 : v); }

float Channel(float p, float q, float t) noexcept {
  if (t < 60.0f) return p + (q - p) * t / 60.0f;
  if (t < 180.0f) return q;
  if (t < 240.0f) return p + (q - p) * (240.0f - t) / 60.0f;
  return p;
}

float WrapHue(float t) noexcept {
  if (t > 360.0f) return t - 360.0f;
  if (t < 0.0f) return t + 360.0f;
  return t;
}

}  // namespace

std::uint32_t RgbToHsl(ColorRef colour) noexcept {
  const float r = static_cast<float>(RedOf(colour)) / 255.0f;
  const float g = static_cast<float>(GreenOf(colour)) / 255.0f;
  const float b = static_cast<float>(BlueOf(colour)) / 255.0f;
  float mx = r;
  if (g > mx) mx = g;
  if (b > mx) mx = b;
  float mn = r;
  if (g < mn) mn = g;
  if (b < mn) mn = b;
  const float l = (mx + mn) / 2.0f;
  float h = 0.0f;
  float s = 0.0f;
  if (mx != mn) {
    const float d = mx - mn;
    s = l < 0.5f ? d / (mx + mn) : d / (2.0f - mx - mn);
    // Ties go to red, then green: the comparisons run in that order.
    if (r == mx) {
      h = 60.0f * (6.0f + (g - b) / d);
      if (h > 360.0f) h -= 360.0f;
    } else if (g == mx) {
      h = 60.0f * (2.0f + (b - r) / d);
    } else {
      h = 60.0f * (4.0f + (r - g) / d);
    }
  }
  const auto hueByte = static_cast<std::uint32_t>(Trunc(h / 360.0f * 255.0f)) & 0xFFu;
  const auto lightByte = static_cast<std::uint32_t>(Trunc(l * 255.0f)) & 0xFFu;
  const auto satByte = static_cast<std::uint32_t>(Trunc(s * 255.0f)) & 0xFFu;
  return hueByte | lightByte << 8 | satByte << 16;
}

void HslToRgb(float hue, float lightness, float saturation, float* red, float* green, float* blue) noexcept {
  float h = hue < 0.0f ? 0.0f : hue;
  float l = lightness < 0.0f ? 0.0f : lightness;
  float s = saturation < 0.0f ? 0.0f : saturation;
  if (h > 360.0f) h = 360.0f;
  if (l > 1.0f) l = 1.0f;
  if (s > 1.0f) s = 1.0f;
  float r = l;
  float g = l;
  float b = l;
  if (s != 0.0f) {
    const float q = l <= 0.5f ? l * (1.0f + s) : l + s - l * s;
    const float p = 2.0f * l - q;
    r = Channel(p, q, WrapHue(h + 120.0f));
    g = Channel(p, q, WrapHue(h));
    b = Channel(p, q, WrapHue(h - 120.0f));
  }
  if (red) *red = r;
  if (green) *green = g;
  if (blue) *blue = b;
}

ColorRef AdjustColorHsl(ColorRef colour, double hueShift, double lightnessFactor, double saturationFactor) noexcept {
  const std::uint32_t hsl = RgbToHsl(colour);
  const double h = HueOf(hsl);
  const double l = LightnessOf(hsl);
  const double s = SaturationOf(hsl);
  const int newHue = Trunc(h + hueShift * 255.0) & 0xFF;
  const int newLight = LimitByte(Trunc(l + l * lightnessFactor));
  const int newSat = LimitByte(Trunc(s + s * saturationFactor));
  float r = 0.0f;
  float g = 0.0f;
  float b = 0.0f;
  HslToRgb(static_cast<float>(newHue) * 360.0f / 255.0f, static_cast<float>(newLight) / 255.0f,
           static_cast<float>(newSat) / 255.0f, &r, &g, &b);
  const auto byteOf = [](float v) { return static_cast<ColorRef>(Trunc(v * 255.0f)) & 0xFFu; };
  return byteOf(r) | byteOf(g) << 8 | byteOf(b) << 16;
}

ColorRef BlendColor(ColorRef a, ColorRef b, double t) noexcept {
  const auto mix = [t](std::uint8_t x, std::uint8_t y) {
    const double v = static_cast<double>(x) + (static_cast<double>(y) - static_cast<double>(x)) * t;
    return static_cast<ColorRef>(Trunc(v)) & 0xFFu;
  };
  return mix(RedOf(a), RedOf(b)) | mix(GreenOf(a), GreenOf(b)) << 8 | mix(BlueOf(a), BlueOf(b)) << 16;
}
