#include "framework/ui/window_menu.h"

#include <windows.h>
#include <commdlg.h>

#include <array>
#include <cstring>

#include "framework/app/exit_request.h"
#include "framework/object/application.h"
#include "framework/app/commands.h"
#include "framework/app/message_box.h"
#include "framework/app/restart_core.h"
#include "framework/ui/window_list.h"
#include "framework/ui/bar.h"
#include "framework/ui/frame_window.h"
#include "framework/ui/item_commands.h"
#include "framework/ui/tray_icon.h"
#include "framework/util/status_codes.h"
#include "framework/util/win_handles.h"

namespace {

constexpr std::uint16_t kRestartQuestionText = 0xF00B;
constexpr std::uint32_t kRestartQuestionFlags =
    kMsgBoxQuestion | kMsgBoxOkCancel | kMsgBoxBoldFirstLine | kMsgBoxDefaultOk;
constexpr DWORD kChooseColourFlags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
constexpr DWORD kChooseFontFlags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_FORCEFONTEXIST;
static_assert(kChooseColourFlags == 0x103);
static_assert(kChooseFontFlags == 0x10041);

// The colour dialog's sixteen custom colours keep the user's entries for
// the life of the process; the first five show the current scheme.
std::array<COLORREF, 16>& DialogCustomColours() noexcept {
  static std::array<COLORREF, 16> colours = [] {
    std::array<COLORREF, 16> c{};
    c.fill(0xCCCCCC);
    return c;
  }();
  return colours;
}

bool HasCustomFont() noexcept { return gApp.settings.uiFontFace[0] != '\0'; }

// "The program must be restarted ..." with OK and Cancel; true for OK.
bool AskForRestart(const CFrameWindow& frame) noexcept {
  const char* text = GetText(kRestartQuestionText, 0);
  return ShowMessageBox(gApp, frame.window, gApp.appName, "%s", kRestartQuestionFlags, 0,
                        text != nullptr ? text : "") == IDOK;
}

void ChooseCustomColour(const CFrameWindow& frame, int index) noexcept {
  std::array<COLORREF, 16>& custom = DialogCustomColours();
  const SchemeBase& base = gApp.theme.base;
  custom[0] = base.activeCaption;
  custom[1] = base.inactiveCaption;
  custom[2] = base.highlight;
  custom[3] = base.menuText;
  custom[4] = base.highlightText;
  CHOOSECOLORA choose{};
  choose.lStructSize = sizeof choose;
  choose.hwndOwner = frame.window;
  choose.rgbResult = CustomColour(gApp.settings, index);
  choose.lpCustColors = custom.data();
  choose.Flags = kChooseColourFlags;
  if (!ChooseColorA(&choose)) return;
  SetCustomColour(gApp.settings, index, choose.rgbResult);
  SetColorScheme(2);
}

void ChooseCustomFont(const CFrameWindow& frame) noexcept {
  LOGFONTA font{};
  if (HasCustomFont()) {
    std::size_t n = 0;
    for (; n + 1 < sizeof font.lfFaceName && gApp.settings.uiFontFace[n] != '\0'; ++n) {
      font.lfFaceName[n] = gApp.settings.uiFontFace[n];
    }
    CDcHandle screen;
    const int pixelsPerInch = screen.Get() != nullptr ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
    font.lfHeight = -MulDiv(static_cast<int>(gApp.settings.uiFontSize), pixelsPerInch, 72);
  }
  CHOOSEFONTA choose{};
  choose.lStructSize = sizeof choose;
  choose.lpLogFont = &font;
  choose.Flags = kChooseFontFlags;
  if (!ChooseFontA(&choose)) return;
  char face[sizeof gApp.settings.uiFontFace] = {};
  for (std::size_t n = 0; n < sizeof font.lfFaceName && font.lfFaceName[n] != '\0'; ++n) face[n] = font.lfFaceName[n];
  std::memcpy(gApp.settings.uiFontFace, face, sizeof face);
  gApp.settings.uiFontSize = static_cast<std::uint32_t>(choose.iPointSize / 10);
  // The new font is used from the next start; declining keeps it stored.
  if (AskForRestart(frame)) (void)RequestExit(kRestartWithCurrentElevation, nullptr, 0);
}

void BackToDefaultFont(const CFrameWindow& frame) noexcept {
  if (!HasCustomFont() || !AskForRestart(frame)) return;
  std::memset(gApp.settings.uiFontFace, 0, sizeof gApp.settings.uiFontFace);
  (void)RequestExit(kRestartWithCurrentElevation, nullptr, 0);
}

}  // namespace

std::uint32_t CustomColour(const AppSettingsRecord& settings, int index) noexcept {
  switch (index) {
    case 0: return settings.customColor1;
    case 1: return settings.customColor2;
    case 2: return settings.customColor3;
    case 3: return settings.customColor4;
    case 4: return settings.customColor5;
    case 5: return settings.customColor6;
    default: return 0;
  }
}

