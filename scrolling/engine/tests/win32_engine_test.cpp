// The drag, wheel and button engines against real windows of this process.
#include <gtest/gtest.h>
#include <windowsx.h>

#include <cstring>
#include <string>
#include <vector>

#include "scrolling/engine/tests/test_window.h"
#include "scrolling/engine/win32_platform.h"
#include "scrolling/options/options.h"

namespace {

struct Received {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Received> gReceived;

LRESULT CALLBACK RecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const bool lines = message == WM_VSCROLL || message == WM_HSCROLL;
  if (!lines && message != WM_MOUSEWHEEL && message != WM_KEYDOWN && message != WM_KEYUP && message != WM_APPCOMMAND) {
    return DefWindowProcA(window, message, wParam, lParam);
  }
  gReceived.push_back(Received{window, message, wParam, lParam});
  // A window that owns scroll-bar controls moves the one that reports.
  if (lines && lParam != 0 && (wParam == SB_LINEDOWN || wParam == SB_LINEUP)) {
    const HWND bar = reinterpret_cast<HWND>(lParam);
    SetScrollPos(bar, SB_CTL, GetScrollPos(bar, SB_CTL) + (wParam == SB_LINEDOWN ? 1 : -1), FALSE);
  }
  return message == WM_APPCOMMAND ? TRUE : 0;
}

constexpr char kRecorderClass[] = "VeltranoEngineRecorder";

using test_support::Pump;
using test_support::PumpUntil;
using test_support::WaitUntil;

int CountReceived(HWND window, UINT message, WPARAM wParam) {
  int n = 0;
  for (const Received& r : gReceived) n += r.window == window && r.message == message && r.wParam == wParam;
  return n;
}

class EngineActionsWin32Test : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test_support::RegisterWindowClass(kRecorderClass, RecorderProc); }

  void SetUp() override {
    SetFactoryOptions();
    gOpt.iNumPar = 1;
    Profile& p = gOpt.Par[0];
    SetProfileDefaults(p);
    std::strcpy(p.szWndClass, kRecorderClass);
    p.bUseCtrl = 0;
    p.bSwapCtrl = 1;
    p.bWheelEnable = 0;  // leave the system's wheel lines alone
    p.iTriggerDistance = 5;
    p.iUpMode = p.iDownMode = p.iLeftMode = p.iRightMode = 0;
    std::memset(&shared, 0, sizeof shared);
    SetEngineSharedMemory(&shared);
    ResetTargetCache();
    Pump();
    gReceived.clear();
  }
  void TearDown() override {
    EngineScrollDrag().EndScrolling();
    SetEngineSharedMemory(nullptr);
    Pump();
  }

  // Presses at x,y, moves 10 pixels down past the trigger distance and
  // swallows the injected release: from then on moves scroll.
  static void StartDrag(int x, int y) {
    ASSERT_TRUE(CursorTo(x, y));
    ASSERT_EQ(HandleMouseEvent(WM_RBUTTONDOWN), 1);
    ASSERT_TRUE(CursorTo(x, y + 10));
    ASSERT_EQ(HandleMouseEvent(WM_MOUSEMOVE), 1);
    ASSERT_EQ(EngineScrollDrag().State(), DragState::SkipInjectedUp);
    ASSERT_EQ(HandleMouseEvent(WM_RBUTTONUP), 1);  // the injected release
    gReceived.clear();
  }
  static LRESULT MoveTo(int x, int y) {
    EXPECT_TRUE(CursorTo(x, y));
    return HandleMouseEvent(WM_MOUSEMOVE);
  }

  SharedMemory shared{};
};

