#include "framework/theme/theme_core.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

SystemColours DistinctSystemColours() {
  SystemColours sys{};
  for (int i = 0; i < kSysColourCount; ++i) sys[static_cast<std::size_t>(i)] = 0x00010101u * static_cast<ColorRef>(i + 1);
  return sys;
}

ColorRef Sys(const SystemColours& sys, SysColour c) { return SysColourOf(sys, c); }

// ---- scheme mode and bases -------------------------------------------------

TEST(SchemeMode, AutomaticResolvesByVisualStyle) {
  EXPECT_EQ(ResolveSchemeMode(255, true), 1);
  EXPECT_EQ(ResolveSchemeMode(255, false), 0);
  EXPECT_EQ(ResolveSchemeMode(0, true), 0);
  EXPECT_EQ(ResolveSchemeMode(2, false), 2);

  SchemeBase base;
  base.activeCaption = 0x00838383u;
  SchemeSettings scheme;  // automatic
  ColourSlots slots{};
  ComputeScheme(base, SchemeInputs{true, false, 0, 0}, scheme, DistinctSystemColours(), slots);
  EXPECT_EQ(scheme.mode, 1);  // written back for the caller to store
  scheme.mode = 255;
  ComputeScheme(base, SchemeInputs{}, scheme, DistinctSystemColours(), slots);
  EXPECT_EQ(scheme.mode, 0);
}

TEST(SchemeBase, CaptionGradientsBlendIn) {
  SchemeBase base;
  base.activeCaption = 0x00000000u;
  base.inactiveCaption = 0x00000000u;
  SchemeSettings scheme;
  scheme.mode = 2;
  ColourSlots slots{};
  ComputeScheme(base, SchemeInputs{false, true, 0x00FFFFFFu, 0x00FFFFFFu}, scheme, DistinctSystemColours(), slots);
  EXPECT_EQ(base.activeCaption, 0x00666666u);    // 255 * 0.4
  EXPECT_EQ(base.inactiveCaption, 0x00999999u);  // 255 * 0.6
}

// ---- slot values -----------------------------------------------------------

TEST(SchemeSlots, CustomModeUsesCustomColoursWithoutOffset) {
  SchemeBase base;
  base.activeCaption = 0x00000080u;  // would give a large offset if it were used
  SchemeSettings scheme;
  scheme.mode = 2;
  scheme.custom = {0x00EE6E18u, 0x00ABCDEFu, 0x0055ADFFu, 0x00112233u, 0x00445566u};
  ColourSlots slots{};
  const SystemColours sys = DistinctSystemColours();
  ComputeScheme(base, SchemeInputs{}, scheme, sys, slots);
  EXPECT_EQ(base.b0, 0x00EE6E18u);
  EXPECT_EQ(base.b2, 0x0055ADFFu);
  EXPECT_EQ(slots[0], AdjustColorHsl(0x00EE6E18u, 0, 0.2, -0.3));
  EXPECT_EQ(slots[0], 0x00D89361u);
  EXPECT_EQ(slots[4], 0x00112233u);
  EXPECT_EQ(slots[5], 0x00445566u);
  EXPECT_EQ(slots[46], 0x0055ADFFu);
  EXPECT_EQ(slots[42], AdjustColorHsl(0x0055ADFFu, 0, 0, 0));
  EXPECT_EQ(slots[58], AdjustColorHsl(0x0055ADFFu, 0, 0.7, -0.2));
  EXPECT_EQ(slots[6], Sys(sys, SysColour::kWindow));
  EXPECT_EQ(slots[57], Sys(sys, SysColour::kBtnFace));
}

