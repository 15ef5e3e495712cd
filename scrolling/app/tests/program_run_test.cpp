// The program's run, each in a process of its own (this test program started
// again with "--scenario"): start-up that fails ends with its text, start-up
// that ends early or fails leaves nothing behind, a whole run answers the
// messages of the main window's table until it is told to quit, and an
// options file it cannot read is kept.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "framework/app/tests/dialog_answerer.h"
#include "framework/run/tests/install_record_writer.h"
#include "framework/ui/tests/fake_notification_area.h"
#include "framework/util/tests/win_test_support.h"
#include "framework/util/win_handles.h"
#include "hooklib/shared_memory.h"
#include "framework/object/application.h"
#include "framework/base/framework_messages.h"
#include "scrolling/app/main_window.h"
#include "scrolling/app/program.h"
#include "scrolling/settings/res/settings_ids.h"
#include "scrolling/engine/win32_platform.h"
#include "scrolling/options/options.h"
#include "services/update/http_request.h"
#include "services/update/tests/local_server.h"
#include "services/update/res/update_dialog_ids.h"
#include "services/update/update_check.h"

namespace {

using test_support::WaitUntil;

constexpr UINT kLinesBeforeStart = 6;

int gHookCalls = 0;
bool gFailGetMessage = false;
std::vector<HHOOK> gMade;

HHOOK WINAPI WatchedInstall(int idHook, HOOKPROC proc, HINSTANCE module, DWORD threadId) {
  ++gHookCalls;
  if (gFailGetMessage && idHook == WH_GETMESSAGE) return nullptr;
  // On this thread only: hooks that reached the other programs of the Wine
  // server would load the hook library there, and with it the shared memory,
  // which such a program keeps after the hooks are gone.
  (void)threadId;
  HHOOK hook = SetWindowsHookExA(idHook, proc, module, GetCurrentThreadId());
  if (hook != nullptr) gMade.push_back(hook);
  return hook;
}

std::string OneLine(std::string text) {
  for (char& c : text) c = c == '\n' ? '|' : c;
  return text;
}

// The program's main window once it answers messages, or null after about
// 20 s.
HWND WaitForMainWindow() {
  HWND main = nullptr;
  DWORD_PTR answer = 0;
  const bool answers = WaitUntil(
      [&] {
        main = MainWindow();
        return main != nullptr && SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer) != 0;
      },
      20000);
  return answers ? main : nullptr;
}

// While the program runs: its main window's answers to the messages of its
// table, sent as the hooks, the tray and other instances send them, and at
// last the quit request.
void DriveMainWindow(std::ostream& log, test_support::FakeNotificationArea& tray) {
  const HWND main = WaitForMainWindow();
  if (main == nullptr) return;
  log << "trayshown " << tray.icons.size() << "\n";
  log << "select " << SendMessageA(main, WM_HOOK_SELECTTARGET, 0, 0) << "\n";
  SendMessageA(main, WM_HOTKEY, 1, 0);
  log << "hotkey " << static_cast<int>(gOpt.bDisabled) << "\n";
  SendMessageA(main, WM_FW_TRAYNOTIFY, 0, WM_RBUTTONDOWN);
  log << "trayright " << static_cast<int>(gOpt.bDisabled) << "\n";
  const std::string options = std::string(gApp.dataFolder) + "\\Options.oqc";
  DeleteFileA(options.c_str());
  SendMessageA(main, WM_FW_TRAYNOTIFY, 0, WM_LBUTTONDOWN);  // shows the settings, which saves the options
  log << "saved " << (GetFileAttributesA(options.c_str()) != INVALID_FILE_ATTRIBUTES) << "\n";
  PostMessageA(main, WM_FW_QUIT, 0, 0);
}

