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

// True for a mouse event that the drag must leave alone: one bound for the
// picker's button (the press that starts a pick comes before the capture),
// and any while a pick runs. Reads no window state.
[[nodiscard]] bool IsWindowPickerEvent(HWND window) noexcept;

// The class of the picker's overlay, registered at start-up with
// OverlayWndProc.
inline constexpr char kCaptureOverlayClass[] = "VeltranoCaptureOverlay";

// The window procedure of class "VeltranoCaptureOverlay".
LRESULT CALLBACK OverlayWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The procedure of dialog 501; its creation parameter is the Profile to edit.
INT_PTR CALLBACK ProfileDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The picker's subclass procedure, put on a button by AttachWindowPicker
// (the dialog does so for its "Pick !" button).
LRESULT CALLBACK PickerButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam);
void AttachWindowPicker(HWND button) noexcept;

// Removes the current overlay and, for a window, outlines that one.
void ShowCaptureOverlay(HWND window) noexcept;
// The overlay shown now, or null.
[[nodiscard]] HWND CaptureOverlayWindow() noexcept;

// DwmGetWindowAttribute as start-up found it (null: none, and the overlay
// takes the plain window rectangle).
using FrameBoundsFunction = HRESULT(WINAPI*)(HWND window, DWORD attribute, void* value, DWORD size);
void SetOverlayFrameBoundsFunction(FrameBoundsFunction function) noexcept;

// How the picker reads the mouse at each tick; tests replace both (null:
// the system's).
using PickerButtonsFunction = bool (*)();
using PickerCursorFunction = BOOL(WINAPI*)(POINT* point);
void SetPickerMouse(PickerButtonsFunction anyButtonDown, PickerCursorFunction cursor) noexcept;

// The picker's timer on its button, and its period in milliseconds.
inline constexpr UINT_PTR kPickerTimerId = 0x4321;
inline constexpr UINT kPickerTimerPeriod = 50;
