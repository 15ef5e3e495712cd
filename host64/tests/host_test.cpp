// The 64-bit hook host as the main program meets it: started as a program of
// its own and driven through its hidden window. This process plays the main
// program (its window is named in the shared memory); whether each of the
// host's hooks is in place is seen from the reports that a third program's
// input brings.
#include <gtest/gtest.h>

#include <string>

#include "framework/util/win_handles.h"
#include "hooklib/hooklib.h"
#include "host64/hook_mask.h"
#include "tests/support/hooks/hook_target.h"
#include "tests/support/hooks/input.h"
#include "tests/support/hooks/recorder.h"
#include "tests/support/win32/win_test_support.h"

namespace {

using test_support::WindowOfProcess;

// A program beside this one, and its process id.
[[nodiscard]] bool StartProgram(const char* name, CKernelHandle& process, DWORD& id) {
  process = test_support::StartProgram(test_support::ProgramFolder() + "\\" + name, "");
  id = GetProcessId(process.Get());
  return static_cast<bool>(process);
}

// Never waits on a thread that is itself waiting for this one: the hooks in
// the target report to this thread while it asks.
LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 5000, &result)) return -1;
  return static_cast<LRESULT>(result);
}

// A started host, ended on every path: asked to quit, and killed when it does
// not, so that no failing test leaves a host with live hooks behind.
class CHost {
 public:
  ~CHost() { Stop(); }

  [[nodiscard]] bool Start() { return StartProgram("Veltrano64.exe", process_, id_); }

  // The host's window, once its message loop runs: its hooks were installed
  // before.
  [[nodiscard]] HWND WaitUntilReady() {
    HWND window = nullptr;
    PumpUntil([&] { return (window = WindowOfProcess(id_, kHostWindowClass)) != nullptr || HasEnded(); }, 30000);
    return window && Ask(window, WM_NULL) == 0 ? window : nullptr;
  }

  [[nodiscard]] bool HasEnded() const { return WaitForSingleObject(process_.Get(), 0) == WAIT_OBJECT_0; }
  [[nodiscard]] bool WaitForEnd() { return PumpUntil([&] { return HasEnded(); }, 30000); }
  [[nodiscard]] DWORD ExitCode() const {
    DWORD code = 0;
    return GetExitCodeProcess(process_.Get(), &code) ? code : 0xFFFFFFFF;
  }

  void Stop() {
    if (!process_ || HasEnded()) return;
    if (HWND window = WindowOfProcess(id_, kHostWindowClass)) Ask(window, WM_QUIT);
    if (!WaitForEnd()) TerminateProcess(process_.Get(), 99);
    WaitForSingleObject(process_.Get(), 5000);
  }

 private:
  CKernelHandle process_;
  DWORD id_ = 0;
};

class Host : public ::testing::Test {
 protected:
  void SetUp() override {
    shm_ = ConnectRecorder(recorder_, &GetSharedMemory);
    ASSERT_NE(shm_, nullptr);
    // The hooks reach a program that runs already.
    DWORD targetId = 0;
    ASSERT_TRUE(StartProgram("hook_target.exe", target_, targetId));
    ASSERT_TRUE(PumpUntil([&] { return (targetWindow_ = WindowOfProcess(targetId, kTargetClass)) != nullptr; }, 30000));
    ASSERT_TRUE(host_.Start());
    ASSERT_NE(hostWindow_ = host_.WaitUntilReady(), nullptr);
  }

  void TearDown() override {
    host_.Stop();
    if (targetWindow_) PostMessageA(targetWindow_, WM_CLOSE, 0, 0);
    if (target_) {
      if (!PumpUntil([&] { return WaitForSingleObject(target_.Get(), 0) == WAIT_OBJECT_0; }, 5000)) {
        TerminateProcess(target_.Get(), 0);
      }
    }
    ReleaseSharedMemory();
  }

  [[nodiscard]] LRESULT Query(TargetCounter counter) { return Ask(targetWindow_, kTargetQuery, counter); }

  [[nodiscard]] size_t Reports(UINT message, LPARAM window) const {
    size_t n = 0;
    for (const auto& m : recorder_.messages) n += (m.message == message && m.lParam == window) ? 1 : 0;
    return n;
  }

