#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <array>
#include <string>
#include <vector>

#include "framework/theme/draw.h"
#include "framework/theme/theme.h"
#include "tests/support/win32/win_test_support.h"

namespace {

constexpr COLORREF kWhite = 0x00FFFFFF;

bool Inside(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

using test_support::TopDown32;

// The surface with checks of what was drawn on it.
class DibSurface : public test_support::DibSurface {
 public:
  using test_support::DibSurface::DibSurface;
  int Count(COLORREF c) const {
    int n = 0;
    for (int i = 0; i < Width() * Height(); ++i) n += At(i % Width(), i / Width()) == c;
    return n;
  }
  // Every pixel has the colour that want(x, y) gives.
  template <typename Want>
  testing::AssertionResult Matches(Want want) const {
    for (int i = 0; i < Width() * Height(); ++i) {
      const int x = i % Width(), y = i / Width();
      if (At(x, y) != want(x, y)) {
        return testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << std::hex << At(x, y)
                                           << ", expected " << want(x, y);
      }
    }
    return testing::AssertionSuccess();
  }
  testing::AssertionResult Exactly(const RECT& r, COLORREF inside, COLORREF outside) const {
    return Matches([&](int x, int y) { return Inside(r, x, y) ? inside : outside; });
  }
  // The pixels named (x, y, colour) have their colours.
  testing::AssertionResult Has(std::initializer_list<std::array<COLORREF, 3>> probes) const {
    for (const auto& p : probes) {
      const COLORREF at = At(static_cast<int>(p[0]), static_cast<int>(p[1]));
      if (at != p[2]) return testing::AssertionFailure() << "(" << p[0] << ", " << p[1] << ") is " << std::hex << at;
    }
    return testing::AssertionSuccess();
  }
};

// A window of its own class running proc.
HWND MakeWindow(WNDPROC proc, const char* cls) {
  return test_support::MakeClassWindow(cls, proc, WS_POPUP, {0, 0, 200, 200});
}

void DistinctSlots(CTheme& theme) {
  for (int i = 0; i < kColourSlotCount; ++i) {
    theme.slots[static_cast<std::size_t>(i)] =
        MakeColorRef(static_cast<std::uint8_t>(10 + i * 4), 0x40, static_cast<std::uint8_t>(200 - i * 3));
  }
}

// ---- icons -------------------------------------------------------------------

// 16 x 16 icon of the given COLORREF pixels, wholly opaque or wholly transparent.
HICON MakeIcon(const std::vector<COLORREF>& colours, bool transparent = false) {
  std::vector<std::uint32_t> bgra;
  for (COLORREF c : colours) bgra.push_back(SwapRedBlue(c));
  const std::vector<std::uint8_t> mask(32, transparent ? 0xFF : 0);  // 1 bit per pixel, set = transparent
  CBitmapHandle colour(CreateBitmap(16, 16, 1, 32, bgra.data()));
  CBitmapHandle maskBmp(CreateBitmap(16, 16, 1, 1, mask.data()));
  ICONINFO info{TRUE, 0, 0, maskBmp.Get(), colour.Get()};
  return CreateIconIndirect(&info);
}

std::vector<COLORREF> IconColours(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return {};
  CBitmapHandle colour(info.hbmColor), mask(info.hbmMask);
  std::vector<std::uint32_t> px(256);
  BITMAPINFO bi = TopDown32(16, 16);
  CDcHandle screen(nullptr);
  GetDIBits(screen.Get(), colour.Get(), 0, 16, px.data(), &bi, DIB_RGB_COLORS);
  std::vector<COLORREF> out;
  for (std::uint32_t p : px) out.push_back(SwapRedBlue(p));
  return out;
}

HICON gIconHalfBlack = nullptr;    // resource 1: left half black, right half white
HICON gIconTransparent = nullptr;  // resource 2

HICON TestLoader(HINSTANCE, std::uintptr_t source, int) {
  return source == 1 ? gIconHalfBlack : source == 2 ? gIconTransparent : nullptr;
}

class IconTest : public ::testing::Test {
 protected:
  static constexpr COLORREF kLight = 0x00C08040;
  static constexpr COLORREF kDark = 0x00201008;

  static void SetUpTestSuite() {
    std::vector<COLORREF> colours(256);
    for (int i = 0; i < 256; ++i) colours[static_cast<std::size_t>(i)] = (i % 16) < 8 ? 0x000000 : kWhite;
    gIconHalfBlack = MakeIcon(colours);
    gIconTransparent = MakeIcon(std::vector<COLORREF>(256, 0x00123456), true);
  }
  static void TearDownTestSuite() {
    DestroyIcon(gIconHalfBlack);
    DestroyIcon(gIconTransparent);
  }
  void SetUp() override {
    ASSERT_NE(gIconHalfBlack, nullptr);
    theme.loadIcon = TestLoader;
    ASSERT_EQ(ThemeCreateDc(theme), 0);
    theme.slots[1] = kLight;
    theme.slots[3] = kDark;
  }
  CTheme theme;
};

TEST_F(IconTest, TableOrderDuplicatesAndFailures) {
  int pair[2] = {20, 24};
  const struct { std::uint32_t id; std::uintptr_t source; std::uint32_t flags; int pos; } adds[] = {
      {0xF120, 1, 0, 0}, {0xF110, 1, 0, 0}, {0xF134, reinterpret_cast<std::uintptr_t>(pair), kIconOwnerDrawn, 2},
      {0xF120, 2, 0, 1}};  // before the existing 0xF120
  for (const auto& a : adds) {
    int pos = -1;
    ASSERT_EQ(ThemeAddIcon(theme, a.id, a.source, a.flags, 0, &pos), 0u);
    EXPECT_EQ(pos, a.pos) << std::hex << a.id;
  }
  EXPECT_EQ(theme.icons[1].source, 2u);
  EXPECT_EQ(theme.icons[2].source, 1u);
  int pos = 12345;  // a failed load is reported with its code and adds nothing
  EXPECT_EQ(ThemeAddIcon(theme, 0xF100, 99, 0, 0, &pos), kStatusIconNotLoaded);
  EXPECT_EQ(pos, 12345);
  ASSERT_EQ(theme.icons.size(), 4u);

  const IconRecord& owner = theme.icons[3];
  EXPECT_TRUE(owner.cx == 20 && owner.cy == 24 && owner.icon == nullptr && !owner.tinted);
  EXPECT_TRUE(theme.icons[0].cx == 16 && theme.icons[0].cy == 16);
  EXPECT_EQ(ThemeFindIcon(theme, 0xF134), 3);
  EXPECT_EQ(ThemeFindIcon(theme, 0xABCDF110), 0);  // only the low 16 bits count
  EXPECT_EQ(ThemeFindIcon(theme, 0xF111), -1);
  EXPECT_EQ(ThemeFindIcon(theme, 0xFFFF), -1);
}

TEST_F(IconTest, TintFollowsLightAndDarkSlots) {
  ASSERT_EQ(ThemeAddIcon(theme, 0xF110, 1, 0, 0, nullptr), 0u);
  ASSERT_TRUE(theme.icons[0].tinted);
  const auto px = IconColours(theme.icons[0].tinted.Get());
  ASSERT_EQ(px.size(), 256u);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(px[static_cast<std::size_t>(i)], (i % 16) < 8 ? kDark : kLight) << i;
  EXPECT_EQ(IconColours(gIconHalfBlack)[0], 0u);  // the icon as loaded is untouched

  // Drawn: state 0 the tinted copy, state 1 the icon as loaded.
  DibSurface s(16, 16);
  const RECT r{0, 0, 16, 16};
  ASSERT_EQ(DrawThemeIcon(theme, s.dc(), 0xF110, 0, &r), 0u);
  EXPECT_TRUE(s.Matches([](int x, int) { return x < 8 ? kDark : kLight; }));
  ASSERT_EQ(DrawThemeIcon(theme, s.dc(), 0xF110, 1, &r), 0u);
  EXPECT_TRUE(s.Matches([](int x, int) { return x < 8 ? 0 : kWhite; }));
  EXPECT_EQ(DrawThemeIcon(theme, s.dc(), 0xF999, 0, &r), kStatusIconNotInTable);

  // A new scheme reaches the tinted copies only through a reload.
  theme.slots[3] = 0x00000030;
  ASSERT_EQ(ThemeReloadIcons(theme), 0);
  EXPECT_EQ(IconColours(theme.icons[0].tinted.Get())[0], 0x00000030u);
}

TEST_F(IconTest, TransparentIconKeepsItsColoursNearWhiteIsLimited) {
  ASSERT_EQ(ThemeAddIcon(theme, 0xF110, 2, 0, 0, nullptr), 0u);
  ASSERT_TRUE(theme.icons[0].tinted);
  EXPECT_EQ(IconColours(theme.icons[0].tinted.Get()), std::vector<COLORREF>(256, 0x00123456u));

  std::vector<COLORREF> colours(256, 0x000000);
  colours[0] = 0x00FAFAFA;  // at (0, 0) whichever way round the rows run
  CIconHandle icon(MakeIcon(colours));
  ASSERT_TRUE(icon);
  CIconHandle tinted;
  int cx = 0, cy = 0;
  ASSERT_EQ(CreateTintedIcon(icon.Get(), kWhite, 0x000000, &cx, &cy, &tinted), 0u);
  EXPECT_TRUE(cx == 16 && cy == 16);
  EXPECT_EQ(IconColours(tinted.Get()).at(0), kWhite);
  EXPECT_EQ(CreateTintedIcon(nullptr, 0, 0, &cx, &cy, &tinted), kStatusIconNotLoaded);
  EXPECT_FALSE(tinted);
}

HWND gOwnerWindow = nullptr;
DrawIconRequest gLastRequest{};

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != WM_FW_DRAWICON) return DefWindowProcA(hwnd, msg, wp, lp);
  gLastRequest = *reinterpret_cast<const DrawIconRequest*>(lp);
  return 77;
}

