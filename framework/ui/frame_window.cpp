#include "framework/ui/frame_window.h"

#include <new>

#include "framework/app/exit_request.h"
#include "framework/object/application.h"
#include "framework/app/commands.h"
#include "framework/app/save_report.h"
#include "framework/store/config_file.h"
#include "framework/theme/draw.h"
#include "framework/ui/window_list.h"
#include "framework/ui/bar.h"
#include "framework/ui/dock_bay.h"
#include "framework/ui/frame_input.h"
#include "framework/ui/item_commands.h"
#include "framework/ui/tray_icon.h"
#include "framework/ui/window_menu.h"
#include "framework/util/monitors.h"
#include "framework/util/status_codes.h"

static_assert(kFrameStyleBorderless == (WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_SYSMENU));
static_assert(kFrameStyleDialogFrame == WS_DLGFRAME);
static_assert(kFrameStyleSizable == (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
static_assert(kFrameStyleCaption == WS_CAPTION);
static_assert(kFrameStyleMaximize == WS_MAXIMIZE);
static_assert(kFrameExStyleAppWindow == WS_EX_APPWINDOW);
static_assert(kFrameExStyleToolWindow == WS_EX_TOOLWINDOW);
static_assert(kFrameExStyleTopmost == WS_EX_TOPMOST);
static_assert(kFrameExStyleAcceptFiles == WS_EX_ACCEPTFILES);
// The creation block that the product's procedure sees with its WM_CREATE.
static_assert(sizeof(CREATESTRUCTA) == 48 || sizeof(void*) != 4);

namespace {

constexpr std::uint16_t kReadyTextId = 0xF004;
constexpr DWORD kStatusLockWait = 1000;

// The object a framework window stores in its user data; null until
// CreateFrameWindow has stored it and after the window is gone.
CFrameWindow* ObjectOf(HWND window) noexcept {
  return reinterpret_cast<CFrameWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// A failed registration (the class exists from an earlier window) is
// harmless: the class icon is set again for each window.
void RegisterFrameClasses(HINSTANCE instance, HICON icon) noexcept {
  WNDCLASSA wc{};
  wc.lpfnWndProc = &FrameWndProc;
  wc.hInstance = instance;
  wc.hIcon = icon;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = kFrameWindowClass;
  RegisterClassA(&wc);
  wc.lpfnWndProc = &DefWindowProcA;
  wc.hCursor = LoadCursorA(nullptr, IDC_WAIT);
  wc.lpszClassName = kBusyOverlayClass;
  RegisterClassA(&wc);
}

// The fonts of the saved face and size for a DPI. The face comes from a
// file: it is copied with a bound.
void CreateUiFonts(int dpi) noexcept {
  char face[sizeof gApp.settings.uiFontFace];
  std::size_t n = 0;
  for (; n + 1 < sizeof face && gApp.settings.uiFontFace[n] != '\0'; ++n) face[n] = gApp.settings.uiFontFace[n];
  face[n] = '\0';
  ThemeSetUiFont(gApp.theme, face, static_cast<int>(gApp.settings.uiFontSize), dpi);
}

bool ReadSavedPlacement(std::uint16_t id, FramePlacement& placement) noexcept {
  if (gApp.dataFolder[0] == '\0' || !IsSettingsVersionCurrent()) return false;
  WindowPlacementRecord record{};
  if (ReadConfigFile(kPlacementRecordName, id, &record, sizeof record, 0) != sizeof record) return false;
  const MonitorTable& table = CurrentMonitorTable();
  const int count = table.count < 0 ? 0 : (table.count > kMaxMonitors ? kMaxMonitors : table.count);
  MonitorRect monitors[kMaxMonitors];
  for (int i = 0; i < count; ++i) monitors[i] = ToMonitorRect(table.monitorRect[i]);
  if (!IsPlacementRecordUsable(record, monitors, count)) return false;
  placement = PlacementFromRecord(record);
  return true;
}

struct TabStopSearch {
  CGrowArray<HWND>* stops;
};

BOOL CALLBACK CollectTabStop(HWND child, LPARAM param) {
  auto* search = reinterpret_cast<TabStopSearch*>(param);
  if (IsWindowVisible(child) && IsWindowEnabled(child) && (GetWindowLongA(child, GWL_STYLE) & WS_TABSTOP) != 0) {
    (void)search->stops->Append(child);
  }
  return TRUE;
}

void OnActivate(CFrameWindow& frame, WPARAM wParam) noexcept {
  // The owning window id of the popup state doubles as the application's
  // active framework window.
  if (LOWORD(wParam) != WA_INACTIVE) {
    gApp.openPopupWindowId = frame.id;
    const HWND saved = frame.focusWindow;
    SetFocus(saved != nullptr && IsWindow(saved) && IsChild(frame.window, saved) ? saved : frame.window);
  } else {
    if (gApp.openPopupWindowId == frame.id && gApp.openPopupItem == nullptr) gApp.openPopupWindowId = kNoFrameId;
    frame.focusWindow = GetFocus();
  }
  RefreshNonClientAreas();
}

void OnDpiChanged(CFrameWindow& frame, WPARAM wParam, LPARAM lParam) noexcept {
  const DpiChange change = ComputeDpiChange(frame.dpi, LOWORD(wParam));
  frame.dpi = change.dpi;
  if (change.dpi > 0) CreateUiFonts(change.dpi);
  for (CBar* bar : gApp.bars) {
    if (bar == nullptr || bar->frameId != frame.id) continue;
    bar->thickness = static_cast<std::uint16_t>(bar->thickness * change.factor + 0.5);
  }
  if (const auto* suggested = reinterpret_cast<const RECT*>(lParam)) {
    SetWindowPos(frame.window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER);
  }
}

// The swatches of the custom colour commands in the window menu.
void DrawMenuIcon(HDC dc, DrawIconRequest* request) noexcept {
  if (request == nullptr) return;
  RECT& r = request->rect;
  if (IsRectEmpty(&r)) {
    r.right = 16;
    r.bottom = 16;
    return;
  }
  const int index = CustomColourIndexForCommand(request->id);
  if (index < 0 || dc == nullptr) return;
  RECT frameRect{};
  DeflateRectBy(&r, &frameRect, 4);
  FrameSolidRect(dc, &frameRect, ResolveColourArg(0, gApp.theme.slots));
  RECT swatch{};
  DeflateRectBy(&frameRect, &swatch, 1);
  FillSolidRect(dc, &swatch, CustomColour(gApp.settings, index));
}

void OnModalDepth(CFrameWindow& frame, WPARAM depthParam) noexcept {
  const auto depth = static_cast<int>(depthParam);
  if (depth > 0 && frame.busyOverlay == nullptr) {
    frame.busyOverlay = CreateWindowExA(WS_EX_TRANSPARENT, "OrvoBUSY", nullptr, WS_CHILD, 0, 0, 0, 0, frame.window,
                                        nullptr, gApp.ResourceInstance(), nullptr);
    if (frame.busyOverlay != nullptr) {
      SetWindowPos(frame.busyOverlay, nullptr, 0, 0, ClientWidth(frame.window), ClientHeight(frame.window),
                   SWP_SHOWWINDOW | SWP_NOREDRAW);
      SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    }
  } else if (depth <= 0 && frame.busyOverlay != nullptr) {
    DestroyWindow(frame.busyOverlay);
    frame.busyOverlay = nullptr;
  }
  for (CBar* bar : gApp.bars) {
    if (bar != nullptr && bar->frameId == frame.id && bar->side == kBarFloating) bar->ShowBusyOverlay(depth > 0);
  }
}

LRESULT WithoutObject(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    CreateUiFonts(GetWindowDpi(window));
  } else if (message == WM_GETMINMAXINFO && lParam != 0) {
    reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{0, 0};
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

void CFrameWindow::InitFrameRecord() noexcept {
  window = nullptr;
  busyOverlay = nullptr;
  focusWindow = nullptr;
  id = kNoFrameId;
  flags = 0;
  innerClient = RECT{};
  placement = RECT{};
  moveRect = RECT{};
  statusCommandId = 0xFFFF;
  styleChanging = 0;
  minTrackWidth = kFrameMinTrackWidth;
  minTrackHeight = kFrameMinTrackHeight;
  trayIcon.Reset();
  transparency = 0;
  ghostMode = 0;
  dpi = 0;
  for (std::uint16_t& entry : windowMenu) entry = kMenuListEnd;
  dockBays.ArrayFree();
  dockBays.SetGrowStep(-1);
  statusTexts.ArrayFree();
  statusTexts.SetGrowStep(-1);
  statusLock.Reset();
  openPopup = nullptr;
}

std::uint32_t CFrameWindow::CreateFrameWindow(std::uint16_t frameId, WNDPROC windowProc, const char* title,
                                              std::uint16_t iconId, std::uint32_t frameFlags, int x, int y,
                                              int width, int height) noexcept {
  id = frameId;
  flags = frameFlags;
  const HINSTANCE instance = gApp.ResourceInstance();
  // A resource icon is shared: the system owns it.
  const HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(iconId));
  RegisterFrameClasses(instance, icon);

  RECT monitor{};
  GetMonitorRectAt(0, 0, &monitor, 0, kMonitorArea);
  FramePlacement chosen = DefaultFramePlacement(ToMonitorRect(monitor), id, x, y, width, height, flags);
  (void)ReadSavedPlacement(id, chosen);
  placement = ToRect(chosen.rect);
  flags = chosen.flags;
  transparency = chosen.transparency;
  ghostMode = chosen.ghostMode ? 1 : 0;
  moveRect = placement;

  const FrameStyles styles = ComputeFrameStyles(flags);
  window = CreateWindowExA(styles.exStyle, kFrameWindowClass, title != nullptr ? title : "", styles.style,
                           placement.left, placement.top, placement.right - placement.left,
                           placement.bottom - placement.top, gApp.appWindow, nullptr, instance, nullptr);
  if (window == nullptr) return kStatusWindowNotCreated;
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  if (windowProc != nullptr) {
    gApp.frameDefaultProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(windowProc)));
  }
  CREATESTRUCTA creation{};
  SendMessageA(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&creation));
  SetClassLongPtrA(window, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));

  for (int side = 0; side < kBaySideCount; ++side) {
    if (AddDockBay(side) != side) return kStatusWindowNotCreated;
  }
  statusLock.Reset(CreateMutexA(nullptr, FALSE, nullptr));
  if (!statusLock) return kStatusWindowNotCreated;
  const char* ready = GetText(kReadyTextId, 0);
  SetStatusText(kStatusKeyBase, ready);
  SetStatusText(kStatusKeyHint, ready);
  SetFrameTransparency(transparency);
  SetFrameOpacityMode(ghostMode);
  return kStatusOk;
}