// A drag in progress over a window of this process when the quit request
// comes.
void QuitDuringADrag(std::ostream& log) {
  const HWND main = WaitForMainWindow();
  if (main == nullptr) return;
  WNDCLASSA wc{};
  wc.lpfnWndProc = &DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "VeltranoDragWindow";
  RegisterClassA(&wc);
  HWND view = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "drag", WS_POPUP | WS_VISIBLE | WS_VSCROLL, 100, 100,
                              400, 300, nullptr, nullptr, wc.hInstance, nullptr);
  test_support::MoveCursorTo(300, 200);
  log << "press " << SendMessageA(main, WM_HOOK_MOUSE, WM_RBUTTONDOWN, 0) << "\n";
  test_support::MoveCursorTo(300, 240);
  SendMessageA(main, WM_HOOK_MOUSE, WM_MOUSEMOVE, 0);
  log << "dragging " << (EngineScrollDrag().State() != DragState::Idle) << "\n";
  PostMessageA(main, WM_FW_QUIT, 0, 0);
  // The view's messages go on until the program has ended its run.
  test_support::PumpUntil([main] { return !IsWindow(main); }, 30000);
  DestroyWindow(view);
}

// Another start with "-QUIT" ends the run; its exit code.
void QuitFromAnotherStart(std::ostream& log) {
  if (WaitForMainWindow() == nullptr) return;
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  log << "quitcode " << test_support::RunToEnd(self, "--quit") << "\n";
}

// An update server on 127.0.0.1 that answers slowly: the n-th request waits
// until n are released (or the client has gone), then offers a newer
// version.
std::atomic<int> gRequests{0};
std::atomic<int> gReleased{0};

void SlowVersionServer(LocalSession& session) {
  const int request = ++gRequests;
  if (session.ReadHead().empty()) return;
  WaitUntil([&] { return gReleased.load() >= request || session.Stopping(); }, 60000);
  if (session.Write(HttpAnswer("200 OK", "999.0.0\r\n"))) session.WaitForClose();
}

// The installation record of the run with the server's address to check.
bool AskServerForUpdates(const std::string& data, const LocalServer& server) {
  std::vector<unsigned char> bytes = test_support::MakeInstallRecord(test_support::ProgramFolder(), data, true, false);
  InstallRecord record;
  std::memcpy(&record, bytes.data(), sizeof record);
  server.Url("/version").copy(record.updateCheckUrl, sizeof record.updateCheckUrl - 1);
  std::memcpy(bytes.data(), &record, sizeof record);
  return test_support::WriteInstallRecord("Veltrano", bytes);
}

// Hook messages sent to the main window while the update check waits on its
// server: the slowest answer in milliseconds.
double SlowestHookAnswer(HWND main, int count) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  double slowest = 0;
  for (int i = 0; i < count; ++i, Sleep(2)) {
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    DWORD_PTR answer = 0;
    QueryPerformanceCounter(&start);
    SendMessageTimeoutA(main, WM_HOOK_MOUSE, WM_MOUSEMOVE, 0, SMTO_NORMAL, 20000, &answer);
    QueryPerformanceCounter(&end);
    const double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    if (ms > slowest) slowest = ms;
  }
  return slowest;
}

// The start-up's check waits on the slow server; then the daily due test,
// the dialog that the newer version pops up, and "Check now!" twice while
// the next check waits: the hook messages are answered throughout.
void MeasureDuringUpdateChecks(std::ostream& log) {
  const HWND main = WaitForMainWindow();
  if (main == nullptr) return;
  log << "checking " << WaitUntil([] { return gRequests.load() == 1; }, 20000) << "\n";
  for (int i = 0; i < 24; ++i) PostMessageA(gApp.appWindow, WM_TIMER, 0x4321, 0);
  double slowest = SlowestHookAnswer(main, 200);
  gReleased = 1;
  HWND dialog = nullptr;
  WaitUntil([&] { return (dialog = FindWindowA(nullptr, "Veltrano Update Check")) != nullptr; }, 20000);
  log << "popup " << (dialog != nullptr) << "\npopupthread "
      << (GetWindowThreadProcessId(dialog, nullptr) == GetWindowThreadProcessId(main, nullptr)) << "\n";
  PostMessageA(dialog, WM_COMMAND, IDC_UPDATE_CHECK_NOW, 0);
  WaitUntil([] { return gRequests.load() == 2; }, 20000);
  PostMessageA(dialog, WM_COMMAND, IDC_UPDATE_CHECK_NOW, 0);
  const double during = SlowestHookAnswer(main, 200);
  if (during > slowest) slowest = during;
  gReleased = 3;
  WaitUntil([] { return gRequests.load() == 3 && !IsUpdateCheckRunning(); }, 20000);
  log << "requests " << gRequests.load() << "\nslowest " << slowest << "\n";
  PostMessageA(main, WM_FW_QUIT, 0, 0);
}