TEST(SchemeSlots, DerivedGreyCaptionHasNoOffset) {
  // Lightness byte 131 makes the offset 0; grey keeps every result grey.
  SchemeBase base;
  base.activeCaption = 0x00838383u;
  base.inactiveCaption = 0x00838383u;
  base.highlight = 0x00D77800u;
  base.menuText = 0x00000001u;
  base.highlightText = 0x00FFFFFEu;
  SchemeSettings scheme;
  scheme.mode = 1;
  ColourSlots slots{};
  ComputeScheme(base, SchemeInputs{}, scheme, DistinctSystemColours(), slots);
  EXPECT_EQ(base.b0, 0x00B7B7B7u);  // 131 * 1.4 = 183
  EXPECT_EQ(slots[0], 0x00DBDBDBu);  // 183 * 1.2 = 219
  EXPECT_EQ(slots[3], 0x00898989u);
  EXPECT_EQ(slots[45], 0x005B5B5Bu);
  EXPECT_EQ(slots[51], 0x00F7F7F7u);
  EXPECT_EQ(slots[52], 0x00FFFFFFu);  // computed from slot 51, limited at 255
  EXPECT_EQ(slots[41], 0x00FF9A17u);
  EXPECT_EQ(slots[42], 0x00D67800u);
  EXPECT_EQ(slots[58], 0x00F0BC79u);
  EXPECT_EQ(slots[4], 0x00000001u);
  EXPECT_EQ(slots[5], 0x00FFFFFEu);
  const ColorRef expectedCaption[8] = {0x686868, 0x757575, 0x838383, 0x757575, 0x5B5B5B, 0x686868, 0x757575, 0x686868};
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(slots[static_cast<std::size_t>(10 + i)], expectedCaption[i]) << "slot " << 10 + i;
  }
  EXPECT_EQ(slots[7], 0u);
  EXPECT_EQ(slots[8], 0u);
  EXPECT_EQ(slots[9], 0u);
}

TEST(SchemeSlots, DerivedOffsetAndCopies) {
  SchemeBase base;
  base.activeCaption = 0x00A05020u;
  base.inactiveCaption = 0x00C0C0C0u;
  SchemeSettings scheme;
  scheme.mode = 1;
  ColourSlots s{};
  ComputeScheme(base, SchemeInputs{}, scheme, DistinctSystemColours(), s);
  const double r = 131.0 / 255.0 - LightnessOf(RgbToHsl(0x00A05020u)) / 255.0;
  EXPECT_EQ(base.b0, AdjustColorHsl(0x00A05020u, 0, r + 0.4, -0.25));
  EXPECT_EQ(s[53], AdjustColorHsl(s[51], 0, r - 0.2, -0.6));  // from slot 51, not from B0
  EXPECT_EQ(s[18], AdjustColorHsl(0x00C0C0C0u, 0, -0.2, -0.2));
  const int copies[][2] = {{2, 1}, {28, 1}, {32, 1}, {39, 1}, {29, 3}, {31, 3}, {40, 3}, {30, 0}, {35, 0}, {36, 33}, {37, 34}};
  for (const auto& c : copies) EXPECT_EQ(s[static_cast<std::size_t>(c[0])], s[static_cast<std::size_t>(c[1])]) << c[0];
}

TEST(SchemeSlots, ClassicTakesSystemColours) {
  const SystemColours sys = DistinctSystemColours();
  SchemeBase base;
  base.activeCaption = 0x00808080u;
  SchemeSettings scheme;
  scheme.mode = 0;
  ColourSlots s{};
  ComputeScheme(base, SchemeInputs{}, scheme, sys, s);
  const std::pair<int, SysColour> direct[] = {{0, SysColour::kBtnFace},   {1, SysColour::k3dLight},
                                              {2, SysColour::kBtnHighlight}, {3, SysColour::kBtnShadow},
                                              {38, SysColour::kMenu},     {45, SysColour::kActiveCaption},
                                              {51, SysColour::kBtnFace},  {53, SysColour::kBtnShadow},
                                              {50, SysColour::kGrayText}};
  for (const auto& d : direct) EXPECT_EQ(s[static_cast<std::size_t>(d.first)], Sys(sys, d.second)) << d.first;
  EXPECT_EQ(s[26], s[3]);
  EXPECT_EQ(s[27], s[2]);
  EXPECT_EQ(s[33], s[0]);
  EXPECT_EQ(s[41], BlendColor(Sys(sys, SysColour::kActiveCaption), s[0], 0.75));
  EXPECT_EQ(s[43], BlendColor(Sys(sys, SysColour::kActiveCaption), s[0], 0.85));
  EXPECT_EQ(s[42], s[41]);
}

TEST(SchemeSlots, ClassicMenuEqualToFaceFallsBackToHighlight) {
  SystemColours sys = DistinctSystemColours();
  sys[static_cast<std::size_t>(SysColour::kMenu)] = sys[static_cast<std::size_t>(SysColour::kBtnFace)];
  SchemeBase base;
  SchemeSettings scheme;
  scheme.mode = 0;
  ColourSlots s{};
  ComputeScheme(base, SchemeInputs{}, scheme, sys, s);
  EXPECT_EQ(s[38], Sys(sys, SysColour::kBtnHighlight));
}

// ---- colour arguments and slot indices ---------------------------------------

