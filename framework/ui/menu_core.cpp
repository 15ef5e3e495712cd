#include "framework/ui/menu_core.h"

namespace {

constexpr long long kNumberLimit = 1000000;

bool IsDigit(char c) noexcept { return c >= '0' && c <= '9'; }

// A decimal number with an optional minus sign at text[at]; false, with at
// unchanged, when no digit follows. Long numbers saturate instead of
// overflowing.
bool ReadNumber(const char* text, std::size_t& at, int& value) noexcept {
  std::size_t i = at;
  const bool negative = text[i] == '-';
  if (negative) ++i;
  if (!IsDigit(text[i])) return false;
  long long n = 0;
  for (; IsDigit(text[i]); ++i) {
    if (n < kNumberLimit) n = n * 10 + (text[i] - '0');
    if (n > kNumberLimit) n = kNumberLimit;
  }
  value = static_cast<int>(negative ? -n : n);
  at = i;
  return true;
}

}  // namespace

PopupLayout LayoutPopupEntries(const PopupEntrySize* entries, int count) noexcept {
  PopupLayout layout;
  if (entries == nullptr || count <= 0) return layout;
  int column = entries[0].height;
  for (int i = 0; i < count; ++i) {
    if (entries[i].iconColumn > column) column = entries[i].iconColumn;
  }
  column += 4;
  int width = 0;
  int height = 0;
  for (int i = 0; i < count; ++i) {
    const PopupEntrySize& e = entries[i];
    const int w = e.width + (e.iconColumn < column ? column - e.iconColumn : 0);
    if (w > width) width = w;
    height += e.height;
  }
  layout.iconColumn = column;
  layout.contentWidth = width;
  layout.width = width + 2 * kPopupMargin;
  layout.height = height + 2 * kPopupMargin;
  return layout;
}

PopupPoint PopupStartPoint(const MonitorRect& anchor, bool toSide) noexcept {
  return toSide ? PopupPoint{anchor.right - 2, anchor.top - 2} : PopupPoint{anchor.left, anchor.bottom};
}

PopupPoint FitPopupOnMonitor(const MonitorRect& anchor, PopupPoint start, int width, int height, bool toSide,
                             const MonitorRect& monitor) noexcept {
  PopupPoint p = start;
  const auto right = static_cast<long long>(p.x) + width;
  const auto bottom = static_cast<long long>(p.y) + height;
  if (right > monitor.right) p.x = toSide ? anchor.left - width : anchor.right - width;
  if (bottom > monitor.bottom) p.y = toSide ? anchor.bottom - height : anchor.top - height;
  return p;
}

StaticLabel ParseStaticLabel(const char* label) noexcept {
  StaticLabel parts;
  if (label == nullptr) return parts;
  std::size_t at = 0;
  if (label[at] == '#') {
    ++at;
    int n = 0;
    if (ReadNumber(label, at, n) && n > 0) parts.icon = n;
  }
  if (label[at] == '@') {
    ++at;
    int p = 0;
    if (ReadNumber(label, at, p)) parts.percent = p < 0 ? 0 : (p > 100 ? 100 : p);
  }
  parts.text = at;
  return parts;
}

StaticBar StaticBarRects(int textLeft, int labelTop, int labelHeight, int textWidth, int textHeight, int s,
                         int percent) noexcept {
  StaticBar bar{};
  const int p = percent < 0 ? 0 : (percent > 100 ? 100 : percent);
  bar.outline.left = textLeft + textWidth + 2 * s;
  bar.outline.right = bar.outline.left + 10 * textHeight;
  bar.outline.top = labelTop + (labelHeight - textHeight) / 2 + 1;
  bar.outline.bottom = bar.outline.top + textHeight - 2;
  bar.fill = BarRect{bar.outline.left + 1, bar.outline.top + 1, bar.outline.right - 1, bar.outline.bottom - 1};
  const int inner = bar.fill.right - bar.fill.left;
  bar.fill.right = bar.fill.left + (inner > 0 ? inner * p / 100 : 0);
  bar.percentLeft = bar.outline.right + 2 * s;
  return bar;
}

bool SeparatorLine(int width, int height, BarRect* line) noexcept {
  if (height != 6 || line == nullptr) return false;
  *line = height < width ? BarRect{2, height / 2 - 1, width - 2, height / 2 + 1}
                         : BarRect{width / 2 - 1, 2, width / 2 + 1, height - 2};
  return true;
}
