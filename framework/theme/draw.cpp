#include "framework/theme/draw.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::size_t kTextBufferSize = 1040;

PixelRect ToPixelRect(const RECT& r) { return PixelRect{r.left, r.top, r.right, r.bottom}; }
RECT ToRECT(const PixelRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

void PolyLine(HDC dc, const PixelPoint* points, int count, COLORREF colour) {
  CPenHandle pen(CreatePen(PS_SOLID, 1, colour));
  CSelectObject select(dc, pen.Get());
  MoveToEx(dc, points[0].x, points[0].y, nullptr);
  for (int i = 1; i < count; ++i) LineTo(dc, points[i].x, points[i].y);
}

void DrawLine(HDC dc, const PixelLine& line, COLORREF colour) {
  const PixelPoint pts[2] = {line.from, line.to};
  PolyLine(dc, pts, 2, colour);
}

void FilledPolygon(HDC dc, const PixelPoint* points, int count, COLORREF colour) {
  POINT pts[6];
  for (int i = 0; i < count && i < 6; ++i) pts[i] = POINT{points[i].x, points[i].y};
  CPenHandle pen(CreatePen(PS_SOLID, 1, colour));
  CBrushHandle brush(CreateSolidBrush(colour));
  CSelectObject selectPen(dc, pen.Get());
  CSelectObject selectBrush(dc, brush.Get());
  Polygon(dc, pts, count);
}

// The window a DC paints for: its own, or the double buffer's when the DC
// is a memory DC.
HWND WindowOfDc(const CTheme& theme, HDC dc) {
  HWND window = WindowFromDC(dc);
  return window ? window : theme.doubleBufferWindow;
}

struct BackgroundSource {
  HWND parent = nullptr;
  POINT origin{};  // the window's client origin in the parent's client area
};

BackgroundSource FindBackground(const CTheme& theme, HWND parent, HDC dc) {
  BackgroundSource src;
  const HWND window = WindowOfDc(theme, dc);
  src.parent = parent ? parent : (theme.doubleBufferWindow ? GetParent(theme.doubleBufferWindow) : nullptr);
  if (window && src.parent) MapWindowPoints(window, src.parent, &src.origin, 1);
  return src;
}

LPARAM PackPoint(int x, int y) {
  return static_cast<LPARAM>(static_cast<std::uint32_t>(x & 0xFFFF) | static_cast<std::uint32_t>(y & 0xFFFF) << 16);
}

HWND ParentOfDcWindow(HDC dc) {
  const HWND window = WindowFromDC(dc);
  return window ? GetParent(window) : nullptr;
}

}  // namespace

// ---- double buffer -----------------------------------------------------------

void CMemoryDC::Release() noexcept {
  if (memoryDc && previous_) SelectObject(memoryDc.Get(), previous_);
  previous_ = nullptr;
  memoryDc.Reset();
  bitmap.Reset();
  if (theme_) theme_->doubleBufferWindow = nullptr;
  theme_ = nullptr;
  targetDc = nullptr;
}

CMemoryDC::~CMemoryDC() { Release(); }

bool BeginDoubleBuffer(CTheme& theme, CMemoryDC& buffer, HDC* dc, int cx, int cy) {
  if (!dc || !*dc || cx <= 0 || cy <= 0) return false;
  buffer.Release();
  CMemoryDcHandle memory(CreateCompatibleDC(*dc));
  CBitmapHandle bitmap(CreateCompatibleBitmap(*dc, cx, cy));
  if (!memory || !bitmap) return false;
  buffer.cx = cx;
  buffer.cy = cy;
  buffer.targetDc = *dc;
  buffer.previous_ = SelectObject(memory.Get(), bitmap.Get());
  buffer.memoryDc = std::move(memory);
  buffer.bitmap = std::move(bitmap);
  buffer.theme_ = &theme;
  theme.doubleBufferWindow = WindowFromDC(*dc);
  *dc = buffer.memoryDc.Get();
  return true;
}

void EndDoubleBuffer(CTheme& theme, CMemoryDC& buffer) {
  if (buffer.memoryDc && buffer.targetDc) {
    BitBlt(buffer.targetDc, 0, 0, buffer.cx, buffer.cy, buffer.memoryDc.Get(), 0, 0, SRCCOPY);
  }
  theme.doubleBufferWindow = nullptr;
  buffer.Release();
}

