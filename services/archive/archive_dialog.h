// The dialog "Archive Configuration" (resource 50103): the schedule and the
// patterns of the scheduled archiving, with their expansions shown live and
// an archive made on request. Run modally from the product information
// dialog.
#pragma once

#include <windows.h>

INT_PTR CALLBACK ArchiveDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the dialog modally over owner from the program's resources and
// returns its result.
INT_PTR OpenArchiveDialog(HWND owner, LPARAM parameter) noexcept;
