// The item base and the list item on real windows, driven by messages.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "framework/ui/item_commands.h"
#include "framework/ui/list_item.h"
#include "tests/support/ui/ui_test_fixture.h"

namespace {

LRESULT gKeyAnswer = 0;  // the owner's answer to a key in a list

// The owner answers text requests and compares list rows by their values.
std::optional<LRESULT> Answer(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_FW_COMMAND:
      return HIWORD(wParam) == kListKeyDown ? gKeyAnswer : 0;
    case WM_FW_GETITEMTEXT:
      return reinterpret_cast<LRESULT>(lParam == 0 ? "Open" : lParam == 1 ? "Ctrl+O" : nullptr);
    case WM_COMPAREITEM: {
      const auto* c = reinterpret_cast<const COMPAREITEMSTRUCT*>(lParam);
      return c->itemData1 < c->itemData2 ? -1 : c->itemData1 > c->itemData2 ? 1 : 0;
    }
    default:
      return std::nullopt;
  }
}

bool InItemList(const CUIItem* item) { return std::count(gApp.items.begin(), gApp.items.end(), item) > 0; }

// A notification of no more than its NMHDR, which ends where a page that
// may not be read begins. A read past it faults; the fault is counted and
// the page opened, so that the read goes on and the test reports it.
class GuardedNotify {
 public:
  GuardedNotify() {
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    page_ = system.dwPageSize;
    base_ = static_cast<std::uint8_t*>(VirtualAlloc(nullptr, 2 * page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD old = 0;
    if (base_ == nullptr || !VirtualProtect(base_ + page_, page_, PAGE_NOACCESS, &old)) return;
    gGuard = base_ + page_;
    gGuardSize = page_;
    gFaults = 0;
    handler_ = AddVectoredExceptionHandler(1, &OnFault);
  }
  ~GuardedNotify() {
    if (handler_ != nullptr) RemoveVectoredExceptionHandler(handler_);
    gGuard = nullptr;
    if (base_ != nullptr) VirtualFree(base_, 0, MEM_RELEASE);
  }
  GuardedNotify(const GuardedNotify&) = delete;
  GuardedNotify& operator=(const GuardedNotify&) = delete;

  [[nodiscard]] bool Ready() const { return handler_ != nullptr; }
  [[nodiscard]] NMHDR* Header() const { return reinterpret_cast<NMHDR*>(base_ + page_ - sizeof(NMHDR)); }
  [[nodiscard]] static int Faults() { return gFaults; }

 private:
  static LONG CALLBACK OnFault(EXCEPTION_POINTERS* e) {
    const EXCEPTION_RECORD& r = *e->ExceptionRecord;
    if (gGuard == nullptr || r.ExceptionCode != EXCEPTION_ACCESS_VIOLATION || r.NumberParameters < 2) {
      return EXCEPTION_CONTINUE_SEARCH;
    }
    const auto* at = reinterpret_cast<const std::uint8_t*>(r.ExceptionInformation[1]);
    if (at < gGuard || at >= gGuard + gGuardSize) return EXCEPTION_CONTINUE_SEARCH;
    ++gFaults;
    DWORD old = 0;
    return VirtualProtect(gGuard, gGuardSize, PAGE_READWRITE, &old) ? EXCEPTION_CONTINUE_EXECUTION
                                                                     : EXCEPTION_CONTINUE_SEARCH;
  }

  static inline std::uint8_t* gGuard = nullptr;
  static inline std::size_t gGuardSize = 0;
  static inline int gFaults = 0;
  std::size_t page_ = 0;
  std::uint8_t* base_ = nullptr;
  PVOID handler_ = nullptr;
};

class ItemWindowTest : public ui_test::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    gApp.doubleClickTime = 60000;  // no press of a test is ever too slow
    gKeyAnswer = 0;
    log.answer = &Answer;
    parent = MakeWindow(nullptr, 10, 10, 400, 300);
    ASSERT_NE(parent, nullptr);
  }

