// The hook procedures called directly in this process, against a recorder
// window that plays the main program.
#include <gtest/gtest.h>

#include <vector>

#include "hooklib/hooklib.h"
#include "tests/support/hooks/recorder.h"
#include "tests/support/win32/win_test_support.h"

namespace {

// The procedures as the system and the main program find them: by the names
// the library exports. The 32-bit ones carry their standard-call decoration
// in the name, which a call through the import library does not match.
FARPROC Exported(const char* name) { return GetProcAddress(GetModuleHandleA(kHookLibraryName), name); }
LRESULT CallHook(const char* name, int code, WPARAM wParam, LPARAM lParam) {
  const auto proc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(Exported(name)));
  EXPECT_NE(proc, nullptr) << name << " is not exported";
  return proc != nullptr ? proc(code, wParam, lParam) : 0;
}
LRESULT MouseHook(int code, WPARAM wParam, LPARAM lParam) { return CallHook(kMouseHookExport, code, wParam, lParam); }
LRESULT GetMessageHook(int code, WPARAM wParam, LPARAM lParam) {
  return CallHook(kGetMessageHookExport, code, wParam, lParam);
}
LRESULT CallWndProcHook(int code, WPARAM wParam, LPARAM lParam) {
  return CallHook(kCallWndProcHookExport, code, wParam, lParam);
}

// Runs first: without a main program holding the mapping nothing is sent
// and the hook only chains.
TEST(HookLibraryWithoutMainProgram, OnlyChains) {
  // A process that was hooked earlier may still hold a view of the mapping:
  // the global hooks are tested under a server of their own for that reason.
  HANDLE held = OpenFileMappingA(FILE_MAP_READ, FALSE, kSharedMemoryName);
  if (held) CloseHandle(held);
  ASSERT_EQ(held, nullptr) << "another process still holds the shared memory";
  Recorder recorder;
  MOUSEHOOKSTRUCT info{};
  info.hwnd = recorder.window();
  EXPECT_EQ(MouseHook(HC_ACTION, WM_RBUTTONDOWN, reinterpret_cast<LPARAM>(&info)), 0);
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

  static LRESULT Mouse(int code, WPARAM message, HWND under, ULONG_PTR extra = 0) {
    MOUSEHOOKSTRUCT info{};
    info.hwnd = under;
    info.pt = kPoint;
    info.dwExtraInfo = extra;
    return MouseHook(code, message, reinterpret_cast<LPARAM>(&info));
  }
  // A press or double click as the thread takes it off its queue, after
  // the mouse hook has seen it; extra is the event's extra information.
  static UINT Delivered(UINT message, HWND window, ULONG_PTR extra = 0) {
    SetMessageExtraInfo(static_cast<LPARAM>(extra));
    MSG msg{};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = MK_RBUTTON | MK_SHIFT;
    msg.lParam = MAKELPARAM(5, 7);
    msg.time = 99;
    msg.pt = kPoint;
    (void)GetMessageHook(HC_ACTION, PM_REMOVE, reinterpret_cast<LPARAM>(&msg));
    SetMessageExtraInfo(0);
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(MK_RBUTTON | MK_SHIFT));
    EXPECT_EQ(msg.lParam, MAKELPARAM(5, 7));
    EXPECT_EQ(msg.time, 99u);
    return msg.message;
  }
  // A window whose class takes double clicks.
  HWND DoubleClickWindow() {
    if (!doubleClicks_) {
      doubleClicks_.Reset(test_support::MakeClassWindow("VeltranoTestDoubleClicks", &DefWindowProcA));
      SetClassLongPtrA(doubleClicks_.Get(), GCL_STYLE, CS_DBLCLKS);
    }
    return doubleClicks_.Get();
  }

  static constexpr POINT kPoint{300, 200};
  CWindowHandle doubleClicks_;

  Recorder recorder_;
  SharedMemory* shm_ = nullptr;
};

