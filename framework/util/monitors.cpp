#include "framework/util/monitors.h"
#include "framework/util/win_handles.h"

#include <cstring>
#include <string>

namespace {

MonitorTable gCurrentTable;
MonitorTable gPreviousTable;

constexpr int kDefaultDpi = 96;
constexpr WPARAM kTransparentOn = 0x6661;
constexpr WPARAM kTransparentOff = 0x6660;

// Optional system functions, looked up once. Windows 8.1 and later have
// GetDpiForMonitor, Windows 10 1607 and later GetDpiForWindow.
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

GetDpiForMonitorFn DpiForMonitorFunction() noexcept {
  // shcore stays loaded for the life of the process, like the system's own
  // DPI machinery that uses it.
  static const GetDpiForMonitorFn fn = [] {
    HMODULE shcore = LoadLibraryA("shcore.dll");
    return shcore != nullptr
               ? reinterpret_cast<GetDpiForMonitorFn>(GetProcAddress(shcore, "GetDpiForMonitor"))
               : nullptr;
  }();
  return fn;
}

GetDpiForWindowFn DpiForWindowFunction() noexcept {
  static const GetDpiForWindowFn fn = [] {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 != nullptr
               ? reinterpret_cast<GetDpiForWindowFn>(GetProcAddress(user32, "GetDpiForWindow"))
               : nullptr;
  }();
  return fn;
}

int DeviceDpi(HWND window) noexcept {
  CDcHandle dc(window);
  const int dpi = dc.Get() != nullptr ? GetDeviceCaps(dc.Get(), LOGPIXELSX) : 0;
  return dpi > 0 ? dpi : kDefaultDpi;
}

int EffectiveDpi(HMONITOR monitor) noexcept {
  UINT x = 0, y = 0;
  const GetDpiForMonitorFn fn = DpiForMonitorFunction();
  if (fn == nullptr || monitor == nullptr || FAILED(fn(monitor, kEffectiveDpi, &x, &y)) || x == 0) {
    return 0;
  }
  return static_cast<int>(x);
}

BOOL CALLBACK MonitorEnumProc(HMONITOR monitor, HDC, LPRECT rect, LPARAM) {
  MonitorTable& t = gCurrentTable;
  if (t.count >= kMaxMonitors || monitor == nullptr || rect == nullptr) return FALSE;
  const int n = t.count;
  t.monitorRect[n] = *rect;
  t.dpi[n] = GetMonitorDpi(rect, monitor);
  MONITORINFOEXA info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoA(monitor, &info)) {
    t.workRect[n] = info.rcWork;
    t.flags[n] = static_cast<int>(info.dwFlags);
    StripDeviceName(info.szDevice, t.device[n], sizeof t.device[n]);
  } else {
    t.workRect[n] = *rect;
    t.flags[n] = 0;
    t.device[n][0] = '\0';
  }
  ++t.count;
  return TRUE;
}

// One window search at a time: the own window's procedure is replaced for
// the duration of the search.
WNDPROC gSavedOwnProc = nullptr;
bool gOwnTransparent = false;

// Gives the own window back its procedure however the search ends.
class TransparentWindow {
 public:
  explicit TransparentWindow(HWND own) noexcept : own_(own) {
    if (own_ == nullptr) return;
    gSavedOwnProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(own_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HitTestTransparentProc)));
    if (gSavedOwnProc == nullptr) {  // not a window of this process
      own_ = nullptr;
      return;
    }
    SendMessageA(own_, WM_NCHITTEST, kTransparentOn, 0);
  }
  ~TransparentWindow() {
    if (own_ == nullptr) return;
    SendMessageA(own_, WM_NCHITTEST, kTransparentOff, 0);
    SetWindowLongPtrA(own_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gSavedOwnProc));
    gSavedOwnProc = nullptr;
  }
  TransparentWindow(const TransparentWindow&) = delete;
  TransparentWindow& operator=(const TransparentWindow&) = delete;

 private:
  HWND own_;
};