TEST_F(IconTest, OwnerDrawnIconAsksTheFirstFrameWindow) {
  CWindowHandle owner(MakeWindow(OwnerProc, "ThemeTestOwner"));
  ASSERT_TRUE(owner);
  gOwnerWindow = owner.Get();
  theme.firstFrameWindow = [] { return gOwnerWindow; };
  int pair[2] = {16, 16};
  ASSERT_EQ(ThemeAddIcon(theme, 0xF135, reinterpret_cast<std::uintptr_t>(pair), kIconOwnerDrawn, 0, nullptr), 0u);
  DibSurface s(4, 4);
  const RECT r{1, 2, 3, 4};
  EXPECT_EQ(DrawThemeIcon(theme, s.dc(), 0x7777F135, 0, &r), 77u);
  EXPECT_EQ(gLastRequest.id, 0xF135);
  EXPECT_TRUE(gLastRequest.rect.left == 1 && gLastRequest.rect.bottom == 4);
}

// ---- colours and fonts ----------------------------------------------------------

TEST(ThemeColours, ClassicAndAutomaticModes) {
  CTheme theme;
  SchemeSettings scheme;
  scheme.mode = 0;
  EXPECT_EQ(ThemeComputeColors(theme, scheme), 0);
  for (const auto& s : {std::pair{0, COLOR_BTNFACE}, {3, COLOR_BTNSHADOW}, {6, COLOR_WINDOW}, {57, COLOR_BTNFACE},
                        {45, COLOR_ACTIVECAPTION}}) {
    EXPECT_EQ(theme.slots[static_cast<std::size_t>(s.first)], GetSysColor(s.second)) << s.first;
  }
  EXPECT_NE(theme.base.activeCaption, 0u);
  scheme.mode = 255;
  EXPECT_EQ(ThemeComputeColors(theme, scheme), 0);
  EXPECT_TRUE(scheme.mode == 0 || scheme.mode == 1);
}

