// The multi-column list item: a container window holding a header control
// and an owner-drawn list box with fixed-height rows. Columns take shares of
// the list's width and scroll horizontally when they are wider than the
// window; rows carry fixed-size records of the owner, who draws the cells
// with DrawCell, compares rows for sorting and hears about clicks, keys,
// selection, double clicks and column changes through WM_FW_COMMAND.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "framework/ui/ui_item.h"
#include "framework/util/grow_array.h"
#include "framework/util/win_handles.h"

inline constexpr std::int32_t kListItemType = 6;

// WM_FW_COMMAND codes (high word of wParam; the low word is the list's id).
inline constexpr std::uint16_t kListSortChanged = 0x83F2;    // lParam: the column
inline constexpr std::uint16_t kListColumnResized = 0x83F3;  // lParam: the column
inline constexpr std::uint16_t kListSelectionChanged = 0x83F4;
inline constexpr std::uint16_t kListDoubleClick = 0x83F5;  // lParam: the mouse position
inline constexpr std::uint16_t kListSlowClick = 0x83F6;    // a second, slow click on the selected row
inline constexpr std::uint16_t kListButtonDown = 0x8409;   // lParam: the mouse position
inline constexpr std::uint16_t kListKeyDown = 0x840B;      // lParam: the virtual key; answer 1 to keep it
inline constexpr std::uint16_t kListRightButtonUp = 0x83FD;  // lParam: the mouse position

struct ImageListTraits {
  using Handle = HIMAGELIST;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { ImageList_Destroy(h); }
};
using CImageListHandle = CUniqueHandle<ImageListTraits>;

class CList : public CUIItem {
 public:
  CList() noexcept;
  ~CList() override;

  // Replaces the item's own creation: no tooltip, no measuring. 0 or
  // kStatusWindowNotCreated.
  std::uint32_t Create(std::uint16_t commandId, HWND parent, HWND ownerWindow, CUIItem* holderMenu) override;
  // Takes the place (rectangle and z-order) of a placeholder control of the
  // parent, which is destroyed; its rectangle in the parent's client
  // coordinates goes to rect when given.
  [[nodiscard]] std::uint32_t CreateInPlace(std::uint16_t commandId, HWND parent, HWND ownerWindow, HWND placeholder,
                                            RECT* rect, bool multiSelection) noexcept;
  // Frees the rows, the sort images, the windows and the columns.
  void OnDestroy() override;

  // alignment 0 left, 1 right, 2 centre. 0, or kStatusColumnNotAdded.
  std::uint32_t AddColumn(const char* text, double widthFraction, int alignment) noexcept;
  // With rowDataSize, a copy of that many bytes of rowData (zeros without
  // data) is the row's value; else rowData itself. The row index, or -1.
  int AddRow(const void* rowData) noexcept;
  void Clear() noexcept;
  void SetFont(int dpi) noexcept;
  // direction 1 ascending, -1 descending, 0 no arrow; column -1: no sort.
  void SetSortIndicator(int column, int direction) noexcept;
  // row -1: every row (multi-selection) or none (single selection). notify
  // reports the change to the owner as a user's would be.
  void SelectRow(int row, bool select, bool notify) noexcept;
  // While the owner handles a forwarded WM_DRAWITEM: the cell's text.
  void DrawCell(int column, const char* text, int pathEllipsis) noexcept;

  [[nodiscard]] int GetRowCount() const noexcept;
  [[nodiscard]] LPARAM GetRowData(int row) const noexcept;
  [[nodiscard]] int GetSelectedRows(int maxRows, int* rows) const noexcept;
  void SetTopRow(int row) noexcept;
  [[nodiscard]] int GetVisibleRowCount() const noexcept;
  // A scroll bar code (low word; the thumb position in the high word), or
  // -1 to apply the clamp and place the children.
  void ScrollHorizontal(std::uint32_t code) noexcept;
  void LayoutColumns() noexcept;

  // Row records of every list that are allocated and not yet freed.
  [[nodiscard]] static std::int32_t LiveRowBlocks() noexcept;

  static LRESULT CALLBACK ListContainerWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ListBoxSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND header = nullptr;
  HWND listBox = nullptr;
  CGrowArray<ListColumn> columns{-1};
  std::int32_t sortColumn = -1;
  std::int32_t sortDirection = 0;
  WNDPROC oldListBoxProc = nullptr;
  std::int32_t rowHeight = 0;
  std::int32_t totalWidth = 0;
  std::uint8_t fixedColumns = 0;
  std::uint8_t sortLocked = 0;
  std::int32_t rowDataSize = 0;
  const DRAWITEMSTRUCT* drawItem = nullptr;
  std::uint8_t ownerDraw = 1;
  std::int32_t scrollX = 0;
  CImageListHandle sortImages;
  std::uint8_t multiSelect = 1;
  std::uint8_t hasFocus = 0;
  COLORREF stripeColor = 0;

 private:
  LRESULT HandleContainer(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
  LRESULT HandleListBox(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
  bool HandleHeaderNotify(const NMHDR& notify, LRESULT* result) noexcept;
  LRESULT Notify(std::uint16_t code, LPARAM lParam) const noexcept;
  LRESULT CallListBox(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const noexcept;
  void BuildSortImages() noexcept;
  void MeasureRowHeight(HFONT font) noexcept;
  void DrawRow(const DRAWITEMSTRUCT& item, WPARAM wParam, LPARAM lParam) noexcept;
  void InvalidateSelectedRows() noexcept;
  [[nodiscard]] int ViewWidth() const noexcept;
  [[nodiscard]] int RowAt(int y) const noexcept;
  [[nodiscard]] int SingleSelection() const noexcept;

  // Adding a placeholder row: the owner is not asked to compare it.
  bool addingPlaceholder_ = false;
};
