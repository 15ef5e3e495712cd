#include "framework/app/app_exit.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include "framework/app/application.h"
#include "framework/app/framework_messages.h"
#include "framework/app/restart_core.h"
#include "framework/store/config_file.h"
#include "framework/ui/app_windows.h"
#include "framework/ui/bar.h"
#include "framework/ui/frame_window.h"
#include "framework/util/win_handles.h"

namespace {

constexpr char kAppStateRecord[] = "(Orvo)App";

void Relaunch() noexcept {
  char path[MAX_PATH];
  // Start-up notes the program's path; an exit before that asks for it.
  if (gApp.modulePath[0] != '\0') {
    lstrcpynA(path, gApp.modulePath, MAX_PATH);
  } else {
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
  }
  // A relaunch that fails is silent: the program has already ended its work.
  (void)ShellExecuteA(nullptr, RestartVerb(gApp.exitMode, gApp.osVersion), path, gApp.restartCommandLine, nullptr,
                      SW_SHOWNORMAL);
}

}  // namespace

int RequestExit(int mode, const char* commandLine, int broadcast) noexcept {
  gApp.exitMode = ExitModeFor(mode, mode == kRestartWithCurrentElevation ? IsProcessElevated() : 0);
  (void)BuildRestartCommandLine(commandLine != nullptr ? commandLine : gApp.commandLine, gApp.restartCommandLine,
                                sizeof gApp.restartCommandLine);
  PostQuitMessage(0);
  gApp.broadcastRestart = broadcast != 0 ? 1 : 0;
  return broadcast;
}

int IsProcessElevated() noexcept {
  if (gApp.osVersion < 6) return 1;
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return -1;
  const CKernelHandle token(raw);
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  if (!GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof elevation, &size)) return -1;
  return elevation.TokenIsElevated != 0 ? 1 : 0;
}

void SaveAppState() noexcept {
  if (gApp.settingsLoaded == 0 || gApp.noStateSave != 0) return;
  for (int i = 0; i < gApp.windows.Count(); ++i) gApp.windows[i]->SaveFramePlacement();
  for (const CBar* bar : gApp.bars) bar->SaveBarPosition();
  // A failed write keeps the previous record: it is replaced atomically.
  (void)WriteConfigFile(kAppStateRecord, -1, &gApp.settings, sizeof gApp.settings, 0);
}

bool IsSettingsVersionCurrent() noexcept { return gApp.settingsVersionChanged == 0; }

void ComputeAppColours() noexcept {
  AppSettingsRecord& s = gApp.settings;
  SchemeSettings scheme;
  scheme.mode = s.colorSchemeMode;
  scheme.custom = {s.customColor1, s.customColor2, s.customColor3, s.customColor4, s.customColor5};
  (void)ThemeComputeColors(gApp.theme, scheme);
  // An automatic mode comes back resolved, and is kept so in the saved state.
  s.colorSchemeMode = scheme.mode;
}

void SetColorScheme(int mode) noexcept {
  gApp.settings.colorSchemeMode = static_cast<std::uint8_t>(mode);
  ComputeAppColours();
  (void)ThemeReloadIcons(gApp.theme);
  constexpr UINT kRedraw = RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_INVALIDATE;
  for (CFrameWindow* frame : gApp.windows) {
    if (frame->window != nullptr) RedrawWindow(frame->window, nullptr, nullptr, kRedraw);
  }
  for (CBar* bar : gApp.bars) {
    if (bar->window != nullptr) RedrawWindow(bar->window, nullptr, nullptr, kRedraw);
  }
}

bool SetWindowOpacity(HWND window, int percent, std::uint8_t clickThrough) noexcept {
  const LONG ex = GetWindowLongA(window, GWL_EXSTYLE) & ~WS_EX_TRANSPARENT;
  if (percent == 0) {
    SetWindowLongA(window, GWL_EXSTYLE, ex & ~WS_EX_LAYERED);
    RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_ALLCHILDREN | RDW_ERASE | RDW_INVALIDATE);
    return true;
  }
  const LONG layered = ex | WS_EX_LAYERED | (clickThrough != 0 ? WS_EX_TRANSPARENT : 0);
  SetWindowLongA(window, GWL_EXSTYLE, layered);
  SetLayeredWindowAttributes(window, 0, static_cast<BYTE>((100 - percent) * 255 / 100), LWA_ALPHA);
  return GetWindowLongA(window, GWL_EXSTYLE) == layered;
}

void RefreshNonClientAreas() noexcept {
  for (CFrameWindow* frame : gApp.windows) {
    SendMessageA(frame->window, WM_NCACTIVATE, 0, 0);
    if ((frame->flags & kFrameNoCaption) != 0) SendMessageA(frame->window, WM_NCPAINT, 0, 0);
  }
  for (CBar* bar : gApp.bars) SendMessageA(bar->window, WM_NCACTIVATE, 0, 0);
}

void AppExit() noexcept {
  DestroyAllWindows();
  // The windows have saved what they keep: the next instance may start now,
  // also the relaunched one.
  gApp.instanceMark.Reset();
  if (gApp.oleInitialized != 0) {
    OleUninitialize();
    gApp.oleInitialized = 0;
  }
  // This instance's hidden window is gone, so it does not answer its own call.
  if (gApp.broadcastRestart != 0 && gApp.controlMsg != 0) {
    PostMessageA(HWND_BROADCAST, gApp.controlMsg, WM_FW_RESTART, static_cast<LPARAM>(gApp.appCrc));
  }
  if (gApp.exitMode != kExitNormal) Relaunch();
  gApp.switches.clear();
  gApp.navigationItems.ArrayFree();
  gApp.commands.ArrayFree();
  gApp.items.ArrayFree();
  FreeAllBars();
  gApp.windows.ArrayFree();
  ThemeFree(gApp.theme);
}
