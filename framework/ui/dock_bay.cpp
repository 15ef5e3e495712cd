#include "framework/ui/dock_bay.h"

#include "framework/object/application.h"
#include "framework/theme/draw.h"
#include "framework/ui/bar.h"
#include "framework/ui/frame_window.h"
#include "framework/util/monitors.h"
#include "framework/util/shell_util.h"
#include "framework/util/status_codes.h"

namespace {

constexpr int kGripDpiDivisor = 6;  // 16 pixels at 96 DPI

CDockBay* BayOf(HWND window) noexcept {
  return reinterpret_cast<CDockBay*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

void PaintBay(const CDockBay& bay, HWND window) noexcept {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  if (dc == nullptr) return;
  bay.PaintDockBayToDc(dc, 0, 0);
  RECT client{};
  GetClientRect(window, &client);
  const bool farSplitter = bay.side == kBayTop || bay.side == kBayLeft;
  int start = 0;
  for (int row = 0; row < kBayRowCount && bay.rowSizes[row] != 0; ++row) {
    const int size = bay.rowSizes[row] < 0 ? -bay.rowSizes[row] : bay.rowSizes[row];
    if (bay.rowSizes[row] < 0) {
      const int band = farSplitter ? start + size - kSplitterSize : start;
      RECT r = bay.vertical ? RECT{band, 0, band + kSplitterSize, client.bottom}
                            : RECT{0, band, client.right, band + kSplitterSize};
      RECT drawn{};
      DrawSplitter(gApp.theme, dc, &r, &drawn, bay.vertical ? 1 : 0);
    }
    start += size;
  }
  if (bay.gripMode == 1) {
    const RECT grip{client.right - bay.gripSize, client.bottom - bay.gripSize, client.right, client.bottom};
    DrawSizeGrip(gApp.theme, dc, &grip);
  }
  EndPaint(window, &ps);
}

bool InGrip(const CDockBay& bay, HWND window, LPARAM screenPoint) noexcept {
  if (bay.gripMode != 1 || bay.frame == nullptr || (bay.frame->flags & kFrameBorderless) != 0) return false;
  POINT p{static_cast<short>(LOWORD(screenPoint)), static_cast<short>(HIWORD(screenPoint))};
  ScreenToClient(window, &p);
  RECT client{};
  GetClientRect(window, &client);
  return p.x >= client.right - bay.gripSize && p.y >= client.bottom - bay.gripSize && p.x < client.right &&
         p.y < client.bottom;
}

// A splitter drag moved the cursor: the row's resizable bars take the new
// thickness, never below the largest minimum of the row's bars.
void DragSplitter(CDockBay& bay) noexcept {
  POINT cursor{};
  GetCursorPos(&cursor);
  int delta = bay.vertical ? cursor.x - bay.dragStart.x : cursor.y - bay.dragStart.y;
  if (bay.side == kBayBottom || bay.side == kBayRight) delta = -delta;
  int largestMinimum = 0;
  for (CBar* bar : gApp.bars) {
    if (bar == nullptr || bar->bayId != bay.bayId || bar->row != bay.draggedRow) continue;
    (void)bar->GetBarThickness();
    if (bar->minThickness > largestMinimum) largestMinimum = bar->minThickness;
  }
  const int t = DraggedRowThickness(bay.dragStartThickness, delta, largestMinimum);
  for (CBar* bar : gApp.bars) {
    if (bar == nullptr || bar->bayId != bay.bayId || bar->row != bay.draggedRow) continue;
    if ((bar->flags & kBarResizableRow) != 0) bar->thickness = static_cast<std::uint16_t>(t);
  }
  if (bay.frame != nullptr) bay.frame->MoveFrame(0, 0, -1, 0, 0);
  InvalidateRect(bay.window, nullptr, FALSE);
}

}  // namespace

void CDockBay::InitDockBay() noexcept {
  window = nullptr;
  frame = nullptr;
  bayId = 0;
  frameId = 0;
  side = kBayTop;
  vertical = false;
  for (std::int32_t& row : rowSizes) row = 0;
  gripMode = -1;
  gripSize = 0;
  draggedRow = -1;
  dragStartThickness = 0;
  dragStart = POINT{};
  previousWidth = 0;
  previousHeight = 0;
  lastSize = 0;
}

std::uint32_t CDockBay::CreateDockBay(int baySide, CFrameWindow& owner) noexcept {
  frame = &owner;
  side = baySide;
  frameId = owner.id;
  bayId = static_cast<std::uint16_t>(baySide + owner.id * 256);
  vertical = IsVerticalBay(baySide);
  gripMode = (owner.flags & kFrameSizable) != 0 && (baySide == kBayBottom || baySide == kBayRight) ? 0 : -1;

  const HINSTANCE instance = gApp.ResourceInstance();
  WNDCLASSA wc{};
  wc.lpfnWndProc = &DockBayWndProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = kDockBayClass;
  RegisterClassA(&wc);  // already there for the frame's other bays
  window = CreateWindowExA(0, kDockBayClass, nullptr, WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, CW_USEDEFAULT,
                           0, CW_USEDEFAULT, 0, owner.window, nullptr, instance, nullptr);
  if (window == nullptr) return kStatusWindowNotCreated;
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  return kStatusOk;
}

void CDockBay::DestroyDockBayWindow() noexcept {
  if (window == nullptr) return;
  DestroyWindow(window);
  window = nullptr;
}

void CDockBay::PositionDockBay(int x, int y, int width, int height) noexcept {
  if (window == nullptr) return;
  const int thickness = LayoutDockBay(vertical ? height : width);
  const MonitorRect r = DockBayRect(side, x, y, width, height, thickness);
  SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_SHOWWINDOW | SWP_NOZORDER);
}

