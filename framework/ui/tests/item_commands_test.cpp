#include "framework/ui/item_commands.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/ui/bar.h"
#include "framework/ui/dock_bay.h"
#include "tests/support/ui/ui_test_fixture.h"

namespace {

using ui_test::Sent;

std::map<HWND, CUIItem*> gOpenIn;  // the popup each window was told is open in it
LRESULT gPopupClickAnswer = 0;
constexpr UINT kWhoAreYou = WM_APP + 5;

std::optional<LRESULT> Answer(HWND window, UINT message, WPARAM, LPARAM lParam) {
  switch (message) {
    case WM_FW_SETPOPUP:
      gOpenIn[window] = reinterpret_cast<CUIItem*>(lParam);
      return 0;
    case WM_FW_GETPOPUP:
      return reinterpret_cast<LRESULT>(gOpenIn[window]);
    case WM_FW_POPUPCLICK:
      return gPopupClickAnswer;
    case kWhoAreYou:
      return reinterpret_cast<LRESULT>(window);
    default:
      return std::nullopt;
  }
}

// The hint the window shows (the status text of the item under the mouse),
// empty when none.
std::string HintOf(const CFrameWindow* frame) {
  for (const StatusEntry& entry : frame->statusTexts) {
    if (entry.key == kStatusKeyHint) return entry.text;
  }
  return "";
}

// A popup entry that keeps track of its popup the way the menu item does:
// opening tells the parent and makes it the open root when there is none.
class FakeMenu : public CUIItem {
 public:
  FakeMenu() { type = kMenuItemType; }
  std::uint32_t OpenPopup(const RECT&) override {
    ++opened;
    isOpen = true;
    SendMessageA(GetParent(window), WM_FW_SETPOPUP, 0, reinterpret_cast<LPARAM>(this));
    if (gApp.openPopupItem == nullptr) gApp.openPopupItem = this;
    return 0;
  }
  void ClosePopup() override {
    ++closed;
    isOpen = false;
    if (gApp.openPopupItem == this) gApp.openPopupItem = nullptr;
  }
  bool IsCursorOnSubmenuArrow() const override { return onArrow; }
  int opened = 0;
  int closed = 0;
  bool isOpen = false;
  bool onArrow = false;
};

// A framework window (id 7) holding a bar window, with the items made on it.
class CommandTableTest : public ui_test::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    gOpenIn.clear();
    gPopupClickAnswer = 0;
    log.answer = &Answer;
    log.extra = {WM_MOUSEMOVE, WM_MOUSELEAVE, WM_PAINT, WM_SIZE};
    frame = MakeShownFrame(7);
    ASSERT_NE(frame, nullptr);
    barWindow = MakeWindow(frame->window);
    owner = MakeWindow(nullptr, false);
  }
  void TearDown() override {
    items_.clear();
    UiTest::TearDown();
  }

  // Shown: hidden items neither paint nor take part in the navigation.
  static CFrameWindow* MakeShownFrame(std::uint16_t id) {
    CFrameWindow* made = MakeFrame(id);
    if (made != nullptr) ShowWindow(made->window, SW_SHOWNOACTIVATE);
    return made;
  }
  HWND MakeWindow(HWND parent, bool visible = true) {
    return UiTest::MakeWindow(parent, 0, 0, 40, 20, visible ? WS_VISIBLE : 0);
  }
  template <typename Item = CUIItem>
  Item* AddItem(std::uint16_t id, HWND parent = nullptr, bool visible = true) {
    auto item = std::make_unique<Item>();
    item->id = id;
    item->owner = owner;
    item->window = MakeWindow(parent != nullptr ? parent : barWindow, visible);
    Item* raw = item.get();
    items_.push_back(std::move(item));
    return raw;
  }
  // The bar lies on the test window, holds the items and is known to the application.
  void AddBar(CBar& bar, std::initializer_list<CUIItem*> items) {
    bar.frameId = frame->id;
    for (CUIItem* item : items) ASSERT_GE(bar.items.Append(item), 0);
    ASSERT_GE(gApp.bars.Append(&bar), 0);
  }
  // The hint shown for the item in the window that owns the open popup.
  void ShowHintInFrame(CUIItem* item) {
    gApp.openPopupWindowId = frame->id;
    ShowItemHint(item);
    ASSERT_NE(HintOf(frame), "");
  }
  std::size_t Count(HWND window, UINT message) const { return log.Count(message, window); }
  Sent OnlySent(HWND window, UINT message) const { return log.Only(message, window); }
  // How often the window was laid out again: each re-layout sends WM_SIZE twice.
  int RelayoutCount(const CFrameWindow* f) const { return static_cast<int>(Count(f->window, WM_SIZE)) / 2; }

  CFrameWindow* frame = nullptr;
  HWND barWindow = nullptr;
  HWND owner = nullptr;

 private:
  std::vector<std::unique_ptr<CUIItem>> items_;
};