TEST(ThemeFonts, PerDpiRecordsAndMeasures) {
  CTheme theme;
  ASSERT_EQ(ThemeCreateDc(theme), 0);
  EXPECT_NE(theme.defaultFace[0], '\0');
  EXPECT_STREQ(theme.uiFace, theme.defaultFace);

  ThemeSetUiFont(theme, "Tahoma", 14, 144);
  for (const auto& set : theme.fontSets) {
    ASSERT_EQ(set.size(), 1u);
    EXPECT_TRUE(set[0].dpi == 144 && set[0].font && set[0].lineHeight > 0);
  }
  const auto& ui = theme.fontSets[4];
  EXPECT_STREQ(theme.fontSets[3][0].face, "Courier New");
  EXPECT_STREQ(ui[0].face, "Tahoma");
  EXPECT_STREQ(theme.uiFace, "Tahoma");
  EXPECT_EQ(ui[0].size, 14);
  EXPECT_EQ(theme.fontSets[0][0].size, 12);

  // An existing DPI is never replaced, whatever else differs.
  EXPECT_EQ(ThemeAddFont(theme, 4, "Arial", 30, 400, 0, 144, 0), 0);
  EXPECT_STREQ(ui[0].face, "Tahoma");
  EXPECT_EQ(ThemeAddFont(theme, 7, "Arial", 30, 400, 0, 144, 0), -1);
  // Line height for an unknown DPI comes from the first record; nothing is made.
  EXPECT_EQ(ThemeLineHeight(theme, 300), ui[0].lineHeight);
  EXPECT_EQ(ThemeSpaceWidth(theme, 300), ui[0].spaceWidth);
  EXPECT_EQ(ui.size(), 1u);
  // A new DPI copies the set's first record, larger at the higher DPI.
  HFONT f = ThemeGetFont(theme, 4, 288);
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(ui.size(), 2u);
  EXPECT_STREQ(ui[1].face, "Tahoma");
  EXPECT_GT(ui[1].lineHeight, ui[0].lineHeight);
  EXPECT_EQ(ThemeGetFont(theme, 4, 288), f);

  int w = -1, h = -1, bold = 0;
  EXPECT_EQ(MeasureTextThemeFont(theme, "Hello", &w, &h, 0, 144), 0u);
  EXPECT_GT(w, 0);
  EXPECT_EQ(h, ui[0].lineHeight);
  EXPECT_EQ(MeasureTextThemeFont(theme, "Hello", &bold, &h, 1, 144), 0u);
  EXPECT_GE(bold, w);
  EXPECT_EQ(MeasureText(theme, nullptr, &w, &h, f), kStatusTextMissing);
  EXPECT_TRUE(w == 0 && h == 0);

  CTheme empty;  // an empty theme builds the default sets at the desktop DPI
  empty.windowDpi = [](HWND) { return 120; };
  ASSERT_EQ(ThemeCreateDc(empty), 0);
  ASSERT_NE(ThemeGetFont(empty, 2, 120), nullptr);
  for (const auto& set : empty.fontSets) {
    ASSERT_EQ(set.size(), 1u);
    EXPECT_TRUE(set[0].dpi == 120 && set[0].size == 12);
  }
  EXPECT_STREQ(empty.fontSets[6][0].face, empty.defaultFace);
}