// ---- plain shapes ------------------------------------------------------------

void Draw3dEdge(HDC dc, const RECT* rect, int first, COLORREF a, COLORREF b) {
  if (!dc || !rect) return;
  const EdgeLines lines = Edge3dLines(ToPixelRect(*rect));
  PolyLine(dc, lines.topLeft.data(), 3, first ? a : b);
  PolyLine(dc, lines.bottomRight.data(), 3, first ? b : a);
}

void DrawRectDcColors(HDC dc, const RECT* rect, COLORREF pen, COLORREF brush) {
  if (!dc || !rect) return;
  SelectObject(dc, GetStockObject(DC_PEN));
  SelectObject(dc, GetStockObject(brush == CLR_INVALID ? NULL_BRUSH : DC_BRUSH));
  SetDCPenColor(dc, pen);
  if (brush != CLR_INVALID) SetDCBrushColor(dc, brush);
  Rectangle(dc, rect->left, rect->top, rect->right, rect->bottom);
}

void GradientRect(HDC dc, COLORREF a, COLORREF b, const RECT* rect, int mode) {
  if (!dc || !rect) return;
  TRIVERTEX v[2]{};
  v[0].x = rect->left;
  v[0].y = rect->top;
  v[0].Red = GradientChannel(RedOf(a));
  v[0].Green = GradientChannel(GreenOf(a));
  v[0].Blue = GradientChannel(BlueOf(a));
  v[1].x = rect->right;
  v[1].y = rect->bottom;
  v[1].Red = GradientChannel(RedOf(b));
  v[1].Green = GradientChannel(GreenOf(b));
  v[1].Blue = GradientChannel(BlueOf(b));
  GRADIENT_RECT mesh{0, 1};
  GradientFill(dc, v, 2, &mesh, 1, static_cast<ULONG>(mode & 0xFF));
}

void FillSolidRect(HDC dc, const RECT* rect, COLORREF colour) {
  if (!dc || !rect) return;
  CBrushHandle brush(CreateSolidBrush(colour));
  CSelectObject select(dc, brush.Get());
  PatBlt(dc, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, PATCOPY);
}

void FrameSolidRect(HDC dc, const RECT* rect, COLORREF colour) {
  if (!dc || !rect) return;
  CBrushHandle brush(CreateSolidBrush(colour));
  FrameRect(dc, rect, brush.Get());
}

void DeflateRectBy(const RECT* rect, RECT* out, int n) {
  if (!rect || !out) return;
  *out = ToRECT(DeflateRectBy(ToPixelRect(*rect), n));
}

void DrawSeparator(CTheme& theme, HDC dc, const RECT* rect) {
  if (!dc || !rect) return;
  const auto lines = SeparatorLines(ToPixelRect(*rect));
  DrawLine(dc, lines[0], theme.slots[31]);
  DrawLine(dc, lines[1], theme.slots[32]);
}

void DrawSplitter(CTheme& theme, HDC dc, RECT* rect, RECT* out, int vertical) {
  if (!rect) return;
  RECT* target = out ? out : rect;
  *target = ToRECT(SplitterBar(ToPixelRect(*rect), vertical));
  if (dc) Draw3dEdge(dc, target, 1, theme.slots[2], theme.slots[3]);
  *target = ToRECT(DeflateRectBy(ToPixelRect(*target), 1));
  if (dc) FillSolidRect(dc, target, theme.slots[30]);
}

void DrawSizeGrip(CTheme& theme, HDC dc, const RECT* rect) {
  if (!dc || !rect) return;
  const auto squares = SizeGripSquares(ToPixelRect(*rect));
  for (std::size_t i = 0; i < squares.size(); ++i) {
    const RECT r = ToRECT(squares[i]);
    FillSolidRect(dc, &r, theme.slots[i % 2 == 0 ? 27 : 26]);
  }
}

