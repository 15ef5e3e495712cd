#include "scrolling/engine/target_selector.h"

#include <cstring>
#include <string_view>

#include "scrolling/engine/profile_match.h"

namespace {

std::string_view BufferText(const char* buffer, std::size_t size) noexcept {
  std::size_t n = 0;
  while (n < size && buffer[n] != '\0') ++n;
  return std::string_view(buffer, n);
}

}  // namespace

TargetSelector::TargetSelector(EnginePlatform& platform, Options& options) noexcept
    : platform_(platform), options_(options) {}

WindowId TargetSelector::FindTargetWindow(ScreenPoint* cursor) noexcept {
  ScreenPoint point{};
  if (!platform_.GetCursorPosition(point)) return 0;
  if (cursor != nullptr) *cursor = point;

  // A drag keeps the window and profile it started with: a wheel turn or an
  // application command in the middle of it must not swap the profile under
  // the running drag.
  if (dragInProgress_) return cachedHasProfile_ ? cached_ : 0;

  const WindowId window = platform_.WindowAtPoint(point);
  if (window == 0) return 0;
  if (window == cached_) return cachedHasProfile_ ? cached_ : 0;
  return Select(window);
}

WindowId TargetSelector::Select(WindowId window) noexcept {
  cached_ = window;
  cachedHasProfile_ = false;

  char path[kWindowPathSize] = {};
  if (!platform_.GetWindowProcessPath(window, path, sizeof path)) {
    // A process the program may not open is never a target.
    cached_ = 0;
    return 0;
  }
  char caption[kWindowTextSize] = {};
  char windowClass[kWindowTextSize] = {};
  platform_.GetWindowCaption(window, caption, sizeof caption);
  platform_.GetWindowClass(window, windowClass, sizeof windowClass);
  const std::string_view classText = BufferText(windowClass, sizeof windowClass);
  if (EqualsNoCase(classText, "ScrollBar")) {
    // A scroll-bar control is never a target; the drag finds it through
    // its sibling instead.
    cached_ = 0;
    return 0;
  }

  const int index = MatchProfile(BufferText(path, sizeof path), BufferText(caption, sizeof caption), classText);
  if (index < 0) {
    SelectNone();
    return 0;
  }
  options_.iCurPar = index;
  std::memcpy(&current_, &options_.Par[index], sizeof current_);
  cachedHasProfile_ = true;
  // A switched-off program must not leave the system's wheel at one line.
  SetWheelScrollLines(current_.bWheelEnable != 0 && options_.bDisabled == 0, current_);
  platform_.WriteBackFwdFlag(current_.bEnableBackFwd != 0 ? 1u : 0u);
  return window;
}

int TargetSelector::MatchProfile(std::string_view path, std::string_view caption,
                                 std::string_view windowClass) noexcept {
  // The index is rebuilt before it answers for a list that changed since.
  const std::uint64_t generation = ProfilesGeneration();
  if (index_.IsCurrent(options_, generation) || index_.Build(options_, generation)) {
    return index_.Find(path, caption, windowClass);
  }
  // No room for the index: the records themselves give the same answer.
  return FindMatchingProfile(options_, path, caption, windowClass);
}

void TargetSelector::SelectNone() noexcept {
  // Nothing applies to a window without a profile: no profile settings, no
  // back/forward remapping and the user's own wheel setting.
  options_.iCurPar = -1;
  std::memset(&current_, 0, sizeof current_);
  platform_.WriteBackFwdFlag(0);
  RestoreStartupWheelLines();
}

void TargetSelector::ResetTargetCache() noexcept {
  cached_ = 0;
  cachedHasProfile_ = false;
  index_.Invalidate();
}

void TargetSelector::ApplyProgramSwitch() noexcept {
  // The lines are at 1 only for a profile still copied here.
  if (options_.bDisabled != 0) SetWheelScrollLines(false, current_);
  if (dragInProgress_) return;
  cached_ = 0;
  cachedHasProfile_ = false;
  (void)FindTargetWindow(nullptr);
}

void TargetSelector::SetWheelScrollLines(bool enable, const Profile& profile) noexcept {
  if (enable && !wheelLinesSetToOne_) {
    platform_.SetSystemWheelScrollLines(1, WheelLinesScope::kThisRun);
  } else if (!enable && wheelLinesSetToOne_) {
    platform_.SetSystemWheelScrollLines(profile.iWheelDefLines, WheelLinesScope::kSaved);
  }
  wheelLinesSetToOne_ = enable;
}

void TargetSelector::RestoreStartupWheelLines() noexcept {
  if (!wheelLinesSetToOne_) return;
  platform_.SetSystemWheelScrollLines(StartupWheelLines(), WheelLinesScope::kSaved);
  wheelLinesSetToOne_ = false;
}
