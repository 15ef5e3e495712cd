#include "framework/ui/frame_core.h"

namespace {

constexpr std::int32_t kCornerInset = 20;
constexpr std::int64_t kCascadeStep = 40;

// x mod room with the sign of x, as C's remainder has it. A room of 0 (the
// window exactly as large as the space up to the monitor's far edge) leaves
// no position but 0.
std::int64_t WrapIntoRoom(std::int64_t x, std::int64_t room) noexcept { return room == 0 ? 0 : x % room; }

// The 16-bit values the record keeps.
std::int16_t Signed16(std::int64_t v) noexcept {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<std::uint64_t>(v) & 0xFFFFu));
}
std::uint16_t Unsigned16(std::int64_t v) noexcept {
  return static_cast<std::uint16_t>(static_cast<std::uint64_t>(v) & 0xFFFFu);
}

bool Contains(const MonitorRect& r, std::int32_t x, std::int32_t y) noexcept {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

bool OnSomeMonitor(const MonitorRect* monitors, int count, std::int32_t x, std::int32_t y) noexcept {
  for (int i = 0; i < count; ++i) {
    if (Contains(monitors[i], x, y)) return true;
  }
  return false;
}

MonitorRect RectFrom(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) noexcept {
  return MonitorRect{x, y, x + width, y + height};
}

struct MenuBuilder {
  WindowMenuModel& m;
  void Append(std::uint16_t id) noexcept {
    if (m.count < kWindowMenuSize - 1) m.list[m.count++] = id;
  }
  void Check(std::uint16_t id, bool on) noexcept {
    if (m.checkCount < static_cast<int>(sizeof m.checks / sizeof m.checks[0])) m.checks[m.checkCount++] = {id, on};
  }
  void Enable(std::uint16_t id, bool on) noexcept {
    if (m.enableCount < static_cast<int>(sizeof m.enables / sizeof m.enables[0])) {
      m.enables[m.enableCount++] = {id, on};
    }
  }
};

constexpr std::uint16_t kSettingsMenus[] = {kCmdAlwaysOnTop, kCmdShowOnTaskbar, kCmdCaptionMenu,    kCmdColourMenu,
                                            kCmdFontMenu,    kCmdLockMenu,      kCmdTransparencyMenu};
constexpr int kSettingsMenuCount = static_cast<int>(sizeof kSettingsMenus / sizeof kSettingsMenus[0]);
// Bars take what the settings, their separator and the end marker leave.
constexpr int kMaxMenuBars = kWindowMenuSize - kSettingsMenuCount - 2;

}  // namespace

FramePlacement DefaultFramePlacement(const MonitorRect& monitor, std::uint16_t id, std::int32_t x, std::int32_t y,
                                     std::int32_t width, std::int32_t height, std::uint32_t flags) noexcept {
  const std::int64_t monitorWidth = static_cast<std::int64_t>(monitor.right) - monitor.left;
  const std::int64_t monitorHeight = static_cast<std::int64_t>(monitor.bottom) - monitor.top;
  std::int64_t w = width != 0 ? width : monitorWidth * 2 / 3;
  std::int64_t h = height != 0 ? height : monitorHeight * 2 / 3;
  std::int64_t px = x != 0 ? x : (monitorWidth - w) / 2 + id * kCascadeStep;
  std::int64_t py = y != 0 ? y : (monitorHeight - h) / 2 + id * kCascadeStep;
  px = WrapIntoRoom(px, monitor.right - w);
  py = WrapIntoRoom(py, monitor.bottom - h);
  FramePlacement p{};
  p.rect = RectFrom(Signed16(px), Signed16(py), Unsigned16(w), Unsigned16(h));
  p.flags = flags;
  return p;
}

bool IsPlacementRecordUsable(const WindowPlacementRecord& record, const MonitorRect* monitors, int count) noexcept {
  if (record.width == 0 || record.height == 0 || monitors == nullptr) return false;
  if (count > kMaxMonitors) count = kMaxMonitors;
  const std::int32_t top = record.top + kCornerInset;
  return OnSomeMonitor(monitors, count, record.left + kCornerInset, top) ||
         OnSomeMonitor(monitors, count, record.left + record.width - kCornerInset, top);
}

FramePlacement PlacementFromRecord(const WindowPlacementRecord& record) noexcept {
  FramePlacement p{};
  p.rect = RectFrom(record.left, record.top, record.width, record.height);
  p.flags = record.flags;
  const int percent = static_cast<int>(record.transparencyWord & 0xFFu);
  p.transparency = IsValidTransparency(percent) ? percent : 0;
  p.ghostMode = (record.transparencyWord & kGhostModeBit) != 0;
  return p;
}

