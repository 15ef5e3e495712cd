// A plain program with one window, for the global-hook tests: it counts the
// input its window procedure receives and answers queries about it.
#include <windows.h>

#include "tests/support/hooks/hook_target.h"

namespace {

LONG gCounters[kTargetCounterCount] = {};

LRESULT CALLBACK TargetProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_MOUSEMOVE: ++gCounters[kTargetMoves]; return 0;
    case WM_RBUTTONDOWN: ++gCounters[kTargetRightDowns]; return 0;
    case WM_RBUTTONUP: ++gCounters[kTargetRightUps]; return 0;
    case WM_MOUSEWHEEL:
      ++gCounters[kTargetWheels];
      gCounters[kTargetLastWheelDelta] = GET_WHEEL_DELTA_WPARAM(wParam);
      return 0;
    case kTargetQuery:
      return wParam < kTargetCounterCount ? gCounters[wParam] : -1;
    case kTargetActivate:
      SetForegroundWindow(hwnd);
      SetFocus(hwnd);
      return GetFocus() == hwnd;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = &TargetProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = kTargetClass;
  if (!RegisterClassA(&wc)) return 1;
  // Topmost, so that windows of tests running beside it cannot cover it.
  HWND hwnd = CreateWindowExA(WS_EX_TOPMOST, kTargetClass, "Hook target", WS_POPUP | WS_VISIBLE, kTargetRect.left,
                              kTargetRect.top, kTargetRect.right - kTargetRect.left,
                              kTargetRect.bottom - kTargetRect.top, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return 2;
  SetForegroundWindow(hwnd);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