TEST_F(CommandTableTest, UnknownIdsChangeNothingAndAReplacedRecordKeepsItsId) {
  Add(10, CommandKind::kButton);
  CommandRecord r{};
  EXPECT_EQ(GetCommand(11, &r), kStatusUnknownCommand);
  EXPECT_EQ(EnableCommand(11, false), kStatusUnknownCommand);
  EXPECT_EQ(SetCommandChecked(11, true), kStatusUnknownCommand);
  EXPECT_EQ(ReplaceCommandRecord(11, r), kStatusUnknownCommand);
  EXPECT_EQ(gApp.commands.Count(), 1);
  EXPECT_EQ(Flags(10), 0x1001u);

  // Replacing a record keeps its id and repaints its items.
  Add(30, CommandKind::kButton);
  CUIItem* a = AddItem(30);
  CommandRecord copy{};
  ASSERT_EQ(GetCommand(10, &copy), kStatusOk);
  copy.id = 40;
  copy.flags = 0x801;
  log.sent.clear();
  EXPECT_EQ(ReplaceCommandRecord(30, copy), kStatusOk);
  EXPECT_EQ(Flags(30), 0x801u);
  EXPECT_EQ(FindCommandIndex(40), -1);
  EXPECT_EQ(FindCommandIndex(30), 1);
  EXPECT_EQ(Count(a->window, WM_PAINT), 1u);
}

TEST_F(CommandTableTest, DisablingAHotPressedCommandClearsAllThreeAndRepaintsItsItemsOnce) {
  Add(10, CommandKind::kButton, 0, 0xF110);
  Add(20, CommandKind::kButton);
  CUIItem* a = AddItem(10);
  CUIItem* b = AddItem(10);
  CUIItem* other = AddItem(20);
  SetItemStateFlags(a, kCommandHot | kCommandPressed, 0);
  ShowHintInFrame(a);
  log.sent.clear();

  EXPECT_EQ(EnableCommand(10, false), kStatusOk);
  EXPECT_EQ(Flags(10), 0x1000u);
  EXPECT_EQ(Count(a->window, WM_PAINT), 1u);
  EXPECT_EQ(Count(b->window, WM_PAINT), 1u);
  EXPECT_EQ(Count(other->window, WM_PAINT), 0u);
  EXPECT_EQ(HintOf(frame), "");  // the hint of the window that owns the open popup goes

  log.sent.clear();
  EXPECT_EQ(EnableCommand(10, false), kStatusOk);  // no change: nothing repainted
  EXPECT_EQ(Count(a->window, WM_PAINT), 0u);
  EXPECT_EQ(SetCommandChecked(10, true), kStatusOk);
  EXPECT_EQ(Flags(10), 0x1800u);
  EXPECT_EQ(Count(a->window, WM_PAINT), 1u);
}

TEST_F(CommandTableTest, AnItemIsHotWhileThePointerIsOverItAndClickingRunsItsCommand) {
  Add(0xF110, CommandKind::kButton, 0, 0xF110);
  Add(kSeparatorCommandId, CommandKind::kSeparator);
  CUIItem* item = AddItem(0xF110);
  CUIItem* separator = AddItem(kSeparatorCommandId);

  EnterCommandItem(item);
  EXPECT_EQ(Flags(0xF110), 0x1201u);
  ShowItemHint(item);
  EXPECT_EQ(HintOf(frame), "Keeps the window on top of all others");
  LeaveCommandItem(item);
  EXPECT_EQ(Flags(0xF110), 0x1001u);
  EXPECT_EQ(HintOf(frame), "");
  EXPECT_EQ(gApp.hintItem, nullptr);

  MarkItemActive(item);
  EXPECT_EQ(Flags(0xF110), 0x1401u);
  ActivateCommandItem(item, 2);
  EXPECT_EQ(Flags(0xF110), 0x1001u);
  EXPECT_EQ(OnlySent(owner, WM_FW_COMMAND).wParam, MAKEWPARAM(0xF110, 2));

  NotifyCommandOwner(item, 1);
  EXPECT_EQ(OnlySent(owner, WM_FW_DBLCLICK).wParam, MAKEWPARAM(0xF110, 1));

  log.sent.clear();
  ActivateCommandItem(separator, 1);
  EXPECT_EQ(Count(owner, WM_FW_COMMAND), 0u);
}