TEST(ColourArg, SelectsSlotsOrExplicitColour) {
  ColourSlots slots{};
  slots[3] = 0x333333;
  slots[4] = 0x444444;
  slots[5] = 0x555555;
  EXPECT_EQ(ResolveColourArg(0, slots), 0x333333u);
  EXPECT_EQ(ResolveColourArg(1, slots), 0x444444u);
  EXPECT_EQ(ResolveColourArg(2, slots), 0x555555u);
  EXPECT_EQ(ResolveColourArg(0x12345603u, slots), 0x00123456u);
  EXPECT_EQ(ResolveColourArg(0xFFFFFF00u, slots), 0x333333u);  // only the low 2 bits select
  EXPECT_EQ(SlotOrDefault(-1, 45), 45);
  EXPECT_EQ(SlotOrDefault(58, 45), 58);
  EXPECT_EQ(SlotOrDefault(59, 45), 45);
  EXPECT_EQ(SlotOrDefault(0, 45), 0);
}

// ---- icon tint -------------------------------------------------------------

struct Pixels {
  std::vector<std::uint8_t> colour;
  std::vector<std::uint8_t> mask;
  void Add(std::uint8_t b, std::uint8_t g, std::uint8_t r, std::uint8_t a, bool opaque) {
    colour.insert(colour.end(), {b, g, r, a});
    const std::uint8_t m = opaque ? 0 : 0xFF;
    mask.insert(mask.end(), {m, m, m, 0});
  }
  std::size_t Count() const { return colour.size() / 4; }
};

TEST(IconTint, NoOpaquePixelLeavesIconUntouched) {
  Pixels p;
  p.Add(10, 20, 30, 40, false);
  p.Add(200, 210, 220, 255, false);
  const auto before = p.colour;
  EXPECT_FALSE(TintIconPixels(p.colour.data(), p.mask.data(), p.Count(), 0x00FFFFFFu, 0));
  EXPECT_EQ(p.colour, before);
  EXPECT_FALSE(TintIconPixels(p.colour.data(), p.mask.data(), 0, 0x00FFFFFFu, 0));
}

TEST(IconTint, MixesLightAndDarkByBrightness) {
  Pixels p;
  p.Add(0, 0, 0, 7, true);
  p.Add(255, 255, 255, 9, true);
  p.Add(128, 0, 127, 0, true);
  p.Add(1, 2, 3, 4, false);     // transparent: untouched
  const ColorRef light = MakeColorRef(200, 100, 30);  // red, green, blue
  const ColorRef dark = MakeColorRef(20, 10, 3);
  // Blue average (0 + 255 + 128) / 3 = 127 -> offset 1.
  ASSERT_TRUE(TintIconPixels(p.colour.data(), p.mask.data(), p.Count(), light, dark));
  // x = 1/765: barely off dark.
  EXPECT_EQ(p.colour[0], 3);
  EXPECT_EQ(p.colour[1], 10);
  EXPECT_EQ(p.colour[2], 20);
  EXPECT_EQ(p.colour[3], 7);  // fourth byte kept
  // x = 766/765: a hair past light, truncated back to it.
  EXPECT_EQ(p.colour[4], 30);
  EXPECT_EQ(p.colour[5], 100);
  EXPECT_EQ(p.colour[6], 200);
  EXPECT_EQ(p.colour[7], 9);
  // x = 256/765: 30x + 3(1-x) = 12.03, 100x + 10(1-x) = 40.1, 200x + 20(1-x) = 80.2.
  EXPECT_EQ(p.colour[8], 12);
  EXPECT_EQ(p.colour[9], 40);
  EXPECT_EQ(p.colour[10], 80);
  EXPECT_EQ((std::vector<std::uint8_t>(p.colour.begin() + 12, p.colour.end())),
            (std::vector<std::uint8_t>{1, 2, 3, 4}));
}

TEST(IconTint, NearWhiteDoesNotWrapAround) {
  // Dark icon with one near-white pixel: offset is large, x passes 1 by far.
  Pixels p;
  for (int i = 0; i < 15; ++i) p.Add(0, 0, 0, 0, true);
  p.Add(250, 250, 250, 0, true);
  // offset = 128 - 250/16 = 113: white pixel x = (750 + 113) / 765 = 1.128.
  ASSERT_TRUE(TintIconPixels(p.colour.data(), p.mask.data(), p.Count(), 0x00FFFFFFu, 0x00000000u));
  const std::size_t w = 15 * 4;
  EXPECT_EQ(p.colour[w + 0], 255);
  EXPECT_EQ(p.colour[w + 1], 255);
  EXPECT_EQ(p.colour[w + 2], 255);
  // Black light and white dark: x > 1 would go negative.
  Pixels q;
  for (int i = 0; i < 15; ++i) q.Add(0, 0, 0, 0, true);
  q.Add(250, 250, 250, 0, true);
  ASSERT_TRUE(TintIconPixels(q.colour.data(), q.mask.data(), q.Count(), 0x00000000u, 0x00FFFFFFu));
  EXPECT_EQ(q.colour[w + 0], 0);
  EXPECT_EQ(q.colour[w + 2], 0);
}

