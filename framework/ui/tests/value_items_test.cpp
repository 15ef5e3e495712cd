// The tree and the value items on real windows, driven by messages. The
// colours are picked from a window painted in a known colour.
#include "framework/ui/value_items.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <iterator>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "framework/theme/theme.h"
#include "framework/ui/item_commands.h"
#include "framework/ui/tree_item.h"
#include "tests/support/ui/ui_test_fixture.h"

namespace {

int gTreeSetUps = 0;  // creation messages the tree's procedure saw without a record

constexpr COLORREF kSwatch = RGB(0x12, 0x34, 0x56);
constexpr std::uint32_t kSwatchArgb = 0xFF123456u;

// The owner's windows are painted in the swatch's colour.
std::optional<LRESULT> Paint(HWND window, UINT message, WPARAM, LPARAM) {
  if (message == WM_ERASEBKGND) return 1;
  if (message != WM_PAINT) return std::nullopt;
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  SetDCBrushColor(dc, kSwatch);
  FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  EndPaint(window, &ps);
  return 0;
}

// The application's tree procedure: sets itself up on the item's creation
// message and passes everything else on to the tree view.
LRESULT CALLBACK AppTreeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE && lParam == 0) {
    ++gTreeSetUps;
    return 0;
  }
  const auto* tree = reinterpret_cast<CTree*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  return CallWindowProcA(tree->oldTreeProc, window, message, wParam, lParam);
}

// A mouse message's point for the item: a screen point in its client
// coordinates (negative left of and above it).
LPARAM PointFor(const CUIItem& item, POINT screen) {
  ScreenToClient(item.window, &screen);
  return MAKELPARAM(screen.x, screen.y);
}

struct Heard {
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const Heard& o) const { return wParam == o.wParam && lParam == o.lParam; }
};

class ValueItemTest : public ui_test::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    ThemeSetUiFont(gApp.theme, "Tahoma", 13, 96);
    log.answer = &Paint;
    constexpr DWORD kStyle = WS_VISIBLE | WS_CLIPCHILDREN;
    parent = MakeWindow(nullptr, 10, 10, 400, 300, kStyle, WS_EX_TOPMOST);
    const HWND swatch = MakeWindow(nullptr, 500, 100, 60, 60, kStyle, WS_EX_TOPMOST);
    ASSERT_TRUE(parent != nullptr && swatch != nullptr);
    UpdateWindow(swatch);
    test_support::Pump();
    // The items' own click handling must not see the cursor over them.
    ASSERT_TRUE(test_support::MoveCursorTo(700, 600));
  }

  // The owner's WM_FW_COMMANDs.
  std::vector<Heard> Commands() const {
    std::vector<Heard> out;
    for (const ui_test::Sent& s : log.Of(WM_FW_COMMAND)) out.push_back({s.wParam, s.lParam});
    return out;
  }
  // An item made as the command table makes it, placed at y and painted.
  std::unique_ptr<CUIItem> Make(std::uint16_t id, CommandKind kind, void* value, int y) {
    Add(id, kind, 0, 0, value);
    std::unique_ptr<CUIItem> item(CreateUiItem(static_cast<std::uint16_t>(kind), nullptr));
    if (item == nullptr || item->Create(id, parent, parent, nullptr) != kStatusOk) return nullptr;
    item->SetItemBounds(0, y, -1, -1);
    RedrawWindow(item->window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    return item;
  }

  static constexpr POINT kOnSwatch{520, 120};
  HWND parent = nullptr;
};

