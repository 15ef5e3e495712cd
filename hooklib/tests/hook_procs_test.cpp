// The hook procedures called directly in this process, against a recorder
// window that plays the main program.
#include <gtest/gtest.h>

#include "hooklib/hooklib.h"
#include "hooklib/tests/recorder.h"

namespace {

// Runs first: without a main program holding the mapping nothing is sent
// and the hook only chains.
TEST(HookLibraryWithoutMainProgram, OnlyChains) {
  // A process that was hooked earlier may still hold a view of the mapping.
  if (HANDLE held = OpenFileMappingA(FILE_MAP_READ, FALSE, kSharedMemoryName)) {
    CloseHandle(held);
    GTEST_SKIP() << "another process still holds the shared memory";
  }
  Recorder recorder;
  MOUSEHOOKSTRUCT info{};
  info.hwnd = recorder.window();
  EXPECT_EQ(MouseHookProc(HC_ACTION, WM_RBUTTONDOWN, reinterpret_cast<LPARAM>(&info)), 0);
  EXPECT_TRUE(recorder.messages.empty());
  // The failed open must not have left a mapping behind.
  HANDLE existing = OpenFileMappingA(FILE_MAP_READ, FALSE, kSharedMemoryName);
  EXPECT_EQ(existing, nullptr);
  if (existing) CloseHandle(existing);
}

class HookLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    shm_ = ConnectRecorder(recorder_, &GetSharedMemory);
    ASSERT_NE(shm_, nullptr);
  }
  void TearDown() override { ReleaseSharedMemory(); }

  static LRESULT Mouse(int code, WPARAM message, HWND under) {
    MOUSEHOOKSTRUCT info{};
    info.hwnd = under;
    return MouseHookProc(code, message, reinterpret_cast<LPARAM>(&info));
  }

  Recorder recorder_;
  SharedMemory* shm_ = nullptr;
};

TEST_F(HookLibrary, SharedMemoryIsOneNamedMapping) {
  EXPECT_EQ(GetSharedMemory(true), shm_);  // the view is kept per process
  HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, kSharedMemoryName);
  ASSERT_NE(mapping, nullptr);
  CloseHandle(mapping);
}

TEST_F(HookLibrary, ReportsRightMiddleAndMovesOnly) {
  HWND under = reinterpret_cast<HWND>(static_cast<LONG_PTR>(0x1234));
  for (WPARAM m : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN,
                   WM_RBUTTONUP, WM_RBUTTONDBLCLK, WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK}) {
    (void)Mouse(HC_ACTION, m, under);
  }
  ASSERT_EQ(recorder_.messages.size(), 5u);
  const WPARAM expected[] = {WM_MOUSEMOVE, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MBUTTONDOWN, WM_MBUTTONUP};
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(recorder_.messages[i].message, WM_HOOK_MOUSE);
    EXPECT_EQ(recorder_.messages[i].wParam, expected[i]);
    EXPECT_EQ(recorder_.messages[i].lParam, reinterpret_cast<LPARAM>(under));
  }
}

TEST_F(HookLibrary, PeekedMouseEventsAndNegativeCodesAreNotReported) {
  (void)Mouse(HC_NOREMOVE, WM_RBUTTONDOWN, nullptr);
  (void)Mouse(-1, WM_RBUTTONDOWN, nullptr);
  EXPECT_TRUE(recorder_.messages.empty());
}

TEST_F(HookLibrary, SwallowsOnlyOnAnswerOfExactlyOne) {
  LRESULT reply = 1;
  recorder_.answer = [&](const HookMessage&) { return reply; };
  EXPECT_EQ(Mouse(HC_ACTION, WM_RBUTTONDOWN, nullptr), 1);
  reply = 2;
  EXPECT_EQ(Mouse(HC_ACTION, WM_RBUTTONDOWN, nullptr), 0);
  reply = -1;
  EXPECT_EQ(Mouse(HC_ACTION, WM_RBUTTONDOWN, nullptr), 0);
}

MSG WheelMessage(HWND hwnd, short delta, DWORD time) {
  MSG msg{};
  msg.hwnd = hwnd;
  msg.message = WM_MOUSEWHEEL;
  msg.wParam = MAKEWPARAM(MK_SHIFT, static_cast<WORD>(delta));
  msg.lParam = MAKELPARAM(300, 200);
  msg.time = time;
  return msg;
}

