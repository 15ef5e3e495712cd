#include "scrolling/settings/settings_dialog.h"

namespace {
SettingsHost gHost;
}  // namespace

void SetSettingsHost(const SettingsHost& host) noexcept { gHost = host; }

// Placeholder until the dialog is built: nothing opens, and nothing claims
// that something did.
HWND OpenSettingsDialog() noexcept { return nullptr; }

HWND SettingsDialogWindow() noexcept { return nullptr; }