void DrawTriangleGlyph(CTheme& theme, HDC dc, std::uint32_t colourArg, int type, const RECT* rect) {
  if (!dc || !rect) return;
  const auto pts = TriangleGlyphPoints(type, ToPixelRect(*rect));
  FilledPolygon(dc, pts.data(), 3, ResolveColourArg(colourArg, theme.slots));
}

void DrawCheckGlyph(CTheme& theme, HDC dc, std::uint32_t colourArg, const RECT* rect) {
  if (!dc || !rect) return;
  const auto pts = CheckGlyphPoints(ToPixelRect(*rect));
  FilledPolygon(dc, pts.data(), 6, ResolveColourArg(colourArg, theme.slots));
}

// ---- backgrounds and corners ---------------------------------------------------

void DrawParentBackground(CTheme& theme, HWND parent, HDC dc, const RECT* rect) {
  if (!dc || !rect) return;
  const BackgroundSource src = FindBackground(theme, parent, dc);
  if (!src.parent) return;
  CRegionHandle clip(CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom));
  if (!clip) return;
  SelectClipRgn(dc, clip.Get());
  SendMessageA(src.parent, WM_FW_PAINTBACKGROUND, reinterpret_cast<WPARAM>(dc), PackPoint(src.origin.x, src.origin.y));
  SelectClipRgn(dc, nullptr);
}

void DrawRoundedCorners(CTheme& theme, HWND parent, HDC dc, const RECT* square, const CornerPattern& pattern) {
  if (!dc || !square || !theme.scratchDc || !theme.scratchPixels) return;
  const BackgroundSource src = FindBackground(theme, parent, dc);
  HDC scratch = theme.scratchDc.Get();
  if (src.parent) {
    SendMessageA(src.parent, WM_FW_PAINTBACKGROUND, reinterpret_cast<WPARAM>(scratch),
                 PackPoint(square->left + src.origin.x, square->top + src.origin.y - 3));
  }
  BitBlt(scratch, 0, 0, 3, 3, dc, square->left, square->top, SRCCOPY);
  GdiFlush();  // GDI may still be writing the DIB we are about to read
  BlendCorner(theme.scratchPixels, pattern);
  BitBlt(dc, square->left, square->top, 3, 3, scratch, 0, 6, SRCCOPY);
}

void DrawItemFrame(CTheme& theme, HDC dc, const RECT* rect, int style, unsigned cornerFlags, int width, int slot,
                   int gradientTopSlot, int gradientBottomSlot) {
  if (!dc || !rect) return;
  RECT r = *rect;
  const bool defaultSlot = SlotOrDefault(slot, -1) < 0;
  const COLORREF frame = ThemeSlot(theme, slot, 45);
  const COLORREF fill = ThemeSlot(theme, slot, 51);
  const auto inner = [&r]() {
    RECT in;
    DeflateRectBy(&r, &in, 1);
    return in;
  };
  const auto narrow = [&]() {
    if (width == 0) return;
    DrawParentBackground(theme, ParentOfDcWindow(dc), dc, &r);
    r.right = r.left + width;
  };
  const auto framedGradient = [&](int top, int bottom) {
    FrameSolidRect(dc, &r, frame);
    const RECT in = inner();
    GradientRect(dc, theme.slots[static_cast<std::size_t>(top)], theme.slots[static_cast<std::size_t>(bottom)], &in,
                 GRADIENT_FILL_RECT_V);
  };
  switch (style) {
    case 0: DrawParentBackground(theme, ParentOfDcWindow(dc), dc, &r); break;
    case 1: framedGradient(41, 42); break;
    case 2: framedGradient(43, 44); break;
    case 3: {
      Draw3dEdge(dc, &r, 0, theme.slots[defaultSlot ? 52 : 51], theme.slots[53]);
      const RECT in = inner();
      FillSolidRect(dc, &in, fill);
      break;
    }
    case 4: {
      Draw3dEdge(dc, &r, 0, theme.slots[53], theme.slots[defaultSlot ? 52 : 51]);
      const RECT in = inner();
      FillSolidRect(dc, &in, fill);
      break;
    }
    case 5: FillSolidRect(dc, &r, fill); break;
    case 6:
      narrow();
      framedGradient(43, 44);
      break;
    case 7:
      if (width != 0) {
        narrow();
      } else {
        const RECT in = inner();
        FillSolidRect(dc, &in, fill);
      }
      Draw3dEdge(dc, &r, 0, theme.slots[2], theme.slots[3]);
      break;
    case 8: framedGradient(SlotOrDefault(gradientTopSlot, 43), SlotOrDefault(gradientBottomSlot, 44)); break;
    default: return;
  }
  if (cornerFlags == 0) return;
  const CornerSquares corners = CornerSquaresFor(ToPixelRect(r), cornerFlags);
  for (int i = 0; i < corners.count; ++i) {
    const CornerSquare& c = corners.items[static_cast<std::size_t>(i)];
    const RECT square = ToRECT(c.square);
    DrawRoundedCorners(theme, ParentOfDcWindow(dc), dc, &square, kCornerPatterns[static_cast<std::size_t>(c.corner)]);
  }
}

