#include "framework/app/message_loop.h"

#include <cstdint>
#include <cstring>

#include "framework/app/application.h"
#include "framework/app/command_table.h"
#include "framework/app/loop_core.h"
#include "framework/ui/frame_window.h"
#include "framework/util/monitors.h"

namespace {

PopupNavigationHandlers gPopupHandlers;

// Resizing of borderless framework windows by their edges (main thread only).
struct ResizeState {
  CFrameWindow* target = nullptr;
  int zone = 0;
  bool resizing = false;
  ResizeGrip grip{};
};
ResizeState gResize;

PopupKey ToPopupKey(WPARAM key) noexcept {
  switch (key) {
    case VK_RETURN:
      return PopupKey::kEnter;
    case VK_ESCAPE:
      return PopupKey::kEscape;
    case VK_LEFT:
      return PopupKey::kLeft;
    case VK_RIGHT:
      return PopupKey::kRight;
    case VK_UP:
      return PopupKey::kUp;
    case VK_DOWN:
      return PopupKey::kDown;
    default:
      return PopupKey::kOther;
  }
}

HWND OpenPopupWindow() noexcept {
  return gPopupHandlers.openPopupWindow != nullptr ? gPopupHandlers.openPopupWindow() : nullptr;
}

// Keyboard navigation through open popup menus; true when the message was
// consumed.
bool PreTranslatePopupNavigation(const MSG& msg) noexcept {
  switch (msg.message) {
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      // A click outside the open popup closes the popups; the click itself
      // still goes where it was aimed.
      POINT cursor;
      HWND popup = OpenPopupWindow();
      if (popup != nullptr && GetCursorPos(&cursor)) {
        const HWND hit = WindowFromPoint(cursor);
        const bool inside = gPopupHandlers.insideOpenPopups != nullptr ? gPopupHandlers.insideOpenPopups(hit)
                                                                       : hit == popup;
        if (!inside) (void)ClosePopupMenu(nullptr);
      }
      return false;
    }
    case WM_KEYDOWN:
      if (OpenPopupWindow() == nullptr) return false;
      if (msg.wParam == VK_MENU) {
        (void)NavigateBarItems(kMenuNavigateEnd);
      } else if (gPopupHandlers.handleKey != nullptr) {
        gPopupHandlers.handleKey(ToPopupKey(msg.wParam));
      }
      return true;
    case WM_SYSKEYUP:
      if (msg.wParam == VK_MENU) (void)NavigateBarItems(kMenuNavigateEnd);
      return true;
    default:
      return false;
  }
}

bool TrackEdgeResize(const MSG& msg) noexcept {
  if (gResize.resizing) {
    SetSizingCursor(gResize.zone);
    POINT cursor;
    RECT rect;
    if (GetCursorPos(&cursor) && GetWindowRect(gResize.target->window, &rect)) {
      const MonitorRect r = ResizedRect(ToMonitorRect(rect), gResize.zone, gResize.grip, cursor.x, cursor.y);
      gResize.target->SetFramePos(ToRect(r), 0);
    }
    return true;
  }
  CFrameWindow* frame = FindWindowRecordByChild(WindowFromPoint(msg.pt));
  RECT rect;
  if (frame != nullptr && (frame->flags & (kFrameBorderless | kFrameLockSize)) == kFrameBorderless &&
      GetWindowRect(frame->window, &rect)) {
    const int x = msg.pt.x - rect.left;
    const int y = msg.pt.y - rect.top;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const int zone = ChooseResizeZone(x, y, width, height);
    if (zone != 0) {
      gResize.target = frame;
      gResize.zone = zone;
      gResize.grip = GripAt(x, y, width, height);
      SetSizingCursor(zone);
      return true;
    }
  }
  gResize.target = nullptr;
  return false;
}

// Resizing, Tab focus cycling and the Alt key; true when consumed.
bool PreTranslateFrameInput(const MSG& msg, HWND ownForeground) noexcept {
  switch (msg.message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
      return TrackEdgeResize(msg);
    case WM_LBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
      if (gResize.target == nullptr) return false;
      SetCapture(gResize.target->window);
      gResize.resizing = true;
      SetSizingCursor(gResize.zone);
      return true;
    case WM_LBUTTONUP:
    case WM_NCLBUTTONUP:
      if (!gResize.resizing) return false;
      ReleaseCapture();
      gResize.resizing = false;
      return true;
    case WM_KEYDOWN: {
      if (msg.wParam != VK_TAB) return false;
      CFrameWindow* frame = FindWindowRecordByChild(ownForeground);
      return frame != nullptr && frame->MoveFocusToNextTabStop(GetAsyncKeyState(VK_SHIFT) < 0 ? -1 : 1);
    }
    case WM_SYSKEYUP:
      return msg.wParam == VK_MENU && NavigateBarItems(kMenuNavigateStart) == 0;
    default:
      return false;
  }
}

// The dialog a window belongs to: itself or its nearest ancestor of the
// dialog class.
HWND DialogOf(HWND window) noexcept {
  for (HWND w = window; w != nullptr; w = GetParent(w)) {
    char name[16];
    if (GetClassNameA(w, name, sizeof name) > 0 && std::strcmp(name, "#32770") == 0) return w;
  }
  return nullptr;
}

void Dispatch(MSG* msg) noexcept {
  HWND dialog = DialogOf(msg->hwnd);
  if (dialog != nullptr && IsDialogMessageA(dialog, msg)) return;
  TranslateMessage(msg);
  DispatchMessageA(msg);
}

}  // namespace

void SetPopupNavigationHandlers(const PopupNavigationHandlers& handlers) noexcept { gPopupHandlers = handlers; }

void ForgetResizeTarget(const CFrameWindow* frame) noexcept {
  if (frame == nullptr || gResize.target != frame) return;
  gResize.target = nullptr;
  gResize.resizing = false;
}

void PreTranslateMessage(MSG* msg) noexcept {
  const HWND ownForeground = GetOwnForegroundWindow();
  const bool consumed = gApp.popupNavigation != 0 ? PreTranslatePopupNavigation(*msg)
                                                  : PreTranslateFrameInput(*msg, ownForeground);
  if (!consumed) Dispatch(msg);
}

int RunMessageLoopWith(GetMessageFunction getMessage) noexcept {
  gApp.inMessageLoop = 1;
  MSG msg{};
  int exitCode = -1;
  for (;;) {
    const BOOL got = getMessage(&msg, nullptr, 0, 0);
    if (got == 0) {
      exitCode = static_cast<int>(msg.wParam);
      break;
    }
    if (got == -1) break;
    PreTranslateMessage(&msg);
  }
  gApp.inMessageLoop = 0;
  return exitCode;
}

int RunMessageLoop() noexcept { return RunMessageLoopWith(GetMessageA); }

bool PumpMessagesFor(DWORD milliseconds) noexcept {
  if (gApp.appWindow == nullptr || GetWindowThreadProcessId(gApp.appWindow, nullptr) != GetCurrentThreadId()) {
    Sleep(milliseconds);
    return true;
  }
  const ULONGLONG start = GetTickCount64();
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        // Messages behind the quit are left for the loop that ends the thread.
        PostQuitMessage(static_cast<int>(msg.wParam));
        return false;
      }
      PreTranslateMessage(&msg);
    }
    const ULONGLONG elapsed = GetTickCount64() - start;
    if (elapsed >= milliseconds) return true;
    // Sleeps for the rest of the time unless something arrives first: a
    // message sent by a hook is answered at once, and the core is free.
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(milliseconds - elapsed), QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
  }
}
