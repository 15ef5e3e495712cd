#include "scrolling/app/program.h"

#include <shellapi.h>

#include <cstring>
#include <iterator>

#include "framework/app/app_services.h"
#include "framework/object/application.h"
#include "framework/app/autostart_shortcut.h"
#include "framework/base/framework_messages.h"
#include "framework/app/message_box.h"
#include "framework/app/save_report.h"
#include "framework/run/hidden_window.h"
#include "framework/run/message_loop.h"
#include "framework/run/app_exit.h"
#include "framework/run/startup.h"
#include "framework/store/config_file.h"
#include "framework/text/text_table.h"
#include "framework/ui/window_list.h"
#include "hooklib/hooklib.h"
#include "scrolling/app/main_core.h"
#include "scrolling/app/main_window.h"
#include "scrolling/engine/win32_platform.h"
#include "scrolling/options/options.h"
#include "scrolling/options/options_file.h"
#include "scrolling/options/options_storage.h"
#include "scrolling/settings/profile_dialog.h"
#include "scrolling/settings/settings_dialog.h"
#include "scrolling/texts/product_texts.h"
#include "services/archive/archiving.h"
#include "services/scheduled_services.h"
#include "services/update/update_check.h"
#include "services/update/update_dialog.h"

namespace {

constexpr std::uint32_t kSettingsVersion = 1;
constexpr char kHostProgram[] = "Veltrano64.exe";
// How long shut-down waits for the update check and the archive run together.
constexpr DWORD kWorkerStopMs = 2000;

using ChangeWindowMessageFilterFunction = BOOL(WINAPI*)(UINT message, DWORD flag);
constexpr DWORD kMessageFilterAdd = 1;

DwmGetWindowAttributeFunction gDwmGetWindowAttribute = nullptr;

// What start-up has set up, so that shut-down undoes exactly that.
struct RunState {
  HMODULE dwmapi = nullptr;
  HMODULE user32 = nullptr;
  SharedMemory* shared = nullptr;
  bool hotKeyRegistered = false;
};

// Steps 10: hooks of less trusted programs reach an elevated program only
// through the message filter. Every call is made; false if any failed.
bool AdmitHookMessages(RunState& state) noexcept {
  state.user32 = LoadLibraryA("User32.dll");
  if (state.user32 == nullptr) return true;
  const auto change = reinterpret_cast<ChangeWindowMessageFilterFunction>(
      reinterpret_cast<void*>(GetProcAddress(state.user32, "ChangeWindowMessageFilter")));
  if (change == nullptr) return true;
  bool ok = true;
  for (const std::uint32_t message : kFilteredHookMessages) {
    if (!change(message, kMessageFilterAdd)) ok = false;
  }
  return ok;
}

// Said once, when the program is ready: the user's options are still in the
// file, and this run leaves them there.
void ShowOptionsUnreadable() noexcept {
  char path[MAX_PATH];
  if (!BuildConfigFilePath(kOptionsRecordName, -1, path, 0)) path[0] = '\0';
  (void)ShowMessageBox(gApp, nullptr, GetText(0, 0), GetText(kTextOptionsUnreadable, 0), kErrorBoxFlags, 0, path);
}

// Said once, when the program is ready: an older or damaged options file
// that could not be kept under another name stays as it is, and this run
// saves nothing over it.
void ShowOptionsNotKept(std::uint32_t error) noexcept {
  char path[MAX_PATH];
  if (!BuildConfigFilePath(kOptionsRecordName, -1, path, 0)) path[0] = '\0';
  char reason[512];
  SystemErrorText(error, reason, sizeof reason);
  (void)ShowMessageBox(gApp, nullptr, GetText(0, 0), GetText(kTextOptionsNotKept, 0), kErrorBoxFlags, 0, path,
                       reason);
}

#ifndef _WIN64
// The 32-bit program's hooks reach 32-bit programs only; on 64-bit Windows
// the host installs the same hooks into the 64-bit ones.
bool StartHost() noexcept {
  if (gApp.isWow64 == 0) return true;
  char path[MAX_PATH + 32];
  wsprintfA(path, "%s\\%s", gApp.install.installFolder, kHostProgram);
  const auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, nullptr, path, nullptr, nullptr, SW_SHOWNORMAL));
  // 32 or less: nothing was started. No host is then asked for anything,
  // so that the shut-down shows the error at once instead of first waiting
  // out the handshake with a host that does not exist.
  if (result <= 32) return false;
  SetHostStarted(result);
  return true;
}
#else
// The 64-bit build is the host's own architecture: its hooks reach the
// programs of its word size, and there is no other kind to start a host for.
bool StartHost() noexcept { return true; }
#endif

