#include "framework/ui/bar_core.h"

namespace {

constexpr std::uint32_t kMayOverflow = 0x1000;
constexpr std::uint32_t kHiddenCommand = 0x800000;

int Max(int a, int b) noexcept { return a > b ? a : b; }
int Min(int a, int b) noexcept { return a < b ? a : b; }

}  // namespace

BarThickness ComputeBarThickness(int largestItem, int stored, std::uint16_t flags) noexcept {
  const int base = largestItem < 0 ? kEmptyBarBase : largestItem + 1;
  const int minimum = base + 2 * kBarMargin;
  const int thickness = (flags & kBarResizableRow) != 0 ? Max(stored, minimum) : minimum;
  return BarThickness{minimum, thickness};
}

void MeasureBayRows(DockedBar* bars, int count, std::uint16_t bayId, std::int32_t* rows) noexcept {
  bool marked[kBayRowCount] = {};
  for (int r = 0; r < kBayRowCount; ++r) rows[r] = 0;
  for (int i = 0; bars != nullptr && i < count; ++i) {
    DockedBar& bar = bars[i];
    if (bar.bayId != bayId) continue;
    // A row past the bay's rows (from an old record, or a caller's
    // mistake) is the outermost row there is.
    if (bar.row >= kBayRowCount) bar.row = kBayRowCount - 1;
    if ((bar.flags & kBarVisible) == 0) continue;
    rows[bar.row] = Max(rows[bar.row], bar.thickness);
    if ((bar.flags & kBarResizableRow) != 0) marked[bar.row] = true;
  }
  for (int r = 0; r < kBayRowCount; ++r) {
    if (marked[r] && rows[r] != 0) rows[r] = -rows[r] - kSplitterSize;
  }
  // Empty rows close up; the row that moves down into an emptied place is
  // looked at again, since it may be empty too.
  int b = 0;
  while (b < kBayRowCount) {
    if (rows[b] != 0) {
      ++b;
      continue;
    }
    int next = b + 1;
    while (next < kBayRowCount && rows[next] == 0) ++next;
    if (next == kBayRowCount) break;
    for (int r = b; r + 1 < kBayRowCount; ++r) rows[r] = rows[r + 1];
    rows[kBayRowCount - 1] = 0;
    for (int i = 0; i < count; ++i) {
      if (bars[i].bayId == bayId && bars[i].row > b) --bars[i].row;
    }
  }
}

void LayoutBayRow(DockedBar* const* bars, int n, int usable, RowPlace* out) noexcept {
  if (bars == nullptr || out == nullptr || n <= 0) return;
  if (n > kMaxRowBars) n = kMaxRowBars;
  int pos[kMaxRowBars];
  int len[kMaxRowBars];
  int gap[kMaxRowBars];
  for (int i = 0; i < n; ++i) {
    pos[i] = bars[i]->position;
    len[i] = bars[i]->length;
  }
  for (int i = 1; i < n; ++i) {
    pos[i] = Max(pos[i], pos[i - 1] + bars[i - 1]->minLength);
    len[i - 1] = Min(len[i - 1], pos[i] - pos[i - 1]);
  }
  for (int i = 0; i < n; ++i) {
    if ((bars[i]->flags & kBarFollowsPrevious) == 0) continue;
    if (i == 0) {
      pos[0] = 0;
    } else {
      len[i - 1] = bars[i - 1]->preferredLength;
      pos[i] = pos[i - 1] + len[i - 1];
    }
  }
  for (int i = n - 1; i >= 0; --i) {
    if ((bars[i]->flags & kBarPushedToEnd) == 0) continue;
    const int next = i == n - 1 ? usable : pos[i + 1];
    pos[i] = Max(next - len[i], 0);
    if (i > 0) pos[i] = Max(pos[i], pos[i - 1] + len[i - 1]);
  }
  for (int i = 0; i < n; ++i) {
    if ((bars[i]->flags & kBarFillsRow) == 0) continue;
    const int next = i == n - 1 ? usable : pos[i + 1];
    len[i] = Max(len[i], next - pos[i]);
  }
  int end = 0;
  for (int i = 0; i < n; ++i) {
    // Bars never overlap: a bar that starts inside the one before it
    // follows it.
    gap[i] = Max(i == 0 ? pos[0] : pos[i] - (pos[i - 1] + len[i - 1]), 0);
    end += gap[i] + len[i];
  }
  int overflow = end - usable;
  for (int i = n - 1; i >= 0 && overflow > 0; --i) {
    const int take = Min(gap[i], overflow);
    gap[i] -= take;
    overflow -= take;
  }
  for (int pass = 0; pass < 2 && overflow > 0; ++pass) {
    for (int i = n - 1; i >= 0 && overflow > 0; --i) {
      if (pass == 0 && (bars[i]->flags & kBarFillsRow) == 0) continue;
      const int take = Min(Max(len[i] - bars[i]->minLength, 0), overflow);
      len[i] -= take;
      overflow -= take;
    }
  }
  int along = 0;
  for (int i = 0; i < n; ++i) {
    along += gap[i];
    out[i] = RowPlace{along, len[i]};
    if ((bars[i]->flags & kBarFollowsPrevious) != 0) bars[i]->position = along;
    along += len[i];
  }
}

