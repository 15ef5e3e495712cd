#include "framework/ui/list_item.h"

#include <cstring>
#include <new>
#include <utility>

#include "framework/object/application.h"
#include "framework/base/framework_messages.h"
#include "framework/text/text_table.h"
#include "framework/theme/draw.h"
#include "framework/theme/theme.h"
#include "framework/ui/frame_core.h"
#include "framework/ui/frame_window.h"
#include "framework/ui/item_commands.h"
#include "framework/util/colour.h"
#include "framework/util/monitors.h"

namespace {

constexpr UINT_PTR kSlowClickTimer = 0x1234;
constexpr std::uint16_t kSampleTextId = 0xF003;  // index 1: "Ag", the row height sample
constexpr int kThemeFontSet = 4;

// One list can be dragged or clicked at a time (UI thread only).
bool gColumnDrag = false;
bool gSlowClickPending = false;
std::int32_t gLiveRowBlocks = 0;

CList* ListOf(HWND window) noexcept {
  return static_cast<CList*>(reinterpret_cast<CUIItem*>(GetWindowLongPtrA(window, GWLP_USERDATA)));
}

bool IsHeaderCode(UINT code, UINT ansi, UINT wide) noexcept { return code == ansi || code == wide; }

// The header's notifications that the list handles and that bring an
// NMHEADER.
bool IsItemNotify(UINT code) noexcept {
  return IsHeaderCode(code, HDN_BEGINTRACKA, HDN_BEGINTRACKW) || IsHeaderCode(code, HDN_ENDTRACKA, HDN_ENDTRACKW) ||
         IsHeaderCode(code, HDN_ITEMCHANGINGA, HDN_ITEMCHANGINGW) ||
         IsHeaderCode(code, HDN_ITEMCHANGEDA, HDN_ITEMCHANGEDW) || IsHeaderCode(code, HDN_ITEMCLICKA, HDN_ITEMCLICKW);
}

int HeaderItemWidth(HWND header, int index, const NMHEADERA* change) noexcept {
  if (change != nullptr && change->pitem != nullptr && (change->pitem->mask & HDI_WIDTH) != 0) {
    return change->pitem->cxy;
  }
  HDITEMA item{};
  item.mask = HDI_WIDTH;
  return SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) ? item.cxy : 0;
}

}  // namespace

CList::CList() noexcept { type = kListItemType; }

CList::~CList() { OnDestroy(); }

std::int32_t CList::LiveRowBlocks() noexcept { return gLiveRowBlocks; }

void CList::OnDestroy() {
  // The rows go while the container still hears of them.
  if (listBox != nullptr) SendMessageA(listBox, LB_RESETCONTENT, 0, 0);
  if (listBox != nullptr && oldListBoxProc != nullptr) {
    SetWindowLongPtrA(listBox, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldListBoxProc));
    SetWindowLongPtrA(listBox, GWLP_USERDATA, 0);
  }
  if (window != nullptr) DestroyItemWindow(window);  // with the header and the list box
  header = nullptr;
  listBox = nullptr;
  oldListBoxProc = nullptr;
  drawItem = nullptr;
  sortImages.Reset();
  columns.ArrayFree();
  sortColumn = -1;
  sortDirection = 0;
  scrollX = 0;
}

void CList::MeasureRowHeight(HFONT font) noexcept {
  const char* sample = GetText(kSampleTextId, 1);
  int h = 0;
  (void)MeasureText(gApp.theme, sample != nullptr ? sample : "Ag", nullptr, &h, font);
  rowHeight = h + 4;
}