UINT SystemWheelLines() {
  UINT lines = 0;
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  return lines;
}

// Runs the program as the scenario asks and writes what is left afterwards.
int RunScenario(const std::string& scenario, const char* logPath) {
  const char* commandLine = "-MINIMIZE";
  CKernelHandle squatter;
  const UINT userLines = SystemWheelLines();
  CWindowHandle accelerated;
  std::atomic<UINT> boxLines{0};
  std::function<void(HWND)> beforeAnswer;
  if (scenario == "hooks") {
    gFailGetMessage = true;
    // The catch-all profile accelerates the wheel over a window of this
    // process under the cursor. While the error box is open, the value from
    // before the start stays, whatever the main window is asked meanwhile.
    SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, kLinesBeforeStart, nullptr, 0);
    accelerated.Reset(CreateWindowExA(WS_EX_TOPMOST, "STATIC", "wheel", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300,
                                      nullptr, nullptr, nullptr, nullptr));
    test_support::MoveCursorTo(300, 250);
    beforeAnswer = [&boxLines](HWND) {
      Sleep(1500);  // three turns of the re-selection timer
      if (const HWND main = MainWindow()) {
        DWORD_PTR answer = 0;
        SendMessageTimeoutA(main, WM_HOOK_SELECTTARGET, 0, 0, SMTO_NORMAL, 10000, &answer);
      }
      boxLines = SystemWheelLines();
    };
  }
  // Another object under the shared memory's name: the mapping cannot be made.
  if (scenario == "shared") squatter.Reset(CreateMutexA(nullptr, FALSE, kSharedMemoryName));
  if (scenario == "autostart") commandLine = "-AUTOSTART";
  SetHookInstaller(&WatchedInstall);
  test_support::FakeNotificationArea tray;

  std::ostringstream driven;
  std::thread driver;
  if (scenario == "messages") driver = std::thread([&] { DriveMainWindow(driven, tray); });
  if (scenario == "dragquit") driver = std::thread([&] { QuitDuringADrag(driven); });
  if (scenario == "damaged") driver = std::thread([&] { QuitFromAnotherStart(driven); });
  std::unique_ptr<LocalServer> server;
  if (scenario == "update") {
    server = std::make_unique<LocalServer>(&SlowVersionServer);
    const std::string path = logPath;  // the data folder's path and ".log"
    if (!AskServerForUpdates(path.substr(0, path.size() - 4), *server)) return 1;
    driver = std::thread([&] { MeasureDuringUpdateChecks(driven); });
  }
  int code = -1;
  std::vector<std::string> boxes;
  {
    test_support::DialogAnswerer answerer(IDOK, beforeAnswer);
    // The settings dialog that the tray opens is no message box: it is told
    // apart by its profile list and stays open until the run ends.
    answerer.IgnoreDialogsWithControl(scenario == "update" ? IDC_UPDATE_CHECK_NOW : IDC_SET_PROFILE_LIST);
    code = RunMainProgram(GetModuleHandleA(nullptr), commandLine, SW_SHOWNORMAL);
    boxes = answerer.Take();
  }
  if (driver.joinable()) driver.join();
  squatter.Reset();
  accelerated.Reset();
  const UINT linesAfter = SystemWheelLines();
  SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, userLines, nullptr, 0);
  int hooksLeft = 0;
  for (HHOOK hook : gMade) hooksLeft += UnhookWindowsHookEx(hook) ? 1 : 0;
  HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, kSharedMemoryName);
  const bool sharedLeft = mapping != nullptr;
  if (mapping != nullptr) CloseHandle(mapping);

  std::ofstream log(logPath);
  log << "code " << code << "\nhookcalls " << gHookCalls << "\nhooksleft " << hooksLeft << "\nshared "
      << sharedLeft << "\ntray " << tray.icons.size() << "\nboxes " << boxes.size() << "\nboxlines " << boxLines
      << "\nlinesafter " << linesAfter << "\n";
  for (const std::string& box : boxes) log << "box " << OneLine(box) << "\n";
  log << driven.str();
  log << "idle " << (EngineScrollDrag().State() == DragState::Idle) << "\ncursorshidden "
      << EngineScrollDrag().CursorsHidden() << "\n";
  return 0;
}