// ---- drawing primitives -----------------------------------------------------------

TEST(Drawing, FillFrameRectAndEdgeExactPixels) {
  DibSurface s(20, 12);
  const RECT r{3, 2, 15, 9}, in{4, 3, 14, 8};
  FillSolidRect(s.dc(), &r, 0x00336699);
  EXPECT_TRUE(s.Exactly(r, 0x00336699, kWhite));
  s.Fill(kWhite);
  FrameSolidRect(s.dc(), &r, 0x00112233);
  EXPECT_TRUE(s.Matches([&](int x, int y) { return Inside(r, x, y) && !Inside(in, x, y) ? 0x00112233 : kWhite; }));
  s.Fill(kWhite);
  DrawRectDcColors(s.dc(), &r, 0x000000FF, 0x0000FF00);
  EXPECT_TRUE(s.Matches([&](int x, int y) { return Inside(in, x, y) ? 0x0000FF00 : Inside(r, x, y) ? 0x000000FF : kWhite; }));
  s.Fill(kWhite);
  DrawRectDcColors(s.dc(), &r, 0x000000FF, CLR_INVALID);  // frame only
  EXPECT_TRUE(s.Matches([&](int x, int y) { return Inside(r, x, y) && !Inside(in, x, y) ? 0x000000FF : kWhite; }));

  // An edge leaves its end points out: top-left in b (first = 0), (1, 1) shared.
  DibSurface e(10, 10);
  const RECT edge{1, 1, 8, 7};
  Draw3dEdge(e.dc(), &edge, 0, 0x000000AA, 0x0000BB00);
  EXPECT_TRUE(e.Matches([](int x, int y) -> COLORREF {
    if ((x == 1 && y >= 1 && y <= 6) || (y == 1 && x >= 1 && x <= 7)) return 0x0000BB00;
    if ((x == 7 && y >= 2 && y <= 6) || (y == 6 && x >= 2 && x <= 6)) return 0x000000AA;
    return kWhite;
  }));
}

