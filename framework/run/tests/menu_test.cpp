// Popup menus on a framework window, driven by real messages through the
// message loop's pre-translation: keys posted to the window, clicks sent as
// input, and the window menu's commands seen in the window's styles.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "framework/run/message_loop.h"
#include "framework/ui/bar.h"
#include "framework/ui/item_commands.h"
#include "framework/ui/menu_item.h"
#include "framework/ui/tray_icon.h"
#include "framework/ui/window_menu.h"
#include "tests/support/ui/ui_test_fixture.h"

namespace {

// A menu of our own: two commands, a separator, a thin spacer, a text and a
// submenu with two more commands.
constexpr std::uint16_t kMenu = 0x5100;
constexpr std::uint16_t kOpen = 0x5101;
constexpr std::uint16_t kSave = 0x5102;
constexpr std::uint16_t kNote = 0x5103;
constexpr std::uint16_t kMore = 0x5104;
constexpr std::uint16_t kCut = 0x5105;
constexpr std::uint16_t kPaste = 0x5106;
constexpr std::uint16_t kBroken = 0x5107;
constexpr std::uint16_t kEmpty = 0x5108;
std::uint16_t gMenuEntries[] = {kOpen, kSave, 0xF000, 0xF001, kNote, kMore, 0xFFFF};
std::uint16_t gMoreEntries[] = {kCut, kPaste, 0xFFFF};
std::uint16_t gBrokenEntries[] = {kOpen, 0x7777, 0xFFFF};
std::uint16_t gNoEntries[] = {0xFFFF};

class MenuTest : public ui_test::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    AddStandardCommands();
    static char open[] = "Open";
    static char save[] = "Save";
    static char note[] = "#0@50 Half";
    static char more[] = "More";
    static char cut[] = "Cut";
    static char paste[] = "Paste";
    static TextRecord product[] = {{kOpen, {open}}, {kSave, {save}},   {kNote, {note}},    {kMore, {more}},
                                   {kCut, {cut}},   {kPaste, {paste}}, {kTextTableEnd, {}}};
    InstallAppTexts(product);
    Add(kMenu, CommandKind::kPopup, 0, 0xFFFF, gMenuEntries);
    for (std::uint16_t id : {kOpen, kSave, kCut, kPaste}) Add(id, CommandKind::kButton, 0, 0xFFFF);
    Add(kNote, CommandKind::kStatic, 0, 0xFFFF);
    Add(kMore, CommandKind::kPopup, 0, 0xFFFF, gMoreEntries);
    Add(kBroken, CommandKind::kPopup, 0, 0xFFFF, gBrokenEntries);
    Add(kEmpty, CommandKind::kPopup, 0, 0xFFFF, gNoEntries);
    frame = MakeFrame(9, kFrameSizable, 300, 200, 400, 300);
    ASSERT_NE(frame, nullptr);
    frame->ShowFrame(SW_SHOWNORMAL, false);
    Pump();
    ASSERT_TRUE(test_support::MoveCursorTo(40, 40));
  }
  void TearDown() override {
    (void)ClosePopupMenu(nullptr);
    UiTest::TearDown();
  }

  // WM_FW_COMMAND as the product's window heard it.
  std::vector<WPARAM> Commands() const {
    std::vector<WPARAM> out;
    for (const ui_test::Sent& s : log.Of(WM_FW_COMMAND, frame->window)) out.push_back(s.wParam);
    return out;
  }
  // Takes the waiting messages through the loop's pre-translation, as the
  // program's message loop does.
  static void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) PreTranslateMessage(&msg);
  }
  // Input goes through the system's queue: it is waited for, up to a bound.
  template <typename Done>
  static bool PumpUntil(Done done) {
    return test_support::WaitUntil(
        [&] {
          Pump();
          return done();
        },
        10000);
  }
  void Key(WPARAM key) {
    PostMessageA(frame->window, key == VK_MENU ? WM_SYSKEYUP : WM_KEYDOWN, key, 1);
    Pump();
  }
  static CMenu* Root() { return dynamic_cast<CMenu*>(gApp.openPopupItem); }
  static int Hot(const CMenu* menu) { return HotEntryIndex(menu); }
  static bool Click(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    if (!test_support::MoveCursorTo((r.left + r.right) / 2, (r.top + r.bottom) / 2)) return false;
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    return SendInput(2, in, sizeof(INPUT)) == 2;
  }
  LONG ExStyle() const { return GetWindowLongA(frame->window, GWL_EXSTYLE); }

  CFrameWindow* frame = nullptr;
};

