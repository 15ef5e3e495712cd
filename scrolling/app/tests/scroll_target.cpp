// A program of the end-to-end test: a scrollable window of a class that
// takes double clicks, which logs what it receives, and a second window, of
// a class that does not, that holds the keyboard focus. The log (the first
// argument) gets one line per event:
//   caption <x> <y>          a screen point on the scrollable window's caption
//   ready <wheel lines>      both windows are up, the focus window has the focus
//   rdown, rup               right-button press and release in the scrollable window
//   rdbl                     a right-button double click there
//   ncrup                    right-button release outside its client area
//   vscroll <code>, hscroll <code>
//   wheel <delta>            a wheel message in the scrollable window (a drag
//                            may scroll with wheel messages too)
//   hwheel <delta>           a horizontal wheel message in the scrollable window
//   focuswheel <delta>       a wheel message in the focus window
//   focusrdown, focusrup     right-button press and release in the focus window
//   lines <wheel lines>      after every change of a system setting
// Started with "--lines <log>" it only adds "now <wheel lines>" as this new
// process reads the value, and ends; with "--tray <log>", "tray <x> <y>": the
// middle of the first icon in Wine's notification area on an X display
// without a tray of its own (a window of Wine's icon class, which takes
// double clicks), or nothing when there is none.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string gLog;

void Log(const char* format, long value, long second = 0) {
  char line[64];
  std::snprintf(line, sizeof line, format, value, second);
  // Other processes of the test append to the same log (the wheel lines'
  // reader, the tray finder), and two appends at once are not atomic under
  // Wine: one writer at a time, the others wait their turn.
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int tries = 0; tries < 400 && file == INVALID_HANDLE_VALUE; ++tries) {
    file = CreateFileA(gLog.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_SHARING_VIOLATION) return;
    if (file == INVALID_HANDLE_VALUE) Sleep(5);
  }
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
  WriteFile(file, "\n", 1, &written, nullptr);
  CloseHandle(file);
}

long WheelLines() {
  UINT lines = 0;
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  return static_cast<long>(lines);
}

LRESULT CALLBACK ScrollProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_RBUTTONDOWN: Log("rdown", 0); return 0;
    case WM_RBUTTONUP: Log("rup", 0); return 0;
    case WM_RBUTTONDBLCLK: Log("rdbl", 0); return 0;
    case WM_NCRBUTTONUP: Log("ncrup", 0); break;
    case WM_VSCROLL: Log("vscroll %ld", LOWORD(wParam)); return 0;
    case WM_HSCROLL: Log("hscroll %ld", LOWORD(wParam)); return 0;
    case WM_MOUSEWHEEL: Log("wheel %ld", GET_WHEEL_DELTA_WPARAM(wParam)); return 0;
    case WM_MOUSEHWHEEL: Log("hwheel %ld", GET_WHEEL_DELTA_WPARAM(wParam)); return 0;
    case WM_SETTINGCHANGE: Log("lines %ld", WheelLines()); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// Halfway between the top of the frame and the client area, in the middle
// of the width: on the caption wherever the system draws it.
void LogCaptionPoint(HWND window) {
  RECT frame{};
  POINT client{0, 0};
  GetWindowRect(window, &frame);
  ClientToScreen(window, &client);
  const long x = (frame.left + frame.right) / 2;
  const long y = (frame.top + client.y) / 2;
  if (SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCAPTION) Log("caption %ld %ld", x, y);
}

LRESULT CALLBACK FocusProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEWHEEL: Log("focuswheel %ld", GET_WHEEL_DELTA_WPARAM(wParam)); return 0;
    case WM_RBUTTONDOWN: Log("focusrdown", 0); return 0;
    case WM_RBUTTONUP: Log("focusrup", 0); return 0;
    default: break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND Make(const char* name, WNDPROC proc, UINT classStyle, DWORD style, int x, int width) {
  WNDCLASSA wc{};
  wc.style = classStyle;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = name;
  RegisterClassA(&wc);
  return CreateWindowExA(0, name, name, style, x, 100, width, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

BOOL CALLBACK FindTrayIcon(HWND window, LPARAM found) {
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  if (std::strcmp(name, "__winex11_tray_icon") != 0 || !IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

void LogTrayIcon() {
  HWND tray = FindWindowA("__winex11_standalone_tray", nullptr);
  HWND icon = nullptr;
  if (tray != nullptr) EnumChildWindows(tray, &FindTrayIcon, reinterpret_cast<LPARAM>(&icon));
  RECT r{};
  if (icon != nullptr && GetWindowRect(icon, &r)) Log("tray %ld %ld", (r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  gLog = commandLine;
  if (gLog.rfind("--lines ", 0) == 0) {
    gLog = gLog.substr(8);
    Log("now %ld", WheelLines());
    return 0;
  }
  if (gLog.rfind("--tray ", 0) == 0) {
    gLog = gLog.substr(7);
    LogTrayIcon();
    return 0;
  }
  HWND scroll =
      Make("VeltranoScrollTarget", &ScrollProc, CS_DBLCLKS, WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL, 100, 400);
  HWND focus = Make("VeltranoFocusWindow", &FocusProc, 0, WS_OVERLAPPEDWINDOW, 600, 200);
  if (scroll == nullptr || focus == nullptr) return 1;
  SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE, 0, 1000, 100, 0, 0};
  SetScrollInfo(scroll, SB_VERT, &info, TRUE);
  SetScrollInfo(scroll, SB_HORZ, &info, TRUE);
  ShowWindow(scroll, SW_SHOWNORMAL);
  ShowWindow(focus, SW_SHOWNORMAL);
  SetForegroundWindow(focus);
  SetFocus(focus);
  LogCaptionPoint(scroll);
  Log("ready %ld", WheelLines());
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
