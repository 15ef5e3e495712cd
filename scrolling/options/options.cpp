#include "scrolling/options/options.h"

#include <cstring>

#include "framework/text/text_table.h"
#include "scrolling/options/wheel_curve.h"

// Static storage: far too large for any stack.
Options gOpt;

namespace {

std::int32_t gStartupWheelLines = kDefaultWheelLines;
std::uint64_t gProfilesGeneration = 0;

template <std::size_t N>
void CopyText(char (&to)[N], const char* from) noexcept {
  std::memset(to, 0, N);
  if (from == nullptr) return;
  std::size_t n = std::strlen(from);
  if (n > N - 1) n = N - 1;
  std::memcpy(to, from, n);
}

void SetScrollModes(Profile& p, std::int32_t mode) noexcept {
  p.iUpMode = mode;
  p.iDownMode = mode;
  p.iLeftMode = mode;
  p.iRightMode = mode;
}

void SetFactoryProfile(Profile& p, int slot) noexcept {
  SetProfileDefaults(p);
  switch (slot) {
    case 0:
      CopyText(p.szParName, "Modern UI Apps");
      CopyText(p.szWndClass, "Windows.UI.Core.CoreWindow");
      p.bScrollEnable = 0;
      p.bWheelEnable = 0;
      break;
    case 1:
      CopyText(p.szParName, "Windows Explorer");
      CopyText(p.szPrgPath, "C:\\Windows\\explorer.exe");
      p.dSpeedX = 0.5;
      p.dSpeedY = 0.5;
      p.bSwapCtrl = 1;
      SetScrollModes(p, ModeValue(VerticalMode::ScrollBars));
      break;
    case 2:
      CopyText(p.szParName, "Internet Explorer");
      CopyText(p.szWndClass, "Internet Explorer_Server");
      p.dSpeedX = 0.05;
      p.dSpeedY = 0.3;
      break;
    case 3:
      CopyText(p.szParName, "Firefox");
      CopyText(p.szWndClass, "MozillaWindowClass");
      p.dSpeedX = 0.5;
      p.dSpeedY = 0.5;
      break;
    case 4:
      CopyText(p.szParName, "Firefox Flash Plugin");
      CopyText(p.szPrgPath, "FlashPlayerPlugin");
      CopyText(p.szWndClass, "GeckoFPSandboxChildWindow");
      break;
    case 5:
      CopyText(p.szParName, "Outlook Preview");
      CopyText(p.szPrgPath, "OUTLOOK.EXE");
      CopyText(p.szWndCaption, "Message");
      CopyText(p.szWndClass, "_WwG");
      break;
    case 6:
      CopyText(p.szParName, "MS Office Visio");
      CopyText(p.szPrgPath, "VISIO.EXE");
      CopyText(p.szWndClass, "VISIOG");
      p.dSpeedX = 0.2;
      p.dSpeedY = 0.2;
      SetScrollModes(p, ModeValue(VerticalMode::Wheel));
      break;
    case 7:
      CopyText(p.szParName, "MS Visual Studio");
      CopyText(p.szPrgPath, "devenv.exe");
      CopyText(p.szWndClass, "HwndWrapper");
      p.bLockOneAxis = 1;
      p.bWheelForeground = 1;
      p.iBackMode = ModeValue(BackFwdMode::Keys);
      p.hkBack = 0x022D;
      p.iForwardMode = ModeValue(BackFwdMode::Keys);
      p.hkForward = 0x032D;
      break;
    case 8:
      CopyText(p.szParName, "Pictavo");
      CopyText(p.szPrgPath, "Pictavo.exe");
      p.bScrollEnable = 0;
      p.bWheelEnable = 0;
      break;
    case 9:
      CopyText(p.szParName, "VMware");
      CopyText(p.szPrgPath, "vmware");
      CopyText(p.szWndClass, "MKSEmbedded");
      p.bScrollEnable = 0;
      p.bWheelEnable = 0;
      break;
    default:
      // The catch-all: empty patterns match every window.
      CopyText(p.szParName, GetText(0, 1));
      break;
  }
}

}  // namespace

std::int32_t StartupWheelLines() noexcept { return gStartupWheelLines; }

void SetStartupWheelLines(std::int32_t lines) noexcept { gStartupWheelLines = lines; }

std::uint64_t ProfilesGeneration() noexcept { return gProfilesGeneration; }

void NoteProfilesChanged() noexcept { ++gProfilesGeneration; }

void SetProfileDefaults(Profile& p) noexcept {
  // The slot may be one of the list's: its patterns are emptied.
  NoteProfilesChanged();
  std::memset(&p, 0, sizeof p);
  p.bScrollEnable = 1;
  p.bEnableX = 1;
  p.dSpeedX = 1.0;
  p.bEnableY = 1;
  p.dSpeedY = 1.0;
  p.iTriggerDistance = 5;
  SetScrollModes(p, ModeValue(VerticalMode::WheelFine));
  p.bWheelEnable = 1;
  p.iWSmin = 2;
  p.iWSmax = 66;
  p.iSSmin = 1;
  p.iSSmax = 15;
  p.iWSmed = 55;
  p.iSSmed = 50;
  ComputeWheelCurve(p);
  p.bWheelCursor = 0;
  p.iWheelDefLines = gStartupWheelLines;
  p.hkBack = kHotKeyCtrlZ;
  p.bBackCursor = 1;
  p.bBackForeground = 1;
  p.iBackMode = ModeValue(BackFwdMode::Back);
  p.iForwardMode = ModeValue(BackFwdMode::Forward);
  p.hkForward = kHotKeyCtrlY;
  p.bUseCtrl = 1;
}

void SetFactoryOptions(Options& o) noexcept {
  // memset, not assignment from a temporary: the record is far too big for
  // the stack.
  std::memset(&o, 0, sizeof o);
  o.bAutoStart = 0;
  o.bTrayIcon = 1;
  o.bDisabled = 0;
  for (int slot = 0; slot < kFactoryProfileCount; ++slot) SetFactoryProfile(o.Par[slot], slot);
  o.iNumPar = kFactoryProfileCount;
  o.iCurPar = kFactoryProfileCount - 1;
  NoteProfilesChanged();
}

void SetFactoryOptions() noexcept { SetFactoryOptions(gOpt); }
