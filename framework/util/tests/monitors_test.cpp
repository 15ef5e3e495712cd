// Window finding and placement against real windows of this process.
#include "framework/util/monitors.h"

#include <gtest/gtest.h>

#include "framework/util/win_handles.h"
#include "tests/support/win32/win_test_support.h"

namespace {

constexpr char kClass[] = "VeltranoMonitorsTest";

CWindowHandle Make(const char* title, DWORD style, DWORD exStyle, int x, int y, int w, int h, HWND parent = nullptr,
                   const char* cls = kClass) {
  return CWindowHandle(
      CreateWindowExA(exStyle, cls, title, style, x, y, w, h, parent, nullptr, GetModuleHandleA(nullptr), nullptr));
}

class MonitorsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    test_support::RegisterWindowClass(kClass);
    test_support::RegisterWindowClass("orvoPHANTOM");  // the phantom class in another letter case
  }
  // A visible topmost window at (100,100), 400 x 300, with a child at
  // (10,10) 200 x 200, a grandchild at (20,20) 50 x 50 inside it, and a
  // hidden child at (250,50) 100 x 100.
  CWindowHandle top = Make("top", WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST, 100, 100, 400, 300);
  CWindowHandle child = Make("child", WS_CHILD | WS_VISIBLE, 0, 10, 10, 200, 200, top.Get());
  CWindowHandle grandchild = Make("grandchild", WS_CHILD | WS_VISIBLE, 0, 20, 20, 50, 50, child.Get());
  CWindowHandle hidden = Make("hidden", WS_CHILD, 0, 250, 50, 100, 100, top.Get());
};

TEST_F(MonitorsTest, FindWindowAtPoint) {
  ASSERT_TRUE(top);
  const struct { int x, y; bool root, includeHidden; HWND want; } cases[] = {
      {135, 135, false, false, grandchild.Get()},  // the smallest visible window
      {260, 260, false, false, child.Get()},
      {480, 380, false, false, top.Get()},
      {180, 135, false, false, child.Get()},  // the grandchild's right edge belongs to its parent
      {400, 200, false, false, top.Get()},    // a hidden child gives its nearest visible ancestor
      {400, 200, false, true, hidden.Get()},
      {135, 135, true, false, top.Get()},
      {-30000, -30000, true, false, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "(" << c.x << ", " << c.y << ") root " << c.root << " hidden " << c.includeHidden);
    HWND root = reinterpret_cast<HWND>(1);
    EXPECT_EQ(FindWindowAtPoint(c.x, c.y, c.root, c.includeHidden, nullptr, &root), c.want);
    // Nothing found: the root is not written.
    EXPECT_EQ(root, c.want != nullptr ? top.Get() : reinterpret_cast<HWND>(1));
  }

  // The own overlay is transparent to the search, and has its own procedure
  // back afterwards so that it answers hit tests again.
  CWindowHandle overlay = Make("overlay", WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST, 50, 50, 600, 500);
  ASSERT_TRUE(overlay);
  const LONG_PTR proc = GetWindowLongPtrA(overlay.Get(), GWLP_WNDPROC);
  EXPECT_EQ(FindWindowAtPoint(135, 135, false, false, nullptr, nullptr), overlay.Get());
  EXPECT_EQ(FindWindowAtPoint(135, 135, false, false, overlay.Get(), nullptr), grandchild.Get());
  EXPECT_EQ(GetWindowLongPtrA(overlay.Get(), GWLP_WNDPROC), proc);
  EXPECT_EQ(FindWindowAtPoint(135, 135, false, false, nullptr, nullptr), overlay.Get());
}

TEST_F(MonitorsTest, PhantomWindowClassIgnoresCaseTitleDoesNot) {
  CWindowHandle phantom = Make("Veltrano Phantom Test", WS_POPUP, 0, 0, 0, 10, 10, nullptr, "orvoPHANTOM");
  CWindowHandle other = Make("Veltrano Other Test", WS_POPUP, 0, 0, 0, 10, 10);
  ASSERT_TRUE(phantom);
  EXPECT_EQ(FindPhantomWindow("Veltrano Phantom Test"), phantom.Get());
  EXPECT_EQ(FindPhantomWindow("veltrano phantom test"), nullptr);
  EXPECT_EQ(FindPhantomWindow("Veltrano Phantom"), nullptr);
  EXPECT_EQ(FindPhantomWindow("Veltrano Other Test"), nullptr);  // wrong class
  EXPECT_EQ(FindPhantomWindow(nullptr), nullptr);
}