std::uint32_t CList::Create(std::uint16_t commandId, HWND parent, HWND ownerWindow, CUIItem* holderMenu) {
  OnDestroy();
  std::uint32_t commandFlags = 0;
  if (CommandRecord* record = FindCommand(gApp.commands, commandId)) {
    // A list never moves into a bar's overflow popup.
    record->flags &= ~kCommandMayOverflow;
    commandFlags = record->flags;
  }
  flags = commandFlags;
  if (!RegisterUIItemClass()) return kStatusWindowNotCreated;
  const auto controlId = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(commandId));
  const HINSTANCE instance = gApp.ResourceInstance();
  DWORD style = WS_CHILD | WS_CLIPCHILDREN | WS_HSCROLL;
  if ((commandFlags & kCommandSplitPopup) != 0) style |= WS_BORDER;  // the framed list
  window =
      CreateWindowExA(WS_EX_CONTROLPARENT, kUIItemClass, "", style, 0, 0, 0, 0, parent, controlId, instance, nullptr);
  if (window == nullptr) return kStatusWindowNotCreated;
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(static_cast<CUIItem*>(this)));
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ListContainerWndProc));
  owner = ownerWindow;
  id = commandId;
  holder = holderMenu;
  stripeColor = BlendColor(ThemeSlot(gApp.theme, 6, 6), ThemeSlot(gApp.theme, 2, 2), 0.5);
  const HFONT font = ThemeGetFont(gApp.theme, kThemeFontSet, GetWindowDpi(parent));
  MeasureRowHeight(font);

  header = CreateWindowExA(0, WC_HEADERA, "",
                           WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | HDS_BUTTONS | HDS_FULLDRAG, 0, 0,
                           0, 0, window, controlId, instance, nullptr);
  if (header == nullptr) return kStatusWindowNotCreated;
  SendMessageA(header, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
  BuildSortImages();

  style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_VSCROLL | LBS_NOTIFY | LBS_SORT |
          LBS_OWNERDRAWFIXED | LBS_NOINTEGRALHEIGHT;
  if (multiSelect != 0) style |= LBS_EXTENDEDSEL;
  if ((commandFlags & kCommandArrowPressed) != 0) style |= WS_TABSTOP;
  listBox = CreateWindowExA(0, "LISTBOX", "", style, 0, 0, 0, 0, window, controlId, instance, nullptr);
  if (listBox == nullptr) return kStatusWindowNotCreated;
  SendMessageA(listBox, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
  SetWindowLongPtrA(listBox, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(static_cast<CUIItem*>(this)));
  oldListBoxProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(listBox, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ListBoxSubclassProc)));

  width = height = 64;
  LayoutColumns();
  return kStatusOk;
}

std::uint32_t CList::CreateInPlace(std::uint16_t commandId, HWND parent, HWND ownerWindow, HWND placeholder, RECT* rect,
                                   bool multiSelection) noexcept {
  RECT r{};
  if (placeholder == nullptr || !GetWindowRect(placeholder, &r)) return kStatusWindowNotCreated;
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  if (rect != nullptr) *rect = r;
  multiSelect = multiSelection ? 1 : 0;
  if (const std::uint32_t result = Create(commandId, parent, ownerWindow, nullptr); result != kStatusOk) return result;
  SetItemBounds(r.left, r.top, r.right - r.left + 1, r.bottom - r.top + 1);
  SetWindowPos(window, placeholder, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  DestroyWindow(placeholder);
  return kStatusOk;
}

void CList::BuildSortImages() noexcept {
  const int h = SortArrowHeight(rowHeight);
  CImageListHandle images(ImageList_Create(2 * h, h, ILC_COLOR32 | ILC_MASK, 4, 0));
  const CDcHandle screen;
  CMemoryDcHandle dc(CreateCompatibleDC(screen.Get()));
  if (!images || !dc) return;
  const RECT whole{0, 0, 2 * h, h};
  for (int image = 0; image < 4; ++image) {
    CBitmapHandle colour(CreateCompatibleBitmap(screen.Get(), 2 * h, h));
    CBitmapHandle mask(CreateBitmap(2 * h, h, 1, 1, nullptr));
    if (!colour || !mask) return;
    const COLORREF ink = GetSysColor(image < 2 ? COLOR_3DDKSHADOW : COLOR_BTNSHADOW);
    {
      CSelectObject select(dc.Get(), colour.Get());
      FillSolidRect(dc.Get(), &whole, 0);
      for (int row = 0; row < h; ++row) {
        const Span span = SortArrowRow(h, row, image % 2 == 0);
        const RECT line{span.left, row, span.right, row + 1};
        FillSolidRect(dc.Get(), &line, ink);
      }
    }
    {
      // The mask: set bits are transparent.
      CSelectObject select(dc.Get(), mask.Get());
      FillSolidRect(dc.Get(), &whole, RGB(255, 255, 255));
      for (int row = 0; row < h; ++row) {
        const Span span = SortArrowRow(h, row, image % 2 == 0);
        const RECT line{span.left, row, span.right, row + 1};
        FillSolidRect(dc.Get(), &line, RGB(0, 0, 0));
      }
    }
    if (ImageList_Add(images.Get(), colour.Get(), mask.Get()) < 0) return;
  }
  if (header != nullptr) SendMessageA(header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.Get()));
  sortImages = std::move(images);  // the header's old list goes only once it holds the new one
}

