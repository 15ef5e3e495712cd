// The display monitors, DPI queries and finding windows on the screen.
#pragma once

#include <windows.h>

#include "framework/util/monitors_core.h"

// A platform rectangle as the monitor rules' plain rectangle, and back.
[[nodiscard]] inline MonitorRect ToMonitorRect(const RECT& r) noexcept {
  return MonitorRect{r.left, r.top, r.right, r.bottom};
}
[[nodiscard]] inline RECT ToRect(const MonitorRect& r) noexcept { return RECT{r.left, r.top, r.right, r.bottom}; }

struct MonitorTable {
  int virtualX;
  int virtualY;
  int virtualWidth;
  int virtualHeight;
  RECT virtualRect;
  RECT monitorRect[kMaxMonitors];  // virtual-screen coordinates
  RECT workRect[kMaxMonitors];
  int dpi[kMaxMonitors];
  char device[kMaxMonitors][kMonitorDeviceSize];  // such as "DISPLAY1"
  int flags[kMaxMonitors];                        // 1: the primary monitor
  int count;                                      // 1 to 16 after a refresh
};

// The table as refreshed last, and the one before a display change (the
// display-change handling copies the current table here before refreshing,
// so that windows can be moved from their old monitor to the new one).
MonitorTable& CurrentMonitorTable() noexcept;
MonitorTable& PreviousMonitorTable() noexcept;

void RefreshMonitorTable() noexcept;

inline constexpr int kMonitorArea = 0;  // `which`: the whole monitor
inline constexpr int kWorkArea = 1;     // `which`: its work area

// Refreshes the current table and returns the monitor of the point, from the
// previous table when the low byte of previous is set, copying its monitor
// rectangle or work area (an empty work area gives the monitor rectangle).
int GetMonitorRectAt(int x, int y, RECT* out, int previous, int which) noexcept;

// Effective DPI of a monitor (or of the monitor nearest to rect); 96 when
// nothing answers.
[[nodiscard]] int GetMonitorDpi(const RECT* rect, HMONITOR monitor) noexcept;
[[nodiscard]] int GetWindowDpi(HWND window) noexcept;

// Centres window on reference (else its parent, else the desktop), kept
// inside the work area. With rect, only rect's left and top are set to the
// position (rect gives the size) and nothing moves.
void CenterWindow(HWND window, RECT* rect, HWND reference) noexcept;

// The running instance's hidden window: class "OrvoPhantom" in any letter
// case and exactly this title.
[[nodiscard]] HWND FindPhantomWindow(const char* title) noexcept;

// The smallest window at a screen point, visible unless includeHidden. The
// own window, when given, is transparent to the search. With root the
// result's root window is returned; outRoot receives it when given.
[[nodiscard]] HWND FindWindowAtPoint(int x, int y, bool root, bool includeHidden, HWND own,
                                     HWND* outRoot) noexcept;

// Window procedure that the own window runs during FindWindowAtPoint.
LRESULT CALLBACK HitTestTransparentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

[[nodiscard]] bool IsWindowUnderCursor(HWND window) noexcept;

// Makes the window topmost when its parent (or owner) is; true when it did.
bool MatchParentTopmost(HWND window) noexcept;
