#include "framework/ui/bar.h"

#include <new>

#include "framework/app/exit_request.h"
#include "framework/object/application.h"
#include "framework/app/commands.h"
#include "framework/app/save_report.h"
#include "framework/app/dialog_setup.h"
#include "framework/base/framework_messages.h"
#include "framework/store/config_file.h"
#include "framework/text/text_table.h"
#include "framework/theme/draw.h"
#include "framework/ui/dock_bay.h"
#include "framework/ui/frame_window.h"
#include "framework/ui/item_commands.h"
#include "framework/ui/ui_item.h"
#include "framework/util/monitors.h"
#include "framework/util/status_codes.h"

static_assert(kBarRecordName[0] == '(');

namespace {

constexpr DWORD kDockedStyle = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD kFloatingStyle = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_THICKFRAME;
static_assert(kDockedStyle == 0x46000000);
static_assert(kFloatingStyle == 0x86C40000);
static_assert((kFloatingStyle | WS_SYSMENU) == 0x86CC0000);
constexpr int kBarBackgroundSlot = 35;  // the bays' colour
constexpr int kBarEdgeSlot = 31;
constexpr int kMaxBarItems = 256;

CBar* BarOf(HWND window) noexcept { return reinterpret_cast<CBar*>(GetWindowLongPtrA(window, GWLP_USERDATA)); }

bool RegisterBarClass() noexcept {
  WNDCLASSA wc{};
  if (GetClassInfoA(gApp.ResourceInstance(), kBarClass, &wc)) return true;
  wc.lpfnWndProc = &BarWndProc;
  wc.hInstance = gApp.ResourceInstance();
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = kBarClass;
  return RegisterClassA(&wc) != 0;
}

// The items measured for the orientation, as the layout arithmetic takes
// them (along and across the bar).
int MeasureItems(CBar& bar, int orientation, BarItem* out) noexcept {
  const int n = bar.items.Count() < kMaxBarItems ? bar.items.Count() : kMaxBarItems;
  for (int i = 0; i < n; ++i) {
    CUIItem* item = bar.items[i];
    CommandRecord command{};
    if (GetCommand(static_cast<std::uint16_t>(item->id), &command) != kStatusOk) command.flags = kCommandHidden;
    // The item keeps the size it was placed at (it paints that much); the
    // layout takes the measured one.
    const int placedWidth = item->width;
    const int placedHeight = item->height;
    if (item->window != nullptr) item->Measure(command, orientation);
    const bool vertical = orientation == kBarVertical;
    out[i].along = vertical ? item->height : item->width;
    out[i].across = vertical ? item->width : item->height;
    if (placedWidth > 0 && placedHeight > 0) {
      item->width = placedWidth;
      item->height = placedHeight;
    }
    out[i].commandFlags = command.flags;
    out[i].commandId = static_cast<std::uint16_t>(item->id);
    out[i].separator = command.kind == static_cast<std::uint16_t>(CommandKind::kSeparator);
  }
  return n;
}

void PaintBarBackground(HDC dc, HWND window, int x, int y) noexcept {
  RECT r{};
  GetClientRect(window, &r);
  OffsetRect(&r, -x, -y);
  FillSolidRect(dc, &r, ThemeSlot(gApp.theme, kBarBackgroundSlot, kBarBackgroundSlot));
}

void PaintBar(HWND window) noexcept {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  if (dc == nullptr) return;
  PaintBarBackground(dc, window, 0, 0);
  RECT r{};
  GetClientRect(window, &r);
  FrameSolidRect(dc, &r, ThemeSlot(gApp.theme, kBarEdgeSlot, kBarEdgeSlot));
  EndPaint(window, &ps);
}

void RemoveBarCommand(std::uint16_t id) noexcept {
  const std::int32_t index = FindCommandIndex(id);
  if (index >= 0) gApp.commands.RemoveAt(index);
}

}  // namespace

