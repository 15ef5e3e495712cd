// Target selection against real windows of this test process.
#include "scrolling/engine/win32_platform.h"
#include "scrolling/engine/tests/test_window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <utility>

#include "framework/util/monitors.h"
#include "framework/util/win_handles.h"
#include "scrolling/engine/profile_match.h"
#include "scrolling/options/options.h"
#include "tests/support/product/use_product_texts.h"

namespace {

constexpr char kClassA[] = "VeltranoTargetA";
constexpr char kClassB[] = "VeltranoTargetB";

class EngineWin32Test : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    test_support::RegisterWindowClass(kClassA);
    test_support::RegisterWindowClass(kClassB);
  }

  void SetUp() override {
    UseProductTexts();
    SetFactoryOptions();
    // Two profiles ahead of the factory ones: one by class, one by caption.
    std::memmove(&gOpt.Par[2], &gOpt.Par[0], sizeof(Profile) * kFactoryProfileCount);
    gOpt.iNumPar = kFactoryProfileCount + 2;
    for (int j = 0; j < 2; ++j) {
      SetProfileDefaults(gOpt.Par[j]);
      std::strcpy(gOpt.Par[j].szParName, j == 0 ? "By class" : "By caption");
      gOpt.Par[j].bWheelEnable = 0;
    }
    std::strcpy(gOpt.Par[0].szWndClass, "veltranotargeta");
    std::strcpy(gOpt.Par[1].szWndCaption, "second");
    gOpt.Par[0].bEnableBackFwd = 1;
    gOpt.Par[kFactoryProfileCount + 1].bWheelEnable = 0;  // the catch-all: leave the system wheel alone

    std::memset(&shared, 0, sizeof shared);
    shared.hookFlags = kHookFlagReportWheel;  // the selection leaves it as it is
    EnginePlatformInstance().SetSharedMemory(&shared);
    ResetTargetCache();
  }
  void TearDown() override { EnginePlatformInstance().SetSharedMemory(nullptr); }


  SharedMemory shared{};
  Window first{kClassA, "First window", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200};
  Window second{kClassB, "The second window", WS_POPUP | WS_VISIBLE, 500, 100, 300, 200};
  Window third{kClassB, "Third", WS_POPUP | WS_VISIBLE, 100, 400, 300, 200};
  Window scrollBar{"ScrollBar", "", WS_CHILD | WS_VISIBLE | SBS_VERT, 280, 0, 20, 200, third.get()};
};

TEST_F(EngineWin32Test, PlatformReadsPathCaptionAndClass) {
  const std::string own = test_support::ProgramPath();
  char path[MAX_PATH] = "junk";
  ASSERT_TRUE(GetWindowProcessPath(first.get(), path, sizeof path));
  EXPECT_TRUE(EqualsNoCase(path, own.c_str())) << path << " / " << own;
  char small[8] = "junk";
  EXPECT_FALSE(GetWindowProcessPath(first.get(), small, sizeof small));  // does not fit
  EXPECT_STREQ(small, "");
  EXPECT_FALSE(GetWindowProcessPath(nullptr, path, sizeof path));
  EXPECT_STREQ(path, "");

  Win32EnginePlatform platform;
  char text[kWindowTextSize] = "junk";
  platform.GetWindowCaption(ToWindowId(second.get()), text, sizeof text);
  EXPECT_STREQ(text, "The second window");
  platform.GetWindowClass(ToWindowId(second.get()), text, sizeof text);
  EXPECT_STREQ(text, kClassB);
  platform.GetWindowClass(ToWindowId(scrollBar.get()), text, sizeof text);
  EXPECT_TRUE(EqualsNoCase(text, "ScrollBar")) << text;
  char tiny[4];
  platform.GetWindowCaption(ToWindowId(second.get()), tiny, sizeof tiny);
  EXPECT_STREQ(tiny, "The");
  platform.GetWindowCaption(0, text, sizeof text);
  EXPECT_STREQ(text, "");
  EXPECT_EQ(platform.WindowAtPoint(ScreenPoint{650, 150}), ToWindowId(second.get()));
}

TEST_F(EngineWin32Test, SelectsTheProfileOfTheWindowUnderTheCursor) {
  ASSERT_TRUE(CursorTo(100 + 290, 450)) << "the cursor cannot be moved here";
  // A scroll-bar control: no target, nothing selected, nothing published.
  ASSERT_EQ(FindWindowAtPoint(100 + 290, 450, false, false, nullptr, nullptr), scrollBar.get());
  EXPECT_EQ(FindTargetWindow(nullptr), nullptr);
  EXPECT_EQ(EngineTargetSelector().CachedWindow(), 0u);
  EXPECT_EQ(shared.hookFlags, kHookFlagReportWheel);

  ASSERT_TRUE(CursorTo(200, 200));
  POINT anchor{};
  EXPECT_EQ(FindTargetWindow(&anchor), first.get());
  EXPECT_EQ(anchor.x, 200);
  EXPECT_EQ(anchor.y, 200);
  EXPECT_EQ(gOpt.iCurPar, 0);
  EXPECT_STREQ(EngineTargetSelector().CurrentProfile().szParName, "By class");
  EXPECT_EQ(shared.hookFlags, kHookFlagReportWheel | kHookFlagSubclassBackFwd);

  ASSERT_TRUE(CursorTo(650, 150));
  EXPECT_EQ(FindTargetWindow(nullptr), second.get());
  EXPECT_EQ(gOpt.iCurPar, 1);
  EXPECT_EQ(shared.hookFlags, kHookFlagReportWheel);

  ASSERT_TRUE(CursorTo(150, 450));
  EXPECT_EQ(FindTargetWindow(nullptr), third.get());
  EXPECT_STREQ(EngineTargetSelector().CurrentProfile().szParName, "(All Others)");

  // Only the two test profiles: the third window matches none.
  ASSERT_TRUE(CursorTo(200, 200));
  EXPECT_EQ(FindTargetWindow(nullptr), first.get());
  gOpt.iNumPar = 2;
  ASSERT_TRUE(CursorTo(150, 450));
  EXPECT_EQ(FindTargetWindow(nullptr), nullptr);
  EXPECT_EQ(gOpt.iCurPar, -1);
  EXPECT_EQ(shared.hookFlags, kHookFlagReportWheel);
}

