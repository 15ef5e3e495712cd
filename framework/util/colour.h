// Colour maths shared by the theme and the colour items. Colours are
// COLORREF values (0x00BBGGRR) held in 32 bits, so this code needs no
// Windows headers.
#pragma once

#include <cstdint>

using ColorRef = std::uint32_t;

[[nodiscard]] constexpr ColorRef MakeColorRef(std::uint8_t red, std::uint8_t green, std::uint8_t blue) noexcept {
  return static_cast<ColorRef>(red) | static_cast<ColorRef>(green) << 8 | static_cast<ColorRef>(blue) << 16;
}
[[nodiscard]] constexpr std::uint8_t RedOf(ColorRef c) noexcept { return static_cast<std::uint8_t>(c & 0xFFu); }
[[nodiscard]] constexpr std::uint8_t GreenOf(ColorRef c) noexcept { return static_cast<std::uint8_t>((c >> 8) & 0xFFu); }
[[nodiscard]] constexpr std::uint8_t BlueOf(ColorRef c) noexcept { return static_cast<std::uint8_t>((c >> 16) & 0xFFu); }

// Packed HSL: hue in bits 0-7 (0-255 for 0-360 degrees), lightness in bits
// 8-15, saturation in bits 16-23, each 0-255.
[[nodiscard]] constexpr std::uint8_t HueOf(std::uint32_t hsl) noexcept { return static_cast<std::uint8_t>(hsl & 0xFFu); }
[[nodiscard]] constexpr std::uint8_t LightnessOf(std::uint32_t hsl) noexcept { return static_cast<std::uint8_t>((hsl >> 8) & 0xFFu); }
[[nodiscard]] constexpr std::uint8_t SaturationOf(std::uint32_t hsl) noexcept { return static_cast<std::uint8_t>((hsl >> 16) & 0xFFu); }

// Single precision throughout, as the stored colour schemes were derived
// with it; a pure red keeps hue byte 255 (360 degrees is not folded to 0).
[[nodiscard]] std::uint32_t RgbToHsl(ColorRef colour) noexcept;

// hue in degrees (0-360), lightness and saturation 0-1; outputs 0-1.
// Out-of-range inputs are limited rather than rejected.
void HslToRgb(float hue, float lightness, float saturation, float* red, float* green, float* blue) noexcept;

// With hueShift 0: keeps the hue, lightness becomes L + L * lightnessFactor
// and saturation S + S * saturationFactor, both as bytes limited to 0-255.
// hueShift is a fraction of the full circle.
[[nodiscard]] ColorRef AdjustColorHsl(ColorRef colour, double hueShift, double lightnessFactor,
                                      double saturationFactor) noexcept;

// a + (b - a) * t per channel, truncated; byte 3 of the result is 0.
[[nodiscard]] ColorRef BlendColor(ColorRef a, ColorRef b, double t) noexcept;

// Bytes 0 and 2 exchanged, byte 1 kept, byte 3 cleared.
[[nodiscard]] constexpr ColorRef SwapRedBlue(ColorRef c) noexcept {
  return (c & 0xFFu) << 16 | (c & 0xFF00u) | (c >> 16 & 0xFFu);
}

[[nodiscard]] constexpr std::uint32_t ColorRefToArgb(ColorRef c, std::uint32_t alpha) noexcept {
  return (alpha & 0xFFu) << 24 | static_cast<std::uint32_t>(RedOf(c)) << 16 |
         static_cast<std::uint32_t>(GreenOf(c)) << 8 | BlueOf(c);
}
