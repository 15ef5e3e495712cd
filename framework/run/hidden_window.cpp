#include "framework/run/hidden_window.h"

#include <cstdint>

#include "framework/app/exit_request.h"
#include "framework/app/app_services.h"
#include "framework/object/application.h"
#include "framework/base/framework_messages.h"
#include "framework/run/loop_core.h"
#include "framework/app/restart_core.h"
#include "framework/app/save_report.h"
#include "framework/store/config_file.h"
#include "framework/ui/window_list.h"
#include "framework/ui/frame_window.h"
#include "framework/ui/item_commands.h"
#include "framework/util/monitors.h"

namespace {

constexpr UINT_PTR kDailyTimerId = 0x4321;
constexpr UINT kDailyTimerPeriod = 3600000;  // one hour
constexpr char kAppWindowClass[] = "OrvoPhantom";

DailyTicker gDailyTicker;

void HandleControlMessage(WPARAM wParam, LPARAM lParam) noexcept {
  switch (DecideControlMessage(wParam, static_cast<std::uint64_t>(lParam), gApp.appCrc)) {
    case ControlAction::kRestart:
      QuietSaveReports();  // no box may hold up the quit
      gApp.exitMode = ExitModeFor(kRestartWithCurrentElevation, IsProcessElevated());
      (void)BuildRestartCommandLine(gApp.commandLine, gApp.restartCommandLine, sizeof gApp.restartCommandLine);
      PostQuitMessage(0);
      gApp.broadcastRestart = 0;  // the request came from the instance that broadcasts
      break;
    case ControlAction::kShow:
      for (int i = 0; i < gApp.windows.Count(); ++i) gApp.windows[i]->SetFrameOpacityMode(0);
      (void)SendToActiveWindow(WM_FW_SHOW, 0, 0);
      break;
    case ControlAction::kQuit:
      // "-QUIT" comes from an installer or a script: no box may hold it up,
      // also none handed to the loop before the quit.
      QuietSaveReports();
      (void)SendToActiveWindow(WM_FW_QUIT, 0, 0);
      break;
    case ControlAction::kIgnore:
      break;
  }
}

DisplaySnapshot Snapshot(const MonitorTable& table) noexcept {
  return DisplaySnapshot{ToMonitorRect(table.virtualRect), table.dpi, table.count};
}

// Sends to every framework window, the last first; a receiver may close
// windows, so the list is re-read at every step.
void SendToFramesLastFirst(UINT message, WPARAM wParam) noexcept {
  for (int i = gApp.windows.Count() - 1; i >= 0; --i) {
    if (i >= gApp.windows.Count()) continue;
    SendMessageA(gApp.windows[i]->window, message, wParam, 0);
  }
}

// Framework windows keep their place relative to their monitor when the
// virtual screen changes size; windows that ask to stay where they are, or
// that are kept hidden, are left alone.
void RescaleFramesToNewScreen() noexcept {
  for (int i = gApp.windows.Count() - 1; i >= 0; --i) {
    if (i >= gApp.windows.Count()) continue;
    CFrameWindow* frame = gApp.windows[i];
    if ((frame->flags & (kFrameKeepOnResolutionChange | kFrameKeptHidden)) != 0) continue;
    RECT newMonitor{};
    RECT oldMonitor{};
    (void)GetMonitorRectAt(frame->placement.left, frame->placement.top, &newMonitor, 0, kMonitorArea);
    (void)GetMonitorRectAt(frame->placement.left, frame->placement.top, &oldMonitor, 1, kMonitorArea);
    const ScaledPlacement p =
        ScaleForDisplay(ToMonitorRect(frame->placement), ToMonitorRect(oldMonitor), ToMonitorRect(newMonitor));
    frame->MoveFrame(p.x, p.y, p.width, p.height, 0);
  }
}

void HandleDisplayChange(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  const MonitorTable before = CurrentMonitorTable();
  RefreshMonitorTable();
  const DisplayChange change = CompareDisplays(Snapshot(before), Snapshot(CurrentMonitorTable()));
  switch (change.kind) {
    case DisplayChangeKind::kScreen:
      PreviousMonitorTable() = before;
      RescaleFramesToNewScreen();
      SendToFramesLastFirst(WM_FW_DISPLAYCHANGED,
                            message == WM_DISPLAYCHANGE ? static_cast<WPARAM>(lParam) : 0);
      break;
    case DisplayChangeKind::kDpi: {
      MonitorTable& previous = PreviousMonitorTable();
      for (int i = 0; i < kMaxMonitors; ++i) previous.dpi[i] = before.dpi[i];
      const WPARAM dpi = message == WM_DPICHANGED ? LOWORD(wParam) : static_cast<WPARAM>(change.dpi);
      SendToFramesLastFirst(WM_FW_DPICHANGED, dpi);
      break;
    }
    case DisplayChangeKind::kNone:
      break;
  }
}

// EnumThreadWindows callback: the window loses the owner that lParam names.
BOOL CALLBACK DisownProc(HWND window, LPARAM owner) {
  if (GetWindow(window, GW_OWNER) == reinterpret_cast<HWND>(owner)) SetWindowLongPtrA(window, GWLP_HWNDPARENT, 0);
  return TRUE;
}

}  // namespace

