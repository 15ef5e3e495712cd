// Bars docked, floated, resized by their row's splitter, overflowing and
// saved, on real windows driven by messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/ui/bar.h"
#include "framework/ui/dock_bay.h"
#include "framework/ui/item_commands.h"
#include "framework/ui/menu_item.h"
#include "tests/support/ui/ui_test_fixture.h"

namespace {

constexpr std::uint16_t kFrameId = 5;
constexpr std::uint16_t kBarId = 0x7000;
constexpr std::uint16_t kFirstItem = 0x7100;
constexpr std::uint32_t kIconItem = 0x100;  // an item with the default icon and nothing else

RECT Client(HWND w) {
  RECT r{};
  GetClientRect(w, &r);
  return r;
}

class BarTest : public ui_test::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    AddStandardCommands();
    SaveStateInDataFolder();
    gApp.settingsVersionChanged = 1;  // no saved placement of an earlier test
    for (int i = 0; i < 8; ++i) {
      UiTest::Add(static_cast<std::uint16_t>(kFirstItem + i), CommandKind::kButton, kIconItem);
    }
    frame = MakeFrame(kFrameId, kFrameSizable, 50, 50, 500, 400);
    ASSERT_NE(frame, nullptr);
    frame->minTrackWidth = 1;  // the overflow test narrows it below the usual minimum
    ShowWindow(frame->window, SW_SHOWNA);
  }
  void TearDown() override {
    FreeAllBars();
    UiTest::TearDown();
  }

  // A visible bar of items with the first count commands, added to the
  // application's list in the bay of that side (-1: floating).
  CBar* Add(std::uint16_t id, int count, std::uint16_t flags, int side, int x = 0) {
    auto* bar = new CBar;
    std::vector<std::uint16_t> commands;
    for (int i = 0; i < count; ++i) commands.push_back(static_cast<std::uint16_t>(kFirstItem + i));
    EXPECT_EQ(bar->CreateBar(id, *frame, commands.data(), count, flags | kBarVisible), kStatusOk);
    EXPECT_GE(AddBar(bar, side < 0 ? -1 : BayId(side), x, 0, 0, 0), 0);
    return bar;
  }
  int BayId(int side) const { return side + frame->id * 256; }
  HWND Bay(int side) const { return frame->dockBays[side]->window; }
  int BayThickness(int side) const {
    const RECT r = Client(Bay(side));
    return IsVerticalBay(side) ? r.right : r.bottom;
  }

  CFrameWindow* frame = nullptr;
};

TEST_F(BarTest, DockedInEachBayAndFloated) {
  CBar* bar = Add(kBarId, 6, 0, kBayTop);
  for (int side = 0; side < 4; ++side) {
    bar->DockOrFloatBar(BayId(side), 0, 0, 0, 0, true);
    EXPECT_EQ(GetParent(bar->window), Bay(side)) << side;
    EXPECT_EQ(bar->side, side);
    const RECT r = Client(bar->window);
    // Across the bay the bar is as thick as the bay; its items run along it.
    EXPECT_EQ(IsVerticalBay(side) ? r.right : r.bottom, BayThickness(side)) << side;
    EXPECT_EQ(BayThickness(side), bar->GetBarThickness()) << side;
    EXPECT_EQ(IsVerticalBay(side), r.bottom > r.right) << side;
    for (int other = 0; other < 4; ++other) {
      if (other != side) {
        EXPECT_EQ(BayThickness(other), 0) << side << " " << other;
      }
    }
    const RECT inner = frame->innerClient;
    const int expected[4] = {inner.top, Client(frame->window).bottom - inner.bottom, inner.left,
                             Client(frame->window).right - inner.right};
    EXPECT_EQ(expected[side], BayThickness(side)) << side;
  }
  // Wider than the narrowest captioned window, narrower than the items.
  bar->DockOrFloatBar(-1, 300, 200, bar->items[0]->width * 5, 0, true);
  EXPECT_EQ(bar->side, kBarFloating);
  EXPECT_EQ(GetAncestor(bar->window, GA_PARENT), GetDesktopWindow());
  EXPECT_EQ(GetWindow(bar->window, GW_OWNER), frame->window);
  EXPECT_NE(GetWindowLongA(bar->window, GWL_STYLE) & WS_CAPTION, 0);
  EXPECT_TRUE(IsWindowVisible(bar->window));
  for (int side = 0; side < 4; ++side) EXPECT_EQ(BayThickness(side), 0) << side;
  // Floating, the items wrap into lines within the width asked for.
  const CUIItem* first = bar->items[0];
  const CUIItem* last = bar->items[5];
  EXPECT_GT(last->y, first->y);
  // Hidden and shown with its window.
  ShowWindow(frame->window, SW_HIDE);
  frame->ShowFrame(SW_HIDE, true);
  EXPECT_FALSE(IsWindowVisible(bar->window));
}

