#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "framework/app/exit_request.h"
#include "framework/theme/draw.h"
#include "framework/ui/dock_bay.h"
#include "framework/ui/tray_icon.h"
#include "framework/ui/window_menu.h"
#include "tests/support/png_image.h"
#include "tests/support/ui/ui_test_fixture.h"
#include "tests/support/win32/dialog_answerer.h"
#include "tests/support/win32/fake_notification_area.h"

namespace {

bool gCreateBlockZero = false;

// The product's own answers: it looks at the creation block it is given and
// paints its client area plainly.
std::optional<LRESULT> Answer(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    const auto* block = reinterpret_cast<const unsigned char*>(lParam);
    gCreateBlockZero = block != nullptr && std::all_of(block, block + sizeof(CREATESTRUCTA),
                                                       [](unsigned char b) { return b == 0; });
  }
  if (message != WM_PAINT && message != WM_PRINTCLIENT) return std::nullopt;
  PAINTSTRUCT ps{};
  HDC dc = message == WM_PAINT ? BeginPaint(window, &ps) : reinterpret_cast<HDC>(wParam);
  RECT client{};
  GetClientRect(window, &client);
  FillSolidRect(dc, &client, gApp.theme.slots[0]);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, gApp.theme.slots[3]);
  RECT text{client.left + 12, client.bottom - 28, client.right - 12, client.bottom - 8};
  DrawTextA(dc, "Ready", -1, &text, DT_LEFT | DT_SINGLELINE);
  if (message == WM_PAINT) EndPaint(window, &ps);
  return 0;
}

RECT WindowRect(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return r;
}
std::string Str(const RECT& r) {
  return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) + ", " +
         std::to_string(r.bottom) + ")";
}

class FrameWindowTest : public ui_test::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    AddStandardCommands();
    static char name[] = "Veltrano";
    static TextRecord product[] = {{0, {name}}, {kTextTableEnd, {}}};
    InstallAppTexts(product);
    std::snprintf(gApp.appName, sizeof gApp.appName, "Veltrano");
    SaveStateInDataFolder();
    log.extra = {WM_CREATE, WM_DESTROY};
    log.answer = &Answer;
  }

  int CountOf(UINT message) const { return static_cast<int>(log.Count(message)); }
  // The last such message; an empty record when none came.
  ui_test::Sent Last(UINT message) const {
    const std::vector<ui_test::Sent> all = log.Of(message);
    return all.empty() ? ui_test::Sent{} : all.back();
  }
};

