// The product information dialog: name and version, the maker's notice and
// links, and the configuration's backup, restore, reset, archiving and
// update-check buttons. The last two open the services' dialogs through the
// table the program hands over (framework/app/app_services.h); a service
// without its dialog leaves its button disabled.
#pragma once

#include <windows.h>

#include <cstdint>

// Runs the dialog modally over window (null: this process's foreground
// window), shown and brought forward first (a framework window kept hidden
// stays so), and returns the thread's last error code.
std::uint32_t ShowProductInfo(HWND window, LPARAM parameter) noexcept;

// The procedure of dialog 50102. Restore and reset offer to restart the
// program at once; backup writes the framework's state and asks the active
// framework window to save the product's options first.
INT_PTR CALLBACK ProductInfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