TEST_F(HookLibrary, WheelDeltaRewrittenByMainProgramIsDelivered) {
  recorder_.answer = [&](const HookMessage&) {
    EXPECT_EQ(shm_->wheelTime, 4242u);
    EXPECT_EQ(shm_->wheelPoint, static_cast<std::uint32_t>(MAKELPARAM(300, 200)));
    EXPECT_EQ(WheelDelta(shm_->wheelWParam), -120);
    shm_->wheelWParam = WithWheelDelta(shm_->wheelWParam, -1800);
    return LRESULT{0};
  };
  HWND target = reinterpret_cast<HWND>(static_cast<LONG_PTR>(0x4321));
  MSG msg = WheelMessage(target, -120, 4242);
  (void)GetMessageHookProc(HC_ACTION, PM_REMOVE, reinterpret_cast<LPARAM>(&msg));
  ASSERT_EQ(recorder_.messages.size(), 1u);
  EXPECT_EQ(recorder_.messages[0].message, WM_HOOK_WHEEL);
  EXPECT_EQ(recorder_.messages[0].wParam, static_cast<WPARAM>(WM_MOUSEWHEEL));
  EXPECT_EQ(recorder_.messages[0].lParam, reinterpret_cast<LPARAM>(target));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_MOUSEWHEEL));
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(msg.wParam), -1800);
  EXPECT_EQ(GET_KEYSTATE_WPARAM(msg.wParam), MK_SHIFT);
}

TEST_F(HookLibrary, WheelRedirectedByMainProgramBecomesNull) {
  recorder_.answer = [&](const HookMessage&) {
    shm_->wheelWParam = WithWheelDelta(shm_->wheelWParam, 240);
    return LRESULT{1};
  };
  MSG msg = WheelMessage(nullptr, 120, 1);
  (void)GetMessageHookProc(HC_ACTION, PM_REMOVE, reinterpret_cast<LPARAM>(&msg));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_NULL));
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(msg.wParam), 240);
}

TEST_F(HookLibrary, PeekedWheelAndOtherMessagesAreNotReported) {
  MSG msg = WheelMessage(nullptr, 120, 1);
  (void)GetMessageHookProc(HC_ACTION, PM_NOREMOVE, reinterpret_cast<LPARAM>(&msg));
  MSG key{};
  key.message = WM_KEYDOWN;
  (void)GetMessageHookProc(HC_ACTION, PM_REMOVE, reinterpret_cast<LPARAM>(&key));
  EXPECT_TRUE(recorder_.messages.empty());
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_MOUSEWHEEL));
}

// A window that counts the application commands its own procedure receives.
struct CommandTarget {
  static inline int commands = 0;
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_APPCOMMAND) {
      ++commands;
      return TRUE;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
  CommandTarget() {
    commands = 0;
    WNDCLASSA wc{};
    wc.lpfnWndProc = &Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VeltranoTestCommandTarget";
    RegisterClassA(&wc);
    window.Reset(CreateWindowExA(0, wc.lpszClassName, "", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr,
                                 nullptr, wc.hInstance, nullptr));
  }
  CWindowHandle window;
};

LPARAM CommandLParam(unsigned command) { return static_cast<LPARAM>(command << 16); }

void HookCommand(HWND to, HWND source, unsigned command) {
  CWPSTRUCT cwp{};
  cwp.hwnd = to;
  cwp.message = WM_APPCOMMAND;
  cwp.wParam = reinterpret_cast<WPARAM>(source);
  cwp.lParam = CommandLParam(command);
  (void)CallWndProcHookProc(HC_ACTION, 0, reinterpret_cast<LPARAM>(&cwp));
}

class HookLibraryCommands : public HookLibrary {
 protected:
  void SetUp() override {
    HookLibrary::SetUp();
    recorder_.answer = [this](const HookMessage& m) -> LRESULT {
      if (m.message == WM_HOOK_SELECTTARGET) shm_->backFwdSubclass = subclass_;
      if (m.message == WM_HOOK_APPCOMMAND) return swallow_;
      return 0;
    };
  }
  std::uint32_t subclass_ = 1;
  LRESULT swallow_ = 1;
  CommandTarget target_;
};

