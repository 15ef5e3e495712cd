// The hook control of the main window with real hooks and a stand-in for
// the 64-bit host's window, and the real host after a restart, beside the
// window of the previous instance's host on its way out.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "framework/object/application.h"
#include "hooklib/hooklib.h"
#include "host64/hook_mask.h"
#include "scrolling/app/main_core.h"
#include "scrolling/app/main_window.h"
#include "scrolling/engine/win32_platform.h"
#include "scrolling/options/options.h"
#include "scrolling/settings/profile_dialog.h"
#include "tests/support/product/use_product_texts.h"
#include "tests/support/win32/win_test_support.h"

namespace {

// Every installation goes through here: the kinds in failKinds fail, the
// others are installed for real and kept for the check that they are gone.
struct Installer {
  std::vector<int> failKinds;
  std::vector<int> calls;
  std::vector<HHOOK> made;
};
Installer gInstaller;

HHOOK WINAPI CountingInstall(int idHook, HOOKPROC proc, HINSTANCE module, DWORD threadId) {
  gInstaller.calls.push_back(idHook);
  for (const int kind : gInstaller.failKinds) {
    if (kind == idHook) return nullptr;
  }
  HHOOK hook = SetWindowsHookExA(idHook, proc, module, threadId);
  if (hook != nullptr) gInstaller.made.push_back(hook);
  return hook;
}

// The hooks that the hook control still holds. The ones made so far are
// removed here as well, uncounted: Wine only marks a hook whose chain another
// thread is running, so unhooking it a second time succeeds too and cannot
// tell a forgotten hook from a removed one.
int HooksLeft() {
  int left = 0;
  for (unsigned mask = LocalHooksMask(); mask != 0; mask &= mask - 1) ++left;
  for (HHOOK hook : gInstaller.made) (void)UnhookWindowsHookEx(hook);
  gInstaller.made.clear();
  return left;
}

// A stand-in host: answers 0 to its first refusals requests, then that
// every hook is in place; the first request also posts kNestedRequest to the
// nesting window, whose handler asks for the hooks again while the first
// request still waits.
struct FakeHost {
  int refusals = 0;
  std::vector<WPARAM> masks;
  bool requestWhileNested = false;
};
FakeHost gHost;
bool gNested = false;
HWND gNestingWindow = nullptr;
constexpr UINT kNestedRequest = WM_APP + 7;

// The real host, started as the main program starts it.
CKernelHandle StartRealHost() {
  return test_support::StartProgram(test_support::ProgramFolder() + "\\Veltrano64.exe", "");
}

#ifdef _WIN64
// The real host is a 64-bit program: the 32-bit build's tests run where no
// 64-bit program can (a 32-bit Windows), and it is tested in the x86_64
// build.

// The host's window belongs to that process.
bool IsWindowOf(HWND window, const CKernelHandle& process) {
  DWORD owner = 0;
  return window != nullptr && GetWindowThreadProcessId(window, &owner) != 0 && owner == GetProcessId(process.Get());
}

// Ends a real host as the main program's shut-down does; its exit code.
DWORD EndRealHost(const CKernelHandle& process) {
  if (const HWND w = test_support::WindowOfProcess(GetProcessId(process.Get()), kHostWindowClass)) {
    SendMessageA(w, WM_QUIT, 0, 0);
  }
  DWORD code = 99;
  if (WaitForSingleObject(process.Get(), 20000) != WAIT_OBJECT_0) {
    TerminateProcess(process.Get(), 1);
  } else {
    GetExitCodeProcess(process.Get(), &code);
  }
  return code;
}
#endif

// The old host's announcement that it has gone, which starts the new
// instance's host only after the handshake has paused twice more: a host that
// starts late.
constexpr UINT kOldHostGone = WM_APP + 9;
constexpr UINT_PTR kLateHostTimer = 77;
CKernelHandle gLateHost;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_HOST_SETHOOKS) return DefWindowProcA(window, message, wParam, lParam);
  if (gNested) gHost.requestWhileNested = true;
  gHost.masks.push_back(wParam);
  if (gHost.masks.size() == 1 && gNestingWindow != nullptr) PostMessageA(gNestingWindow, kNestedRequest, 0, 0);
  if (gHost.refusals > 0) {
    --gHost.refusals;
    return 0;
  }
  return kHostHooksInPlace;
}