struct Outcome {
  std::map<std::string, std::string> values;
  std::string boxes;
  std::string data;  // the run's data folder
  int Int(const std::string& key) { return values.count(key) ? std::stoi(values[key]) : -99; }
};

// options: what the options file holds at the start (empty: as the last run
// left it).
Outcome RunProgramIn(const std::string& scenario, const std::string& options = "") {
  Outcome out;
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string data = std::string(temp) + "veltrano-startup-" + scenario;
  out.data = data;
  const std::string logPath = data + ".log";
  DeleteFileA(logPath.c_str());
  if (!options.empty()) {
    CreateDirectoryA(data.c_str(), nullptr);
    DeleteFileA((data + "\\Options_damaged.oqc").c_str());
    if (!test_support::WriteWholeFile(data + "\\Options.oqc", options)) {
      ADD_FAILURE() << "no options file";
      return out;
    }
  }
  // Never checked: start-up's due test starts a check.
  DeleteFileA((data + "\\(Orvo)UpdateCheck.oqc").c_str());
  if (!test_support::WriteInstallRecord(
          "Veltrano", test_support::MakeInstallRecord(test_support::ProgramFolder(), data, true, false))) {
    ADD_FAILURE() << "no installation record";
    return out;
  }
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string line = "\"" + std::string(self) + "\" --scenario " + scenario + " \"" + logPath + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    ADD_FAILURE() << "the scenario did not start";
    return out;
  }
  const DWORD waited = WaitForSingleObject(pi.hProcess, 60000);
  EXPECT_EQ(waited, WAIT_OBJECT_0) << "the run did not end";
  if (waited != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  test_support::DeleteInstallRecord("Veltrano");
  std::ifstream log(logPath);
  std::string entry;
  while (std::getline(log, entry)) {
    const std::size_t space = entry.find(' ');
    if (space == std::string::npos) continue;
    const std::string key = entry.substr(0, space);
    if (key == "box") {
      out.boxes += entry.substr(space + 1) + "\n";
    } else {
      out.values[key] = entry.substr(space + 1);
    }
  }
  return out;
}

TEST(ProgramStartup, AHookThatCannotBeInstalledEndsWithItsTextAndLeavesNothing) {
  Outcome o = RunProgramIn("hooks");
  EXPECT_EQ(o.Int("code"), 5008);
  EXPECT_EQ(o.Int("boxes"), 1);
  EXPECT_NE(o.boxes.find("Veltrano|"), std::string::npos) << o.boxes;
  EXPECT_NE(o.boxes.find("Could not set system hooks!"), std::string::npos) << o.boxes;
  EXPECT_GT(o.Int("hookcalls"), 1) << "some hook was installed before the failure";
  EXPECT_EQ(o.Int("hooksleft"), 0);
  EXPECT_EQ(o.Int("shared"), 0);
  EXPECT_EQ(o.Int("tray"), 0);
  EXPECT_EQ(o.Int("boxlines"), static_cast<int>(kLinesBeforeStart)) << "the wheel lines changed after the restore";
  EXPECT_EQ(o.Int("linesafter"), static_cast<int>(kLinesBeforeStart));
}

TEST(ProgramStartup, SharedMemoryThatCannotBeMadeEndsWithItsText) {
  Outcome o = RunProgramIn("shared");
  EXPECT_EQ(o.Int("code"), 5010);
  EXPECT_EQ(o.Int("boxes"), 1);
  EXPECT_NE(o.boxes.find("Could not initialize the shared memory!"), std::string::npos) << o.boxes;
  EXPECT_EQ(o.Int("hookcalls"), 0);
  EXPECT_EQ(o.Int("tray"), 0);
}

