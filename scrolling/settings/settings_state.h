// The settings dialog's state and the routines its dialog and page
// procedures share. Main thread only.
#pragma once

#include <windows.h>

#include "framework/hotkey/hotkey_edit.h"
#include "scrolling/options/options.h"
#include "scrolling/settings/settings_core.h"
#include "scrolling/settings/settings_dialog.h"

struct SettingsState {
  HWND dialog = nullptr;
  bool ready = false;
  // Kept across openings.
  int selected = 0;
  int tab = 0;
  HWND pages[kSettingsPageCount] = {};
  WNDPROC curvePreviousProc = nullptr;
  // Set while the program itself writes into the pages: what it writes is
  // not the user's input and is not read back.
  bool showing = false;
  // Apply changed the hot-key registration since the dialog opened.
  bool hotKeyChanged = false;
};
SettingsState& Settings() noexcept;
const SettingsHost& Host() noexcept;

// The options as they were when the dialog opened; Cancel puts them back.
Options& OptionsCopy() noexcept;

// The eight hot-key fields, made on first use (on the main thread).
struct SettingsHotKeyEdits {
  CHotKeyEdit enable;
  CHotKeyEdit up, down, left, right;
  CHotKeyEdit back, forward, middle;
};
SettingsHotKeyEdits& HotKeyEdits() noexcept;
// The field of a page's hot-key control, or null.
CHotKeyEdit* PageHotKeyEdit(SettingsPage page, int id) noexcept;

// The selected profile, or null while none is.
Profile* SelectedProfile() noexcept;

// Write the selected profile into a page (nothing while none is selected),
// ending with its enable routine.
void ShowPage(SettingsPage page) noexcept;
void ShowScrollPage() noexcept;
void ShowWheelPage() noexcept;
void ShowButtonPage() noexcept;
void ShowPages() noexcept;
// Reads the scroll page's control id back into the selected profile after
// its notification code; the other pages read theirs the same way.
void ReadScrollPage(int id, UINT code) noexcept;
// The enable rules of a page for the profile, then the hooks that the
// options need; the wheel page also recomputes the profile's curve.
void EnableScrollPageControls(const Profile& profile) noexcept;
void EnableWheelPageControls(Profile& profile) noexcept;
void EnableButtonPageControls(const Profile& profile) noexcept;
// The page's routine for the selected profile (only the hooks when none is).
void EnablePageControls(SettingsPage page) noexcept;
void FillProfileList() noexcept;
void EnableListButtons() noexcept;
