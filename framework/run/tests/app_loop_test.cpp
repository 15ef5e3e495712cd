// The hidden window with another process's control messages, the message
// loop and pump around WM_QUIT, and the exit: state saving and the restart.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "framework/app/exit_request.h"
#include "framework/object/application.h"
#include "framework/base/framework_messages.h"
#include "framework/app/restart_core.h"
#include "framework/run/hidden_window.h"
#include "framework/run/message_loop.h"
#include "framework/run/app_exit.h"
#include "framework/ui/window_list.h"
#include "framework/ui/bar.h"
#include "framework/ui/frame_window.h"
#include "framework/util/crc32.h"
#include "framework/util/file_replace.h"
#include "tests/support/win32/win_test_support.h"
#include "framework/util/win_handles.h"

namespace {

using test_support::Exists;
using test_support::Hex;
using test_support::ProgramFolder;
using test_support::ReadWholeFile;
using test_support::TempDir;

const std::string kProbe = ProgramFolder() + "\\app_probe.exe";

// Runs the probe to its end, so that everything it posted is queued here.
DWORD RunProbe(const std::string& arguments) { return test_support::RunToEnd(kProbe, arguments); }

// What the framework windows' product procedure and the bar windows saw.
std::vector<std::pair<HWND, UINT>> gSeen;

LRESULT CALLBACK ProductProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  gSeen.emplace_back(window, message);
  return FrameDefaultProc(window, message, wParam, lParam);
}

LRESULT CALLBACK BarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  gSeen.emplace_back(window, message);
  return DefWindowProcA(window, message, wParam, lParam);
}

CFrameWindow* MakeFrame(std::uint16_t id, std::uint32_t flags) {
  const int index = CreateAppWindow(id, &ProductProc, "frame", 0, flags, 10, 10, 200, 150);
  return index >= 0 ? gApp.windows[index] : nullptr;
}

// The framework's own messages the product saw, in order.
std::vector<UINT> SentMessages() {
  std::vector<UINT> out;
  for (const auto& [window, message] : gSeen) {
    if (message >= kFrameworkMessageFirst && message <= kFrameworkMessageLast) out.push_back(message);
  }
  return out;
}

int CountSeen(HWND window, UINT message) {
  int n = 0;
  for (const auto& seen : gSeen) n += seen == std::make_pair(window, message) ? 1 : 0;
  return n;
}

// Takes every queued message without dispatching; the quit's wParam, or -1
// when none was queued.
int DrainQueue() {
  MSG msg;
  int quit = -1;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) quit = static_cast<int>(msg.wParam);
  }
  return quit;
}

class AppLoop : public testing::Test {
 protected:
  void SetUp() override {
    // A name of this process alone: other test programs may broadcast too.
    std::snprintf(gApp.appName, sizeof gApp.appName, "LoopTest%lu", GetCurrentProcessId());
    gApp.hInstance = GetModuleHandleA(nullptr);
    gApp.appCrc = Crc32(gApp.appName, kCrc32String);
    gApp.controlMsg = RegisterWindowMessageA(kControlMessageName);
    if (gApp.appWindow == nullptr) {
      ASSERT_NE(CreateAppHiddenWindow(), nullptr);
    }
    DrainQueue();
    gSeen.clear();
  }
  void TearDown() override {
    DestroyAllWindows();
    DrainQueue();
    gApp.exitMode = kExitNormal;
    gApp.broadcastRestart = gApp.settingsLoaded = gApp.noStateSave = 0;
    gApp.restartCommandLine[0] = gApp.modulePath[0] = gApp.commandLine[0] = gApp.dataFolder[0] = '\0';
    gApp.osVersion = 0;
  }
};