  // Sends the event again until the target has taken one.
  template <typename Send>
  void Deliver(const char* what, TargetCounter counter, Send send) {
    const LRESULT before = Query(counter);
    for (int attempt = 0; attempt < 20; ++attempt) {
      send();
      if (PumpUntil([&] { return Query(counter) > before; }, 500)) return;
    }
    ADD_FAILURE() << "the target never received " << what;
  }

  // Gives the target a mouse move, a wheel turn and a back command, and tells
  // which hooks reported them. A hook reports its event before the target
  // receives it, and the target has received each one before this returns: a
  // report that is missing here never comes.
  unsigned ReportingHooks() {
    const LPARAM target = reinterpret_cast<LPARAM>(targetWindow_);
    const size_t moves = Reports(WM_HOOK_MOUSE, target);
    const size_t wheels = Reports(WM_HOOK_WHEEL, target);
    const size_t commands = Reports(WM_HOOK_SELECTTARGET, 0);

    // A move to where the cursor already is produces no message: step aside
    // first.
    const POINT c = {(kTargetRect.left + kTargetRect.right) / 2, (kTargetRect.top + kTargetRect.bottom) / 2};
    Deliver("a mouse move", kTargetMoves, [&] {
      SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, c.x - 37, c.y - 23);
      SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, c.x, c.y);
    });
    // The wheel goes to the window with the focus.
    Deliver("a wheel turn", kTargetWheels, [&] {
      Ask(targetWindow_, kTargetActivate);
      SendMouse(MOUSEEVENTF_WHEEL, 0, 0, static_cast<DWORD>(WHEEL_DELTA));
    });
    EXPECT_NE(Ask(targetWindow_, WM_APPCOMMAND, reinterpret_cast<WPARAM>(targetWindow_),
                  MAKELPARAM(0, kAppCommandBrowserBack)),
              -1)
        << "the target never received a back command";

    // One event is one report: a second set of live hooks would report twice.
    const size_t newCommands = Reports(WM_HOOK_SELECTTARGET, 0) - commands;
    EXPECT_LE(newCommands, 1u) << "every back command was reported " << newCommands << " times";
    unsigned reporting = 0;
    if (Reports(WM_HOOK_MOUSE, target) > moves) reporting |= kHookMaskMouse;
    if (Reports(WM_HOOK_WHEEL, target) > wheels) reporting |= kHookMaskGetMessage;
    if (newCommands > 0) reporting |= kHookMaskCallWndProc;
    return reporting;
  }

  Recorder recorder_;
  SharedMemory* shm_ = nullptr;
  CKernelHandle target_;
  HWND targetWindow_ = nullptr;
  CHost host_;
  HWND hostWindow_ = nullptr;
};

TEST_F(Host, InstallsAllThreeHooksAtStart) {
  EXPECT_EQ(ReportingHooks(), kHookMaskAll);
}

TEST_F(Host, InstallsAndRemovesEachHookAsTheMaskSays) {
  // All in place already first: answered without a second set of hooks.
  for (unsigned mask : {kHookMaskAll, 0u, kHookMaskMouse, kHookMaskGetMessage | kHookMaskCallWndProc, kHookMaskAll}) {
    EXPECT_EQ(Ask(hostWindow_, WM_HOST_SETHOOKS, mask), kHostHooksInPlace) << "mask " << mask;
    EXPECT_EQ(ReportingHooks(), mask) << "mask " << mask;
  }
}

TEST_F(Host, SecondHostLeavesAtOnceAndTheFirstGoesOn) {
  CHost second;
  ASSERT_TRUE(second.Start());
  ASSERT_TRUE(second.WaitForEnd());
  EXPECT_EQ(second.ExitCode(), 0u);
  EXPECT_FALSE(host_.HasEnded());
  EXPECT_EQ(Ask(hostWindow_, WM_HOST_SETHOOKS, kHookMaskAll), kHostHooksInPlace);
  EXPECT_EQ(ReportingHooks(), kHookMaskAll);
}

TEST_F(Host, QuitSentToItsWindowEndsItAndItsHooks) {
  EXPECT_EQ(Ask(hostWindow_, WM_QUIT), 0);
  ASSERT_TRUE(host_.WaitForEnd());
  EXPECT_EQ(host_.ExitCode(), 0u);
  // Under Wine the hooks of a program that ended without removing them go on.
  EXPECT_EQ(ReportingHooks(), 0u);
}

}  // namespace
