#include "scrolling/app/main_core.h"

#include <cstring>

#include "host64/hook_mask.h"

namespace {

constexpr std::uint32_t kWmLButtonDown = 0x0201;
constexpr std::uint32_t kWmRButtonDown = 0x0204;

bool BackForwardDoesSomething(const Profile& p) noexcept {
  return p.bBackCursor != 0 || p.iBackMode != ModeValue(BackFwdMode::Back) ||
         p.iForwardMode != ModeValue(BackFwdMode::Forward);
}

bool EqualsIgnoringCase(const char* a, const char* b) noexcept {
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    const char ca = (*a >= 'a' && *a <= 'z') ? static_cast<char>(*a - 32) : *a;
    const char cb = (*b >= 'a' && *b <= 'z') ? static_cast<char>(*b - 32) : *b;
    if (ca != cb) return false;
  }
  return *a == *b;
}

// Bringing the window under the wheel forward is done on the wheel report
// too: a profile with only that on needs the turns reported.
bool ActsOnWheel(const Profile& p) noexcept {
  return p.bWheelEnable != 0 || p.bWheelInvert != 0 || p.bWheelCursor != 0 || p.bWheelForeground != 0;
}

// The stored profiles, however damaged the count.
std::int32_t ProfilesInUse(const Options& options) noexcept {
  return options.iNumPar < 0 ? 0 : (options.iNumPar > kMaxProfiles ? kMaxProfiles : options.iNumPar);
}

}  // namespace

unsigned HookMaskForProfiles(const Options& options, bool want) noexcept {
  if (!want) return 0;
  unsigned mask = 0;
  for (std::int32_t i = 0; i < ProfilesInUse(options); ++i) {
    const Profile& p = options.Par[i];
    if (p.bScrollEnable != 0) mask |= kHookMaskMouse | kHookMaskGetMessage;
    if (p.iMiddleMode != ModeValue(MiddleMode::Middle)) mask |= kHookMaskMouse;
    if (ActsOnWheel(p)) mask |= kHookMaskGetMessage;
    if (p.bEnableBackFwd != 0 && BackForwardDoesSomething(p)) mask |= kHookMaskCallWndProc;
  }
  return mask;
}

bool WheelReportedForProfiles(const Options& options, bool want) noexcept {
  if (!want) return false;
  for (std::int32_t i = 0; i < ProfilesInUse(options); ++i) {
    if (ActsOnWheel(options.Par[i])) return true;
  }
  return false;
}

TrayAction TrayActionFor(std::uint32_t mouseMessage, bool trayIconShown) noexcept {
  if (mouseMessage == kWmLButtonDown) return TrayAction::kShowSettings;
  if (mouseMessage == kWmRButtonDown && trayIconShown) return TrayAction::kToggleDisabled;
  return TrayAction::kNone;
}

const char* HelpTopicFor(const char* topic) noexcept {
  if (topic != nullptr && EqualsIgnoringCase(topic, "About")) return "ConfigurationInformation.htm";
  return topic;
}

std::string_view CurrentProfileName(const Options& options) noexcept {
  if (options.iCurPar < 0 || options.iCurPar >= options.iNumPar || options.iCurPar >= kMaxProfiles) return {};
  const Profile& p = options.Par[options.iCurPar];
  return std::string_view(p.szParName, strnlen(p.szParName, sizeof p.szParName));
}
