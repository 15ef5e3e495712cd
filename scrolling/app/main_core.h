// The main window's and the program entry's decisions that need no window
// system: which hooks the profiles need, the tray icon, the help topic, the
// hot key and the host handshake's pacing.
#pragma once

#include <cstdint>
#include <string_view>

#include "scrolling/options/options.h"

// The main window's framework-window id, also the tray icon's id.
inline constexpr std::uint16_t kMainWindowId = 1024;
inline constexpr std::uint32_t kMainWindowFlags = 0x10000400;

// Re-selects the target under the cursor while no drag runs.
inline constexpr std::uintptr_t kSelectTimerId = 0x1234;
inline constexpr unsigned kSelectTimerPeriodMs = 500;

inline constexpr int kHotKeyId = 1;

// Program icons of the tray: switched on and switched off.
inline constexpr int kIconEnabled = 1;
inline constexpr int kIconDisabled = 101;
inline constexpr int kProgramCursor = 508;

// The host handshake: tries, with a pause of message pumping between two,
// about 10 s in all; and how long one request waits for the host's answer (a
// host answers at once, unless its thread is stuck or it is on its way out).
inline constexpr int kHostHandshakeTries = 201;
inline constexpr unsigned kHostHandshakePauseMs = 50;
inline constexpr unsigned kHostHandshakeMs = (kHostHandshakeTries - 1) * kHostHandshakePauseMs;
inline constexpr unsigned kHostAnswerMs = 1000;

// Start-up failures: the text shown once everything is cleaned up, which is
// also the exit code.
inline constexpr std::uint32_t kErrorMainWindow = 5006;
inline constexpr std::uint32_t kErrorHostStart = 5007;
inline constexpr std::uint32_t kErrorHooks = 5008;
inline constexpr std::uint32_t kErrorMessageFilter = 5009;
inline constexpr std::uint32_t kErrorSharedMemory = 5010;
inline constexpr std::uint32_t kErrorBoxFlags = 0x111;
// Shown at start-up, with the options file's path, when that file is there
// but could not be read; the program goes on without saving.
inline constexpr std::uint32_t kTextOptionsUnreadable = 5012;

// The hooks that the stored profiles need (hook_mask.h bits); 0 when want is
// false. The mouse hook serves the drag and the middle-button actions, the
// get-message hook the wheel and the click a drag gives back (it hands the
// given-back press on as a press), the call-window-procedure hook a
// back/forward setting that changes something.
[[nodiscard]] unsigned HookMaskForProfiles(const Options& options, bool want) noexcept;

// Whether the hooks ask the main program about wheel turns: only when some
// stored profile acts on the wheel (false when want is false). The
// get-message hook that a drag alone needs lets them pass unasked.
[[nodiscard]] bool WheelReportedForProfiles(const Options& options, bool want) noexcept;

// Tray icon for the switched-off state or not.
[[nodiscard]] constexpr int TrayIconFor(bool disabled) noexcept { return disabled ? kIconDisabled : kIconEnabled; }

// What a mouse event on the tray icon asks for.
enum class TrayAction { kNone, kShowSettings, kToggleDisabled };
[[nodiscard]] TrayAction TrayActionFor(std::uint32_t mouseMessage, bool trayIconShown) noexcept;

// The help file and the page that a help request opens: "About" names the
// configuration page; any other topic (or none) is opened as given.
inline constexpr char kHelpFileName[] = "Veltrano.chm";
[[nodiscard]] const char* HelpTopicFor(const char* topic) noexcept;

// A hot-key value: low byte the virtual key, next byte the modifiers.
[[nodiscard]] constexpr unsigned HotKeyModifiers(std::int32_t value) noexcept {
  return (static_cast<std::uint32_t>(value) >> 8) & 0xFFu;
}
[[nodiscard]] constexpr unsigned HotKeyVirtualKey(std::int32_t value) noexcept {
  return static_cast<std::uint32_t>(value) & 0xFFu;
}

// The name of the current profile for the settings dialog; empty when none
// applies.
[[nodiscard]] std::string_view CurrentProfileName(const Options& options) noexcept;

// Hooks reach the main window through the message filter of an elevated
// program: every message a hook sends is admitted.
inline constexpr std::uint32_t kFilteredHookMessages[] = {0x8001, 0x8002, 0x8003, 0x8004};
