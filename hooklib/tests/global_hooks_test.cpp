// The real global hooks: this process installs the three hooks from the hook
// library and plays the main program; a second program owns a window; real
// input goes to that window through the system's input queue.
#include <gtest/gtest.h>

#include <string>

#include "framework/util/win_handles.h"
#include "hooklib/hooklib.h"
#include "tests/support/hooks/hook_target.h"
#include "tests/support/hooks/input.h"
#include "tests/support/hooks/recorder.h"

namespace {

class GlobalHooks : public ::testing::Test {
 protected:
  void SetUp() override {
    shm_ = ConnectRecorder(recorder_, &GetSharedMemory);
    ASSERT_NE(shm_, nullptr);

    HMODULE library = GetModuleHandleA(kHookLibraryName);
    ASSERT_NE(library, nullptr);
    auto proc = [&](const char* name) { return reinterpret_cast<HOOKPROC>(GetProcAddress(library, name)); };
    mouseHook_.Reset(SetWindowsHookExA(WH_MOUSE, proc(kMouseHookExport), library, 0));
    getMessageHook_.Reset(SetWindowsHookExA(WH_GETMESSAGE, proc(kGetMessageHookExport), library, 0));
    callWndProcHook_.Reset(SetWindowsHookExA(WH_CALLWNDPROC, proc(kCallWndProcHookExport), library, 0));
    ASSERT_TRUE(mouseHook_ && getMessageHook_ && callWndProcHook_);

    process_ = test_support::StartProgram(test_support::ProgramFolder() + "\\hook_target.exe", "");
    ASSERT_TRUE(process_);
    ASSERT_TRUE(PumpUntil([&] { return (target_ = FindWindowA(kTargetClass, nullptr)) != nullptr; }, 15000));
  }

  void TearDown() override {
    if (target_) PostMessageA(target_, WM_CLOSE, 0, 0);
    if (process_) {
      PumpUntil([&] { return WaitForSingleObject(process_.Get(), 0) == WAIT_OBJECT_0; }, 5000);
      TerminateProcess(process_.Get(), 0);
    }
    callWndProcHook_.Reset();
    getMessageHook_.Reset();
    mouseHook_.Reset();
    ReleaseSharedMemory();
  }

  LRESULT Query(TargetCounter counter) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(target_, kTargetQuery, counter, 0, SMTO_BLOCK, 2000, &result);
    return static_cast<LRESULT>(static_cast<LONG>(result));
  }

  [[nodiscard]] bool Seen(UINT message, WPARAM wParam) const { return recorder_.Count(message, wParam) > 0; }

  POINT Centre() const {
    return {(kTargetRect.left + kTargetRect.right) / 2, (kTargetRect.top + kTargetRect.bottom) / 2};
  }

  // Puts the cursor over the target and waits until the target's own thread
  // has taken a move: only then do button events surely go to it. A move to
  // where the cursor already is produces no message, and the cursor stays
  // wherever an earlier program left it, so it steps aside first.
  // The target may still be on its way to the screen when its window is
  // found, so the moves are repeated until one arrives.
  void MoveOverTarget() {
    const POINT c = Centre();
    for (int attempt = 0; attempt < 20; ++attempt) {
      SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, c.x - 37, c.y - 23);
      SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, c.x, c.y);
      if (PumpUntil([&] { return Query(kTargetMoves) > 0; }, 500)) return;
    }
    FAIL() << "the target window never received a mouse move";
  }

  Recorder recorder_;
  SharedMemory* shm_ = nullptr;
  CKernelHandle process_;
  CHookHandle mouseHook_, getMessageHook_, callWndProcHook_;
  HWND target_ = nullptr;
};

TEST_F(GlobalHooks, MovesOverAnotherProgramReachTheMainWindow) {
  ASSERT_NO_FATAL_FAILURE(MoveOverTarget());
  ASSERT_TRUE(PumpUntil([&] { return Seen(WM_HOOK_MOUSE, WM_MOUSEMOVE); }, 10000));
  bool overTarget = false;
  for (const auto& m : recorder_.messages) {
    overTarget |= m.message == WM_HOOK_MOUSE && m.lParam == reinterpret_cast<LPARAM>(target_);
  }
  EXPECT_TRUE(overTarget);
}

TEST_F(GlobalHooks, RightPressIsSwallowedOnlyWhenTheMainWindowSaysSo) {
  ASSERT_NO_FATAL_FAILURE(MoveOverTarget());
  recorder_.answer = [](const HookMessage& m) -> LRESULT {
    return m.message == WM_HOOK_MOUSE && m.wParam == WM_RBUTTONDOWN ? 1 : 0;
  };
  SendMouse(MOUSEEVENTF_RIGHTDOWN);
  SendMouse(MOUSEEVENTF_RIGHTUP);
  ASSERT_TRUE(PumpUntil([&] { return Seen(WM_HOOK_MOUSE, WM_RBUTTONUP); }, 10000));
  ASSERT_TRUE(PumpUntil([&] { return Query(kTargetRightUps) == 1; }, 10000));
  EXPECT_EQ(Query(kTargetRightDowns), 0);

  recorder_.answer = [](const HookMessage&) -> LRESULT { return 0; };
  SendMouse(MOUSEEVENTF_RIGHTDOWN);
  SendMouse(MOUSEEVENTF_RIGHTUP);
  ASSERT_TRUE(PumpUntil([&] { return Query(kTargetRightUps) == 2; }, 10000));
  EXPECT_EQ(Query(kTargetRightDowns), 1);
  EXPECT_EQ(recorder_.Count(WM_HOOK_MOUSE, WM_RBUTTONDOWN), 2u);
}

TEST_F(GlobalHooks, WheelDeltaSetByTheMainWindowIsWhatTheProgramSees) {
  ASSERT_NO_FATAL_FAILURE(MoveOverTarget());
  DWORD_PTR focused = 0;
  SendMessageTimeoutA(target_, kTargetActivate, 0, 0, SMTO_BLOCK, 2000, &focused);
  recorder_.answer = [this](const HookMessage& m) -> LRESULT {
    if (m.message == WM_HOOK_WHEEL) shm_->wheelWParam = WithWheelDelta(shm_->wheelWParam, 360);
    return 0;
  };
  SendMouse(MOUSEEVENTF_WHEEL, 0, 0, static_cast<DWORD>(WHEEL_DELTA));
  ASSERT_TRUE(PumpUntil([&] { return Seen(WM_HOOK_WHEEL, WM_MOUSEWHEEL); }, 10000));
  EXPECT_EQ(recorder_.messages.back().lParam, reinterpret_cast<LPARAM>(target_));
  EXPECT_EQ(WheelDelta(shm_->wheelWParam), 360);
  ASSERT_TRUE(PumpUntil([&] { return Query(kTargetWheels) == 1; }, 10000));
  EXPECT_EQ(Query(kTargetLastWheelDelta), 360);
}

}  // namespace