BarRowLayout LayoutBarItems(const BarItem* items, int n, int margin, int crossMargin, int innerLength,
                            int innerThickness, int gap, BarItemPlace* out, std::uint16_t* overflow,
                            int overflowSize) noexcept {
  BarRowLayout result{};
  int listed = 0;
  if (overflow != nullptr && overflowSize > 0) overflow[0] = kOverflowListEnd;
  if (items == nullptr || out == nullptr || n <= 0) {
    result.length = margin + 2;
    result.minLength = result.length;
    return result;
  }
  const int button = n - 1;
  int total = 0;
  int fixed = 0;
  int stretch = 0;
  bool mayOverflow = false;
  for (int i = 0; i < button; ++i) {
    out[i] = BarItemPlace{};
    if ((items[i].commandFlags & kHiddenCommand) != 0) continue;
    out[i].shown = true;
    total += items[i].along + gap;
    if ((items[i].commandFlags & kItemStretches) != 0) ++stretch;
    if ((items[i].commandFlags & kMayOverflow) == 0) {
      fixed += items[i].along;
    } else {
      mayOverflow = true;
    }
  }
  out[button] = BarItemPlace{};
  result.length = margin + total + 2;
  // The overflow button must fit in the shortest bar, or what it holds
  // could not be reached.
  result.minLength = margin + fixed + (mayOverflow ? items[button].along + gap : 0) + 2;
  if (innerLength < total) {
    result.overflowShown = true;
    out[button].shown = true;
    total += items[button].along + gap;
    for (int i = button - 1; i >= 0 && total > innerLength; --i) {
      if (!out[i].shown || (items[i].commandFlags & kMayOverflow) == 0) continue;
      out[i].shown = false;
      out[i].length = -1;  // hidden for lack of room
      total -= items[i].along + gap;
      if ((items[i].commandFlags & kItemStretches) != 0) --stretch;
    }
  }
  const int spare = innerLength - total;
  const int extra = stretch > 0 && spare > 0 ? spare / stretch : 0;
  int x = margin;
  for (int i = 0; i < n; ++i) {
    BarItemPlace& p = out[i];
    if (!p.shown) {
      if (p.length == -1) {
        p.length = 0;
        const bool skip = items[i].separator && listed == 0;
        if (!skip && overflow != nullptr && listed + 1 < overflowSize) {
          overflow[listed++] = items[i].commandId;
          overflow[listed] = kOverflowListEnd;
        }
      }
      continue;
    }
    // A separator runs across the whole bar.
    const bool full = (items[i].commandFlags & kItemFullHeight) != 0 || items[i].separator;
    p.along = x;
    p.thickness = full ? innerThickness : items[i].across;
    p.across = full ? crossMargin : crossMargin + (innerThickness - items[i].across) / 2;
    p.length = items[i].along + ((items[i].commandFlags & kItemStretches) != 0 ? extra : 0);
    x += p.length + gap;
  }
  return result;
}

