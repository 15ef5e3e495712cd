#include "framework/run/app_exit.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include "framework/object/application.h"
#include "framework/base/framework_messages.h"
#include "framework/app/restart_core.h"
#include "framework/app/save_report.h"
#include "framework/store/config_file.h"
#include "framework/ui/window_list.h"
#include "framework/ui/bar.h"

namespace {

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

bool gKeepInstanceMark = false;

// The windows have saved what they keep: the next instance may start now,
// also the relaunched one, unless a worker of this one may still write. The
// mark is then left to the system, which gives it up when the process ends,
// with the worker.
void GiveUpInstanceMark() noexcept {
  if (gKeepInstanceMark) {
    gKeepInstanceMark = false;
    (void)gApp.instanceMark.Release();
    return;
  }
  if (gApp.instanceMark) ReleaseMutex(gApp.instanceMark.Get());
  gApp.instanceMark.Reset();
}

}  // namespace

void KeepInstanceMarkUntilProcessEnds() noexcept { gKeepInstanceMark = true; }

void AppExit() noexcept {
  QuietSaveReports();
  DestroyAllWindows();
  // A worker's record write that is still under way would be cut off with
  // the process.
  (void)WaitForRecordWrites(kRecordWriteWaitMs);
  GiveUpInstanceMark();
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
