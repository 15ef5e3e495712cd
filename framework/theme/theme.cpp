#include "framework/theme/theme.h"

#include <cstring>
#include <memory>
#include <new>

#include "framework/theme/draw.h"

static_assert(static_cast<int>(SysColour::kActiveCaption) == COLOR_ACTIVECAPTION);
static_assert(static_cast<int>(SysColour::kInactiveCaption) == COLOR_INACTIVECAPTION);
static_assert(static_cast<int>(SysColour::kMenu) == COLOR_MENU);
static_assert(static_cast<int>(SysColour::kWindow) == COLOR_WINDOW);
static_assert(static_cast<int>(SysColour::kMenuText) == COLOR_MENUTEXT);
static_assert(static_cast<int>(SysColour::kHighlight) == COLOR_HIGHLIGHT);
static_assert(static_cast<int>(SysColour::kHighlightText) == COLOR_HIGHLIGHTTEXT);
static_assert(static_cast<int>(SysColour::kBtnFace) == COLOR_BTNFACE);
static_assert(static_cast<int>(SysColour::kBtnShadow) == COLOR_BTNSHADOW);
static_assert(static_cast<int>(SysColour::kGrayText) == COLOR_GRAYTEXT);
static_assert(static_cast<int>(SysColour::kBtnHighlight) == COLOR_BTNHIGHLIGHT);
static_assert(static_cast<int>(SysColour::k3dLight) == COLOR_3DLIGHT);
static_assert(static_cast<int>(SysColour::kGradientActiveCaption) == COLOR_GRADIENTACTIVECAPTION);
static_assert(static_cast<int>(SysColour::kGradientInactiveCaption) == COLOR_GRADIENTINACTIVECAPTION);
static_assert(kSysColourCount == COLOR_MENUBAR + 1);
// The metrics block the face names are read from (with the padded border).
static_assert(sizeof(NONCLIENTMETRICSA) == 344);

namespace {

constexpr int kDefaultDpi = 96;

void CopyFace(char (&dst)[kFaceNameSize], const char* src) noexcept {
  if (!src) src = "";
  // Copy through a temporary: the source may be the destination itself.
  char tmp[kFaceNameSize];
  std::strncpy(tmp, src, kFaceNameSize - 1);
  tmp[kFaceNameSize - 1] = '\0';
  std::memcpy(dst, tmp, kFaceNameSize);
}

HICON LoadSharedIcon(HINSTANCE instance, std::uintptr_t source, int size) {
  return static_cast<HICON>(
      LoadImageA(instance, MAKEINTRESOURCEA(static_cast<WORD>(source)), IMAGE_ICON, size, size, LR_SHARED));
}

int DeviceCapsDpi(HWND window) {
  CDcHandle dc(window);
  const int dpi = dc.Get() ? GetDeviceCaps(dc.Get(), LOGPIXELSX) : 0;
  return dpi > 0 ? dpi : kDefaultDpi;
}

const char* FaceFor(const CTheme& theme, FontFace face, const char* uiFace) {
  switch (face) {
    case FontFace::kFixed: return kFixedFontFace;
    case FontFace::kUi: return uiFace;
    default: return theme.defaultFace;
  }
}

// The scratch DC when there is one; a screen-compatible DC otherwise.
class MeasureDc {
 public:
  explicit MeasureDc(const CTheme& theme) : dc_(theme.scratchDc.Get()) {
    if (!dc_) {
      own_.Reset(CreateCompatibleDC(nullptr));
      dc_ = own_.Get();
    }
  }
  [[nodiscard]] HDC get() const noexcept { return dc_; }

