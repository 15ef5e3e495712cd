// A window of another process for the picker: a top-level window of class
// "VeltranoPickTarget" titled "Pick target" at the rectangle given as
// "x y width height", whose right half is a child window of class
// "VeltranoPickChild" titled "Pick child". Runs until it is closed.
#include <windows.h>

#include <cstdio>

namespace {

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  int x = 100, y = 100, w = 400, h = 300;
  if (std::sscanf(commandLine, "%d %d %d %d", &x, &y, &w, &h) != 4) return 2;
  WNDCLASSA wc{};
  wc.lpfnWndProc = &TargetProc;
  wc.hInstance = instance;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = "VeltranoPickTarget";
  RegisterClassA(&wc);
  wc.lpfnWndProc = &DefWindowProcA;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_HIGHLIGHT + 1);
  wc.lpszClassName = "VeltranoPickChild";
  RegisterClassA(&wc);
  // Topmost: no window of another test may cover the points the picker reads.
  const HWND top = CreateWindowExA(WS_EX_TOPMOST, "VeltranoPickTarget", "Pick target", WS_POPUP | WS_BORDER, x, y, w, h,
                                   nullptr, nullptr, instance, nullptr);
  if (top == nullptr) return 1;
  CreateWindowExA(0, "VeltranoPickChild", "Pick child", WS_CHILD | WS_VISIBLE, w / 2, 0, w / 2, h, top, nullptr,
                  instance, nullptr);
  ShowWindow(top, SW_SHOWNOACTIVATE);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}
