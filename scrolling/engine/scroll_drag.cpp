#include "scrolling/engine/scroll_drag.h"

#include <cmath>

#include "scrolling/engine/button_actions.h"
#include "scrolling/engine/profile_match.h"
#include "scrolling/engine/records.h"

namespace {

constexpr double kMaxLinesPerMove = 100.0;
constexpr double kWheelDelta = 120.0;

std::int64_t Abs64(std::int64_t v) noexcept { return v < 0 ? -v : v; }

bool Intersects(const ScreenRect& a, const ScreenRect& b) noexcept {
  const std::int32_t left = a.left > b.left ? a.left : b.left;
  const std::int32_t right = a.right < b.right ? a.right : b.right;
  const std::int32_t top = a.top > b.top ? a.top : b.top;
  const std::int32_t bottom = a.bottom < b.bottom ? a.bottom : b.bottom;
  return left < right && top < bottom;
}

bool OppositeSigns(std::int64_t a, std::int64_t b) noexcept { return (a < 0 && b > 0) || (a > 0 && b < 0); }

// A move's scroll amount in lines, at most 100 either way; a speed that is
// not a number (a damaged options file) scrolls nothing.
double ScaledDelta(std::int64_t delta, double speed) noexcept {
  const double v = static_cast<double>(delta) * speed;
  if (std::isnan(v)) return 0.0;
  if (v > kMaxLinesPerMove) return kMaxLinesPerMove;
  if (v < -kMaxLinesPerMove) return -kMaxLinesPerMove;
  return v;
}

// A wheel wParam whose high word is the low 16 bits of the truncated delta.
std::uintptr_t WheelWParam(double delta) noexcept {
  const auto truncated = static_cast<std::int32_t>(delta);  // |delta| <= 12120: always in range
  return static_cast<std::uintptr_t>(static_cast<std::uint32_t>(static_cast<std::uint16_t>(truncated)) << 16);
}

// The screen point of a message, packed as the system packs it.
std::intptr_t PointLParam(ScreenPoint p) noexcept {
  const std::uint32_t packed = (static_cast<std::uint32_t>(static_cast<std::uint16_t>(p.y)) << 16) |
                               static_cast<std::uint16_t>(p.x);
  return static_cast<std::intptr_t>(packed);
}

class ScrollBarCollector final : public WindowVisitor {
 public:
  ScrollBarCollector(EnginePlatform& platform, const ScreenRect& target, CGrowArray<ScrollBarCandidate>& list)
      : platform_(platform), target_(target), list_(list) {}
  void Visit(WindowId window) override { CollectScrollBarsProc(platform_, window, target_, list_); }

 private:
  EnginePlatform& platform_;
  const ScreenRect& target_;
  CGrowArray<ScrollBarCandidate>& list_;
};

}  // namespace

bool ClassifyScrollBar(WindowId window, const ScreenRect& bar, const ScreenRect& target,
                       ScrollBarCandidate& out) noexcept {
  const std::int64_t width = static_cast<std::int64_t>(bar.right) - bar.left;
  const std::int64_t height = static_cast<std::int64_t>(bar.bottom) - bar.top;
  const bool vertical = height >= width;
  bool adjacent = false;

  if (!Intersects(bar, target)) {
    std::int64_t gap = 0;
    if (vertical) {
      if (bar.left > target.left) {
        gap = Abs64(static_cast<std::int64_t>(bar.left) - target.right);
      } else if (bar.left < target.left) {
        gap = Abs64(static_cast<std::int64_t>(bar.right) - target.left);
      } else {
        return false;
      }
    } else {
      if (bar.top > target.top) {
        gap = Abs64(static_cast<std::int64_t>(bar.top) - target.bottom);
      } else if (bar.top < target.top) {
        gap = Abs64(static_cast<std::int64_t>(bar.bottom) - target.top);
      } else {
        return false;
      }
    }
    if (gap > kAdjacentSlack) return false;
    adjacent = true;
  }

  if (vertical) {
    if (height < kMinScrollBarLength || bar.top > target.bottom || bar.bottom < target.top) return false;
  } else {
    if (width < kMinScrollBarLength || bar.left > target.right || bar.right < target.left) return false;
  }
  out = ScrollBarCandidate{window, bar, vertical ? 1 : 0, static_cast<std::uint8_t>(adjacent ? 1 : 0)};
  return true;
}

