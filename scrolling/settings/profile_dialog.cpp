#include "scrolling/settings/profile_dialog.h"

// Placeholder until the dialog is built: a run is a Cancel.
INT_PTR RunProfileDialog(HWND, Profile&) noexcept { return IDCANCEL; }

bool IsWindowPickerActive() noexcept { return false; }

LRESULT CALLBACK OverlayWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}