TEST_F(AppLoop, EdgeResizingForgetsAFrameThatIsDestroyed) {
  CFrameWindow* frame = MakeFrame(1, kFrameBorderless | kFrameTopmost);
  ASSERT_NE(frame, nullptr);
  ShowWindow(frame->window, SW_SHOWNA);
  RECT r{};
  ASSERT_TRUE(GetWindowRect(frame->window, &r));
  MSG move{frame->window, WM_MOUSEMOVE, 0, 0, 0, POINT{r.left + 2, (r.top + r.bottom) / 2}};
  PreTranslateMessage(&move);
  ASSERT_EQ(CountSeen(frame->window, WM_MOUSEMOVE), 0) << "the left edge takes the move";
  DestroyAllWindows();
  // A press afterwards goes where it was aimed, not to a frame that is gone.
  const CWindowHandle other(test_support::MakeClassWindow("VltLoopTestBar", &BarProc, WS_POPUP, {0, 0, 50, 20}));
  MSG press{other.Get(), WM_LBUTTONDOWN, 0, 0, 0, POINT{}};
  PreTranslateMessage(&press);
  EXPECT_EQ(CountSeen(other.Get(), WM_LBUTTONDOWN), 1);
}

TEST_F(AppLoop, ControlMessagesOfAnotherProcessActOnlyOnDefinedValuesWithOurTag) {
  const std::string crc = Hex(gApp.appCrc);
  // Unknown values, a window message's number and another application's
  // tag come first; a window message forwarded would close the hidden window.
  CFrameWindow* frame = MakeFrame(1, 0);
  ASSERT_NE(frame, nullptr);
  frame->SetFrameOpacityMode(1);
  gSeen.clear();
  ASSERT_EQ(RunProbe("post 0x1234 " + crc + " 0x10 " + crc + " 0x83FF " + Hex(gApp.appCrc ^ 1) + " 0x83FF " + crc +
                     " 0x8405 " + crc),
            0u);
  EXPECT_TRUE(PumpMessagesFor(0));
  EXPECT_EQ(SentMessages(), (std::vector<UINT>{WM_FW_SHOW, WM_FW_QUIT}));
  EXPECT_EQ(frame->ghostMode, 0);  // shown, the window takes clicks again
  EXPECT_TRUE(IsWindow(gApp.appWindow));
  EXPECT_EQ(gApp.exitMode, kExitNormal);
}

TEST_F(AppLoop, RestartRequestOfAnotherProcessEndsTheLoopAndRelaunchesWithoutLogonSwitches) {
  std::strcpy(gApp.commandLine, "-WAITFORDATAPATH -AUTOSTART -MINIMIZE \"a b\"");
  gApp.osVersion = 0;  // no elevation on such a system: the restart counts as elevated
  gApp.broadcastRestart = 1;
  ASSERT_EQ(RunProbe("post 0x8406 " + Hex(gApp.appCrc)), 0u);
  // The pump sees the quit, keeps it for the loop and says so.
  EXPECT_FALSE(PumpMessagesFor(0));
  EXPECT_EQ(gApp.exitMode, kExitRestartElevated);
  EXPECT_STREQ(gApp.restartCommandLine, "-MINIMIZE \"a b\"");
  EXPECT_EQ(gApp.broadcastRestart, 0);
  EXPECT_TRUE(SentMessages().empty());
  EXPECT_EQ(DrainQueue(), 0);
}

TEST_F(AppLoop, PumpKeepsAQuitThatHasMessagesBehindIt) {
  for (UINT m : {UINT{WM_QUIT}, UINT{WM_APP + 1}, UINT{WM_APP + 2}}) {
    ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), m, m == WM_QUIT ? 7 : 0, 0));
  }
  EXPECT_FALSE(PumpMessagesFor(0));
  EXPECT_EQ(DrainQueue(), 7);
  // With nothing waiting the pump returns when its time is up.
  EXPECT_TRUE(PumpMessagesFor(0));
}

