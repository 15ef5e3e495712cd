#include "framework/app/exit_request.h"

#include <windows.h>

#include "framework/object/application.h"
#include "framework/app/restart_core.h"
#include "framework/app/save_report.h"
#include "framework/util/win_handles.h"

int RequestExit(int mode, const char* commandLine, int broadcast) noexcept {
  gApp.exitMode = ExitModeFor(mode, mode == kRestartWithCurrentElevation ? IsProcessElevated() : 0);
  (void)BuildRestartCommandLine(commandLine != nullptr ? commandLine : gApp.commandLine, gApp.restartCommandLine,
                                sizeof gApp.restartCommandLine);
  QuietSaveReports();  // the program quits: no box may hold it up
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
