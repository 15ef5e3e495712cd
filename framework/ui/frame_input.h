// The framework windows' and their popup menus' share of the message loop's
// pre-translation (framework/run/message_loop.h).
#pragma once

#include <windows.h>

// Keyboard navigation through open popup menus; true when the message was
// consumed.
[[nodiscard]] bool PreTranslatePopupNavigation(const MSG& msg) noexcept;

// Resizing, Tab focus cycling and the Alt key; true when consumed.
// ownForeground is this process's foreground window, or null.
[[nodiscard]] bool PreTranslateFrameInput(const MSG& msg, HWND ownForeground) noexcept;

class CFrameWindow;
// A framework window that is going: the edge resizing no longer aims at it.
void ForgetResizeTarget(const CFrameWindow* frame) noexcept;
