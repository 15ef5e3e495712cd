// The framework window's rules over plain data: its styles, its default and
// saved placement, the geometry of its dock bays, DPI changes, the window
// menu's entries and states, the status texts, the Tab order and the
// resizing of a borderless window by its edges. Free of Windows headers so
// that all of it is checked natively; frame_window.cpp, dock_bay.cpp,
// window_menu.cpp and frame_input.cpp put the windows around it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/util/grow_array.h"
#include "framework/util/monitors_core.h"

// ---- flags ---------------------------------------------------------------

inline constexpr std::uint32_t kFrameShowOnTaskbar = 0x1;
inline constexpr std::uint32_t kFrameSizable = 0x2;
inline constexpr std::uint32_t kFrameKeepOnResolutionChange = 0x4;
inline constexpr std::uint32_t kFrameNoCaption = 0x8;
inline constexpr std::uint32_t kFrameSmallCaption = 0x10;
inline constexpr std::uint32_t kFrameLockBarPositions = 0x20;
inline constexpr std::uint32_t kFrameLockBarSizes = 0x40;
inline constexpr std::uint32_t kFrameLockPosition = 0x80;
inline constexpr std::uint32_t kFrameTopmost = 0x100;
inline constexpr std::uint32_t kFrameMaximised = 0x200;
inline constexpr std::uint32_t kFrameMainWindow = 0x400;
inline constexpr std::uint32_t kFrameBorderless = 0x800;
inline constexpr std::uint32_t kFrameLockSize = 0x1000;
inline constexpr std::uint32_t kFrameAcceptFiles = 0x2000;
inline constexpr std::uint32_t kFrameKeptHidden = 0x10000000;

// The four exclusive caption modes are normal (none of these), small, none
// and borderless.
inline constexpr std::uint32_t kFrameCaptionBits = kFrameNoCaption | kFrameSmallCaption | kFrameBorderless;
inline constexpr std::uint32_t kFrameLockBits =
    kFrameLockBarPositions | kFrameLockBarSizes | kFrameLockPosition | kFrameLockSize;

inline constexpr std::uint16_t kNoFrameId = 0xFFFF;
inline constexpr int kFrameMinTrackWidth = 150;
inline constexpr int kFrameMinTrackHeight = 100;

// ---- styles --------------------------------------------------------------

// Window style bits by value (frame_window.cpp checks them against the
// system's names).
inline constexpr std::uint32_t kFrameStyleBorderless = 0x86080000u;  // popup, clip siblings and children, system menu
inline constexpr std::uint32_t kFrameStyleDialogFrame = 0x00400000u;
inline constexpr std::uint32_t kFrameStyleSizable = 0x00070000u;     // thick frame, minimise and maximise boxes
inline constexpr std::uint32_t kFrameStyleCaption = 0x00C00000u;
inline constexpr std::uint32_t kFrameStyleMaximize = 0x01000000u;
inline constexpr std::uint32_t kFrameExStyleAppWindow = 0x00040000u;
inline constexpr std::uint32_t kFrameExStyleToolWindow = 0x00000080u;
inline constexpr std::uint32_t kFrameExStyleTopmost = 0x00000008u;
inline constexpr std::uint32_t kFrameExStyleAcceptFiles = 0x00000010u;

struct FrameStyles {
  std::uint32_t style;
  std::uint32_t exStyle;
};

[[nodiscard]] constexpr FrameStyles ComputeFrameStyles(std::uint32_t flags) noexcept {
  std::uint32_t style = kFrameStyleBorderless;
  if ((flags & kFrameBorderless) == 0) style |= kFrameStyleDialogFrame;
  if ((flags & (kFrameBorderless | kFrameSizable)) == kFrameSizable) style |= kFrameStyleSizable;
  if ((flags & (kFrameNoCaption | kFrameBorderless)) == 0) style |= kFrameStyleCaption;
  if ((flags & kFrameMaximised) != 0) style |= kFrameStyleMaximize;
  std::uint32_t ex = 0;
  if ((flags & kFrameShowOnTaskbar) != 0) ex |= kFrameExStyleAppWindow;
  if ((flags & kFrameSmallCaption) != 0) ex |= kFrameExStyleToolWindow;
  if ((flags & kFrameTopmost) != 0) ex |= kFrameExStyleTopmost;
  if ((flags & kFrameAcceptFiles) != 0) ex |= kFrameExStyleAcceptFiles;
  return FrameStyles{style, ex};
}