std::uint64_t ThreadCpuMs() {
  FILETIME created, exited, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  const auto ticks = [](const FILETIME& t) { return (std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
  return (ticks(kernel) + ticks(user)) / 10000;
}

TEST_F(AppLoop, PumpSleepsThroughItsTimeAndWakesForWhatArrives) {
  const std::uint64_t cpuBefore = ThreadCpuMs();
  const ULONGLONG start = GetTickCount64();
  EXPECT_TRUE(PumpMessagesFor(1000));
  const ULONGLONG wall = GetTickCount64() - start;
  const std::uint64_t cpu = ThreadCpuMs() - cpuBefore;
  std::printf("a pumped wait of 1 s took %llu ms of CPU time\n", static_cast<unsigned long long>(cpu));
  EXPECT_GE(wall, 1000u);
  EXPECT_LT(cpu, 200u) << "the pump spins";
  // A message sent from another thread is answered during the wait, and a
  // quit ends it; the bound is far below the long wait itself.
  const DWORD self = GetCurrentThreadId();
  DWORD_PTR answer = 0;
  BOOL answered = FALSE;
  std::thread other([&] {
    answered = SendMessageTimeoutA(gApp.appWindow, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &answer);
    PostThreadMessageA(self, WM_QUIT, 3, 0);
  });
  const ULONGLONG longStart = GetTickCount64();
  EXPECT_FALSE(PumpMessagesFor(120000));
  other.join();
  EXPECT_LT(GetTickCount64() - longStart, 20000u);
  EXPECT_TRUE(answered);
  EXPECT_EQ(DrainQueue(), 3);
}

// A message that another program sends while this thread waits out a held
// file, whose handler pumps (as the host's handshake does): what is posted
// meanwhile waits for the loop, and the wait answers the sent message.
bool gPostedHandled = false;
bool gPostedHandledInside = false;
LRESULT CALLBACK PumpingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP + 1) gPostedHandled = true;
  if (message != WM_APP) return DefWindowProcA(window, message, wParam, lParam);
  PostMessageA(window, WM_APP + 1, 0, 0);
  const bool pumped = PumpMessagesFor(50);
  gPostedHandledInside = gPostedHandled;
  return pumped ? 1 : 2;
}

TEST_F(AppLoop, PumpInsideTheWaitForAHeldFileAnswersOnlySentMessages) {
  TempDir dir;
  const std::string from = dir / "new";
  const std::string to = dir / "held";
  ASSERT_TRUE(test_support::WriteWholeFile(from, "new") && test_support::WriteWholeFile(to, "old"));
  const CWindowHandle window(test_support::MakeClassWindow("VltPumpingTest", &PumpingProc));
  ASSERT_TRUE(window);
  gPostedHandled = gPostedHandledInside = false;
  CFileHandle held = test_support::OpenExisting(to, test_support::kIndexerSharing);
  ASSERT_TRUE(held);
  DWORD_PTR answer = 0;
  // Let go of the file only once the message was answered: a wait that
  // answered nothing would give up while it is still held.
  std::thread other([&] {
    SendMessageTimeoutA(window.Get(), WM_APP, 0, 0, SMTO_NORMAL, 30000, &answer);
    held.Reset();
  });
  const bool replaced = ReplaceFileRetrying(from.c_str(), to.c_str());
  other.join();
  EXPECT_TRUE(replaced);
  EXPECT_EQ(answer, 1u);
  EXPECT_FALSE(gPostedHandledInside);
  EXPECT_FALSE(gPostedHandled);
  EXPECT_TRUE(PumpMessagesFor(0));
  EXPECT_TRUE(gPostedHandled);
  EXPECT_EQ(ReadWholeFile(to), "new");
}

// A message source that hands out a script of results.
std::vector<BOOL> gScript;
std::size_t gCalls = 0;
BOOL WINAPI ScriptedGetMessage(LPMSG msg, HWND, UINT, UINT) {
  const BOOL result = gCalls < gScript.size() ? gScript[gCalls] : 0;
  ++gCalls;
  *msg = MSG{};
  msg->message = result == 0 ? WM_QUIT : WM_NULL;
  msg->wParam = result == 0 ? 5 : 0;
  return result;
}

