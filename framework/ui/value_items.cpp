#include "framework/ui/value_items.h"

#include <windowsx.h>

#include <cstdio>
#include <cstring>

#include "framework/object/application.h"
#include "framework/app/commands.h"
#include "framework/base/framework_messages.h"
#include "framework/app/res/framework_resource_ids.h"
#include "framework/theme/draw.h"
#include "framework/theme/theme.h"
#include "framework/util/colour.h"
#include "framework/util/monitors.h"

namespace {

constexpr std::uint16_t kBrushIcon = 0xF16C;   // the brush, also the marked swatch's overlay
constexpr std::uint16_t kSwatchIcon = 0xF16D;  // the unmarked swatch's overlay

// The brush-size drag under way (one at a time in the process).
int gBrushStartY = kNoBrushDrag;
std::int32_t gBrushStartValue = 0;
// A slider's thumb is being dragged (one at a time in the process).
bool gSliderDrag = false;

CommandRecord* CommandOf(const CUIItem* item) noexcept {
  return FindCommand(gApp.commands, static_cast<std::uint16_t>(item->id));
}

std::uint32_t LiveFlags(const CUIItem* item) noexcept {
  const CommandRecord* record = CommandOf(item);
  return record != nullptr ? record->flags : 0;
}

bool IsEnabled(const CUIItem* item) noexcept { return (LiveFlags(item) & kCommandEnabled) != 0; }

void Notify(const CUIItem* item, LPARAM lParam) noexcept {
  if (item->owner != nullptr) SendMessageA(item->owner, WM_FW_COMMAND, item->id, lParam);
}

void RedrawNow(HWND window) noexcept { RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }

// The point of a mouse message in screen coordinates. While the item holds
// the capture the point may lie outside it, left of or above it included.
POINT ScreenPointOf(HWND window, LPARAM lParam) noexcept {
  POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ClientToScreen(window, &p);
  return p;
}

// A pick runs while the item holds the capture after a press and the
// pointer is over another window; -1 is a move made up by the keyboard.
bool PickingOutside(HWND window, LPARAM lParam, POINT* point) noexcept {
  if (lParam == -1 || GetCapture() != window) return false;
  *point = ScreenPointOf(window, lParam);
  return WindowFromPoint(*point) != window;
}

bool ReleasedOutside(HWND window, UINT message, LPARAM lParam) noexcept {
  if (message != WM_LBUTTONUP && message != WM_RBUTTONUP && message != WM_MBUTTONUP) return false;
  return lParam != -1 && WindowFromPoint(ScreenPointOf(window, lParam)) != window;
}

HCURSOR PickerCursor() noexcept {
  // Cursors loaded from resources are shared: never destroyed.
  static HCURSOR cursor = nullptr;
  if (cursor == nullptr) cursor = LoadCursorA(gApp.ResourceInstance(), MAKEINTRESOURCEA(FW_IDC_COLOUR_PICKER));
  return cursor != nullptr ? cursor : LoadCursorA(nullptr, IDC_CROSS);
}

// Takes the command's value record; null when the command has none. An
// item made again for such a command keeps no hook of its earlier record:
// its window stays, and the hook would read the record it no longer has.
template <typename Record>
Record* ValueRecordOf(const CommandRecord& command, CUIItem* item, UIItemHook hook, bool valueItem) noexcept {
  auto* record = static_cast<Record*>(command.value);
  if (record == nullptr) {
    item->SetHook(nullptr);
    return nullptr;
  }
  if (valueItem) {
    if (CommandRecord* live = CommandOf(item)) live->flags |= kCommandKeepsPressed;
  }
  item->SetHook(hook);
  return record;
}

RECT ToRect(const PixelRect& r) noexcept { return RECT{r.left, r.top, r.right, r.bottom}; }
PixelRect ToPixelRect(const RECT& r) noexcept { return PixelRect{r.left, r.top, r.right, r.bottom}; }

bool HasText(const char* text) noexcept { return text != nullptr && text[0] != '\0'; }

// The label and, in a popup, the second text, as every item draws them.
void DrawItemTexts(const CUIItem& item, HDC dc, int dpi, const ItemDrawState& state) noexcept {
  CTheme& theme = gApp.theme;
  if (const char* label = item.GetItemText(kItemTextLabel); HasText(label) && item.labelWidth > 0) {
    (void)DrawTextFormat(theme, dc, dpi, "%s", static_cast<std::uint32_t>(state.textColour), &item.labelRect,
                         state.centre != 0 ? 1 : 0, state.bold, label);
  }
  if (item.holder == nullptr) return;
  if (const char* second = item.GetItemText(kItemTextSecond); HasText(second) && item.secondWidth > 0) {
    (void)DrawTextFormat(theme, dc, dpi, "%s", static_cast<std::uint32_t>(state.textColour), &item.secondRect, 2, 0,
                         second);
  }
}

int IconState(std::uint32_t flags) noexcept { return (flags & kCommandEnabled) != 0 ? 1 : 0; }

int BrushSizeHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam, CUIItem* item) {
  RangeValue* range = static_cast<CBrushSize*>(item)->range;
  switch (message) {
    case WM_LBUTTONDOWN:
      if (IsEnabled(item) && lParam != -1) {
        gBrushStartY = ScreenPointOf(window, lParam).y;
        gBrushStartValue = range->value;
      }
      break;
    case WM_MOUSEMOVE:
      if (gBrushStartY != kNoBrushDrag && (wParam & MK_LBUTTON) != 0 && lParam != -1) {
        range->value = BrushSizeDragValue(gBrushStartY, ScreenPointOf(window, lParam).y, gBrushStartValue, *range);
        RedrawNow(window);
      }
      break;
    case WM_LBUTTONUP:
      gBrushStartY = kNoBrushDrag;
      // Like every item, a disabled one reports nothing.
      if (IsEnabled(item)) Notify(item, 0);
      break;
    default:
      break;
  }
  return 0;
}

