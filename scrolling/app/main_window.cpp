#include "scrolling/app/main_window.h"

#include <cstddef>
#include <cstdint>
#include <string>

#include "framework/base/framework_messages.h"
#include "framework/app/help.h"
#include "framework/run/message_loop.h"
#include "framework/text/text_table.h"
#include "framework/ui/frame_window.h"
#include "framework/ui/tray_icon.h"
#include "framework/util/win_handles.h"
#include "hooklib/hooklib.h"
#include "host64/hook_mask.h"
#include "scrolling/app/main_core.h"
#include "scrolling/engine/win32_platform.h"
#include "scrolling/options/options.h"
#include "scrolling/options/options_file.h"
#include "scrolling/settings/profile_dialog.h"
#include "scrolling/settings/settings_dialog.h"

namespace {

// Controls of the settings dialog that the main window keeps up to date.
constexpr int kSettingsEnabledCheck = 1008;
constexpr int kSettingsProfileName = 1059;

struct HookKind {
  unsigned maskBit;
  int idHook;
  const char* exportName;
};
constexpr std::size_t kHookCount = 3;

// The procedures are taken from the loaded library by their exported names:
// the 32-bit library exports them with their standard-call decoration, and
// the address must be the library's own, never a stub in this program.
HookKind HookKindAt(std::size_t i) noexcept {
  switch (i) {
    case 0: return {kHookMaskMouse, WH_MOUSE, kMouseHookExport};
    case 1: return {kHookMaskGetMessage, WH_GETMESSAGE, kGetMessageHookExport};
    default: return {kHookMaskCallWndProc, WH_CALLWNDPROC, kCallWndProcHookExport};
  }
}

struct HookControl {
  HMODULE library = nullptr;
  INT_PTR hostStarted = 0;
  CHookHandle hooks[kHookCount];
  unsigned lastMask = 0;
  // No mask is taken yet: the first one is applied and told to the host
  // whatever it is, since the host starts with all of its hooks.
  bool maskTaken = false;
  // The host has answered that its hooks are in place: when no host window
  // is left now, the host is gone.
  bool hostAnswered = false;
  bool installing = false;
  bool requestPending = false;
  bool pendingWant = false;
  SetHookFunction install = &SetWindowsHookExA;
};

HookControl& Control() noexcept {
  static HookControl control;
  return control;
}

HWND gMainWindow = nullptr;

// Puts the local hooks in line with mask; false if any needed one is missing.
bool SetLocalHooks(unsigned mask) noexcept {
  HookControl& c = Control();
  bool ok = true;
  for (std::size_t i = 0; i < kHookCount; ++i) {
    const HookKind kind = HookKindAt(i);
    if ((mask & kind.maskBit) != 0) {
      if (!c.hooks[i] && c.library != nullptr) {
        const auto proc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(c.library, kind.exportName)));
        if (proc != nullptr) c.hooks[i].Reset(c.install(kind.idHook, proc, c.library, 0));
      }
      if (!c.hooks[i]) ok = false;
    } else {
      c.hooks[i].Reset();
    }
  }
  return ok;
}

// Sends the mask to the host until it answers that its hooks are in place.
// A host that was just started is waited for to make its window; so is a
// window of the previous instance's host that is still going away after a
// restart, which answers nothing. Only a host that has answered and whose
// window has gone since is not waited for at all.
bool TellHost(unsigned mask) noexcept {
  HookControl& c = Control();
  const ULONGLONG start = GetTickCount64();
  for (int attempt = 0; attempt < kHostHandshakeTries; ++attempt) {
    const HWND host = FindHostWindow();
    if (host == nullptr && c.hostAnswered) return false;
    // Hook messages are answered while the request waits.
    DWORD_PTR answer = 0;
    if (host != nullptr &&
        SendMessageTimeoutA(host, WM_HOST_SETHOOKS, mask, 0, SMTO_NORMAL, kHostAnswerMs, &answer) != 0 &&
        static_cast<std::intptr_t>(answer) == kHostHooksInPlace) {
      c.hostAnswered = true;
      return true;
    }
    if (attempt + 1 == kHostHandshakeTries || GetTickCount64() - start >= kHostHandshakeMs) return false;
    // A quit request ends the wait: the program is going.
    if (!PumpMessagesFor(kHostHandshakePauseMs)) return false;
  }
  return false;
}