TEST(Drawing, ItemFrameStyles) {
  CTheme theme;
  DistinctSlots(theme);
  DibSurface s(24, 16);
  const RECT r{2, 2, 22, 14};
  DrawItemFrame(theme, s.dc(), &r, 5, 0, 0, -1, -1, -1);
  EXPECT_TRUE(s.Exactly(r, theme.slots[51], kWhite));
  DrawItemFrame(theme, s.dc(), &r, 5, 0, 0, 7, -1, -1);
  EXPECT_TRUE(s.Exactly(r, theme.slots[7], kWhite));
  // Style 1: frame in slot 45 around a vertical gradient 41 -> 42.
  theme.slots[42] = theme.slots[41];
  DrawItemFrame(theme, s.dc(), &r, 1, 0, 0, -1, -1, -1);
  EXPECT_EQ(s.Count(theme.slots[45]), 2 * 20 + 2 * 10);
  EXPECT_EQ(s.Count(theme.slots[41]), 18 * 10);

  const struct { int style, slot, top, bottom; std::vector<std::array<int, 3>> probes; /* x, y, slot */ } cases[] = {
      {8, 9, 20, 30, {{2, 2, 9}, {10, 3, 20}}},  // explicit frame and gradient; the top inner row is the top colour
      {4, -1, -1, -1, {{2, 5, 52}, {10, 13, 53}, {10, 8, 51}}},  // light top-left, dark bottom-right, face inside
      {3, -1, -1, -1, {{2, 5, 53}, {21, 5, 52}}},                // the other way round
      {7, -1, -1, -1, {{2, 5, 3}, {21, 5, 2}, {10, 8, 51}}},     // no width: inner fill and an edge
  };
  for (const auto& c : cases) {
    s.Fill(kWhite);
    DrawItemFrame(theme, s.dc(), &r, c.style, 0, 0, c.slot, c.top, c.bottom);
    for (const auto& p : c.probes) EXPECT_EQ(s.At(p[0], p[1]), theme.slots[static_cast<std::size_t>(p[2])]) << c.style;
  }
  s.Fill(kWhite);
  DrawItemFrame(theme, s.dc(), &r, 9, 15, 0, -1, -1, -1);  // unknown style: nothing
  EXPECT_EQ(s.Count(kWhite), 24 * 16);
}

TEST(Drawing, SeparatorSplitterGripAndGlyphs) {
  CTheme theme;
  DistinctSlots(theme);
  DibSurface s(20, 20);
  const RECT wide{2, 4, 12, 6};
  DrawSeparator(theme, s.dc(), &wide);
  EXPECT_TRUE(s.Matches([&](int x, int y) {
    return y == 4 && x >= 2 && x <= 10 ? theme.slots[31] : y == 5 && x >= 3 && x <= 11 ? theme.slots[32] : kWhite;
  }));

  s.Fill(kWhite);
  RECT bar{2, 2, 18, 18};
  DrawSplitter(theme, s.dc(), &bar, nullptr, 0);
  EXPECT_TRUE(bar.top == 3 && bar.bottom == 5);
  EXPECT_TRUE(s.Has({{5, 2, theme.slots[2]}, {5, 5, theme.slots[3]}, {5, 3, theme.slots[30]}}));

  s.Fill(kWhite);
  const RECT grip{0, 0, 16, 16};
  DrawSizeGrip(theme, s.dc(), &grip);
  EXPECT_TRUE(s.Has({{14, 14, theme.slots[27]}, {13, 13, theme.slots[26]}}));  // the darker square over the first
  EXPECT_EQ(s.Count(kWhite), 400 - 6 * 7);

  s.Fill(kWhite);
  const RECT glyph{0, 0, 20, 20};
  DrawTriangleGlyph(theme, s.dc(), 0x0000FF03, 0, &glyph);
  EXPECT_TRUE(s.Has({{10, 10, 0x000000FF}, {1, 1, kWhite}}));
  DrawCheckGlyph(theme, s.dc(), 1, &glyph);
  EXPECT_EQ(s.At(10, 10), theme.slots[4]);
}

TEST(Drawing, TextFormatIsBoundedAndClipped) {
  CTheme theme;
  ASSERT_EQ(ThemeCreateDc(theme), 0);
  ThemeSetUiFont(theme, nullptr, 0, 96);
  DibSurface s(120, 40);
  const RECT r{10, 10, 110, 30};
  EXPECT_EQ(DrawTextFormat(theme, s.dc(), 96, nullptr, 3, &r, 0, 0), kStatusTextMissing);
  EXPECT_EQ(s.Count(kWhite), 120 * 40);

  const std::string longText(5000, 'W');
  EXPECT_EQ(DrawTextFormat(theme, s.dc(), 96, "%s %d", 0x00000003, &r, 0, 0, longText.c_str(), 42), 0u);
  EXPECT_TRUE(s.Matches([&](int x, int y) { return Inside(r, x, y) ? s.At(x, y) : kWhite; }));
  EXPECT_LT(s.Count(kWhite), 120 * 40);

  s.Fill(kWhite);
  EXPECT_EQ(DrawTextFormat(theme, s.dc(), 96, "Down", 0x00000003, &r, 0x101, 1), 0u);
  EXPECT_TRUE(s.Matches([&](int x, int y) { return y == 5 ? kWhite : s.At(x, y); }));
}

