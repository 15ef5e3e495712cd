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