bool InstallHooksOnce(bool want) noexcept {
  HookControl& c = Control();
  ResetTargetCache();
  const unsigned mask = HookMaskForProfiles(gOpt, want);
  // Before any hook is in place: a get-message hook that comes for a drag
  // alone must not ask about the first wheel turn.
  EnginePlatformInstance().SetWheelReported(WheelReportedForProfiles(gOpt, want));
  // Hooks of a failed installation are still here although the mask was not
  // taken: removing them is a change too.
  if (c.maskTaken && mask == c.lastMask && LocalHooksMask() == mask) return true;
  bool ok = SetLocalHooks(mask);
  if (c.hostStarted != 0 && !TellHost(mask)) ok = false;
  // Only a complete change is remembered, so that the next call completes it.
  if (ok) {
    c.lastMask = mask;
    c.maskTaken = true;
  }
  return ok;
}

// The program's own saves: the user's OK and Apply save in the settings.
void SaveOwnOptions() noexcept { (void)SaveOptions(SaveOccasion::kBackground); }

void OnCreate(HWND window) noexcept {
  gMainWindow = window;
  Win32EnginePlatform& platform = EnginePlatformInstance();
  if (SharedMemory* shared = platform.Shared()) {
    shared->mainWindow = StoreHandle32(reinterpret_cast<std::uintptr_t>(window));
  }
  platform.SetAnnouncementWindow(window);
  SetTimer(window, kSelectTimerId, kSelectTimerPeriodMs, nullptr);
}

void OnDestroy(HWND window) noexcept {
  SaveOwnOptions();
  PostQuitMessage(0);
  KillTimer(window, kSelectTimerId);
}

void OnTimer(HWND window) noexcept {
  if (EngineScrollDrag().State() != DragState::Idle) return;
  // With no foreground window, activation requests of this program (a
  // target brought forward) would be refused.
  if (GetForegroundWindow() == nullptr) SetForegroundWindow(window);
  (void)FindTargetWindow(nullptr);
  if (const HWND dialog = SettingsDialog()) {
    const std::string name(CurrentProfileName(gOpt));
    SetDlgItemTextA(dialog, kSettingsProfileName, name.c_str());
  }
}

void OnHotKey(WPARAM id) noexcept {
  if (static_cast<int>(id) != kHotKeyId) return;
  SetProgramDisabled(gOpt.bDisabled == 0);
}

void OnTrayNotify(HWND window, LPARAM lParam) noexcept {
  switch (TrayActionFor(static_cast<std::uint32_t>(lParam), gOpt.bTrayIcon != 0)) {
    case TrayAction::kShowSettings:
      SendMessageA(window, WM_FW_SHOW, 0, 0);
      break;
    case TrayAction::kToggleDisabled:
      SetProgramDisabled(gOpt.bDisabled == 0);
      break;
    case TrayAction::kNone:
      break;
  }
}

void OnHelpRequest(WPARAM wParam) noexcept {
  (void)ShowHelpTopic(kHelpFileName, HelpTopicFor(reinterpret_cast<const char*>(wParam)));
}

void OnShow() noexcept {
  SaveOwnOptions();
  UpdateTrayIcon(gOpt.bTrayIcon != 0);
  if (const HWND dialog = SettingsDialog()) {
    SetForegroundWindow(dialog);
    return;
  }
  (void)OpenSettingsDialog();
}

void OnTaskbarCreated() noexcept {
  UpdateTrayIcon(gOpt.bTrayIcon != 0);
  (void)InstallHooks(false);
  (void)InstallHooks(true);
}

}  // namespace

unsigned LocalHooksMask() noexcept {
  unsigned mask = 0;
  for (std::size_t i = 0; i < kHookCount; ++i) {
    if (Control().hooks[i]) mask |= HookKindAt(i).maskBit;
  }
  return mask;
}