TEST_F(FrameWindowTest, MovedAndClosedWindowKeepsItsPlacementAcrossTwoRuns) {
  CFrameWindow& first = *MakeFrame(7, kFrameSizable, 0, 0, 0, 0);
  const HWND firstWindow = first.window;
  SetWindowPos(firstWindow, nullptr, 200, 150, 500, 400, SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(HandleFrameCommand(first, kCmdTransparencyOff + 3));
  SendMessageA(firstWindow, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(firstWindow));  // closing only saves
  const std::string saved = test_support::ReadWholeFile(data_ / "(Orvo)Win7.oqc");
  ASSERT_EQ(saved.size(), sizeof(WindowPlacementRecord));
  WindowPlacementRecord record{};
  std::memcpy(&record, saved.data(), sizeof record);
  EXPECT_EQ(Str(RECT{record.left, record.top, record.width, record.height}), "(200, 150, 500, 400)");
  EXPECT_EQ(record.flags, kFrameSizable);
  EXPECT_EQ(record.transparencyWord, 30u);
  DestroyAllWindows();
  EXPECT_FALSE(IsWindow(firstWindow));

  // The second run asks for the default and gets the saved rectangle, flags
  // and transparency.
  CFrameWindow& second = *MakeFrame(7, 0, 0, 0, 0, 0);
  EXPECT_EQ(Str(WindowRect(second.window)), "(200, 150, 700, 550)");
  EXPECT_EQ(second.flags, kFrameSizable);
  EXPECT_EQ(second.transparency, 30);
  EXPECT_NE(GetWindowLongA(second.window, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
  DestroyAllWindows();

  // Settings of another version: the saved placement is not used.
  gApp.settingsVersionChanged = 1;
  CFrameWindow& third = *MakeFrame(7, 0, 60, 70, 300, 200);
  EXPECT_EQ(Str(WindowRect(third.window)), "(60, 70, 360, 270)");
  EXPECT_EQ(third.transparency, 0);
}

TEST_F(FrameWindowTest, ProductProcedureSeesCreateOnceAndTheFrameworkMessages) {
  CFrameWindow& f = *MakeFrame(3, kFrameSizable, 100, 100, 400, 300);
  EXPECT_EQ(CountOf(WM_CREATE), 1);
  EXPECT_TRUE(gCreateBlockZero);

  SetWindowPos(f.window, nullptr, 0, 0, 420, 320, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  RECT client{};
  GetClientRect(f.window, &client);
  EXPECT_EQ(Last(WM_FW_LAYOUT).lParam, MAKELPARAM(client.right, client.bottom));
  // Bays without bars are 0 pixels thick: the inner client area is all of it.
  EXPECT_EQ(Str(f.innerClient), Str(client));
  ASSERT_EQ(f.dockBays.Count(), 4);
  for (int side = 0; side < 4; ++side) {
    RECT bay{};
    GetClientRect(f.dockBays[side]->window, &bay);
    EXPECT_EQ(IsVerticalBay(side) ? bay.right : bay.bottom, 0) << side;
    EXPECT_EQ(f.dockBays[side]->bayId, side + 3 * 256);
  }

  SendMessageA(f.window, WM_NCRBUTTONDOWN, HTCAPTION, 0);
  EXPECT_EQ(CountOf(WM_FW_WINDOWMENU), 0);
  SendMessageA(f.window, WM_RBUTTONUP, 0, MAKELPARAM(10, 10));
  EXPECT_EQ(CountOf(WM_FW_WINDOWMENU), 1);
  CommandRecord menu{};
  ASSERT_EQ(GetCommand(kCmdWindowMenu, &menu), 0u);
  EXPECT_EQ(menu.value, static_cast<void*>(f.windowMenu));
  EXPECT_EQ(f.windowMenu[0], kCmdAlwaysOnTop);
  EXPECT_EQ(Flags(kCmdLockBarSizes) & 1u, 0u);  // no bars to lock
  EXPECT_NE(Flags(kCmdCaptionNormal) & 0x800u, 0u);

  HELPINFO help{};
  help.cbSize = sizeof help;
  SendMessageA(f.window, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
  ASSERT_EQ(CountOf(WM_FW_HELPREQUEST), 1);
  EXPECT_EQ(Last(WM_FW_HELPREQUEST).wParam, 0u);
  EXPECT_EQ(Last(WM_FW_HELPREQUEST).lParam, reinterpret_cast<LPARAM>(&help));

  // Ctrl+F1 asks for no help.
  INPUT ctrl{};
  ctrl.type = INPUT_KEYBOARD;
  ctrl.ki.wVk = VK_CONTROL;
  ASSERT_EQ(SendInput(1, &ctrl, sizeof ctrl), 1u);
  ASSERT_LT(GetAsyncKeyState(VK_CONTROL), 0);
  EXPECT_EQ(SendMessageA(f.window, WM_HELP, 0, reinterpret_cast<LPARAM>(&help)), 1);
  ctrl.ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(1, &ctrl, sizeof ctrl);
  EXPECT_EQ(CountOf(WM_FW_HELPREQUEST), 1);

  SendMessageA(f.window, WM_FW_COMMAND, kCmdCaptionSmall, 0);
  EXPECT_NE(Last(WM_FW_STYLECHANGED).lParam & WS_EX_TOOLWINDOW, 0);
  EXPECT_NE(GetWindowLongA(f.window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
}

TEST_F(FrameWindowTest, WindowMenuCommandsChangeTheWindow) {
  CFrameWindow& f = *MakeFrame(4, kFrameSizable, 100, 100, 400, 300);
  enum What { kStyle, kExStyle, kFlags, kTransparency };
  struct Step {
    std::uint16_t command;
    What what;
    std::uint32_t bits;
    bool set;
  } steps[] = {
      {kCmdAlwaysOnTop, kExStyle, WS_EX_TOPMOST, true},
      {kCmdAlwaysOnTop, kExStyle, WS_EX_TOPMOST, false},
      {kCmdShowOnTaskbar, kExStyle, WS_EX_APPWINDOW, true},
      {kCmdCaptionNone, kStyle, WS_BORDER, false},  // the dialog frame stays
      {kCmdCaptionBorderless, kStyle, WS_DLGFRAME | WS_THICKFRAME, false},
      {kCmdCaptionNormal, kStyle, WS_CAPTION | WS_THICKFRAME, true},
      {kCmdLockResolution, kFlags, kFrameKeepOnResolutionChange, true},
      {kCmdTransparencyOff + 5, kExStyle, WS_EX_LAYERED, true},
      {kCmdGhost, kExStyle, WS_EX_TRANSPARENT, true},
      // Transparency off lets clicks through no more, ghost mode or not.
      {kCmdTransparencyOff, kExStyle, WS_EX_LAYERED | WS_EX_TRANSPARENT, false},
      {kCmdTransparencyOff + 9, kTransparency, 90, true},
  };
  for (const Step& s : steps) {
    ASSERT_TRUE(HandleFrameCommand(f, s.command)) << std::hex << s.command;
    std::uint32_t value = 0;
    switch (s.what) {
      case kStyle: value = static_cast<std::uint32_t>(GetWindowLongA(f.window, GWL_STYLE)); break;
      case kExStyle: value = static_cast<std::uint32_t>(GetWindowLongA(f.window, GWL_EXSTYLE)); break;
      case kFlags: value = f.flags; break;
      case kTransparency: value = static_cast<std::uint32_t>(f.transparency); break;
    }
    EXPECT_EQ(value & s.bits, s.set ? s.bits : 0u) << std::hex << s.command;
  }
  EXPECT_FALSE(HandleFrameCommand(f, 0x1234));

  // "Default" font: nothing without a custom font; with one, only after OK,
  // and then the program restarts.
  test_support::DialogAnswerer answerer(IDCANCEL);
  ASSERT_TRUE(HandleFrameCommand(f, kCmdFontDefault));
  EXPECT_TRUE(answerer.Take().empty());
  std::snprintf(gApp.settings.uiFontFace, sizeof gApp.settings.uiFontFace, "Tahoma");
  ASSERT_TRUE(HandleFrameCommand(f, kCmdFontDefault));
  EXPECT_STREQ(gApp.settings.uiFontFace, "Tahoma");
  EXPECT_EQ(gApp.exitMode, kExitNormal);
  answerer.SetAnswer(IDOK);
  ASSERT_TRUE(HandleFrameCommand(f, kCmdFontDefault));
  EXPECT_STREQ(gApp.settings.uiFontFace, "");
  EXPECT_EQ(answerer.Take().size(), 2u);
  EXPECT_EQ(gApp.exitMode, ExitModeFor(kRestartWithCurrentElevation, IsProcessElevated()));
  MSG quit;
  EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

TEST_F(FrameWindowTest, LockedWindowKeepsItsPositionAndSize) {
  CFrameWindow& f = *MakeFrame(5, kFrameSizable, 100, 100, 400, 300);
  ASSERT_TRUE(HandleFrameCommand(f, kCmdLockPosition));
  SetWindowPos(f.window, nullptr, 300, 250, 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(Str(WindowRect(f.window)), "(100, 100, 500, 400)");
  ASSERT_TRUE(HandleFrameCommand(f, kCmdLockSize));
  SetWindowPos(f.window, nullptr, 0, 0, 600, 500, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  EXPECT_EQ(Str(WindowRect(f.window)), "(100, 100, 500, 400)");
  // The framework's own moves go past the locks and keep them.
  f.MoveFrame(120, 130, 300, 200, 0);
  EXPECT_EQ(Str(WindowRect(f.window)), "(120, 130, 420, 330)");
  EXPECT_EQ(Str(f.placement), "(120, 130, 420, 330)");
  EXPECT_EQ(f.flags & kFrameLockBits, kFrameLockPosition | kFrameLockSize);
  // Lock All with some locks set sets all four, then clears all four.
  ASSERT_TRUE(HandleFrameCommand(f, kCmdLockAll));
  EXPECT_EQ(f.flags & kFrameLockBits, kFrameLockBits);
  ASSERT_TRUE(HandleFrameCommand(f, kCmdLockAll));
  EXPECT_EQ(f.flags & kFrameLockBits, 0u);
  SetWindowPos(f.window, nullptr, 10, 20, 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(Str(WindowRect(f.window)), "(10, 20, 310, 220)");
}

TEST_F(FrameWindowTest, DpiChangeBeforeTheWindowWasEverShown) {
  CFrameWindow& f = *MakeFrame(6, kFrameSizable, 100, 100, 400, 300);
  ASSERT_EQ(f.dpi, 0);
  RECT suggested{150, 120, 750, 570};
  SendMessageA(f.window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(f.dpi, 144);
  EXPECT_EQ(Str(WindowRect(f.window)), Str(suggested));
  bool fontsFor144 = false;
  for (const auto& set : gApp.theme.fontSets) {
    for (const FontRecord& font : set) fontsFor144 = fontsFor144 || (font.dpi == 144 && font.font.Valid());
  }
  EXPECT_TRUE(fontsFor144);
  // A message without a DPI changes nothing.
  SendMessageA(f.window, WM_DPICHANGED, 0, 0);
  EXPECT_EQ(f.dpi, 144);
}

TEST_F(FrameWindowTest, TabCyclesThroughTheVisibleTabStops) {
  CFrameWindow& f = *MakeFrame(8, kFrameSizable, 100, 100, 400, 300);
  EXPECT_FALSE(f.MoveFocusToNextTabStop(1));  // none yet
  f.ShowFrame(SW_SHOWNORMAL, false);
  HWND buttons[3];
  for (int i = 0; i < 3; ++i) {
    const DWORD tabStop = i == 1 ? 0 : WS_TABSTOP;  // the middle one is no tab stop
    buttons[i] = CreateWindowExA(0, "BUTTON", "b", WS_CHILD | WS_VISIBLE | tabStop, 10 + 60 * i, 10, 50, 20,
                                 f.window, nullptr, gApp.hInstance, nullptr);
  }
  SetFocus(f.window);
  const struct {
    int step;
    HWND focus;
  } steps[] = {{1, buttons[0]}, {1, buttons[2]}, {1, buttons[0]}, {-1, buttons[2]}};
  for (const auto& s : steps) {
    ASSERT_TRUE(f.MoveFocusToNextTabStop(s.step));
    EXPECT_EQ(GetFocus(), s.focus);
  }
  EXPECT_EQ(CountOf(WM_FW_TABORDER), 4);
}

TEST_F(FrameWindowTest, BusyOverlayCoversTheClientAreaWhileDialogsRun) {
  CFrameWindow& f = *MakeFrame(9, 0, 100, 100, 400, 300);
  SendMessageA(f.window, WM_FW_MODALDEPTH, 1, 0);
  const HWND overlay = f.busyOverlay;
  ASSERT_NE(overlay, nullptr);
  char cls[32] = {};
  GetClassNameA(overlay, cls, sizeof cls);
  EXPECT_STREQ(cls, kBusyOverlayClass);
  RECT client{}, covered{};
  GetClientRect(f.window, &client);
  GetClientRect(overlay, &covered);
  EXPECT_EQ(Str(covered), Str(client));
  SendMessageA(f.window, WM_FW_MODALDEPTH, 2, 0);
  EXPECT_EQ(f.busyOverlay, overlay);
  SendMessageA(f.window, WM_FW_MODALDEPTH, 0, 0);
  EXPECT_EQ(f.busyOverlay, nullptr);
  EXPECT_FALSE(IsWindow(overlay));
}

TEST_F(FrameWindowTest, WindowsAreDestroyedOnceWhicheverGoesFirst) {
  test_support::FakeNotificationArea tray;
  ASSERT_TRUE(tray.IsTheShellsOwn()) << "another notification area is running";
  // The hidden window owns the framework windows and takes them with it.
  gApp.appWindow = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "owner", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                   gApp.hInstance, nullptr);
  const HWND owner = gApp.appWindow;
  const HWND a = MakeFrame(1, 0, 10, 10, 200, 150)->window;
  const HWND b = MakeFrame(2, 0, 20, 20, 200, 150)->window;
  ASSERT_EQ(GetWindow(a, GW_OWNER), owner);
  ASSERT_EQ(SetTrayIcon(1, 1, "a"), 1);
  ASSERT_EQ(SetTrayIcon(2, 1, "b"), 1);
  DestroyAllWindows();
  EXPECT_FALSE(IsWindow(owner) || IsWindow(a) || IsWindow(b));
  EXPECT_EQ(gApp.appWindow, nullptr);
  EXPECT_EQ(gApp.windows.Count(), 0);
  EXPECT_EQ(CountOf(WM_DESTROY), 2);
  // Each tray icon was removed while its window still existed to name it.
  EXPECT_TRUE(tray.icons.empty());
  EXPECT_EQ(test_support::ReadWholeFile(data_ / "(Orvo)App.oqc").size(), sizeof(AppSettingsRecord));

  // A window destroyed by someone else leaves the object without a handle.
  CFrameWindow& c = *MakeFrame(3, 0, 10, 10, 200, 150);
  DestroyWindow(c.window);
  EXPECT_EQ(c.window, nullptr);
  c.DestroyFrame();
  EXPECT_EQ(CountOf(WM_DESTROY), 3);
}

TEST_F(FrameWindowTest, DrawsTheCustomColourSwatchesOfTheWindowMenu) {
  CFrameWindow& f = *MakeFrame(10, 0, 100, 100, 200, 150);
  DrawIconRequest size{kCmdCustomBackground, RECT{}};
  SendMessageA(f.window, WM_FW_DRAWICON, 0, reinterpret_cast<LPARAM>(&size));
  EXPECT_EQ(Str(size.rect), "(0, 0, 16, 16)");

  gApp.theme.slots[3] = RGB(1, 2, 3);
  gApp.settings.customColor3 = RGB(200, 100, 50);  // index 2, "Focus"
  test_support::DibSurface surface(16, 16);
  ASSERT_TRUE(surface.Valid());
  DrawIconRequest draw{kCmdCustomFocus, RECT{0, 0, 16, 16}};
  SendMessageA(f.window, WM_FW_DRAWICON, reinterpret_cast<WPARAM>(surface.dc()), reinterpret_cast<LPARAM>(&draw));
  // Along the diagonal: untouched margin, the 1-pixel outline, the swatch inside.
  const COLORREF expected[] = {RGB(255, 255, 255), RGB(1, 2, 3), RGB(200, 100, 50), RGB(200, 100, 50), RGB(1, 2, 3)};
  const int at[] = {3, 4, 5, 10, 11};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(surface.At(at[i], at[i]), expected[i]) << at[i];
}

// ---- a framework window as the user sees it -----------------------------

TEST_F(FrameWindowTest, DrawnWindowIsSavedAsAnImage) {
  ComputeAppColours();
  CFrameWindow& f = *MakeFrame(11, kFrameSizable | kFrameShowOnTaskbar, 40, 40, 480, 300);
  f.ShowFrame(SW_SHOWNORMAL, false);
  RedrawWindow(f.window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  const RECT r = WindowRect(f.window);
  const int w = r.right - r.left, h = r.bottom - r.top;

  test_support::DibSurface surface(w, h);
  ASSERT_TRUE(surface.Valid());
  // The window's own surface, frame and caption included.
  const HDC windowDc = GetWindowDC(f.window);
  ASSERT_NE(windowDc, nullptr);
  ASSERT_TRUE(BitBlt(surface.dc(), 0, 0, w, h, windowDc, 0, 0, SRCCOPY));
  ReleaseDC(f.window, windowDc);
  const std::vector<std::uint32_t> pixels = surface.Pixels();

  // The client area has the product's colour; the frame and caption do not.
  POINT inside{0, 0};
  ClientToScreen(f.window, &inside);
  const int cx = inside.x - r.left + 4, cy = inside.y - r.top + 4;
  const std::uint32_t clientColour = SwapRedBlue(gApp.theme.slots[0]);
  EXPECT_EQ(pixels[static_cast<std::size_t>(cy * w + cx)], clientColour);
  EXPECT_GT(cy, 4);  // there is a caption above the client area
  const auto framePixels = std::count_if(pixels.begin(), pixels.begin() + (cy - 4) * w,
                                         [&](std::uint32_t v) { return (v & 0xFFFFFF) != clientColour; });
  EXPECT_GT(framePixels, w);
  // Shown, it is the active framework window and draws its caption active.
  const std::uint32_t caption = pixels[static_cast<std::size_t>((cy - 4) / 2 * w + w / 2)] & 0xFFFFFF;
  EXPECT_EQ(caption, SwapRedBlue(GetSysColor(COLOR_ACTIVECAPTION))) << std::hex << caption;

  const char* env = std::getenv("VELTRANO_FRAME_IMAGE");
  const std::string path = env != nullptr && env[0] != '\0' ? env : "framework_window.png";
  EXPECT_TRUE(test_support::WritePng(path, pixels, w, h)) << path;
}

}  // namespace