TEST_F(HookLibraryCommands, OneShotSubclassReportsAndSwallowsTheCommand) {
  HWND w = target_.window.Get();
  const LONG_PTR original = GetWindowLongPtrA(w, GWLP_WNDPROC);
  HookCommand(w, w, kAppCommandBrowserForward);
  ASSERT_EQ(recorder_.messages.size(), 1u);
  EXPECT_EQ(recorder_.messages[0].message, WM_HOOK_SELECTTARGET);
  EXPECT_EQ(GetWindowLongPtrA(w, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&SubclassWndProc));

  EXPECT_EQ(SendMessageA(w, WM_APPCOMMAND, reinterpret_cast<WPARAM>(w), CommandLParam(2) | 0x8000), 0);
  ASSERT_EQ(recorder_.messages.size(), 2u);
  EXPECT_EQ(recorder_.messages[1].message, WM_HOOK_APPCOMMAND);
  EXPECT_EQ(recorder_.messages[1].wParam, 2u);
  EXPECT_EQ(recorder_.messages[1].lParam, reinterpret_cast<LPARAM>(w));
  EXPECT_EQ(shm_->appCommandLParam, static_cast<std::uint32_t>(CommandLParam(2) | 0x8000));
  EXPECT_EQ(CommandTarget::commands, 0);  // swallowed
  EXPECT_EQ(GetWindowLongPtrA(w, GWLP_WNDPROC), original);  // one shot
}

TEST_F(HookLibraryCommands, UnansweredCommandReachesTheWindow) {
  swallow_ = 0;
  HWND w = target_.window.Get();
  HookCommand(w, w, kAppCommandBrowserBack);
  EXPECT_EQ(SendMessageA(w, WM_APPCOMMAND, reinterpret_cast<WPARAM>(w), CommandLParam(1)), TRUE);
  EXPECT_EQ(CommandTarget::commands, 1);
  // The subclass is no longer pending: the next command is reported again.
  HookCommand(w, w, kAppCommandBrowserBack);
  EXPECT_EQ(recorder_.Count(WM_HOOK_SELECTTARGET, 0), 2u);
  SendMessageA(w, WM_APPCOMMAND, reinterpret_cast<WPARAM>(w), CommandLParam(1));
}

TEST_F(HookLibraryCommands, OtherCommandsAndCommandsWhilePendingAreNotReported) {
  HWND w = target_.window.Get();
  HookCommand(w, w, 7);  // APPCOMMAND_BROWSER_HOME
  EXPECT_TRUE(recorder_.messages.empty());
  HookCommand(w, w, kAppCommandBrowserBack);
  HookCommand(w, w, kAppCommandBrowserForward);  // pending: ignored
  EXPECT_EQ(recorder_.messages.size(), 1u);
  SendMessageA(w, WM_APPCOMMAND, reinterpret_cast<WPARAM>(w), CommandLParam(1));
}

TEST_F(HookLibraryCommands, FlagClearAsksForTheProfileButSubclassesNothing) {
  subclass_ = 0;
  HWND w = target_.window.Get();
  const LONG_PTR original = GetWindowLongPtrA(w, GWLP_WNDPROC);
  HookCommand(w, w, kAppCommandBrowserBack);
  EXPECT_EQ(recorder_.Count(WM_HOOK_SELECTTARGET, 0), 1u);
  EXPECT_EQ(GetWindowLongPtrA(w, GWLP_WNDPROC), original);
  SendMessageA(w, WM_APPCOMMAND, reinterpret_cast<WPARAM>(w), CommandLParam(1));
  EXPECT_EQ(recorder_.Count(WM_HOOK_APPCOMMAND, 1), 0u);
  EXPECT_EQ(CommandTarget::commands, 1);
}

TEST_F(HookLibraryCommands, SubclassThatCannotBeInstalledIsNotLeftPending) {
  HWND bogus = reinterpret_cast<HWND>(static_cast<LONG_PTR>(0x7FFFFFF0));
  HookCommand(target_.window.Get(), bogus, kAppCommandBrowserBack);
  HookCommand(target_.window.Get(), bogus, kAppCommandBrowserBack);
  EXPECT_EQ(recorder_.Count(WM_HOOK_SELECTTARGET, 0), 2u);
}

TEST_F(HookLibraryCommands, WindowDestroyedBeforeItsCommandEndsThePendingSubclass) {
  {
    CommandTarget doomed;
    HookCommand(doomed.window.Get(), doomed.window.Get(), kAppCommandBrowserBack);
  }  // destroyed with the subclass in place
  HWND w = target_.window.Get();
  HookCommand(w, w, kAppCommandBrowserForward);
  EXPECT_EQ(recorder_.Count(WM_HOOK_SELECTTARGET, 0), 2u);
  SendMessageA(w, WM_APPCOMMAND, reinterpret_cast<WPARAM>(w), CommandLParam(2));
  EXPECT_EQ(recorder_.Count(WM_HOOK_APPCOMMAND, 2), 1u);
}

}  // namespace
