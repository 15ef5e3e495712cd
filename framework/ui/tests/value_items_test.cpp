// The tree and the value items on real windows, driven by messages. The
// colours are picked from a window painted in a known colour.
#include "framework/ui/value_items.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <iterator>
#include <memory>
#include <utility>
#include <vector>

#include "framework/app/application.h"
#include "framework/app/commands.h"
#include "framework/app/framework_messages.h"
#include "framework/theme/theme.h"
#include "framework/ui/item_commands.h"
#include "framework/ui/tree_item.h"
#include "framework/util/tests/win_test_support.h"

namespace {

struct Heard {
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const Heard& o) const { return wParam == o.wParam && lParam == o.lParam; }
};
std::vector<Heard> gHeard;  // the owner's WM_FW_COMMANDs
CUIItem* gDestroyOnNotice = nullptr;  // destroyed by the owner when it hears of it
int gTreeSetUps = 0;        // creation messages the tree's procedure saw without a record

constexpr COLORREF kSwatch = RGB(0x12, 0x34, 0x56);
constexpr std::uint32_t kSwatchArgb = 0xFF123456u;

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_FW_COMMAND:
      gHeard.push_back({wParam, lParam});
      if (gDestroyOnNotice != nullptr) std::exchange(gDestroyOnNotice, nullptr)->Destroy();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      SetDCBrushColor(dc, kSwatch);
      FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
      EndPaint(window, &ps);
      return 0;
    }
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
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

HWND MakeTopWindow(int x, int y, int w, int h) {
  static const ATOM atom = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = OwnerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VltValueItemOwner";
    return RegisterClassA(&wc);
  }();
  (void)atom;
  return CreateWindowExA(WS_EX_TOPMOST, "VltValueItemOwner", "", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, x, y, w, h,
                         nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

// A mouse message's point for the item: a screen point in its client
// coordinates (negative left of and above it).
LPARAM PointFor(const CUIItem& item, POINT screen) {
  ScreenToClient(item.window, &screen);
  return MAKELPARAM(screen.x, screen.y);
}

class ValueItemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallAppTexts(nullptr);
    gApp.commands.Clear();
    ThemeSetUiFont(gApp.theme, "Tahoma", 13, 96);
    gHeard.clear();
    ForgetItemPresses();
    parent_.Reset(MakeTopWindow(10, 10, 400, 300));
    swatch_.Reset(MakeTopWindow(500, 100, 60, 60));
    ASSERT_TRUE(parent_ && swatch_);
    parent = parent_.Get();
    UpdateWindow(swatch_.Get());
    test_support::Pump();
    // The items' own click handling must not see the cursor over them.
    ASSERT_TRUE(test_support::MoveCursorTo(700, 600));
  }
  void TearDown() override {
    parent_.Reset();
    swatch_.Reset();
    gApp.commands.Clear();
  }

  // An item made as the command table makes it, placed at y and painted.
  std::unique_ptr<CUIItem> Make(std::uint16_t id, CommandKind kind, void* value, int y) {
    EXPECT_GE(AddCommand(id, kind, 0, 0, 0, value), 0);
    std::unique_ptr<CUIItem> item(CreateUiItem(static_cast<std::uint16_t>(kind), nullptr));
    if (item == nullptr || item->Create(id, parent, parent, nullptr) != kStatusOk) return nullptr;
    item->SetItemBounds(0, y, -1, -1);
    RedrawWindow(item->window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    return item;
  }
  static std::uint32_t Flags(std::uint16_t id) {
    CommandRecord r{};
    EXPECT_EQ(GetCommand(id, &r), kStatusOk);
    return r.flags;
  }

  static constexpr POINT kOnSwatch{520, 120};
  HWND parent = nullptr;

 private:
  CWindowHandle parent_;
  CWindowHandle swatch_;
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
  EXPECT_EQ(gHeard, (std::vector<Heard>{{62, 1}, {62, 1}}));

  // A press on the thumb changes nothing; the drag puts the thumb's centre
  // under the pointer and stops at the ends.
  RedrawWindow(slider.window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  gHeard.clear();
  send(WM_LBUTTONDOWN, MK_LBUTTON, (slider.thumbRect.left + slider.thumbRect.right) / 2);
  EXPECT_EQ(range.value, 15);
  EXPECT_TRUE(gHeard.empty());
  const int centreOf18 = t.left + t.height / 2 + static_cast<int>(scale * 8);
  for (const auto& [x, expected] :
       {std::pair{centreOf18, 18}, std::pair{centreOf18 + 1, 18}, std::pair{9000, 20}, std::pair{-9000, 10}}) {
    send(WM_MOUSEMOVE, MK_LBUTTON, x);
    EXPECT_EQ(range.value, expected) << x;
  }
  EXPECT_EQ(gHeard.size(), 3u);  // the move that kept 18 said nothing
  send(WM_LBUTTONUP, 0, -9000);
  send(WM_MOUSEMOVE, 0, centreOf18);
  EXPECT_EQ(range.value, 10);

  // An owner that destroys the slider as it hears of a change (closing the
  // popup that holds it does): the item is not touched after the news, so
  // its command is left unpressed.
  SetItemStateFlags(item.get(), 0, kCommandHot | kCommandPressed);
  gDestroyOnNotice = item.get();
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
  EXPECT_EQ(gHeard, (std::vector<Heard>{{70, 0}}));
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
  EXPECT_EQ(gHeard, (std::vector<Heard>{{60, 0}}));
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
  EXPECT_EQ(gHeard, (std::vector<Heard>{{61, 0}, {61, 0}}));
}

TEST_F(ValueItemTest, TreeTakesTheApplicationsProcedureAndIsDestroyedOnce) {
  // Without a procedure there is no tree, and nothing is left behind.
  std::unique_ptr<CUIItem> none = Make(80, CommandKind::kTree, nullptr, 0);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(GetWindow(parent, GW_CHILD), nullptr);

  gTreeSetUps = 0;
  ASSERT_GE(AddCommand(81, CommandKind::kTree, kCommandArrowPressed, 0, 0, reinterpret_cast<void*>(&AppTreeProc)), 0);
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
  TearDown();
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
  ASSERT_GE(AddCommand(71, CommandKind::kBrushSize, 0, 0, 0, nullptr), 0);
  EXPECT_NE(brush->Create(71, parent, parent, nullptr), kStatusOk);
  EXPECT_EQ(brush->hook, nullptr);
  SendMessageA(brush->window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
}

}  // namespace