TEST_F(CommandTableTest, InsideARunningPopupTheChoiceIsKeptAndItemsOutsideDoNotReact) {
  Add(1, CommandKind::kPopup);
  Add(2, CommandKind::kButton);
  FakeMenu* running = AddItem<FakeMenu>(1);
  CUIItem* inside = AddItem(2);
  inside->holder = running;
  CUIItem* outside = AddItem(2);
  gApp.runningPopup = running;

  EnterCommandItem(outside);
  EXPECT_EQ(Flags(2), 0x1001u);
  ActivateCommandItem(inside, 1);
  EXPECT_EQ(gApp.chosenCommand, 2);
  EXPECT_EQ(Count(owner, WM_FW_COMMAND), 0u);
}

TEST_F(CommandTableTest, APopupEntryOpensOnAClickASecondClickOnlyClosesItAndNavigationMovesIt) {
  Add(1, CommandKind::kPopup);
  FakeMenu* menu = AddItem<FakeMenu>(1);
  ActivateCommandItem(menu, 1);
  EXPECT_EQ(menu->opened, 1);
  EXPECT_EQ(gOpenIn[barWindow], menu);
  EXPECT_EQ(gApp.openPopupItem, menu);

  ActivateCommandItem(menu, 1);
  EXPECT_EQ(menu->closed, 1);
  EXPECT_EQ(menu->opened, 1);
  EXPECT_EQ(gOpenIn[barWindow], nullptr);
  EXPECT_EQ(gApp.openPopupItem, nullptr);
  EXPECT_EQ(Count(owner, WM_FW_COMMAND), 0u);

  // While navigating, entering another menu moves the open popup to it.
  Add(2, CommandKind::kPopup, 0, 0xF110);
  FakeMenu* second = AddItem<FakeMenu>(2);
  gApp.popupNavigation = 1;
  ActivateCommandItem(menu, 1);
  ASSERT_EQ(gOpenIn[barWindow], menu);
  EnterCommandItem(second);
  EXPECT_EQ(menu->closed, 2);
  EXPECT_EQ(second->opened, 1);
  EXPECT_EQ(gOpenIn[barWindow], second);
  EXPECT_EQ(gApp.popupNavigation, 1);

  ShowHintInFrame(second);
  EXPECT_EQ(ClosePopupMenu(nullptr), nullptr);
  EXPECT_EQ(second->closed, 1);
  EXPECT_EQ(gOpenIn[barWindow], nullptr);
  EXPECT_EQ(gApp.popupNavigation, 0);
  EXPECT_EQ(HintOf(frame), "");
}

TEST_F(CommandTableTest, ASplitEntryOpensFromItsArrowOrWhenItsOwnerAsksAndRunsItsCommandOtherwise) {
  Add(1, CommandKind::kPopup, kCommandSplitPopup);
  FakeMenu* split = AddItem<FakeMenu>(1);

  ActivateCommandItem(split, 1);
  EXPECT_EQ(split->opened, 0);
  ASSERT_EQ(Count(owner, WM_FW_COMMAND), 1u);
  EXPECT_EQ(OnlySent(owner, WM_FW_POPUPCLICK).wParam, 1u);

  gPopupClickAnswer = 1;
  ActivateCommandItem(split, 1);
  EXPECT_EQ(split->opened, 1);
  (void)ClosePopupMenu(nullptr);

  gPopupClickAnswer = 0;
  split->onArrow = true;
  MarkItemActive(split);
  EXPECT_EQ(Flags(1) & (kCommandArrowPressed | kCommandPressed), kCommandArrowPressed);
  ActivateCommandItem(split, 1);
  EXPECT_EQ(split->opened, 2);
  EXPECT_EQ(Flags(1) & kCommandArrowPressed, 0u);
}

TEST_F(CommandTableTest, NavigationWithNothingToNavigateEndsAndLetsTheKeyThrough) {
  EXPECT_EQ(NavigateBarItems(kMenuNavigateStart), 1);  // no active framework window

  gApp.openPopupWindowId = frame->id;
  gApp.popupNavigation = 1;
  EXPECT_EQ(NavigateBarItems(kMenuNavigateStart), 1);  // a window without bars
  EXPECT_EQ(Count(frame->window, WM_FW_MENUNAVIGATE), 1u);
  EXPECT_EQ(gApp.popupNavigation, 0);

  // A bar whose menus are all disabled.
  Add(1, CommandKind::kPopup);
  ASSERT_EQ(EnableCommand(1, false), kStatusOk);
  FakeMenu* menu = AddItem<FakeMenu>(1);
  menu->topLevelMenu = 1;
  CBar bar;
  AddBar(bar, {menu});
  EXPECT_EQ(NavigateBarItems(kMenuNavigateStart), 1);
  EXPECT_EQ(gApp.popupNavigation, 0);
  EXPECT_EQ(menu->opened, 0);
}