// ---- placement -----------------------------------------------------------

inline constexpr char kPlacementRecordName[] = "(Orvo)Win";
inline constexpr std::uint32_t kGhostModeBit = 0x1000;  // in the record's transparency word

#pragma pack(push, 1)
// The record "(Orvo)Win<id>": the window's normal rectangle, its flags and
// its transparency.
struct WindowPlacementRecord {
  std::int16_t left;
  std::int16_t top;
  std::uint16_t width;
  std::uint16_t height;
  std::uint32_t flags;
  std::uint32_t transparencyWord;  // low byte the percentage, kGhostModeBit the ghost mode
};
#pragma pack(pop)
static_assert(sizeof(WindowPlacementRecord) == 16);
static_assert(offsetof(WindowPlacementRecord, width) == 4);
static_assert(offsetof(WindowPlacementRecord, flags) == 8);
static_assert(offsetof(WindowPlacementRecord, transparencyWord) == 12);

// What a new framework window starts with.
struct FramePlacement {
  MonitorRect rect;  // the normal rectangle, screen coordinates
  std::uint32_t flags;
  int transparency;  // 0, 10, ..., 90
  bool ghostMode;
};

// The rectangle asked for, where 0 in x, y, width or height asks for the
// default: two thirds of the monitor, centred and cascaded by 40 pixels per
// id, then wrapped into the monitor. A window as wide (or as high) as the
// room left of the monitor's far edge cannot be wrapped on that axis and
// keeps the coordinate 0 there. The result holds 16-bit values, as the
// record does.
[[nodiscard]] FramePlacement DefaultFramePlacement(const MonitorRect& monitor, std::uint16_t id, std::int32_t x,
                                                   std::int32_t y, std::int32_t width, std::int32_t height,
                                                   std::uint32_t flags) noexcept;

// A saved record is used only when it has a size and one of its top corners,
// 20 pixels in, lies on one of the monitors (so a window left on a monitor
// that is gone comes back on a present one).
[[nodiscard]] bool IsPlacementRecordUsable(const WindowPlacementRecord& record, const MonitorRect* monitors,
                                           int count) noexcept;

// The placement a usable record gives. The transparency comes from a file:
// anything but 0, 10, ..., 90 reads as opaque.
[[nodiscard]] FramePlacement PlacementFromRecord(const WindowPlacementRecord& record) noexcept;
[[nodiscard]] WindowPlacementRecord MakePlacementRecord(const MonitorRect& rect, std::uint32_t flags, int transparency,
                                                        bool ghostMode) noexcept;

[[nodiscard]] constexpr bool IsValidTransparency(int percent) noexcept {
  return percent >= 0 && percent <= 90 && percent % 10 == 0;
}

// The normal rectangle after a move or size to `window`: a locked position
// keeps its corner, a locked size its width and height.
[[nodiscard]] MonitorRect TrackPlacement(const MonitorRect& placement, const MonitorRect& window,
                                         std::uint32_t flags) noexcept;

// ---- dock bays -----------------------------------------------------------

inline constexpr int kBayTop = 0;
inline constexpr int kBayBottom = 1;
inline constexpr int kBayLeft = 2;
inline constexpr int kBayRight = 3;
inline constexpr int kBaySideCount = 4;
inline constexpr int kBayRowCount = 16;
inline constexpr int kSplitterSize = 4;

[[nodiscard]] constexpr bool IsVerticalBay(int side) noexcept { return side == kBayLeft || side == kBayRight; }

// Where a bay of the given thickness goes for PositionDockBay(x, y, width,
// height): a top bay runs down from y, a bottom bay up from it, a left bay
// right from x and a right bay left from it.
[[nodiscard]] MonitorRect DockBayRect(int side, std::int32_t x, std::int32_t y, std::int32_t width,
                                      std::int32_t height, std::int32_t thickness) noexcept;

