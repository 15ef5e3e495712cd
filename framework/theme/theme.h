// The framework's one theme: colour slots, fonts per DPI, the icon table
// with tinted copies and the scratch surface the corner drawing uses.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <vector>

#include "framework/util/status_codes.h"
#include "framework/util/win_handles.h"
#include "framework/theme/theme_core.h"

inline constexpr int kFaceNameSize = 260;

struct FontRecord {
  int dpi = 0;
  int size = 0;  // character height in pixels at 96 DPI
  int weight = 0;
  int escapement = 0;  // tenths of a degree; -900 runs downward
  int pitchAndFamily = 0;
  char face[kFaceNameSize] = {};
  CFontHandle font;
  int lineHeight = 0;  // height of "Ag"
  int spaceWidth = 0;  // width of " "
};

inline constexpr std::uint32_t kIconOwnerDrawn = 0x4000;

struct IconRecord {
  std::uint32_t id = 0;  // only the low 16 bits are significant
  // Loaded icon: the resource id. Owner-drawn: address of the caller's
  // width/height pair of ints.
  std::uintptr_t source = 0;
  std::uint32_t flags = 0;
  // Loaded shared (LR_SHARED): the system owns it, so it is only forgotten.
  HICON icon = nullptr;
  CIconHandle tinted;
  short cx = 0;
  short cy = 0;
};

// Icon resource loader; the default is LoadImageA with LR_SHARED. Returns a
// shared icon that the theme never destroys.
using ThemeIconLoader = HICON (*)(HINSTANCE instance, std::uintptr_t source, int size);

class CTheme {
 public:
  CTheme() noexcept;
  ~CTheme();
  CTheme(const CTheme&) = delete;
  CTheme& operator=(const CTheme&) = delete;

  std::array<std::vector<FontRecord>, kFontSetCount> fontSets;
  ColourSlots slots{};
  HWND doubleBufferWindow = nullptr;

  // 16 x 16 top-down 32-bit scratch surface.
  CMemoryDcHandle scratchDc;
  CBitmapHandle scratchBitmap;
  HGDIOBJ scratchPrevious = nullptr;
  std::uint32_t* scratchPixels = nullptr;
  BITMAPINFO scratchInfo{};

  std::vector<IconRecord> icons;  // ascending by id

  char defaultFace[kFaceNameSize] = {};
  char uiFace[kFaceNameSize] = {};
  SchemeBase base;

  // Collaborators supplied by the application and window layers.
  HINSTANCE instance = nullptr;  // module holding the icon resources
  ThemeIconLoader loadIcon = nullptr;
  HWND (*firstFrameWindow)() = nullptr;  // receives owner-drawn icon requests
  int (*windowDpi)(HWND) = nullptr;      // DPI of a window; a device-caps query when unset
};

void ThemeInit(CTheme& theme);
// 0, or 1 when the scratch DIB section cannot be created.
[[nodiscard]] int ThemeCreateDc(CTheme& theme);
// Resolves an automatic mode in `scheme` (the caller stores it back into
// its state record) and computes every slot. Always 0.
int ThemeComputeColors(CTheme& theme, SchemeSettings& scheme);
void ThemeSetUiFont(CTheme& theme, const char* face, int size, int dpi);
// Index of the set's record for `dpi`, or -1 when the set does not exist or
// the font cannot be made.
int ThemeAddFont(CTheme& theme, int set, const char* face, int size, int weight, int escapement, int dpi,
                 int pitchAndFamily);
[[nodiscard]] HFONT ThemeGetFont(CTheme& theme, int set, int dpi);
[[nodiscard]] int ThemeLineHeight(const CTheme& theme, int dpi);
[[nodiscard]] int ThemeSpaceWidth(const CTheme& theme, int dpi);
std::uint32_t MeasureTextThemeFont(CTheme& theme, const char* text, int* width, int* height, int bold, int dpi);

// 0 and the insert position in *position, or kStatusOutOfMemory /
// kStatusIconNotLoaded; on failure the table is left as it was.
[[nodiscard]] std::uint32_t ThemeAddIcon(CTheme& theme, std::uint32_t id, std::uintptr_t source, std::uint32_t flags,
                                         int size, int* position);
[[nodiscard]] int ThemeFindIcon(const CTheme& theme, std::uint32_t id);
[[nodiscard]] std::uint32_t ThemeLoadIcon(CTheme& theme, IconRecord& record);
int ThemeReloadIcons(CTheme& theme);
void ThemeFree(CTheme& theme);

// The tinted copy of an icon in the two given colours; its size goes to
// cx/cy. The one tint of the framework: the theme's icons and the two-state
// icons of the data-folder waiter. An icon without opaque pixels or without a
// colour bitmap (monochrome) gets an untinted copy, so there is always a
// second icon to show. 0; kStatusIconNotLoaded for no icon; or
// kStatusOutOfMemory with *tinted left empty.
[[nodiscard]] std::uint32_t CreateTintedIcon(HICON icon, ColorRef light, ColorRef dark, int* cx, int* cy,
                                             CIconHandle* tinted);

// Slot value for an index from a caller; out-of-range indices give the fallback slot.
[[nodiscard]] inline ColorRef ThemeSlot(const CTheme& theme, int slot, int fallback) noexcept {
  return theme.slots[static_cast<std::size_t>(SlotOrDefault(slot, fallback))];
}
