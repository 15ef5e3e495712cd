// The profile dialog: a profile's name and the three patterns it is matched
// by, typed, browsed for, or taken from a live window with the picker, which
// outlines the window under the cursor with the capture overlay.
#pragma once

#include <windows.h>

struct Profile;

// Runs the dialog modally over owner on the profile: 1 (OK, the profile
// rewritten) or 2 (Cancel, the profile untouched).
INT_PTR RunProfileDialog(HWND owner, Profile& profile) noexcept;

// True while the picker holds the mouse capture: the scroll drag leaves the
// buttons alone then.
[[nodiscard]] bool IsWindowPickerActive() noexcept;

// The window procedure of class "VeltranoCaptureOverlay".
LRESULT CALLBACK OverlayWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