LRESULT CALLBACK NestingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kNestedRequest) {
    gNested = true;
    (void)InstallHooks(true);
    gNested = false;
    return 0;
  }
  if (message == kOldHostGone) {
    SetTimer(window, kLateHostTimer, 2 * kHostHandshakePauseMs, nullptr);
    return 0;
  }
  if (message == WM_TIMER && wParam == kLateHostTimer) {
    KillTimer(window, kLateHostTimer);
    gLateHost = StartRealHost();
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeWindow(const char* className, WNDPROC proc) {
  return test_support::MakeClassWindow(className, proc, WS_POPUP, {0, 0, 0, 0});
}

// The host of the instance that ended before a restart: it has left its loop
// but its window is still there and answers nothing; it goes (with its
// thread) once it is asked something, as the real one goes a moment after
// its loop. With announce, it posts kOldHostGone to the nesting window as it
// goes.
class EndingHost {
 public:
  explicit EndingHost(bool announce) : thread_([this, announce] { Run(announce); }) {
    (void)test_support::WaitUntil([this] { return window_.load() != nullptr; }, 20000);
  }
  ~EndingHost() {
    // Asked once more, in case nothing asked it: it goes.
    DWORD_PTR answer = 0;
    if (IsWindow(window_.load())) SendMessageTimeoutA(window_.load(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);
    thread_.join();
  }
  EndingHost(const EndingHost&) = delete;
  EndingHost& operator=(const EndingHost&) = delete;

  [[nodiscard]] bool Gone() const { return !IsWindow(window_.load()); }

 private:
  void Run(bool announce) {
    const HWND window = MakeWindow(kHostWindowClass, &HostProc);
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcA));
    window_ = window;
    // Looks at its queue without taking anything from it.
    (void)test_support::WaitUntil(
        [] { return (HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) != 0; }, 60000);
    if (announce) PostMessageA(gNestingWindow, kOldHostGone, 0, 0);
  }

  std::atomic<HWND> window_{nullptr};
  std::thread thread_;
};

class HookControlTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    UseProductTexts();
    library_ = LoadLibraryA(kHookLibraryName);
    SetHookLibrary(library_);
    SetHookInstaller(&CountingInstall);
    // The handshake pumps this thread's messages while it waits.
    gNestingWindow = MakeWindow("VeltranoNestingTest", &NestingProc);
    gApp.appWindow = gNestingWindow;
  }
  void SetUp() override {
    SetFactoryOptions();
    gInstaller = Installer{};
    gHost = FakeHost{};
  }
  void TearDown() override {
    (void)InstallHooks(false);
    SetHostStarted(0);
    EXPECT_EQ(HooksLeft(), 0);
    // A stand-in host that answered at once left its nested request unread:
    // it must not start a request in the next test's handshake.
    MSG msg;
    while (PeekMessageA(&msg, gNestingWindow, kNestedRequest, kNestedRequest, PM_REMOVE)) {
    }
  }
  static HMODULE library_;
};
HMODULE HookControlTest::library_ = nullptr;

TEST_F(HookControlTest, AFailedInstallationIsTriedAgainAndRemovedAtTheEnd) {
  ASSERT_NE(library_, nullptr);
  gInstaller.failKinds = {WH_GETMESSAGE};
  EXPECT_FALSE(InstallHooks(true));
  gInstaller.failKinds.clear();
  gInstaller.calls.clear();
  EXPECT_TRUE(InstallHooks(true));
  EXPECT_EQ(gInstaller.calls, std::vector<int>{WH_GETMESSAGE}) << "only the missing hook is installed";
  gInstaller.calls.clear();
  EXPECT_TRUE(InstallHooks(true));
  EXPECT_TRUE(gInstaller.calls.empty()) << "nothing changed: no work";

  // A failed installation leaves its other hooks; removing them all still
  // removes those.
  EXPECT_TRUE(InstallHooks(false));
  gInstaller.failKinds = {WH_MOUSE};
  EXPECT_FALSE(InstallHooks(true));
  EXPECT_TRUE(InstallHooks(false));
  EXPECT_EQ(HooksLeft(), 0);
}