std::uint32_t CList::AddColumn(const char* text, double widthFraction, int alignment) noexcept {
  if (text == nullptr || header == nullptr) return kStatusColumnNotAdded;
  ListColumn column{};
  std::size_t n = 0;
  for (; n + 1 < sizeof column.text && text[n] != '\0'; ++n) column.text[n] = text[n];
  column.text[n] = '\0';
  column.widthFraction = widthFraction;
  const std::int32_t index = columns.Append(column);
  if (index < 0) return kStatusColumnNotAdded;
  HDITEMA item{};
  item.mask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT;
  item.cxy = static_cast<int>(width * widthFraction);
  item.pszText = columns[index].text;
  item.fmt = HDF_STRING | (alignment == 1 ? HDF_RIGHT : alignment == 2 ? HDF_CENTER : HDF_LEFT);
  if (SendMessageA(header, HDM_INSERTITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) < 0) {
    (void)columns.RemoveAt(index);
    return kStatusColumnNotAdded;
  }
  SendMessageA(window, WM_SIZE, 0, MAKELPARAM(width, height));
  return kStatusOk;
}

int CList::AddRow(const void* rowData) noexcept {
  if (listBox == nullptr) return -1;
  std::uint8_t* block = nullptr;
  if (rowDataSize > 0) {
    block = new (std::nothrow) std::uint8_t[static_cast<std::size_t>(rowDataSize)]();
    if (block == nullptr) return -1;
    ++gLiveRowBlocks;
    if (rowData != nullptr) std::memcpy(block, rowData, static_cast<std::size_t>(rowDataSize));
  }
  const auto value = block != nullptr ? reinterpret_cast<LPARAM>(block) : reinterpret_cast<LPARAM>(rowData);
  auto row = static_cast<int>(SendMessageA(listBox, LB_ADDSTRING, 0, value));
  if (row < 0) {
    addingPlaceholder_ = true;
    row = static_cast<int>(SendMessageA(listBox, LB_ADDSTRING, 0, 0));
    addingPlaceholder_ = false;
    if (row >= 0 && SendMessageA(listBox, LB_SETITEMDATA, static_cast<WPARAM>(row), value) == LB_ERR) {
      // A row without its value is no row.
      SendMessageA(listBox, LB_DELETESTRING, static_cast<WPARAM>(row), 0);
      row = -1;
    }
  }
  if (row < 0 && block != nullptr) {
    delete[] block;
    --gLiveRowBlocks;
  }
  return row;
}

void CList::Clear() noexcept {
  // Each row's record is freed as the list box lets go of it (WM_DELETEITEM).
  if (listBox != nullptr) SendMessageA(listBox, LB_RESETCONTENT, 0, 0);
  LayoutColumns();
}