namespace {

constexpr int kMaxBayBars = 128;

// The bars docked in a bay, as the row arithmetic sees them.
struct BayBars {
  DockedBar docked[kMaxBayBars];
  CBar* bars[kMaxBayBars];
  int count = 0;
};

void CollectBayBars(std::uint16_t bayId, BayBars& out) noexcept {
  out.count = 0;
  for (CBar* bar : gApp.bars) {
    if (bar == nullptr || bar->bayId != bayId || out.count == kMaxBayBars) continue;
    DockedBar& d = out.docked[out.count];
    d.bayId = bar->bayId;
    d.row = bar->row;
    d.flags = bar->flags;
    d.thickness = (bar->flags & kBarVisible) != 0 ? bar->GetBarThickness() : 0;
    d.minThickness = bar->minThickness;
    d.position = IsVerticalBay(bar->side) ? bar->y : bar->x;
    d.length = bar->length;
    d.minLength = bar->minLength;
    d.preferredLength = bar->preferredLength;
    out.bars[out.count++] = bar;
  }
}

}  // namespace

void CDockBay::MeasureDockBayRows() noexcept {
  BayBars found;
  CollectBayBars(bayId, found);
  MeasureBayRows(found.docked, found.count, bayId, rowSizes);
  for (int i = 0; i < found.count; ++i) found.bars[i]->row = found.docked[i].row;
}

int CDockBay::LayoutDockBay(int length) noexcept {
  BayBars found;
  CollectBayBars(bayId, found);
  MeasureBayRows(found.docked, found.count, bayId, rowSizes);
  for (int i = 0; i < found.count; ++i) found.bars[i]->row = found.docked[i].row;
  bool bottomBars = false;
  for (CBar* bar : gApp.bars) {
    if (bar != nullptr && bar->frameId == frameId && bar->side == kBayBottom && (bar->flags & kBarVisible) != 0) {
      bottomBars = true;
    }
  }
  int thickness = 0;
  for (int row = 0; row < kBayRowCount && rowSizes[row] != 0; ++row) {
    if (gripMode != -1) {
      gripMode = side == kBayTop || side == kBayLeft ? 0 : 1;
      if (side == kBayRight && bottomBars) gripMode = 0;
      for (int i = 0; i < found.count; ++i) {
        if ((found.docked[i].flags & kBarVisible) != 0 && found.docked[i].row > row) gripMode = 0;
      }
    }
    // The row's bars in their order along it; ties keep the list's order.
    // A row holds no more bars than its layout places: a bar beyond them
    // stays where it is rather than take a place that was never set.
    DockedBar* rowBars[kMaxRowBars];
    CBar* rowOwners[kMaxRowBars];
    int n = 0;
    for (int i = 0; i < found.count && n < kMaxRowBars; ++i) {
      DockedBar& d = found.docked[i];
      if ((d.flags & kBarVisible) == 0 || d.row != row) continue;
      int at = n;
      while (at > 0 && rowBars[at - 1]->position > d.position) {
        rowBars[at] = rowBars[at - 1];
        rowOwners[at] = rowOwners[at - 1];
        --at;
      }
      rowBars[at] = &d;
      rowOwners[at] = found.bars[i];
      ++n;
    }
    if (n == 0) break;
    const int usable = length - (gripMode == 1 ? gripSize : 0);
    RowPlace places[kMaxRowBars];
    LayoutBayRow(rowBars, n, usable, places);
    int across = 0;
    for (int i = 0; i < n; ++i) across = rowBars[i]->thickness > across ? rowBars[i]->thickness : across;
    const bool splitter = rowSizes[row] < 0;
    const int offset = thickness + (splitter && (side == kBayBottom || side == kBayRight) ? kSplitterSize : 0);
    for (int i = 0; i < n; ++i) {
      CBar* bar = rowOwners[i];
      if ((bar->flags & kBarFollowsPrevious) != 0) {
        (vertical ? bar->y : bar->x) = static_cast<std::int16_t>(rowBars[i]->position);
      }
      const int w = vertical ? across : places[i].length;
      const int h = vertical ? places[i].length : across;
      if (bar->window != nullptr) {
        SetWindowPos(bar->window, nullptr, vertical ? offset : places[i].along, vertical ? places[i].along : offset, w,
                     h, SWP_NOZORDER | SWP_NOACTIVATE);
      }
      bar->LayoutBar(w, h, false);
    }
    thickness += RowMagnitude(rowSizes[row]);
  }
  return thickness;
}

