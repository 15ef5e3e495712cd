// Window finding and placement against real windows of this process.
#include "framework/util/monitors.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class Window {
 public:
  Window(const char* cls, const char* title, DWORD style, DWORD exStyle, int x, int y, int w, int h,
         HWND parent = nullptr)
      : hwnd_(CreateWindowExA(exStyle, cls, title, style, x, y, w, h, parent, nullptr,
                              GetModuleHandleA(nullptr), nullptr)) {}
  ~Window() {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  }
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  HWND get() const { return hwnd_; }

 private:
  HWND hwnd_;
};

constexpr char kClass[] = "VeltranoMonitorsTest";

class MonitorsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassA(&wc);
    wc.lpszClassName = "orvoPHANTOM";  // the phantom class in another letter case
    RegisterClassA(&wc);
  }
  // A visible topmost window at (100,100), 400 x 300, with a child at
  // (10,10) 200 x 200 and a grandchild at (20,20) 50 x 50 inside it.
  Window top{kClass, "top", WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST, 100, 100, 400, 300};
  Window child{kClass, "child", WS_CHILD | WS_VISIBLE, 0, 10, 10, 200, 200, top.get()};
  Window grandchild{kClass, "grandchild", WS_CHILD | WS_VISIBLE, 0, 20, 20, 50, 50, child.get()};
  // A hidden child at (250,50) 100 x 100.
  Window hidden{kClass, "hidden", WS_CHILD, 0, 250, 50, 100, 100, top.get()};
};

TEST_F(MonitorsTest, FindsTheSmallestVisibleWindowAtAPoint) {
  ASSERT_NE(top.get(), nullptr);
  EXPECT_EQ(FindWindowAtPoint(100 + 10 + 20 + 5, 100 + 10 + 20 + 5, false, false, nullptr, nullptr),
            grandchild.get());
  EXPECT_EQ(FindWindowAtPoint(100 + 10 + 150, 100 + 10 + 150, false, false, nullptr, nullptr), child.get());
  EXPECT_EQ(FindWindowAtPoint(100 + 380, 100 + 280, false, false, nullptr, nullptr), top.get());
  // Right and bottom edges of the grandchild belong to its parent.
  EXPECT_EQ(FindWindowAtPoint(100 + 10 + 20 + 50, 100 + 10 + 25, false, false, nullptr, nullptr), child.get());
}

TEST_F(MonitorsTest, HiddenChildGivesItsNearestVisibleAncestor) {
  const int x = 100 + 250 + 50, y = 100 + 50 + 50;
  EXPECT_EQ(FindWindowAtPoint(x, y, false, false, nullptr, nullptr), top.get());
  EXPECT_EQ(FindWindowAtPoint(x, y, false, true, nullptr, nullptr), hidden.get());
}

TEST_F(MonitorsTest, RootWindowOnRequest) {
  HWND root = nullptr;
  const int x = 135, y = 135;
  EXPECT_EQ(FindWindowAtPoint(x, y, false, false, nullptr, &root), grandchild.get());
  EXPECT_EQ(root, top.get());
  EXPECT_EQ(FindWindowAtPoint(x, y, true, false, nullptr, nullptr), top.get());
  root = reinterpret_cast<HWND>(1);
  EXPECT_EQ(FindWindowAtPoint(-30000, -30000, true, false, nullptr, &root), nullptr);
  EXPECT_EQ(root, reinterpret_cast<HWND>(1));  // nothing found: not written
}

TEST_F(MonitorsTest, OwnOverlayIsTransparentToTheSearch) {
  Window overlay{kClass, "overlay", WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST, 50, 50, 600, 500};
  ASSERT_NE(overlay.get(), nullptr);
  const LONG_PTR proc = GetWindowLongPtrA(overlay.get(), GWLP_WNDPROC);
  EXPECT_EQ(FindWindowAtPoint(135, 135, false, false, nullptr, nullptr), overlay.get());
  EXPECT_EQ(FindWindowAtPoint(135, 135, false, false, overlay.get(), nullptr), grandchild.get());
  // The overlay has its own procedure back and answers hit tests again.
  EXPECT_EQ(GetWindowLongPtrA(overlay.get(), GWLP_WNDPROC), proc);
  EXPECT_EQ(FindWindowAtPoint(135, 135, false, false, nullptr, nullptr), overlay.get());
}

