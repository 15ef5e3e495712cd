// The main thread's message loop, the pre-translation every message passes
// before dispatch, and a pump for waiting a while without blocking the
// thread's windows.
#pragma once

#include <windows.h>

// Runs until GetMessageA reports WM_QUIT (returns its wParam) or fails
// (returns -1: a failing GetMessageA would fail again at once). inMessageLoop
// is set meanwhile.
int RunMessageLoop() noexcept;

// The same loop over another source of messages.
using GetMessageFunction = BOOL(WINAPI*)(LPMSG msg, HWND window, UINT first, UINT last);
int RunMessageLoopWith(GetMessageFunction getMessage) noexcept;

// Filters one message (popup-menu keys, resizing of borderless framework
// windows by their edges, Tab focus cycling, Alt menu navigation) and, unless
// it consumed it, dispatches it (through IsDialogMessageA when it belongs to a
// dialog).
void PreTranslateMessage(MSG* msg) noexcept;

class CFrameWindow;
// A framework window that is going: the edge resizing no longer aims at it.
void ForgetResizeTarget(const CFrameWindow* frame) noexcept;

// Handles the thread's messages for the given time. False when a WM_QUIT
// arrived: it is posted again, so that the loop that owns the thread still
// ends, and the pump returns at once. On a thread other than the hidden
// application window's it only sleeps (and returns true).
[[nodiscard]] bool PumpMessagesFor(DWORD milliseconds) noexcept;

// Keyboard navigation inside open popup menus works on the popups' levels,
// which the menu popups provide once they exist: the open popup's window
// (null when none is open) and the handling of one key in the current level
// (Enter, Escape, the arrow keys; other keys do nothing). Until they are
// installed no popup counts as open.
enum class PopupKey { kEnter, kEscape, kLeft, kRight, kUp, kDown, kOther };
// A click lands inside the popups when insideOpenPopups says so for the
// window under the cursor (an entry of a submenu, say); without it only the
// open popup's own window counts.
struct PopupNavigationHandlers {
  HWND (*openPopupWindow)() = nullptr;
  void (*handleKey)(PopupKey key) = nullptr;
  bool (*insideOpenPopups)(HWND window) = nullptr;
};
void SetPopupNavigationHandlers(const PopupNavigationHandlers& handlers) noexcept;
