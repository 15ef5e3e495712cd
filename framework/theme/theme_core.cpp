#include "framework/theme/theme_core.h"

#include <algorithm>

namespace {

ColorRef A(ColorRef c, double l, double s) { return AdjustColorHsl(c, 0.0, l, s); }

ColorRef Sys(const SystemColours& sys, SysColour which) { return SysColourOf(sys, which); }

void ComputeDerivedBlock(const SchemeBase& b, double r, ColourSlots& s) {
  s[51] = A(b.b0, r + 0.35, -0.4);
  s[52] = A(s[51], r + 0.4, -0.2);
  s[53] = A(s[51], r - 0.2, -0.6);
  s[1] = A(b.b0, r + 0.33, -0.1);
  s[2] = s[1];
  s[3] = A(b.b0, r - 0.25, -0.8);
  s[0] = A(b.b0, r + 0.2, -0.3);
  s[26] = A(b.b0, r - 0.6, -0.1);
  s[27] = A(b.b0, r + 0.35, -0.1);
  s[28] = s[1];
  s[29] = s[3];
  s[30] = s[0];
  s[31] = s[3];
  s[32] = s[1];
  s[33] = A(b.b0, r + 0.3, 0.0);
  s[34] = A(b.b0, 0.0, 0.0);
  s[35] = s[0];
  s[36] = s[33];
  s[37] = s[34];
  s[38] = A(b.b0, r + 0.4, -0.25);
  s[39] = s[1];
  s[40] = s[3];
  s[41] = A(b.b2, r + 0.3, 0.0);
  s[42] = A(b.b2, 0.0, 0.0);
  s[43] = A(b.b2, r + 0.4, 0.0);
  s[44] = A(b.b2, r + 0.2, 0.0);
  s[45] = A(b.b0, r - 0.5, -0.5);
}

void ComputeClassicBlock(const SystemColours& sys, ColourSlots& s) {
  s[51] = Sys(sys, SysColour::kBtnFace);
  s[52] = Sys(sys, SysColour::kBtnHighlight);
  s[53] = Sys(sys, SysColour::kBtnShadow);
  s[1] = Sys(sys, SysColour::k3dLight);
  s[2] = Sys(sys, SysColour::kBtnHighlight);
  s[3] = Sys(sys, SysColour::kBtnShadow);
  s[0] = Sys(sys, SysColour::kBtnFace);
  s[26] = s[3];
  s[27] = s[2];
  s[28] = s[2];
  s[29] = s[3];
  s[30] = s[0];
  s[31] = s[3];
  s[32] = s[2];
  s[33] = s[0];
  s[34] = s[0];
  s[35] = s[0];
  s[36] = s[0];
  s[37] = s[0];
  const ColorRef menu = Sys(sys, SysColour::kMenu);
  s[38] = menu == s[33] ? Sys(sys, SysColour::kBtnHighlight) : menu;
  s[39] = s[2];
  s[40] = s[3];
  const ColorRef caption = Sys(sys, SysColour::kActiveCaption);
  s[41] = BlendColor(caption, s[0], 0.75);
  s[42] = s[41];
  s[43] = BlendColor(caption, s[0], 0.85);
  s[44] = s[43];
  s[45] = caption;
}

}  // namespace

std::uint8_t ResolveSchemeMode(std::uint8_t mode, bool styled) noexcept {
  if (mode != static_cast<std::uint8_t>(SchemeMode::kAutomatic)) return mode;
  return static_cast<std::uint8_t>(styled ? SchemeMode::kDerived : SchemeMode::kClassic);
}

void BaseFromSystemColours(SchemeBase& base, const SystemColours& sys) noexcept {
  base.activeCaption = Sys(sys, SysColour::kActiveCaption);
  base.inactiveCaption = Sys(sys, SysColour::kInactiveCaption);
  base.highlight = Sys(sys, SysColour::kHighlight);
  base.menuText = Sys(sys, SysColour::kMenuText);
  base.highlightText = Sys(sys, SysColour::kHighlightText);
}