int ColorPickHook(HWND window, UINT message, WPARAM, LPARAM lParam, CUIItem* item) {
  ColorValue* value = static_cast<CColor*>(item)->colorValue;
  POINT point{};
  if (message == WM_MOUSEMOVE && PickingOutside(window, lParam, &point)) {
    SetCursor(PickerCursor());
    const COLORREF pixel = ReadScreenPixel(point);
    if (pixel != CLR_INVALID) value->color = ColorRefToArgb(pixel, 255);
    RedrawNow(window);
  } else if (ReleasedOutside(window, message, lParam)) {
    Notify(item, 0);
  }
  return 0;
}

int PaletteHook(HWND window, UINT message, WPARAM, LPARAM lParam, CUIItem* item) {
  auto* palette = static_cast<CPalette*>(item);
  PaletteValue* value = palette->palette;
  switch (message) {
    case WM_MOUSEMOVE: {
      if (lParam == -1) break;
      const COLORREF pixel = ReadScreenPixel(ScreenPointOf(window, lParam));
      if (pixel != CLR_INVALID) value->pick = ColorRefToArgb(pixel, 255);
      POINT point{};
      if (!PickingOutside(window, lParam, &point)) break;
      SetCursor(PickerCursor());
      if (pixel != CLR_INVALID) (void)StorePaletteColor(*value, value->pick);
      RedrawNow(window);
      break;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      if (!IsEnabled(item) || lParam == -1) break;
      PixelRect cells[kPaletteColors];
      for (int k = 0; k < kPaletteColors; ++k) cells[k] = ToPixelRect(palette->cells[k]);
      value->selected = PaletteCellAt(cells, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), value->selected);
      break;
    }
    default:
      if (ReleasedOutside(window, message, lParam)) Notify(item, 0);
      break;
  }
  return 0;
}

