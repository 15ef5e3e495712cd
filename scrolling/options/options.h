// The options record and its profiles: every user setting of the scrolling
// engine. Field order and widths are fixed (the storage keys and the settings
// pages follow them); the in-memory padding is the compiler's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

inline constexpr int kMaxProfiles = 1024;
inline constexpr int kCurvePoints = 100;
inline constexpr std::size_t kNameSize = 64;      // names and patterns, with the NUL
inline constexpr std::size_t kPathSize = 260;
inline constexpr std::size_t kCommandSize = 520;

// What a vertical drag produces (iUpMode, iDownMode); text id 110.
enum class VerticalMode : std::int32_t { ScrollBars = 0, Wheel = 1, WheelFine = 2, Keys = 3 };
// What a horizontal drag produces (iLeftMode, iRightMode); text id 120.
enum class HorizontalMode : std::int32_t { ScrollBars = 0, HWheel = 1, HWheelFine = 2, Keys = 3 };
// What the back and forward buttons do (iBackMode, iForwardMode); text id 130.
enum class BackFwdMode : std::int32_t { Back = 0, Forward = 1, Keys = 2, CommandLine = 3 };
// What a middle click does (iMiddleMode); text id 140.
enum class MiddleMode : std::int32_t { Middle = 0, Keys = 1, CommandLine = 2 };

inline constexpr std::int32_t kVerticalModeTextId = 110;
inline constexpr std::int32_t kHorizontalModeTextId = 120;
inline constexpr std::int32_t kBackFwdModeTextId = 130;
inline constexpr std::int32_t kMiddleModeTextId = 140;

// The stored int of a mode, and back.
template <typename Mode>
[[nodiscard]] constexpr std::int32_t ModeValue(Mode mode) noexcept {
  return static_cast<std::int32_t>(mode);
}

// Hot-key values: low byte the virtual key, high byte 1 Alt, 2 Ctrl, 4 Shift, 8 Win.
inline constexpr std::uint16_t kHotKeyCtrlZ = 0x025A;
inline constexpr std::uint16_t kHotKeyCtrlY = 0x0259;

struct Profile {
  char szParName[kNameSize];
  char szPrgPath[kPathSize];      // pattern for the process's executable path
  char szWndCaption[kNameSize];   // pattern for the window caption
  char szWndClass[kNameSize];     // pattern for the window class
  std::uint8_t bScrollEnable;
  std::uint8_t bUseMiddle;
  std::uint8_t bEnableX;
  std::uint8_t bInvertX;
  double dSpeedX;
  std::uint8_t bEnableY;
  std::uint8_t bInvertY;
  double dSpeedY;
  std::uint8_t bSwapCtrl;
  std::int16_t bLockOneAxis;
  std::int16_t iTriggerDistance;
  std::int32_t iUpMode;      // VerticalMode
  std::uint16_t hkUp;
  std::int32_t iDownMode;    // VerticalMode
  std::uint16_t hkDown;
  std::int32_t iLeftMode;    // HorizontalMode
  std::uint16_t hkLeft;
  std::int32_t iRightMode;   // HorizontalMode
  std::uint16_t hkRight;
  std::uint8_t bWheelEnable;
  std::int32_t iWSmin;
  std::int32_t iWSmax;
  std::int32_t iSSmin;
  std::int32_t iSSmax;
  std::int32_t iWSmed;
  std::int32_t iSSmed;       // stored only
  std::int32_t iWheelDefLines;
  double dTrafo[kCurvePoints];
  std::uint8_t bWheelCursor;
  std::uint8_t bWheelForeground;
  std::uint8_t bWheelInvert;
  std::uint8_t bEnableBackFwd;
  std::uint8_t bBackCursor;
  std::uint8_t bBackForeground;
  std::int32_t iBackMode;    // BackFwdMode
  std::uint16_t hkBack;
  char szBackCmd[kCommandSize];
  std::int32_t iForwardMode; // BackFwdMode
  std::uint16_t hkForward;
  char szForwardCmd[kCommandSize];
  std::int32_t iMiddleMode;  // MiddleMode
  std::uint16_t hkMiddle;
  char szMiddleCmd[kCommandSize];
  std::uint8_t bFreezeCursor;
  std::uint8_t bHideCursor;
  std::uint8_t bUseCtrl;
  std::uint8_t bUseAlt;
  std::uint8_t bUseShift;
};

struct Options {
  std::uint8_t bAutoStart;
  std::uint8_t bTrayIcon;
  std::uint8_t bDisabled;
  std::int32_t iHotKeyEnable;
  std::int32_t iNumPar;     // profiles in use, 0 to 1024
  std::int32_t iCurPar;     // profile chosen last for the window under the cursor; -1: none
  Profile Par[kMaxProfiles];
};

// Both are plain data: zeroed, copied and compared byte-wise.
static_assert(std::is_trivially_copyable_v<Profile> && std::is_standard_layout_v<Profile>);
static_assert(std::is_trivially_copyable_v<Options> && std::is_standard_layout_v<Options>);
static_assert(offsetof(Profile, szPrgPath) < offsetof(Profile, szWndCaption) &&
              offsetof(Profile, szWndClass) < offsetof(Profile, bScrollEnable) &&
              offsetof(Profile, dTrafo) < offsetof(Profile, bWheelCursor) &&
              offsetof(Profile, szMiddleCmd) < offsetof(Profile, bUseShift));
static_assert(offsetof(Options, bDisabled) < offsetof(Options, iHotKeyEnable) &&
              offsetof(Options, iCurPar) < offsetof(Options, Par));

// The options of the program, about 3 MB. It is a static global (zero before
// the options are loaded) and must never be copied onto a stack: take
// references, or copy single profiles. Only the main thread touches it.
extern Options gOpt;

// The system's wheel-scroll-lines value as start-up read it; 3 until then or
// when the query failed. New profiles take it as their default wheel lines.
inline constexpr std::int32_t kDefaultWheelLines = 3;
[[nodiscard]] std::int32_t StartupWheelLines() noexcept;
void SetStartupWheelLines(std::int32_t lines) noexcept;

// A count of the changes to the profiles' patterns, their number and their
// order, so that what is derived from the list (the selection's pattern
// index) can tell that it no longer describes it. Loading, the import, the
// factory options and profile defaults move it on by themselves; any other
// code that edits the list in place (the settings pages, a restored copy of
// the options) calls NoteProfilesChanged after the edit. Main thread only,
// like the options themselves.
[[nodiscard]] std::uint64_t ProfilesGeneration() noexcept;
void NoteProfilesChanged() noexcept;

// Fills a profile with the defaults of a new profile.
void SetProfileDefaults(Profile& profile) noexcept;

// Replaces the whole record with the factory options and the eleven built-in
// profiles. The overload without arguments works on gOpt.
void SetFactoryOptions(Options& options) noexcept;
void SetFactoryOptions() noexcept;

inline constexpr int kFactoryProfileCount = 11;