TEST_F(ValueItemTest, SliderStepsOnTheTrackAndItsThumbDragsWithinARangeAboveZero) {
  RangeValue range{15, 10, 20};
  const std::unique_ptr<CUIItem> item = Make(62, CommandKind::kSlider, &range, 0);
  ASSERT_NE(item, nullptr);
  auto& slider = static_cast<CSlider&>(*item);
  const SliderTrack t = slider.Track();
  ASSERT_GT(t.width - t.height, 20);
  const double scale = (t.width - t.height) / 10.0;
  // The thumb of 15 lies halfway: values count from the minimum.
  EXPECT_EQ(slider.thumbRect.left, t.left + static_cast<int>(scale * 5));
  const auto send = [&](UINT message, WPARAM keys, int x) {
    SendMessageA(slider.window, message, keys, MAKELPARAM(x, t.top + t.height / 2));
  };

  // A press beside the thumb steps towards it and reports the value.
  send(WM_LBUTTONDOWN, MK_LBUTTON, t.left + 1);
  send(WM_LBUTTONUP, 0, t.left + 1);
  EXPECT_EQ(range.value, 14);
  send(WM_LBUTTONDOWN, MK_LBUTTON, t.left + t.width - 1);
  send(WM_LBUTTONUP, 0, t.left + t.width - 1);
  EXPECT_EQ(range.value, 15);
  EXPECT_EQ(Commands(), (std::vector<Heard>{{62, 1}, {62, 1}}));

  // A press on the thumb changes nothing; the drag puts the thumb's centre
  // under the pointer and stops at the ends.
  RedrawWindow(slider.window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  log.sent.clear();
  send(WM_LBUTTONDOWN, MK_LBUTTON, (slider.thumbRect.left + slider.thumbRect.right) / 2);
  EXPECT_EQ(range.value, 15);
  EXPECT_TRUE(Commands().empty());
  const int centreOf18 = t.left + t.height / 2 + static_cast<int>(scale * 8);
  for (const auto& [x, expected] :
       {std::pair{centreOf18, 18}, std::pair{centreOf18 + 1, 18}, std::pair{9000, 20}, std::pair{-9000, 10}}) {
    send(WM_MOUSEMOVE, MK_LBUTTON, x);
    EXPECT_EQ(range.value, expected) << x;
  }
  EXPECT_EQ(Commands().size(), 3u);  // the move that kept 18 said nothing
  send(WM_LBUTTONUP, 0, -9000);
  send(WM_MOUSEMOVE, 0, centreOf18);
  EXPECT_EQ(range.value, 10);

  // An owner that destroys the slider as it hears of a change (closing the
  // popup that holds it does): the item is not touched after the news, so
  // its command is left unpressed.
  SetItemStateFlags(item.get(), 0, kCommandHot | kCommandPressed);
  log.destroyOnNotice = item.get();
  send(WM_LBUTTONDOWN, MK_LBUTTON, t.left + t.width - 1);
  EXPECT_EQ(slider.window, nullptr);
  EXPECT_EQ(range.value, 11);
  EXPECT_EQ(Flags(62) & kCommandPressed, 0u);
}

TEST_F(ValueItemTest, BrushSizeDragsFivePixelsAStepWithinItsRange) {
  RangeValue size{20, 18, 25};
  const std::unique_ptr<CUIItem> item = Make(70, CommandKind::kBrushSize, &size, 40);
  ASSERT_NE(item, nullptr);
  EXPECT_NE(Flags(70) & kCommandKeepsPressed, 0u);
  const auto send = [&](UINT message, WPARAM keys, int y) {
    SendMessageA(item->window, message, keys, MAKELPARAM(5, y));
  };
  send(WM_LBUTTONDOWN, MK_LBUTTON, 10);
  for (const auto& [y, expected] : {std::pair{-2, 22}, std::pair{6, 20}, std::pair{-500, 25}, std::pair{500, 18}}) {
    send(WM_MOUSEMOVE, MK_LBUTTON, y);
    EXPECT_EQ(size.value, expected) << y;
  }
  send(WM_MOUSEMOVE, 0, -2);  // no button held
  EXPECT_EQ(size.value, 18);
  send(WM_LBUTTONUP, 0, -2);
  EXPECT_EQ(Commands(), (std::vector<Heard>{{70, 0}}));
  send(WM_MOUSEMOVE, MK_LBUTTON, -2);  // after the release
  EXPECT_EQ(size.value, 18);
}

TEST_F(ValueItemTest, ColourIsPickedFromTheWindowUnderThePointer) {
  ColorValue colour{0, 0};
  const std::unique_ptr<CUIItem> item = Make(60, CommandKind::kColor, &colour, 80);
  ASSERT_NE(item, nullptr);
  EXPECT_NE(Flags(60) & kCommandKeepsPressed, 0u);
  SendMessageA(item->window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  ASSERT_EQ(GetCapture(), item->window);
  SendMessageA(item->window, WM_MOUSEMOVE, MK_LBUTTON, PointFor(*item, kOnSwatch));
  EXPECT_EQ(colour.color, kSwatchArgb);
  // Released outside: the end of the pick, and no click.
  SendMessageA(item->window, WM_LBUTTONUP, 0, PointFor(*item, kOnSwatch));
  EXPECT_EQ(Commands(), (std::vector<Heard>{{60, 0}}));
}

TEST_F(ValueItemTest, PaletteRepicksTheCellPressedAndNoEntryBeyondItsSixteen) {
  PaletteValue palette{};
  palette.selected = 17;  // no cell: the application's record may say anything
  const std::unique_ptr<CUIItem> item = Make(61, CommandKind::kPalette, &palette, 120);
  ASSERT_NE(item, nullptr);
  auto& cells = static_cast<CPalette&>(*item).cells;
  ASSERT_GT(cells[0].left, 0);
  ASSERT_GT(cells[0].top, 0);
  const auto pick = [&](int x, int y) {
    SendMessageA(item->window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(item->window, WM_MOUSEMOVE, MK_LBUTTON, PointFor(*item, kOnSwatch));
    SendMessageA(item->window, WM_LBUTTONUP, 0, PointFor(*item, kOnSwatch));
  };
  pick(0, 0);  // outside every cell: the selection stays
  EXPECT_EQ(palette.selected, 17);
  EXPECT_EQ(palette.pick, kSwatchArgb);
  const auto colours = [&] { return std::vector<std::uint32_t>(std::begin(palette.colors), std::end(palette.colors)); };
  EXPECT_EQ(colours(), std::vector<std::uint32_t>(kPaletteColors, 0u));

  pick((cells[3].left + cells[3].right) / 2, (cells[3].top + cells[3].bottom) / 2);
  EXPECT_EQ(palette.selected, 3);
  std::vector<std::uint32_t> expected(kPaletteColors, 0u);
  expected[3] = kSwatchArgb;
  EXPECT_EQ(colours(), expected);
  EXPECT_EQ(Commands(), (std::vector<Heard>{{61, 0}, {61, 0}}));
}

TEST_F(ValueItemTest, TreeTakesTheApplicationsProcedureAndIsDestroyedOnce) {
  // Without a procedure there is no tree, and nothing is left behind.
  std::unique_ptr<CUIItem> none = Make(80, CommandKind::kTree, nullptr, 0);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(GetWindow(parent, GW_CHILD), nullptr);

  gTreeSetUps = 0;
  Add(81, CommandKind::kTree, kCommandArrowPressed, 0, reinterpret_cast<void*>(&AppTreeProc));
  CTree tree;
  ASSERT_EQ(tree.Create(81, parent, parent, nullptr), kStatusOk);
  EXPECT_EQ(gTreeSetUps, 1);
  EXPECT_EQ(test_support::ClassOf(tree.window), WC_TREEVIEWA);
  EXPECT_NE(GetWindowLongA(tree.window, GWL_STYLE) & WS_TABSTOP, 0);
  EXPECT_EQ(Flags(81) & kCommandMayOverflow, 0u);  // never in an overflow popup
  // The tree view still works through the application's procedure.
  TVINSERTSTRUCTA insert{};
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT;
  insert.item.pszText = const_cast<char*>("Root");
  EXPECT_NE(SendMessageA(tree.window, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)), 0);

  tree.imageList.Reset(ImageList_Create(16, 16, ILC_COLOR32, 1, 1));
  const HWND first = tree.window;
  tree.Destroy();
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(tree.window, nullptr);
  EXPECT_FALSE(tree.imageList.Valid());

  // Destroyed with its parent, the tree is not destroyed again.
  ASSERT_EQ(tree.Create(81, parent, parent, nullptr), kStatusOk);
  tree.imageList.Reset(ImageList_Create(16, 16, ILC_COLOR32, 1, 1));
  Destroy(parent);
  tree.OnDestroy();
  EXPECT_EQ(tree.window, nullptr);
  EXPECT_FALSE(tree.imageList.Valid());
}

TEST_F(ValueItemTest, TheFactoryMakesEachKindAndRefusesACommandWithoutItsRecord) {
  for (const auto kind : {CommandKind::kTree, CommandKind::kSlider, CommandKind::kBrushSize, CommandKind::kColor,
                          CommandKind::kPalette}) {
    const auto code = static_cast<std::uint16_t>(kind);
    const std::unique_ptr<CUIItem> item(CreateUiItem(code, nullptr));
    ASSERT_NE(item, nullptr) << code;
    EXPECT_EQ(item->type, code);
    EXPECT_EQ(Make(static_cast<std::uint16_t>(90 + code), kind, nullptr, 0), nullptr) << code;
  }
  // Made again for a command without its record, an item keeps its window
  // but no hook that would read the record it had.
  RangeValue size{20, 18, 25};
  const std::unique_ptr<CUIItem> brush = Make(70, CommandKind::kBrushSize, &size, 0);
  ASSERT_NE(brush, nullptr);
  Add(71, CommandKind::kBrushSize);
  EXPECT_NE(brush->Create(71, parent, parent, nullptr), kStatusOk);
  EXPECT_EQ(brush->hook, nullptr);
  SendMessageA(brush->window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
}

}  // namespace
