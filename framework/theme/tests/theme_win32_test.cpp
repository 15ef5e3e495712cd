#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/theme/draw.h"
#include "framework/theme/theme.h"

namespace {

constexpr COLORREF kWhite = 0x00FFFFFF;

// A top-down 32-bit DIB section selected into a memory DC, read pixel by pixel.
class DibSurface {
 public:
  DibSurface(int w, int h) : w_(w), h_(h), dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bmp_.Reset(CreateDIBSection(dc_.Get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    bits_ = static_cast<std::uint32_t*>(bits);
    old_ = SelectObject(dc_.Get(), bmp_.Get());
    Fill(kWhite);
  }
  ~DibSurface() { SelectObject(dc_.Get(), old_); }
  HDC dc() const { return dc_.Get(); }
  COLORREF At(int x, int y) const {
    GdiFlush();
    return SwapRedBlue(bits_[y * w_ + x]);
  }
  void Fill(COLORREF c) {
    GdiFlush();
    for (int i = 0; i < w_ * h_; ++i) bits_[i] = SwapRedBlue(c);
  }
  int Count(COLORREF c) const {
    int n = 0;
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x) n += At(x, y) == c;
    return n;
  }
  // Every pixel inside `r` has `inside`, every other one `outside`.
  ::testing::AssertionResult Exactly(const RECT& r, COLORREF inside, COLORREF outside) const {
    for (int y = 0; y < h_; ++y) {
      for (int x = 0; x < w_; ++x) {
        const bool in = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
        const COLORREF want = in ? inside : outside;
        if (At(x, y) != want) {
          return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << std::hex << At(x, y)
                                               << ", expected " << want;
        }
      }
    }
    return ::testing::AssertionSuccess();
  }

 private:
  int w_;
  int h_;
  CMemoryDcHandle dc_;
  CBitmapHandle bmp_;
  HGDIOBJ old_ = nullptr;
  std::uint32_t* bits_ = nullptr;
};

void DistinctSlots(CTheme& theme) {
  for (int i = 0; i < kColourSlotCount; ++i) {
    theme.slots[static_cast<std::size_t>(i)] = MakeColorRef(static_cast<std::uint8_t>(10 + i * 4), 0x40,
                                                            static_cast<std::uint8_t>(200 - i * 3));
  }
}

// ---- test icons --------------------------------------------------------------

// 16 x 16 icon: colour pixels given as COLORREF, mask bit set = transparent.
HICON MakeIcon(const std::vector<COLORREF>& colours, const std::vector<bool>& transparent) {
  std::vector<std::uint32_t> bgra(256);
  for (int i = 0; i < 256; ++i) bgra[static_cast<std::size_t>(i)] = SwapRedBlue(colours[static_cast<std::size_t>(i)]);
  std::vector<std::uint8_t> mask(32, 0);  // 2 bytes per row, most significant bit first
  for (int i = 0; i < 256; ++i) {
    if (transparent[static_cast<std::size_t>(i)]) mask[static_cast<std::size_t>(i / 8)] |= static_cast<std::uint8_t>(0x80 >> (i % 8));
  }
  CBitmapHandle colour(CreateBitmap(16, 16, 1, 32, bgra.data()));
  CBitmapHandle maskBmp(CreateBitmap(16, 16, 1, 1, mask.data()));
  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmColor = colour.Get();
  info.hbmMask = maskBmp.Get();
  return CreateIconIndirect(&info);
}

std::vector<COLORREF> IconColours(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return {};
  CBitmapHandle colour(info.hbmColor);
  CBitmapHandle mask(info.hbmMask);
  std::vector<std::uint32_t> px(256);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = 16;
  bi.bmiHeader.biHeight = -16;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  CWindowDC screen(nullptr);
  GetDIBits(screen.Get(), colour.Get(), 0, 16, px.data(), &bi, DIB_RGB_COLORS);
  std::vector<COLORREF> out;
  for (std::uint32_t p : px) out.push_back(SwapRedBlue(p));
  return out;
}

HICON gIconHalfBlack = nullptr;
HICON gIconTransparent = nullptr;

HICON TestLoader(HINSTANCE, std::uintptr_t source, int) {
  switch (source) {
    case 1: return gIconHalfBlack;
    case 2: return gIconTransparent;
    default: return nullptr;
  }
}

class IconTest : public ::testing::Test {
 protected:
  static constexpr COLORREF kLight = 0x00C08040;
  static constexpr COLORREF kDark = 0x00201008;