TEST_F(EngineActionsWin32Test, ClickIsReplayedAndADragScrollsAWindowWithItsOwnScrollBars) {
  Window view{kRecorderClass, "View", WS_POPUP | WS_VISIBLE | WS_VSCROLL, 100, 100, 400, 300};
  ASSERT_TRUE(CursorTo(300, 250)) << "the cursor cannot be moved here";

  // Released before the trigger: the injected press and release arrive.
  ASSERT_EQ(HandleMouseEvent(WM_RBUTTONDOWN), 1);
  EXPECT_EQ(HandleMouseEvent(WM_RBUTTONUP), 1);
  bool down = false;
  bool up = false;
  EXPECT_TRUE(WaitUntil(
      [&] {
        MSG msg;
        while (PeekMessageA(&msg, view.get(), WM_RBUTTONDOWN, WM_RBUTTONUP, PM_REMOVE)) {
          down = down || msg.message == WM_RBUTTONDOWN;
          up = up || msg.message == WM_RBUTTONUP;
        }
        return down && up;
      },
      10000));
  EXPECT_EQ(HandleMouseEvent(WM_RBUTTONDOWN), 0);
  EXPECT_EQ(HandleMouseEvent(WM_RBUTTONUP), 0);
  EXPECT_EQ(EngineScrollDrag().State(), DragState::Idle);

  StartDrag(300, 250);
  EXPECT_EQ(GetCapture(), view.get());
  EXPECT_EQ(MoveTo(300, 263), 1);
  EXPECT_EQ(CountReceived(view.get(), WM_VSCROLL, SB_LINEDOWN), 3);
  EXPECT_EQ(MoveTo(300, 261), 1);
  EXPECT_EQ(CountReceived(view.get(), WM_VSCROLL, SB_LINEUP), 2);
  for (const Received& r : gReceived) EXPECT_EQ(r.lParam, 0) << "the window's own bars: no control named";
  EXPECT_EQ(HandleMouseEvent(WM_RBUTTONUP), 1);
  EXPECT_EQ(EngineScrollDrag().State(), DragState::Idle);
  EXPECT_EQ(GetCapture(), nullptr);

  // Switched off in the middle of a drag: the capture is given back.
  StartDrag(300, 250);
  ASSERT_EQ(GetCapture(), view.get());
  gOpt.bDisabled = 1;
  EXPECT_EQ(MoveTo(300, 270), 0);
  EXPECT_EQ(EngineScrollDrag().State(), DragState::Idle);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(gReceived.empty());
  gOpt.bDisabled = 0;
}

// A scroll-bar control with a range, as a program that owns one sets it up.
class ScrollBarControl : public Window {
 public:
  ScrollBarControl(DWORD style, int x, int y, int w, int h, HWND parent)
      : Window("ScrollBar", "", WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent) {
    SetScrollRange(get(), SB_CTL, 0, 100, FALSE);
  }
  int Position() const { return GetScrollPos(get(), SB_CTL); }
};

// The frame lies at 100,100; the view fills its top-left 400 x 300 pixels,
// so the view's right edge is at x 400 and its bottom at y 300 (frame
// coordinates).
class SiblingBarsWin32Test : public EngineActionsWin32Test {
 protected:
  static constexpr int kFrameX = 100;
  static constexpr int kFrameY = 100;
  Window frame{kRecorderClass, "Frame", WS_POPUP | WS_VISIBLE, kFrameX, kFrameY, 500, 420};
  Window view{kRecorderClass, "View", WS_CHILD | WS_VISIBLE, 0, 0, 400, 300, frame.get()};
};

TEST_F(SiblingBarsWin32Test, AdjacentWithinFivePixelsAndOverlappingBarsAreChosen) {
  // Never chosen: a long size grip on the view, a vertical bar on the view
  // 31 pixels long, a vertical bar 6 pixels right of the view.
  ScrollBarControl grip{SBS_VERT | SBS_SIZEGRIP, 380, 0, 20, 300, frame.get()};
  ScrollBarControl shortBar{SBS_VERT, 350, 10, 17, 31, frame.get()};
  ScrollBarControl farBar{SBS_VERT, 406, 0, 17, 300, frame.get()};
  // Chosen: the vertical bar 5 pixels right of the view (the only vertical
  // one that fits) and the horizontal bar on the view, which wins over the
  // horizontal bar 3 pixels below whatever the enumeration order.
  ScrollBarControl nearBar{SBS_VERT, 405, 0, 17, 300, frame.get()};
  ScrollBarControl below{SBS_HORZ, 0, 303, 400, 17, frame.get()};
  ScrollBarControl over{SBS_HORZ, 0, 270, 370, 17, frame.get()};
  ASSERT_TRUE(CursorTo(kFrameX + 200, kFrameY + 150)) << "the cursor cannot be moved here";

  StartDrag(kFrameX + 200, kFrameY + 150);
  ASSERT_EQ(EngineScrollDrag().Target(), ToWindowId(view.get()));
  EXPECT_EQ(EngineScrollDrag().VerticalScrollWindow(), ToWindowId(nearBar.get()));
  EXPECT_EQ(EngineScrollDrag().HorizontalScrollWindow(), ToWindowId(over.get()));
  EXPECT_EQ(MoveTo(kFrameX + 202, kFrameY + 163), 1);

  // The lines reach the bars' parent, which names the bar and moves it.
  ASSERT_EQ(gReceived.size(), 5u);
  for (const Received& r : gReceived) {
    EXPECT_EQ(r.window, frame.get());
    EXPECT_EQ(reinterpret_cast<HWND>(r.lParam), r.message == WM_VSCROLL ? nearBar.get() : over.get());
  }
  EXPECT_EQ(CountReceived(frame.get(), WM_VSCROLL, SB_LINEDOWN), 3);
  EXPECT_EQ(CountReceived(frame.get(), WM_HSCROLL, SB_LINEDOWN), 2);
  EXPECT_EQ((std::vector<int>{nearBar.Position(), over.Position(), farBar.Position(), below.Position()}),
            (std::vector<int>{3, 2, 0, 0}));
}