// ---- the parent's background, rounded corners and the double buffer --------------

constexpr COLORREF kParentBackground = 0x00646464;
LPARAM gBackgroundPoint = -1;
int gBackgroundCalls = 0;

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != WM_FW_PAINTBACKGROUND) return DefWindowProcA(hwnd, msg, wp, lp);
  ++gBackgroundCalls;
  gBackgroundPoint = lp;
  const RECT all{0, 0, 64, 64};
  FillSolidRect(reinterpret_cast<HDC>(wp), &all, kParentBackground);
  return 0;
}

class ParentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    parent.Reset(MakeWindow(ParentProc, "ThemeTestParent"));
    ASSERT_TRUE(parent);
    // A memory DC has no window of its own: the child at (10, 20) stands in.
    theme.doubleBufferWindow =
        CreateWindowExA(0, "STATIC", "", WS_CHILD, 10, 20, 50, 50, parent.Get(), nullptr, nullptr, nullptr);
    ASSERT_NE(theme.doubleBufferWindow, nullptr);
    ASSERT_EQ(ThemeCreateDc(theme), 0);
    DistinctSlots(theme);
    gBackgroundCalls = 0;
  }
  CWindowHandle parent;
  CTheme theme;
};

TEST_F(ParentTest, RoundedCornerBlendsWithTheParentsBackground) {
  DibSurface s(16, 16);
  const COLORREF fill = 0x00C8C8C8;
  theme.slots[51] = fill;
  const RECT r{0, 0, 16, 16};
  DrawItemFrame(theme, s.dc(), &r, 5, 1 | 8, 0, -1, -1, -1);
  EXPECT_EQ(gBackgroundCalls, 2);
  // Bottom-right square at (13, 13): the parent is asked for its point
  // (13 + 10, 13 + 20 - 3).
  EXPECT_EQ(gBackgroundPoint, static_cast<LPARAM>(23 | (30 << 16)));
  // 100 + (200 - 100) * p / 100 along the top-left pattern's outer pixels;
  // the bottom-left corner was not asked for.
  EXPECT_TRUE(s.Has({{0, 0, 0x00696969}, {1, 0, 0x00828282}, {2, 0, 0x009B9B9B}, {2, 2, fill}, {15, 15, 0x00696969},
                     {0, 15, fill}, {8, 8, fill}}));
}

TEST_F(ParentTest, ParentBackgroundIsClippedToTheRectangle) {
  DibSurface s(16, 16);
  const RECT r{4, 4, 8, 8};
  DrawParentBackground(theme, nullptr, s.dc(), &r);
  EXPECT_EQ(gBackgroundPoint, static_cast<LPARAM>(10 | (20 << 16)));
  EXPECT_TRUE(s.Exactly(r, kParentBackground, kWhite));
  // Style 6 with a width: background over the whole rectangle, then a
  // narrowed gradient frame.
  s.Fill(kWhite);
  const RECT all{0, 0, 16, 16};
  DrawItemFrame(theme, s.dc(), &all, 6, 0, 5, -1, -1, -1);
  EXPECT_TRUE(s.Has({{0, 0, theme.slots[45]}, {4, 8, theme.slots[45]}, {10, 8, kParentBackground}}));
}

TEST_F(ParentTest, DoubleBufferCopiesOnlyAtTheEnd) {
  DibSurface target(8, 8);
  HDC dc = target.dc();
  CMemoryDC buffer;
  ASSERT_TRUE(BeginDoubleBuffer(theme, buffer, &dc, 8, 8));
  EXPECT_NE(dc, target.dc());
  EXPECT_EQ(buffer.targetDc, target.dc());
  const RECT all{0, 0, 8, 8};
  FillSolidRect(dc, &all, 0x00010203);
  EXPECT_EQ(target.At(3, 3), kWhite);
  EndDoubleBuffer(theme, buffer);
  EXPECT_TRUE(target.Exactly(all, 0x00010203, kWhite));
  EXPECT_EQ(theme.doubleBufferWindow, nullptr);
  EXPECT_FALSE(buffer.memoryDc);

  HDC bad = target.dc();
  EXPECT_FALSE(BeginDoubleBuffer(theme, buffer, &bad, 0, 8));
  EXPECT_EQ(bad, target.dc());
}

}  // namespace
