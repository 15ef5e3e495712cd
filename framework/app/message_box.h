// The framework's message box.
#pragma once

#include <windows.h>

#include <cstdint>

struct CApplication;

// Shows printf text (format and arguments) in the framework's modal box and
// returns the id of the button that closed it (1 OK, 2 Cancel, 6 Yes, 7 No).
// A null caption shows the application name.
int ShowMessageBox(CApplication& app, HWND parent, const char* caption, const char* format, std::uint32_t flags,
                   int focusControlId, ...);