TEST_F(BarTest, RowsCloseUpAndSplitterDragsWithinLimits) {
  CBar* outer = Add(kBarId, 2, 0, kBayTop);
  CBar* inner = Add(kBarId + 1, 2, kBarResizableRow, kBayTop);
  inner->row = 3;  // two empty rows between the bars
  frame->Relayout();
  EXPECT_EQ(inner->row, 1);
  const CDockBay& bay = *frame->dockBays[kBayTop];
  ASSERT_LT(bay.rowSizes[1], 0);  // a row with a splitter
  const int before = BayThickness(kBayTop);
  EXPECT_EQ(before, outer->GetBarThickness() + inner->GetBarThickness() + kSplitterSize);

  // The splitter lies at the row's inner end; press there and drag down.
  POINT press{100, before - 2};
  ASSERT_EQ(bay.DockBaySplitterHitTest(&press), 1);
  POINT screen = press;
  ClientToScreen(Bay(kBayTop), &screen);
  SetCursorPos(screen.x, screen.y);
  SendMessageA(Bay(kBayTop), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(press.x, press.y));
  SetCursorPos(screen.x, screen.y + 30);
  SendMessageA(Bay(kBayTop), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(press.x, press.y + 30));
  EXPECT_EQ(BayThickness(kBayTop), before + 30);
  EXPECT_EQ(frame->innerClient.top, before + 30);
  // Dragged far up, the row keeps its bars' minimum thickness.
  SetCursorPos(screen.x, screen.y - 200);
  SendMessageA(Bay(kBayTop), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(press.x, 0));
  SendMessageA(Bay(kBayTop), WM_LBUTTONUP, 0, MAKELPARAM(press.x, 0));
  EXPECT_EQ(inner->thickness, inner->minThickness);
  EXPECT_EQ(BayThickness(kBayTop), before);
  // Locked bar sizes: no splitter to press.
  frame->flags |= kFrameLockBarSizes;
  EXPECT_EQ(bay.DockBaySplitterHitTest(&press), -1);
  // A DPI change scales the thickness a drag set.
  inner->thickness = 40;
  ASSERT_GT(frame->dpi, 0);
  SendMessageA(frame->window, WM_DPICHANGED, MAKEWPARAM(frame->dpi * 2, frame->dpi * 2), 0);
  EXPECT_EQ(inner->thickness, 80);
}

TEST_F(BarTest, ARowPlacesNoMoreBarsThanItsLayoutHolds) {
  std::vector<CBar*> row;
  for (int i = 0; i <= kMaxRowBars; ++i) row.push_back(Add(static_cast<std::uint16_t>(kBarId + i), 0, 0, kBayTop));
  EXPECT_GT(Client(row[kMaxRowBars - 1]->window).right, 0);
  // The bar beyond them keeps the size it docked with, never a place that
  // the layout did not set.
  EXPECT_EQ(Client(row[kMaxRowBars]->window).right, row[kMaxRowBars]->length);
  EXPECT_GT(row[kMaxRowBars]->length, 0);
}

std::vector<std::uint16_t> OverflowList(const CBar& bar) {
  const auto* list = reinterpret_cast<const std::uint16_t*>(
      SendMessageA(bar.window, WM_FW_GETPOPUPLIST, kOverflowCommandId, 0));
  std::vector<std::uint16_t> ids;
  for (int i = 0; list != nullptr && list[i] != kOverflowListEnd; ++i) ids.push_back(list[i]);
  return ids;
}