  static void SetUpTestSuite() {
    std::vector<COLORREF> colours(256);
    for (int i = 0; i < 256; ++i) colours[static_cast<std::size_t>(i)] = (i % 16) < 8 ? 0x000000 : kWhite;
    gIconHalfBlack = MakeIcon(colours, std::vector<bool>(256, false));
    gIconTransparent = MakeIcon(std::vector<COLORREF>(256, 0x00123456), std::vector<bool>(256, true));
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
  int pos = -1;
  ASSERT_EQ(ThemeAddIcon(theme, 0xF120, 1, 0, 0, &pos), 0u);
  EXPECT_EQ(pos, 0);
  ASSERT_EQ(ThemeAddIcon(theme, 0xF110, 1, 0, 0, &pos), 0u);
  EXPECT_EQ(pos, 0);
  int pair[2] = {20, 24};
  ASSERT_EQ(ThemeAddIcon(theme, 0xF134, reinterpret_cast<std::uintptr_t>(pair), kIconOwnerDrawn, 0, &pos), 0u);
  EXPECT_EQ(pos, 2);
  ASSERT_EQ(ThemeAddIcon(theme, 0xF120, 2, 0, 0, &pos), 0u);
  EXPECT_EQ(pos, 1);  // before the existing 0xF120
  EXPECT_EQ(theme.icons[1].source, 2u);
  EXPECT_EQ(theme.icons[2].source, 1u);

  // A failed load is reported with its code and adds nothing.
  pos = 12345;
  EXPECT_EQ(ThemeAddIcon(theme, 0xF100, 99, 0, 0, &pos), kThemeIconNotLoaded);
  EXPECT_EQ(pos, 12345);
  EXPECT_EQ(theme.icons.size(), 4u);

  const IconRecord& owner = theme.icons[3];
  EXPECT_EQ(owner.cx, 20);
  EXPECT_EQ(owner.cy, 24);
  EXPECT_EQ(owner.icon, nullptr);
  EXPECT_FALSE(owner.tinted);
  EXPECT_EQ(theme.icons[0].cx, 16);
  EXPECT_EQ(theme.icons[0].cy, 16);
  EXPECT_EQ(ThemeFindIcon(theme, 0xF134), 3);
  EXPECT_EQ(ThemeFindIcon(theme, 0xABCDF110), 0);
  EXPECT_EQ(ThemeFindIcon(theme, 0xF111), -1);
}

TEST_F(IconTest, TintFollowsLightAndDarkSlots) {
  ASSERT_EQ(ThemeAddIcon(theme, 0xF110, 1, 0, 0, nullptr), 0u);
  ASSERT_TRUE(theme.icons[0].tinted);
  const auto px = IconColours(theme.icons[0].tinted.Get());
  ASSERT_EQ(px.size(), 256u);
  for (int i = 0; i < 256; ++i) {
    ASSERT_EQ(px[static_cast<std::size_t>(i)], (i % 16) < 8 ? kDark : kLight) << "pixel " << i;
  }
  // The icon as loaded is untouched.
  EXPECT_EQ(IconColours(gIconHalfBlack)[0], 0u);

  // Drawn: state 0 the tinted copy, state 1 the icon as loaded.
  DibSurface s(16, 16);
  const RECT r{0, 0, 16, 16};
  ASSERT_EQ(DrawThemeIcon(theme, s.dc(), 0xF110, 0, &r), 0u);
  EXPECT_EQ(s.At(0, 0), kDark);
  EXPECT_EQ(s.At(15, 15), kLight);
  ASSERT_EQ(DrawThemeIcon(theme, s.dc(), 0xF110, 1, &r), 0u);
  EXPECT_EQ(s.At(0, 0), 0x000000u);
  EXPECT_EQ(s.At(15, 15), kWhite);
  EXPECT_EQ(DrawThemeIcon(theme, s.dc(), 0xF999, 0, &r), kThemeIconUnknown);

  // A new scheme reaches the tinted copies only through a reload.
  theme.slots[3] = 0x00000030;
  ASSERT_EQ(ThemeReloadIcons(theme), 0);
  EXPECT_EQ(IconColours(theme.icons[0].tinted.Get())[0], 0x00000030u);
}

TEST_F(IconTest, FullyTransparentIconKeepsItsColours) {
  ASSERT_EQ(ThemeAddIcon(theme, 0xF110, 2, 0, 0, nullptr), 0u);
  ASSERT_TRUE(theme.icons[0].tinted);
  const auto px = IconColours(theme.icons[0].tinted.Get());
  ASSERT_EQ(px.size(), 256u);
  for (COLORREF c : px) ASSERT_EQ(c, 0x00123456u);
}

TEST_F(IconTest, NearWhitePixelIsLimitedNotWrapped) {
  std::vector<COLORREF> colours(256, 0x000000);
  colours[0] = 0x00FAFAFA;
  HICON icon = MakeIcon(colours, std::vector<bool>(256, false));
  ASSERT_NE(icon, nullptr);
  CIconHandle tinted;
  int cx = 0;
  int cy = 0;
  ASSERT_EQ(CreateTintedIcon(icon, kWhite, 0x000000, &cx, &cy, &tinted), 0u);
  EXPECT_EQ(cx, 16);
  EXPECT_EQ(cy, 16);
  const auto px = IconColours(tinted.Get());
  // Top-down row 0 is the bottom-up DIB's last row; the near-white pixel
  // sits at (0, 0) either way round.
  ASSERT_EQ(px.size(), 256u);
  EXPECT_EQ(px[0], kWhite);
  EXPECT_EQ(CreateTintedIcon(nullptr, 0, 0, &cx, &cy, &tinted), kThemeIconNotLoaded);
  EXPECT_FALSE(tinted);
  DestroyIcon(icon);
}

// ---- owner-drawn icons ----------------------------------------------------------

HWND gOwnerWindow = nullptr;
DrawIconRequest gLastRequest{};

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_FW_DRAWICON) {
    gLastRequest = *reinterpret_cast<const DrawIconRequest*>(lp);
    return 77;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

TEST_F(IconTest, OwnerDrawnIconAsksTheFirstFrameWindow) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = OwnerProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "ThemeTestOwner";
  RegisterClassA(&wc);
  gOwnerWindow = CreateWindowExA(0, "ThemeTestOwner", "", 0, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(gOwnerWindow, nullptr);
  theme.firstFrameWindow = [] { return gOwnerWindow; };
  int pair[2] = {16, 16};
  ASSERT_EQ(ThemeAddIcon(theme, 0xF135, reinterpret_cast<std::uintptr_t>(pair), kIconOwnerDrawn, 0, nullptr), 0u);
  DibSurface s(4, 4);
  const RECT r{1, 2, 3, 4};
  EXPECT_EQ(DrawThemeIcon(theme, s.dc(), 0x7777F135, 0, &r), 77u);
  EXPECT_EQ(gLastRequest.id, 0xF135);
  EXPECT_EQ(gLastRequest.rect.left, 1);
  EXPECT_EQ(gLastRequest.rect.bottom, 4);
  DestroyWindow(gOwnerWindow);
}

// ---- colours and fonts ----------------------------------------------------------

TEST(ThemeColours, ClassicAndAutomaticModes) {
  CTheme theme;
  SchemeSettings scheme;
  scheme.mode = 0;
  EXPECT_EQ(ThemeComputeColors(theme, scheme), 0);
  EXPECT_EQ(theme.slots[0], GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(theme.slots[3], GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(theme.slots[6], GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(theme.slots[57], GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(theme.slots[45], GetSysColor(COLOR_ACTIVECAPTION));
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
  for (int set = 0; set < kFontSetCount; ++set) {
    ASSERT_EQ(theme.fontSets[static_cast<std::size_t>(set)].size(), 1u) << set;
    const FontRecord& r = theme.fontSets[static_cast<std::size_t>(set)][0];
    EXPECT_EQ(r.dpi, 144);
    EXPECT_TRUE(r.font);
    EXPECT_GT(r.lineHeight, 0);
  }
  EXPECT_STREQ(theme.fontSets[3][0].face, "Courier New");
  EXPECT_STREQ(theme.fontSets[4][0].face, "Tahoma");
  EXPECT_EQ(theme.fontSets[4][0].size, 14);
  EXPECT_EQ(theme.fontSets[0][0].size, 12);
  EXPECT_STREQ(theme.uiFace, "Tahoma");

  // An existing DPI is never replaced, whatever else differs.
  EXPECT_EQ(ThemeAddFont(theme, 4, "Arial", 30, 400, 0, 144, 0), 0);
  EXPECT_STREQ(theme.fontSets[4][0].face, "Tahoma");
  EXPECT_EQ(ThemeAddFont(theme, 7, "Arial", 30, 400, 0, 144, 0), -1);

  // Line height for an unknown DPI comes from the first record; nothing is made.
  EXPECT_EQ(ThemeLineHeight(theme, 300), theme.fontSets[4][0].lineHeight);
  EXPECT_EQ(ThemeSpaceWidth(theme, 300), theme.fontSets[4][0].spaceWidth);
  EXPECT_EQ(theme.fontSets[4].size(), 1u);

  // A new DPI copies the set's first record, larger at the higher DPI.
  HFONT f = ThemeGetFont(theme, 4, 288);
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(theme.fontSets[4].size(), 2u);
  EXPECT_STREQ(theme.fontSets[4][1].face, "Tahoma");
  EXPECT_GT(theme.fontSets[4][1].lineHeight, theme.fontSets[4][0].lineHeight);
  EXPECT_EQ(ThemeGetFont(theme, 4, 288), f);

  int w = -1;
  int h = -1;
  EXPECT_EQ(MeasureTextThemeFont(theme, "Hello", &w, &h, 0, 144), 0u);
  EXPECT_GT(w, 0);
  EXPECT_EQ(h, theme.fontSets[4][0].lineHeight);
  int wb = 0;
  EXPECT_EQ(MeasureTextThemeFont(theme, "Hello", &wb, &h, 1, 144), 0u);
  EXPECT_GE(wb, w);
  EXPECT_EQ(MeasureText(theme, nullptr, &w, &h, f), kThemeTextMissing);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 0);
}

TEST(ThemeFonts, EmptyThemeBuildsDefaultSetsAtDesktopDpi) {
  CTheme theme;
  theme.windowDpi = [](HWND) { return 120; };
  ASSERT_EQ(ThemeCreateDc(theme), 0);
  ASSERT_NE(ThemeGetFont(theme, 2, 120), nullptr);
  for (int set = 0; set < kFontSetCount; ++set) {
    ASSERT_EQ(theme.fontSets[static_cast<std::size_t>(set)].size(), 1u) << set;
    EXPECT_EQ(theme.fontSets[static_cast<std::size_t>(set)][0].dpi, 120);
    EXPECT_EQ(theme.fontSets[static_cast<std::size_t>(set)][0].size, 12);
  }
  EXPECT_STREQ(theme.fontSets[6][0].face, theme.defaultFace);
}

// ---- fills, frames and edges ------------------------------------------------------

TEST(Drawing, FillAndFrameExactPixels) {
  DibSurface s(20, 12);
  const RECT r{3, 2, 15, 9};
  FillSolidRect(s.dc(), &r, 0x00336699);
  EXPECT_TRUE(s.Exactly(r, 0x00336699, kWhite));

  s.Fill(kWhite);
  FrameSolidRect(s.dc(), &r, 0x00112233);
  const RECT in{4, 3, 14, 8};
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 20; ++x) {
      const bool onFrame = x >= r.left && x < r.right && y >= r.top && y < r.bottom &&
                           !(x >= in.left && x < in.right && y >= in.top && y < in.bottom);
      ASSERT_EQ(s.At(x, y), onFrame ? 0x00112233u : kWhite) << x << "," << y;
    }
  }

  s.Fill(kWhite);
  DrawRectDcColors(s.dc(), &r, 0x000000FF, 0x0000FF00);
  EXPECT_EQ(s.At(3, 2), 0x000000FFu);
  EXPECT_EQ(s.At(14, 8), 0x000000FFu);
  EXPECT_EQ(s.At(8, 5), 0x0000FF00u);
  s.Fill(kWhite);
  DrawRectDcColors(s.dc(), &r, 0x000000FF, CLR_INVALID);
  EXPECT_EQ(s.At(8, 5), kWhite);
  EXPECT_EQ(s.At(3, 5), 0x000000FFu);
}

TEST(Drawing, EdgeLinesLeaveEndPointsOut) {
  DibSurface s(10, 10);
  const RECT r{1, 1, 8, 7};
  Draw3dEdge(s.dc(), &r, 0, 0x000000AA, 0x0000BB00);  // first = 0: top-left in b
  EXPECT_EQ(s.At(1, 6), 0x0000BB00u);
  EXPECT_EQ(s.At(7, 1), 0x0000BB00u);
  EXPECT_EQ(s.At(7, 2), 0x000000AAu);
  EXPECT_EQ(s.At(7, 6), 0x000000AAu);
  EXPECT_EQ(s.At(2, 6), 0x000000AAu);
  EXPECT_EQ(s.At(8, 1), kWhite);
  EXPECT_EQ(s.Count(0x0000BB00u), 6 + 7 - 1);  // (1, 1) is shared
  EXPECT_EQ(s.Count(0x000000AAu), 5 + 5);
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

  // Style 8: explicit frame and gradient slots; the top inner row is the top colour.
  DrawItemFrame(theme, s.dc(), &r, 8, 0, 0, 9, 20, 30);
  EXPECT_EQ(s.At(2, 2), theme.slots[9]);
  EXPECT_EQ(s.At(10, 3), theme.slots[20]);

  // Style 4, default slot: light top-left, dark bottom-right, face inside;
  // style 3 the other way round.
  DrawItemFrame(theme, s.dc(), &r, 4, 0, 0, -1, -1, -1);
  EXPECT_EQ(s.At(2, 5), theme.slots[52]);
  EXPECT_EQ(s.At(10, 13), theme.slots[53]);
  EXPECT_EQ(s.At(10, 8), theme.slots[51]);
  DrawItemFrame(theme, s.dc(), &r, 3, 0, 0, -1, -1, -1);
  EXPECT_EQ(s.At(2, 5), theme.slots[53]);
  EXPECT_EQ(s.At(21, 5), theme.slots[52]);

  // Style 7 without width: inner fill and an edge from slots 2 and 3.
  s.Fill(kWhite);
  DrawItemFrame(theme, s.dc(), &r, 7, 0, 0, -1, -1, -1);
  EXPECT_EQ(s.At(2, 5), theme.slots[3]);
  EXPECT_EQ(s.At(21, 5), theme.slots[2]);
  EXPECT_EQ(s.At(10, 8), theme.slots[51]);

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
  EXPECT_EQ(s.Count(theme.slots[31]), 9);  // (2..10, 4)
  EXPECT_EQ(s.At(11, 4), kWhite);
  EXPECT_EQ(s.Count(theme.slots[32]), 9);  // (3..11, 5)
  EXPECT_EQ(s.At(2, 5), kWhite);

  s.Fill(kWhite);
  RECT bar{2, 2, 18, 18};
  DrawSplitter(theme, s.dc(), &bar, nullptr, 0);
  EXPECT_EQ(bar.top, 3);
  EXPECT_EQ(bar.bottom, 5);
  EXPECT_EQ(s.At(5, 2), theme.slots[2]);
  EXPECT_EQ(s.At(5, 5), theme.slots[3]);
  EXPECT_EQ(s.At(5, 3), theme.slots[30]);

  s.Fill(kWhite);
  const RECT grip{0, 0, 16, 16};
  DrawSizeGrip(theme, s.dc(), &grip);
  EXPECT_EQ(s.At(14, 14), theme.slots[27]);
  EXPECT_EQ(s.At(13, 13), theme.slots[26]);  // the darker square is drawn over the first
  EXPECT_EQ(s.Count(kWhite), 400 - 6 * 7);

  s.Fill(kWhite);
  const RECT glyph{0, 0, 20, 20};
  DrawTriangleGlyph(theme, s.dc(), 0x0000FF03, 0, &glyph);
  EXPECT_EQ(s.At(10, 10), 0x000000FFu);
  EXPECT_EQ(s.At(1, 1), kWhite);
  DrawCheckGlyph(theme, s.dc(), 1, &glyph);
  EXPECT_EQ(s.At(10, 10), theme.slots[4]);
}

// ---- text -----------------------------------------------------------------------

TEST(Drawing, TextFormatIsBoundedAndClipped) {
  CTheme theme;
  ASSERT_EQ(ThemeCreateDc(theme), 0);
  ThemeSetUiFont(theme, nullptr, 0, 96);
  DibSurface s(120, 40);
  const RECT r{10, 10, 110, 30};
  EXPECT_EQ(DrawTextFormat(theme, s.dc(), 96, nullptr, 3, &r, 0, 0), kThemeTextMissing);
  EXPECT_EQ(s.Count(kWhite), 120 * 40);

  const std::string longText(5000, 'W');
  EXPECT_EQ(DrawTextFormat(theme, s.dc(), 96, "%s %d", 0x00000003, &r, 0, 0, longText.c_str(), 42), 0u);
  int inside = 0;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 120; ++x) {
      const bool in = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
      if (!in) ASSERT_EQ(s.At(x, y), kWhite) << x << "," << y;
      else inside += s.At(x, y) != kWhite;
    }
  }
  EXPECT_GT(inside, 0);

  s.Fill(kWhite);
  EXPECT_EQ(DrawTextFormat(theme, s.dc(), 96, "Down", 0x00000003, &r, 0x101, 1), 0u);
  for (int x = 0; x < 120; ++x) ASSERT_EQ(s.At(x, 5), kWhite);
}

// ---- double buffer and the parent's background ------------------------------------------

constexpr COLORREF kParentBackground = 0x00646464;
LPARAM gBackgroundPoint = -1;
int gBackgroundCalls = 0;

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_FW_PAINTBACKGROUND) {
    ++gBackgroundCalls;
    gBackgroundPoint = lp;
    const RECT all{0, 0, 64, 64};
    FillSolidRect(reinterpret_cast<HDC>(wp), &all, kParentBackground);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

class ParentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ThemeTestParent";
    RegisterClassA(&wc);
    parent = CreateWindowExA(0, "ThemeTestParent", "", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr, wc.hInstance,
                             nullptr);
    ASSERT_NE(parent, nullptr);
    child = CreateWindowExA(0, "STATIC", "", WS_CHILD, 10, 20, 50, 50, parent, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(child, nullptr);
    ASSERT_EQ(ThemeCreateDc(theme), 0);
    DistinctSlots(theme);
    gBackgroundCalls = 0;
  }
  void TearDown() override {
    DestroyWindow(parent);
  }
  HWND parent = nullptr;
  HWND child = nullptr;
  CTheme theme;
};

