// The settings dialog: the general options, the profile list and the three
// pages that edit the selected profile. Modeless, at most one at a time.
#pragma once

#include <windows.h>

// What the dialog asks of the main program; start-up hands the main
// window's functions over, tests their own. A missing one is skipped.
struct SettingsHost {
  bool (*installHooks)(bool want) = nullptr;
  void (*updateTrayIcon)(bool show) = nullptr;
  HWND (*mainWindow)() = nullptr;
};
void SetSettingsHost(const SettingsHost& host) noexcept;

// Opens the dialog, or brings the open one to the front. The dialog while
// it is open, else null.
HWND OpenSettingsDialog() noexcept;

// The open dialog, or null.
[[nodiscard]] HWND SettingsDialogWindow() noexcept;

struct Profile;

// Runs the profile dialog for "New...", "Copy..." and a double click in the
// list: 1 when the profile was rewritten. RunProfileDialog unless replaced;
// null puts it back.
using ProfileDialogRunner = INT_PTR (*)(HWND owner, Profile& profile);
void SetProfileDialogRunner(ProfileDialogRunner runner) noexcept;

// The procedures of the dialog (500), its pages (502, 503, 504) and the
// curve preview of the wheel page.
INT_PTR CALLBACK SettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ScrollPageDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK WheelPageDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ButtonPageDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK CurvePreviewProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam);

// The page of the open dialog in tab order (0 to 2), or null.
[[nodiscard]] HWND SettingsPageWindow(int index) noexcept;