void CollectScrollBarsProc(EnginePlatform& platform, WindowId window, const ScreenRect& target,
                           CGrowArray<ScrollBarCandidate>& list) {
  char windowClass[kPathSize] = {};
  platform.GetWindowClass(window, windowClass, sizeof windowClass);
  if (!EqualsNoCase(FieldText(windowClass), "ScrollBar")) return;
  if (!platform.WindowVisible(window) || (platform.WindowStyle(window) & kSbsSizeGrip) != 0) return;
  ScreenRect bar{};
  if (!platform.WindowRect(window, bar)) return;
  ScrollBarCandidate candidate{};
  if (!ClassifyScrollBar(window, bar, target, candidate)) return;
  // Out of memory only costs this bar its chance to stand in.
  (void)InsertRecords(list, &candidate, list.Count(), 1);
}

bool CheckModifierKeys(EnginePlatform& platform, const Profile& profile) {
  return (profile.bUseCtrl == 0 || platform.IsKeyDown(kVkControl)) &&
         (profile.bUseAlt == 0 || platform.IsKeyDown(kVkMenu)) &&
         (profile.bUseShift == 0 || platform.IsKeyDown(kVkShift));
}

ScrollEngine::ScrollEngine(EnginePlatform& platform, TargetSelector& selector, const Options& options) noexcept
    : platform_(platform), selector_(selector), options_(options) {}

void ScrollEngine::SetState(DragState state) noexcept {
  state_ = state;
  // The profile chosen at the press stays in force until the drag ends.
  selector_.SetDragInProgress(state != DragState::Idle);
}

std::uint32_t ScrollEngine::ButtonFlags(bool middle, bool down) const noexcept {
  if (middle) return down ? kMouseMiddleDown : kMouseMiddleUp;
  if (buttonsSwapped_) return down ? kMouseLeftDown : kMouseLeftUp;
  return down ? kMouseRightDown : kMouseRightUp;
}

std::intptr_t ScrollEngine::HandleMouseEvent(std::uint32_t message) {
  if (options_.bDisabled != 0) {
    // Switched off in the middle of a drag: give back the capture and the
    // cursors instead of leaving them taken until the next drag.
    if (state_ != DragState::Idle) EndScrolling();
    return 0;
  }
  switch (message) {
    case kWmRButtonDown:
      return ButtonDown(false, false);
    case kWmRButtonDblClk:
      return ButtonDown(false, true);
    case kWmMButtonDown:
      return ButtonDown(true, false);
    case kWmMButtonDblClk:
      return ButtonDown(true, true);
    case kWmRButtonUp:
      return ButtonUp(false);
    case kWmMButtonUp:
      return ButtonUp(true);
    case kWmMouseMove:
      return Move();
    default:
      return 0;
  }
}

std::intptr_t ScrollEngine::ButtonDown(bool middle, bool secondClick) {
  switch (state_) {
    case DragState::SkipInjectedUp:
      SetState(DragState::Scrolling);
      return 1;
    case DragState::ReplayingClick:
      return 0;
    case DragState::Armed:
    case DragState::Scrolling:
      return 1;
    case DragState::Idle:
      break;
  }
  return PressWhileIdle(middle, secondClick);
}

std::intptr_t ScrollEngine::PressWhileIdle(bool middle, bool secondClick) {
  locked_ = LockedAxis::None;
  const WindowId target = selector_.FindTargetWindow(&anchor_);
  if (target == 0) return 0;
  target_ = target;
  const Profile& profile = selector_.CurrentProfile();

  if (middle) {
    if (profile.iMiddleMode == ModeValue(MiddleMode::Keys)) {
      SendKeyCombination(platform_, profile.hkMiddle, target_);
      return 1;
    }
    if (profile.iMiddleMode == ModeValue(MiddleMode::CommandLine)) {
      RunCommandLine(platform_, FieldText(profile.szMiddleCmd), target_);
      return 1;
    }
  }

  last_ = anchor_;
  const bool draggingButton = middle == (profile.bUseMiddle != 0);
  if (!draggingButton || profile.bScrollEnable == 0) return 0;
  // Normally a drag starts without the modifiers; with bSwapCtrl only with them.
  if (CheckModifierKeys(platform_, profile) != (profile.bSwapCtrl != 0)) return 0;

  FindScrollBars();
  middleDrag_ = middle;
  secondClick_ = secondClick;
  SetState(DragState::Armed);
  carryX_ = 0.0;
  carryY_ = 0.0;
  lastDx_ = 0;
  lastDy_ = 0;
  platform_.BringToForeground(target_);
  return 1;
}