// The part of a w x h client area that bays of these thicknesses leave free.
[[nodiscard]] constexpr MonitorRect InnerClientRect(std::int32_t w, std::int32_t h, std::int32_t top,
                                                    std::int32_t bottom, std::int32_t left,
                                                    std::int32_t right) noexcept {
  return MonitorRect{left, top, w - right, h - bottom};
}

// The row whose splitter band holds the coordinate c across the rows, or -1.
// rows: the bay's 16 row sizes (negative: a row with a splitter, its
// magnitude including the splitter), ended by the first 0. The splitter faces
// the frame's inside: the far end of its row in top and left bays, the near
// end in bottom and right bays.
[[nodiscard]] int SplitterRowAt(const std::int32_t* rows, int side, std::int32_t c) noexcept;

// ---- DPI -----------------------------------------------------------------

struct DpiChange {
  int dpi;        // the window's DPI from now on
  double factor;  // what sizes made for the old DPI are multiplied by
};

// A DPI of 0 is not a DPI: a window that was never shown has none yet, so
// nothing it holds is scaled (factor 1), and a message without a new DPI
// changes nothing.
[[nodiscard]] DpiChange ComputeDpiChange(int oldDpi, int newDpi) noexcept;

// ---- window menu ---------------------------------------------------------

inline constexpr std::uint16_t kCmdSeparator = 0xF000;
inline constexpr std::uint16_t kCmdWindowMenu = 0xF105;
inline constexpr std::uint16_t kCmdAlwaysOnTop = 0xF110;
inline constexpr std::uint16_t kCmdShowOnTaskbar = 0xF111;
inline constexpr std::uint16_t kCmdCaptionMenu = 0xF120;
inline constexpr std::uint16_t kCmdCaptionNormal = 0xF121;
inline constexpr std::uint16_t kCmdCaptionSmall = 0xF122;
inline constexpr std::uint16_t kCmdCaptionNone = 0xF123;
inline constexpr std::uint16_t kCmdCaptionBorderless = 0xF124;
inline constexpr std::uint16_t kCmdColourMenu = 0xF130;
inline constexpr std::uint16_t kCmdColourNone = 0xF131;
inline constexpr std::uint16_t kCmdColourDefault = 0xF132;
inline constexpr std::uint16_t kCmdColourCustom = 0xF133;
inline constexpr std::uint16_t kCmdCustomBackground = 0xF134;
inline constexpr std::uint16_t kCmdCustomFocus = 0xF135;
inline constexpr std::uint16_t kCmdCustomText = 0xF136;
inline constexpr std::uint16_t kCmdCustomHighlightedText = 0xF137;
inline constexpr std::uint16_t kCmdFontMenu = 0xF140;
inline constexpr std::uint16_t kCmdFontDefault = 0xF141;
inline constexpr std::uint16_t kCmdFontCustom = 0xF142;
inline constexpr std::uint16_t kCmdLockMenu = 0xF150;
inline constexpr std::uint16_t kCmdLockBarPositions = 0xF151;
inline constexpr std::uint16_t kCmdLockBarSizes = 0xF152;
inline constexpr std::uint16_t kCmdLockPosition = 0xF153;
inline constexpr std::uint16_t kCmdLockSize = 0xF154;
inline constexpr std::uint16_t kCmdLockAll = 0xF155;
inline constexpr std::uint16_t kCmdLockResolution = 0xF156;
inline constexpr std::uint16_t kCmdTransparencyMenu = 0xF160;
inline constexpr std::uint16_t kCmdTransparencyOff = 0xF161;  // then 10% to 90% up to 0xF16A
inline constexpr std::uint16_t kCmdGhost = 0xF16B;
inline constexpr std::uint16_t kMenuListEnd = 0xFFFF;

inline constexpr int kWindowMenuSize = 64;

struct WindowMenuBar {
  std::uint16_t id;
  bool visible;
};

struct WindowMenuInputs {
  std::uint32_t flags = 0;
  int transparency = 0;
  bool ghostMode = false;
  std::uint8_t schemeMode = 0;  // the saved colour-scheme mode
  bool customFont = false;      // a custom font face is saved
  const WindowMenuBar* bars = nullptr;  // this window's bars, in list order
  int barCount = 0;
};

struct CommandState {
  std::uint16_t id;
  bool on;
};