// Only right and middle buttons and moves taken off the queue are reported,
// a right or middle release outside a client area as the plain release, a
// quick second press as a double click; the event is swallowed only on an
// answer of exactly 1.
TEST_F(HookLibrary, ReportsRightMiddleAndMovesAndSwallowsOnAnAnswerOfOne) {
  EXPECT_EQ(GetSharedMemory(true), shm_);  // the view is kept per process, of the one named mapping
  HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, kSharedMemoryName);
  EXPECT_NE(mapping, nullptr);
  if (mapping) CloseHandle(mapping);
  HWND under = reinterpret_cast<HWND>(static_cast<LONG_PTR>(0x1234));
  struct Case {
    int code;
    WPARAM message;
    LRESULT answer, result;
    WPARAM reported;  // 0: not reported
  };
  const Case cases[] = {{HC_ACTION, WM_MOUSEMOVE, 0, 0, WM_MOUSEMOVE},     {HC_ACTION, WM_LBUTTONDOWN, 1, 0, 0},
                        {HC_ACTION, WM_LBUTTONUP, 1, 0, 0},                {HC_ACTION, WM_LBUTTONDBLCLK, 1, 0, 0},
                        {HC_ACTION, WM_RBUTTONDOWN, 1, 1, WM_RBUTTONDOWN}, {HC_ACTION, WM_RBUTTONUP, 2, 0, WM_RBUTTONUP},
                        {HC_ACTION, WM_RBUTTONDBLCLK, 1, 1, WM_RBUTTONDBLCLK},
                        {HC_ACTION, WM_MBUTTONDOWN, -1, 0, WM_MBUTTONDOWN},
                        {HC_ACTION, WM_MBUTTONUP, 1, 1, WM_MBUTTONUP},     {HC_ACTION, WM_MBUTTONDBLCLK, 0, 0, WM_MBUTTONDBLCLK},
                        {HC_ACTION, WM_NCRBUTTONUP, 1, 1, WM_RBUTTONUP},   {HC_ACTION, WM_NCMBUTTONUP, 0, 0, WM_MBUTTONUP},
                        {HC_ACTION, WM_NCRBUTTONDOWN, 1, 0, 0},            {HC_ACTION, WM_NCLBUTTONUP, 1, 0, 0},
                        {HC_ACTION, WM_NCMOUSEMOVE, 1, 0, 0},              {HC_NOREMOVE, WM_RBUTTONDOWN, 1, 0, 0},
                        {-1, WM_RBUTTONDOWN, 1, 0, 0}};
  for (const Case& c : cases) {
    recorder_.messages.clear();
    recorder_.answer = [&c](const HookMessage&) { return c.answer; };
    EXPECT_EQ(Mouse(c.code, c.message, under), c.result) << c.code << " " << c.message;
    ASSERT_EQ(recorder_.messages.size(), c.reported != 0 ? 1u : 0u) << c.code << " " << c.message;
    if (c.reported == 0) continue;
    EXPECT_EQ(recorder_.messages[0].message, WM_HOOK_MOUSE);
    EXPECT_EQ(recorder_.messages[0].wParam, c.reported);
    EXPECT_EQ(recorder_.messages[0].lParam, reinterpret_cast<LPARAM>(under));
  }
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