TEST_F(MonitorsTest, MonitorTableAndDpi) {
  RefreshMonitorTable();
  const MonitorTable& t = CurrentMonitorTable();
  ASSERT_GE(t.count, 1);
  ASSERT_LE(t.count, kMaxMonitors);
  EXPECT_GT(t.monitorRect[0].right, t.monitorRect[0].left);
  EXPECT_GT(t.dpi[0], 0);
  EXPECT_NE(t.device[0][0], '\\');
  EXPECT_NE(t.device[0][0], '.');
  EXPECT_EQ(t.virtualRect.right, t.virtualX + t.virtualWidth);

  RECT monitor{}, work{};
  EXPECT_EQ(GetMonitorRectAt(t.monitorRect[0].left, t.monitorRect[0].top, &monitor, 0, kMonitorArea), 0);
  EXPECT_TRUE(EqualRect(&monitor, &t.monitorRect[0]));
  GetMonitorRectAt(t.monitorRect[0].left, t.monitorRect[0].top, &work, 0, kWorkArea);
  EXPECT_GT(work.right, work.left);
  EXPECT_GE(work.left, monitor.left);
  EXPECT_LE(work.right, monitor.right);

  EXPECT_GT(GetWindowDpi(top.Get()), 0);
  RECT r{100, 100, 200, 200};
  EXPECT_GT(GetMonitorDpi(&r, nullptr), 0);
  EXPECT_GT(GetMonitorDpi(nullptr, nullptr), 0);
}

TEST_F(MonitorsTest, CenterWindow) {
  RECT r{5, 7, 105, 67};  // 100 x 60: with a rectangle only left and top are set
  CenterWindow(nullptr, &r, top.Get());
  EXPECT_EQ(r.left, 100 + (400 - 100) / 2);
  EXPECT_EQ(r.top, 100 + (300 - 60) / 2);
  EXPECT_EQ(r.right, 105);
  EXPECT_EQ(r.bottom, 67);

  CWindowHandle popup = Make("popup", WS_POPUP, 0, 0, 0, 101, 51);
  CenterWindow(popup.Get(), nullptr, top.Get());
  RECT after{};
  GetWindowRect(popup.Get(), &after);
  EXPECT_EQ(after.left, 100 + (400 - 101) / 2);
  EXPECT_EQ(after.top, 100 + (300 - 51) / 2);
  EXPECT_EQ(after.right - after.left, 101);
  // A child is centred on its parent when no reference is given (screen
  // coordinates of the parent, as the window rectangle gives them).
  CWindowHandle inner = Make("inner", WS_CHILD, 0, 0, 0, 40, 20, top.Get());
  RECT ri{0, 0, 40, 20};
  CenterWindow(inner.Get(), &ri, nullptr);
  EXPECT_EQ(ri.left, 100 + (400 - 40) / 2);
}

TEST_F(MonitorsTest, CursorAndTopmostHelpers) {
  ASSERT_TRUE(test_support::MoveCursorTo(135, 135)) << "the cursor cannot be moved here";
  EXPECT_TRUE(IsWindowUnderCursor(grandchild.Get()));
  EXPECT_FALSE(IsWindowUnderCursor(top.Get()));
  EXPECT_FALSE(IsWindowUnderCursor(nullptr));

  CWindowHandle owner = Make("owner", WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST, 0, 0, 20, 20);
  CWindowHandle owned = Make("owned", WS_POPUP | WS_VISIBLE, 0, 0, 0, 20, 20, owner.Get());
  EXPECT_TRUE(MatchParentTopmost(owned.Get()));
  EXPECT_NE(GetWindowLongA(owned.Get(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_FALSE(MatchParentTopmost(top.Get()));
  EXPECT_FALSE(MatchParentTopmost(grandchild.Get()));  // its parent is not topmost
}

}  // namespace