FloatingSize LayoutFloatingItems(const BarItem* items, int n, int margin, int width, int height, int gap,
                                 BarItemPlace* out) noexcept {
  struct Line {
    int first;
    int last;
    int width;
    int height;
    int stretch;
    bool ownLine;
    bool separator;
  };
  constexpr int kMaxLines = 64;
  Line lines[kMaxLines];
  int count = 0;
  if (items == nullptr || out == nullptr || n <= 0) return FloatingSize{2, margin + 3};
  int widest = 0;
  for (int i = 0; i < n; ++i) {
    out[i] = BarItemPlace{};
    if ((items[i].commandFlags & kItemOwnLine) == 0) widest = Max(widest, items[i].along);
  }
  const int barWidth = Max(width - 2 * margin, widest);
  auto shownAfter = [&](int i) {
    for (int j = i + 1; j < n; ++j) {
      if ((items[j].commandFlags & kHiddenCommand) == 0) return j;
    }
    return -1;
  };
  for (int i = 0; i < n; ++i) {
    const BarItem& item = items[i];
    if ((item.commandFlags & kHiddenCommand) != 0) continue;
    const bool own = (item.commandFlags & kItemOwnLine) != 0;
    Line* line = count > 0 ? &lines[count - 1] : nullptr;
    bool breaks =
        line == nullptr || own || line->ownLine || line->separator || line->width + gap + item.along > barWidth;
    bool separatorLine = false;
    if (item.separator && line != nullptr) {
      // A separator at a line's end stands between two lines instead.
      const int next = shownAfter(i);
      if (next < 0 || line->width + gap + item.along + gap + items[next].along > barWidth) {
        breaks = true;
        separatorLine = true;
      }
    }
    if (breaks) {
      if (count == kMaxLines) break;
      lines[count++] = Line{i, i, item.along, item.across, 0, own, separatorLine};
      line = &lines[count - 1];
    } else {
      line->last = i;
      line->width += gap + item.along;
      line->height = Max(line->height, item.across);
    }
    out[i].shown = true;
    if ((item.commandFlags & kItemStretches) != 0) ++line->stretch;
  }
  if (count == 0) return FloatingSize{2, margin + 3};
  int fixedHeight = 0;
  int ownLines = 0;
  int widestLine = 0;
  for (int l = 0; l < count; ++l) {
    if (lines[l].ownLine) {
      ++ownLines;
    } else {
      fixedHeight += lines[l].height;
    }
    fixedHeight += l > 0 ? gap : 0;
    widestLine = Max(widestLine, lines[l].ownLine ? widest : lines[l].width);
  }
  const int share = ownLines > 0 ? (height - 2 * margin - fixedHeight) / ownLines : 0;
  int y = margin;
  for (int l = 0; l < count; ++l) {
    Line& line = lines[l];
    if (line.ownLine) line.height = Max(line.height, share);
    const int extra = line.stretch > 0 && barWidth > line.width ? (barWidth - line.width) / line.stretch : 0;
    int x = margin;
    for (int i = line.first; i <= line.last; ++i) {
      if (!out[i].shown) continue;
      BarItemPlace& p = out[i];
      p.along = x;
      p.across = y;
      if (line.ownLine) {
        p.length = barWidth;
        p.thickness = line.height;
      } else if (line.separator && i == line.first) {
        p.length = widestLine;
        p.thickness = items[i].across;
      } else {
        p.length = items[i].along + ((items[i].commandFlags & kItemStretches) != 0 ? extra : 0);
        p.thickness = line.height;
      }
      x += p.length + gap;
    }
    y += line.height + gap;
  }
  y -= gap;
  return FloatingSize{margin + Max(widestLine, barWidth) + 2, y + 3};
}