WindowPlacementRecord MakePlacementRecord(const MonitorRect& rect, std::uint32_t flags, int transparency,
                                          bool ghostMode) noexcept {
  WindowPlacementRecord r{};
  r.left = Signed16(rect.left);
  r.top = Signed16(rect.top);
  r.width = Unsigned16(static_cast<std::int64_t>(rect.right) - rect.left);
  r.height = Unsigned16(static_cast<std::int64_t>(rect.bottom) - rect.top);
  r.flags = flags;
  r.transparencyWord = (static_cast<std::uint32_t>(transparency) & 0xFFu) | (ghostMode ? kGhostModeBit : 0u);
  return r;
}

MonitorRect TrackPlacement(const MonitorRect& placement, const MonitorRect& window, std::uint32_t flags) noexcept {
  MonitorRect p = placement;
  if ((flags & kFrameLockPosition) == 0) {
    p = RectFrom(window.left, window.top, p.right - p.left, p.bottom - p.top);
  }
  if ((flags & kFrameLockSize) == 0) {
    p = RectFrom(p.left, p.top, window.right - window.left, window.bottom - window.top);
  }
  return p;
}

MonitorRect DockBayRect(int side, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                        std::int32_t thickness) noexcept {
  switch (side) {
    case kBayTop: return RectFrom(x, y, width, thickness);
    case kBayBottom: return RectFrom(x, y - thickness, width, thickness);
    case kBayLeft: return RectFrom(x, y, thickness, height);
    default: return RectFrom(x - thickness, y, thickness, height);
  }
}

int SplitterRowAt(const std::int32_t* rows, int side, std::int32_t c) noexcept {
  if (rows == nullptr) return -1;
  const bool nearEnd = side == kBayBottom || side == kBayRight;
  std::int64_t start = 0;
  for (int row = 0; row < kBayRowCount && rows[row] != 0; ++row) {
    const std::int64_t size = rows[row] < 0 ? -static_cast<std::int64_t>(rows[row]) : rows[row];
    const std::int64_t end = start + size;
    if (rows[row] < 0) {
      const std::int64_t band = nearEnd ? start : end - kSplitterSize;
      if (c >= band && c < band + kSplitterSize) return row;
    }
    start = end;
  }
  return -1;
}

DpiChange ComputeDpiChange(int oldDpi, int newDpi) noexcept {
  if (newDpi <= 0) return DpiChange{oldDpi, 1.0};
  if (oldDpi <= 0) return DpiChange{newDpi, 1.0};
  return DpiChange{newDpi, static_cast<double>(newDpi) / oldDpi};
}

WindowMenuModel BuildWindowMenuModel(const WindowMenuInputs& in) noexcept {
  WindowMenuModel m{};
  MenuBuilder b{m};
  int bars = in.bars == nullptr || in.barCount < 0 ? 0 : in.barCount;
  if (bars > kMaxMenuBars) bars = kMaxMenuBars;
  for (int i = 0; i < bars; ++i) {
    b.Append(in.bars[i].id);
    b.Check(in.bars[i].id, in.bars[i].visible);
  }
  if (bars > 0) b.Append(kCmdSeparator);
  b.Enable(kCmdLockBarPositions, bars > 0);
  b.Enable(kCmdLockBarSizes, bars > 0);
  for (std::uint16_t id : kSettingsMenus) b.Append(id);
  m.list[m.count] = kMenuListEnd;

  const std::uint32_t f = in.flags;
  b.Check(kCmdAlwaysOnTop, (f & kFrameTopmost) != 0);
  b.Check(kCmdShowOnTaskbar, (f & kFrameShowOnTaskbar) != 0);
  b.Check(kCmdCaptionNormal, (f & kFrameCaptionBits) == 0);
  b.Check(kCmdCaptionSmall, (f & kFrameSmallCaption) != 0);
  b.Check(kCmdCaptionNone, (f & kFrameNoCaption) != 0);
  b.Check(kCmdCaptionBorderless, (f & kFrameBorderless) != 0);
  b.Check(kCmdColourNone, in.schemeMode == 0);
  b.Check(kCmdColourDefault, in.schemeMode == 1);
  // Every mode above 1 is a custom scheme; 255 (automatic) is resolved to 0
  // or 1 once the theme has computed its colours.
  b.Check(kCmdColourCustom, in.schemeMode >= 2 && in.schemeMode != 255);
  b.Check(kCmdLockBarPositions, (f & kFrameLockBarPositions) != 0);
  b.Check(kCmdLockBarSizes, (f & kFrameLockBarSizes) != 0);
  b.Check(kCmdLockPosition, (f & kFrameLockPosition) != 0);
  b.Check(kCmdLockSize, (f & kFrameLockSize) != 0);
  b.Check(kCmdLockAll, (f & kFrameLockBits) == kFrameLockBits);
  b.Check(kCmdLockResolution, (f & kFrameKeepOnResolutionChange) != 0);
  b.Check(kCmdFontDefault, !in.customFont);
  b.Check(kCmdFontCustom, in.customFont);
  for (int k = 0; k <= 9; ++k) {
    b.Check(static_cast<std::uint16_t>(kCmdTransparencyOff + k), in.transparency == 10 * k);
  }
  b.Check(kCmdGhost, in.ghostMode);
  b.Enable(kCmdGhost, in.transparency > 0);
  return m;
}

