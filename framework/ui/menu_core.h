// The arithmetic of popup menus and of the plain items over plain numbers:
// a popup's icon column and size from its entries, where a popup opens
// beside or below its anchor and how it flips at the monitor's edges, the
// prefixes of a static text's label with its progress bar, and the
// separator's thickness and line. No Windows.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/util/monitors_core.h"

// ---- popup layout -------------------------------------------------------------

// The entries sit this far in from each edge of the popup.
inline constexpr int kPopupMargin = 3;

struct PopupEntrySize {
  int width;
  int height;
  int iconColumn;  // the entry's own icon column
};

struct PopupLayout {
  int iconColumn = 0;    // the popup's text column, shared by every entry
  int contentWidth = 0;  // the width every entry is given
  int width = 0;         // the popup window's size
  int height = 0;
};

// The column starts at the first entry's height, takes the widest icon
// column of any entry and adds 4; an entry whose own column is narrower
// grows by the difference, so that all labels start at one x. Null or no
// entries give an empty layout.
[[nodiscard]] PopupLayout LayoutPopupEntries(const PopupEntrySize* entries, int count) noexcept;

// ---- placement ----------------------------------------------------------------------

struct PopupPoint {
  std::int32_t x;
  std::int32_t y;
};

// Where the popup's top-left corner goes before it is fitted on a monitor:
// beside the anchor (a submenu, or a menu entry stacked on another) or
// below it.
[[nodiscard]] PopupPoint PopupStartPoint(const MonitorRect& anchor, bool toSide) noexcept;

// The start point fitted on the monitor: a popup that would leave the right
// edge opens to the left of the anchor (beside) or right-aligned with it
// (below); one that would leave the bottom opens upwards.
[[nodiscard]] PopupPoint FitPopupOnMonitor(const MonitorRect& anchor, PopupPoint start, int width, int height,
                                           bool toSide, const MonitorRect& monitor) noexcept;

// ---- static text ----------------------------------------------------------------------

// A static label may start with "#n" (icon n, drawn when n is not 0) and
// then "@p" (a progress bar of p percent, clamped to 0..100); neither prefix
// is drawn.
struct StaticLabel {
  int icon = 0;          // 0: none
  int percent = -1;      // -1: no bar
  std::size_t text = 0;  // where the drawn text starts
};
[[nodiscard]] StaticLabel ParseStaticLabel(const char* label) noexcept;

struct BarRect {
  int left;
  int top;
  int right;
  int bottom;
};
struct StaticBar {
  BarRect outline;
  BarRect fill;     // the filled part inside the outline (may be empty)
  int percentLeft;  // where the "%d%%" text starts
};
// The progress bar after a drawn text of textWidth x textHeight that starts
// at textLeft; s is the space width.
[[nodiscard]] StaticBar StaticBarRects(int textLeft, int labelTop, int labelHeight, int textWidth, int textHeight,
                                       int s, int percent) noexcept;

// ---- separator ------------------------------------------------------------------------

// A thin separator (the command's class flag) is a 3-pixel spacer without a
// line; the usual one is 6 pixels thick.
[[nodiscard]] constexpr int SeparatorThickness(std::uint32_t commandFlags) noexcept {
  return (commandFlags & 0x1000000u) != 0 ? 3 : 6;
}
// The two-pixel line of a separator of that size, across its long side;
// false when the separator draws none (its thickness is not 6).
[[nodiscard]] bool SeparatorLine(int width, int height, BarRect* line) noexcept;
