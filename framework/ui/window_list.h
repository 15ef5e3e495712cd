// The application's framework windows: made into its window list and
// destroyed from it at exit, and what they do all together: saving the
// application state with their placement, the colour scheme's redraw and the
// redraw of their captions.
#pragma once

#include <windows.h>

#include <cstdint>

// Allocates a framework window, puts it at the end of gApp.windows and
// creates it (see CFrameWindow::CreateFrameWindow). Its index in the list,
// or -1 when it could not be made (nothing is left behind). The framework
// windows' listener of the modal depth goes to the application with it
// (SetModalDepthListener, framework/app/commands.h).
int CreateAppWindow(std::uint16_t id, WNDPROC windowProc, const char* title, std::uint16_t iconId,
                    std::uint32_t flags, int x, int y, int width, int height) noexcept;

// Destroys the hidden windows and every framework window (each window once,
// whichever goes first), then saves the application state unless noStateSave.
void DestroyAllWindows();

// The first framework window, which draws the window menu's owner-drawn
// icons for the theme; null when there is none.
[[nodiscard]] HWND FirstFrameWindowHandle() noexcept;

// Asks the first framework window, whose owner opens the help, for the topic
// (empty: the start page); nothing when there is none. For the dialogs, which
// have no help of their own.
void RequestHelpTopic(const char* topic) noexcept;

// Every framework window saves its placement, then the settings record is
// written atomically as "(Orvo)App". Nothing is written before start-up has
// read the stored settings (the defaults would replace the user's) or when
// start-up ended without running the program (noStateSave).
void SaveAppState() noexcept;

// Stores the colour-scheme mode, recomputes the theme's colours and icons
// and redraws every framework window and bar.
void SetColorScheme(int mode) noexcept;

// Every framework window and bar redraws its caption as active or inactive.
void RefreshNonClientAreas() noexcept;