void ScrollEngine::FindScrollBars() {
  vScroll_ = target_;
  hScroll_ = target_;
  if ((platform_.WindowStyle(target_) & (kWsVScroll | kWsHScroll)) != 0) return;

  candidates_.ArrayFree();
  ScreenRect targetRect{};
  if (!platform_.WindowRect(target_, targetRect)) return;
  // Only a child window has siblings that may be its scroll bars; the
  // children of "no parent" would be every top-level window.
  const WindowId parent = platform_.ParentWindow(target_);
  if (parent == 0) return;
  ScrollBarCollector collector(platform_, targetRect, candidates_);
  platform_.ForEachChildWindow(parent, collector);

  bool haveVertical = false;
  bool haveHorizontal = false;
  for (std::uint8_t adjacent = 0; adjacent <= 1; ++adjacent) {
    for (const ScrollBarCandidate& c : candidates_) {
      if (c.adjacent != adjacent) continue;
      if (c.vertical != 0 && !haveVertical) {
        vScroll_ = c.window;
        haveVertical = true;
      } else if (c.vertical == 0 && !haveHorizontal) {
        hScroll_ = c.window;
        haveHorizontal = true;
      }
    }
  }
}

std::intptr_t ScrollEngine::ButtonUp(bool middle) {
  if (state_ == DragState::Idle) return 0;
  if (state_ == DragState::SkipInjectedUp) {
    SetState(DragState::Scrolling);
    return 1;
  }
  if (middle != middleDrag_) return 0;
  switch (state_) {
    case DragState::ReplayingClick:
      EndScrolling();
      return 0;
    case DragState::Armed: {
      // Released before the drag began: the program gets its click after
      // all, as the second click of a double click where it was one.
      const std::uint32_t mark = secondClick_ ? kInjectedDoubleClickMark : kInjectedInputMark;
      SetState(DragState::ReplayingClick);
      platform_.InjectMouseEvent(ButtonFlags(middle, true), mark);
      platform_.InjectMouseEvent(ButtonFlags(middle, false), mark);
      return 1;
    }
    default:
      EndScrolling();
      return 1;
  }
}

void ScrollEngine::EndScrolling() {
  SetState(DragState::Idle);
  platform_.ReleaseMouseCapture();
  // Whatever profile is current now, cursors this drag hid must come back.
  if (cursorsHidden_) {
    platform_.SetBlankCursors(true);
    cursorsHidden_ = false;
  }
}

void ScrollEngine::Trigger(const Profile& profile, ScreenPoint current) {
  if (profile.bLockOneAxis != 0) {
    const std::int64_t dx = Abs64(static_cast<std::int64_t>(current.x) - anchor_.x);
    const std::int64_t dy = Abs64(static_cast<std::int64_t>(current.y) - anchor_.y);
    locked_ = dx < dy ? LockedAxis::VerticalOnly : LockedAxis::HorizontalOnly;
  }
  anchor_ = current;
  last_ = current;
  platform_.CaptureMouse(target_);
  if (profile.bHideCursor != 0 && !cursorsHidden_) {
    platform_.SetBlankCursors(false);
    cursorsHidden_ = true;
  }
  SetState(DragState::SkipInjectedUp);
  // The program saw no press; the injected release comes back through the
  // hook and is swallowed there.
  platform_.InjectMouseEvent(ButtonFlags(middleDrag_, false), kInjectedInputMark);
}