TEST_F(ParentTest, RoundedCornerBlendsWithTheParentsBackground) {
  DibSurface s(16, 16);
  theme.doubleBufferWindow = child;  // a memory DC has no window of its own
  const COLORREF fill = 0x00C8C8C8;
  theme.slots[51] = fill;
  const RECT r{0, 0, 16, 16};
  DrawItemFrame(theme, s.dc(), &r, 5, 1 | 8, 0, -1, -1, -1);
  EXPECT_EQ(gBackgroundCalls, 2);
  // Bottom-right square at (13, 13): the parent is asked for its point
  // (13 + 10, 13 + 20 - 3).
  EXPECT_EQ(gBackgroundPoint, static_cast<LPARAM>(23 | (30 << 16)));
  // 100 + (200 - 100) * p / 100 along the top-left pattern's outer pixels.
  EXPECT_EQ(s.At(0, 0), 0x00696969u);
  EXPECT_EQ(s.At(1, 0), 0x00828282u);
  EXPECT_EQ(s.At(2, 0), 0x009B9B9Bu);
  EXPECT_EQ(s.At(2, 2), fill);
  EXPECT_EQ(s.At(15, 15), 0x00696969u);
  EXPECT_EQ(s.At(0, 15), fill);  // bottom-left not asked for
  EXPECT_EQ(s.At(8, 8), fill);
}

TEST_F(ParentTest, ParentBackgroundIsClippedToTheRectangle) {
  DibSurface s(16, 16);
  theme.doubleBufferWindow = child;
  const RECT r{4, 4, 8, 8};
  DrawParentBackground(theme, nullptr, s.dc(), &r);
  EXPECT_EQ(gBackgroundPoint, static_cast<LPARAM>(10 | (20 << 16)));
  EXPECT_TRUE(s.Exactly(r, kParentBackground, kWhite));
  // Style 6 with a width: background over the whole rectangle, then a
  // narrowed gradient frame.
  s.Fill(kWhite);
  const RECT all{0, 0, 16, 16};
  DrawItemFrame(theme, s.dc(), &all, 6, 0, 5, -1, -1, -1);
  EXPECT_EQ(s.At(0, 0), theme.slots[45]);
  EXPECT_EQ(s.At(4, 8), theme.slots[45]);
  EXPECT_EQ(s.At(10, 8), kParentBackground);
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
