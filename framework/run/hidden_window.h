// The hidden application window (class "OrvoPhantom"): the receiver of the
// control message of other instances, of the shell's "TaskbarCreated", of
// display and DPI changes and of the end of the session, and the owner of the
// hourly timer that runs the daily due tests.
#pragma once

#include <windows.h>

LRESULT CALLBACK AppWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Registers the class "OrvoPhantom" (icon resource 1) and creates the hidden
// window titled with the application name into gApp.appWindow; start-up
// calls it once. Null when the window cannot be made.
HWND CreateAppHiddenWindow() noexcept;

// The program no longer runs as the application's instance (its message
// loop has ended, or its start-up failed): the hidden window goes, so that
// another start neither finds nor signals a window that would not act on
// it. The windows it owned stay, without an owner, until the exit destroys
// them. Does nothing when the window is gone already.
void CloseAppHiddenWindow() noexcept;