int SliderHook(HWND window, UINT message, WPARAM, LPARAM lParam, CUIItem* item) {
  auto* slider = static_cast<CSlider*>(item);
  RangeValue* range = slider->range;
  switch (message) {
    case WM_LBUTTONDOWN: {
      if (!IsEnabled(item) || lParam == -1) break;
      SetFocus(window);
      const POINT press{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      gSliderDrag = PtInRect(&slider->thumbRect, press) != FALSE;
      if (gSliderDrag) break;
      range->value = SliderStepValue(*range, press.x, slider->thumbRect.right);
      InvalidateRect(window, nullptr, TRUE);
      // Reported even when the end of the range kept the value.
      Notify(item, 1);
      break;
    }
    case WM_MOUSEMOVE: {
      if (!gSliderDrag || lParam == -1 || GetCapture() != window || !IsEnabled(item)) break;
      const std::int32_t value = SliderValueAt(GET_X_LPARAM(lParam), slider->Track(), *range);
      if (value == range->value) break;
      range->value = value;
      InvalidateRect(window, nullptr, TRUE);
      Notify(item, 1);
      break;
    }
    case WM_LBUTTONUP:
      gSliderDrag = false;
      break;
    default:
      break;
  }
  return 0;
}

// The opening the colour, palette and brush-size items' paint share: their
// live flags and draw state, double-buffered where the theme allows it (dc
// then draws into buffer), and the frame of their state, with room for the
// label in a popup.
struct ValuePaint {
  std::uint32_t liveFlags;
  ItemDrawState state;
  bool inPopup;
  bool buffered;
};
ValuePaint BeginValuePaint(const CUIItem& item, CMemoryDC& buffer, HDC& dc, const RECT& client) {
  ValuePaint paint{};
  paint.liveFlags = LiveFlags(&item);
  paint.buffered = BeginDoubleBuffer(gApp.theme, buffer, &dc, item.width + 1, item.height + 1);
  paint.state = item.GetItemDrawState(paint.liveFlags);
  paint.inPopup = item.holder != nullptr;
  DrawItemFrame(gApp.theme, dc, &client, paint.state.frameStyle, paint.state.frameStyle != 0 ? 15u : 0u,
                paint.inPopup ? item.labelHeight : 0, -1, -1, -1);
  return paint;
}

}  // namespace

COLORREF ReadScreenPixel(POINT point) noexcept {
  COLORREF pixel = CLR_INVALID;
  if (HDC screen = GetDC(nullptr)) {
    pixel = GetPixel(screen, point.x, point.y);
    ReleaseDC(nullptr, screen);
  }
  if (pixel != CLR_INVALID) return pixel;
  // Display drivers that keep no picture of the whole screen still draw
  // each window on a surface of its own.
  const HWND window = WindowFromPoint(point);
  if (window == nullptr) return CLR_INVALID;
  POINT client = point;
  ScreenToClient(window, &client);
  if (HDC dc = GetDC(window)) {
    pixel = GetPixel(dc, client.x, client.y);
    ReleaseDC(window, dc);
  }
  return pixel;
}

// ---- brush size -------------------------------------------------------------------------

CBrushSize::CBrushSize() noexcept { type = kBrushSizeItemType; }

std::uint32_t CBrushSize::OnCreate(const CommandRecord& command, HWND, HWND, CUIItem*) {
  range = ValueRecordOf<RangeValue>(command, this, &BrushSizeHook, true);
  return range != nullptr ? kStatusOk : kStatusUnknownCommand;
}

void CBrushSize::MeasureExtra(const CommandRecord&, int) { iconWidth = iconHeight = 22; }