void CList::SetFont(int dpi) noexcept {
  const HFONT font = ThemeGetFont(gApp.theme, kThemeFontSet, dpi);
  if (header != nullptr) SendMessageA(header, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (listBox != nullptr) SendMessageA(listBox, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  MeasureRowHeight(font);
  BuildSortImages();
  if (listBox != nullptr) SendMessageA(listBox, LB_SETITEMHEIGHT, 0, rowHeight);
  SetSortIndicator(sortColumn, sortDirection);
  LayoutColumns();
}

void CList::SetSortIndicator(int column, int direction) noexcept {
  const auto setImage = [this](int index, int image) {
    if (header == nullptr || index < 0 || index >= columns.Count()) return;
    HDITEMA item{};
    item.mask = HDI_FORMAT;
    (void)SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    // The column keeps its alignment.
    item.mask = HDI_FORMAT | HDI_IMAGE;
    item.fmt = (item.fmt & HDF_JUSTIFYMASK) | HDF_STRING | HDF_IMAGE | HDF_BITMAP_ON_RIGHT;
    item.iImage = image;
    SendMessageA(header, HDM_SETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  };
  if (column != sortColumn) setImage(sortColumn, I_IMAGENONE);
  if (column != -1) {
    const int image = SortImageIndex(direction, sortLocked != 0);
    setImage(column, image < 0 ? I_IMAGENONE : image);
    sortDirection = direction;
  }
  sortColumn = column;
}

void CList::SelectRow(int row, bool select, bool notify) noexcept {
  if (listBox == nullptr) return;
  if (multiSelect != 0) {
    SendMessageA(listBox, LB_SETSEL, select ? TRUE : FALSE, row);
  } else {
    SendMessageA(listBox, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
  }
  if (notify) {
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(listBox));
  }
}

void CList::DrawCell(int column, const char* text, int pathEllipsis) noexcept {
  if (drawItem == nullptr || text == nullptr || column < 0 || column >= columns.Count()) return;
  RECT r = drawItem->rcItem;
  r.left = column == 0 ? r.left + 3 : columns[column].left + 3;
  r.right = column + 1 < columns.Count() ? columns[column + 1].left - 3 : totalWidth - 3;
  DrawTextA(drawItem->hDC, text, -1, &r,
            DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | (pathEllipsis != 0 ? DT_PATH_ELLIPSIS : DT_END_ELLIPSIS));
}

int CList::GetRowCount() const noexcept {
  return listBox != nullptr ? static_cast<int>(SendMessageA(listBox, LB_GETCOUNT, 0, 0)) : 0;
}

LPARAM CList::GetRowData(int row) const noexcept {
  return listBox != nullptr ? SendMessageA(listBox, LB_GETITEMDATA, static_cast<WPARAM>(row), 0) : LB_ERR;
}

int CList::GetSelectedRows(int maxRows, int* rows) const noexcept {
  if (listBox == nullptr || rows == nullptr || maxRows <= 0) return 0;
  const auto n = static_cast<int>(
      SendMessageA(listBox, LB_GETSELITEMS, static_cast<WPARAM>(maxRows), reinterpret_cast<LPARAM>(rows)));
  return n < 0 ? 0 : n;
}

void CList::SetTopRow(int row) noexcept {
  if (listBox != nullptr) SendMessageA(listBox, LB_SETTOPINDEX, static_cast<WPARAM>(row), 0);
}

int CList::GetVisibleRowCount() const noexcept { return rowHeight != 0 ? ClientHeight(window) / rowHeight + 1 : 0; }

// The part of the columns in view: the container's width less the list
// box's own vertical scroll bar.
int CList::ViewWidth() const noexcept {
  RECT outer{};
  const int frame =
      listBox != nullptr && GetWindowRect(listBox, &outer) ? (outer.right - outer.left) - ClientWidth(listBox) : 0;
  return ClientWidth(window) - frame;
}

void CList::ScrollHorizontal(std::uint32_t code) noexcept {
  if (window == nullptr) return;
  const int view = ViewWidth();
  const int line = rowHeight > 0 ? rowHeight : 16;
  switch (LOWORD(code)) {
    case SB_LINELEFT:
      scrollX -= line;
      break;
    case SB_LINERIGHT:
      scrollX += line;
      break;
    case SB_PAGELEFT:
      scrollX -= view;
      break;
    case SB_PAGERIGHT:
      scrollX += view;
      break;
    case SB_THUMBTRACK:
      scrollX = HIWORD(code);
      break;
    default:
      break;
  }
  scrollX = ClampScrollX(scrollX, totalWidth, view);
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_POS;
  info.nPos = scrollX;
  SetScrollInfo(window, SB_HORZ, &info, TRUE);
  const int headerHeight = HeaderHeightFor(rowHeight, columns.Count() > 0);
  const int w = scrollX + ClientWidth(window);
  const int h = ClientHeight(window);
  // The columns scroll by moving the children: the list box is as wide as
  // all columns from the left edge of the first.
  if (header != nullptr) MoveWindow(header, -scrollX, 0, w, headerHeight, FALSE);
  if (listBox != nullptr) MoveWindow(listBox, -scrollX, headerHeight, w, h > headerHeight ? h - headerHeight : 0, TRUE);
  if (header != nullptr) RedrawWindow(header, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ERASENOW);
}

void CList::LayoutColumns() noexcept {
  totalWidth = LayoutColumnLefts(width, columns.Data(), columns.Count());
  if (window != nullptr) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE;
    info.nMin = 0;
    info.nMax = totalWidth > 0 ? totalWidth - 1 : 0;
    info.nPage = static_cast<UINT>(ScrollPageFor(ViewWidth()));
    SetScrollInfo(window, SB_HORZ, &info, TRUE);
  }
  ScrollHorizontal(0xFFFFFFFFu);
}

LRESULT CList::Notify(std::uint16_t code, LPARAM lParam) const noexcept {
  return owner != nullptr ? SendMessageA(owner, WM_FW_COMMAND, MAKEWPARAM(static_cast<WORD>(id), code), lParam) : 0;
}

// ---- the container ---------------------------------------------------------------

LRESULT CALLBACK CList::ListContainerWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (CList* list = ListOf(window)) return list->HandleContainer(window, message, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

void CList::DrawRow(const DRAWITEMSTRUCT& item, WPARAM wParam, LPARAM lParam) noexcept {
  CTheme& theme = gApp.theme;
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  int textSlot = 49;
  COLORREF background;
  if (selected) {
    textSlot = hasFocus != 0 ? 48 : 49;
    background = ThemeSlot(theme, hasFocus != 0 ? 46 : 58, 6);
  } else {
    background = item.itemID % 2 != 0 ? ThemeSlot(theme, 6, 6) : stripeColor;
  }
  FillSolidRect(item.hDC, &item.rcItem, background);
  SetTextColor(item.hDC, ThemeSlot(theme, textSlot, 49));
  SetBkMode(item.hDC, TRANSPARENT);
  CSelectObject font(item.hDC, ThemeGetFont(theme, kThemeFontSet, GetWindowDpi(window)));
  drawItem = &item;
  if (owner != nullptr) SendMessageA(owner, WM_DRAWITEM, wParam, lParam);
  drawItem = nullptr;
  if ((item.itemState & ODS_FOCUS) != 0) DrawFocusRect(item.hDC, &item.rcItem);
}

bool CList::HandleHeaderNotify(const NMHDR& notify, LRESULT* result) noexcept {
  const UINT code = notify.code;
  // Only the HDN_ codes bring an NMHEADER; the header's other notifications
  // (NM_RCLICK, custom draw) bring less, and nothing past them is read.
  const auto* change = IsItemNotify(code) ? reinterpret_cast<const NMHEADERA*>(&notify) : nullptr;
  const int column = change != nullptr ? change->iItem : -1;
  const bool known = column >= 0 && column < columns.Count();
  if (IsHeaderCode(code, HDN_BEGINTRACKA, HDN_BEGINTRACKW)) {
    const CFrameWindow* frame = FindWindowRecord(GetParent(window));
    if (fixedColumns != 0 || (frame != nullptr && (frame->flags & kFrameLockBarSizes) != 0)) {
      *result = TRUE;
      return true;
    }
    gColumnDrag = true;
    RECT r{};
    if (known && width > 0 &&
        SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&r))) {
      columns[column].widthFraction = static_cast<double>(r.right - r.left) / width;
    }
    *result = FALSE;
    return true;
  }
  if (IsHeaderCode(code, HDN_ENDTRACKA, HDN_ENDTRACKW)) {
    gColumnDrag = false;
    return false;
  }
  const bool changed = IsHeaderCode(code, HDN_ITEMCHANGEDA, HDN_ITEMCHANGEDW);
  if (changed || IsHeaderCode(code, HDN_ITEMCHANGINGA, HDN_ITEMCHANGINGW)) {
    if (gColumnDrag && known && width > 0) {
      columns[column].widthFraction = static_cast<double>(HeaderItemWidth(header, column, change)) / width;
      LayoutColumns();
      if (changed) (void)Notify(kListColumnResized, column);
    }
    if (listBox != nullptr) InvalidateRect(listBox, nullptr, FALSE);
    *result = FALSE;
    return true;
  }
  if (IsHeaderCode(code, HDN_ITEMCLICKA, HDN_ITEMCLICKW)) {
    const SortClick click = HeaderSortClick(sortColumn, sortDirection, sortLocked != 0, known ? column : -1);
    if (click.changes) {
      SetSortIndicator(column, click.direction);
      (void)Notify(kListSortChanged, column);
      if (listBox != nullptr) InvalidateRect(listBox, nullptr, FALSE);
    }
    return false;
  }
  if (code == static_cast<UINT>(NM_RCLICK) && sortColumn >= 0) {
    POINT cursor{};
    RECT r{};
    GetCursorPos(&cursor);
    ScreenToClient(header, &cursor);
    if (SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(sortColumn), reinterpret_cast<LPARAM>(&r)) &&
        PtInRect(&r, cursor)) {
      sortLocked = sortLocked != 0 ? 0 : 1;
      SetSortIndicator(sortColumn, sortDirection);
    }
  }
  return false;
}

