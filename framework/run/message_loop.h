// The main thread's message loop, the pre-translation every message passes
// before dispatch, and a pump for waiting a while without blocking the
// thread's windows.
#pragma once

#include <windows.h>

// Runs until GetMessageA reports WM_QUIT (returns its wParam) or fails
// (returns -1: a failing GetMessageA would fail again at once). inMessageLoop
// is set meanwhile. When it ends, the hidden application window goes
// (CloseAppHiddenWindow).
int RunMessageLoop() noexcept;

// The same loop over another source of messages.
using GetMessageFunction = BOOL(WINAPI*)(LPMSG msg, HWND window, UINT first, UINT last);
int RunMessageLoopWith(GetMessageFunction getMessage) noexcept;

// Filters one message (popup-menu keys, resizing of borderless framework
// windows by their edges, Tab focus cycling, Alt menu navigation) and, unless
// it consumed it, dispatches it (through IsDialogMessageA when it belongs to a
// dialog).
void PreTranslateMessage(MSG* msg) noexcept;

// Handles the thread's messages for the given time. False when a WM_QUIT
// arrived: it is posted again, so that the loop that owns the thread still
// ends, and the pump returns at once. On a thread other than the one that
// made the hidden application window it only sleeps (and returns true).
// Inside a wait that answers sent messages only (file_replace.h) it answers
// them too, and no more.
[[nodiscard]] bool PumpMessagesFor(DWORD milliseconds) noexcept;
