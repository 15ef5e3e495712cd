// The product information dialog: name and version, the maker's notice and
// links, and the configuration's backup, restore, reset, archiving and
// update-check buttons.
#pragma once

#include <windows.h>

#include <cstdint>

// The settings dialogs of the product's services that the dialog's
// "Archive..." and "Update..." buttons open (resources 50103 and 50101, in the
// product's resources): the framework cannot link the services' dialogs, so
// the product hands their procedures over at start-up. A null procedure
// leaves its button disabled.
struct ProductInfoServices {
  DLGPROC archiveDialog = nullptr;
  DLGPROC updateDialog = nullptr;
};
void SetProductInfoServices(const ProductInfoServices& services) noexcept;

// Runs the dialog modally over window (null: this process's foreground
// window), shown and brought forward first (a framework window kept hidden
// stays so), and returns the thread's last error code.
std::uint32_t ShowProductInfo(HWND window, LPARAM parameter) noexcept;

// The procedure of dialog 50102. Restore and reset offer to restart the
// program at once; backup writes the framework's state and asks the active
// framework window to save the product's options first.
INT_PTR CALLBACK ProductInfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