void ComputeScheme(SchemeBase& base, const SchemeInputs& inputs, SchemeSettings& scheme, const SystemColours& sys,
                   ColourSlots& s) noexcept {
  if (inputs.gradient) {
    base.activeCaption = BlendColor(base.activeCaption, inputs.gradientActive, 0.4);
    base.inactiveCaption = BlendColor(base.inactiveCaption, inputs.gradientInactive, 0.6);
  }
  scheme.mode = ResolveSchemeMode(scheme.mode, inputs.styled);
  const bool custom = scheme.mode >= static_cast<std::uint8_t>(SchemeMode::kCustom);
  const bool classic = scheme.mode == static_cast<std::uint8_t>(SchemeMode::kClassic);

  double r = 0.0;
  if (custom) {
    base.b0 = scheme.custom[0];
    base.b2 = scheme.custom[2];
    base.b3 = scheme.custom[3];
    base.b4 = scheme.custom[4];
  } else {
    // Shifts every derived lightness so that the scheme's brightness no
    // longer depends on how light the caption colour is.
    const double l = LightnessOf(RgbToHsl(base.activeCaption));
    r = 131.0 / 255.0 - l / 255.0;
    base.b0 = A(base.activeCaption, r + 0.4, -0.25);
    base.b2 = base.highlight;
    base.b3 = base.menuText;
    base.b4 = base.highlightText;
  }

  static constexpr double kCaptionSteps[8] = {-0.2, -0.1, 0.0, -0.1, -0.3, -0.2, -0.1, -0.2};
  for (int i = 0; i < 8; ++i) {
    s[10 + i] = A(base.activeCaption, kCaptionSteps[i], 0.2);
    s[18 + i] = A(base.inactiveCaption, kCaptionSteps[i], -0.2);
  }
  s[4] = base.b3;
  s[5] = base.b4;
  s[6] = Sys(sys, SysColour::kWindow);
  s[46] = base.b2;
  s[58] = A(base.b2, 0.7, -0.2);
  s[47] = Sys(sys, SysColour::kWindow);
  s[48] = Sys(sys, SysColour::kHighlightText);
  s[49] = Sys(sys, SysColour::kMenuText);
  s[50] = Sys(sys, SysColour::kGrayText);
  if (classic) ComputeClassicBlock(sys, s);
  else ComputeDerivedBlock(base, r, s);
  s[54] = A(s[0], -0.2, -0.3);
  s[55] = A(s[0], -0.05, -0.3);
  s[56] = A(s[0], 0.05, -0.3);
  s[57] = Sys(sys, SysColour::kBtnFace);
}

bool TintIconPixels(std::uint8_t* colour, const std::uint8_t* mask, std::size_t pixelCount, ColorRef light,
                    ColorRef dark) noexcept {
  if (!colour || !mask) return false;
  std::uint64_t blueSum = 0;
  std::uint64_t opaque = 0;
  for (std::size_t i = 0; i < pixelCount; ++i) {
    if (mask[i * 4] != 0xFF) {
      blueSum += colour[i * 4];
      ++opaque;
    }
  }
  // Without an opaque pixel there is no average to centre on; the caller
  // keeps the icon as it was.
  if (opaque == 0) return false;
  const int offset = 128 - static_cast<int>(blueSum / opaque);
  const int lightCh[3] = {BlueOf(light), GreenOf(light), RedOf(light)};
  const int darkCh[3] = {BlueOf(dark), GreenOf(dark), RedOf(dark)};
  for (std::size_t i = 0; i < pixelCount; ++i) {
    if (mask[i * 4] == 0xFF) continue;
    std::uint8_t* px = colour + i * 4;
    const double x = static_cast<double>(px[0] + px[1] + px[2] + offset) / 765.0;
    for (int c = 0; c < 3; ++c) {
      // The offset can push x past 0..1; the channel is limited rather than
      // wrapped, which would turn near-white into near-black.
      const double v = lightCh[c] * x + darkCh[c] * (1.0 - x);
      px[c] = static_cast<std::uint8_t>(std::clamp(static_cast<int>(v), 0, 255));
    }
  }
  return true;
}

// Top-left as designed; the other three are its mirror images (rows and/or
// columns 0 and 2 exchanged, in entry positions and in both pixel numbers).
const std::array<CornerPattern, 4> kCornerPatterns{{
    {{{5, 0, 0, 0}, {30, 0, 1, 1}, {55, 0, 2, 2},
      {30, 0, 3, 3}, {45, 1, 4, 3}, {20, 1, 5, 2},
      {55, 0, 6, 6}, {20, 1, 7, 6}, {0, 1, 8, 8}}},
    {{{55, 0, 0, 0}, {30, 0, 1, 1}, {5, 0, 2, 2},
      {20, 1, 3, 0}, {45, 1, 4, 5}, {30, 0, 5, 5},
      {0, 1, 6, 6}, {20, 1, 7, 8}, {55, 0, 8, 8}}},
    {{{55, 0, 0, 0}, {20, 1, 1, 0}, {0, 1, 2, 2},
      {30, 0, 3, 3}, {45, 1, 4, 3}, {20, 1, 5, 8},
      {5, 0, 6, 6}, {30, 0, 7, 7}, {55, 0, 8, 8}}},
    {{{0, 1, 0, 0}, {20, 1, 1, 2}, {55, 0, 2, 2},
      {20, 1, 3, 6}, {45, 1, 4, 5}, {30, 0, 5, 5},
      {55, 0, 6, 6}, {30, 0, 7, 7}, {5, 0, 8, 8}}},
}};

