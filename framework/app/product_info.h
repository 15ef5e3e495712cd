// The product information dialog: name and version, the maker's notice and
// links, and the configuration's backup, restore, reset, archiving and
// update-check buttons.
#pragma once

#include <windows.h>

#include <cstdint>

// Runs the dialog modally over window (null: this process's foreground
// window) and returns the thread's last error code.
std::uint32_t ShowProductInfo(HWND window, LPARAM parameter) noexcept;
