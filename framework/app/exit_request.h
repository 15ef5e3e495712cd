// Exit and restart requests, which the application's exit
// (framework/run/app_exit.h) carries out; with them what goes with the saved
// application state "(Orvo)App" and needs no framework window: its settings
// version, the theme's colours from its colour scheme, and window opacity. The
// framework windows' part (saving their placement, the scheme's redraw, the
// captions) is in framework/ui/window_list.h.
#pragma once

#include <windows.h>

#include <cstdint>

// Asks the program to end: mode 0 exit, 1 restart, 2 restart elevated, -1
// restart with the current elevation. The restart gets commandLine, or the
// program's own command line when it is null (see BuildRestartCommandLine).
// Posts WM_QUIT; broadcast asks every other instance to restart as well.
// Returns broadcast.
int RequestExit(int mode, const char* commandLine, int broadcast) noexcept;

// 1 elevated (also on systems older than Vista, which have no elevation), 0
// not elevated, -1 when the process token cannot be asked.
[[nodiscard]] int IsProcessElevated() noexcept;

// False when the stored settings came from another settings version.
[[nodiscard]] bool IsSettingsVersionCurrent() noexcept;

// The theme's colours from the saved scheme mode and custom colours; an
// automatic mode comes back resolved into the settings, which keep it.
void ComputeAppColours() noexcept;

// Percent 0 makes the window opaque and lets clicks reach it again;
// otherwise it becomes layered with alpha (100 - percent) x 255 / 100, and
// click-through when clickThrough is set. True when the style took effect.
bool SetWindowOpacity(HWND window, int percent, std::uint8_t clickThrough) noexcept;