TEST_F(MenuTest, WindowMenuIsWalkedByKeyboardAndItsCommandsChangeTheWindow) {
  SendMessageA(frame->window, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
  CMenu* root = Root();
  ASSERT_NE(root, nullptr);
  ASSERT_TRUE(root->isOpen);
  EXPECT_TRUE(IsWindowVisible(root->popup));
  EXPECT_EQ(root->entries.Count(), 7);
  RECT r{};
  GetWindowRect(root->popup, &r);
  EXPECT_EQ(r.left, 40);  // top-left corner at the cursor
  EXPECT_EQ(r.top, 40);
  EXPECT_NE(GetForegroundWindow(), root->popup);  // never activated
  EXPECT_NE(GetWindowLongA(root->popup, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);

  // "Always on Top" is the first entry; Enter runs it and closes the menu.
  Key(VK_DOWN);
  EXPECT_EQ(Hot(root), 0);
  Key(VK_RETURN);
  EXPECT_NE(ExStyle() & WS_EX_TOPMOST, 0);
  EXPECT_EQ(Root(), nullptr);
  EXPECT_FALSE(IsWindowVisible(root->popup));

  // Down to "Caption", whose submenu opens; Right enters it, Escape leaves
  // it and keeps the window menu open.
  SendMessageA(frame->window, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
  root = Root();
  ASSERT_NE(root, nullptr);
  for (int i = 0; i < 3; ++i) Key(VK_DOWN);
  EXPECT_EQ(Hot(root), 2);
  CMenu* caption = root->openChild;
  ASSERT_NE(caption, nullptr);
  ASSERT_EQ(caption->entries.Count(), 4);
  EXPECT_EQ(caption->holder, root);
  Key(VK_RIGHT);
  EXPECT_EQ(Hot(caption), 0);
  EXPECT_EQ(Hot(root), -1);
  Key(VK_LEFT);  // back to the entry that opened it
  EXPECT_EQ(Hot(root), 2);
  Key(VK_RIGHT);
  Key(VK_DOWN);
  EXPECT_EQ(Hot(caption), 1);
  Key(VK_ESCAPE);
  EXPECT_EQ(root->openChild, nullptr);
  EXPECT_EQ(Root(), root);
  EXPECT_TRUE(IsWindowVisible(root->popup));
  // Back in: "No Caption" takes the caption away.
  Key(VK_DOWN);
  EXPECT_EQ(Hot(root), 0);
  Key(VK_DOWN);
  Key(VK_DOWN);
  Key(VK_RIGHT);
  ASSERT_NE(root->openChild, nullptr);
  Key(VK_DOWN);
  Key(VK_DOWN);
  Key(VK_RETURN);
  EXPECT_EQ(GetWindowLongA(frame->window, GWL_STYLE) & WS_CAPTION, WS_DLGFRAME);
  EXPECT_EQ(Root(), nullptr);

  // Alt closes every level at once.
  SendMessageA(frame->window, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
  root = Root();
  ASSERT_NE(root, nullptr);
  Key(VK_UP);  // wraps to "Transparency"
  ASSERT_NE(root->openChild, nullptr);
  Key(VK_RIGHT);
  EXPECT_EQ(Hot(root->openChild), 0);
  Key(VK_MENU);
  EXPECT_EQ(Root(), nullptr);
  EXPECT_EQ(gApp.popupNavigation, 0);
  EXPECT_FALSE(IsWindowVisible(root->popup));

  // Transparency 50%: "Off", the separator skipped, then 10% to 50%.
  SendMessageA(frame->window, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
  Key(VK_UP);
  Key(VK_RIGHT);
  for (int i = 0; i < 5; ++i) Key(VK_DOWN);
  Key(VK_RETURN);
  EXPECT_EQ(frame->transparency, 50);
  ASSERT_NE(ExStyle() & WS_EX_LAYERED, 0);
  BYTE alpha = 0;
  DWORD how = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(frame->window, nullptr, &alpha, &how));
  EXPECT_NE(how & LWA_ALPHA, 0u);
  EXPECT_EQ(alpha, 127);
  EXPECT_EQ(Commands().size(), 3u);
}

TEST_F(MenuTest, ClicksRunEntriesOfTheMenuAndItsSubmenuAndAClickElsewhereClosesIt) {
  const POINT at{60, 50};
  CMenu* menu = static_cast<CMenu*>(ShowPopupMenu(kMenu, &at, frame->window));
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(menu->entries.Count(), 6);
  // The plain items from their kinds; the separators measure themselves.
  const int types[] = {1, 1, 0, 0, 2, 3};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(menu->entries[i]->type, types[i]) << i;
  EXPECT_EQ(menu->entries[2]->height, 6);
  EXPECT_EQ(menu->entries[3]->height, 3);
  EXPECT_EQ(menu->entries[2]->width, menu->entries[0]->width);  // stretched to the popup

  ASSERT_TRUE(Click(menu->entries[1]->window));
  ASSERT_TRUE(PumpUntil([this] { return !Commands().empty(); }));
  EXPECT_EQ(LOWORD(Commands()[0]), kSave);
  EXPECT_EQ(HIWORD(Commands()[0]), 1);
  EXPECT_EQ(Root(), nullptr);

  // Hovering the submenu entry opens it; a click inside the submenu lands
  // there instead of closing the menus first.
  ASSERT_NE(ShowPopupMenu(kMenu, &at, frame->window), nullptr);
  RECT more{};
  GetWindowRect(menu->entries[5]->window, &more);
  ASSERT_TRUE(test_support::MoveCursorTo(more.left + 5, more.top + 3));
  ASSERT_TRUE(PumpUntil([menu] { return menu->openChild != nullptr; }));
  CMenu* sub = menu->openChild;
  RECT subRect{};
  GetWindowRect(sub->popup, &subRect);
  EXPECT_EQ(subRect.left, more.right - 2);  // beside its entry
  log.sent.clear();
  ASSERT_TRUE(Click(sub->entries[1]->window));
  ASSERT_TRUE(PumpUntil([this] { return !Commands().empty(); }));
  EXPECT_EQ(LOWORD(Commands()[0]), kPaste);
  EXPECT_EQ(Root(), nullptr);

  // A click on the window outside closes the menu and runs nothing.
  ASSERT_NE(ShowPopupMenu(kMenu, &at, frame->window), nullptr);
  log.sent.clear();
  RECT client{};
  GetWindowRect(frame->window, &client);
  ASSERT_TRUE(test_support::MoveCursorTo(client.right - 30, client.bottom - 30));
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ASSERT_EQ(SendInput(2, in, sizeof(INPUT)), 2u);
  ASSERT_TRUE(PumpUntil([] { return Root() == nullptr; }));
  EXPECT_FALSE(IsWindowVisible(menu->popup));
  EXPECT_TRUE(Commands().empty());
}

TEST_F(MenuTest, APopupThatCannotOpenOrHasClosedLeavesNoOpenRootBehind) {
  const POINT at{60, 50};
  SetLastError(0);
  EXPECT_EQ(ShowPopupMenu(kBroken, &at, frame->window), nullptr);
  EXPECT_EQ(GetLastError(), kStatusUnknownCommand);
  EXPECT_EQ(gApp.openPopupItem, nullptr);
  EXPECT_EQ(frame->openPopup, nullptr);
  // An empty list shows nothing and is no open menu either.
  CMenu* empty = static_cast<CMenu*>(ShowPopupMenu(kEmpty, &at, frame->window));
  ASSERT_NE(empty, nullptr);
  EXPECT_FALSE(IsWindowVisible(empty->popup));
  EXPECT_EQ(gApp.openPopupItem, nullptr);
  EXPECT_EQ(frame->openPopup, nullptr);
  // A good menu opens afterwards as the root.
  CUIItem* menu = ShowPopupMenu(kMenu, &at, frame->window);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(gApp.openPopupItem, frame->openPopup);
  EXPECT_NE(gApp.openPopupItem, nullptr);
  // Closed by itself (as an owner closes it), the window forgets it too.
  menu->ClosePopup();
  EXPECT_EQ(gApp.openPopupItem, nullptr);
  EXPECT_EQ(frame->openPopup, nullptr);
}

TEST_F(MenuTest, WindowMenuListsTheWindowsBarsAsFarAsItsListHolds) {
  std::vector<CBar> bars(80);
  for (std::size_t i = 0; i < bars.size(); ++i) {
    bars[i].id = static_cast<std::uint16_t>(0x6000 + i);
    bars[i].frameId = i == 1 ? 77 : frame->id;  // one bar of another window
    bars[i].flags = i % 2 == 0 ? kBarVisible : 0;
    ASSERT_GE(gApp.bars.Append(&bars[i]), 0);
    Add(bars[i].id, CommandKind::kButton, 0, 0xFFFF);
  }
  int count = 0;
  BuildWindowMenu(*frame, &count);
  EXPECT_EQ(count, kWindowMenuSize - 1);
  EXPECT_EQ(frame->windowMenu[0], 0x6000);
  EXPECT_EQ(frame->windowMenu[1], 0x6002);
  EXPECT_EQ(frame->windowMenu[count - 8], kCmdSeparator);
  EXPECT_EQ(frame->windowMenu[count - 1], kCmdTransparencyMenu);
  EXPECT_EQ(frame->windowMenu[count], kMenuListEnd);
  CommandRecord record{};
  ASSERT_EQ(GetCommand(0x6000, &record), kStatusOk);
  EXPECT_NE(record.flags & kCommandChecked, 0u);
  ASSERT_EQ(GetCommand(0x6003, &record), kStatusOk);
  EXPECT_EQ(record.flags & kCommandChecked, 0u);
  ASSERT_EQ(GetCommand(kCmdLockBarSizes, &record), kStatusOk);
  EXPECT_NE(record.flags & kCommandEnabled, 0u);

  // A bar's entry shows or hides the bar.
  EXPECT_TRUE(HandleFrameCommand(*frame, 0x6003));
  EXPECT_NE(bars[3].flags & kBarVisible, 0);
  EXPECT_TRUE(HandleFrameCommand(*frame, 0x6003));
  EXPECT_EQ(bars[3].flags & kBarVisible, 0);
  gApp.bars.Clear();
  EXPECT_FALSE(HandleFrameCommand(*frame, 0x6003));
}

}  // namespace