 private:
  CMemoryDcHandle own_;
  HDC dc_;
};

const FontRecord* FindFontRecord(const std::vector<FontRecord>& set, int dpi) {
  for (const FontRecord& r : set) {
    if (r.dpi == dpi) return &r;
  }
  return nullptr;
}

void BuildDefaultFontSets(CTheme& theme) {
  const int dpi = theme.windowDpi ? theme.windowDpi(GetDesktopWindow()) : DeviceCapsDpi(GetDesktopWindow());
  CopyFace(theme.uiFace, theme.defaultFace);
  for (int set = 0; set < kFontSetCount; ++set) {
    const FontSetParams& fontSet = kFontSets[static_cast<std::size_t>(set)];
    ThemeAddFont(theme, set, FaceFor(theme, fontSet.face, theme.defaultFace), kDefaultFontSize, fontSet.weight,
                 fontSet.escapement, dpi, fontSet.pitchAndFamily);
  }
}

// Visual-style colours through UxTheme, looked up at run time because the
// library or its functions may be missing. Returns true when they were read.
bool ReadStyledColours(SchemeBase& base, SchemeInputs& inputs) {
  using IsThemeActiveFn = BOOL(WINAPI*)();
  using OpenThemeDataFn = HANDLE(WINAPI*)(HWND, LPCWSTR);
  using GetThemeSysColorFn = COLORREF(WINAPI*)(HANDLE, int);
  using CloseThemeDataFn = HRESULT(WINAPI*)(HANDLE);
  CModuleHandle lib(LoadLibraryA("UxTheme.dll"));
  if (!lib) return false;
  const auto isActive = reinterpret_cast<IsThemeActiveFn>(GetProcAddress(lib.Get(), "IsThemeActive"));
  const auto open = reinterpret_cast<OpenThemeDataFn>(GetProcAddress(lib.Get(), "OpenThemeData"));
  const auto sysColor = reinterpret_cast<GetThemeSysColorFn>(GetProcAddress(lib.Get(), "GetThemeSysColor"));
  const auto close = reinterpret_cast<CloseThemeDataFn>(GetProcAddress(lib.Get(), "CloseThemeData"));
  if (!isActive || !open || !sysColor || !isActive()) return false;
  HANDLE data = open(nullptr, L"WINDOW");
  if (!data) return false;
  base.activeCaption = sysColor(data, COLOR_ACTIVECAPTION);
  base.inactiveCaption = sysColor(data, COLOR_INACTIVECAPTION);
  base.highlight = sysColor(data, COLOR_HIGHLIGHT);
  base.menuText = sysColor(data, COLOR_MENUTEXT);
  base.highlightText = sysColor(data, COLOR_HIGHLIGHTTEXT);
  inputs.gradientActive = sysColor(data, COLOR_GRADIENTACTIVECAPTION);
  inputs.gradientInactive = sysColor(data, COLOR_GRADIENTINACTIVECAPTION);
  inputs.gradient = true;
  inputs.styled = true;
  if (close) close(data);
  return true;
}

std::unique_ptr<std::uint8_t[]> AllocPixels(std::size_t bytes) {
  return std::unique_ptr<std::uint8_t[]>(new (std::nothrow) std::uint8_t[bytes]);
}

// A 32-bit DIB's header; a negative height makes it top-down.
BITMAPINFO Dib32(int cx, int cy) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = cx;
  bi.bmiHeader.biHeight = cy;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  return bi;
}

}  // namespace

CTheme::CTheme() noexcept { ThemeInit(*this); }

CTheme::~CTheme() { ThemeFree(*this); }

void ThemeInit(CTheme& theme) {
  ThemeFree(theme);
  theme.slots.fill(0);
  theme.doubleBufferWindow = nullptr;
  theme.defaultFace[0] = '\0';
  theme.uiFace[0] = '\0';
  theme.base = SchemeBase{};
  if (!theme.instance) theme.instance = GetModuleHandleA(nullptr);
  if (!theme.loadIcon) theme.loadIcon = LoadSharedIcon;
}

int ThemeCreateDc(CTheme& theme) {
  if (!theme.scratchDc) {
    theme.scratchDc.Reset(CreateCompatibleDC(nullptr));
    if (!theme.scratchDc) return 1;
    theme.scratchInfo = Dib32(kScratchSize, -kScratchSize);
    void* bits = nullptr;
    theme.scratchBitmap.Reset(
        CreateDIBSection(theme.scratchDc.Get(), &theme.scratchInfo, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!theme.scratchBitmap || !bits) {
      theme.scratchBitmap.Reset();
      theme.scratchDc.Reset();
      return 1;
    }
    theme.scratchPixels = static_cast<std::uint32_t*>(bits);
    theme.scratchPrevious = SelectObject(theme.scratchDc.Get(), theme.scratchBitmap.Get());
  }
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof(metrics);
  const bool gotMetrics = SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0) != 0;
  if (gotMetrics && metrics.lfMessageFont.lfFaceName[0] != '\0') {
    CopyFace(theme.defaultFace, metrics.lfMenuFont.lfFaceName);
  } else {
    CopyFace(theme.defaultFace, "MS Shell Dlg");
  }
  CopyFace(theme.uiFace, theme.defaultFace);
  return 0;
}

int ThemeComputeColors(CTheme& theme, SchemeSettings& scheme) {
  SchemeInputs inputs;
  ReadStyledColours(theme.base, inputs);
  SystemColours sys{};
  for (int i = 0; i < kSysColourCount; ++i) sys[static_cast<std::size_t>(i)] = GetSysColor(i);
  if (theme.base.activeCaption == 0) {
    BOOL gradient = FALSE;
    if (!SystemParametersInfoA(SPI_GETGRADIENTCAPTIONS, 0, &gradient, 0)) gradient = FALSE;
    inputs.gradient = gradient != FALSE;
    BaseFromSystemColours(theme.base, sys);
    if (inputs.gradient) {
      inputs.gradientActive = SysColourOf(sys, SysColour::kGradientActiveCaption);
      inputs.gradientInactive = SysColourOf(sys, SysColour::kGradientInactiveCaption);
    }
  }
  ComputeScheme(theme.base, inputs, scheme, sys, theme.slots);
  return 0;
}