  // What the owner heard of that kind, with that notification code (0: any).
  std::vector<ui_test::Sent> Heard(UINT message, std::uint16_t code = 0) const {
    return log.Of(message, nullptr, code);
  }
  // A button item of the command, 50 x 20 at x on the parent.
  void MakeButton(CUIItem& item, std::uint16_t id, std::uint32_t flags, int x) {
    Add(id, CommandKind::kButton, flags);
    ASSERT_EQ(item.Create(id, parent, parent, nullptr), kStatusOk);
    item.SetItemBounds(x, 0, 50, 20);
  }
  void Forget() {
    ForgetItemPresses();
    log.sent.clear();
  }

  HWND parent = nullptr;
};

// ---- the item base ---------------------------------------------------------------

TEST_F(ItemWindowTest, PressesDoubleClicksAndReleases) {
  CUIItem item;
  ASSERT_NO_FATAL_FAILURE(MakeButton(item, 40, 0, 0));
  const HWND w = item.window;

  // The second left press within the time is a double click; the first is not.
  SendMessageA(w, WM_LBUTTONDOWN, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(Heard(WM_FW_DBLCLICK).empty());
  SendMessageA(w, WM_LBUTTONDOWN, 0, MAKELPARAM(5, 5));
  ASSERT_EQ(Heard(WM_FW_DBLCLICK).size(), 1u);
  EXPECT_EQ(Heard(WM_FW_DBLCLICK)[0].wParam, MAKEWPARAM(40, kButtonLeft));

  // Each button has its own last press: left then right is nothing.
  Forget();
  SendMessageA(w, WM_LBUTTONDOWN, 0, MAKELPARAM(5, 5));
  SendMessageA(w, WM_RBUTTONDOWN, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(Heard(WM_FW_DBLCLICK).empty());

  // A release away from the item does nothing; the Enter key's release
  // (lParam -1) activates wherever the cursor is.
  ASSERT_TRUE(test_support::MoveCursorTo(390, 290));
  SendMessageA(w, WM_LBUTTONDOWN, 0, MAKELPARAM(5, 5));
  SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(Heard(WM_FW_COMMAND).empty());
  SendMessageA(w, WM_LBUTTONUP, 0, -1);
  ASSERT_EQ(Heard(WM_FW_COMMAND).size(), 1u);
  EXPECT_EQ(LOWORD(Heard(WM_FW_COMMAND)[0].wParam), 40);

  // A disabled item reacts to nothing.
  ASSERT_EQ(EnableCommand(40, false), kStatusOk);
  Forget();
  for (int i = 0; i < 2; ++i) SendMessageA(w, WM_LBUTTONDOWN, 0, MAKELPARAM(5, 5));
  SendMessageA(w, WM_LBUTTONUP, 0, -1);
  EXPECT_TRUE(log.sent.empty());
  EXPECT_EQ(Flags(40) & kCommandPressed, 0u);
}

TEST_F(ItemWindowTest, MovesMakeOneItemHotAndDraggingOutIsReported) {
  CUIItem a;
  CUIItem b;
  ASSERT_NO_FATAL_FAILURE(MakeButton(a, 42, kItemDragOut, 0));
  ASSERT_NO_FATAL_FAILURE(MakeButton(b, 43, 0, 60));
  const auto hot = [](std::uint16_t id) { return (Flags(id) & kCommandHot) != 0; };
  ASSERT_TRUE(test_support::MoveCursorTo(390, 290));
  SendMessageA(a.window, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(hot(42));
  // A move to the same place again is no move.
  SetItemStateFlags(&a, 0, kCommandHot);
  SendMessageA(a.window, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_FALSE(hot(42));
  SendMessageA(b.window, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(hot(43));
  EXPECT_FALSE(hot(42));

  // Pressed, then moved off with the button down: the owner hears of it.
  SendMessageA(a.window, WM_LBUTTONDOWN, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(Heard(WM_FW_DRAGOUT).empty());
  SendMessageA(a.window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(300, 5));
  ASSERT_EQ(Heard(WM_FW_DRAGOUT).size(), 1u);
  EXPECT_EQ(Heard(WM_FW_DRAGOUT)[0].wParam, 42u);
  EXPECT_EQ(a.inDragOut, 0);

  // An owner that destroys the item as it hears of the drag (closing the
  // popup that holds it does): the item is not touched afterwards, so its
  // command does not turn hot.
  SendMessageA(b.window, WM_MOUSEMOVE, 0, MAKELPARAM(6, 5));
  SetItemStateFlags(&a, 0, kCommandHot | kCommandPressed);
  SendMessageA(a.window, WM_LBUTTONDOWN, 0, MAKELPARAM(5, 5));
  log.destroyOnNotice = &a;
  SendMessageA(a.window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(301, 5));
  ASSERT_EQ(Heard(WM_FW_DRAGOUT).size(), 2u);
  EXPECT_EQ(a.window, nullptr);
  EXPECT_FALSE(hot(42));
}

TEST_F(ItemWindowTest, TooltipWindowsAndTheItemListLiveAsLongAsTheirItem) {
  CWindowHandle tooltips(CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                         GetModuleHandleA(nullptr), nullptr));
  ASSERT_TRUE(tooltips);
  gApp.tooltipWindow = tooltips.Get();
  Add(41, CommandKind::kButton, kItemMeasureLabel, kTextFromOwner);
  const std::int32_t before = gApp.items.Count();
  {
    CUIItem first;
    CUIItem second;
    ASSERT_EQ(first.Create(41, parent, parent, nullptr), kStatusOk);
    // The tip is the owner's label with its second text.
    ASSERT_EQ(SendMessageA(gApp.tooltipWindow, TTM_GETTOOLCOUNT, 0, 0), 1);
    char text[80] = {};
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = parent;
    tool.uId = reinterpret_cast<UINT_PTR>(first.window);
    tool.lpszText = text;
    SendMessageA(gApp.tooltipWindow, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(text, "Open (Ctrl+O)");
    // The label measured and painted is the owner's too.
    EXPECT_GT(first.labelWidth, 0);
    first.SetItemBounds(0, 0, -1, -1);
    RedrawWindow(first.window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    first.Destroy();
    EXPECT_EQ(first.window, nullptr);
    EXPECT_EQ(SendMessageA(gApp.tooltipWindow, TTM_GETTOOLCOUNT, 0, 0), 0);
    EXPECT_TRUE(InItemList(&first));  // destroyed, not gone

    // Destroyed with its parent: the item knows its window is gone and never
    // destroys a handle that may by now be another window's.
    HWND child = MakeWindow(parent, 10, 10, 100, 50);
    ASSERT_EQ(second.Create(41, child, parent, nullptr), kStatusOk);
    DestroyWindow(child);
    EXPECT_EQ(second.window, nullptr);
    EXPECT_EQ(SendMessageA(gApp.tooltipWindow, TTM_GETTOOLCOUNT, 0, 0), 0);
  }
  EXPECT_EQ(gApp.items.Count(), before);
  gApp.tooltipWindow = nullptr;
}

// ---- the list item -------------------------------------------------------------

class ListTest : public ItemWindowTest {
 protected:
  void MakeList(bool multiSelect, std::initializer_list<double> fractions, int w = 200, int h = 120) {
    Add(50, CommandKind::kList, 0x3000001);
    HWND placeholder = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 20, w - 1, h - 1, parent, nullptr,
                                       GetModuleHandleA(nullptr), nullptr);
    ASSERT_EQ(list.CreateInPlace(50, parent, parent, placeholder, nullptr, multiSelect), kStatusOk);
    EXPECT_FALSE(IsWindow(placeholder));
    for (double f : fractions) ASSERT_EQ(list.AddColumn("col", f, 0), kStatusOk);
  }
  void AddRows(std::initializer_list<int> values) {
    for (int v : values) ASSERT_GE(list.AddRow(reinterpret_cast<const void*>(static_cast<std::intptr_t>(v))), 0);
  }
  std::vector<LPARAM> Rows() const {
    std::vector<LPARAM> rows;
    for (int i = 0; i < list.GetRowCount(); ++i) rows.push_back(list.GetRowData(i));
    return rows;
  }
  void ClickHeader(int column) {
    NMHEADERA n{};
    n.hdr.hwndFrom = list.header;
    n.hdr.idFrom = 50;
    n.hdr.code = HDN_ITEMCLICKA;
    n.iItem = column;
    SendMessageA(list.window, WM_NOTIFY, 50, reinterpret_cast<LPARAM>(&n));
  }
  HDITEMA HeaderItem(int column, UINT mask) const {
    HDITEMA item{};
    item.mask = mask;
    SendMessageA(list.header, HDM_GETITEMA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
    return item;
  }
  int HeaderImage(int column) const {
    const HDITEMA item = HeaderItem(column, HDI_IMAGE | HDI_FORMAT);
    return (item.fmt & HDF_IMAGE) != 0 ? item.iImage : I_IMAGENONE;
  }
  SCROLLINFO HorizontalScroll() const {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    EXPECT_TRUE(GetScrollInfo(list.window, SB_HORZ, &info));
    return info;
  }
  int HeaderLeft() const {
    RECT r{};
    GetWindowRect(list.header, &r);
    MapWindowPoints(nullptr, list.window, reinterpret_cast<POINT*>(&r), 2);
    return r.left;
  }

  CList list;
};

TEST_F(ListTest, HeaderClicksSortOnlyOnceASortColumnIsSet) {
  MakeList(false, {0.3, 0.3, 0.3});
  // No sort column: clicks change nothing and rows keep their order.
  ClickHeader(1);
  EXPECT_EQ(list.sortColumn, -1);
  EXPECT_TRUE(Heard(WM_FW_COMMAND, kListSortChanged).empty());
  AddRows({3, 1, 2});
  EXPECT_EQ(Rows(), (std::vector<LPARAM>{3, 1, 2}));

  list.SetSortIndicator(0, 1);
  EXPECT_EQ(HeaderImage(0), 0);
  for (int want : {-1, 1, -1}) {
    ClickHeader(0);
    EXPECT_EQ(list.sortDirection, want);
  }
  ClickHeader(2);  // another column keeps the direction and takes the arrow
  EXPECT_EQ(list.sortColumn, 2);
  EXPECT_EQ(list.sortDirection, -1);
  EXPECT_EQ(HeaderImage(2), 1);
  EXPECT_EQ(HeaderImage(0), I_IMAGENONE);
  const auto changes = Heard(WM_FW_COMMAND, kListSortChanged);
  ASSERT_EQ(changes.size(), 4u);
  EXPECT_EQ(changes.back().lParam, 2);

  // Sorted rows are ordered by the owner.
  list.Clear();
  AddRows({3, 1, 2});
  EXPECT_EQ(Rows(), (std::vector<LPARAM>{1, 2, 3}));

  // A right click on the sort column's header, which brings no more than
  // its NMHDR, locks the sort: clicks then change nothing.
  RECT sorted{};
  ASSERT_TRUE(SendMessageA(list.header, HDM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&sorted)));
  MapWindowPoints(list.header, nullptr, reinterpret_cast<POINT*>(&sorted), 2);
  ASSERT_TRUE(test_support::MoveCursorTo((sorted.left + sorted.right) / 2, (sorted.top + sorted.bottom) / 2));
  GuardedNotify rightClick;
  ASSERT_TRUE(rightClick.Ready());
  *rightClick.Header() = NMHDR{list.header, 50, static_cast<UINT>(NM_RCLICK)};
  SendMessageA(list.window, WM_NOTIFY, 50, reinterpret_cast<LPARAM>(rightClick.Header()));
  EXPECT_EQ(GuardedNotify::Faults(), 0) << "read past the NMHDR";
  EXPECT_EQ(list.sortLocked, 1);
  EXPECT_EQ(HeaderImage(2), 3);
  ClickHeader(2);
  EXPECT_EQ(list.sortDirection, -1);
  EXPECT_EQ(Heard(WM_FW_COMMAND, kListSortChanged).size(), 4u);
}

TEST_F(ListTest, CtrlAAndRightClicksSelectRowsUnlessTheOwnerTookTheKey) {
  MakeList(true, {1.0});
  AddRows({1, 2, 3});
  BYTE keys[256] = {};
  ASSERT_TRUE(GetKeyboardState(keys));
  BYTE held[256];
  std::memcpy(held, keys, sizeof held);
  held[VK_CONTROL] = 0x80;
  ASSERT_TRUE(SetKeyboardState(held));
  gKeyAnswer = 1;
  SendMessageA(list.listBox, WM_KEYDOWN, 'A', 0);
  EXPECT_EQ(SendMessageA(list.listBox, LB_GETSELCOUNT, 0, 0), 0);
  gKeyAnswer = 0;
  SendMessageA(list.listBox, WM_KEYDOWN, 'A', 0);
  SetKeyboardState(keys);
  EXPECT_EQ(SendMessageA(list.listBox, LB_GETSELCOUNT, 0, 0), 3);
  const auto keyDowns = Heard(WM_FW_COMMAND, kListKeyDown);
  ASSERT_EQ(keyDowns.size(), 2u);
  EXPECT_EQ(keyDowns[0].lParam, 'A');
  EXPECT_EQ(Heard(WM_FW_COMMAND, kListSelectionChanged).size(), 1u);

  // A right click on a row selects it; below the last row, every row.
  list.SelectRow(-1, false, false);
  RECT second{};
  SendMessageA(list.listBox, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
  SendMessageA(list.listBox, WM_RBUTTONDOWN, 0, MAKELPARAM(5, second.top + 1));
  int rows[4] = {};
  ASSERT_EQ(list.GetSelectedRows(4, rows), 1);
  EXPECT_EQ(rows[0], 1);
  SendMessageA(list.listBox, WM_RBUTTONDOWN, 0, MAKELPARAM(5, second.bottom + 3 * list.rowHeight));
  EXPECT_EQ(list.GetSelectedRows(4, rows), 3);
}

TEST_F(ListTest, ASlowSecondClickOnTheSelectedRowIsReportedUnlessADoubleClickFollows) {
  MakeList(false, {1.0});
  AddRows({1, 2});
  list.SelectRow(0, true, false);
  const auto click = [this](bool doubleClick) {
    SendMessageA(list.listBox, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 2));
    SendMessageA(list.listBox, WM_LBUTTONUP, 0, MAKELPARAM(5, 2));
    if (doubleClick) SendMessageA(list.listBox, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 2));
    // The double-click time has passed.
    SendMessageA(list.listBox, WM_TIMER, 0x1234, 0);
  };
  click(true);
  EXPECT_TRUE(Heard(WM_FW_COMMAND, kListSlowClick).empty());
  EXPECT_EQ(Heard(WM_FW_COMMAND, kListDoubleClick).size(), 1u);
  click(false);
  EXPECT_EQ(Heard(WM_FW_COMMAND, kListSlowClick).size(), 1u);
  EXPECT_EQ(Heard(WM_FW_COMMAND, kListButtonDown).size(), 2u);
}

TEST_F(ListTest, ColumnWidthsFollowTheListAndADraggedColumnKeepsItsShare) {
  MakeList(false, {0.25, 0.5}, 202);  // 200 wide inside the frame
  const auto widths = [this] { return std::vector<int>{HeaderItem(0, HDI_WIDTH).cxy, HeaderItem(1, HDI_WIDTH).cxy}; };
  EXPECT_EQ(widths(), (std::vector<int>{50, 100}));
  list.SetItemBounds(-1, -1, 402, -1);
  EXPECT_EQ(widths(), (std::vector<int>{100, 200}));
  EXPECT_EQ(list.columns[1].left, 100);

  const auto track = [this](UINT code) {
    NMHEADERA n{};
    n.hdr.hwndFrom = list.header;
    n.hdr.code = code;
    return SendMessageA(list.window, WM_NOTIFY, 50, reinterpret_cast<LPARAM>(&n));
  };
  EXPECT_EQ(track(HDN_BEGINTRACKA), FALSE);
  HDITEMA dragged{};
  dragged.mask = HDI_WIDTH;
  dragged.cxy = 160;
  SendMessageA(list.header, HDM_SETITEMA, 0, reinterpret_cast<LPARAM>(&dragged));
  track(HDN_ENDTRACKA);
  const auto resized = Heard(WM_FW_COMMAND, kListColumnResized);
  ASSERT_FALSE(resized.empty());
  EXPECT_EQ(resized.back().lParam, 0);
  EXPECT_EQ(list.columns[1].left, 160);
  // The dragged column keeps its share of the width.
  list.SetItemBounds(-1, -1, 202, -1);
  EXPECT_EQ(widths(), (std::vector<int>{80, 100}));

  list.fixedColumns = 1;
  EXPECT_EQ(track(HDN_BEGINTRACKA), TRUE);
}

TEST_F(ListTest, HorizontalScrollingStaysWithinTheColumns) {
  MakeList(false, {0.5, 0.75});
  ASSERT_GT(list.totalWidth, list.width);
  for (int i = 0; i < 4; ++i) SendMessageA(list.window, WM_HSCROLL, SB_PAGERIGHT, 0);
  const SCROLLINFO info = HorizontalScroll();
  // The right end of the last column is at the right edge of the view: the
  // list box, moved left by the scroll position, shows all columns exactly.
  EXPECT_GT(list.scrollX, 0);
  RECT client{};
  GetClientRect(list.listBox, &client);
  EXPECT_EQ(client.right, list.totalWidth);
  EXPECT_EQ(info.nPos, list.scrollX);
  EXPECT_EQ(HeaderLeft(), -list.scrollX);
  const int end = list.scrollX;
  SendMessageA(list.window, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 5000), 0);
  EXPECT_EQ(list.scrollX, end);
  SendMessageA(list.window, WM_HSCROLL, SB_PAGELEFT, 0);
  SendMessageA(list.window, WM_HSCROLL, SB_PAGELEFT, 0);
  EXPECT_EQ(list.scrollX, 0);
}

TEST_F(ListTest, ColumnsNarrowerThanTheViewNeverScroll) {
  MakeList(false, {0.2, 0.3});
  for (UINT code : {SB_PAGELEFT, SB_LINELEFT, SB_PAGERIGHT, SB_LINERIGHT}) {
    SendMessageA(list.window, WM_HSCROLL, code, 0);
    EXPECT_EQ(list.scrollX, 0) << code;
    EXPECT_EQ(HeaderLeft(), 0) << code;
  }
  EXPECT_LT(static_cast<int>(HorizontalScroll().nPage), 1000);  // never a negative page read as unsigned
}

TEST_F(ListTest, RowRecordsAreCopiesFreedWithTheirRows) {
  MakeList(false, {1.0});
  list.rowDataSize = 8;
  const std::int32_t live = CList::LiveRowBlocks();
  const int data[2][2] = {{7, 8}, {9, 10}};
  ASSERT_GE(list.AddRow(data[0]), 0);
  ASSERT_GE(list.AddRow(data[1]), 0);
  EXPECT_EQ(CList::LiveRowBlocks(), live + 2);
  const auto* copy = reinterpret_cast<const int*>(list.GetRowData(0));
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(static_cast<const void*>(copy), static_cast<const void*>(data[0]));
  EXPECT_EQ(std::memcmp(copy, data[0], sizeof data[0]), 0);
  list.Clear();
  EXPECT_EQ(list.GetRowCount(), 0);
  EXPECT_EQ(CList::LiveRowBlocks(), live);

  // Destroyed with its dialog: the rows are freed and every handle cleared,
  // so the list destroys nothing twice.
  ASSERT_GE(list.AddRow(data[0]), 0);
  Destroy(parent);
  EXPECT_EQ(CList::LiveRowBlocks(), live);
  EXPECT_EQ(list.window, nullptr);
  EXPECT_EQ(list.header, nullptr);
  EXPECT_EQ(list.listBox, nullptr);
}

}  // namespace
