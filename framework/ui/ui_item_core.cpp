#include "framework/ui/ui_item_core.h"

#include "framework/app/command_table_core.h"

namespace {

int Max(int a, int b) noexcept { return a > b ? a : b; }

}  // namespace

ItemDrawState ItemDrawStateFor(std::uint32_t flags, bool hasHolder) noexcept {
  ItemDrawState s;
  const bool enabled = (flags & kCommandEnabled) != 0;
  const bool hot = (flags & kCommandHot) != 0;
  const bool pressed = (flags & kCommandPressed) != 0;
  if ((flags & kCommandChecked) != 0) s.frameStyle = enabled ? 6 : 7;
  if (hot) s.frameStyle = 1;
  if (pressed) s.frameStyle = 2;
  s.textColour = hot || pressed ? 2 : (enabled ? 1 : 0);
  s.centre = (flags & kItemCentre) != 0 && !hasHolder ? 1 : 0;
  s.bold = (flags & kItemBold) != 0 ? 1 : 0;
  s.pressedOffset = pressed ? 1 : 0;
  return s;
}

ItemMeasure MeasureItemParts(const ItemPartSizes& parts, int dpi, int s, float widthFactor,
                             float heightFactor) noexcept {
  ItemMeasure m;
  m.parts = parts;
  ItemPartSizes& p = m.parts;
  p.iconWidth = static_cast<int>(static_cast<std::int64_t>(p.iconWidth) * dpi / 96);
  p.iconHeight = static_cast<int>(static_cast<std::int64_t>(p.iconHeight) * dpi / 96);
  m.iconColumn = p.iconWidth;
  // Both growths are multiples of the label's measured height.
  const float labelHeight = static_cast<float>(p.labelHeight);
  p.labelWidth += static_cast<int>(labelHeight * widthFactor);
  p.labelHeight += static_cast<int>(labelHeight * heightFactor);
  if (p.labelHeight < 16) p.labelHeight = 16;
  m.height = Max(Max(p.iconHeight, p.extraHeight), Max(p.labelHeight, p.secondHeight)) + 2 * s;
  int width = s + p.arrowWidth;
  if (p.iconWidth > 0) width += p.iconWidth + s;
  if (p.extraWidth > 0) width += p.extraWidth + s;
  if (p.labelWidth > 0) width += p.labelWidth + s;
  if (p.secondWidth > 0) width += 4 * s + p.secondWidth;
  m.width = width;
  return m;
}

ItemPartRects LayoutItemParts(const ItemPartSizes& p, int itemWidth, int w, int h, int s, int offset, bool centre,
                              bool inPopup, int holderIconColumn, bool stretchLabel) noexcept {
  ItemPartRects r;
  const auto centredTop = [&](int partHeight) { return s + (h - 2 * s - partHeight + 1) / 2 + offset; };
  r.icon.top = centredTop(p.iconHeight);
  r.icon.bottom = r.icon.top + p.iconHeight;
  r.extra.top = centredTop(p.extraHeight);
  r.extra.bottom = r.extra.top + p.extraHeight;
  const int labelTop = static_cast<int>((h + 1 - 2 * s - p.labelHeight) * 0.5 + offset + s + 0.5);
  r.label.top = labelTop;
  r.label.bottom = labelTop + p.labelHeight;
  r.second.top = labelTop;
  r.second.bottom = labelTop + p.secondHeight;

  int o = offset;
  if (!inPopup && centre) o += (w - itemWidth) / 2;
  r.icon.left = s + o;
  r.icon.right = r.icon.left + p.iconWidth;
  const int next = inPopup ? o + holderIconColumn : (p.iconWidth > 0 ? r.icon.right + s : s + o);
  r.extra.left = next;
  r.extra.right = next + p.extraWidth;
  r.label.left = p.extraWidth > 0 ? r.extra.right + s : next;
  r.label.right = r.label.left + p.labelWidth;
  if (inPopup && p.secondWidth > 0) {
    r.second.left = w - p.arrowWidth - p.secondWidth - s;
    r.second.right = r.second.left + p.secondWidth;
  } else {
    r.second.left = r.second.right = r.label.right;
  }
  if (stretchLabel) r.label.right = w - p.arrowWidth - p.secondWidth - s;
  return r;
}

int LayoutColumnLefts(int listWidth, ListColumn* columns, int count) noexcept {
  if (count <= 0 || columns == nullptr) return listWidth;
  const auto span = [listWidth](const ListColumn& c) { return static_cast<int>(listWidth * c.widthFraction); };
  columns[0].left = 0;
  for (int i = 1; i < count; ++i) columns[i].left = span(columns[i - 1]) + columns[i - 1].left;
  const int total = span(columns[count - 1]) + columns[count - 1].left;
  return total > 0 ? total : listWidth;
}

int ClampScrollX(int scrollX, int totalWidth, int viewWidth) noexcept {
  const int maxScroll = Max(totalWidth - Max(viewWidth, 0), 0);
  if (scrollX > maxScroll) return maxScroll;
  return scrollX < 0 ? 0 : scrollX;
}

int ScrollPageFor(int viewWidth) noexcept { return Max(viewWidth, 0); }

SortClick HeaderSortClick(int sortColumn, int sortDirection, bool sortLocked, int clickedColumn) noexcept {
  SortClick click;
  if (sortLocked || sortColumn < 0 || clickedColumn < 0) return click;
  click.changes = true;
  if (clickedColumn != sortColumn) {
    click.direction = sortDirection != 0 ? sortDirection : 1;
  } else {
    click.direction = sortDirection == 1 ? -1 : 1;
  }
  return click;
}

int SortImageIndex(int direction, bool sortLocked) noexcept {
  if (direction == 0) return -1;
  return (direction == 1 ? 0 : 1) + (sortLocked ? 2 : 0);
}

int SortArrowHeight(int rowHeight) noexcept {
  int h = rowHeight / 3;
  if (h % 2 == 0) h -= 1;
  return h < 1 ? 1 : h;
}

Span SortArrowRow(int h, int row, bool pointsDown) noexcept {
  // Each row is one pixel narrower on either side than the one before it,
  // towards the tip.
  const int fromBase = pointsDown ? row : h - 1 - row;
  return Span{fromBase, 2 * h - 1 - fromBase};
}

int HeaderHeightFor(int rowHeight, bool hasColumns) noexcept {
  return hasColumns ? static_cast<int>(rowHeight * 1.2) : 0;
}