int ThemeAddFont(CTheme& theme, int set, const char* face, int size, int weight, int escapement, int dpi,
                 int pitchAndFamily) {
  if (set < 0 || set >= kFontSetCount) return -1;
  std::vector<FontRecord>& records = theme.fontSets[static_cast<std::size_t>(set)];
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (records[i].dpi == dpi) return static_cast<int>(i);
  }
  FontRecord record;
  record.dpi = dpi;
  record.size = size;
  record.weight = weight;
  record.escapement = escapement;
  record.pitchAndFamily = pitchAndFamily;
  CopyFace(record.face, face);
  record.font.Reset(CreateFontA(-MulDiv(size, dpi, 96), 0, escapement, escapement, weight, FALSE, FALSE, FALSE,
                                DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                static_cast<DWORD>(pitchAndFamily), record.face));
  if (!record.font) return -1;
  MeasureDc dc(theme);
  if (dc.get()) {
    CSelectObject select(dc.get(), record.font.Get());
    RECT r{};
    DrawTextA(dc.get(), "Ag", -1, &r, DT_NOPREFIX | DT_CALCRECT | DT_NOCLIP);
    record.lineHeight = r.bottom;
    r = RECT{};
    DrawTextA(dc.get(), " ", -1, &r, DT_NOPREFIX | DT_CALCRECT | DT_NOCLIP);
    record.spaceWidth = r.right;
  }
  try {
    records.push_back(std::move(record));
  } catch (const std::bad_alloc&) {
    return -1;
  }
  return static_cast<int>(records.size() - 1);
}

void ThemeSetUiFont(CTheme& theme, const char* face, int size, int dpi) {
  if (!face || face[0] == '\0') {
    face = theme.defaultFace;
    size = kDefaultFontSize;
  }
  CopyFace(theme.uiFace, face);
  for (int set = 0; set < kFontSetCount; ++set) {
    const FontSetParams& fontSet = kFontSets[static_cast<std::size_t>(set)];
    const int setSize = fontSet.face == FontFace::kUi ? size : kDefaultFontSize;
    ThemeAddFont(theme, set, FaceFor(theme, fontSet.face, theme.uiFace), setSize, fontSet.weight, fontSet.escapement, dpi,
                 fontSet.pitchAndFamily);
  }
}

HFONT ThemeGetFont(CTheme& theme, int set, int dpi) {
  if (set < 0 || set >= kFontSetCount) return nullptr;
  if (theme.fontSets[0].empty()) BuildDefaultFontSets(theme);
  const std::vector<FontRecord>& records = theme.fontSets[static_cast<std::size_t>(set)];
  if (const FontRecord* r = FindFontRecord(records, dpi)) return r->font.Get();
  if (records.empty()) return nullptr;
  // Copy the parameters: adding may move the records.
  const FontRecord& first = records.front();
  char face[kFaceNameSize];
  std::memcpy(face, first.face, sizeof(face));
  const int index =
      ThemeAddFont(theme, set, face, first.size, first.weight, first.escapement, dpi, first.pitchAndFamily);
  return index < 0 ? nullptr : records[static_cast<std::size_t>(index)].font.Get();
}

int ThemeLineHeight(const CTheme& theme, int dpi) {
  const std::vector<FontRecord>& records = theme.fontSets[4];
  if (const FontRecord* r = FindFontRecord(records, dpi)) return r->lineHeight;
  return records.empty() ? 0 : records.front().lineHeight;
}

int ThemeSpaceWidth(const CTheme& theme, int dpi) {
  const std::vector<FontRecord>& records = theme.fontSets[4];
  if (const FontRecord* r = FindFontRecord(records, dpi)) return r->spaceWidth;
  return records.empty() ? 0 : records.front().spaceWidth;
}

std::uint32_t MeasureTextThemeFont(CTheme& theme, const char* text, int* width, int* height, int bold, int dpi) {
  return MeasureText(theme, text, width, height, ThemeGetFont(theme, bold ? 5 : 4, dpi));
}

