// The arithmetic of bars and dock bays over plain numbers: a bay's rows
// measured from the bars docked in it, the bars of one row placed along it,
// a bar's thickness, its items placed in a row (hiding the last ones that
// may overflow when the row is too short) or wrapped into lines when it
// floats, the limit of a splitter drag and the record a bar's position is
// saved in. No Windows: bar.cpp and dock_bay.cpp put the windows around it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/ui/frame_core.h"

// ---- bar flags --------------------------------------------------------------

inline constexpr std::uint16_t kBarPushedToEnd = 0x2;
inline constexpr std::uint16_t kBarFillsRow = 0x4;
inline constexpr std::uint16_t kBarResizableRow = 0x8;
inline constexpr std::uint16_t kBarSystemMenu = 0x10;
inline constexpr std::uint16_t kBarVisible = 0x20;
inline constexpr std::uint16_t kBarFollowsPrevious = 0x200;

inline constexpr int kBarFloating = -1;  // the side of a floating bar
inline constexpr int kBarHorizontal = 0;
inline constexpr int kBarVertical = 1;
inline constexpr int kBarFloatingOrientation = 2;

[[nodiscard]] constexpr int BarOrientation(int side) noexcept {
  return side == kBayTop || side == kBayBottom   ? kBarHorizontal
         : side == kBayLeft || side == kBayRight ? kBarVertical
                                                 : kBarFloatingOrientation;
}

inline constexpr int kBarMargin = 2;  // around the items, on every side
inline constexpr int kEmptyBarLength = 20;
inline constexpr int kEmptyBarBase = 20;

// Command flags that bars read.
inline constexpr std::uint32_t kItemStretches = 0x2;   // takes a share of the spare length
inline constexpr std::uint32_t kItemFullHeight = 0x4;  // as high as the bar's inner rectangle
inline constexpr std::uint32_t kItemOwnLine = 0x8;     // a line of its own in a floating bar
inline constexpr std::uint16_t kOverflowCommandId = 0xF100;
inline constexpr std::uint16_t kOverflowListEnd = 0xFFFF;

// ---- the record ---------------------------------------------------------------

inline constexpr char kBarRecordName[] = "(Orvo)Bar";

#pragma pack(push, 1)
// The record "(Orvo)Bar<bar id>": where the bar was when the program ended.
struct BarPlacementRecord {
  std::int16_t x;
  std::int16_t y;
  std::uint16_t length;
  std::uint16_t thickness;
  std::uint16_t frameId;
  std::uint16_t side;  // the low byte of the bay id
  std::uint16_t row;
  std::uint16_t flags;
};
#pragma pack(pop)
static_assert(sizeof(BarPlacementRecord) == 16);
static_assert(offsetof(BarPlacementRecord, length) == 4);
static_assert(offsetof(BarPlacementRecord, frameId) == 8);
static_assert(offsetof(BarPlacementRecord, row) == 12);
static_assert(offsetof(BarPlacementRecord, flags) == 14);

// ---- thickness ------------------------------------------------------------------

struct BarThickness {
  int minimum;
  int thickness;
};
// largestItem: the largest item size across the bar, or -1 without items.
// A bar with a resizable row keeps its stored thickness above the minimum.
[[nodiscard]] BarThickness ComputeBarThickness(int largestItem, int stored, std::uint16_t flags) noexcept;

// ---- a bay's rows ---------------------------------------------------------------

// What the bay's arithmetic knows of a bar.
struct DockedBar {
  std::uint16_t bayId = 0;
  std::uint16_t row = 0;
  std::uint16_t flags = 0;
  int thickness = 0;  // as GetBarThickness gives it
  int minThickness = 0;
  int position = 0;  // along the row
  int length = 0;
  int minLength = 0;
  int preferredLength = 0;
};

// Fills the 16 row sizes of the bay from its visible bars (a negative size:
// a row with a splitter, its magnitude including the splitter) and closes
// up empty rows, lowering the row numbers of the bars above them. A row
// number past the bay's last row counts as the last row.
void MeasureBayRows(DockedBar* bars, int count, std::uint16_t bayId, std::int32_t* rows) noexcept;

[[nodiscard]] constexpr int RowMagnitude(std::int32_t size) noexcept { return size < 0 ? -size : size; }

// The bars of one row that get their own placing.
inline constexpr int kMaxRowBars = 64;

// Where the bars of one row go: along is the offset from the row's start.
struct RowPlace {
  int along = 0;
  int length = 0;
};
// Places the n bars of a row (in their order along it) in usable pixels:
// bars follow, push to the end and fill as their flags ask, and what does
// not fit is taken from the gaps, then from the filling bars, then from all
// bars, the last first, none below its minimum length. A bar that follows
// the one before it takes its place as its position. Only the first
// kMaxRowBars bars are placed.
void LayoutBayRow(DockedBar* const* bars, int n, int usable, RowPlace* out) noexcept;

// The thickness a splitter drag gives a row: the start thickness moved by
// the drag, never below the largest minimum thickness of its bars.
[[nodiscard]] constexpr int DraggedRowThickness(int startThickness, int delta, int largestMinimum) noexcept {
  const int t = startThickness + delta;
  return t < largestMinimum ? largestMinimum : t;
}

// ---- items in a docked bar ------------------------------------------------------

struct BarItem {
  int along = 0;   // the item's measured size along the bar
  int across = 0;  // and across it
  std::uint32_t commandFlags = 0;
  std::uint16_t commandId = 0;
  bool separator = false;
};

struct BarItemPlace {
  bool shown = false;
  int along = 0;
  int across = 0;
  int length = 0;
  int thickness = 0;
};

struct BarRowLayout {
  int length = 0;  // margin + items + 2
  int minLength = 0;
  bool overflowShown = false;
};

// Lays out n items of a docked bar, the last of them the overflow button
// (separators and items of full-height commands across the whole of it),
// in the inner rectangle [margin, margin + innerLength) along and
// [crossMargin, crossMargin + innerThickness) across. Items of hidden
// commands stay hidden; when the items do not fit, the overflow button is
// shown and items that may overflow are hidden from the last backwards
// until the rest fit, and their command ids go to overflow (at most
// overflowSize - 1 of them, a separator never first, ended by
// kOverflowListEnd).
BarRowLayout LayoutBarItems(const BarItem* items, int n, int margin, int crossMargin, int innerLength,
                            int innerThickness, int gap, BarItemPlace* out, std::uint16_t* overflow,
                            int overflowSize) noexcept;

// Items of a floating bar wrapped into lines within width; the size the bar
// needs.
struct FloatingSize {
  int length = 0;
  int thickness = 0;
};
FloatingSize LayoutFloatingItems(const BarItem* items, int n, int margin, int width, int height, int gap,
                                 BarItemPlace* out) noexcept;
