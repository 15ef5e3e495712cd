#include "framework/theme/theme_core.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>
#include <vector>

namespace {

SystemColours DistinctSystemColours() {
  SystemColours sys{};
  for (int i = 0; i < kSysColourCount; ++i) sys[static_cast<std::size_t>(i)] = 0x00010101u * static_cast<ColorRef>(i + 1);
  return sys;
}
const SystemColours kSys = DistinctSystemColours();
ColorRef Sys(SysColour c) { return SysColourOf(kSys, c); }

ColourSlots Compute(SchemeBase& base, SchemeSettings& scheme, const SchemeInputs& inputs = {},
                    const SystemColours& sys = kSys) {
  ColourSlots slots{};
  ComputeScheme(base, inputs, scheme, sys, slots);
  return slots;
}
SchemeSettings Mode(std::uint8_t mode) {
  SchemeSettings s;
  s.mode = mode;
  return s;
}
void ExpectSlots(const ColourSlots& s, std::initializer_list<std::pair<int, ColorRef>> want) {
  for (const auto& w : want) EXPECT_EQ(s[static_cast<std::size_t>(w.first)], w.second) << "slot " << w.first;
}

// ---- colour scheme -----------------------------------------------------------

TEST(Scheme, AutomaticModeIsWrittenBackAndGradientsBlendIn) {
  EXPECT_EQ(ResolveSchemeMode(255, true), 1);
  EXPECT_EQ(ResolveSchemeMode(255, false), 0);
  EXPECT_EQ(ResolveSchemeMode(0, true), 0);
  EXPECT_EQ(ResolveSchemeMode(2, false), 2);
  SchemeBase base;
  SchemeSettings automatic;
  Compute(base, automatic, SchemeInputs{true, false, 0, 0});
  EXPECT_EQ(automatic.mode, 1);  // for the caller to store
  automatic.mode = 255;
  Compute(base, automatic);
  EXPECT_EQ(automatic.mode, 0);

  SchemeBase black;
  SchemeSettings custom = Mode(2);
  Compute(black, custom, SchemeInputs{false, true, 0x00FFFFFFu, 0x00FFFFFFu});
  EXPECT_EQ(black.activeCaption, 0x00666666u);    // 255 * 0.4
  EXPECT_EQ(black.inactiveCaption, 0x00999999u);  // 255 * 0.6
}

TEST(Scheme, CustomModeUsesCustomColoursWithoutOffset) {
  SchemeBase base;
  base.activeCaption = 0x00000080u;  // would give a large offset if it were used
  SchemeSettings scheme = Mode(2);
  scheme.custom = {0x00EE6E18u, 0x00ABCDEFu, 0x0055ADFFu, 0x00112233u, 0x00445566u};
  const ColourSlots s = Compute(base, scheme);
  EXPECT_EQ(base.b0, 0x00EE6E18u);
  EXPECT_EQ(base.b2, 0x0055ADFFu);
  ExpectSlots(s, {{0, 0x00D89361u}, {4, 0x00112233u}, {5, 0x00445566u}, {46, 0x0055ADFFu},
                  {42, 0x0055ADFFu},  // B2 adjusted by nothing
                  {58, 0x00FFFEFEu},  // B2 lightened by 0.7, less saturated by 0.2
                  {6, Sys(SysColour::kWindow)}, {57, Sys(SysColour::kBtnFace)}});
}

TEST(Scheme, DerivedGreyCaptionHasNoOffset) {
  // Lightness byte 131 makes the offset 0; grey keeps every result grey.
  SchemeBase base;
  base.activeCaption = base.inactiveCaption = 0x00838383u;
  base.highlight = 0x00D77800u;
  base.menuText = 0x00000001u;
  base.highlightText = 0x00FFFFFEu;
  SchemeSettings scheme = Mode(1);
  const ColourSlots s = Compute(base, scheme);
  EXPECT_EQ(base.b0, 0x00B7B7B7u);  // 131 * 1.4 = 183
  ExpectSlots(s, {{0, 0x00DBDBDBu},  // 183 * 1.2 = 219
                  {3, 0x00898989u}, {45, 0x005B5B5Bu}, {51, 0x00F7F7F7u},
                  {52, 0x00FFFFFFu},  // computed from slot 51, limited at 255
                  {41, 0x00FF9A17u}, {42, 0x00D67800u}, {58, 0x00F0BC79u}, {4, 0x00000001u}, {5, 0x00FFFFFEu},
                  {10, 0x686868}, {11, 0x757575}, {12, 0x838383}, {13, 0x757575}, {14, 0x5B5B5B}, {15, 0x686868},
                  {16, 0x757575}, {17, 0x686868}, {7, 0}, {8, 0}, {9, 0}});
}

TEST(Scheme, DerivedOffsetAndCopies) {
  SchemeBase base;
  base.activeCaption = 0x00A05020u;
  base.inactiveCaption = 0x00C0C0C0u;
  SchemeSettings scheme = Mode(1);
  const ColourSlots s = Compute(base, scheme);
  // The caption's lightness byte 96 gives the offset r = (131 - 96) / 255.
  EXPECT_EQ(base.b0, 0x00C8855Du);  // the caption lightened by r + 0.4, less saturated by 0.25
  EXPECT_EQ(s[51], 0x00E4D6CDu);
  EXPECT_EQ(s[53], 0x00D0C8C3u);  // slot 51 (not B0) lightened by r - 0.2, less saturated by 0.6
  EXPECT_EQ(s[18], 0x00999999u);  // the inactive caption darkened by 0.2
  for (const auto& c : {std::pair{2, 1}, {28, 1}, {32, 1}, {39, 1}, {29, 3}, {31, 3}, {40, 3}, {30, 0}, {35, 0},
                        {36, 33}, {37, 34}}) {
    EXPECT_EQ(s[static_cast<std::size_t>(c.first)], s[static_cast<std::size_t>(c.second)]) << c.first;
  }
}

TEST(Scheme, ClassicTakesSystemColours) {
  SchemeBase base;
  base.activeCaption = 0x00808080u;
  SchemeSettings scheme = Mode(0);
  // A caption and a face far apart in every channel, so that the blends
  // between them show.
  SystemColours sys = kSys;
  const auto at = [&sys](SysColour c) -> ColorRef& { return sys[static_cast<std::size_t>(c)]; };
  at(SysColour::kActiveCaption) = 0x00102030u;
  at(SysColour::kBtnFace) = 0x00F0E0D0u;
  const ColourSlots s = Compute(base, scheme, {}, sys);
  ExpectSlots(s, {{0, 0x00F0E0D0u}, {1, Sys(SysColour::k3dLight)}, {2, Sys(SysColour::kBtnHighlight)},
                  {3, Sys(SysColour::kBtnShadow)}, {38, Sys(SysColour::kMenu)}, {45, 0x00102030u},
                  {51, 0x00F0E0D0u}, {53, Sys(SysColour::kBtnShadow)}, {50, Sys(SysColour::kGrayText)},
                  {26, s[3]}, {27, s[2]}, {33, s[0]},
                  {41, 0x00B8B0A8u},  // 3/4 of the way from the caption to the face, per channel
                  {43, 0x00CEC3B8u},  // 85 percent of the way
                  {42, s[41]}});
  // A menu colour equal to the face falls back to the highlight.
  at(SysColour::kMenu) = at(SysColour::kBtnFace);
  EXPECT_EQ(Compute(base, scheme, {}, sys)[38], Sys(SysColour::kBtnHighlight));
}

TEST(Scheme, ColourArgumentsAndSlotIndices) {
  ColourSlots slots{};
  for (int i = 0; i < kColourSlotCount; ++i) slots[static_cast<std::size_t>(i)] = static_cast<ColorRef>(i);
  // The low 2 bits select slots 3, 4, 5 or the colour in bits 8 to 31.
  for (const auto& c : {std::pair{0u, 3u}, {1u, 4u}, {2u, 5u}, {0x12345603u, 0x00123456u}, {0xFFFFFF00u, 3u}}) {
    EXPECT_EQ(ResolveColourArg(c.first, slots), c.second) << std::hex << c.first;
  }
  for (const auto& c : {std::pair{-1, 45}, {58, 58}, {59, 45}, {0, 0}}) EXPECT_EQ(SlotOrDefault(c.first, 45), c.second);
}

// ---- icon tint -------------------------------------------------------------

// Pixels as blue, green, red, fourth byte; the mask byte 0xFF is transparent.
struct Pixels {
  std::vector<std::uint8_t> colour, mask;
  Pixels& Add(std::uint8_t b, std::uint8_t g, std::uint8_t r, std::uint8_t a, bool opaque = true) {
    colour.insert(colour.end(), {b, g, r, a});
    const std::uint8_t m = opaque ? 0 : 0xFF;
    mask.insert(mask.end(), {m, m, m, 0});
    return *this;
  }
  bool Tint(ColorRef light, ColorRef dark) { return TintIconPixels(colour.data(), mask.data(), colour.size() / 4, light, dark); }
  std::vector<std::uint8_t> At(std::size_t i) const { return {colour.begin() + 4 * i, colour.begin() + 4 * i + 4}; }
};

TEST(IconTint, NoOpaquePixelLeavesTheIconUntouched) {
  Pixels p;
  p.Add(10, 20, 30, 40, false).Add(200, 210, 220, 255, false);
  const auto before = p.colour;
  EXPECT_FALSE(p.Tint(0x00FFFFFFu, 0));
  EXPECT_EQ(p.colour, before);
  EXPECT_FALSE(TintIconPixels(p.colour.data(), p.mask.data(), 0, 0x00FFFFFFu, 0));
}

TEST(IconTint, MixesLightAndDarkByBrightness) {
  Pixels p;
  p.Add(0, 0, 0, 7).Add(255, 255, 255, 9).Add(128, 0, 127, 0).Add(1, 2, 3, 4, false);
  // Blue average (0 + 255 + 128) / 3 = 127 -> offset 1. The transparent
  // pixel and every fourth byte stay.
  ASSERT_TRUE(p.Tint(MakeColorRef(200, 100, 30), MakeColorRef(20, 10, 3)));
  EXPECT_EQ(p.At(0), (std::vector<std::uint8_t>{3, 10, 20, 7}));     // x = 1/765: barely off dark
  EXPECT_EQ(p.At(1), (std::vector<std::uint8_t>{30, 100, 200, 9}));  // x = 766/765: truncated back to light
  // x = 256/765: 30x + 3(1-x) = 12.03, 100x + 10(1-x) = 40.1, 200x + 20(1-x) = 80.2.
  EXPECT_EQ(p.At(2), (std::vector<std::uint8_t>{12, 40, 80, 0}));
  EXPECT_EQ(p.At(3), (std::vector<std::uint8_t>{1, 2, 3, 4}));
}

TEST(IconTint, NearWhiteIsClampedNotWrapped) {
  // A dark icon with one near-white pixel: offset = 128 - 250/16 = 113, so
  // that pixel's x = (750 + 113) / 765 = 1.128. With a black light and a
  // white dark, x > 1 would go negative.
  for (const bool inverted : {false, true}) {
    Pixels p;
    for (int i = 0; i < 15; ++i) p.Add(0, 0, 0, 0);
    p.Add(250, 250, 250, 0);
    ASSERT_TRUE(p.Tint(inverted ? 0u : 0x00FFFFFFu, inverted ? 0x00FFFFFFu : 0u));
    const std::uint8_t v = inverted ? 0 : 255;
    EXPECT_EQ(p.At(15), (std::vector<std::uint8_t>{v, v, v, 0})) << inverted;
  }
}

// ---- rounded corners -------------------------------------------------------

int Mirror(int k, bool rows, bool cols) { return (rows ? 2 - k / 3 : k / 3) * 3 + (cols ? 2 - k % 3 : k % 3); }

TEST(Corners, OtherCornersMirrorTheTopLeft) {
  const CornerPattern& tl = kCornerPatterns[static_cast<int>(CornerPosition::kTopLeft)];
  EXPECT_EQ(tl[4].percent, 45);
  EXPECT_EQ(tl[4].overlay, 3);
  const struct { CornerPosition corner; bool rows, cols; } cases[] = {{CornerPosition::kBottomLeft, true, false}, {CornerPosition::kTopRight, false, true}, {CornerPosition::kBottomRight, true, true}};
  for (const auto& c : cases) {
    for (int k = 0; k < 9; ++k) {
      const CornerEntry& src = tl[static_cast<std::size_t>(k)];
      const CornerEntry& dst = kCornerPatterns[static_cast<std::size_t>(c.corner)][static_cast<std::size_t>(Mirror(k, c.rows, c.cols))];
      SCOPED_TRACE(testing::Message() << "corner " << static_cast<int>(c.corner) << " entry " << k);
      EXPECT_EQ(dst.percent, src.percent);
      EXPECT_EQ(dst.fromDrawing, src.fromDrawing);
      EXPECT_EQ(dst.base, Mirror(src.base, c.rows, c.cols));
      EXPECT_EQ(dst.overlay, Mirror(src.overlay, c.rows, c.cols));
    }
  }
}

TEST(Corners, BlendDrawingOverBackground) {
  std::uint32_t scratch[kScratchSize * kScratchSize] = {};
  for (int k = 0; k < 9; ++k) {
    scratch[(k / 3) * kScratchSize + k % 3] = 0x00C8C8C8u;      // drawing: 200
    scratch[(3 + k / 3) * kScratchSize + k % 3] = 0x00646464u;  // background: 100
  }
  scratch[1 * kScratchSize + 0] = 0x000000FFu;  // drawing pixel 3: pure blue channel only
  scratch[6 * kScratchSize + 5] = 0xDEADBEEFu;  // outside the 3 x 3 result: must survive
  BlendCorner(scratch, kCornerPatterns[static_cast<int>(CornerPosition::kTopLeft)]);
  const auto out = [&](int k) { return scratch[(6 + k / 3) * kScratchSize + k % 3]; };
  EXPECT_EQ(out(0), 0x00696969u);  // 100 + 100 * 5 / 100: nearly the background
  EXPECT_EQ(out(1), 0x00828282u);  // 100 + 30
  EXPECT_EQ(out(2), 0x009B9B9Bu);  // 100 + 55
  EXPECT_EQ(out(8), 0x00C8C8C8u);  // p = 0 from the drawing: unchanged
  // Entry 4: base = drawing pixel 4 (200), overlay = drawing pixel 3.
  // Blue: 200 + 55 * 45 / 100 = 224; green and red: 200 - 200 * 45 / 100 = 110.
  EXPECT_EQ(out(4), 0x006E6EE0u);
  // Entry 3 from the background toward blue-only pixel 3: negative steps
  // truncate toward zero: 100 - 100 * 30 / 100 = 70, 100 + 155 * 30 / 100 = 146.
  EXPECT_EQ(out(3), 0x00464692u);
  EXPECT_EQ(scratch[6 * kScratchSize + 5], 0xDEADBEEFu);
  EXPECT_EQ(scratch[0], 0x00C8C8C8u);  // sources untouched
}

// ---- geometry --------------------------------------------------------------

template <std::size_t N>
std::vector<PixelPoint> Points(const std::array<PixelPoint, N>& a) {
  return {a.begin(), a.end()};
}
bool operator==(const PixelLine& a, const PixelLine& b) { return a.from == b.from && a.to == b.to; }

TEST(Geometry, EdgesSeparatorsSplitterAndDeflate) {
  const EdgeLines e = Edge3dLines(PixelRect{10, 20, 30, 40});
  EXPECT_EQ(Points(e.topLeft), (std::vector<PixelPoint>{{10, 39}, {10, 20}, {30, 20}}));
  EXPECT_EQ(Points(e.bottomRight), (std::vector<PixelPoint>{{29, 21}, {29, 39}, {10, 39}}));
  const auto wide = SeparatorLines(PixelRect{0, 5, 50, 7});
  EXPECT_TRUE(wide[0] == (PixelLine{{0, 5}, {49, 5}}) && wide[1] == (PixelLine{{1, 6}, {50, 6}}));
  const auto square = SeparatorLines(PixelRect{0, 0, 10, 10});  // not wider: vertical
  EXPECT_TRUE(square[0] == (PixelLine{{0, 0}, {0, 9}}) && square[1] == (PixelLine{{1, 1}, {1, 10}}));
  EXPECT_EQ(SplitterBar(PixelRect{5, 6, 100, 200}, 1), (PixelRect{5, 6, 9, 200}));
  EXPECT_EQ(SplitterBar(PixelRect{5, 6, 100, 200}, 0x100), (PixelRect{5, 6, 100, 10}));  // only the low byte counts
  EXPECT_EQ(DeflateRectBy(SplitterBar(PixelRect{5, 6, 100, 200}, 0), 1), (PixelRect{6, 7, 99, 9}));
}

TEST(Geometry, SizeGripOnSixteenPixels) {
  const auto sq = SizeGripSquares(PixelRect{0, 0, 16, 16});
  // c = 2: first cell at (16 - 2 - 1, 16 - 2 - 1), its shadow one up-left;
  // then column 1 row 0, column 0 row 1, column 2 row 0, ..., column 0 row 2.
  const std::pair<int, PixelRect> cells[] = {{0, {13, 13, 15, 15}}, {1, {12, 12, 14, 14}}, {2, {9, 13, 11, 15}},
                                        {4, {13, 9, 15, 11}},  {6, {5, 13, 7, 15}},   {10, {13, 5, 15, 7}}};
  for (const auto& c : cells) EXPECT_EQ(sq[static_cast<std::size_t>(c.first)], c.second) << c.first;
  for (const PixelRect& r : sq) EXPECT_TRUE(r.right - r.left == 2 && r.bottom - r.top == 2);
  EXPECT_EQ(SizeGripSquares(PixelRect{0, 0, 16, 7})[0].right - SizeGripSquares(PixelRect{0, 0, 16, 7})[0].left, 0);
}

TEST(Geometry, Glyphs) {
  const PixelRect r{0, 0, 22, 22};  // e = 3, centre (11, 11)
  EXPECT_EQ(Points(TriangleGlyphPoints(0, r)), (std::vector<PixelPoint>{{7, 8}, {14, 11}, {7, 14}}));   // right
  EXPECT_EQ(Points(TriangleGlyphPoints(1, r)), (std::vector<PixelPoint>{{7, 7}, {10, 14}, {13, 7}}));   // down
  EXPECT_EQ(Points(TriangleGlyphPoints(2, r)), (std::vector<PixelPoint>{{7, 14}, {10, 7}, {13, 14}}));  // up
  // A flat rectangle limits e by its height: 2 * 44 / 22 = 4, not 3 * 44 / 22.
  EXPECT_EQ(TriangleGlyphPoints(0, PixelRect{0, 0, 44, 2})[1], (PixelPoint{22 + 4, 1}));
  // s = 2: f = 2, g = 8, centre (32, 11).
  EXPECT_EQ(Points(CheckGlyphPoints(PixelRect{10, 0, 54, 22})),
            (std::vector<PixelPoint>{{24, 9}, {30, 13}, {40, 3}, {40, 9}, {30, 19}, {24, 13}}));
}

TEST(Geometry, CornerSquaresTextOriginAndGradient) {
  const CornerSquares all = CornerSquaresFor(PixelRect{0, 0, 20, 10}, 15);
  ASSERT_EQ(all.count, 4);
  const std::pair<CornerPosition, PixelRect> order[] = {
      {CornerPosition::kTopLeft, {0, 0, 3, 3}}, {CornerPosition::kBottomLeft, {0, 7, 3, 10}},
      {CornerPosition::kTopRight, {17, 0, 20, 3}}, {CornerPosition::kBottomRight, {17, 7, 20, 10}}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(all.items[static_cast<std::size_t>(i)].corner, order[i].first) << i;
    EXPECT_EQ(all.items[static_cast<std::size_t>(i)].square, order[i].second) << i;
  }
  const CornerSquares some = CornerSquaresFor(PixelRect{0, 0, 20, 10}, 8 | 2);
  ASSERT_EQ(some.count, 2);
  EXPECT_EQ(some.items[0].corner, CornerPosition::kTopRight);
  EXPECT_EQ(CornerSquaresFor(PixelRect{}, 0).count, 0);
  EXPECT_EQ(CornerSquaresFor(PixelRect{}, 0x30).count, 0);

  const PixelRect r{0, 10, 20, 110};
  EXPECT_EQ(VerticalTextOrigin(r, 40, 12, 0), (PixelPoint{16, 10}));
  EXPECT_EQ(VerticalTextOrigin(r, 40, 12, 1), (PixelPoint{16, 40}));
  EXPECT_EQ(VerticalTextOrigin(r, 40, 12, 0x102), (PixelPoint{16, 70}));
  EXPECT_EQ(GradientChannel(0xAB), 0xAB00);
}

}  // namespace