TEST_F(HookControlTest, TheHostIsAskedUntilItAnswersAndARequestMeanwhileWaits) {
  HWND host = MakeWindow(kHostWindowClass, &HostProc);
  ASSERT_NE(host, nullptr);
  SetHostStarted(42);
  gHost.refusals = 2;
  // The factory profiles scroll and accelerate the wheel; none maps back and
  // forward.
  constexpr WPARAM want = kHookMaskMouse | kHookMaskGetMessage;
  EXPECT_TRUE(InstallHooks(true));
  EXPECT_FALSE(gHost.requestWhileNested) << "a call inside the handshake must not start a second one";
  EXPECT_EQ(gHost.masks, (std::vector<WPARAM>{want, want, want}));
  // The nested request wanted nothing new: no further request went out.
  gHost.masks.clear();
  EXPECT_TRUE(InstallHooks(false));
  EXPECT_EQ(gHost.masks, std::vector<WPARAM>{0});
  DestroyWindow(host);
}

TEST_F(HookControlTest, TheHostHearsEvenAFirstMaskOfNoHooksAndIsNotWaitedForOnceItIsGone) {
  HWND host = MakeWindow(kHostWindowClass, &HostProc);
  ASSERT_NE(host, nullptr);
  SetHostStarted(42);
  gOpt.iNumPar = 0;
  EXPECT_TRUE(InstallHooks(true));
  EXPECT_EQ(gHost.masks, std::vector<WPARAM>{0}) << "the host keeps the hooks of its start";
  EXPECT_TRUE(gInstaller.calls.empty());
  DestroyWindow(host);
  // A change for a host whose window has gone fails without waiting: the
  // message posted before is not pumped.
  constexpr UINT kPumpProbe = WM_APP + 8;
  PostMessageA(gNestingWindow, kPumpProbe, 0, 0);
  SetFactoryOptions();
  EXPECT_FALSE(InstallHooks(true));
  MSG msg;
  EXPECT_TRUE(PeekMessageA(&msg, gNestingWindow, kPumpProbe, kPumpProbe, PM_REMOVE));
}

#ifdef _WIN64
TEST_F(HookControlTest, TheRealHostTakesTheMaskAndEndsOnWmQuit) {
  const CKernelHandle host = StartRealHost();
  ASSERT_TRUE(host);
  SetHostStarted(33);
  // The host's window comes up while the first request waits for it.
  EXPECT_TRUE(InstallHooks(true));
  EXPECT_TRUE(IsWindowOf(FindHostWindow(), host));
  EXPECT_TRUE(InstallHooks(false));
  EXPECT_EQ(EndRealHost(host), 0u) << "ended on WM_QUIT, 99: not within 20 s";
}

TEST_F(HookControlTest, AfterARestartTheNewHostTakesTheMaskPastTheOldHostsWindowOnItsWayOut) {
  {
    SCOPED_TRACE("the new host starts while the old window is there");
    const EndingHost old(false);
    const CKernelHandle host = StartRealHost();
    ASSERT_TRUE(host);
    // The new host asks the old one, which goes; it does not leave for it.
    const auto ended = [&host] { return WaitForSingleObject(host.Get(), 0) == WAIT_OBJECT_0; };
    ASSERT_TRUE(test_support::WaitUntil([&] { return old.Gone() || ended(); }, 30000));
    ASSERT_FALSE(ended()) << "the new host left for a host that was going";
    SetHostStarted(33);
    EXPECT_TRUE(InstallHooks(true));
    EXPECT_TRUE(IsWindowOf(FindHostWindow(), host));
    EXPECT_TRUE(InstallHooks(false));
    EXPECT_EQ(EndRealHost(host), 0u);
  }
  {
    SCOPED_TRACE("the new host's window comes after the old one has gone");
    const EndingHost old(true);
    SetHostStarted(33);
    EXPECT_TRUE(InstallHooks(true));
    KillTimer(gNestingWindow, kLateHostTimer);
    ASSERT_TRUE(gLateHost);
    EXPECT_TRUE(IsWindowOf(FindHostWindow(), gLateHost));
    EXPECT_TRUE(InstallHooks(false));
    EXPECT_EQ(EndRealHost(gLateHost), 0u);
  }
  gLateHost.Reset();
}
#endif