std::uint32_t CreateTintedIcon(HICON icon, ColorRef light, ColorRef dark, int* cx, int* cy, CIconHandle* tinted) {
  if (tinted) tinted->Reset();
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return kStatusIconNotLoaded;
  // GetIconInfo hands over fresh bitmaps: owned from here on every path.
  CBitmapHandle colour(info.hbmColor);
  CBitmapHandle mask(info.hbmMask);
  int width = 0;
  int height = 0;
  BITMAP bm{};
  if (colour && GetObjectA(colour.Get(), sizeof(bm), &bm)) {
    width = bm.bmWidth;
    height = bm.bmHeight;
  } else if (!colour && mask && GetObjectA(mask.Get(), sizeof(bm), &bm)) {
    // A monochrome icon: mask and image stacked in one bitmap.
    width = bm.bmWidth;
    height = bm.bmHeight / 2;
  }
  if (cx) *cx = width;
  if (cy) *cy = height;

  if (colour && mask && width > 0 && height > 0) {
    const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4u;
    auto colourPx = AllocPixels(bytes);
    auto maskPx = AllocPixels(bytes);
    if (!colourPx || !maskPx) return kStatusOutOfMemory;
    CDcHandle screen(nullptr);
    BITMAPINFO colourInfo = Dib32(width, height);
    BITMAPINFO maskInfo = Dib32(width, height);
    const bool read =
        screen.Get() &&
        GetDIBits(screen.Get(), colour.Get(), 0, static_cast<UINT>(height), colourPx.get(), &colourInfo,
                  DIB_RGB_COLORS) == height &&
        GetDIBits(screen.Get(), mask.Get(), 0, static_cast<UINT>(height), maskPx.get(), &maskInfo, DIB_RGB_COLORS) ==
            height;
    if (read && TintIconPixels(colourPx.get(), maskPx.get(), bytes / 4, light, dark)) {
      BITMAPINFO writeInfo = Dib32(width, height);
      SetDIBits(screen.Get(), colour.Get(), 0, static_cast<UINT>(height), colourPx.get(), &writeInfo,
                DIB_RGB_COLORS);
    }
  }
  // Unchanged bitmaps give an untinted copy of the icon.
  info.hbmColor = colour.Get();
  info.hbmMask = mask.Get();
  HICON made = CreateIconIndirect(&info);
  if (!made) return kStatusOutOfMemory;
  if (tinted) tinted->Reset(made);
  else DestroyIcon(made);
  return kStatusOk;
}

std::uint32_t ThemeLoadIcon(CTheme& theme, IconRecord& record) {
  if (record.flags == kIconOwnerDrawn) {
    if (const int* pair = reinterpret_cast<const int*>(record.source)) {
      record.cx = static_cast<short>(pair[0]);
      record.cy = static_cast<short>(pair[1]);
    }
    return kStatusOk;
  }
  record.tinted.Reset();
  record.icon = nullptr;
  HICON icon = theme.loadIcon ? theme.loadIcon(theme.instance, record.source, record.cx)
                              : LoadSharedIcon(theme.instance, record.source, record.cx);
  if (!icon) return kStatusIconNotLoaded;
  record.icon = icon;
  int cx = 0;
  int cy = 0;
  const std::uint32_t result = CreateTintedIcon(icon, theme.slots[1], theme.slots[3], &cx, &cy, &record.tinted);
  if (result == kStatusIconNotLoaded) return result;
  record.cx = static_cast<short>(cx);
  record.cy = static_cast<short>(cy);
  return result;
}

std::uint32_t ThemeAddIcon(CTheme& theme, std::uint32_t id, std::uintptr_t source, std::uint32_t flags, int size,
                           int* position) {
  IconRecord record;
  record.id = IconKey(id);
  record.source = source;
  record.flags = flags;
  record.cx = static_cast<short>(size);
  record.cy = static_cast<short>(size);
  const std::uint32_t loaded = ThemeLoadIcon(theme, record);
  if (loaded != kStatusOk) return loaded;
  const auto at = [&theme](std::size_t i) { return theme.icons[i].id; };
  const std::size_t pos = IconInsertPosition(theme.icons.size(), at, record.id);
  try {
    theme.icons.insert(theme.icons.begin() + static_cast<std::ptrdiff_t>(pos), std::move(record));
  } catch (const std::bad_alloc&) {
    return kStatusOutOfMemory;
  }
  if (position) *position = static_cast<int>(pos);
  return kStatusOk;
}

int ThemeFindIcon(const CTheme& theme, std::uint32_t id) {
  const auto at = [&theme](std::size_t i) { return theme.icons[i].id; };
  return IconFindIndex(theme.icons.size(), at, id);
}

int ThemeReloadIcons(CTheme& theme) {
  for (IconRecord& record : theme.icons) (void)ThemeLoadIcon(theme, record);
  return 0;
}

void ThemeFree(CTheme& theme) {
  theme.icons.clear();
  if (theme.scratchDc) {
    if (theme.scratchPrevious) SelectObject(theme.scratchDc.Get(), theme.scratchPrevious);
    SelectObject(theme.scratchDc.Get(), GetStockObject(SYSTEM_FONT));
    theme.scratchDc.Reset();
  }
  theme.scratchPrevious = nullptr;
  theme.scratchPixels = nullptr;
  theme.scratchBitmap.Reset();
  for (auto& set : theme.fontSets) set.clear();
}
