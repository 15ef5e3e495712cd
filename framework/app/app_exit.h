// The end of the run and the saved application state "(Orvo)App", with the
// window-wide settings that go with that state: the colour scheme, window
// opacity and the redraw of the captions.
#pragma once

#include <windows.h>

#include <cstdint>

// Asks the program to end: mode 0 exit, 1 restart, 2 restart elevated, -1
// restart with the current elevation; commandLine null restarts with the
// program's own. Posts WM_QUIT. Returns broadcast.
int RequestExit(int mode, const char* commandLine, int broadcast) noexcept;

// Every framework window saves its placement, then the settings record is
// written as "(Orvo)App".
void SaveAppState() noexcept;

// False when the stored settings came from another settings version.
[[nodiscard]] bool IsSettingsVersionCurrent() noexcept;

// Stores the colour-scheme mode, recomputes the theme's colours and icons
// and redraws every framework window and bar.
void SetColorScheme(int mode) noexcept;

// Percent 0 makes the window opaque and lets clicks reach it again;
// otherwise it becomes layered with alpha (100 - percent) x 255 / 100, and
// click-through when clickThrough is set. True when the style took effect.
bool SetWindowOpacity(HWND window, int percent, std::uint8_t clickThrough) noexcept;

// Every framework window and bar redraws its caption as active or inactive.
void RefreshNonClientAreas() noexcept;