int CDockBay::DockBaySplitterHitTest(const POINT* point) const noexcept {
  if (frame == nullptr || (frame->flags & kFrameLockBarSizes) != 0 || window == nullptr) return -1;
  POINT p{};
  if (point != nullptr) {
    p = *point;
  } else {
    GetCursorPos(&p);
    ScreenToClient(window, &p);
  }
  return SplitterRowAt(rowSizes, side, vertical ? p.x : p.y);
}

void CDockBay::PaintDockBayToDc(HDC dc, int x, int y) const noexcept {
  RECT r{};
  if (window == nullptr || !GetClientRect(window, &r)) return;
  OffsetRect(&r, -x, -y);
  FillSolidRect(dc, &r, ThemeSlot(gApp.theme, kDockBaySlot, kDockBaySlot));
}

LRESULT CALLBACK DockBayWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CDockBay* bay = BayOf(window);
  if (bay == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_SIZE:
      bay->gripSize = GetWindowDpi(window) / kGripDpiDivisor;
      if (lParam != bay->lastSize) {
        bay->lastSize = lParam;
        if (bay->gripMode == 1) {
          bay->previousWidth -= bay->gripSize;
          bay->previousHeight -= bay->gripSize;
        }
        InvalidateGrownArea(window, LOWORD(lParam), HIWORD(lParam), bay->previousWidth, bay->previousHeight);
      }
      break;
    case WM_PAINT:
      PaintBay(*bay, window);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETCURSOR:
      if (bay->DockBaySplitterHitTest(nullptr) < 0) break;
      SetCursor(LoadCursorA(nullptr, bay->vertical ? IDC_SIZEWE : IDC_SIZENS));
      return TRUE;
    case WM_NCHITTEST:
      if (InGrip(*bay, window, lParam)) return HTBOTTOMRIGHT;
      break;
    case WM_LBUTTONDOWN: {
      const POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      const int row = bay->DockBaySplitterHitTest(&p);
      if (row < 0) break;
      bay->draggedRow = row;
      GetCursorPos(&bay->dragStart);
      bay->dragStartThickness = RowMagnitude(bay->rowSizes[row]) - kSplitterSize;
      SetCapture(window);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (bay->draggedRow < 0) break;
      DragSplitter(*bay);
      return 0;
    case WM_LBUTTONUP:
      if (bay->draggedRow < 0) break;
      bay->draggedRow = -1;
      ReleaseCapture();
      return 0;
    case WM_CAPTURECHANGED:
      bay->draggedRow = -1;
      break;
    case WM_RBUTTONUP:
      if (bay->frame != nullptr && bay->frame->window != nullptr) {
        SendMessageA(bay->frame->window, WM_FW_WINDOWMENU, 0, 0);
      }
      return 0;
    case WM_FW_PAINTBACKGROUND:
      bay->PaintDockBayToDc(reinterpret_cast<HDC>(wParam), static_cast<short>(LOWORD(lParam)),
                            static_cast<short>(HIWORD(lParam)));
      return 0;
    case WM_NCDESTROY:
      bay->window = nullptr;
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