TEST_F(BarTest, NarrowedWindowHidesItemsLastFirstIntoTheOverflowPopup) {
  CBar* bar = Add(kBarId, 8, kBarFillsRow, kBayTop);
  const int item = bar->items[0]->width + bar->itemGap;
  const int full = bar->length;
  const CUIItem* button = bar->items[8];
  EXPECT_FALSE(IsWindowVisible(button->window));
  EXPECT_TRUE(OverflowList(*bar).empty());

  struct Step {
    int hidden;  // items the narrower window hides, the last first
  };
  for (const Step step : {Step{2}, Step{5}, Step{0}}) {
    // Room for the items left, the overflow button and the frame's border.
    const int wanted = full - step.hidden * item + (step.hidden > 0 ? button->width + bar->itemGap : 0);
    RECT outer{0, 0, wanted, 200};
    AdjustWindowRectEx(&outer, GetWindowLongA(frame->window, GWL_STYLE), FALSE,
                       GetWindowLongA(frame->window, GWL_EXSTYLE));
    SetWindowPos(frame->window, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    std::vector<std::uint16_t> expected;
    for (int i = 8 - step.hidden; i < 8; ++i) expected.push_back(static_cast<std::uint16_t>(kFirstItem + i));
    EXPECT_EQ(OverflowList(*bar), expected) << step.hidden;
    for (int i = 0; i < 8; ++i) {
      EXPECT_EQ(IsWindowVisible(bar->items[i]->window) != FALSE, i < 8 - step.hidden) << step.hidden << " " << i;
    }
    EXPECT_EQ(IsWindowVisible(button->window) != FALSE, step.hidden > 0) << step.hidden;
    if (step.hidden == 0) continue;
    // A click on the overflow button opens its popup with the hidden items.
    RECT r{};
    GetWindowRect(button->window, &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    const LPARAM at = MAKELPARAM((r.right - r.left) / 2, (r.bottom - r.top) / 2);
    SendMessageA(button->window, WM_MOUSEMOVE, 0, at);
    SendMessageA(button->window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(button->window, WM_LBUTTONUP, 0, at);
    const auto* menu = static_cast<const CMenu*>(button);
    std::vector<std::uint16_t> entries;
    for (const CUIItem* entry : menu->entries) entries.push_back(static_cast<std::uint16_t>(entry->id));
    EXPECT_EQ(entries, expected) << step.hidden;
    EXPECT_TRUE(menu->popup != nullptr && IsWindowVisible(menu->popup)) << step.hidden;
    (void)ClosePopupMenu(nullptr);
  }
}

TEST_F(BarTest, RecordsWrittenAsTheWindowCloses) {
  Add(kBarId, 2, 0, kBayTop);
  CBar* bottom = Add(kBarId + 1, 3, kBarResizableRow, kBayBottom, 40);
  CBar* floating = Add(kBarId + 2, 2, 0, -1, 0);
  floating->DockOrFloatBar(-1, 120, 90, 0, 0, false);
  bottom->thickness = 44;
  frame->Relayout();
  const BarPlacementRecord expected[] = {
      {0, 0, gApp.bars[0]->length, gApp.bars[0]->thickness, kFrameId, kBayTop, 0, kBarVisible},
      {40, 0, bottom->length, 44, kFrameId, kBayBottom, 0, kBarVisible | kBarResizableRow},
      {120, 90, floating->length, floating->thickness, kFrameId, 0xFF, 0, kBarVisible},
  };
  DestroyAllWindows();
  for (int i = 0; i < 3; ++i) {
    const std::string saved =
        test_support::ReadWholeFile(data_ / ("(Orvo)Bar" + std::to_string(kBarId + i) + ".oqc"));
    ASSERT_EQ(saved.size(), sizeof(BarPlacementRecord)) << i;
    EXPECT_EQ(std::memcmp(saved.data(), &expected[i], sizeof expected[i]), 0) << i;
  }
  // The bars' commands went with them.
  EXPECT_LT(FindCommandIndex(kBarId), 0);
}

}  // namespace