LRESULT CList::HandleContainer(HWND w, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  switch (message) {
    case WM_SIZE:
      if (!gColumnDrag) {
        LayoutColumns();
        width = LOWORD(lParam);
        height = HIWORD(lParam);
        for (std::int32_t i = 0; i < columns.Count(); ++i) {
          HDITEMA item{};
          item.mask = HDI_WIDTH;
          item.cxy = static_cast<int>(width * columns[i].widthFraction);
          SendMessageA(header, HDM_SETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        }
        LayoutColumns();
      }
      break;
    case WM_SETFOCUS:
      if (listBox != nullptr) SetFocus(listBox);
      return 0;
    case WM_ENABLE:
      if (header != nullptr) EnableWindow(header, static_cast<BOOL>(wParam));
      if (listBox != nullptr) EnableWindow(listBox, static_cast<BOOL>(wParam));
      RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
      return 0;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (wParam != id || item == nullptr || ownerDraw == 0 || GetRowCount() == 0 ||
          item->itemID == static_cast<UINT>(-1))
        break;
      DrawRow(*item, wParam, lParam);
      return 1;
    }
    case WM_MEASUREITEM:
      if (auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)) item->itemHeight = static_cast<UINT>(rowHeight);
      return 1;
    case WM_COMPAREITEM:
      // Without a sort column the rows stay in the order they were added.
      if (sortColumn == -1 || addingPlaceholder_ || owner == nullptr) return -1;
      return SendMessageA(owner, WM_COMPAREITEM, wParam, lParam);
    case WM_DELETEITEM: {
      const auto* item = reinterpret_cast<const DELETEITEMSTRUCT*>(lParam);
      if (rowDataSize > 0 && item != nullptr && item->itemData != 0) {
        delete[] reinterpret_cast<std::uint8_t*>(item->itemData);
        --gLiveRowBlocks;
      }
      return TRUE;
    }
    case WM_NOTIFY: {
      const auto* notify = reinterpret_cast<const NMHDR*>(lParam);
      LRESULT result = 0;
      if (notify != nullptr && notify->hwndFrom == header && header != nullptr &&
          HandleHeaderNotify(*notify, &result)) {
        return result;
      }
      break;
    }
    case WM_NCPAINT: {
      const LRESULT result = DefWindowProcA(w, message, wParam, lParam);
      if ((flags & kCommandSplitPopup) != 0) {
        if (HDC dc = GetWindowDC(w)) {
          RECT r{};
          GetWindowRect(w, &r);
          OffsetRect(&r, -r.left, -r.top);
          const bool focused = IsWindowEnabled(w) && hasFocus != 0;
          FrameSolidRect(dc, &r, ThemeSlot(gApp.theme, focused ? 46 : 50, 50));
          ReleaseDC(w, dc);
        }
      }
      return result;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == static_cast<WORD>(id) && HIWORD(wParam) == LBN_SELCHANGE &&
          reinterpret_cast<HWND>(lParam) == listBox) {
        (void)Notify(kListSelectionChanged, 0);
        return 0;
      }
      break;
    case WM_HSCROLL:
      ScrollHorizontal(static_cast<std::uint32_t>(wParam));
      return 0;
    case WM_NCDESTROY:
      // The children went before this message; nothing may use them now.
      header = nullptr;
      listBox = nullptr;
      oldListBoxProc = nullptr;
      break;
    default:
      break;
  }
  return HandleMessage(this, w, message, wParam, lParam);
}