TEST_F(AppLoop, LoopEndsOnQuitAndOnAFailingGetMessageAndTheHiddenWindowGoesWithIt) {
  const struct { std::vector<BOOL> script; int exitCode; std::size_t calls; } cases[] = {
      {{1, 1, 0}, 5, 3},
      {{-1, -1, 0}, -1, 1},  // no second try after a failure
      {{1, -1, 0}, -1, 2},
  };
  for (const auto& c : cases) {
    if (gApp.appWindow == nullptr) {
      ASSERT_NE(CreateAppHiddenWindow(), nullptr);
    }
    const HWND hidden = gApp.appWindow;
    CFrameWindow* frame = MakeFrame(1, 0);
    ASSERT_NE(frame, nullptr);
    gScript = c.script;
    gCalls = 0;
    EXPECT_EQ(RunMessageLoopWith(ScriptedGetMessage), c.exitCode);
    EXPECT_EQ(gCalls, c.calls);
    EXPECT_EQ(gApp.inMessageLoop, 0);
    // No other start takes the ending program for the running one; the
    // windows it owned stay for the shut-down, whose pump still pumps.
    EXPECT_FALSE(IsWindow(hidden));
    EXPECT_EQ(gApp.appWindow, nullptr);
    EXPECT_TRUE(IsWindow(frame->window));
    ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 9, 0));
    EXPECT_FALSE(PumpMessagesFor(0));
    EXPECT_EQ(DrainQueue(), 9);
    DestroyAllWindows();
  }
}

std::string AppRecordPath(const TempDir& dir) { return dir / "(Orvo)App.oqc"; }

TEST_F(AppLoop, ExitSavesTheStateOnlyAfterTheSettingsWereReadAndTheProgramRan) {
  const struct { std::uint8_t settingsLoaded, noStateSave; bool saved; } cases[] = {
      {1, 0, true},
      {0, 0, false},  // start-up ended before reading the settings: the user's record stays
      {1, 1, false},  // another instance was signalled
  };
  for (const auto& c : cases) {
    TempDir dir;
    std::strcpy(gApp.dataFolder, dir.Path().c_str());
    ASSERT_TRUE(test_support::WriteWholeFile(AppRecordPath(dir), "user's record"));
    gApp.settings = DefaultAppSettings();
    gApp.settings.uiFontSize = 13;
    gApp.settingsLoaded = c.settingsLoaded;
    gApp.noStateSave = c.noStateSave;
    if (gApp.appWindow == nullptr) {
      ASSERT_NE(CreateAppHiddenWindow(), nullptr);
    }
    AppExit();
    EXPECT_EQ(gApp.appWindow, nullptr);
    const std::string expected = c.saved ? std::string(reinterpret_cast<const char*>(&gApp.settings),
                                                       sizeof gApp.settings)
                                         : "user's record";
    EXPECT_EQ(ReadWholeFile(AppRecordPath(dir)), expected) << int(c.settingsLoaded) << int(c.noStateSave);
    EXPECT_FALSE(Exists(test_support::RecordTempOf(AppRecordPath(dir))));
  }
}