TEST_F(CommandTableTest, NavigationMovesThroughTheTopLevelMenusOfTheActiveWindow) {
  for (std::uint16_t id = 1; id <= 5; ++id) Add(id, CommandKind::kPopup);
  Add(6, CommandKind::kButton);
  ASSERT_EQ(EnableCommand(2, false), kStatusOk);
  FakeMenu* m1 = AddItem<FakeMenu>(1);
  FakeMenu* m2 = AddItem<FakeMenu>(2);                       // disabled
  FakeMenu* m3 = AddItem<FakeMenu>(3, nullptr, false);       // hidden
  FakeMenu* m4 = AddItem<FakeMenu>(4);
  FakeMenu* m5 = AddItem<FakeMenu>(5);                       // no top-level menu
  CUIItem* button = AddItem(6);
  for (FakeMenu* m : {m1, m2, m3, m4}) m->topLevelMenu = 1;
  CBar bar;
  AddBar(bar, {m1, m2, m3, m4, m5, button});
  gApp.openPopupWindowId = frame->id;

  EXPECT_EQ(NavigateBarItems(kMenuNavigateStart), 0);
  EXPECT_EQ(gApp.navigationItems.Count(), 4);
  EXPECT_EQ(gApp.popupNavigation, 1);
  EXPECT_EQ(gApp.openPopupItem, m1);
  EXPECT_EQ(OnlySent(m1->window, WM_MOUSEMOVE).lParam, -1);

  const struct {
    int mode;
    FakeMenu* reached;
  } steps[] = {{kMenuNavigateNext, m4}, {kMenuNavigateNext, m1}, {kMenuNavigatePrevious, m4}};
  for (const auto& s : steps) {
    FakeMenu* before = static_cast<FakeMenu*>(gApp.openPopupItem);
    EXPECT_EQ(NavigateBarItems(s.mode), 0);
    EXPECT_FALSE(before->isOpen);
    EXPECT_EQ(gApp.openPopupItem, s.reached);
    EXPECT_TRUE(s.reached->isOpen);
  }

  log.sent.clear();
  EXPECT_EQ(NavigateBarItems(kMenuNavigateEnd), 0);
  EXPECT_EQ(OnlySent(m4->window, WM_MOUSELEAVE).lParam, -1);
  EXPECT_FALSE(m4->isOpen);
  EXPECT_EQ(gApp.navigationItems.Count(), 0);
  EXPECT_EQ(gApp.popupNavigation, 0);
}

TEST_F(CommandTableTest, StepsThroughABarSkippingSeparatorsAndDisabledItems) {
  CBar empty;
  EXPECT_EQ(NextItemIndex(&empty, 0, 1), -1);
  EXPECT_EQ(NextItemIndex(&empty, -1, -1), -1);
  EXPECT_EQ(GetHotItemIndex(&empty), -1);

  Add(kSeparatorCommandId, CommandKind::kSeparator);
  Add(1, CommandKind::kButton);
  Add(2, CommandKind::kButton);
  ASSERT_EQ(EnableCommand(2, false), kStatusOk);
  CBar bar;
  for (std::uint16_t id : {kSeparatorCommandId, std::uint16_t{1}, std::uint16_t{2}, std::uint16_t{99}}) {
    ASSERT_GE(bar.items.Append(AddItem(id)), 0);
  }
  EXPECT_EQ(NextItemIndex(&bar, 3, 1), 1);   // from the last: the first enabled item that is no separator
  EXPECT_EQ(NextItemIndex(&bar, 1, -1), 1);  // a whole round back to itself
  SetItemStateFlags(bar.items[1], kCommandHot, 0);
  EXPECT_EQ(GetHotItemIndex(&bar), 1);
}

