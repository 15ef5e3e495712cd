// The product's main window: the receiver of every hook message and of the
// framework's commands (tray, help, settings, quit), the 500 ms re-selection
// of the target under the cursor, and the control of the global hooks here
// and in the 64-bit hook host.
#pragma once

#include <windows.h>

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Installs (want) or removes the hooks that the stored profiles need and
// asks the 64-bit host for the same. True when every hook needed is in
// place. The mask is remembered only once that is so: a failed installation
// is tried again by the next call. A call made while another one waits for
// the host (hook messages are handled meanwhile) is left to that one, which
// runs again with the newest request before it returns. The first call
// after a host was started tells it the mask even when nothing changes here,
// and waits (about 10 s at most) for the host's window to answer, also past
// a window of an earlier host that is going away; a host that has answered
// and whose window has gone since is not waited for: the call fails.
bool InstallHooks(bool want) noexcept;

// The hooks installed by this process now, as the host's mask bits.
[[nodiscard]] unsigned LocalHooksMask() noexcept;

// EnumWindows callback: finds the host's hidden window into the HWND that
// lParam points to (cleared first).
BOOL CALLBACK FindHostWindowProc(HWND window, LPARAM lParam);
[[nodiscard]] HWND FindHostWindow() noexcept;

// Shows the tray icon (the switched-off icon while bDisabled), or removes it.
void UpdateTrayIcon(bool show) noexcept;

// Switches the program off or on; switching off ends a drag in progress.
void SetProgramDisabled(bool disabled) noexcept;

// What start-up hands over: the hook library's module (named by every hook)
// and the result of starting the host (0: no host).
void SetHookLibrary(HMODULE library) noexcept;
void SetHostStarted(INT_PTR result) noexcept;
[[nodiscard]] INT_PTR HostStarted() noexcept;

// The main window while it exists.
[[nodiscard]] HWND MainWindow() noexcept;

// The settings dialog while it is open; null until the settings exist.
[[nodiscard]] HWND SettingsDialog() noexcept;


// Tests replace the system's hook installation to make it fail.
using SetHookFunction = HHOOK(WINAPI*)(int idHook, HOOKPROC proc, HINSTANCE module, DWORD threadId);
void SetHookInstaller(SetHookFunction install) noexcept;