bool InstallHooks(bool want) noexcept {
  HookControl& c = Control();
  if (c.installing) {
    c.requestPending = true;
    c.pendingWant = want;
    return false;
  }
  c.installing = true;
  bool ok = InstallHooksOnce(want);
  while (c.requestPending) {
    c.requestPending = false;
    ok = InstallHooksOnce(c.pendingWant);
  }
  c.installing = false;
  return ok;
}

BOOL CALLBACK FindHostWindowProc(HWND window, LPARAM lParam) {
  auto* found = reinterpret_cast<HWND*>(lParam);
  char name[261];
  const int n = GetClassNameA(window, name, sizeof name);
  if (n > 0 && lstrcmpiA(name, kHostWindowClass) == 0) {
    *found = window;
    return FALSE;
  }
  return TRUE;
}

HWND FindHostWindow() noexcept {
  HWND found = nullptr;
  EnumWindows(&FindHostWindowProc, reinterpret_cast<LPARAM>(&found));
  return found;
}

void UpdateTrayIcon(bool show) noexcept {
  if (!show) {
    (void)SetTrayIcon(kMainWindowId, -1, nullptr);
    return;
  }
  (void)SetTrayIcon(kMainWindowId, TrayIconFor(gOpt.bDisabled != 0), "%s", GetText(0, 0));
}

void SetProgramDisabled(bool disabled) noexcept {
  gOpt.bDisabled = disabled ? 1 : 0;
  // The drag in progress would keep the capture and hidden cursors of a
  // program that no longer answers for them.
  if (disabled) EngineScrollDrag().EndScrolling();
  ApplyProgramSwitch();
  if (const HWND dialog = SettingsDialog()) CheckDlgButton(dialog, kSettingsEnabledCheck, disabled ? 0 : 1);
  UpdateTrayIcon(gOpt.bTrayIcon != 0);
}

void SetHookLibrary(HMODULE library) noexcept { Control().library = library; }
void SetHostStarted(INT_PTR result) noexcept {
  HookControl& c = Control();
  c.hostStarted = result;
  c.maskTaken = false;
  c.hostAnswered = false;
}
INT_PTR HostStarted() noexcept { return Control().hostStarted; }
HWND MainWindow() noexcept { return gMainWindow; }
HWND SettingsDialog() noexcept { return SettingsDialogWindow(); }
void SetHookInstaller(SetHookFunction install) noexcept {
  Control().install = install != nullptr ? install : &SetWindowsHookExA;
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate(window);
      break;
    case WM_DESTROY:
    case WM_QUIT:
      OnDestroy(window);
      break;
    case WM_TIMER:
      if (wParam == kSelectTimerId) OnTimer(window);
      break;
    case WM_HOTKEY:
      OnHotKey(wParam);
      break;
    case WM_HOOK_MOUSE:
      // The picker's own presses and its pick are not drags.
      if (IsWindowPickerEvent(reinterpret_cast<HWND>(lParam))) return 0;
      return HandleMouseEvent(static_cast<UINT>(wParam));
    case WM_HOOK_WHEEL:
      return HandleMouseWheel(static_cast<UINT>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_HOOK_APPCOMMAND:
      return HandleAppCommand(static_cast<UINT>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_HOOK_SELECTTARGET:
      (void)FindTargetWindow(nullptr);
      return 1;
    case kWmAnnounceWheelLines:
      EnginePlatformInstance().AnnounceWheelLines();
      return 0;
    case WM_FW_SAVEOPTIONS:
      SaveOwnOptions();
      break;
    case WM_FW_TRAYNOTIFY:
      OnTrayNotify(window, lParam);
      break;
    case WM_FW_HELPREQUEST:
      OnHelpRequest(wParam);
      break;
    case WM_FW_SHOW:
      OnShow();
      break;
    case WM_FW_TASKBARCREATED:
      OnTaskbarCreated();
      break;
    case WM_FW_QUIT:
      PostMessageA(window, WM_QUIT, 0, 0);
      break;
    case WM_NCDESTROY:
      gMainWindow = nullptr;
      EnginePlatformInstance().SetAnnouncementWindow(nullptr);
      break;
    default:
      break;
  }
  return FrameDefaultProc(window, message, wParam, lParam);
}
