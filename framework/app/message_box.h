// The framework's message box.
#pragma once

#include <windows.h>

#include <cstdint>

struct CApplication;

// A modal box with the printf text; caption null is the application name.
// The id of the button that closed it (1 OK, 2 Cancel, 6 Yes, 7 No).
int ShowMessageBox(CApplication& app, HWND parent, const char* caption, const char* format, std::uint32_t flags,
                   int focusControlId, ...);
