// A small product on the framework, in the shape of a program's entry: its
// own text table, start-up, a main window, the message loop and the exit.
// The start-up tests run it as the first, second or quitting instance.
//
// Environment:
//   VELTRANO_PROBE_APP      the application name (text 0 of the product)
//   VELTRANO_PROBE_LOG      a file that every line below is appended to
//   VELTRANO_PROBE_MODE     "loop": run the message loop until the product
//                           quits; "show": show the window and then a message
//                           box for looking at (the box is left for the user
//                           to answer); otherwise the program ends after
//                           start-up, as after a run
//   VELTRANO_PROBE_INSTALL  write an installation record with this custom
//                           data path (and the probe's folder as the install
//                           folder) before starting, as an installer would
//   VELTRANO_PROBE_GATE     the name of an event to wait for (at most a
//                           minute) before start-up, so that several probes
//                           start at the same moment
//   VELTRANO_PROBE_STALL    the name of an event that the probe waits for
//                           (at most a minute) after start-up, before its
//                           message loop, as a start-up busy with its files
//   VELTRANO_PROBE_LINGER   the name of an event that the shut-down waits for
//                           (at most a minute) after the message loop, before
//                           the exit, as it waits for a worker
//   VELTRANO_PROBE_BACKUP   after start-up, run the configuration backup in
//                           this mode (0 restore, 1 backup, 2 reset), the
//                           file dialog choosing VELTRANO_PROBE_FILE and
//                           every question answered Yes
// The command line (without the program's name) goes to start-up.
//
// Lines: "gate" as the probe waits for its gate, "start 0x<result>",
// "data <folder>", "allusers <folder>",
// "settings language=<n> changed=<0|1>", "version <a.b.c>", "backup <result>",
// "box <caption and
// texts, joined by |>" for each message box (answered with OK except in
// "show"), "ready" as the loop starts, "fw 0x<message>" for each framework
// message the main window sees, "destroy", "shown", "stalled" and "ending"
// as the start-up stalls and as the shut-down lingers, "exit <code>".
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "framework/app/app_services.h"
#include "framework/object/application.h"
#include "framework/app/backup_restore.h"
#include "framework/base/framework_messages.h"
#include "framework/app/message_box.h"
#include "tests/support/win32/dialog_answerer.h"
#include "framework/run/message_loop.h"
#include "framework/run/app_exit.h"
#include "framework/run/startup.h"
#include "tests/support/win32/install_record_writer.h"
#include "framework/theme/draw.h"
#include "framework/ui/window_list.h"
#include "framework/ui/frame_window.h"
#include "framework/util/monitors.h"
#include "framework/util/win_handles.h"
#include "tests/support/win32/win_test_support.h"