TEST_F(AppLoop, EndOfSessionSavesTheProductsOptionsAndTheState) {
  TempDir dir;
  std::strcpy(gApp.dataFolder, dir.Path().c_str());
  gApp.settings = DefaultAppSettings();
  gApp.settingsLoaded = 1;
  ASSERT_NE(MakeFrame(1024, 0), nullptr);
  gSeen.clear();
  // The end of the session was called off: the program runs on.
  SendMessageA(gApp.appWindow, WM_ENDSESSION, FALSE, 0);
  EXPECT_TRUE(SentMessages().empty());
  EXPECT_FALSE(Exists(AppRecordPath(dir)));
  SendMessageA(gApp.appWindow, WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(SentMessages(), std::vector<UINT>{WM_FW_SAVEOPTIONS});
  EXPECT_EQ(ReadWholeFile(AppRecordPath(dir)).size(), sizeof gApp.settings);
  gApp.settingsLoaded = 0;  // the folder goes with the test
}

TEST_F(AppLoop, RestartRelaunchesTheProgramWithoutLogonSwitches) {
  TempDir dir;
  const std::string out = dir / "relaunched.txt";
  ASSERT_TRUE(SetEnvironmentVariableA("VELTRANO_PROBE_OUT", out.c_str()));
  std::strcpy(gApp.modulePath, kProbe.c_str());
  std::strcpy(gApp.commandLine, "-AUTOSTART -MINIMIZE -WAITFORDATAPATH \"x y\"");
  gApp.osVersion = 10;
  EXPECT_EQ(RequestExit(kExitRestart, nullptr, 0), 0);
  EXPECT_EQ(DrainQueue(), 0);
  AppExit();
  SetEnvironmentVariableA("VELTRANO_PROBE_OUT", nullptr);
  // The relaunch runs on its own; wait for what it writes (a bound for a
  // failure, not a pace the test depends on), until it can be read: the
  // file may be just in the middle of its replacing move.
  std::string written;
  EXPECT_TRUE(test_support::WaitUntil(
      [&] { return (written = ReadWholeFile(out)) != "<missing>"; }, 60000));
  EXPECT_EQ(written, "-MINIMIZE \"x y\"");
}

TEST_F(AppLoop, WindowOpacityLayersTheWindowAndLetsClicksThroughOnlyWhenAsked) {
  const CWindowHandle window(
      CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr));
  ASSERT_TRUE(window);
  const struct {
    int percent;
    std::uint8_t clickThrough;
    BYTE alpha;  // 0 with layered off
    bool layered, transparent;
  } cases[] = {
      {30, 0, 178, true, false},
      {50, 1, 127, true, true},
      {100, 0, 0, true, false},  // fully transparent, still layered
      {0, 1, 0, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(SetWindowOpacity(window.Get(), c.percent, c.clickThrough)) << c.percent;
    const LONG ex = GetWindowLongA(window.Get(), GWL_EXSTYLE);
    EXPECT_EQ((ex & WS_EX_LAYERED) != 0, c.layered) << c.percent;
    EXPECT_EQ((ex & WS_EX_TRANSPARENT) != 0, c.transparent) << c.percent;
    if (!c.layered) continue;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(window.Get(), nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, c.alpha) << c.percent;
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
  }
}

TEST_F(AppLoop, ColourSchemeIsKeptInTheSettingsAndTheThemeRecomputed) {
  gApp.settings = DefaultAppSettings();
  gApp.settings.customColor1 = RGB(10, 200, 30);
  SetColorScheme(2);
  EXPECT_EQ(gApp.settings.colorSchemeMode, 2);
  EXPECT_EQ(gApp.theme.base.b0, RGB(10, 200, 30));  // custom colour 0 is the base
  // Automatic is resolved for this system and stored so.
  SetColorScheme(kColorSchemeAutomatic);
  EXPECT_LE(gApp.settings.colorSchemeMode, 1);
  EXPECT_NE(gApp.theme.base.b0, RGB(10, 200, 30));
}

TEST_F(AppLoop, NonClientRefreshReachesEveryFrameworkWindowAndBar) {
  CFrameWindow* plain = MakeFrame(1, 0);
  CFrameWindow* captionless = MakeFrame(2, kFrameNoCaption);
  ASSERT_TRUE(plain != nullptr && captionless != nullptr);
  CBar bar;
  const CWindowHandle barWindow(test_support::MakeClassWindow("VltLoopTestBar", &BarProc, WS_POPUP, {0, 0, 50, 20}));
  bar.window = barWindow.Get();
  ASSERT_GE(gApp.bars.Append(&bar), 0);
  gSeen.clear();
  RefreshNonClientAreas();
  gApp.bars.Clear();
  for (HWND w : {plain->window, captionless->window, bar.window}) EXPECT_EQ(CountSeen(w, WM_NCACTIVATE), 1);
  EXPECT_EQ(CountSeen(plain->window, WM_NCPAINT), 0);
  EXPECT_EQ(CountSeen(captionless->window, WM_NCPAINT), 1);  // its frame has no caption to redraw it
}

}  // namespace
