// The command table: every command and UI item of the framework is defined
// by one CommandRecord, kept in ascending id order. This part holds the
// table operations and the state arithmetic of the items bound to a
// command; it knows no windows.
#pragma once

#include <cstdint>

#include "framework/base/command_record.h"
#include "framework/util/grow_array.h"
#include "framework/util/status_codes.h"

using CommandTable = CGrowArray<CommandRecord>;

// Flag bits of a command record that the command table and its items share.
inline constexpr std::uint32_t kCommandEnabled = 0x1;
inline constexpr std::uint32_t kCommandHot = 0x200;      // the pointer is over an item of it
inline constexpr std::uint32_t kCommandPressed = 0x400;
inline constexpr std::uint32_t kCommandChecked = 0x800;
inline constexpr std::uint32_t kCommandMayOverflow = 0x1000;  // may move into a bar's overflow popup
inline constexpr std::uint32_t kCommandKeepsPressed = 0x8000;  // value items: pressed survives hovering
inline constexpr std::uint32_t kCommandHidden = 0x800000;
inline constexpr std::uint32_t kCommandSplitPopup = 0x1000000;  // a popup entry with an arrow zone
inline constexpr std::uint32_t kCommandArrowPressed = 0x2000000;
// What AddCommand gives every command it adds.
inline constexpr std::uint32_t kCommandAddedFlags = kCommandEnabled | kCommandMayOverflow;

// The kind of UI item that shows a command (the item factory's type codes).
enum class CommandKind : std::uint16_t {
  kButton = 1,
  kStatic = 2,
  kPopup = 3,
  kSeparator = 4,
  kTree = 5,
  kList = 6,
  kSlider = 9,
  kBrushSize = 10,
  kColor = 11,
  kPalette = 12,
  kCallerItem = 99,  // the item object comes with the call
};

inline constexpr std::uint16_t kSeparatorCommandId = 0xF000;
inline constexpr std::uint16_t kSameIdAsCommand = 0xFFFF;  // icon or text id: the command's own
inline constexpr std::uint16_t kTextFromOwner = 0xFFFE;    // text id: ask the owner window
inline constexpr std::uint16_t kCommandListEnd = 0xFFFF;   // ends a popup's list of entry ids

// The record AddCommand makes: icon and text ids of 0xFFFF become the id,
// and the flags gain kCommandAddedFlags.
[[nodiscard]] CommandRecord MakeCommandRecord(std::uint16_t id, CommandKind kind, std::uint32_t flags,
                                              std::uint16_t iconId, std::uint16_t textId, void* value,
                                              float param1, float param2) noexcept;

// Inserts at the record's sorted place (after records of the same id); the
// index, or -1 when the table cannot grow.
[[nodiscard]] std::int32_t InsertCommandRecord(CommandTable& table, const CommandRecord& record) noexcept;

// Binary search; the index of a record with that id, or -1.
[[nodiscard]] std::int32_t FindCommandIndex(const CommandTable& table, std::uint16_t id) noexcept;

// The record of an id, or null.
[[nodiscard]] CommandRecord* FindCommand(CommandTable& table, std::uint16_t id) noexcept;
[[nodiscard]] const CommandRecord* FindCommand(const CommandTable& table, std::uint16_t id) noexcept;

// Overwrites the record of id with record, all but the id: the table stays
// sorted however the caller's copy was edited. 0 or kStatusUnknownCommand.
[[nodiscard]] std::uint32_t OverwriteCommandRecord(CommandTable& table, std::uint16_t id,
                                                   const CommandRecord& record) noexcept;

// Flag arithmetic. Each returns the new flags.
// Enabling sets the enabled bit; disabling also drops hot and pressed.
[[nodiscard]] std::uint32_t EnabledFlags(std::uint32_t flags, bool enable) noexcept;
[[nodiscard]] std::uint32_t CheckedFlags(std::uint32_t flags, bool checked) noexcept;
// set OR (flags AND NOT clear).
[[nodiscard]] constexpr std::uint32_t ItemStateFlags(std::uint32_t flags, std::uint32_t set,
                                                     std::uint32_t clear) noexcept {
  return set | (flags & ~clear);
}

// An item of the command is entered by the pointer: hot, and pressed too
// when a button is held over it, unless the command keeps its pressed bit
// (value items), in which case a pressed bit already set stays.
[[nodiscard]] std::uint32_t EnteredFlags(std::uint32_t flags, bool buttonHeldOverItem) noexcept;
// A button went down on the item: a split popup pressed on its arrow zone
// marks the arrow, anything else is pressed (a popup entry also loses the
// arrow mark).
[[nodiscard]] std::uint32_t PressedFlags(std::uint32_t flags, bool isPopupItem, bool onArrowZone) noexcept;
// The pointer left the item: not hot, not pressed unless the command keeps
// its pressed bit; a popup entry also loses the arrow mark.
[[nodiscard]] std::uint32_t LeftFlags(std::uint32_t flags, bool isPopupItem) noexcept;
// The button was released on the item.
[[nodiscard]] std::uint32_t ReleasedFlags(std::uint32_t flags, bool isPopupItem) noexcept;

// Whether an item whose command has these flags opens its popup on a plain
// click: a split popup does so only from its arrow zone, or when its owner
// asked for it.
[[nodiscard]] bool PopupOpensOnClick(std::uint32_t flags, bool arrowPressed, bool ownerAsked) noexcept;

// Steps from index by step (its sign counts; 0 steps forward) through count
// positions, wrapping past either end, to the first position that
// qualifies. The start itself is tried last. With none qualifying, the
// position reached after count steps, or -1 with noneGivesMinusOne; an empty
// list always gives -1.
template <typename Qualifies>
[[nodiscard]] std::int32_t StepToQualifying(std::int32_t count, std::int32_t index, std::int32_t step,
                                            Qualifies qualifies, bool noneGivesMinusOne) {
  if (count <= 0) return -1;
  const std::int32_t delta = step < 0 ? -1 : 1;
  // A start outside the list enters it at the end the step comes from.
  std::int32_t at = index < -1 || index > count ? (delta > 0 ? -1 : count) : index;
  for (std::int32_t i = 0; i < count; ++i) {
    at += delta;
    if (at < 0 || at >= count) at = delta > 0 ? 0 : count - 1;
    if (qualifies(at)) return at;
  }
  return noneGivesMinusOne ? -1 : at;
}
