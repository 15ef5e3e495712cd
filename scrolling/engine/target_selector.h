// Chooses the window under the cursor and its profile for every hooked
// event, keeps the engine's copy of that profile, publishes its back/forward
// flag to the hooks and holds the system's wheel-scroll-lines at 1 while the
// chosen profile accelerates the wheel.
#pragma once

#include <cstdint>
#include <string_view>

#include "scrolling/engine/platform.h"
#include "scrolling/engine/profile_index.h"
#include "scrolling/options/options.h"

class TargetSelector {
 public:
  // The selector reads the profiles of options and writes its iCurPar.
  TargetSelector(EnginePlatform& platform, Options& options) noexcept;
  TargetSelector(const TargetSelector&) = delete;
  TargetSelector& operator=(const TargetSelector&) = delete;

  // The target window under the cursor, or 0 when there is none or no
  // profile applies to it. The cursor position goes to cursor when given.
  // A window seen last time is answered from the cache without a new
  // selection; while a drag is in progress the drag's window and profile
  // stay the answer.
  [[nodiscard]] WindowId FindTargetWindow(ScreenPoint* cursor = nullptr) noexcept;

  // Forgets the cached window and the pattern index, so that the next call
  // selects afresh from the profiles as they then stand (after the hooks
  // are re-installed or the profiles changed).
  void ResetTargetCache() noexcept;

  // Puts options.bDisabled in force at once. Switched off, the wheel lines
  // are the user's again now, not at the next selection; either way the
  // window under the cursor is selected afresh, so that a selection made
  // while switched off (which leaves the lines alone) does not stand once
  // the program is on again. A drag in progress keeps its selection.
  void ApplyProgramSwitch() noexcept;

  // Set by the drag engine from the press that starts a drag to its end.
  void SetDragInProgress(bool inProgress) noexcept { dragInProgress_ = inProgress; }
  [[nodiscard]] bool DragInProgress() const noexcept { return dragInProgress_; }

  // The copy of the selected profile that the engine acts on; all zero when
  // no profile applies.
  [[nodiscard]] const Profile& CurrentProfile() const noexcept { return current_; }
  [[nodiscard]] WindowId CachedWindow() const noexcept { return cached_; }

  // Holds the system's wheel lines at 1 while enable is set; when it stops,
  // sets the profile's iWheelDefLines. Calls the system only on a change.
  void SetWheelScrollLines(bool enable, const Profile& profile) noexcept;
  [[nodiscard]] bool WheelLinesSetToOne() const noexcept { return wheelLinesSetToOne_; }

  // Puts the value read at start-up back if the program changed it (at
  // shut-down, and when no profile applies).
  void RestoreStartupWheelLines() noexcept;

 private:
  WindowId Select(WindowId window) noexcept;
  void SelectNone() noexcept;
  int MatchProfile(std::string_view path, std::string_view caption, std::string_view windowClass) noexcept;

  EnginePlatform& platform_;
  Options& options_;
  WindowId cached_ = 0;
  bool cachedHasProfile_ = false;
  bool dragInProgress_ = false;
  bool wheelLinesSetToOne_ = false;
  Profile current_{};
  ProfileIndex index_;
};
