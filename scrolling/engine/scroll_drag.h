// The scroll drag: a press of the right (or middle) button over a window,
// then moving the mouse, scrolls that window instead of reaching it. The
// engine answers every hooked mouse event: 1 swallows it, 0 lets it pass.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/util/grow_array.h"
#include "hooklib/shared_memory.h"

#include "scrolling/engine/platform.h"
#include "scrolling/engine/target_selector.h"
#include "scrolling/options/options.h"

// Mouse messages that the mouse hook reports.
inline constexpr std::uint32_t kWmMouseMove = 0x0200;
inline constexpr std::uint32_t kWmRButtonDown = 0x0204;
inline constexpr std::uint32_t kWmRButtonUp = 0x0205;
inline constexpr std::uint32_t kWmRButtonDblClk = 0x0206;
inline constexpr std::uint32_t kWmMButtonDown = 0x0207;
inline constexpr std::uint32_t kWmMButtonUp = 0x0208;
inline constexpr std::uint32_t kWmMButtonDblClk = 0x0209;

// What the drag sends.
inline constexpr std::uint32_t kWmHScroll = 0x0114;
inline constexpr std::uint32_t kWmVScroll = 0x0115;
inline constexpr std::uint32_t kWmMouseWheel = 0x020A;
inline constexpr std::uint32_t kWmMouseHWheel = 0x020E;
inline constexpr std::uintptr_t kSbLineUp = 0;     // also SB_LINELEFT
inline constexpr std::uintptr_t kSbLineDown = 1;   // also SB_LINERIGHT

inline constexpr std::uint32_t kWsVScroll = 0x00200000;
inline constexpr std::uint32_t kWsHScroll = 0x00100000;
inline constexpr std::uint32_t kSbsSizeGrip = 0x0010;

enum class DragState { Idle, Armed, Scrolling, ReplayingClick, SkipInjectedUp };

// Which directions a drag may scroll.
enum class LockedAxis : std::int32_t { None = 0, HorizontalOnly = 1, VerticalOnly = 2 };

// A "ScrollBar" control beside or inside the target that can stand in for
// the scroll bars the target lacks.
struct ScrollBarCandidate {
  WindowId window;
  ScreenRect rect;
  std::int32_t vertical;  // 1: height >= width
  std::uint8_t adjacent;  // 1: lies beside the target instead of on it
};
#if defined(_WIN32) && !defined(_WIN64)
// The 32-bit program keeps these as 28-byte records, like its INPUT list.
static_assert(sizeof(ScrollBarCandidate) == 28, "28-byte records in the 32-bit program");
static_assert(offsetof(ScrollBarCandidate, rect) == 4);
static_assert(offsetof(ScrollBarCandidate, vertical) == 20);
static_assert(offsetof(ScrollBarCandidate, adjacent) == 24);
#endif

// How near a bar must lie beside the target, and how long it must be.
inline constexpr std::int32_t kAdjacentSlack = 5;
inline constexpr std::int32_t kMinScrollBarLength = 32;

// Whether a scroll bar with rectangle bar may serve target; fills out.
[[nodiscard]] bool ClassifyScrollBar(WindowId window, const ScreenRect& bar, const ScreenRect& target,
                                     ScrollBarCandidate& out) noexcept;

// One window of the enumeration of the target's siblings: a visible
// "ScrollBar" control (not a size grip) that fits is appended to list.
void CollectScrollBarsProc(EnginePlatform& platform, WindowId window, const ScreenRect& target,
                           CGrowArray<ScrollBarCandidate>& list);

// True when every modifier that the profile requires is down (and so
// always true when it requires none).
[[nodiscard]] bool CheckModifierKeys(EnginePlatform& platform, const Profile& profile);

class ScrollEngine {
 public:
  ScrollEngine(EnginePlatform& platform, TargetSelector& selector, const Options& options) noexcept;
  ScrollEngine(const ScrollEngine&) = delete;
  ScrollEngine& operator=(const ScrollEngine&) = delete;

  // Set at start-up from the system setting: the right button is then
  // driven with the left-button events.
  void SetButtonsSwapped(bool swapped) noexcept { buttonsSwapped_ = swapped; }

  // One hooked mouse message; 1 swallows it. The hook reports a press of
  // the right or middle button as a double click where the user's own
  // presses make one; either may start a drag, and a click given back
  // carries what it was.
  [[nodiscard]] std::intptr_t HandleMouseEvent(std::uint32_t message);

  // Ends any drag: back to Idle, capture released and the system cursors
  // put back if the drag hid them. Safe to call at any time (also at exit).
  void EndScrolling();

  [[nodiscard]] DragState State() const noexcept { return state_; }
  [[nodiscard]] WindowId Target() const noexcept { return target_; }
  [[nodiscard]] WindowId VerticalScrollWindow() const noexcept { return vScroll_; }
  [[nodiscard]] WindowId HorizontalScrollWindow() const noexcept { return hScroll_; }
  [[nodiscard]] LockedAxis Locked() const noexcept { return locked_; }
  [[nodiscard]] ScreenPoint Anchor() const noexcept { return anchor_; }
  [[nodiscard]] bool CursorsHidden() const noexcept { return cursorsHidden_; }

 private:
  std::intptr_t ButtonDown(bool middle, bool secondClick);
  std::intptr_t PressWhileIdle(bool middle, bool secondClick);
  std::intptr_t ButtonUp(bool middle);
  std::intptr_t Move();
  void Trigger(const Profile& profile, ScreenPoint current);
  void FindScrollBars();
  void ScrollVertical(const Profile& profile, std::int64_t dy, double sy, double ny, std::intptr_t point);
  void ScrollHorizontal(const Profile& profile, std::int64_t dx, double sx, double nx, std::intptr_t point);
  // Where a line message for the scroll-bar window bar goes, and its lParam.
  struct ScrollBarMessage {
    WindowId window;
    std::intptr_t control;
  };
  ScrollBarMessage ScrollBarNotification(WindowId bar);
  void SetState(DragState state) noexcept;
  [[nodiscard]] std::uint32_t ButtonFlags(bool middle, bool down) const noexcept;

  EnginePlatform& platform_;
  TargetSelector& selector_;
  const Options& options_;
  bool buttonsSwapped_ = false;

  DragState state_ = DragState::Idle;
  bool middleDrag_ = false;  // the dragging button of the drag in progress
  bool cursorsHidden_ = false;
  WindowId target_ = 0;
  WindowId vScroll_ = 0;
  WindowId hScroll_ = 0;
  ScreenPoint anchor_{};
  ScreenPoint last_{};
  LockedAxis locked_ = LockedAxis::None;
  double carryX_ = 0.0;
  double carryY_ = 0.0;
  std::int64_t lastDx_ = 0;
  std::int64_t lastDy_ = 0;
  bool secondClick_ = false;  // the held-back press was the second click of a double click
  CGrowArray<ScrollBarCandidate> candidates_;
};