TEST(ProgramStartup, AutostartWhileAutostartIsOffEndsQuietly) {
  Outcome o = RunProgramIn("autostart");
  EXPECT_EQ(o.Int("code"), 0);
  EXPECT_EQ(o.Int("boxes"), 0) << o.boxes;
  EXPECT_EQ(o.Int("hookcalls"), 0);
  EXPECT_EQ(o.Int("shared"), 0);
  EXPECT_EQ(o.Int("tray"), 0);
}

TEST(ProgramRun, TheMainWindowAnswersItsMessagesAndQuitEndsTheRun) {
  Outcome o = RunProgramIn("messages");
  EXPECT_EQ(o.Int("code"), 0);
  EXPECT_EQ(o.Int("boxes"), 0) << o.boxes;
  EXPECT_EQ(o.Int("trayshown"), 1);
  EXPECT_EQ(o.Int("select"), 1);
  EXPECT_EQ(o.Int("hotkey"), 1) << "the hot key switches off";
  EXPECT_EQ(o.Int("trayright"), 0) << "a right click on the tray icon switches on again";
  EXPECT_EQ(o.Int("saved"), 1);
  EXPECT_GT(o.Int("hookcalls"), 0);
  EXPECT_EQ(o.Int("hooksleft"), 0);
  EXPECT_EQ(o.Int("shared"), 0);
  EXPECT_EQ(o.Int("tray"), 0);
}

TEST(ProgramRun, TheMainWindowAnswersHookMessagesWhileUpdateChecksWaitOnTheirServer) {
  Outcome o = RunProgramIn("update");
  EXPECT_EQ(o.Int("code"), 0);
  EXPECT_EQ(o.Int("checking"), 1) << "start-up's due test started a check";
  EXPECT_EQ(o.Int("popup"), 1);
  EXPECT_EQ(o.Int("popupthread"), 1) << "the dialog belongs to the main thread";
  EXPECT_EQ(o.Int("requests"), 3) << "the second Check now stopped the check and started a fresh one";
  const double slowest = o.values.count("slowest") ? std::stod(o.values["slowest"]) : 1e9;
  std::printf("slowest hook answer during the update checks: %.2f ms\n", slowest);
  // Far above the measured figure, far below the 5 s the main thread once waited.
  EXPECT_LT(slowest, 2000.0);
  EXPECT_EQ(o.Int("boxes"), 0) << o.boxes;
}

TEST(ProgramRun, QuitDuringADragEndsTheDragFirst) {
  Outcome o = RunProgramIn("dragquit");
  EXPECT_EQ(o.Int("code"), 0);
  EXPECT_EQ(o.Int("press"), 1);
  EXPECT_EQ(o.Int("dragging"), 1);
  EXPECT_EQ(o.Int("idle"), 1);
  EXPECT_EQ(o.Int("cursorshidden"), 0);
}

TEST(ProgramRun, AnOptionsFileOfZerosIsKeptAndAnotherStartQuitsTheRun) {
  const std::string zeros(4096, '\0');  // what a power loss can leave
  Outcome o = RunProgramIn("damaged", zeros);
  EXPECT_EQ(o.Int("code"), 0);
  EXPECT_EQ(o.Int("quitcode"), 0);
  EXPECT_EQ(o.Int("boxes"), 0) << o.boxes;
  const std::string kept = test_support::ReadWholeFile(o.data + "\\Options_damaged.oqc");
  EXPECT_TRUE(kept == zeros) << kept.substr(0, 16);
  // The factory options, saved at the exit beside it.
  EXPECT_EQ(test_support::ReadWholeFile(o.data + "\\Options.oqc").substr(0, 4), "PK\x03\x04");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--scenario") == 0) return RunScenario(argv[2], argv[3]);
  if (argc == 2 && std::strcmp(argv[1], "--quit") == 0) {
    return RunMainProgram(GetModuleHandleA(nullptr), "-QUIT", SW_SHOWNORMAL);
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