LRESULT CALLBACK AppWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // Registered message ids are never 0; before registration nothing matches.
  if (gApp.controlMsg != 0 && message == gApp.controlMsg) {
    HandleControlMessage(wParam, lParam);
    return 0;
  }
  if (gApp.taskbarCreatedMsg != 0 && message == gApp.taskbarCreatedMsg) {
    (void)SendToActiveWindow(WM_FW_TASKBARCREATED, 0, 0);
    return 0;
  }
  switch (message) {
    case WM_CREATE:
      SetTimer(window, kDailyTimerId, kDailyTimerPeriod, nullptr);
      // Saves that failed before the window was there (start-up's).
      if (HasPendingSaveReports()) PostMessageA(window, WM_FW_SAVEFAILED, 0, 0);
      break;
    case WM_DESTROY:
      KillTimer(window, kDailyTimerId);
      break;
    case WM_ENDSESSION:
      // The session may end without a WM_DESTROY of the product's window:
      // its options are saved here too, as before a backup. FALSE: the end
      // was called off, and the program runs on. No box may hold up the end,
      // and the process may be ended once this returns: the workers' writes
      // under way are waited for, as long as their retries take.
      if (wParam != FALSE) {
        QuietSaveReports();
        (void)SendToActiveWindow(WM_FW_SAVEOPTIONS, 0, 0);
        SaveAppState();
        (void)WaitForRecordWrites(kRecordWriteWaitMs);
      }
      break;
    case WM_FW_SAVEFAILED:
      ShowPendingSaveReports();
      return 0;
    case WM_TIMER:
      if (wParam == kDailyTimerId && gDailyTicker.Tick()) RunServiceDueTests();
      break;
    case WM_DISPLAYCHANGE:
    case WM_DPICHANGED:
      HandleDisplayChange(message, wParam, lParam);
      break;
    default:
      // The services' workers report here: their news and their dialogs
      // belong to this thread.
      if (OnServiceMessage(message, wParam, lParam)) return 0;
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateAppHiddenWindow() noexcept {
  WNDCLASSA wc{};
  wc.lpfnWndProc = AppWndProc;
  wc.hInstance = gApp.hInstance;
  wc.hIcon = LoadIconA(gApp.hInstance, MAKEINTRESOURCEA(1));
  wc.lpszClassName = kAppWindowClass;
  (void)RegisterClassA(&wc);  // already registered by an earlier call: fine
  gApp.appWindow = CreateWindowExA(WS_EX_TOOLWINDOW, kAppWindowClass, gApp.appName, WS_POPUP, 0, 0, 0, 0, nullptr,
                                   nullptr, gApp.hInstance, nullptr);
  if (gApp.appWindow != nullptr) gApp.appWindowThread = GetCurrentThreadId();
  return gApp.appWindow;
}

void CloseAppHiddenWindow() noexcept {
  if (gApp.appWindow == nullptr) return;
  // The windows it owns (the framework windows) are the exit's to destroy:
  // the product's shut-down still uses them.
  EnumThreadWindows(GetWindowThreadProcessId(gApp.appWindow, nullptr), &DisownProc,
                    reinterpret_cast<LPARAM>(gApp.appWindow));
  DestroyWindow(gApp.appWindow);
  gApp.appWindow = nullptr;
}