void CFrameWindow::DestroyFrame() noexcept {
  // The tray icon goes with the window (WM_DESTROY), while its handle still
  // names it.
  trayIcon.Reset();
  for (CDockBay* bay : dockBays) delete bay;
  dockBays.ArrayFree();
  statusLock.Reset();
  if (window != nullptr) {
    // WM_NCDESTROY clears the handle as the window goes.
    DestroyWindow(window);
    window = nullptr;
  }
  busyOverlay = nullptr;
  focusWindow = nullptr;
  statusTexts.ArrayFree();
}

void CFrameWindow::Relayout() noexcept {
  if (window == nullptr) return;
  RECT client{};
  GetClientRect(window, &client);
  const WPARAM type = IsZoomed(window) ? SIZE_MAXIMIZED : SIZE_RESTORED;
  const LPARAM size = MAKELPARAM(client.right - client.left, client.bottom - client.top);
  SendMessageA(window, WM_SIZE, type, size);
  SendMessageA(window, WM_SIZE, type, size);
}

void CFrameWindow::ShowFrame(int showCommand, bool barsOnly) noexcept {
  if (!barsOnly && window != nullptr) {
    if (showCommand != SW_HIDE) Relayout();
    if (showCommand == SW_SHOW && IsIconic(window)) showCommand = SW_SHOWNORMAL;
    ShowWindow(window, showCommand);
    if (showCommand == SW_SHOW || showCommand == SW_SHOWNORMAL) SetForegroundWindow(window);
  }
  for (CBar* bar : gApp.bars) {
    if (bar == nullptr || bar->frameId != id || bar->side != kBarFloating || bar->window == nullptr) continue;
    if ((bar->flags & kBarVisible) == 0) continue;
    if (showCommand == SW_HIDE || showCommand == SW_MINIMIZE) {
      bar->ShowBar(SW_HIDE);
    } else {
      // Above the window that was just brought to the front.
      SetWindowPos(bar->window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
  }
}

void CFrameWindow::MoveFrame(int x, int y, int width, int height, int show) {
  if (width == -1) {
    Relayout();
    return;
  }
  const std::uint32_t locks = flags & (kFrameLockPosition | kFrameLockSize);
  flags &= ~locks;
  SetWindowPos(window, nullptr, x, y, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE | (show == 1 ? SWP_SHOWWINDOW : 0u));
  flags |= locks;
  moveRect = placement;
}

void CFrameWindow::SetFramePos(const RECT& rect, int show) {
  SetWindowPos(window, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOZORDER | SWP_NOACTIVATE | (show == 1 ? SWP_SHOWWINDOW : 0u));
  moveRect = placement;
}

void CFrameWindow::ApplyFrameStyleFlags(std::uint32_t captionBits) noexcept {
  if (window == nullptr) return;
  flags = WithCaptionBits(flags, captionBits);
  styleChanging = 1;
  const bool visible = IsWindowVisible(window) != FALSE;
  if (visible) ShowFrame(SW_HIDE, false);
  const FrameStyles styles = ComputeFrameStyles(flags);
  SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(styles.style));
  SetWindowLongA(window, GWL_EXSTYLE, static_cast<LONG>(styles.exStyle));
  SendMessageA(window, WM_FW_STYLECHANGED, styles.style, static_cast<LPARAM>(styles.exStyle));
  // Setting the extended style dropped the layered attributes.
  SetFrameOpacityMode(ghostMode);
  if (visible) ShowFrame((flags & kFrameMaximised) != 0 ? SW_SHOWMAXIMIZED : SW_SHOW, false);
  SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
  styleChanging = 0;
}

void CFrameWindow::SetFrameFlagsAndRelayout(std::uint32_t bits, bool on) noexcept {
  flags = on ? (flags | bits) : (flags & ~bits);
  Relayout();
}

void CFrameWindow::ToggleFrameFlagsAndRelayout(std::uint32_t bits) noexcept {
  flags = ToggledFlags(flags, bits);
  Relayout();
}

void CFrameWindow::SetFrameTransparency(int percent) noexcept {
  transparency = percent;
  if (window != nullptr) (void)SetWindowOpacity(window, transparency, ghostMode);
}

void CFrameWindow::SetFrameOpacityMode(int on) {
  ghostMode = on != 0 ? 1 : 0;
  if (window != nullptr) (void)SetWindowOpacity(window, transparency, ghostMode);
}

std::uint32_t CFrameWindow::SetStatusText(std::int32_t key, const char* text) noexcept {
  const DWORD wait = WaitForSingleObject(statusLock.Get(), kStatusLockWait);
  if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) return wait;
  (void)UpdateStatusEntries(statusTexts, key, text);
  CommandRecord command{};
  if (statusCommandId == 0xFFFF || GetCommand(statusCommandId, &command) != kStatusOk) {
    ReleaseMutex(statusLock.Get());
    return kStatusOk;
  }
  const StatusEntry* shown = ShownStatusEntry(statusTexts);
  (void)gApp.texts.SetText(command.textId, 0, shown != nullptr ? shown->text : "");
  ReleaseMutex(statusLock.Get());
  RefreshCommandItems(statusCommandId, 0, -1);
  return kStatusOk;
}