// Wheel-lines announcements heard by a window of another thread.
std::atomic<int> gAnnouncements{0};

LRESULT CALLBACK ListenerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETTINGCHANGE && wParam == SPI_SETWHEELSCROLLLINES) ++gAnnouncements;
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK AnnouncerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kWmAnnounceWheelLines) EnginePlatformInstance().AnnounceWheelLines();
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(EngineWin32Test, WheelScrollLinesReachTheSystemAndAreAnnouncedOnlyAfterTheAnswer) {
  UINT saved = 0;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &saved, 0));
  test_support::RegisterWindowClass("VeltranoLinesListener", ListenerProc);
  test_support::RegisterWindowClass("VeltranoLinesAnnouncer", AnnouncerProc);
  CKernelHandle listening(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  DWORD listenerThread = 0;
  std::thread listener([&] {
    const CWindowHandle window(CreateWindowExA(0, "VeltranoLinesListener", "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                               nullptr, GetModuleHandleA(nullptr), nullptr));
    listenerThread = GetCurrentThreadId();
    SetEvent(listening.Get());
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  });
  ASSERT_EQ(WaitForSingleObject(listening.Get(), 10000), WAIT_OBJECT_0);
  Window announcer{"VeltranoLinesAnnouncer", "", WS_POPUP, 0, 0, 10, 10};
  Win32EnginePlatform& platform = EnginePlatformInstance();
  platform.SetAnnouncementWindow(announcer.get());
  // A profile switch runs while a hooked program waits for the answer: the
  // windows are told from the queue afterwards.
  for (const auto& [lines, scope] : {std::pair{7, WheelLinesScope::kSaved}, std::pair{1, WheelLinesScope::kThisRun}}) {
    const int heard = gAnnouncements;
    platform.SetSystemWheelScrollLines(lines, scope);
    EXPECT_EQ(gAnnouncements, heard) << lines;
    UINT now = 0;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &now, 0);
    EXPECT_EQ(now, static_cast<UINT>(lines));
    test_support::PumpUntil([heard] { return gAnnouncements != heard; }, 20000);
    EXPECT_EQ(gAnnouncements, heard + 1) << lines;
  }
  SaveSystemWheelScrollLines();
  EXPECT_EQ(StartupWheelLines(), 1);
  platform.SetAnnouncementWindow(nullptr);
  platform.SetSystemWheelScrollLines(static_cast<std::int32_t>(saved), WheelLinesScope::kSaved);
  SetStartupWheelLines(kDefaultWheelLines);
  PostThreadMessageA(listenerThread, WM_QUIT, 0, 0);
  listener.join();
}

TEST_F(EngineWin32Test, AWindowThatDoesNotAnswerDoesNotHoldTheSender) {
  // The window's thread answers nothing until the send has come back (or,
  // when the send waits for it, until its own wait gives up): a send that
  // waited for the answer is seen as a timed-out wait.
  CKernelHandle sendReturned(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  CKernelHandle windowMade(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  HWND window = nullptr;
  DWORD waitResult = WAIT_FAILED;
  std::thread owner([&] {
    window = CreateWindowExA(0, kClassA, "busy", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    SetEvent(windowMade.Get());
    waitResult = WaitForSingleObject(sendReturned.Get(), 20000);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    DestroyWindow(window);
  });
  ASSERT_EQ(WaitForSingleObject(windowMade.Get(), 10000), WAIT_OBJECT_0);
  Win32EnginePlatform platform;
  EXPECT_EQ(platform.SendWindowMessage(ToWindowId(window), WM_USER, 0, 0), 0);
  SetEvent(sendReturned.Get());
  owner.join();
  EXPECT_EQ(waitResult, WAIT_OBJECT_0);
}

TEST_F(EngineWin32Test, BringToForegroundRaisesTheRootWindow) {
  Window child{kClassA, "child", WS_CHILD | WS_VISIBLE, 10, 10, 50, 50, second.get()};
  BringToForeground(child.get());
  EXPECT_EQ(GetForegroundWindow(), second.get());
  BringToForeground(first.get());
  EXPECT_EQ(GetForegroundWindow(), first.get());
  BringToForeground(nullptr);  // no window: nothing happens
  EXPECT_EQ(GetForegroundWindow(), first.get());
}

}  // namespace