std::uint32_t CBar::CreateBar(std::uint16_t barId, CFrameWindow& frame, const std::uint16_t* commands, int count,
                              std::uint16_t barFlags) noexcept {
  DestroyBar();
  ownsItems_ = true;
  id = barId;
  frameId = frame.id;
  holder = &frame;
  flags = barFlags;
  side = kBarFloating;
  itemGap = 2;
  // Room for every item and the overflow button after them.
  if (count < 0 || count >= kMaxBarItems || (count > 0 && commands == nullptr) || !RegisterBarClass()) {
    return kStatusWindowNotCreated;
  }
  overflow = new (std::nothrow) std::uint16_t[kOverflowListSize];
  if (overflow == nullptr) return kStatusWindowNotCreated;
  overflow[0] = kOverflowListEnd;
  window = CreateWindowExA(WS_EX_TOOLWINDOW, kBarClass, "", kFloatingStyle, 0, 0, 0, 0, frame.window, nullptr,
                           gApp.ResourceInstance(), nullptr);
  if (window == nullptr) return kStatusWindowNotCreated;
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  // A floating bar's caption is the label of its command.
  if (const char* title = GetText(barId, 0)) SetWindowTextA(window, title);
  if (FindCommandIndex(barId) < 0 && AddCommand(barId, CommandKind::kButton, 0, 0, kSameIdAsCommand) < 0) {
    return kStatusWindowNotCreated;
  }
  for (int i = 0; i <= count; ++i) {
    const bool button = i == count;
    const std::uint16_t commandId = button ? kOverflowCommandId : commands[i];
    CommandRecord command{};
    if (GetCommand(commandId, &command) != kStatusOk) return kStatusUnknownCommand;
    CUIItem* item = CreateUiItem(command.kind, nullptr);
    // A kind whose class the program lacks still shows its command.
    if (item == nullptr) item = new (std::nothrow) CUIItem;
    if (item == nullptr) return kStatusWindowNotCreated;
    item->bar = this;
    // A bar's menus are its top-level menus for keyboard navigation.
    if (!button && command.kind == static_cast<std::uint16_t>(CommandKind::kPopup)) item->topLevelMenu = 1;
    // The overflow button asks the bar for its list; every other item tells
    // the framework window.
    if (item->Create(commandId, window, button ? window : frame.window, nullptr) != kStatusOk ||
        items.Append(item) < 0) {
      delete item;
      return kStatusWindowNotCreated;
    }
  }
  return kStatusOk;
}

void CBar::DestroyBar() noexcept {
  if (ownsItems_) {
    for (CUIItem* item : items) {
      item->Destroy();
      delete item;
    }
    items.ArrayFree();
    ownsItems_ = false;
  }
  delete[] overflow;
  overflow = nullptr;
  ShowBusyOverlay(false);
  if (window != nullptr) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
    window = nullptr;
  }
}

int CBar::GetBarThickness() noexcept {
  BarItem measured[kMaxBarItems];
  const int n = MeasureItems(*this, Orientation() == kBarVertical ? kBarVertical : kBarHorizontal, measured);
  int largest = -1;
  for (int i = 0; i < n; ++i) {
    if ((measured[i].commandFlags & kCommandHidden) == 0 && measured[i].across > largest) largest = measured[i].across;
  }
  const BarThickness t = ComputeBarThickness(largest, thickness, flags);
  minThickness = static_cast<std::uint16_t>(t.minimum);
  return t.thickness;
}

