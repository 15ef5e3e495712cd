// Drawing primitives of the theme. Every pen and brush is made for the one
// call and deleted before it returns (DrawRectDcColors uses the stock DC
// pen and brush instead).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "framework/theme/theme.h"
#include "framework/base/framework_messages.h"

// WM_FW_PAINTBACKGROUND: wParam = DC, lParam = x | y << 16 (signed 16 bits
// each): paint your background into the DC so that your client point (x, y)
// lands at (0, 0). WM_FW_DRAWICON: wParam = DC, lParam = DrawIconRequest*:
// draw an owner-drawn icon.

struct DrawIconRequest {
  std::uint16_t id;
  RECT rect;
};
static_assert(sizeof(DrawIconRequest) == 20);
static_assert(offsetof(DrawIconRequest, rect) == 4);

// Double buffer: between BeginDoubleBuffer and EndDoubleBuffer the caller
// paints into the memory DC. Destroying an unfinished one discards it.
class CMemoryDC {
 public:
  CMemoryDC() = default;
  CMemoryDC(const CMemoryDC&) = delete;
  CMemoryDC& operator=(const CMemoryDC&) = delete;
  ~CMemoryDC();

  int cx = 0;
  int cy = 0;
  CMemoryDcHandle memoryDc;
  HDC targetDc = nullptr;
  CBitmapHandle bitmap;

 private:
  friend bool BeginDoubleBuffer(CTheme&, CMemoryDC&, HDC*, int, int);
  friend void EndDoubleBuffer(CTheme&, CMemoryDC&);
  void Release() noexcept;
  HGDIOBJ previous_ = nullptr;
  CTheme* theme_ = nullptr;
};

// Replaces *dc with the memory DC. False, with *dc unchanged, when the
// buffer cannot be made (the caller then paints directly).
[[nodiscard]] bool BeginDoubleBuffer(CTheme& theme, CMemoryDC& buffer, HDC* dc, int cx, int cy);
void EndDoubleBuffer(CTheme& theme, CMemoryDC& buffer);

// Item frames in styles 0-8; slots 0-58 or -1 for the style's default.
// Corner flags: 1 top-left, 2 top-right, 4 bottom-left, 8 bottom-right.
void DrawItemFrame(CTheme& theme, HDC dc, const RECT* rect, int style, unsigned cornerFlags, int width, int slot,
                   int gradientTopSlot, int gradientBottomSlot);
void DrawParentBackground(CTheme& theme, HWND parent, HDC dc, const RECT* rect);
void DrawRoundedCorners(CTheme& theme, HWND parent, HDC dc, const RECT* square, const CornerPattern& pattern);
void Draw3dEdge(HDC dc, const RECT* rect, int first, COLORREF a, COLORREF b);
// brush CLR_INVALID (-1) leaves the inside unpainted.
void DrawRectDcColors(HDC dc, const RECT* rect, COLORREF pen, COLORREF brush);
// mode: 0 horizontal, 1 vertical.
void GradientRect(HDC dc, COLORREF a, COLORREF b, const RECT* rect, int mode);
void FillSolidRect(HDC dc, const RECT* rect, COLORREF colour);
void FrameSolidRect(HDC dc, const RECT* rect, COLORREF colour);
void DeflateRectBy(const RECT* rect, RECT* out, int n);
void DrawSeparator(CTheme& theme, HDC dc, const RECT* rect);
// Without a DC only the bar rectangle (moved inward by 1) is computed.
void DrawSplitter(CTheme& theme, HDC dc, RECT* rect, RECT* out, int vertical);
void DrawSizeGrip(CTheme& theme, HDC dc, const RECT* rect);
void DrawTriangleGlyph(CTheme& theme, HDC dc, std::uint32_t colourArg, int type, const RECT* rect);
void DrawCheckGlyph(CTheme& theme, HDC dc, std::uint32_t colourArg, const RECT* rect);
// printf-style text, cut to the 1040-character buffer. align: low byte 0/1/2
// left/centre/right (top/centre/bottom with 0x100, text running downward).
std::uint32_t DrawTextFormat(CTheme& theme, HDC dc, int dpi, const char* format, std::uint32_t colourArg,
                             const RECT* rect, int align, int bold, ...);
std::uint32_t MeasureText(CTheme& theme, const char* text, int* width, int* height, HFONT font);
// state bit 0: the icon as loaded; clear: the tinted copy.
std::uint32_t DrawThemeIcon(CTheme& theme, HDC dc, std::uint32_t id, int state, const RECT* rect);