bool CFrameWindow::MoveFocusToNextTabStop(int step) {
  if (window == nullptr) return false;
  CGrowArray<HWND> stops;
  TabStopSearch search{&stops};
  EnumChildWindows(window, &CollectTabStop, reinterpret_cast<LPARAM>(&search));
  if (stops.Count() == 0) return false;
  SendMessageA(window, WM_FW_TABORDER, 0, reinterpret_cast<LPARAM>(&stops));
  const HWND focus = GetFocus();
  int current = -1;
  for (int i = 0; i < stops.Count(); ++i) {
    if (stops[i] == focus) {
      current = i;
      break;
    }
  }
  const int next = NextTabStop(stops.Count(), current, step);
  if (next >= 0) SetFocus(stops[next]);
  return true;
}

void CFrameWindow::SaveFramePlacement() {
  // Without a data folder there is nowhere to keep it (never the root of a
  // drive).
  if (id == kNoFrameId || gApp.dataFolder[0] == '\0') return;
  const WindowPlacementRecord record =
      MakePlacementRecord(ToMonitorRect(placement), flags, transparency, ghostMode != 0);
  ReportRecordWrite(WriteConfigFileChecked(kPlacementRecordName, id, &record, sizeof record, 0), kPlacementRecordName,
                    id, 0, SaveOccasion::kBackground);
}