void SetCustomColour(AppSettingsRecord& settings, int index, std::uint32_t colour) noexcept {
  switch (index) {
    case 0: settings.customColor1 = colour; break;
    case 1: settings.customColor2 = colour; break;
    case 2: settings.customColor3 = colour; break;
    case 3: settings.customColor4 = colour; break;
    case 4: settings.customColor5 = colour; break;
    case 5: settings.customColor6 = colour; break;
    default: break;
  }
}

void BuildWindowMenu(CFrameWindow& frame, int* count) noexcept {
  WindowMenuInputs in;
  in.flags = frame.flags;
  in.transparency = frame.transparency;
  in.ghostMode = frame.ghostMode != 0;
  in.schemeMode = gApp.settings.colorSchemeMode;
  in.customFont = HasCustomFont();
  // The window's bars head the menu, as many as the list has room for.
  WindowMenuBar bars[kWindowMenuSize];
  for (const CBar* bar : gApp.bars) {
    if (in.barCount == kWindowMenuSize) break;
    if (bar != nullptr && bar->frameId == frame.id) {
      bars[in.barCount++] = WindowMenuBar{bar->id, (bar->flags & kBarVisible) != 0};
    }
  }
  in.bars = bars;
  const WindowMenuModel menu = BuildWindowMenuModel(in);
  std::memcpy(frame.windowMenu, menu.list, sizeof frame.windowMenu);
  for (int i = 0; i < menu.checkCount; ++i) (void)SetCommandChecked(menu.checks[i].id, menu.checks[i].on);
  for (int i = 0; i < menu.enableCount; ++i) (void)EnableCommand(menu.enables[i].id, menu.enables[i].on);
  if (count != nullptr) *count = menu.count;
}

void OpenWindowMenu(CFrameWindow& frame) noexcept {
  BuildWindowMenu(frame, nullptr);
  CommandRecord menu{};
  if (GetCommand(kCmdWindowMenu, &menu) == kStatusOk) {
    menu.value = frame.windowMenu;
    (void)ReplaceCommandRecord(kCmdWindowMenu, menu);
  }
  (void)ShowPopupMenu(kCmdWindowMenu, nullptr, frame.window);
}

bool HandleFrameCommand(CFrameWindow& frame, unsigned id) noexcept {
  const auto command = static_cast<std::uint16_t>(id);
  switch (command) {
    case kCmdAlwaysOnTop:
      frame.flags ^= kFrameTopmost;
      SetWindowPos(frame.window, (frame.flags & kFrameTopmost) != 0 ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING);
      return true;
    case kCmdShowOnTaskbar:
      frame.flags ^= kFrameShowOnTaskbar;
      frame.ApplyFrameStyleFlags(frame.flags & kFrameCaptionBits);
      return true;
    case kCmdColourNone:
    case kCmdColourDefault:
    case kCmdColourCustom:
      SetColorScheme(command - kCmdColourNone);
      return true;
    case kCmdFontDefault:
      BackToDefaultFont(frame);
      return true;
    case kCmdFontCustom:
      ChooseCustomFont(frame);
      return true;
    case kCmdLockBarPositions:
      frame.ToggleFrameFlagsAndRelayout(kFrameLockBarPositions);
      return true;
    case kCmdLockBarSizes:
      frame.ToggleFrameFlagsAndRelayout(kFrameLockBarSizes);
      return true;
    case kCmdLockPosition:
      frame.ToggleFrameFlagsAndRelayout(kFrameLockPosition);
      return true;
    case kCmdLockSize:
      frame.ToggleFrameFlagsAndRelayout(kFrameLockSize);
      return true;
    case kCmdLockAll: {
      const bool set = LockAllSets(frame.flags);
      for (std::uint32_t bit : {kFrameLockBarPositions, kFrameLockBarSizes, kFrameLockPosition, kFrameLockSize}) {
        frame.SetFrameFlagsAndRelayout(bit, set);
      }
      return true;
    }
    case kCmdLockResolution:
      frame.flags ^= kFrameKeepOnResolutionChange;
      return true;
    case kCmdGhost:
      frame.SetFrameOpacityMode(frame.ghostMode == 0 ? 1 : 0);
      return true;
    default:
      break;
  }
  if (const std::int32_t caption = CaptionBitsForCommand(command); caption >= 0) {
    frame.ApplyFrameStyleFlags(static_cast<std::uint32_t>(caption));
    return true;
  }
  if (const int percent = TransparencyForCommand(command); percent >= 0) {
    frame.SetFrameTransparency(percent);
    return true;
  }
  if (const int index = CustomColourIndexForCommand(command); index >= 0) {
    ChooseCustomColour(frame, index);
    return true;
  }
  // A bar's id shows or hides the bar.
  if (CBar* bar = FindBarById(command)) {
    ShowBarWindow(bar, (bar->flags & kBarVisible) == 0);
    return true;
  }
  return false;
}
