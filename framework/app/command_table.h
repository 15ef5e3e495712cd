// The command table and the application's window lists: the operations the
// message box relies on.
#pragma once

#include <windows.h>

// Raises (entering) or lowers the modal depth, never below 0, and tells every
// framework window the new depth.
void ChangeModalDepth(bool entering);

// The foreground window when it belongs to this process, else null.
HWND GetOwnForegroundWindow();