std::intptr_t ScrollEngine::Move() {
  if (state_ == DragState::Idle || state_ == DragState::ReplayingClick) return 0;
  const Profile& profile = selector_.CurrentProfile();
  ScreenPoint current = last_;
  if (!platform_.GetCursorPosition(current)) current = last_;

  if (state_ == DragState::Armed) {
    if (profile.iTriggerDistance > 0) {
      const std::int64_t dx = Abs64(static_cast<std::int64_t>(current.x) - anchor_.x);
      const std::int64_t dy = Abs64(static_cast<std::int64_t>(current.y) - anchor_.y);
      if (dx < profile.iTriggerDistance && dy < profile.iTriggerDistance) return 0;
    }
    Trigger(profile, current);
  }
  if (current.x == last_.x && current.y == last_.y) return 1;

  std::int64_t dx = 0;
  if (profile.bEnableX != 0 && locked_ != LockedAxis::VerticalOnly) {
    dx = static_cast<std::int64_t>(current.x) - last_.x;
    if (profile.bInvertX != 0) dx = -dx;
  }
  std::int64_t dy = 0;
  if (profile.bEnableY != 0 && locked_ != LockedAxis::HorizontalOnly) {
    dy = static_cast<std::int64_t>(current.y) - last_.y;
    if (profile.bInvertY != 0) dy = -dy;
  }

  // A change of direction drops the part line gathered the other way.
  if (OppositeSigns(dx, lastDx_)) carryX_ = 0.0;
  if (OppositeSigns(dy, lastDy_)) carryY_ = 0.0;
  last_ = current;
  lastDx_ = dx;
  lastDy_ = dy;

  const double sx = ScaledDelta(dx, profile.dSpeedX);
  const double sy = ScaledDelta(dy, profile.dSpeedY);
  const double ax = carryX_ + sx;
  const double nx = std::trunc(ax);
  carryX_ = ax - nx;
  const double ay = carryY_ + sy;
  const double ny = std::trunc(ay);
  carryY_ = ay - ny;

  if (state_ == DragState::Scrolling && profile.bFreezeCursor != 0) {
    platform_.MoveCursor(anchor_);
    last_ = anchor_;
  }
  const std::intptr_t point = PointLParam(current);
  ScrollVertical(profile, dy, sy, ny, point);
  ScrollHorizontal(profile, dx, sx, nx, point);
  return 1;
}

ScrollEngine::ScrollBarMessage ScrollEngine::ScrollBarNotification(WindowId bar) {
  // The target's own bars: the target itself, no control named.
  if (bar == target_) return ScrollBarMessage{target_, 0};
  // A scroll-bar control does not scroll anything itself; it tells its
  // parent, naming itself. Its parent is the window that acts on the line.
  const WindowId parent = platform_.ParentWindow(bar);
  return ScrollBarMessage{parent != 0 ? parent : bar, static_cast<std::intptr_t>(bar)};
}

void ScrollEngine::ScrollVertical(const Profile& profile, std::int64_t dy, double sy, double ny,
                                  std::intptr_t point) {
  if (dy == 0) return;
  const bool up = dy < 0;
  const std::int32_t mode = up ? profile.iUpMode : profile.iDownMode;
  const int lines = static_cast<int>(std::fabs(ny));
  if (mode == ModeValue(VerticalMode::ScrollBars)) {
    const ScrollBarMessage to = ScrollBarNotification(vScroll_);
    for (int i = 0; i < lines; ++i) {
      (void)platform_.SendWindowMessage(to.window, kWmVScroll, up ? kSbLineUp : kSbLineDown, to.control);
    }
  } else if (mode == ModeValue(VerticalMode::Wheel)) {
    if (ny != 0.0) (void)platform_.SendWindowMessage(target_, kWmMouseWheel, WheelWParam(ny * -kWheelDelta), point);
  } else if (mode == ModeValue(VerticalMode::WheelFine)) {
    (void)platform_.SendWindowMessage(target_, kWmMouseWheel, WheelWParam(sy * -kWheelDelta), point);
  } else if (mode == ModeValue(VerticalMode::Keys)) {
    for (int i = 0; i < lines; ++i) SendKeyCombination(platform_, up ? profile.hkUp : profile.hkDown, target_);
  }
}

void ScrollEngine::ScrollHorizontal(const Profile& profile, std::int64_t dx, double sx, double nx,
                                    std::intptr_t point) {
  if (dx == 0) return;
  const bool left = dx < 0;
  const std::int32_t mode = left ? profile.iLeftMode : profile.iRightMode;
  const int lines = static_cast<int>(std::fabs(nx));
  if (mode == ModeValue(HorizontalMode::ScrollBars)) {
    const ScrollBarMessage to = ScrollBarNotification(hScroll_);
    for (int i = 0; i < lines; ++i) {
      (void)platform_.SendWindowMessage(to.window, kWmHScroll, left ? kSbLineUp : kSbLineDown, to.control);
    }
  } else if (mode == ModeValue(HorizontalMode::HWheel)) {
    if (nx != 0.0) (void)platform_.SendWindowMessage(target_, kWmMouseHWheel, WheelWParam(nx * kWheelDelta), point);
  } else if (mode == ModeValue(HorizontalMode::HWheelFine)) {
    (void)platform_.SendWindowMessage(target_, kWmMouseHWheel, WheelWParam(sx * kWheelDelta), point);
  } else if (mode == ModeValue(HorizontalMode::Keys)) {
    for (int i = 0; i < lines; ++i) SendKeyCombination(platform_, left ? profile.hkLeft : profile.hkRight, target_);
  }
}