void BlendCorner(std::uint32_t* scratch, const CornerPattern& pattern) noexcept {
  const auto at = [scratch](int row, int pixel) -> std::uint32_t& {
    return scratch[(row + pixel / 3) * kScratchSize + pixel % 3];
  };
  for (int k = 0; k < 9; ++k) {
    const CornerEntry& e = pattern[static_cast<std::size_t>(k)];
    const int g = std::clamp<int>(e.base, 0, 8);
    const int h = std::clamp<int>(e.overlay, 0, 8);
    const std::uint32_t base = at(e.fromDrawing == 1 ? 0 : 3, g);
    const std::uint32_t over = at(0, h);
    std::uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
      const int b = static_cast<int>((base >> shift) & 0xFFu);
      const int o = static_cast<int>((over >> shift) & 0xFFu);
      const int v = b + (o - b) * e.percent / 100;
      out |= static_cast<std::uint32_t>(v & 0xFF) << shift;
    }
    at(6, k) = out;
  }
}

EdgeLines Edge3dLines(const PixelRect& r) noexcept {
  return EdgeLines{{{{r.left, r.bottom - 1}, {r.left, r.top}, {r.right, r.top}}},
                   {{{r.right - 1, r.top + 1}, {r.right - 1, r.bottom - 1}, {r.left, r.bottom - 1}}}};
}

std::array<PixelLine, 2> SeparatorLines(const PixelRect& r) noexcept {
  if (r.bottom - r.top < r.right - r.left) {
    return {{{{r.left, r.top}, {r.right - 1, r.top}}, {{r.left + 1, r.top + 1}, {r.right, r.top + 1}}}};
  }
  return {{{{r.left, r.top}, {r.left, r.bottom - 1}}, {{r.left + 1, r.top + 1}, {r.left + 1, r.bottom}}}};
}

PixelRect SplitterBar(const PixelRect& r, int vertical) noexcept {
  if (vertical & 0xFF) return PixelRect{r.left, r.top, r.left + 4, r.bottom};
  return PixelRect{r.left, r.top, r.right, r.top + 4};
}

std::array<PixelRect, 12> SizeGripSquares(const PixelRect& r) noexcept {
  static constexpr int kCells[6][2] = {{0, 0}, {1, 0}, {0, 1}, {2, 0}, {1, 1}, {0, 2}};
  const int c = (r.bottom - r.top) / 8;
  std::array<PixelRect, 12> out{};
  for (int n = 0; n < 6; ++n) {
    const int i = kCells[n][0];
    const int j = kCells[n][1];
    const int x = r.right - 2 * c * i - c - 1;
    const int y = r.bottom - 2 * c * j - c - 1;
    out[static_cast<std::size_t>(2 * n)] = PixelRect{x, y, x + c, y + c};
    out[static_cast<std::size_t>(2 * n + 1)] = PixelRect{x - 1, y - 1, x - 1 + c, y - 1 + c};
  }
  return out;
}

std::array<PixelPoint, 3> TriangleGlyphPoints(int type, const PixelRect& r) noexcept {
  const int e = static_cast<int>(std::min(r.bottom - r.top, 3) * (r.right - r.left) / 22.0);
  const int cx = (r.left + r.right) / 2;
  const int cy = (r.top + r.bottom) / 2;
  switch (type) {
    case 1: return {{{cx - e - 1, cy - e - 1}, {cx - 1, cy + e}, {cx - 1 + e, cy - e - 1}}};
    case 2: return {{{cx - e - 1, cy + e}, {cx - 1, cy - e - 1}, {cx - 1 + e, cy + e}}};
    default: return {{{cx - e - 1, cy - e}, {cx + e, cy}, {cx - e - 1, cy + e}}};
  }
}

std::array<PixelPoint, 6> CheckGlyphPoints(const PixelRect& r) noexcept {
  const double s = (r.right - r.left) / 22.0;
  const int f = static_cast<int>(1.4 * s);
  const int g = static_cast<int>(4.0 * s);
  const int cx = (r.left + r.right) / 2;
  const int cy = (r.top + r.bottom) / 2;
  return {{{cx - g, cy - f}, {cx - f, cy + f}, {cx + g, cy - g}, {cx + g, cy - f}, {cx - f, cy + g}, {cx - g, cy + f}}};
}

CornerSquares CornerSquaresFor(const PixelRect& r, unsigned flags) noexcept {
  CornerSquares out;
  const auto add = [&out](int x, int y, CornerPosition corner) {
    out.items[static_cast<std::size_t>(out.count++)] = CornerSquare{PixelRect{x, y, x + 3, y + 3}, corner};
  };
  if (flags & 1u) add(r.left, r.top, CornerPosition::kTopLeft);
  if (flags & 4u) add(r.left, r.bottom - 3, CornerPosition::kBottomLeft);
  if (flags & 2u) add(r.right - 3, r.top, CornerPosition::kTopRight);
  if (flags & 8u) add(r.right - 3, r.bottom - 3, CornerPosition::kBottomRight);
  return out;
}

PixelPoint VerticalTextOrigin(const PixelRect& r, int w, int h, int align) noexcept {
  const int x = (r.left + r.right + h) / 2;
  switch (align & 0xFF) {
    case 1: return PixelPoint{x, (r.top + r.bottom - w) / 2};
    case 2: return PixelPoint{x, r.bottom - w};
    default: return PixelPoint{x, r.top};
  }
}