// ---- text and icons ------------------------------------------------------------

std::uint32_t MeasureText(CTheme& theme, const char* text, int* width, int* height, HFONT font) {
  if (width) *width = 0;
  if (height) *height = 0;
  if (!text) return kStatusTextMissing;
  CMemoryDcHandle own;
  HDC dc = theme.scratchDc.Get();
  if (!dc) {
    own.Reset(CreateCompatibleDC(nullptr));
    dc = own.Get();
  }
  if (!dc) return kStatusOk;
  CSelectObject select(dc, font);
  RECT r{};
  DrawTextA(dc, text, -1, &r, DT_NOPREFIX | DT_CALCRECT | DT_NOCLIP);
  if (width) *width = r.right;
  if (height) *height = r.bottom;
  return kStatusOk;
}

std::uint32_t DrawTextFormat(CTheme& theme, HDC dc, int dpi, const char* format, std::uint32_t colourArg,
                             const RECT* rect, int align, int bold, ...) {
  if (!format) return kStatusTextMissing;
  if (!dc || !rect) return kStatusOk;
  char text[kTextBufferSize];
  va_list args;
  va_start(args, bold);
  const int n = std::vsnprintf(text, sizeof(text), format, args);
  va_end(args);
  if (n < 0) text[0] = '\0';
  text[sizeof(text) - 1] = '\0';  // some C runtimes leave a cut text unterminated

  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ResolveColourArg(colourArg, theme.slots));
  RECT r = *rect;
  if (align & 0x100) {
    HFONT font = ThemeGetFont(theme, 6, dpi);
    SetMapMode(dc, MM_TEXT);
    int w = 0;
    int h = 0;
    (void)MeasureText(theme, text, &w, &h, ThemeGetFont(theme, 4, dpi));
    const PixelPoint origin = VerticalTextOrigin(ToPixelRect(r), w, h, align);
    CSelectObject select(dc, font);
    ExtTextOutA(dc, origin.x, origin.y, ETO_CLIPPED, &r, text, static_cast<UINT>(std::strlen(text)), nullptr);
  } else {
    CSelectObject select(dc, ThemeGetFont(theme, bold ? 5 : 4, dpi));
    DrawTextA(dc, text, -1, &r,
              static_cast<UINT>(align) | DT_END_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
  }
  return kStatusOk;
}

std::uint32_t DrawThemeIcon(CTheme& theme, HDC dc, std::uint32_t id, int state, const RECT* rect) {
  const int index = ThemeFindIcon(theme, IconKey(id));
  if (index < 0) return kStatusIconNotInTable;
  if (!rect) return kStatusOk;
  const IconRecord& record = theme.icons[static_cast<std::size_t>(index)];
  if (record.flags & kIconOwnerDrawn) {
    DrawIconRequest request{IconKey(id), *rect};
    const HWND owner = theme.firstFrameWindow ? theme.firstFrameWindow() : nullptr;
    if (!owner) return kStatusOk;
    return static_cast<std::uint32_t>(
        SendMessageA(owner, WM_FW_DRAWICON, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(&request)));
  }
  SetStretchBltMode(dc, HALFTONE);
  DrawIconEx(dc, rect->left, rect->top, (state & 1) ? record.icon : record.tinted.Get(), rect->right - rect->left,
             rect->bottom - rect->top, 0, nullptr, DI_NORMAL);
  return kStatusOk;
}