namespace {

using test_support::Hex;

constexpr std::uint16_t kMainWindowId = 1024;
constexpr UINT_PTR kBoxTimer = 1;
constexpr int kUiNormalFontSet = 4;  // the theme's user-interface font

char gAppName[260] = "StartProbe";
TextRecord gTexts[] = {{0, {gAppName}}, {kTextTableEnd, {}}};
std::string gLogPath;
std::string gMode;

void Log(const std::string& line) {
  if (gLogPath.empty()) return;
  HANDLE file = CreateFileA(gLogPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string text = line + "\n";
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

std::string Env(const char* name) {
  char value[1024];
  const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

void Paint(HWND window) {
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(window, &ps);
  RECT client{};
  GetClientRect(window, &client);
  FillSolidRect(dc, &client, gApp.theme.slots[0]);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, gApp.theme.slots[4]);  // the text colour
  const CSelectObject font(dc, ThemeGetFont(gApp.theme, kUiNormalFontSet, GetWindowDpi(window)));
  RECT text{client.left + 16, client.top + 16, client.right - 16, client.bottom - 16};
  DrawTextA(dc, "The framework's window of a product.\nIts window menu is at the icon.", -1, &text, DT_LEFT);
  EndPaint(window, &ps);
}

LRESULT CALLBACK ProductProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= kFrameworkMessageFirst && message <= kFrameworkMessageLast) Log("fw " + Hex(message));
  switch (message) {
    case WM_FW_QUIT:
      PostQuitMessage(0);
      return 0;
    case WM_DESTROY:
      Log("destroy");
      break;
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_TIMER:
      if (wParam != kBoxTimer) break;
      KillTimer(window, kBoxTimer);
      Log("box shown");
      (void)ShowMessageBox(gApp, window, nullptr,
                           "Could not access the data path!\n%s\nPlease make sure that this path is accessible or "
                           "choose a different data path during setup.",
                           0x111, 0, "C:\\Users\\Example\\AppData\\Roaming\\Brindlex\\Veltrano");
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return FrameDefaultProc(window, message, wParam, lParam);
}

std::string gChosenFile;

const char* ChooseTestFile(bool, const char*, int, std::uint8_t*, char*, const char*) noexcept {
  return gChosenFile.c_str();
}

// The product's scheduled archives lie in the data folder's "Backup" unless
// the user chose another folder: a restore spares them.
void ArchiveFolder(char* out, std::size_t capacity) noexcept {
  std::snprintf(out, capacity, "%s\\Backup", gApp.dataFolder);
}

std::string Joined(const std::string& texts) {
  std::string out = texts;
  while (!out.empty() && out.back() == '\n') out.pop_back();
  for (char& c : out) c = c == '\n' ? '|' : c;
  return out;
}

// When the environment variable names an event: notes line and waits for
// the event (at most a minute) without handling messages. False when it did
// not come.
bool WaitForEventNamedIn(const char* variable, const char* line) {
  const std::string name = Env(variable);
  if (name.empty()) return true;
  Log(line);
  const CKernelHandle event(OpenEventA(SYNCHRONIZE, FALSE, name.c_str()));
  return event && WaitForSingleObject(event.Get(), 60000) == WAIT_OBJECT_0;
}

int RunProduct() {
  const int index = CreateAppWindow(kMainWindowId, &ProductProc, gApp.appName, 1, 0, 120, 100, 440, 260);
  if (index < 0) return 2;
  CFrameWindow* frame = gApp.windows[index];
  if (gMode == "show") {
    frame->ShowFrame(SW_SHOWNORMAL, false);
    SetTimer(frame->window, kBoxTimer, 2500, nullptr);
    Log("shown");
  }
  Log("ready");
  return RunMessageLoop();
}

}  // namespace

int main() {
  const std::string name = Env("VELTRANO_PROBE_APP");
  if (!name.empty()) gAppName[name.copy(gAppName, sizeof gAppName - 1)] = '\0';
  gLogPath = Env("VELTRANO_PROBE_LOG");
  gMode = Env("VELTRANO_PROBE_MODE");
  const std::string dataPath = Env("VELTRANO_PROBE_INSTALL");
  if (!dataPath.empty() &&
      !test_support::WriteInstallRecord(gAppName, test_support::MakeInstallRecord(test_support::ProgramFolder(),
                                                                                  dataPath, true, false))) {
    return 3;
  }
  // Every box of start-up is answered (and noted) unless one is to be looked at.
  std::unique_ptr<test_support::DialogAnswerer> answerer;
  if (gMode != "show") answerer = std::make_unique<test_support::DialogAnswerer>();
  const std::string backupMode = Env("VELTRANO_PROBE_BACKUP");
  if (answerer && !backupMode.empty()) {
    answerer->SetAnswer(IDYES);
    answerer->SetFallback(IDOK);
  }

  if (!WaitForEventNamedIn("VELTRANO_PROBE_GATE", "gate")) return 4;
  AppServices services;
  services.scheduledArchiveFolder = &ArchiveFolder;
  SetAppServices(services);
  const char* arguments = test_support::ArgumentsOf(GetCommandLineA());
  const std::uint32_t result = InitApplication(GetModuleHandleA(nullptr), 0, gTexts, 0, 1, arguments, SW_SHOWNORMAL);
  if (answerer) {
    for (const std::string& box : answerer->Take()) Log("box " + Joined(box));
  }
  Log("start " + Hex(result));
  Log(std::string("data ") + gApp.dataFolder);
  Log(std::string("allusers ") + gApp.allUsersDataFolder);
  Log("settings language=" + std::to_string(gApp.settings.languageIndex) +
      " changed=" + std::to_string(gApp.settingsVersionChanged));
  Log("version " + std::to_string(gApp.versionMajor) + "." + std::to_string(gApp.versionMinor) + "." +
      std::to_string(gApp.versionBuild));
  if (result == 0 && !backupMode.empty()) {
    gChosenFile = Env("VELTRANO_PROBE_FILE");
    SetBackupFileChooser(&ChooseTestFile);
    const std::uint32_t backup =
        BackupRestoreConfiguration(nullptr, static_cast<BackupMode>(std::atoi(backupMode.c_str())), nullptr);
    if (answerer) {
      for (const std::string& box : answerer->Take()) Log("box " + Joined(box));
    }
    Log("backup " + std::to_string(backup));
  }
  int code = static_cast<int>(result);
  if (result == 0 && !WaitForEventNamedIn("VELTRANO_PROBE_STALL", "stalled")) code = 5;
  if (result == 0 && code == 0 && (gMode == "loop" || gMode == "show")) code = RunProduct();
  if (result == 0 && !WaitForEventNamedIn("VELTRANO_PROBE_LINGER", "ending")) code = 5;
  AppExit();
  Log("exit " + std::to_string(code));
  return code;
}