TEST_F(SiblingBarsWin32Test, OverlappingBarWinsAndAnAxisWithoutABarKeepsTheView) {
  ScrollBarControl nearBar{SBS_VERT, 405, 0, 17, 300, frame.get()};
  ScrollBarControl over{SBS_VERT, 383, 0, 17, 280, frame.get()};
  ScrollBarControl below6{SBS_HORZ, 0, 306, 400, 17, frame.get()};
  ASSERT_TRUE(CursorTo(kFrameX + 200, kFrameY + 150)) << "the cursor cannot be moved here";

  StartDrag(kFrameX + 200, kFrameY + 150);
  EXPECT_EQ(EngineScrollDrag().VerticalScrollWindow(), ToWindowId(over.get()));
  EXPECT_EQ(EngineScrollDrag().HorizontalScrollWindow(), ToWindowId(view.get())) << "6 pixels below is too far";
  EXPECT_EQ(MoveTo(kFrameX + 198, kFrameY + 159), 1);
  // Horizontal lines go to the view itself, with no control named.
  EXPECT_EQ(CountReceived(view.get(), WM_HSCROLL, SB_LINEUP), 2);
  EXPECT_EQ(CountReceived(frame.get(), WM_VSCROLL, SB_LINEUP), 1);
  for (const Received& r : gReceived) {
    EXPECT_EQ(r.lParam, r.window == view.get() ? 0 : reinterpret_cast<LPARAM>(over.get()));
  }
}

TEST_F(EngineActionsWin32Test, WheelGoesToTheWindowUnderTheCursor) {
  Window focused{kRecorderClass, "Focused", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200};
  Window under{kRecorderClass, "Under", WS_POPUP | WS_VISIBLE, 500, 100, 300, 200};
  gOpt.Par[0].bWheelCursor = 1;
  gOpt.Par[0].bWheelInvert = 1;
  ASSERT_TRUE(CursorTo(650, 200)) << "the cursor cannot be moved here";
  shared.wheelWParam = (120u << 16) | MK_SHIFT;
  shared.wheelTime = GetTickCount();
  shared.wheelPoint = (200u << 16) | 650u;

  EXPECT_EQ(HandleMouseWheel(WM_MOUSEWHEEL, focused.get()), 1);
  ASSERT_EQ(gReceived.size(), 1u);
  EXPECT_EQ(gReceived[0].window, under.get());
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(gReceived[0].wParam), -120);
  EXPECT_EQ(GET_KEYSTATE_WPARAM(gReceived[0].wParam), MK_SHIFT);
  EXPECT_EQ(GET_X_LPARAM(gReceived[0].lParam), 650);
  EXPECT_EQ(HandleMouseWheel(WM_MOUSEWHEEL, under.get()), 0);
  EXPECT_EQ(gReceived.size(), 1u);
}

TEST_F(EngineActionsWin32Test, CommandsGoSwappedOrUnchangedToTheWindowUnderTheCursor) {
  Window received{kRecorderClass, "Received", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200};
  Window under{kRecorderClass, "Under", WS_POPUP | WS_VISIBLE, 500, 100, 300, 200};
  gOpt.Par[0].iBackMode = 1;     // back becomes forward
  gOpt.Par[0].iForwardMode = 1;  // forward stays forward
  gOpt.Par[0].bBackCursor = 1;
  gOpt.Par[0].bBackForeground = 1;
  ASSERT_TRUE(CursorTo(650, 200)) << "the cursor cannot be moved here";

  shared.appCommandLParam = 0x80010000u | MK_LBUTTON;
  EXPECT_NE(HandleAppCommand(APPCOMMAND_BROWSER_BACKWARD, received.get()), 0);
  ASSERT_EQ(gReceived.size(), 1u);
  EXPECT_EQ(gReceived[0].window, under.get());
  EXPECT_EQ(reinterpret_cast<HWND>(gReceived[0].wParam), under.get());
  EXPECT_EQ(GET_APPCOMMAND_LPARAM(gReceived[0].lParam), APPCOMMAND_BROWSER_FORWARD);
  EXPECT_EQ(GET_KEYSTATE_LPARAM(gReceived[0].lParam), 0);
  EXPECT_EQ(GetForegroundWindow(), under.get());

  gReceived.clear();
  shared.appCommandLParam = 0x80020000u | MK_SHIFT;
  EXPECT_NE(HandleAppCommand(APPCOMMAND_BROWSER_FORWARD, received.get()), 0);
  ASSERT_EQ(gReceived.size(), 1u);
  EXPECT_EQ(gReceived[0].window, under.get());
  EXPECT_EQ(static_cast<std::uint32_t>(gReceived[0].lParam), 0x80020000u | MK_SHIFT) << "sent on as it came";

  // Over the window that got it, the same command goes on by itself.
  gReceived.clear();
  ASSERT_TRUE(CursorTo(250, 200));
  EXPECT_EQ(HandleAppCommand(APPCOMMAND_BROWSER_FORWARD, received.get()), 0);
  EXPECT_TRUE(gReceived.empty());
}