int CFrameWindow::AddDockBay(int side) noexcept {
  auto* bay = new (std::nothrow) CDockBay;
  if (bay == nullptr) return -1;
  const std::int32_t index = dockBays.Append(bay);
  if (index < 0) {
    delete bay;
    return -1;
  }
  if (bay->CreateDockBay(side, *this) != kStatusOk) {
    dockBays.RemoveAt(index);
    delete bay;
    return -1;
  }
  return index;
}

void CFrameWindow::LayoutDockBays(WPARAM sizeType, LPARAM size) noexcept {
  if (dockBays.Count() != kBaySideCount) return;
  const int w = LOWORD(size);
  const int h = HIWORD(size);
  dockBays[kBayTop]->PositionDockBay(0, 0, w, 0);
  dockBays[kBayBottom]->PositionDockBay(0, h, w, 0);
  const int t = ClientHeight(dockBays[kBayTop]->window);
  const int b = ClientHeight(dockBays[kBayBottom]->window);
  dockBays[kBayLeft]->PositionDockBay(0, t, 0, h - b - t);
  dockBays[kBayRight]->PositionDockBay(w, t, 0, h - b - t);
  innerClient = ToRect(InnerClientRect(w, h, t, b, ClientWidth(dockBays[kBayLeft]->window),
                                       ClientWidth(dockBays[kBayRight]->window)));
  SendMessageA(window, WM_FW_LAYOUT, sizeType, size);
  if (busyOverlay != nullptr) SetWindowPos(busyOverlay, nullptr, 0, 0, w, h, SWP_NOREDRAW);
}