TEST_F(HookLibrary, WheelDeltaRewrittenByMainProgramIsDeliveredOrTheMessageBecomesNull) {
  LRESULT answer = 0;
  recorder_.answer = [&](const HookMessage&) {
    EXPECT_EQ(shm_->wheelTime, 4242u);
    EXPECT_EQ(shm_->wheelPoint, static_cast<std::uint32_t>(MAKELPARAM(300, 200)));
    EXPECT_EQ(WheelDelta(shm_->wheelWParam), -120);
    shm_->wheelWParam = WithWheelDelta(shm_->wheelWParam, -1800);
    return answer;
  };
  HWND target = reinterpret_cast<HWND>(static_cast<LONG_PTR>(0x4321));
  MSG msg = WheelMessage(target, -120, 4242);
  (void)GetMessageHook(HC_ACTION, PM_REMOVE, reinterpret_cast<LPARAM>(&msg));
  ASSERT_EQ(recorder_.messages.size(), 1u);
  EXPECT_EQ(recorder_.messages[0].message, WM_HOOK_WHEEL);
  EXPECT_EQ(recorder_.messages[0].wParam, static_cast<WPARAM>(WM_MOUSEWHEEL));
  EXPECT_EQ(recorder_.messages[0].lParam, reinterpret_cast<LPARAM>(target));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_MOUSEWHEEL));
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(msg.wParam), -1800);
  EXPECT_EQ(GET_KEYSTATE_WPARAM(msg.wParam), MK_SHIFT);

  answer = 1;  // redirected by the main program
  msg = WheelMessage(nullptr, -120, 4242);
  (void)GetMessageHook(HC_ACTION, PM_REMOVE, reinterpret_cast<LPARAM>(&msg));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_NULL));
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(msg.wParam), -1800);

  // Peeked wheel messages and other messages are not reported, nor is any
  // wheel turn while no profile acts on the wheel: it passes as it came.
  msg = WheelMessage(nullptr, 120, 1);
  (void)GetMessageHook(HC_ACTION, PM_NOREMOVE, reinterpret_cast<LPARAM>(&msg));
  MSG key{};
  key.message = WM_KEYDOWN;
  (void)GetMessageHook(HC_ACTION, PM_REMOVE, reinterpret_cast<LPARAM>(&key));
  shm_->hookFlags = kHookFlagSubclassBackFwd;
  MSG unasked = WheelMessage(nullptr, -120, 7);
  (void)GetMessageHook(HC_ACTION, PM_REMOVE, reinterpret_cast<LPARAM>(&unasked));
  EXPECT_EQ(recorder_.messages.size(), 2u);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_MOUSEWHEEL));
  EXPECT_EQ(unasked.message, static_cast<UINT>(WM_MOUSEWHEEL));
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(unasked.wParam), -120);
}