// ---- the list box ------------------------------------------------------------------

LRESULT CALLBACK CList::ListBoxSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (CList* list = ListOf(window)) return list->HandleListBox(window, message, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CList::CallListBox(HWND w, UINT message, WPARAM wParam, LPARAM lParam) const noexcept {
  return oldListBoxProc != nullptr ? CallWindowProcA(oldListBoxProc, w, message, wParam, lParam)
                                   : DefWindowProcA(w, message, wParam, lParam);
}

void CList::InvalidateSelectedRows() noexcept {
  const int count = GetRowCount();
  const auto top = static_cast<int>(SendMessageA(listBox, LB_GETTOPINDEX, 0, 0));
  const int visible = GetVisibleRowCount();
  for (int row = top < 0 ? 0 : top; row < count && row < top + visible; ++row) {
    if (SendMessageA(listBox, LB_GETSEL, static_cast<WPARAM>(row), 0) <= 0) continue;
    RECT r{};
    if (SendMessageA(listBox, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r)) != LB_ERR) {
      InvalidateRect(listBox, &r, FALSE);
    }
  }
}

int CList::SingleSelection() const noexcept {
  if (multiSelect == 0) return static_cast<int>(SendMessageA(listBox, LB_GETCURSEL, 0, 0));
  int row = -1;
  return SendMessageA(listBox, LB_GETSELCOUNT, 0, 0) == 1 &&
                 SendMessageA(listBox, LB_GETSELITEMS, 1, reinterpret_cast<LPARAM>(&row)) == 1
             ? row
             : -1;
}