void CFrameWindow::TrackFramePlacement() noexcept {
  if (window == nullptr) return;
  const bool zoomed = IsZoomed(window) != FALSE;
  flags = zoomed ? (flags | kFrameMaximised) : (flags & ~kFrameMaximised);
  if (zoomed || IsIconic(window) || styleChanging != 0) return;
  RECT now{};
  if (!GetWindowRect(window, &now)) return;
  placement = ToRect(TrackPlacement(ToMonitorRect(placement), ToMonitorRect(now), flags));
}

LRESULT FrameDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const WNDPROC proc = gApp.frameDefaultProc != nullptr ? gApp.frameDefaultProc : &FrameWndProc;
  return CallWindowProcA(proc, window, message, wParam, lParam);
}

LRESULT CALLBACK FrameWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CFrameWindow* frame = ObjectOf(window);
  if (frame == nullptr) return WithoutObject(window, message, wParam, lParam);
  switch (message) {
    case WM_CREATE:
      CreateUiFonts(GetWindowDpi(window));
      break;
    case WM_DESTROY:
      frame->SaveFramePlacement();
      (void)SetTrayIcon(frame->id, -1, nullptr);
      break;
    case WM_NCDESTROY:
      // However the window goes (its owner destroyed first, or a caller's
      // DestroyWindow), the object never destroys it a second time.
      frame->window = nullptr;
      frame->busyOverlay = nullptr;
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      ForgetResizeTarget(frame);
      break;
    case WM_MOVE:
      frame->TrackFramePlacement();
      break;
    case WM_SIZE:
      frame->LayoutDockBays(wParam, lParam);
      frame->TrackFramePlacement();
      break;
    case WM_ACTIVATE: {
      // The default handling gives the focus to the window itself: it runs
      // first so that the saved focus wins.
      const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
      OnActivate(*frame, wParam);
      return result;
    }
    case WM_CLOSE:
      frame->SaveFramePlacement();
      return 0;
    case WM_SHOWWINDOW:
      frame->ShowFrame(wParam != 0 ? SW_SHOW : SW_HIDE, true);
      frame->dpi = GetWindowDpi(window);
      break;
    case WM_ACTIVATEAPP:
      if (gApp.openPopupItem != nullptr) (void)ClosePopupMenu(nullptr);
      break;
    case WM_SETCURSOR:
      if ((frame->flags & kFrameLockSize) == 0) break;
      SetCursor(LoadCursorA(nullptr, frame->busyOverlay != nullptr ? IDC_WAIT : IDC_ARROW));
      return TRUE;
    case WM_GETMINMAXINFO:
      if (lParam != 0) {
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{frame->minTrackWidth, frame->minTrackHeight};
      }
      break;
    case WM_WINDOWPOSCHANGING:
      if (auto* pos = reinterpret_cast<WINDOWPOS*>(lParam)) {
        if ((frame->flags & kFrameLockPosition) != 0) pos->flags |= SWP_NOMOVE;
        if ((frame->flags & kFrameLockSize) != 0) pos->flags |= SWP_NOSIZE;
      }
      break;
    case WM_HELP:
      if (GetAsyncKeyState(VK_CONTROL) < 0) return 1;
      SendMessageA(window, WM_FW_HELPREQUEST, 0, lParam);
      break;
    case WM_NCACTIVATE:
      return DefWindowProcA(window, message, gApp.openPopupWindowId == frame->id ? 1 : 0, lParam);
    case WM_NCRBUTTONDOWN:
      return 0;
    case WM_NCRBUTTONUP:
    case WM_RBUTTONUP:
      SendMessageA(window, WM_FW_WINDOWMENU, 0, 0);
      return 0;
    case WM_EXITSIZEMOVE:
      GetWindowRect(window, &frame->moveRect);
      break;
    case WM_DPICHANGED:
      OnDpiChanged(*frame, wParam, lParam);
      break;
    case WM_FW_WINDOWMENU:
      OpenWindowMenu(*frame);
      return 0;
    case WM_FW_COMMAND:
      (void)HandleFrameCommand(*frame, LOWORD(wParam));
      return 0;
    case WM_FW_SETPOPUP:
      frame->openPopup = reinterpret_cast<CUIItem*>(lParam);
      return 0;
    case WM_FW_GETPOPUP:
      return reinterpret_cast<LRESULT>(frame->openPopup);
    case WM_FW_SHOWFRAME:
      frame->ShowFrame(SW_SHOWNORMAL, false);
      return 0;
    case WM_FW_DRAWICON:
      DrawMenuIcon(reinterpret_cast<HDC>(wParam), reinterpret_cast<DrawIconRequest*>(lParam));
      return 0;
    case WM_FW_MODALDEPTH:
      OnModalDepth(*frame, wParam);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