// The presses of the right and middle buttons are reported, and reach their
// window, as the user's own presses pair them, whatever the system made of
// them: it pairs the main program's given-back presses too, which the rule
// never sees. Each step follows the last at once, well within the
// double-click time.
TEST_F(HookLibrary, PressesAreReportedAndHandedOnAsTheUsersOwnPressesPairThem) {
  const HWND w = DoubleClickWindow();
  const HWND plain = recorder_.window();  // its class takes no double clicks
  struct Step {
    UINT message;
    HWND window;
    ULONG_PTR extra;
    LRESULT answer;
    WPARAM reported;  // 0: not reported
    UINT delivered;   // 0: swallowed, not taken off the queue
  };
  struct Case {
    const char* what;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {"the system's pairing does not count",
       {{WM_RBUTTONDBLCLK, w, 0, 1, WM_RBUTTONDOWN, 0},
        {WM_RBUTTONDOWN, w, 0, 1, WM_RBUTTONDBLCLK, 0},
        {WM_RBUTTONDBLCLK, w, 0, 1, WM_RBUTTONDOWN, 0}}},
      {"given-back presses do not count",
       {{WM_RBUTTONDOWN, w, 0, 1, WM_RBUTTONDOWN, 0},
        {WM_RBUTTONDBLCLK, w, kInjectedInputMark, 1, 0, WM_RBUTTONDOWN},
        {WM_RBUTTONDOWN, w, 0, 1, WM_RBUTTONDBLCLK, 0},
        {WM_RBUTTONDOWN, w, kInjectedDoubleClickMark, 1, 0, WM_RBUTTONDBLCLK}}},
      {"the middle button", {{WM_MBUTTONDOWN, w, 0, 0, WM_MBUTTONDOWN, WM_MBUTTONDOWN},
                             {WM_MBUTTONDOWN, w, 0, 0, WM_MBUTTONDBLCLK, WM_MBUTTONDBLCLK}}},
      {"passed on as the rule makes them",
       {{WM_RBUTTONDBLCLK, w, 0, 0, WM_RBUTTONDOWN, WM_RBUTTONDOWN},
        {WM_RBUTTONDOWN, w, 0, 0, WM_RBUTTONDBLCLK, WM_RBUTTONDBLCLK},
        {WM_NCRBUTTONDBLCLK, w, 0, 1, 0, WM_NCRBUTTONDOWN},
        {WM_NCRBUTTONDOWN, w, 0, 1, 0, WM_NCRBUTTONDBLCLK}}},
      {"a window that takes no double clicks",
       {{WM_RBUTTONDOWN, plain, 0, 0, WM_RBUTTONDOWN, WM_RBUTTONDOWN},
        {WM_RBUTTONDOWN, plain, 0, 0, WM_RBUTTONDOWN, WM_RBUTTONDOWN}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // A left press before each: whatever came before, the next right press
    // is a first click.
    recorder_.answer = [](const HookMessage&) { return 0; };
    (void)Mouse(HC_ACTION, WM_LBUTTONDOWN, w);
    for (const Step& step : c.steps) {
      SCOPED_TRACE(testing::Message() << std::hex << step.message << " " << step.extra);
      recorder_.messages.clear();
      recorder_.answer = [&step](const HookMessage&) { return step.answer; };
      EXPECT_EQ(Mouse(HC_ACTION, step.message, step.window, step.extra), step.reported != 0 ? step.answer : 0);
      ASSERT_EQ(recorder_.messages.size(), step.reported != 0 ? 1u : 0u);
      if (step.reported != 0) {
        EXPECT_EQ(recorder_.messages[0].wParam, step.reported);
      }
      if (step.delivered != 0) {
        EXPECT_EQ(Delivered(step.message, step.window, step.extra), step.delivered);
      }
    }
  }
  // What the mouse hook found holds for its own press only, once: the same
  // message taken again (posted, say) stays as it is.
  EXPECT_EQ(Delivered(WM_NCRBUTTONDOWN, w), static_cast<UINT>(WM_NCRBUTTONDOWN));
}

// A press that the main program gave back reaches the window as it marked
// it, a press or the second click of a double click, whatever the system
// paired it with; a press of the user's that the mouse hook did not see, a
// left one, and one merely peeked at stay as they are.
TEST_F(HookLibrary, GivenBackPressIsHandedOnAsMarked) {
  const HWND w = DoubleClickWindow();
  const HWND plain = recorder_.window();
  struct Case {
    UINT message;
    HWND window;
    LPARAM extra;
    UINT delivered;
  };
  const Case cases[] = {
      {WM_RBUTTONDBLCLK, w, kInjectedInputMark, WM_RBUTTONDOWN},
      {WM_MBUTTONDBLCLK, w, kInjectedInputMark, WM_MBUTTONDOWN},
      {WM_NCRBUTTONDBLCLK, w, kInjectedInputMark, WM_NCRBUTTONDOWN},
      {WM_RBUTTONDOWN, w, kInjectedDoubleClickMark, WM_RBUTTONDBLCLK},
      {WM_RBUTTONDBLCLK, w, kInjectedDoubleClickMark, WM_RBUTTONDBLCLK},
      {WM_NCMBUTTONDOWN, plain, kInjectedDoubleClickMark, WM_NCMBUTTONDBLCLK},
      {WM_RBUTTONDOWN, plain, kInjectedDoubleClickMark, WM_RBUTTONDOWN},
      {WM_RBUTTONDBLCLK, w, 0, WM_RBUTTONDBLCLK},
      {WM_MBUTTONDBLCLK, w, kInjectedInputMark + 1, WM_MBUTTONDBLCLK},
      {WM_LBUTTONDBLCLK, w, kInjectedInputMark, WM_LBUTTONDBLCLK},
  };
  (void)Mouse(HC_ACTION, WM_LBUTTONDOWN, w);  // no press of the user's is waiting to be taken
  for (const Case& c : cases) {
    EXPECT_EQ(Delivered(c.message, c.window, static_cast<ULONG_PTR>(c.extra)), c.delivered)
        << std::hex << c.message << " " << c.extra;
  }
  SetMessageExtraInfo(kInjectedInputMark);
  MSG peeked{};
  peeked.message = WM_RBUTTONDBLCLK;
  (void)GetMessageHook(HC_ACTION, PM_NOREMOVE, reinterpret_cast<LPARAM>(&peeked));
  SetMessageExtraInfo(0);
  EXPECT_EQ(peeked.message, static_cast<UINT>(WM_RBUTTONDBLCLK));
  EXPECT_TRUE(recorder_.messages.empty());
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
    window.Reset(
        test_support::MakeClassWindow("VeltranoTestCommandTarget", &Proc, WS_OVERLAPPEDWINDOW, {0, 0, 50, 50}));
  }
  CWindowHandle window;
};

LPARAM CommandLParam(unsigned command) { return static_cast<LPARAM>(command << 16); }
LRESULT Deliver(HWND w, LPARAM lParam) { return SendMessageA(w, WM_APPCOMMAND, reinterpret_cast<WPARAM>(w), lParam); }

void HookCommand(HWND to, HWND source, unsigned command) {
  CWPSTRUCT cwp{};
  cwp.hwnd = to;
  cwp.message = WM_APPCOMMAND;
  cwp.wParam = reinterpret_cast<WPARAM>(source);
  cwp.lParam = CommandLParam(command);
  (void)CallWndProcHook(HC_ACTION, 0, reinterpret_cast<LPARAM>(&cwp));
}

class HookLibraryCommands : public HookLibrary {
 protected:
  void SetUp() override {
    HookLibrary::SetUp();
    recorder_.answer = [this](const HookMessage& m) -> LRESULT {
      if (m.message == WM_HOOK_SELECTTARGET) shm_->hookFlags = subclass_;
      if (m.message == WM_HOOK_APPCOMMAND) return swallow_;
      return 0;
    };
  }
  std::uint32_t subclass_ = 1;
  LRESULT swallow_ = 1;
  CommandTarget target_;
};

TEST_F(HookLibraryCommands, OneShotSubclassReportsTheCommandAndSwallowsItOnlyWhenAnswered) {
  HWND w = target_.window.Get();
  const LONG_PTR original = GetWindowLongPtrA(w, GWLP_WNDPROC);
  for (LRESULT swallow : {1, 0}) {
    SCOPED_TRACE(swallow);
    swallow_ = swallow;
    CommandTarget::commands = 0;
    recorder_.messages.clear();
    HookCommand(w, w, kAppCommandBrowserForward);  // reported afresh: the last one is no longer pending
    ASSERT_EQ(recorder_.messages.size(), 1u);
    EXPECT_EQ(recorder_.messages[0].message, WM_HOOK_SELECTTARGET);
    EXPECT_EQ(GetWindowLongPtrA(w, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(Exported(kSubclassExport)));

    EXPECT_EQ(Deliver(w, CommandLParam(2) | 0x8000), swallow ? 0 : TRUE);
    ASSERT_EQ(recorder_.messages.size(), 2u);
    EXPECT_EQ(recorder_.messages[1].message, WM_HOOK_APPCOMMAND);
    EXPECT_EQ(recorder_.messages[1].wParam, 2u);
    EXPECT_EQ(recorder_.messages[1].lParam, reinterpret_cast<LPARAM>(w));
    EXPECT_EQ(shm_->appCommandLParam, static_cast<std::uint32_t>(CommandLParam(2) | 0x8000));
    EXPECT_EQ(CommandTarget::commands, swallow ? 0 : 1);
    EXPECT_EQ(GetWindowLongPtrA(w, GWLP_WNDPROC), original);  // one shot
  }
}

TEST_F(HookLibraryCommands, OtherCommandsAndCommandsWhilePendingAreNotReported) {
  HWND w = target_.window.Get();
  HookCommand(w, w, 7);  // APPCOMMAND_BROWSER_HOME
  EXPECT_TRUE(recorder_.messages.empty());
  HookCommand(w, w, kAppCommandBrowserBack);
  HookCommand(w, w, kAppCommandBrowserForward);  // pending: ignored
  EXPECT_EQ(recorder_.messages.size(), 1u);
  Deliver(w, CommandLParam(1));
}

TEST_F(HookLibraryCommands, FlagClearAsksForTheProfileButSubclassesNothing) {
  subclass_ = 0;
  HWND w = target_.window.Get();
  const LONG_PTR original = GetWindowLongPtrA(w, GWLP_WNDPROC);
  HookCommand(w, w, kAppCommandBrowserBack);
  EXPECT_EQ(recorder_.Count(WM_HOOK_SELECTTARGET, 0), 1u);
  EXPECT_EQ(GetWindowLongPtrA(w, GWLP_WNDPROC), original);
  Deliver(w, CommandLParam(1));
  EXPECT_EQ(recorder_.Count(WM_HOOK_APPCOMMAND, 1), 0u);
  EXPECT_EQ(CommandTarget::commands, 1);
}

// Neither a subclass that cannot be installed nor one whose window is gone
// before its command is left pending.
TEST_F(HookLibraryCommands, FailedOrOrphanedSubclassIsNotLeftPending) {
  HWND bogus = reinterpret_cast<HWND>(static_cast<LONG_PTR>(0x7FFFFFF0));
  HookCommand(target_.window.Get(), bogus, kAppCommandBrowserBack);
  HookCommand(target_.window.Get(), bogus, kAppCommandBrowserBack);
  EXPECT_EQ(recorder_.Count(WM_HOOK_SELECTTARGET, 0), 2u);
  {
    CommandTarget doomed;
    HookCommand(doomed.window.Get(), doomed.window.Get(), kAppCommandBrowserBack);
  }  // destroyed with the subclass in place
  HWND w = target_.window.Get();
  HookCommand(w, w, kAppCommandBrowserForward);
  EXPECT_EQ(recorder_.Count(WM_HOOK_SELECTTARGET, 0), 4u);
  Deliver(w, CommandLParam(2));
  EXPECT_EQ(recorder_.Count(WM_HOOK_APPCOMMAND, 2), 1u);
}

// A command that comes while the subclass procedure is still reporting the
// last one (the window's own procedure passes an unswallowed command on to
// its parent, where the hook sees it again) finds the subclass pending: no
// second report, and no subclass left behind with nothing pending.
TEST_F(HookLibraryCommands, CommandWhileTheLastOneIsReportedIsNotReported) {
  HWND w = target_.window.Get();
  const LONG_PTR original = GetWindowLongPtrA(w, GWLP_WNDPROC);
  recorder_.answer = [this, w](const HookMessage& m) -> LRESULT {
    if (m.message == WM_HOOK_SELECTTARGET) shm_->hookFlags = 1;
    if (m.message == WM_HOOK_APPCOMMAND) HookCommand(w, w, kAppCommandBrowserBack);
    return 0;
  };
  HookCommand(w, w, kAppCommandBrowserBack);
  Deliver(w, CommandLParam(1));
  EXPECT_EQ(recorder_.Count(WM_HOOK_SELECTTARGET, 0), 1u);
  EXPECT_EQ(GetWindowLongPtrA(w, GWLP_WNDPROC), original);
  EXPECT_EQ(CommandTarget::commands, 1);
}

}  // namespace
