// Hook monitor: installs the three global hooks from the hook library, plays
// the main program's window and lists every hook message it receives, with
// the class of the window involved. Used to watch the hook protocol live.
#include <windows.h>

#include <cstdio>

#include "framework/util/win_handles.h"
#include "hooklib/hooklib.h"

namespace {

constexpr int kMaxLines = 500;
HWND gList = nullptr;
SharedMemory* gShm = nullptr;

const char* MouseName(WPARAM m) {
  switch (m) {
    case WM_MOUSEMOVE: return "move";
    case WM_RBUTTONDOWN: return "right down";
    case WM_RBUTTONUP: return "right up";
    case WM_RBUTTONDBLCLK: return "right double";
    case WM_MBUTTONDOWN: return "middle down";
    case WM_MBUTTONUP: return "middle up";
    case WM_MBUTTONDBLCLK: return "middle double";
    default: return "?";
  }
}

void AddLine(const char* text) {
  if (SendMessageA(gList, LB_GETCOUNT, 0, 0) >= kMaxLines) SendMessageA(gList, LB_DELETESTRING, 0, 0);
  const LRESULT index = SendMessageA(gList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  SendMessageA(gList, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}

void Describe(HWND window, char* out, size_t size) {
  char cls[64] = "";
  GetClassNameA(window, cls, sizeof cls);
  std::snprintf(out, size, "%p \"%s\"", static_cast<void*>(window), cls);
}

LRESULT OnHookMouse(WPARAM message, HWND window) {
  static WPARAM lastMessage = 0;
  static HWND lastWindow = nullptr;
  // Moves over one window are listed once, so the list stays readable.
  if (message == WM_MOUSEMOVE && lastMessage == WM_MOUSEMOVE && window == lastWindow) return 0;
  lastMessage = message;
  lastWindow = window;
  char who[128], line[200];
  Describe(window, who, sizeof who);
  std::snprintf(line, sizeof line, "mouse  %-11s over %s", MouseName(message), who);
  AddLine(line);
  return 0;
}

LRESULT OnHookWheel(HWND window) {
  char who[128], line[200];
  Describe(window, who, sizeof who);
  std::snprintf(line, sizeof line, "wheel  delta %d to %s", WheelDelta(gShm->wheelWParam), who);
  AddLine(line);
  return 0;
}

LRESULT CALLBACK MonitorProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_HOOK_MOUSE: return OnHookMouse(wParam, reinterpret_cast<HWND>(lParam));
    case WM_HOOK_WHEEL: return OnHookWheel(reinterpret_cast<HWND>(lParam));
    case WM_HOOK_APPCOMMAND: AddLine("application command"); return 0;
    case WM_HOOK_SELECTTARGET: AddLine("back/forward: select target"); return 1;
    case WM_SIZE:
      MoveWindow(gList, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  gShm = GetSharedMemory(false);
  if (!gShm) {
    MessageBoxA(nullptr, "Could not create the shared memory.", "Hook monitor", MB_ICONERROR);
    return 1;
  }
  *gShm = SharedMemory{};
  gShm->mainProcessId = GetCurrentProcessId();

  WNDCLASSA wc{};
  wc.lpfnWndProc = &MonitorProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = "VeltranoHookMonitor";
  RegisterClassA(&wc);
  CWindowHandle window(CreateWindowExA(0, wc.lpszClassName, "Veltrano hook monitor", WS_OVERLAPPEDWINDOW,
                                      CW_USEDEFAULT, CW_USEDEFAULT, 640, 420, nullptr, nullptr, instance,
                                      nullptr));
  if (!window) return 2;
  gList = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT,
                          0, 0, 0, 0, window.Get(), nullptr, instance, nullptr);
  gShm->mainWindow = StoreHandle32(reinterpret_cast<std::uintptr_t>(window.Get()));

  HMODULE library = GetModuleHandleA(kHookLibraryName);
  auto proc = [&](const char* name) { return reinterpret_cast<HOOKPROC>(GetProcAddress(library, name)); };
  CHookHandle mouse(SetWindowsHookExA(WH_MOUSE, proc(kMouseHookExport), library, 0));
  CHookHandle getMessage(SetWindowsHookExA(WH_GETMESSAGE, proc(kGetMessageHookExport), library, 0));
  CHookHandle callWndProc(SetWindowsHookExA(WH_CALLWNDPROC, proc(kCallWndProcHookExport), library, 0));
  AddLine(mouse && getMessage && callWndProc ? "Hooks installed: move the mouse, press the right or middle button, turn the wheel."
                                             : "Could not set system hooks!");
  ShowWindow(window.Get(), show);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  static_cast<void>(window.Release());  // already destroyed by its own close
  callWndProc.Reset();
  getMessage.Reset();
  mouse.Reset();
  ReleaseSharedMemory();
  return 0;
}