TEST_F(CommandTableTest, ActiveWindowModalDepthAndLookups) {
  CFrameWindow* second = MakeShownFrame(8);
  CFrameWindow* third = MakeShownFrame(9);
  ASSERT_TRUE(second != nullptr && third != nullptr);

  const struct {
    std::uint32_t flags[3];
    HWND expected;
  } cases[] = {
      {{0, kFrameMainWindow, kFrameMainWindow}, third->window},
      {{0, kFrameMainWindow, 0}, second->window},
      {{kFrameMainWindow, 0, 0}, frame->window},
      {{0, 0, 0}, frame->window},
  };
  for (const auto& c : cases) {
    frame->flags = c.flags[0];
    second->flags = c.flags[1];
    third->flags = c.flags[2];
    EXPECT_EQ(reinterpret_cast<HWND>(SendToActiveWindow(kWhoAreYou, 0, 0)), c.expected);
  }

  ChangeModalDepth(false);
  EXPECT_EQ(gApp.modalDepth, 0);
  for (int i = 0; i < 2; ++i) ChangeModalDepth(true);
  EXPECT_EQ(gApp.modalDepth, 2);
  for (CFrameWindow* f : {frame, second, third}) {
    const auto depths = log.Of(WM_FW_MODALDEPTH, f->window);
    ASSERT_EQ(depths.size(), 3u);
    EXPECT_EQ(depths[0].wParam, 0u);
    EXPECT_EQ(depths[2].wParam, 2u);
    EXPECT_NE(f->busyOverlay, nullptr);  // the window shows that a dialog runs
  }

  CUIItem* item = AddItem(1);
  EXPECT_EQ(FindWindowRecordByChild(item->window), frame);
  EXPECT_EQ(FindWindowRecordByChild(owner), nullptr);
  EXPECT_EQ(FindWindowRecord(second->window), second);
  EXPECT_EQ(FindWindowRecordById(9), third);
  EXPECT_EQ(FindWindowRecordById(10), nullptr);
  // Each framework window has its four bays, named by side and window id.
  ASSERT_EQ(second->dockBays.Count(), 4);
  EXPECT_EQ(FindDockBay(3 + 8 * 256), second->dockBays[3]);
  EXPECT_EQ(FindDockBay(3 + 10 * 256), nullptr);

  DestroyAllWindows();
  EXPECT_EQ(SendToActiveWindow(kWhoAreYou, 0, 0), -1);
}

TEST_F(CommandTableTest, HidingABarLaysOutEveryWindowAndTellsItsOwn) {
  CBar bar;
  bar.id = 0x5000;
  bar.flags = kBarVisible;
  bar.window = MakeWindow(frame->window);
  AddBar(bar, {});
  EXPECT_EQ(FindBarById(0x5000), &bar);
  EXPECT_EQ(FindBarById(0x5001), nullptr);

  log.sent.clear();
  ShowBarWindow(&bar, false);
  EXPECT_EQ(bar.flags & kBarVisible, 0);
  EXPECT_FALSE(IsWindowVisible(bar.window));
  EXPECT_EQ(RelayoutCount(frame), 1);
  const Sent shown = OnlySent(frame->window, WM_FW_BARSHOWN);
  EXPECT_EQ(shown.wParam, 0u);
  EXPECT_EQ(shown.lParam, reinterpret_cast<LPARAM>(&bar));

  CUIItem caller;
  EXPECT_EQ(CreateUiItem(99, &caller), &caller);
  EXPECT_EQ(CreateUiItem(77, &caller), nullptr);
  const std::unique_ptr<CUIItem> list(CreateUiItem(6, nullptr));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->type, 6);
}

TEST_F(CommandTableTest, StandardCommandsAndTheirIcons) {
  EXPECT_EQ(RegisterStandardCommands(), kStatusOk);
  EXPECT_EQ(gApp.commands.Count(), 41);
  EXPECT_EQ(gApp.theme.icons.size(), 13u);
  EXPECT_GE(ThemeFindIcon(gApp.theme, 0xF16D), 0);
  const int swatch = ThemeFindIcon(gApp.theme, 0xF135);
  ASSERT_GE(swatch, 0);
  EXPECT_EQ(gApp.theme.icons[static_cast<std::size_t>(swatch)].cx, 16);
  CommandRecord lock{};
  ASSERT_EQ(GetCommand(0xF150, &lock), kStatusOk);
  EXPECT_EQ(lock.iconId, 0xF150);
  EXPECT_EQ(static_cast<const std::uint16_t*>(lock.value)[5], kSeparatorCommandId);

  // A program without the icons cannot start.
  gApp.commands.Clear();
  gApp.theme.icons.clear();
  gApp.theme.instance = GetModuleHandleA("kernel32");
  EXPECT_EQ(RegisterStandardCommands(), kStatusStandardIconNotAdded);
}

}  // namespace