// ---- rounded corners -------------------------------------------------------

int Mirror(int k, bool rows, bool cols) {
  int row = k / 3;
  int col = k % 3;
  if (rows) row = 2 - row;
  if (cols) col = 2 - col;
  return row * 3 + col;
}

TEST(CornerPatterns, OtherCornersMirrorTheTopLeft) {
  const CornerPattern& tl = kCornerPatterns[static_cast<int>(Corner::kTopLeft)];
  EXPECT_EQ(tl[4].percent, 45);
  EXPECT_EQ(tl[4].overlay, 3);
  const struct {
    Corner corner;
    bool rows;
    bool cols;
  } cases[] = {{Corner::kBottomLeft, true, false}, {Corner::kTopRight, false, true}, {Corner::kBottomRight, true, true}};
  for (const auto& c : cases) {
    const CornerPattern& m = kCornerPatterns[static_cast<std::size_t>(c.corner)];
    for (int k = 0; k < 9; ++k) {
      const CornerEntry& src = tl[static_cast<std::size_t>(k)];
      const CornerEntry& dst = m[static_cast<std::size_t>(Mirror(k, c.rows, c.cols))];
      SCOPED_TRACE(testing::Message() << "corner " << static_cast<int>(c.corner) << " entry " << k);
      EXPECT_EQ(dst.percent, src.percent);
      EXPECT_EQ(dst.fromDrawing, src.fromDrawing);
      EXPECT_EQ(dst.base, Mirror(src.base, c.rows, c.cols));
      EXPECT_EQ(dst.overlay, Mirror(src.overlay, c.rows, c.cols));
    }
  }
}

