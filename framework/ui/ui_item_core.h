// The arithmetic of the UI items and the list item over plain numbers: the
// drawing state an item's flags give, an item's measured size and the
// rectangles of its parts, button masks and double clicks, and the list's
// columns, horizontal scrolling, sorting clicks and sort arrows. No Windows.
#pragma once

#include <cstdint>

#include "framework/theme/theme_core.h"

// Command flags that only the items read (the command table has the others).
inline constexpr std::uint32_t kItemStretchLabel = 0x2;
inline constexpr std::uint32_t kItemCentre = 0x10;
inline constexpr std::uint32_t kItemBold = 0x40;
inline constexpr std::uint32_t kItemMeasureLabel = 0x80;
inline constexpr std::uint32_t kItemDefaultIcon = 0x100;
inline constexpr std::uint32_t kItemWidthSample = 0x10000;
inline constexpr std::uint32_t kItemDragOut = 0x20000;
inline constexpr std::uint32_t kItemPopupTooltip = 0x40000;

// ---- drawing state ------------------------------------------------------------

struct ItemDrawState {
  int pressedOffset = 0;  // content drawn this many pixels right and down
  int frameStyle = 0;     // DrawItemFrame's style
  int textColour = 0;     // DrawTextFormat's colour argument
  int centre = 0;
  int bold = 0;
};
[[nodiscard]] ItemDrawState ItemDrawStateFor(std::uint32_t flags, bool hasHolder) noexcept;

// ---- measuring ----------------------------------------------------------------

// The parts as MeasureExtra and the text measuring left them, before scaling.
struct ItemPartSizes {
  int iconWidth = 0;
  int iconHeight = 0;
  int extraWidth = 0;
  int extraHeight = 0;
  int labelWidth = 0;
  int labelHeight = 0;
  int secondWidth = 0;
  int secondHeight = 0;
  int arrowWidth = 0;
};
struct ItemMeasure {
  ItemPartSizes parts;  // icon scaled to the DPI, label grown by the command's factors
  int iconColumn = 0;
  int width = 0;
  int height = 0;
};
// s is the theme's space width at the DPI; the factors are the command's two
// values, which widen and heighten the label by multiples of its height.
[[nodiscard]] ItemMeasure MeasureItemParts(const ItemPartSizes& parts, int dpi, int s, float widthFactor,
                                           float heightFactor) noexcept;

// ---- layout -----------------------------------------------------------------------

struct ItemPartRects {
  PixelRect icon;
  PixelRect label;
  PixelRect extra;
  PixelRect second;
};
// The part rectangles in a client rectangle of width w and height h;
// holderIconColumn is the text column of the popup holding the item (only
// used with inPopup).
[[nodiscard]] ItemPartRects LayoutItemParts(const ItemPartSizes& parts, int itemWidth, int w, int h, int s,
                                            int offset, bool centre, bool inPopup, int holderIconColumn,
                                            bool stretchLabel) noexcept;

// ---- the mouse ------------------------------------------------------------------

inline constexpr std::uint32_t kButtonLeft = 1;
inline constexpr std::uint32_t kButtonRight = 2;
inline constexpr std::uint32_t kButtonMiddle = 4;

// Whether a press at now (ms ticks) follows the same button's last press
// closely enough to be a double click; ticks are unsigned, so a last press
// "after" now is a long time ago.
[[nodiscard]] constexpr bool IsDoublePress(std::uint64_t now, std::uint64_t lastPress,
                                           std::uint64_t doubleClickTime) noexcept {
  return now - lastPress < doubleClickTime;
}

// ---- the list item ------------------------------------------------------------

// A column of the list: its title, its left edge in pixels and its share of
// the list's width.
struct ListColumn {
  char text[260];
  std::int32_t left;
  double widthFraction;
};

// Sets the lefts of the columns for the list width; the total width (the
// scroll range), which is the list width when the columns add up to nothing.
[[nodiscard]] int LayoutColumnLefts(int listWidth, ListColumn* columns, int count) noexcept;

// The scroll position clamped so that the view (viewWidth pixels of the
// content) never goes past the content's right end nor left of its start.
[[nodiscard]] int ClampScrollX(int scrollX, int totalWidth, int viewWidth) noexcept;
// The page of the horizontal scroll bar: the visible part, never negative.
[[nodiscard]] int ScrollPageFor(int viewWidth) noexcept;

// A click on a header column: whether the sort changes, and to which
// direction. Nothing changes while the sort is locked or no column sorts.
struct SortClick {
  bool changes = false;
  int direction = 0;
};
[[nodiscard]] SortClick HeaderSortClick(int sortColumn, int sortDirection, bool sortLocked,
                                        int clickedColumn) noexcept;
// The header image of the sort arrow: -1 none (direction 0), else 0 down
// (ascending), 1 up, plus 2 for the light images of a locked sort.
[[nodiscard]] int SortImageIndex(int direction, bool sortLocked) noexcept;

// The sort arrows are h rows high (odd, from a third of the row height) in
// images 2h wide.
[[nodiscard]] int SortArrowHeight(int rowHeight) noexcept;
// The pixels [left, right) of a row of an arrow of height h; row 0 is the
// top. A downward arrow is widest at the top.
struct Span {
  int left = 0;
  int right = 0;
};
[[nodiscard]] Span SortArrowRow(int h, int row, bool pointsDown) noexcept;

// The header height for the row height; no header without columns.
[[nodiscard]] int HeaderHeightFor(int rowHeight, bool hasColumns) noexcept;
