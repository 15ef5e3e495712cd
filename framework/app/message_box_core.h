// The framework message box without the window: what its flags ask for, how
// its text is cut into lines, and where the texts and buttons go.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "framework/app/res/framework_resource_ids.h"
#include "framework/theme/theme_core.h"

// Flags of ShowMessageBox. One icon, one button set and one default button
// are meant to be combined.
inline constexpr std::uint32_t kMsgBoxError = 0x1;        // hand icon
inline constexpr std::uint32_t kMsgBoxExclamation = 0x2;  // exclamation icon
inline constexpr std::uint32_t kMsgBoxAsterisk = 0x4;     // information icon
inline constexpr std::uint32_t kMsgBoxQuestion = 0x8;     // question icon
inline constexpr std::uint32_t kMsgBoxIconMask = 0xF;
inline constexpr std::uint32_t kMsgBoxOk = 0x10;
inline constexpr std::uint32_t kMsgBoxOkCancel = 0x20;
inline constexpr std::uint32_t kMsgBoxYesNo = 0x40;
inline constexpr std::uint32_t kMsgBoxYesNoCancel = 0x80;
inline constexpr std::uint32_t kMsgBoxButtonMask = 0xF0;
inline constexpr std::uint32_t kMsgBoxBoldFirstLine = 0x100;
inline constexpr std::uint32_t kMsgBoxDefaultOk = 0x200;
inline constexpr std::uint32_t kMsgBoxDefaultCancel = 0x400;
inline constexpr std::uint32_t kMsgBoxDefaultYes = 0x800;
inline constexpr std::uint32_t kMsgBoxDefaultNo = 0x1000;
inline constexpr std::uint32_t kMsgBoxProgramIcon = 0x2000;  // dialog icon: the program's icon 2 at 32 x 32

// The answer when the text cannot be formatted into memory.
inline constexpr int kMsgBoxNoMemory = -666;

// The message box dialog and its controls.
inline constexpr int kMsgBoxDialogId = FW_IDD_MESSAGE_BOX;
inline constexpr int kMsgBoxIconArea = FW_IDC_MESSAGE_ICON;
inline constexpr int kMsgBoxFirstLine = FW_IDC_MESSAGE_FIRST_LINE;
inline constexpr int kMsgBoxOtherLines = FW_IDC_MESSAGE_OTHER_LINES;

// The buttons in the order of the default-button index: 0 OK, 1 Cancel,
// 2 Yes, 3 No.
inline constexpr int kMsgBoxButtonCount = 4;
inline constexpr std::array<int, kMsgBoxButtonCount> kMsgBoxButtonIds{1, 2, 6, 7};
// Their titles: indices of the framework text 0xF200.
inline constexpr std::array<unsigned, kMsgBoxButtonCount> kMsgBoxButtonTitleIndex{0, 1, 4, 5};

enum class MsgBoxIcon : std::uint8_t { kNone, kError, kExclamation, kAsterisk, kQuestion };
enum class MsgBoxButtons : std::uint8_t { kNone, kOk, kOkCancel, kYesNo, kYesNoCancel };

// The icon of the flags; an icon value other than 1, 2, 4 or 8 is none.
[[nodiscard]] MsgBoxIcon MessageBoxIcon(std::uint32_t flags) noexcept;
// The button set; flags with more than one set bit take the smallest.
[[nodiscard]] MsgBoxButtons MessageBoxButtons(std::uint32_t flags) noexcept;
// Which of OK, Cancel, Yes, No (index order) the set shows.
[[nodiscard]] std::array<bool, kMsgBoxButtonCount> ShownButtons(MsgBoxButtons set) noexcept;
// The default-button index after a box with these flags: the set's own
// default (OK, or Yes for the Yes/No sets), overridden by a default-button
// bit (the smallest when several are set); flags with neither keep previous.
[[nodiscard]] int NextDefaultButton(std::uint32_t flags, int previous) noexcept;

// The text cut into the lines that are measured: at most 2047 characters,
// without carriage returns, split at line feeds into at most 15 lines
// (whatever follows the fifteenth line feed is not measured).
inline constexpr std::size_t kMsgBoxTextLimit = 2047;
inline constexpr int kMsgBoxMaxLines = 15;
struct MessageLines {
  char buffer[kMsgBoxTextLimit + 1];
  std::array<const char*, kMsgBoxMaxLines> line;  // into buffer, each NUL-terminated
  int count;
};
// A null text is an empty one. The result points into itself: not copyable.
void SplitMessageLines(const char* text, MessageLines& out) noexcept;

// The caller's text from its second line on (after the first line feed), or
// the empty end of the text when it has one line; null for null.
[[nodiscard]] const char* TextAfterFirstLine(const char* text) noexcept;

struct LineSize {
  int width = 0;
  int height = 0;
};

// The dialog as the resource lays it out, in client pixels.
struct MessageBoxTemplate {
  PixelRect iconArea;
  PixelPoint textOrigin;  // the first text line's position
  int buttonTop = 0;      // the button row
  int buttonWidth = 0;    // every button is as large as OK
  int buttonHeight = 0;
  int workAreaWidth = 0;  // of the monitor at the owner's centre
};

struct MessageBoxLayout {
  int textWidth = 0;
  PixelRect firstLine;
  bool hasOtherLines = false;  // one line: the second text area goes
  PixelRect otherLines;
  int buttonTop = 0;
  int growth = 0;        // by which the dialog grows downward
  int clientWidth = 0;   // the dialog's new client width
  std::array<bool, kMsgBoxButtonCount> shown{};
  std::array<int, kMsgBoxButtonCount> buttonLeft{};  // of the shown buttons
};

// The width of the text areas: the widest line with its margin, but at most
// a quarter of the work area's width. Lines below the first that are wider
// wrap in it, so the caller measures their height wrapped at this width.
[[nodiscard]] int MessageTextWidth(const LineSize* lines, int count, int workAreaWidth) noexcept;

// Lays the box out for the measured lines (raw text extents, count 1 to 15;
// an empty line is measured as one space by the caller).
[[nodiscard]] MessageBoxLayout LayoutMessageBox(const MessageBoxTemplate& dialog, const LineSize* lines, int count,
                                                MsgBoxButtons set) noexcept;