void CBar::LayoutBar(int width, int height, bool force) noexcept {
  const int orientation = Orientation();
  const bool vertical = orientation == kBarVertical;
  if (items.Count() == 0) {
    length = static_cast<std::uint16_t>(vertical ? height : width);
    thickness = static_cast<std::uint16_t>(vertical ? width : height);
    return;
  }
  const RECT now{kBarMargin, kBarMargin, width - kBarMargin, height - kBarMargin};
  if (!force && EqualRect(&now, &lastInner)) return;
  inner = now;
  BarItem measured[kMaxBarItems];
  BarItemPlace placed[kMaxBarItems];
  const int n = MeasureItems(*this, orientation, measured);
  if (orientation == kBarFloatingOrientation) {
    // The overflow button has nothing to do in a bar that wraps.
    placed[n - 1] = BarItemPlace{};
    const FloatingSize size = LayoutFloatingItems(measured, n - 1, kBarMargin, width, height, itemGap, placed);
    length = static_cast<std::uint16_t>(size.length);
    thickness = static_cast<std::uint16_t>(size.thickness);
    minLength = length;
    preferredLength = length;
    if (overflow != nullptr) overflow[0] = kOverflowListEnd;
  } else {
    const int innerLength = vertical ? now.bottom - now.top : now.right - now.left;
    const int innerThickness = vertical ? now.right - now.left : now.bottom - now.top;
    const BarRowLayout row = LayoutBarItems(measured, n, kBarMargin, kBarMargin, innerLength, innerThickness, itemGap,
                                            placed, overflow, kOverflowListSize);
    length = static_cast<std::uint16_t>(row.length);
    minLength = static_cast<std::uint16_t>(row.minLength);
    preferredLength = length;
  }
  for (int i = 0; i < n; ++i) {
    HWND item = items[i]->window;
    if (item == nullptr) continue;
    const BarItemPlace& p = placed[i];
    if (!p.shown) {
      ShowWindow(item, SW_HIDE);
      continue;
    }
    const int ix = vertical ? p.across : p.along;
    const int iy = vertical ? p.along : p.across;
    const int iw = vertical ? p.thickness : p.length;
    const int ih = vertical ? p.length : p.thickness;
    items[i]->x = ix;
    items[i]->y = iy;
    items[i]->width = iw;
    items[i]->height = ih;
    SetWindowPos(item, nullptr, ix, iy, iw, ih, SWP_SHOWWINDOW | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (!EqualRect(&now, &lastInner)) {
    lastInner = now;
    if (window != nullptr) InvalidateRect(window, nullptr, TRUE);
  }
}

void CBar::DockOrFloatBar(int newBayId, int left, int top, int width, int height, bool reparent) noexcept {
  if (window == nullptr) return;
  CDockBay* bay = newBayId >= 0 ? FindDockBay(static_cast<std::uint16_t>(newBayId)) : nullptr;
  CFrameWindow* frame = FindWindowRecordById(frameId);
  DWORD style = bay != nullptr ? kDockedStyle : kFloatingStyle;
  if (bay == nullptr && (flags & kBarSystemMenu) != 0) style |= WS_SYSMENU;
  int w = width;
  int h = height;
  if (reparent) {
    ShowWindow(window, SW_HIDE);
    side = bay != nullptr ? bay->side : kBarFloating;
    SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(style));
    if (bay != nullptr) {
      SetParent(window, bay->window);
    } else {
      SetParent(window, nullptr);
      // A floating bar stays above its window and goes with it.
      SetWindowLongPtrA(window, GWLP_HWNDPARENT,
                        reinterpret_cast<LONG_PTR>(frame != nullptr ? frame->window : nullptr));
    }
    // width and height are the bar's length and thickness when it docks,
    // its client size when it floats.
    const bool vertical = Orientation() == kBarVertical;
    lastInner = RECT{};
    LayoutBar(vertical ? height : width, vertical ? width : height, false);
    if (bay == nullptr && frame != nullptr) {
      (void)SetWindowOpacity(window, frame->transparency, 0);
    } else {
      (void)SetWindowOpacity(window, 0, 0);
    }
  }
  const bool vertical = Orientation() == kBarVertical;
  if (bay != nullptr) {
    thickness = static_cast<std::uint16_t>(GetBarThickness());
    w = vertical ? thickness : length;
    h = vertical ? length : thickness;
  } else {
    if (reparent || w <= 0 || h <= 0) {
      w = length;
      h = thickness;
    }
    RECT r{0, 0, w, h};
    (void)AdjustWindowRectDpi(&r, style, FALSE, WS_EX_TOOLWINDOW, GetWindowDpi(window));
    w = r.right - r.left;
    h = r.bottom - r.top;
  }
  SetWindowPos(window, nullptr, left, top, w, h,
               SWP_NOZORDER | SWP_NOACTIVATE | ((flags & kBarVisible) != 0 ? SWP_SHOWWINDOW : 0u));
  x = static_cast<std::int16_t>(left);
  y = static_cast<std::int16_t>(top);
  const bool wasDocked = bayId != kNoBayId;
  bayId = bay != nullptr ? bay->bayId : kNoBayId;
  // The bay it left and the bay it joined change their thickness.
  if ((bay != nullptr || wasDocked) && frame != nullptr) frame->MoveFrame(0, 0, -1, 0, 0);
}

void CBar::RefreshLayout() noexcept {
  const bool vertical = Orientation() == kBarVertical;
  LayoutBar(vertical ? thickness : length, vertical ? length : thickness, true);
  if (side == kBarFloating) {
    DockOrFloatBar(-1, x, y, 0, 0, false);
  } else if (holder != nullptr) {
    holder->Relayout();
  }
}

void CBar::SaveBarPosition() const noexcept {
  if (gApp.dataFolder[0] == '\0') return;
  const BarPlacementRecord record{x,   y,    length, thickness, frameId, static_cast<std::uint16_t>(bayId & 0xFF),
                                  row, flags};
  ReportRecordWrite(WriteConfigFileChecked(kBarRecordName, id, &record, sizeof record, 0), kBarRecordName, id, 0,
                    SaveOccasion::kBackground);
}

void CBar::ShowBusyOverlay(bool on) noexcept {
  if (on && busyOverlay == nullptr && window != nullptr) {
    busyOverlay = CreateWindowExA(WS_EX_TRANSPARENT, "OrvoBUSY", nullptr, WS_CHILD, 0, 0, 0, 0, window, nullptr,
                                  gApp.ResourceInstance(), nullptr);
    if (busyOverlay != nullptr) {
      RECT r{};
      GetClientRect(window, &r);
      SetWindowPos(busyOverlay, nullptr, 0, 0, r.right, r.bottom, SWP_SHOWWINDOW | SWP_NOREDRAW);
    }
  } else if (!on && busyOverlay != nullptr) {
    SetWindowPos(busyOverlay, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOREDRAW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    DestroyWindow(busyOverlay);
    busyOverlay = nullptr;
  }
}

void CBar::ShowBar(int showCommand) const noexcept {
  if (window != nullptr) ShowWindow(window, showCommand);
}

int AddBar(CBar* bar, int bayId, int left, int top, int width, int height) noexcept {
  if (bar == nullptr) return -1;
  const std::int32_t index = gApp.bars.Append(bar);
  if (index < 0) {
    delete bar;
    return -1;
  }
  bar->DockOrFloatBar(bayId, left, top, width, height, true);
  return index;
}

void DestroyAllBars() noexcept {
  for (std::int32_t i = gApp.bars.Count() - 1; i >= 0; --i) {
    CBar* bar = gApp.bars[i];
    if (bar == nullptr) continue;
    RemoveBarCommand(bar->id);
    bar->DestroyBar();
  }
}

void FreeAllBars() noexcept {
  DestroyAllBars();
  for (CBar* bar : gApp.bars) delete bar;
  gApp.bars.ArrayFree();
}

LRESULT CALLBACK BarWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CBar* bar = BarOf(window);
  if (bar == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_PAINT:
      PaintBar(window);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_FW_PAINTBACKGROUND:
      PaintBarBackground(reinterpret_cast<HDC>(wParam), window, static_cast<short>(LOWORD(lParam)),
                         static_cast<short>(HIWORD(lParam)));
      return 0;
    case WM_FW_GETPOPUPLIST:
      return LOWORD(wParam) == kOverflowCommandId ? reinterpret_cast<LRESULT>(bar->overflow) : 0;
    case WM_SIZE:
      // A floating bar the user sizes wraps its items again.
      if (bar->side == kBarFloating && IsWindowVisible(window)) bar->LayoutBar(LOWORD(lParam), HIWORD(lParam), false);
      break;
    case WM_MOVE:
      // A floating bar keeps its screen place for its record.
      if (bar->side == kBarFloating) {
        RECT r{};
        GetWindowRect(window, &r);
        bar->x = static_cast<std::int16_t>(r.left);
        bar->y = static_cast<std::int16_t>(r.top);
      }
      break;
    case WM_EXITSIZEMOVE:
      // Sized by the user: as high as its wrapped lines need.
      if (bar->side == kBarFloating) bar->RefreshLayout();
      break;
    case WM_CLOSE:
      ShowBarWindow(bar, false);
      return 0;
    case WM_RBUTTONUP:
      if (CFrameWindow* frame = FindWindowRecordById(bar->frameId)) SendMessageA(frame->window, WM_FW_WINDOWMENU, 0, 0);
      return 0;
    case WM_NCDESTROY:
      bar->window = nullptr;
      bar->busyOverlay = nullptr;
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      break;
    default:
      // What the overflow button's popup and its entries tell their owner
      // goes on to the framework window.
      if (message >= kFrameworkMessageFirst && message <= kFrameworkMessageLast) {
        if (CFrameWindow* frame = FindWindowRecordById(bar->frameId)) {
          return SendMessageA(frame->window, message, wParam, lParam);
        }
      }
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