int CList::RowAt(int y) const noexcept {
  const int count = GetRowCount();
  const int clientBottom = ClientHeight(listBox);
  const auto top = static_cast<int>(SendMessageA(listBox, LB_GETTOPINDEX, 0, 0));
  const int visible = GetVisibleRowCount();
  for (int row = top < 0 ? 0 : top; row < count && row < top + visible; ++row) {
    RECT r{};
    if (SendMessageA(listBox, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r)) == LB_ERR ||
        r.top >= clientBottom) {
      break;
    }
    if (y >= r.top && y < r.bottom) return row;
  }
  return -1;
}

LRESULT CList::HandleListBox(HWND w, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  switch (message) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      hasFocus = message == WM_SETFOCUS ? 1 : 0;
      if (window != nullptr) SendMessageA(window, WM_NCPAINT, 1, 0);
      InvalidateSelectedRows();
      break;
    case WM_PAINT:
      if (ownerDraw != 0 && GetRowCount() == 0) {
        PAINTSTRUCT ps;
        if (BeginPaint(w, &ps) != nullptr) EndPaint(w, &ps);
        return 1;
      }
      break;
    case WM_ERASEBKGND:
      if (ownerDraw != 0) {
        RECT r{};
        GetClientRect(w, &r);
        const bool enabled = window != nullptr && IsWindowEnabled(window);
        FillSolidRect(reinterpret_cast<HDC>(wParam), &r, GetSysColor(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
      }
      return 1;
    case WM_KEYDOWN:
      if (Notify(kListKeyDown, static_cast<LPARAM>(wParam)) != 1 && wParam == 'A' && GetKeyState(VK_CONTROL) < 0 &&
          multiSelect != 0) {
        SelectRow(-1, true, true);
      }
      break;
    case WM_LBUTTONDOWN: {
      const int selected = SingleSelection();
      RECT r{};
      const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      gSlowClickPending =
          selected >= 0 &&
          SendMessageA(w, LB_GETITEMRECT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(&r)) != LB_ERR &&
          PtInRect(&r, at);
      const LRESULT result = CallListBox(w, message, wParam, lParam);
      (void)Notify(kListButtonDown, lParam);
      return result;
    }
    case WM_LBUTTONUP: {
      const LRESULT result = CallListBox(w, message, wParam, lParam);
      if (gSlowClickPending)
        SetTimer(w, kSlowClickTimer, gApp.doubleClickTime != 0 ? gApp.doubleClickTime : GetDoubleClickTime(), nullptr);
      return result;
    }
    case WM_TIMER:
      if (wParam != kSlowClickTimer) break;
      KillTimer(w, kSlowClickTimer);
      if (gSlowClickPending) {
        gSlowClickPending = false;
        (void)Notify(kListSlowClick, 0);
      }
      return 0;
    case WM_LBUTTONDBLCLK: {
      gSlowClickPending = false;
      const LRESULT result = CallListBox(w, message, wParam, lParam);
      (void)Notify(kListDoubleClick, lParam);
      return result;
    }
    case WM_RBUTTONDOWN:
      SelectRow(RowAt(static_cast<short>(HIWORD(lParam))), true, true);
      SetFocus(w);
      break;
    case WM_RBUTTONUP: {
      const LRESULT result = CallListBox(w, message, wParam, lParam);
      (void)Notify(kListRightButtonUp, lParam);
      return result;
    }
    case WM_NCDESTROY: {
      const LRESULT result = CallListBox(w, message, wParam, lParam);
      listBox = nullptr;
      oldListBoxProc = nullptr;
      return result;
    }
    default:
      break;
  }
  return CallListBox(w, message, wParam, lParam);
}