std::uint32_t StartUp(RunState& state) noexcept {
  SaveSystemWheelScrollLines();
  state.dwmapi = LoadLibraryA("Dwmapi.dll");
  if (state.dwmapi != nullptr) {
    gDwmGetWindowAttribute = reinterpret_cast<DwmGetWindowAttributeFunction>(
        reinterpret_cast<void*>(GetProcAddress(state.dwmapi, "DwmGetWindowAttribute")));
  }
  SetOverlayFrameBoundsFunction(gDwmGetWindowAttribute);
  state.shared = GetSharedMemory(false);
  if (state.shared == nullptr) return kErrorSharedMemory;
  std::memset(state.shared, 0, sizeof(SharedMemory));
  SetEngineSharedMemory(state.shared);
  NoteButtonsSwapped();
  (void)LoadSaveOptions(0);
  EnginePlatformInstance().SetSettingsDialog(nullptr);
  SettingsHost host;
  host.installHooks = &InstallHooks;
  host.updateTrayIcon = &UpdateTrayIcon;
  host.mainWindow = &MainWindow;
  SetSettingsHost(host);
  // Kept loaded until the process ends: every hook names it.
  SetHookLibrary(LoadLibraryA(kHookLibraryName));
  state.shared->mainProcessId = GetCurrentProcessId();

  if (gApp.taskScheduler != 0) (void)SetAutostartShortcut(false, nullptr, 0, nullptr, nullptr);
  // Whether the user starts the program with Windows is in the file that
  // could not be read: such a start goes on.
  if (gApp.autoStart != 0 && gOpt.bAutoStart == 0 && !OptionsFileUnreadable()) return 0;
  if (!AdmitHookMessages(state)) return kErrorMessageFilter;
  if (!StartHost()) return kErrorHostStart;
  if (CreateAppWindow(kMainWindowId, &MainWndProc, GetText(0, 0), kIconEnabled, kMainWindowFlags, 0, 0, 0, 0) < 0 ||
      MainWindow() == nullptr) {
    return kErrorMainWindow;
  }
  if (gOpt.iHotKeyEnable != 0) {
    state.hotKeyRegistered = RegisterHotKey(MainWindow(), kHotKeyId, HotKeyModifiers(gOpt.iHotKeyEnable),
                                            HotKeyVirtualKey(gOpt.iHotKeyEnable)) != FALSE;
  }
  if (!InstallHooks(true)) return kErrorHooks;
  // Before the settings can open: what they change will not be kept.
  if (OptionsFileUnreadable()) ShowOptionsUnreadable();
  if (std::uint32_t error = 0; OptionsFileNotKept(&error)) ShowOptionsNotKept(error);
  if (gApp.startMinimized == 0 && gApp.autoStart == 0) PostMessageA(MainWindow(), WM_FW_SHOW, 0, 0);
  UpdateTrayIcon(gOpt.bTrayIcon != 0);

  WNDCLASSA overlay{};
  overlay.lpfnWndProc = &OverlayWndProc;
  overlay.lpszClassName = kCaptureOverlayClass;
  RegisterClassA(&overlay);

  if (const HCURSOR cursor = LoadCursorA(gApp.ResourceInstance(), MAKEINTRESOURCEA(kProgramCursor))) SetCursor(cursor);
  (void)RunMessageLoop();
  return 0;
}

void ShutDown(RunState& state, std::uint32_t result) noexcept {
  // Gone already when the loop ran; after a failed start-up no other start
  // may take the program, with its error box, for the running one.
  CloseAppHiddenWindow();
  if (const HWND dialog = SettingsDialogWindow()) DestroyWindow(dialog);
  CancelUpdateCheck();
  CancelArchiveRun();
  if (const HWND dialog = UpdateDialogWindow()) DestroyWindow(dialog);
  // The re-selection would set the wheel lines again, in the error box's
  // modal loop too.
  if (const HWND main = MainWindow()) KillTimer(main, kSelectTimerId);
  // A drag in progress holds the capture and may have hidden the cursors.
  EngineScrollDrag().EndScrolling();
  (void)InstallHooks(false);
  RestoreWheelLinesForGood();
  if (HostStarted() != 0) {
    if (const HWND host = FindHostWindow()) {
      DWORD_PTR ignored = 0;
      (void)SendMessageTimeoutA(host, WM_QUIT, 0, 0, SMTO_NORMAL, kHostAnswerMs, &ignored);
    }
  }
  // Both workers write files: ended with the process, they would leave them
  // half-written. No hook waits for this thread any more, and neither
  // worker waits for it. One that is still running at the bound goes on
  // until the process ends, and no other instance may start before that.
  const DWORD until = GetTickCount() + kWorkerStopMs;
  const bool checkEnded = WaitForUpdateCheck(until);
  const bool archiveEnded = WaitForArchiveRun(until);
  if (!checkEnded || !archiveEnded) KeepInstanceMarkUntilProcessEnds();
  if (state.hotKeyRegistered) UnregisterHotKey(MainWindow(), kHotKeyId);
  UpdateTrayIcon(false);
  if (state.shared != nullptr) {
    SetEngineSharedMemory(nullptr);
    ReleaseSharedMemory();
    state.shared = nullptr;
  }
  gDwmGetWindowAttribute = nullptr;
  SetOverlayFrameBoundsFunction(nullptr);
  if (state.dwmapi != nullptr) FreeLibrary(state.dwmapi);
  if (state.user32 != nullptr) FreeLibrary(state.user32);
  state = RunState{};
  if (result != 0) (void)ShowMessageBox(gApp, nullptr, GetText(0, 0), "%s", kErrorBoxFlags, 0, GetText(result, 0));
}

}  // namespace

DwmGetWindowAttributeFunction DwmGetWindowAttributePointer() noexcept { return gDwmGetWindowAttribute; }

int RunMainProgram(HINSTANCE instance, const char* commandLine, int showCommand) noexcept {
  // Start-up already runs the services' due tests.
  AppServices services = ScheduledServices();
  // The records of the product and of its services: start-up puts a
  // temporary of one in place when its record is missing and it reads whole.
  static const RecordForm kRecordForms[] = {kOptionsRecordForm, UpdateCheckRecordForm(), ArchiveRecordForm()};
  services.recordForms = kRecordForms;
  services.recordFormCount = std::size(kRecordForms);
  SetAppServices(services);
  if (InitApplication(instance, 0, ProductTexts(), 0, kSettingsVersion, commandLine, showCommand) != 0) {
    AppExit();
    return 0;
  }
  // Before the message loop, which hears of start-up's first check.
  SetUpdateDialogProcedure(&UpdateCheckDialogProc);
  RunState state;
  const std::uint32_t result = StartUp(state);
  ShutDown(state, result);
  AppExit();
  return static_cast<int>(result);
}