TEST_F(EngineActionsWin32Test, KeyCombinationsTypeIntoAnEditControl) {
  Window frame{kRecorderClass, "Form", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200};
  Window other{kRecorderClass, "Other", WS_POPUP | WS_VISIBLE, 500, 100, 200, 200};
  Window edit{"EDIT", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10, 10, 200, 24, frame.get()};
  SetForegroundWindow(other.get());
  Pump();

  // Shift+V, then V alone, then Shift+1: the edit control's top-level
  // window is activated and the edit control gets the focus first.
  SendKeyCombination(0x0456, edit.get());
  SendKeyCombination(0x0056, edit.get());
  SendKeyCombination(0x0431, edit.get());
  char text[32] = {};
  PumpUntil([&] { return GetWindowTextA(edit.get(), text, sizeof text) >= 3; }, 10000);
  EXPECT_EQ(GetFocus(), edit.get());
  EXPECT_EQ(GetActiveWindow(), frame.get());
  EXPECT_STREQ(text, "Vv!");
  // Every modifier went up again.
  EXPECT_EQ(GetKeyState(VK_SHIFT) & 0x8000, 0);
}

// The probe program copied to a folder whose name has blanks in it.
struct ProbeCopy {
  ProbeCopy() {
    const std::string source = test_support::ProgramFolder() + "\\scrolling_engine_args_probe.exe";
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    folder = std::string(temp) + "Veltrano probe " + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    program = folder + "\\args probe.exe";
    output = folder + "\\out put.txt";
    copied = CopyFileA(source.c_str(), program.c_str(), FALSE) != FALSE;
  }
  ~ProbeCopy() {
    DeleteFileA(output.c_str());
    DeleteFileA(program.c_str());
    RemoveDirectoryA(folder.c_str());
  }
  // What the probe wrote, once it has written it; "(none)" after 10 s.
  std::string WaitForOutput() const {
    std::string text = "(none)";
    WaitUntil(
        [&] {
          const HANDLE file = CreateFileA(output.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
          if (file == INVALID_HANDLE_VALUE) return false;
          char buffer[1024];
          DWORD read = 0;
          const BOOL ok = ReadFile(file, buffer, sizeof buffer, &read, nullptr);
          CloseHandle(file);
          if (ok) text.assign(buffer, read);
          return ok != FALSE;
        },
        10000);
    return text;
  }
  std::string folder, program, output;
  bool copied = false;
};

TEST_F(EngineActionsWin32Test, CommandLineStartsAProgramWithItsArgumentsEveryTime) {
  ProbeCopy probe;
  ASSERT_TRUE(probe.copied);
  Window owner{kRecorderClass, "Owner", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200};
  const std::string command = "\"" + probe.program + "\"  \"" + probe.output + "\" alpha \"b c\"";

  for (int run = 0; run < 2; ++run) {
    DeleteFileA(probe.output.c_str());
    RunCommandLine(command.c_str(), owner.get());
    EXPECT_EQ(probe.WaitForOutput(), "alpha|b c") << "run " << run;
  }

  // Through the middle button of a profile: the profile's own text.
  Profile& p = gOpt.Par[0];
  p.iMiddleMode = 2;
  std::string middle = "\"" + probe.program + "\" \"" + probe.output + "\" " + std::string(300, 'x');
  ASSERT_LT(middle.size(), sizeof p.szMiddleCmd);
  std::strcpy(p.szMiddleCmd, middle.c_str());
  ASSERT_TRUE(CursorTo(250, 200)) << "the cursor cannot be moved here";
  DeleteFileA(probe.output.c_str());
  EXPECT_EQ(HandleMouseEvent(WM_MBUTTONDOWN), 1);
  EXPECT_EQ(probe.WaitForOutput(), std::string(300, 'x')) << "arguments longer than a path arrive whole";
  EXPECT_EQ(EngineScrollDrag().State(), DragState::Idle);
}

}  // namespace