std::int32_t CaptionBitsForCommand(std::uint16_t id) noexcept {
  switch (id) {
    case kCmdCaptionNormal: return 0;
    case kCmdCaptionSmall: return static_cast<std::int32_t>(kFrameSmallCaption);
    case kCmdCaptionNone: return static_cast<std::int32_t>(kFrameNoCaption);
    case kCmdCaptionBorderless: return static_cast<std::int32_t>(kFrameBorderless);
    default: return -1;
  }
}

int TransparencyForCommand(std::uint16_t id) noexcept {
  return id >= kCmdTransparencyOff && id <= kCmdTransparencyOff + 9 ? (id - kCmdTransparencyOff) * 10 : -1;
}

int CustomColourIndexForCommand(std::uint16_t id) noexcept {
  switch (id) {
    case kCmdCustomBackground: return 0;
    case kCmdCustomFocus: return 2;
    case kCmdCustomText: return 3;
    case kCmdCustomHighlightedText: return 4;
    default: return -1;
  }
}

bool UpdateStatusEntries(CGrowArray<StatusEntry>& entries, std::int32_t key, const char* text) noexcept {
  int found = -1;
  for (int i = 0; i < entries.Count(); ++i) {
    if (entries[i].key == key) {
      found = i;
      break;
    }
  }
  if (text != nullptr && text[0] != '\0') {
    if (found < 0) {
      const std::int32_t at = entries.Append(StatusEntry{key, {}});
      if (at < 0) return false;
      found = at;
    }
    char* out = entries[found].text;
    std::size_t n = 0;
    while (n + 1 < kStatusTextSize && text[n] != '\0') {
      out[n] = text[n];
      ++n;
    }
    out[n] = '\0';
    return true;
  }
  if (found >= 0) entries.RemoveAt(found);
  if (entries.Count() == 0) return true;
  for (const StatusEntry& e : entries) {
    if (e.key >= 0) return true;
  }
  for (int i = 0; i < entries.Count(); ++i) {
    if (entries[i].key == kStatusKeyShown) {
      entries.RemoveAt(i);
      break;
    }
  }
  return true;
}

const StatusEntry* ShownStatusEntry(const CGrowArray<StatusEntry>& entries) noexcept {
  for (const StatusEntry& e : entries) {
    if (e.key == kStatusKeyShown) return &e;
  }
  return entries.Count() > 0 ? &entries[entries.Count() - 1] : nullptr;
}

int NextTabStop(int count, int current, int step) noexcept {
  if (count <= 0) return -1;
  if (current < 0 || current >= count) return 0;
  const int next = current + step;
  if (next < 0) return count - 1;
  if (next >= count) return 0;
  return next;
}

int ChooseResizeZone(int x, int y, int width, int height) noexcept {
  const bool top = y < kResizeBorder;
  const bool bottom = y >= height - kResizeBorder;
  if (x < kResizeBorder) return top ? 1 : bottom ? 3 : 2;
  if (x < width - kResizeBorder) return top ? 8 : bottom ? 4 : 0;
  return top ? 7 : bottom ? 5 : 6;
}

MonitorRect ResizedRect(const MonitorRect& rect, int zone, const ResizeGrip& grip, int cursorX,
                        int cursorY) noexcept {
  MonitorRect r = rect;
  if (zone == 1 || zone == 2 || zone == 3) r.left = cursorX - grip.left;
  if (zone == 1 || zone == 7 || zone == 8) r.top = cursorY - grip.top;
  if (zone == 5 || zone == 6 || zone == 7) r.right = cursorX + grip.right;
  if (zone == 3 || zone == 4 || zone == 5) r.bottom = cursorY + grip.bottom;
  return r;
}