struct SmallestChildSearch {
  POINT point;
  bool includeHidden;
  unsigned long long bestArea;
  HWND best;
};

BOOL CALLBACK SmallestChildAtPointProc(HWND window, LPARAM param) {
  auto* s = reinterpret_cast<SmallestChildSearch*>(param);
  RECT r;
  if (!GetWindowRect(window, &r)) return TRUE;
  if (s->point.x < r.left || s->point.x >= r.right || s->point.y < r.top || s->point.y >= r.bottom) {
    return TRUE;
  }
  const auto area = static_cast<unsigned long long>(static_cast<unsigned>(r.right - r.left)) *
                    static_cast<unsigned>(r.bottom - r.top);
  if (area < s->bestArea && (s->includeHidden || IsWindowVisible(window))) {
    s->bestArea = area;
    s->best = window;
  }
  return TRUE;
}

HWND NearestVisible(HWND window) noexcept {
  const HWND desktop = GetDesktopWindow();
  while (window != nullptr && window != desktop) {
    if (IsWindowVisible(window)) return window;
    window = GetAncestor(window, GA_PARENT);
  }
  return nullptr;
}

struct PhantomSearch {
  const char* title;
  HWND found;
};

BOOL CALLBACK FindPhantomProc(HWND window, LPARAM param) {
  auto* s = reinterpret_cast<PhantomSearch*>(param);
  char className[64];
  if (GetClassNameA(window, className, sizeof className) == 0) return TRUE;
  if (!AsciiEqualNoCase(className, "OrvoPhantom")) return TRUE;
  const int length = GetWindowTextLengthA(window);
  std::string title(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
  const int got = GetWindowTextA(window, &title[0], static_cast<int>(title.size()));
  title.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  if (title == s->title) {
    s->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

MonitorTable& CurrentMonitorTable() noexcept { return gCurrentTable; }
MonitorTable& PreviousMonitorTable() noexcept { return gPreviousTable; }

void RefreshMonitorTable() noexcept {
  MonitorTable& t = gCurrentTable;
  t.count = 0;
  EnumDisplayMonitors(nullptr, nullptr, &MonitorEnumProc, 0);
  if (t.count == 0) {
    RECT desktop{};
    GetWindowRect(GetDesktopWindow(), &desktop);
    t.monitorRect[0] = desktop;
    t.dpi[0] = GetMonitorDpi(&desktop, nullptr);
    t.flags[0] = MONITORINFOF_PRIMARY;
    t.count = 1;
  }
  t.virtualX = GetSystemMetrics(SM_XVIRTUALSCREEN);
  t.virtualY = GetSystemMetrics(SM_YVIRTUALSCREEN);
  t.virtualWidth = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  t.virtualHeight = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  t.virtualRect = RECT{t.virtualX, t.virtualY, t.virtualX + t.virtualWidth, t.virtualY + t.virtualHeight};
}

int GetMonitorRectAt(int x, int y, RECT* out, int previous, int which) noexcept {
  RefreshMonitorTable();
  const MonitorTable& t = (previous & 0xFF) != 0 ? gPreviousTable : gCurrentTable;
  int count = t.count < 0 ? 0 : (t.count > kMaxMonitors ? kMaxMonitors : t.count);
  MonitorRect rects[kMaxMonitors];
  for (int i = 0; i < count; ++i) rects[i] = ToMonitorRect(t.monitorRect[i]);
  const int index = ChooseMonitor(rects, count, x, y);
  if (out != nullptr) {
    if (which == kWorkArea) {
      const MonitorRect area = WorkAreaOrMonitor(ToMonitorRect(t.workRect[index]),
                                                 ToMonitorRect(t.monitorRect[index]));
      *out = RECT{area.left, area.top, area.right, area.bottom};
    } else {
      *out = t.monitorRect[index];
    }
  }
  return index;
}

int GetMonitorDpi(const RECT* rect, HMONITOR monitor) noexcept {
  if (DpiForMonitorFunction() != nullptr) {
    if (monitor == nullptr && rect != nullptr) monitor = MonitorFromRect(rect, MONITOR_DEFAULTTONEAREST);
    const int dpi = EffectiveDpi(monitor);
    if (dpi > 0) return dpi;
  }
  HWND window = nullptr;
  if (rect != nullptr) {
    const POINT centre{rect->left + (rect->right - rect->left) / 2, rect->top + (rect->bottom - rect->top) / 2};
    window = WindowFromPoint(centre);
  }
  return DeviceDpi(window);
}

int GetWindowDpi(HWND window) noexcept {
  if (const GetDpiForWindowFn fn = DpiForWindowFunction()) {
    const UINT dpi = fn(window);
    if (dpi > 0) return static_cast<int>(dpi);
  }
  if (DpiForMonitorFunction() != nullptr) {
    const int dpi = EffectiveDpi(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
    if (dpi > 0) return dpi;
  }
  return DeviceDpi(window);
}

void CenterWindow(HWND window, RECT* rect, HWND reference) noexcept {
  if (reference == nullptr && window != nullptr) reference = GetParent(window);
  if (reference == nullptr) reference = GetDesktopWindow();
  RECT r{};
  GetWindowRect(reference, &r);
  RECT own{};
  if (rect != nullptr) {
    own = *rect;
  } else if (window == nullptr || !GetWindowRect(window, &own)) {
    return;
  }
  RECT area{};
  GetMonitorRectAt(r.left, r.top, &area, 0, kWorkArea);
  const WindowPosition p =
      CenterPosition(ToMonitorRect(r), own.right - own.left, own.bottom - own.top, ToMonitorRect(area));
  if (rect != nullptr) {
    rect->left = p.x;
    rect->top = p.y;
  } else {
    SetWindowPos(window, nullptr, p.x, p.y, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
  }
}

HWND FindPhantomWindow(const char* title) noexcept {
  if (title == nullptr) return nullptr;
  PhantomSearch s{title, nullptr};
  EnumWindows(&FindPhantomProc, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

LRESULT CALLBACK HitTestTransparentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCHITTEST) {
    if (wParam == kTransparentOn || wParam == kTransparentOff) {
      gOwnTransparent = wParam == kTransparentOn;
      return 0;
    }
    if (gOwnTransparent) return HTTRANSPARENT;
  }
  return gSavedOwnProc != nullptr ? CallWindowProcA(gSavedOwnProc, window, message, wParam, lParam)
                                  : DefWindowProcA(window, message, wParam, lParam);
}

HWND FindWindowAtPoint(int x, int y, bool root, bool includeHidden, HWND own, HWND* outRoot) noexcept {
  HWND result = nullptr;
  {
    TransparentWindow transparent(own);
    const POINT point{x, y};
    HWND start = WindowFromPoint(point);
    if (start != nullptr) {
      const HWND parent = GetParent(start);
      if (parent != nullptr && (GetWindowLongA(start, GWL_STYLE) & WS_POPUP) == 0) start = parent;
      SmallestChildSearch s{point, includeHidden, 0xFFFFFFFFull, nullptr};
      EnumChildWindows(start, &SmallestChildAtPointProc, reinterpret_cast<LPARAM>(&s));
      const HWND best = s.best != nullptr ? s.best : start;
      result = includeHidden ? best : NearestVisible(best);
    }
  }
  if (result == nullptr || (!root && outRoot == nullptr)) return result;
  const HWND rootWindow = GetAncestor(result, GA_ROOT);
  if (outRoot != nullptr) *outRoot = rootWindow;
  return root ? rootWindow : result;
}

bool IsWindowUnderCursor(HWND window) noexcept {
  POINT p;
  return window != nullptr && GetCursorPos(&p) && WindowFromPoint(p) == window;
}

bool MatchParentTopmost(HWND window) noexcept {
  const HWND parent = window != nullptr ? GetParent(window) : nullptr;
  if (parent == nullptr || (GetWindowLongA(parent, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0) return false;
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0,
               SWP_NOOWNERZORDER | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
  return true;
}
