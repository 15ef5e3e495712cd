// The update dialog (resource 50101): the installed version and the one the
// last check was offered, the state of the last check, the automatic check
// and its interval, "Check now!" and the download page. Run modally from the
// product information dialog (parameter 1), or modeless on the main thread
// when a check finds a newer version (kUpdateDialogModeless, see
// update_check.h).
#pragma once

#include <windows.h>

INT_PTR CALLBACK UpdateCheckDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the dialog modally over owner from the program's resources (parameter
// 1 from the product information dialog) and returns its result.
INT_PTR OpenUpdateDialog(HWND owner, LPARAM parameter) noexcept;