TEST(CornerBlend, BlendsDrawingOverBackground) {
  std::uint32_t scratch[kScratchSize * kScratchSize] = {};
  for (int k = 0; k < 9; ++k) {
    scratch[(k / 3) * kScratchSize + k % 3] = 0x00C8C8C8u;      // drawing: 200
    scratch[(3 + k / 3) * kScratchSize + k % 3] = 0x00646464u;  // background: 100
  }
  scratch[1 * kScratchSize + 0] = 0x000000FFu;  // drawing pixel 3: pure blue channel only
  scratch[6 * kScratchSize + 5] = 0xDEADBEEFu;  // outside the 3 x 3 result: must survive
  BlendCorner(scratch, kCornerPatterns[static_cast<int>(Corner::kTopLeft)]);
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

TEST(Geometry, EdgeAndSeparatorLines) {
  const EdgeLines e = Edge3dLines(Rect{10, 20, 30, 40});
  EXPECT_EQ(e.topLeft[0], (Point{10, 39}));
  EXPECT_EQ(e.topLeft[1], (Point{10, 20}));
  EXPECT_EQ(e.topLeft[2], (Point{30, 20}));
  EXPECT_EQ(e.bottomRight[0], (Point{29, 21}));
  EXPECT_EQ(e.bottomRight[1], (Point{29, 39}));
  EXPECT_EQ(e.bottomRight[2], (Point{10, 39}));

  const auto wide = SeparatorLines(Rect{0, 5, 50, 7});
  EXPECT_EQ(wide[0].from, (Point{0, 5}));
  EXPECT_EQ(wide[0].to, (Point{49, 5}));
  EXPECT_EQ(wide[1].from, (Point{1, 6}));
  EXPECT_EQ(wide[1].to, (Point{50, 6}));
  const auto square = SeparatorLines(Rect{0, 0, 10, 10});  // not wider: vertical
  EXPECT_EQ(square[0].to, (Point{0, 9}));
  EXPECT_EQ(square[1].from, (Point{1, 1}));
  EXPECT_EQ(square[1].to, (Point{1, 10}));
}

TEST(Geometry, SplitterAndDeflate) {
  EXPECT_EQ(SplitterBar(Rect{5, 6, 100, 200}, 1), (Rect{5, 6, 9, 200}));
  EXPECT_EQ(SplitterBar(Rect{5, 6, 100, 200}, 0x100), (Rect{5, 6, 100, 10}));  // only the low byte counts
  EXPECT_EQ(DeflateRectBy(SplitterBar(Rect{5, 6, 100, 200}, 0), 1), (Rect{6, 7, 99, 9}));
}

TEST(Geometry, SizeGripOnSixteenPixels) {
  const auto sq = SizeGripSquares(Rect{0, 0, 16, 16});
  // c = 2: first cell at (16 - 2 - 1, 16 - 2 - 1), its shadow one up-left.
  EXPECT_EQ(sq[0], (Rect{13, 13, 15, 15}));
  EXPECT_EQ(sq[1], (Rect{12, 12, 14, 14}));
  EXPECT_EQ(sq[2], (Rect{9, 13, 11, 15}));  // column 1, row 0
  EXPECT_EQ(sq[4], (Rect{13, 9, 15, 11}));  // column 0, row 1
  EXPECT_EQ(sq[6], (Rect{5, 13, 7, 15}));   // column 2, row 0
  EXPECT_EQ(sq[10], (Rect{13, 5, 15, 7}));  // column 0, row 2
  for (const Rect& r : sq) {
    EXPECT_EQ(r.right - r.left, 2);
    EXPECT_EQ(r.bottom - r.top, 2);
  }
  const auto tiny = SizeGripSquares(Rect{0, 0, 16, 7});
  EXPECT_EQ(tiny[0].right - tiny[0].left, 0);
}

TEST(Geometry, TriangleGlyphs) {
  const Rect r{0, 0, 22, 22};  // e = 3, centre (11, 11)
  const auto right = TriangleGlyphPoints(0, r);
  EXPECT_EQ(right[0], (Point{7, 8}));
  EXPECT_EQ(right[1], (Point{14, 11}));
  EXPECT_EQ(right[2], (Point{7, 14}));
  const auto down = TriangleGlyphPoints(1, r);
  EXPECT_EQ(down[0], (Point{7, 7}));
  EXPECT_EQ(down[1], (Point{10, 14}));
  EXPECT_EQ(down[2], (Point{13, 7}));
  const auto up = TriangleGlyphPoints(2, r);
  EXPECT_EQ(up[0], (Point{7, 14}));
  EXPECT_EQ(up[1], (Point{10, 7}));
  EXPECT_EQ(up[2], (Point{13, 14}));
  // A flat rectangle limits e by its height: 2 * 44 / 22 = 4, not 3 * 44 / 22.
  const auto flat = TriangleGlyphPoints(0, Rect{0, 0, 44, 2});
  EXPECT_EQ(flat[1], (Point{22 + 4, 1}));
}

TEST(Geometry, CheckGlyph) {
  // s = 2: f = 2, g = 8, centre (32, 11).
  const auto p = CheckGlyphPoints(Rect{10, 0, 54, 22});
  const Point expected[6] = {{24, 9}, {30, 13}, {40, 3}, {40, 9}, {30, 19}, {24, 13}};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(p[static_cast<std::size_t>(i)], expected[i]) << i;
}

TEST(Geometry, CornerSquaresInDrawingOrder) {
  const CornerSquares all = CornerSquaresFor(Rect{0, 0, 20, 10}, 15);
  ASSERT_EQ(all.count, 4);
  EXPECT_EQ(all.items[0].corner, Corner::kTopLeft);
  EXPECT_EQ(all.items[0].square, (Rect{0, 0, 3, 3}));
  EXPECT_EQ(all.items[1].corner, Corner::kBottomLeft);
  EXPECT_EQ(all.items[1].square, (Rect{0, 7, 3, 10}));
  EXPECT_EQ(all.items[2].corner, Corner::kTopRight);
  EXPECT_EQ(all.items[2].square, (Rect{17, 0, 20, 3}));
  EXPECT_EQ(all.items[3].corner, Corner::kBottomRight);
  EXPECT_EQ(all.items[3].square, (Rect{17, 7, 20, 10}));
  const CornerSquares some = CornerSquaresFor(Rect{0, 0, 20, 10}, 8 | 2);
  ASSERT_EQ(some.count, 2);
  EXPECT_EQ(some.items[0].corner, Corner::kTopRight);
  EXPECT_EQ(CornerSquaresFor(Rect{}, 0).count, 0);
  EXPECT_EQ(CornerSquaresFor(Rect{}, 0x30).count, 0);
}

TEST(Geometry, VerticalTextOrigin) {
  const Rect r{0, 10, 20, 110};
  EXPECT_EQ(VerticalTextOrigin(r, 40, 12, 0), (Point{16, 10}));
  EXPECT_EQ(VerticalTextOrigin(r, 40, 12, 1), (Point{16, 40}));
  EXPECT_EQ(VerticalTextOrigin(r, 40, 12, 0x102), (Point{16, 70}));
  EXPECT_EQ(GradientChannel(0xAB), 0xAB00);
}

// ---- icon table order --------------------------------------------------------

TEST(IconTable, InsertPositionAndLookupByLow16Bits) {
  const std::vector<std::uint32_t> ids{0xF110, 0xF120, 0xF120, 0xF134};
  const auto at = [&ids](std::size_t i) { return ids[i]; };
  EXPECT_EQ(IconInsertPosition(ids.size(), at, 0xF100), 0u);
  EXPECT_EQ(IconInsertPosition(ids.size(), at, 0xF120), 1u);  // before the existing duplicates
  EXPECT_EQ(IconInsertPosition(ids.size(), at, 0xF121), 3u);
  EXPECT_EQ(IconInsertPosition(ids.size(), at, 0xFFFF), 4u);
  EXPECT_EQ(IconInsertPosition(0, at, 0xF120), 0u);
  EXPECT_EQ(IconFindIndex(ids.size(), at, 0xF134), 3);
  EXPECT_EQ(IconFindIndex(ids.size(), at, 0x1234F110), 0);  // high bits ignored
  EXPECT_EQ(IconFindIndex(ids.size(), at, 0xF111), -1);
  EXPECT_EQ(IconFindIndex(ids.size(), at, 0xFFFF), -1);
  EXPECT_EQ(IconFindIndex(0, at, 0xF110), -1);
}

}  // namespace