TEST_F(HookControlTest, SwitchingOffEndsADragInProgress) {
  HWND view = MakeWindow("VeltranoDragView", &DefWindowProcA);
  SetWindowLongA(view, GWL_STYLE, WS_POPUP | WS_VSCROLL);
  SetWindowPos(view, HWND_TOPMOST, 100, 100, 400, 300, SWP_SHOWWINDOW | SWP_FRAMECHANGED);
  gOpt.iNumPar = 1;
  SetProfileDefaults(gOpt.Par[0]);
  std::strcpy(gOpt.Par[0].szWndClass, "VeltranoDragView");
  gOpt.Par[0].bUseCtrl = 0;
  gOpt.Par[0].bSwapCtrl = 1;
  gOpt.Par[0].bWheelEnable = 0;
  ResetTargetCache();
  ASSERT_TRUE(test_support::MoveCursorTo(300, 250));
  ASSERT_EQ(HandleMouseEvent(WM_RBUTTONDOWN), 1);
  ASSERT_NE(EngineScrollDrag().State(), DragState::Idle);
  SetProgramDisabled(true);
  EXPECT_EQ(EngineScrollDrag().State(), DragState::Idle);
  EXPECT_EQ(GetCapture(), nullptr);
  SetProgramDisabled(false);
  EXPECT_EQ(gOpt.bDisabled, 0);
  DestroyWindow(view);
}

TEST_F(HookControlTest, ThePickersPressAndARunningPickAreNoDrag) {
  HWND view = MakeWindow("VeltranoPickDragView", &DefWindowProcA);
  SetWindowPos(view, HWND_TOPMOST, 100, 100, 400, 300, SWP_SHOWWINDOW);
  gOpt.iNumPar = 1;
  SetProfileDefaults(gOpt.Par[0]);
  gOpt.Par[0].bUseCtrl = 0;
  gOpt.Par[0].bSwapCtrl = 1;
  ResetTargetCache();
  ASSERT_TRUE(test_support::MoveCursorTo(300, 250));
  const HWND button = CreateWindowExA(0, "Button", "Pick", WS_POPUP, 0, 0, 40, 20, nullptr, nullptr, nullptr, nullptr);
  AttachWindowPicker(button);
  const auto hookReport = [](UINT message, HWND window) {
    return MainWndProc(MainWindow(), WM_HOOK_MOUSE, message, reinterpret_cast<LPARAM>(window));
  };
  // The press that starts a pick reaches the button before it holds the capture.
  EXPECT_EQ(hookReport(WM_RBUTTONDOWN, button), 0);
  EXPECT_EQ(EngineScrollDrag().State(), DragState::Idle);
  SendMessageA(button, WM_RBUTTONDOWN, MK_RBUTTON, 0);
  ASSERT_TRUE(IsWindowPickerActive());
  EXPECT_EQ(hookReport(WM_MOUSEMOVE, view), 0);
  EXPECT_EQ(hookReport(WM_RBUTTONDOWN, view), 0);
  EXPECT_EQ(EngineScrollDrag().State(), DragState::Idle);
  SendMessageA(button, WM_RBUTTONUP, 0, 0);
  EXPECT_FALSE(IsWindowPickerActive());
  // With the pick over, the same press over the view starts a drag again.
  EXPECT_EQ(hookReport(WM_RBUTTONDOWN, view), 1);
  EngineScrollDrag().EndScrolling();
  DestroyWindow(button);
  DestroyWindow(view);
}

}  // namespace
