#include "framework/ui/tray_icon.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/ui/ui_test_fixture.h"
#include "tests/support/win32/fake_notification_area.h"

namespace {

TEST(PopupMenuAtCursor, FailsWithItsReasonWithoutAnOwner) {
  CUIItem entry;
  ASSERT_GE(gApp.navigationItems.Append(&entry), 0);
  gApp.popupNavigation = 1;
  SetLastError(0);
  EXPECT_EQ(ShowPopupMenu(0xF105, nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), kStatusWindowNotCreated);
  EXPECT_EQ(gApp.navigationItems.Count(), 0);
  EXPECT_EQ(gApp.popupNavigation, 0);
}

class TrayIconTest : public ui_test::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    ASSERT_TRUE(tray.IsTheShellsOwn()) << "another notification area is running";
    lstrcpyA(gApp.appName, "Veltrano Test");
    frame = MakeFrame(1024);
    ASSERT_NE(frame, nullptr);
  }

  test_support::FakeNotificationArea tray;
  CFrameWindow* frame = nullptr;
};

TEST_F(TrayIconTest, AddedChangedInPlaceAndRemoved) {
  EXPECT_EQ(SetTrayIcon(1024, 1, "%s: %d", "Waiting", 5), 1);
  ASSERT_EQ(tray.requests.size(), 2u);
  EXPECT_EQ(tray.requests[0].what, static_cast<ULONG_PTR>(NIM_MODIFY));
  EXPECT_FALSE(tray.requests[0].answer);
  EXPECT_EQ(tray.requests[1].what, static_cast<ULONG_PTR>(NIM_ADD));
  EXPECT_EQ(tray.requests[1].window, frame->window);
  EXPECT_EQ(tray.requests[1].id, 1024u);
  EXPECT_EQ(tray.requests[1].callback, WM_FW_TRAYNOTIFY);
  EXPECT_EQ(tray.requests[1].tip, L"Waiting: 5");

  // The icon belongs to the window record, not to the system's cache of
  // shared icons: replacing it destroys the old one and nothing shared.
  const HICON first = frame->trayIcon.Get();
  ASSERT_NE(first, nullptr);
  const HICON shared = static_cast<HICON>(
      LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), IMAGE_ICON, 64, 64, LR_SHARED));
  EXPECT_NE(first, shared);

  tray.requests.clear();
  const std::string longTip(200, 'x');
  EXPECT_EQ(SetTrayIcon(1024, 1, "%s", longTip.c_str()), 1);
  ASSERT_EQ(tray.requests.size(), 1u);
  EXPECT_EQ(tray.requests[0].what, static_cast<ULONG_PTR>(NIM_MODIFY));
  EXPECT_EQ(tray.requests[0].tip, std::wstring(127, L'x'));
  ICONINFO info{};
  EXPECT_FALSE(GetIconInfo(first, &info));
  ASSERT_TRUE(GetIconInfo(shared, &info));
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);

  tray.requests.clear();
  EXPECT_EQ(SetTrayIcon(1024, 1, nullptr), 1);
  ASSERT_EQ(tray.requests.size(), 1u);
  EXPECT_EQ(tray.requests[0].tip, L"Veltrano Test");

  tray.requests.clear();
  EXPECT_EQ(SetTrayIcon(1024, -1, nullptr), 1);
  ASSERT_EQ(tray.requests.size(), 1u);
  EXPECT_EQ(tray.requests[0].what, static_cast<ULONG_PTR>(NIM_DELETE));
  EXPECT_FALSE(frame->trayIcon);
  EXPECT_TRUE(tray.icons.empty());
  EXPECT_EQ(SetTrayIcon(1024, -1, nullptr), 0);  // nothing left to remove
}

TEST_F(TrayIconTest, WithoutAFrameworkWindowTheDesktopCarriesIt) {
  EXPECT_EQ(SetTrayIcon(77, 1, "x"), 1);
  ASSERT_FALSE(tray.requests.empty());
  EXPECT_EQ(tray.requests.back().window, GetDesktopWindow());
  EXPECT_EQ(tray.requests.back().id, 77u);
  EXPECT_EQ(SetTrayIcon(77, 0x7FFF, nullptr), 1);  // no such icon: removed
  EXPECT_EQ(tray.requests.back().what, static_cast<ULONG_PTR>(NIM_DELETE));
}

}  // namespace