// Tint cases shared with the data-folder waiter's two-state icons.
TEST(IconTint, NoOpaquePixelLeavesTheIcon) {
  std::vector<std::uint8_t> colour = {10, 20, 30, 255, 40, 50, 60, 255};
  const std::vector<std::uint8_t> mask(8, 0xFF);
  const auto before = colour;
  EXPECT_FALSE(TintIconPixels(colour.data(), mask.data(), 2, 0xFFFFFF, 0));
  EXPECT_EQ(colour, before);
}

TEST(IconTint, MidGreyLandsBetweenTheColoursAndAlphaStays) {
  // One opaque grey pixel (blue 128 = the centre, so offset 0) and one
  // transparent pixel that must not change.
  std::vector<std::uint8_t> colour = {128, 128, 128, 200, 1, 2, 3, 4};
  const std::vector<std::uint8_t> mask = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
  // light = white, shadow = 0x00102030 (red 0x30, green 0x20, blue 0x10)
  ASSERT_TRUE(TintIconPixels(colour.data(), mask.data(), 2, 0x00FFFFFF, 0x00102030));
  const double x = 384.0 / 765.0;
  EXPECT_EQ(colour[0], static_cast<int>(255 * x + 0x10 * (1 - x)));  // blue
  EXPECT_EQ(colour[1], static_cast<int>(255 * x + 0x20 * (1 - x)));  // green
  EXPECT_EQ(colour[2], static_cast<int>(255 * x + 0x30 * (1 - x)));  // red
  EXPECT_EQ(colour[3], 200);
  EXPECT_EQ((std::vector<std::uint8_t>(colour.begin() + 4, colour.end())), (std::vector<std::uint8_t>{1, 2, 3, 4}));
}

TEST(IconTint, ExtremesAreClampedNotWrapped) {
  // Dark average, one bright pixel: x goes above 1 and the light channel
  // would pass 255; with the shadow brighter than the light, below 0.
  std::vector<std::uint8_t> colour = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 255, 255, 0};
  const std::vector<std::uint8_t> mask(16, 0);
  ASSERT_TRUE(TintIconPixels(colour.data(), mask.data(), 4, 0x00FFFFFF, 0x00000000));
  EXPECT_EQ(colour[12], 255);
  EXPECT_EQ(colour[13], 255);
  EXPECT_EQ(colour[14], 255);

  std::vector<std::uint8_t> again = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 255, 255, 0};
  ASSERT_TRUE(TintIconPixels(again.data(), mask.data(), 4, 0x00000000, 0x00FFFFFF));
  EXPECT_EQ(again[12], 0);
}