struct WindowMenuModel {
  // The menu's entries, ended by kMenuListEnd; count is the number before it.
  std::uint16_t list[kWindowMenuSize];
  int count;
  // Checked and enabled states for the command table, in order.
  CommandState checks[kWindowMenuSize + 32];
  int checkCount;
  CommandState enables[3];
  int enableCount;
};

// The entries (bars that fit, a separator after them, then the seven
// settings submenus) and the states of every window-menu command.
[[nodiscard]] WindowMenuModel BuildWindowMenuModel(const WindowMenuInputs& in) noexcept;

// Toggling a group of flags: when any of them is set all are cleared, else
// all are set.
[[nodiscard]] constexpr std::uint32_t ToggledFlags(std::uint32_t flags, std::uint32_t bits) noexcept {
  return (flags & bits) != 0 ? (flags & ~bits) : (flags | bits);
}
// "Lock All" sets the four locks unless all four are set already.
[[nodiscard]] constexpr bool LockAllSets(std::uint32_t flags) noexcept {
  return (flags & kFrameLockBits) != kFrameLockBits;
}
[[nodiscard]] constexpr std::uint32_t WithCaptionBits(std::uint32_t flags, std::uint32_t captionBits) noexcept {
  return (flags & ~kFrameCaptionBits) | (captionBits & kFrameCaptionBits);
}

// The caption bits of a caption command, the percentage of a transparency
// command, the custom colour index (0, 2, 3, 4) of a custom colour command;
// -1 for any other command.
[[nodiscard]] std::int32_t CaptionBitsForCommand(std::uint16_t id) noexcept;
[[nodiscard]] int TransparencyForCommand(std::uint16_t id) noexcept;
[[nodiscard]] int CustomColourIndexForCommand(std::uint16_t id) noexcept;

// ---- status texts --------------------------------------------------------

inline constexpr std::size_t kStatusTextSize = 1024;
inline constexpr std::int32_t kStatusKeyBase = -3;  // "Ready"
inline constexpr std::int32_t kStatusKeyHint = -2;  // the hint of the item under the mouse
inline constexpr std::int32_t kStatusKeyShown = -1;

struct StatusEntry {
  std::int32_t key;
  char text[kStatusTextSize];
};

// Stores a non-empty text under its key (cut to 1023 characters), appending
// an entry for a new key; an empty or missing text removes the key's entry,
// and then, when only keys below 0 are left, the first entry of key -1.
// False when a new entry could not be stored.
bool UpdateStatusEntries(CGrowArray<StatusEntry>& entries, std::int32_t key, const char* text) noexcept;

// The entry that is shown: the first of key -1, else the last; null when
// there is none.
[[nodiscard]] const StatusEntry* ShownStatusEntry(const CGrowArray<StatusEntry>& entries) noexcept;

// ---- Tab order -----------------------------------------------------------

// The position Tab (step 1) or Shift+Tab (step -1) moves to among count tab
// stops from current (-1 when the focus is on none of them), wrapping at
// both ends; -1 when there are no tab stops.
[[nodiscard]] int NextTabStop(int count, int current, int step) noexcept;

// ---- edge resizing -------------------------------------------------------

// Resize zones of a borderless framework window, 5 pixels wide: 1 top-left
// corner, 2 left edge, 3 bottom-left corner, 4 bottom edge, 5 bottom-right
// corner, 6 right edge, 7 top-right corner, 8 top edge; 0 none.
inline constexpr int kResizeBorder = 5;
[[nodiscard]] int ChooseResizeZone(int x, int y, int width, int height) noexcept;

// The cursor's distances to the window's four edges, taken when it entered
// the zone.
struct ResizeGrip {
  int left;
  int top;
  int right;
  int bottom;
};
[[nodiscard]] constexpr ResizeGrip GripAt(int x, int y, int width, int height) noexcept {
  return ResizeGrip{x, y, width - x, height - y};
}

// The window rectangle while the zone is dragged with the cursor at
// (cursorX, cursorY): only the edges of the zone follow the cursor.
[[nodiscard]] MonitorRect ResizedRect(const MonitorRect& rect, int zone, const ResizeGrip& grip, int cursorX,
                                      int cursorY) noexcept;
