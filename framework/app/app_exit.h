// The end of the run: exit and restart requests, the saved application state
// "(Orvo)App" and the application's exit, which the program's entry calls
// after its own clean-up; with them the window-wide settings that go with
// that state: the colour scheme, window opacity and the redraw of the
// captions.
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

// Every framework window saves its placement, then the settings record is
// written atomically as "(Orvo)App". Nothing is written before start-up has
// read the stored settings (the defaults would replace the user's) or when
// start-up ended without running the program (noStateSave).
void SaveAppState() noexcept;

// False when the stored settings came from another settings version.
[[nodiscard]] bool IsSettingsVersionCurrent() noexcept;

// The theme's colours from the saved scheme mode and custom colours; an
// automatic mode comes back resolved into the settings, which keep it.
void ComputeAppColours() noexcept;

// Stores the colour-scheme mode, recomputes the theme's colours and icons
// and redraws every framework window and bar.
void SetColorScheme(int mode) noexcept;

// Percent 0 makes the window opaque and lets clicks reach it again;
// otherwise it becomes layered with alpha (100 - percent) x 255 / 100, and
// click-through when clickThrough is set. True when the style took effect.
bool SetWindowOpacity(HWND window, int percent, std::uint8_t clickThrough) noexcept;

// Every framework window and bar redraws its caption as active or inactive.
void RefreshNonClientAreas() noexcept;

// The application's exit: destroys the framework's windows (saving the
// state), gives up the mark of the running instance, ends OLE, asks the other instances to restart when that was
// requested, relaunches the program when a restart was requested, and frees
// the application object's lists and theme. Called once by the program's
// entry after its own clean-up, never from a destructor.
void AppExit() noexcept;