TEST_F(MonitorsTest, PhantomWindowClassIgnoresCaseTitleDoesNot) {
  Window phantom{"orvoPHANTOM", "Veltrano Phantom Test", WS_POPUP, 0, 0, 0, 10, 10};
  ASSERT_NE(phantom.get(), nullptr);
  EXPECT_EQ(FindPhantomWindow("Veltrano Phantom Test"), phantom.get());
  EXPECT_EQ(FindPhantomWindow("veltrano phantom test"), nullptr);
  EXPECT_EQ(FindPhantomWindow("Veltrano Phantom"), nullptr);
  Window other{kClass, "Veltrano Other Test", WS_POPUP, 0, 0, 0, 10, 10};
  EXPECT_EQ(FindPhantomWindow("Veltrano Other Test"), nullptr);  // wrong class
  EXPECT_EQ(FindPhantomWindow(nullptr), nullptr);
}

TEST_F(MonitorsTest, MonitorTableIsFilled) {
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
  const int index = GetMonitorRectAt(t.monitorRect[0].left, t.monitorRect[0].top, &monitor, 0, kMonitorArea);
  EXPECT_EQ(index, 0);
  EXPECT_TRUE(EqualRect(&monitor, &t.monitorRect[0]));
  GetMonitorRectAt(t.monitorRect[0].left, t.monitorRect[0].top, &work, 0, kWorkArea);
  EXPECT_GT(work.right, work.left);
  EXPECT_GE(work.left, monitor.left);
  EXPECT_LE(work.right, monitor.right);
}

TEST_F(MonitorsTest, DpiHasAnAnswer) {
  EXPECT_GT(GetWindowDpi(top.get()), 0);
  RECT r{100, 100, 200, 200};
  EXPECT_GT(GetMonitorDpi(&r, nullptr), 0);
  EXPECT_GT(GetMonitorDpi(nullptr, nullptr), 0);
}

TEST_F(MonitorsTest, CenterWindowWithARectangleSetsOnlyLeftAndTop) {
  RECT r{5, 7, 105, 67};  // 100 x 60
  CenterWindow(nullptr, &r, top.get());
  EXPECT_EQ(r.left, 100 + (400 - 100) / 2);
  EXPECT_EQ(r.top, 100 + (300 - 60) / 2);
  EXPECT_EQ(r.right, 105);
  EXPECT_EQ(r.bottom, 67);
}

TEST_F(MonitorsTest, CenterWindowMovesTheWindow) {
  Window popup{kClass, "popup", WS_POPUP, 0, 0, 0, 101, 51};
  RECT before{};
  GetWindowRect(popup.get(), &before);
  CenterWindow(popup.get(), nullptr, top.get());
  RECT after{};
  GetWindowRect(popup.get(), &after);
  EXPECT_EQ(after.left, 100 + (400 - 101) / 2);
  EXPECT_EQ(after.top, 100 + (300 - 51) / 2);
  EXPECT_EQ(after.right - after.left, before.right - before.left);
  // A child is centred on its parent when no reference is given (screen
  // coordinates of the parent, as the window rectangle gives them).
  Window inner{kClass, "inner", WS_CHILD, 0, 0, 0, 40, 20, top.get()};
  RECT r{0, 0, 40, 20};
  CenterWindow(inner.get(), &r, nullptr);
  EXPECT_EQ(r.left, 100 + (400 - 40) / 2);
}

TEST_F(MonitorsTest, CursorAndTopmostHelpers) {
  if (SetCursorPos(135, 135)) {
    POINT p{};
    GetCursorPos(&p);
    if (p.x == 135 && p.y == 135) {
      EXPECT_TRUE(IsWindowUnderCursor(grandchild.get()));
      EXPECT_FALSE(IsWindowUnderCursor(top.get()));
    }
  }
  EXPECT_FALSE(IsWindowUnderCursor(nullptr));

  Window owner{kClass, "owner", WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST, 0, 0, 20, 20};
  Window owned{kClass, "owned", WS_POPUP | WS_VISIBLE, 0, 0, 0, 20, 20, owner.get()};
  EXPECT_TRUE(MatchParentTopmost(owned.get()));
  EXPECT_NE(GetWindowLongA(owned.get(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_FALSE(MatchParentTopmost(top.get()));
  EXPECT_FALSE(MatchParentTopmost(grandchild.get()));  // its parent is not topmost
}

}  // namespace