void CBrushSize::FitNumberFont(HDC dc, int dpi) noexcept {
  for (int n = dpi * 12 / 96; n >= 3; --n) {
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    numberFont.Reset(CreateFontA(-n, 0, 0, 0, 800, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Arial"));
    if (!numberFont) continue;
    SelectObject(dc, numberFont.Get());
    measureRect = RECT{0, 0, 0, 0};
    DrawTextA(dc, numberText, -1, &measureRect, DT_CALCRECT | DT_NOCLIP);
    if (measureRect.right - measureRect.left < width - 6 && measureRect.bottom - measureRect.top < height - 2) break;
  }
  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
}

void CBrushSize::Paint(HDC dc, const RECT& client) {
  CTheme& theme = gApp.theme;
  CMemoryDC buffer;
  const auto [liveFlags, state, inPopup, buffered] = BeginValuePaint(*this, buffer, dc, client);
  const int dpi = Dpi();
  LayoutParts(client, state.pressedOffset, state.centre != 0, inPopup);
  DrawItemTexts(*this, dc, dpi, state);
  if (range->value != lastValue || width != lastWidth) {
    lastValue = range->value;
    std::snprintf(numberText, sizeof numberText, "%d", static_cast<int>(lastValue));
  }
  const auto length = static_cast<std::int32_t>(std::strlen(numberText));
  if (length != lastLength || width != lastWidth || !numberFont) {
    lastLength = length;
    lastWidth = width;
    FitNumberFont(dc, dpi);
  }
  (void)DrawThemeIcon(theme, dc, kBrushIcon, IconState(liveFlags), &iconRect);
  const HGDIOBJ oldFont = SelectObject(dc, numberFont.Get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ResolveColourArg(static_cast<std::uint32_t>(state.textColour), theme.slots));
  RECT numberRect = iconRect;
  DrawTextA(dc, numberText, -1, &numberRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  SelectObject(dc, oldFont);
  if (buffered) EndDoubleBuffer(theme, buffer);
}

// ---- colour -------------------------------------------------------------------------------

CColor::CColor() noexcept { type = kColorItemType; }

std::uint32_t CColor::OnCreate(const CommandRecord& command, HWND, HWND, CUIItem*) {
  colorValue = ValueRecordOf<ColorValue>(command, this, &ColorPickHook, true);
  return colorValue != nullptr ? kStatusOk : kStatusUnknownCommand;
}

void CColor::MeasureExtra(const CommandRecord&, int) { iconWidth = iconHeight = 22; }

void CColor::Paint(HDC dc, const RECT& client) {
  CTheme& theme = gApp.theme;
  CMemoryDC buffer;
  const auto [liveFlags, state, inPopup, buffered] = BeginValuePaint(*this, buffer, dc, client);
  LayoutParts(client, state.pressedOffset, state.centre != 0, inPopup);
  DrawItemTexts(*this, dc, Dpi(), state);
  const bool enabled = (liveFlags & kCommandEnabled) != 0;
  const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
  const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(DC_BRUSH));
  SetDCBrushColor(dc, enabled ? SwapRedBlue(colorValue->color) : theme.slots[0]);
  Ellipse(dc, iconRect.left, iconRect.top, iconRect.right, iconRect.bottom);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  (void)DrawThemeIcon(theme, dc, colorValue->marker != 0 ? kBrushIcon : kSwatchIcon, IconState(liveFlags), &iconRect);
  if (buffered) EndDoubleBuffer(theme, buffer);
}

// ---- palette ------------------------------------------------------------------------------

CPalette::CPalette() noexcept { type = kPaletteItemType; }

std::uint32_t CPalette::OnCreate(const CommandRecord& command, HWND, HWND, CUIItem*) {
  palette = ValueRecordOf<PaletteValue>(command, this, &PaletteHook, true);
  return palette != nullptr ? kStatusOk : kStatusUnknownCommand;
}

void CPalette::MeasureExtra(const CommandRecord&, int orientation) {
  const int s = SpaceWidth();
  extraWidth = (orientation == 1 ? 6 : 32) * s;
  extraHeight = (orientation == 1 ? 32 : 6) * s;
}

void CPalette::Paint(HDC dc, const RECT& client) {
  CTheme& theme = gApp.theme;
  CMemoryDC buffer;
  const auto [liveFlags, state, inPopup, buffered] = BeginValuePaint(*this, buffer, dc, client);
  LayoutParts(client, 0, state.centre != 0, inPopup);
  PixelRect cellRects[kPaletteColors];
  PixelRect grid;
  LayoutPaletteCells(ToPixelRect(extraRect), SpaceWidth(), inPopup, cellRects, &grid);
  const bool enabled = (liveFlags & kCommandEnabled) != 0;
  const int columns = extraRect.right - extraRect.left < extraRect.bottom - extraRect.top ? 2 : 8;
  for (int k = 0; k < kPaletteColors; ++k) {
    cells[k] = ToRect(cellRects[k]);
    COLORREF fill;
    if (enabled) {
      fill = SwapRedBlue(palette->colors[k]);
    } else {
      fill = theme.slots[(k / columns + k % columns) % 2 != 0 ? 56 : 55];
    }
    DrawRectDcColors(dc, &cells[k], fill, fill);
  }
  if (state.frameStyle == 0) {
    const RECT outline{grid.left - 1, grid.top - 1, grid.right + 1, grid.bottom + 1};
    DrawRectDcColors(dc, &outline, theme.slots[54], CLR_INVALID);
  }
  if (buffered) EndDoubleBuffer(theme, buffer);
}

// ---- slider -----------------------------------------------------------------------------------

CSlider::CSlider() noexcept { type = kSliderItemType; }

std::uint32_t CSlider::OnCreate(const CommandRecord& command, HWND, HWND, CUIItem*) {
  // Unlike the colour items the slider is no value item: hovering with a
  // button held presses it.
  range = ValueRecordOf<RangeValue>(command, this, &SliderHook, false);
  return range != nullptr ? kStatusOk : kStatusUnknownCommand;
}

void CSlider::MeasureExtra(const CommandRecord&, int) {
  (void)SpaceWidth();  // makes sure the font the line height is read from exists
  extraHeight = ThemeLineHeight(gApp.theme, Dpi());
  extraWidth = 7 * extraHeight;
}

SliderTrack CSlider::Track() const noexcept {
  return SliderTrack{extraRect.left, extraRect.top, extraRect.right - extraRect.left, extraRect.bottom - extraRect.top};
}

void CSlider::Paint(HDC dc, const RECT& client) {
  const CommandRecord* record = CommandOf(this);
  const std::uint32_t liveFlags = record != nullptr ? record->flags : 0;
  CTheme& theme = gApp.theme;
  CMemoryDC buffer;
  const bool buffered = BeginDoubleBuffer(theme, buffer, &dc, width + 1, height + 1);
  const ItemDrawState state = GetItemDrawState(liveFlags);
  const bool inPopup = holder != nullptr;
  DrawItemFrame(theme, dc, &client, 0, 0, 0, -1, -1, -1);
  LayoutParts(client, 0, state.centre != 0, inPopup);
  if (record != nullptr && record->iconId != 0 && iconWidth > 0)
    (void)DrawThemeIcon(theme, dc, record->iconId, IconState(liveFlags), &iconRect);
  DrawItemTexts(*this, dc, Dpi(), state);
  const bool enabled = (liveFlags & kCommandEnabled) != 0;
  int thumbStyle = enabled ? 8 : 4;
  if ((liveFlags & kCommandHot) != 0) thumbStyle = 1;
  if ((liveFlags & kCommandPressed) != 0) thumbStyle = 2;
  const SliderTrack track = Track();
  const RECT bar = ToRect(SliderBar(track));
  DrawItemFrame(theme, dc, &bar, 3, 0, 0, enabled ? 33 : 56, -1, -1);
  thumbRect = ToRect(SliderThumb(track, *range));
  DrawItemFrame(theme, dc, &thumbRect, thumbStyle, 15, 0, enabled ? 4 : 55, 33, 34);
  if (buffered) EndDoubleBuffer(theme, buffer);
}
