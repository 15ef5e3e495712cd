#include "framework/app/command_table_core.h"

#include <cstring>

CommandRecord MakeCommandRecord(std::uint16_t id, CommandKind kind, std::uint32_t flags, std::uint16_t iconId,
                                std::uint16_t textId, void* value, float param1, float param2) noexcept {
  CommandRecord record;
  std::memset(&record, 0, sizeof record);
  record.id = id;
  record.kind = static_cast<std::uint16_t>(kind);
  record.param1 = param1;
  record.param2 = param2;
  record.flags = flags | kCommandAddedFlags;
  record.iconId = iconId == kSameIdAsCommand ? id : iconId;
  record.textId = textId == kSameIdAsCommand ? id : textId;
  record.value = value;
  return record;
}

namespace {

// The first index whose id is above id: where a record of that id goes.
std::int32_t UpperBound(const CommandTable& table, std::uint16_t id) noexcept {
  std::int32_t lo = 0;
  std::int32_t hi = table.Count();
  while (lo < hi) {
    const std::int32_t mid = lo + (hi - lo) / 2;
    if (table[mid].id <= id) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  return lo;
}

}  // namespace

std::int32_t InsertCommandRecord(CommandTable& table, const CommandRecord& record) noexcept {
  return table.InsertItems(&record, UpperBound(table, record.id), 1);
}

std::int32_t FindCommandIndex(const CommandTable& table, std::uint16_t id) noexcept {
  std::int32_t lo = 0;
  std::int32_t hi = table.Count() - 1;
  while (lo <= hi) {
    const std::int32_t mid = lo + (hi - lo) / 2;
    const std::uint16_t at = table[mid].id;
    if (at == id) return mid;
    if (at < id) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
    }
  }
  return -1;
}

CommandRecord* FindCommand(CommandTable& table, std::uint16_t id) noexcept {
  const std::int32_t index = FindCommandIndex(table, id);
  return index < 0 ? nullptr : &table[index];
}

const CommandRecord* FindCommand(const CommandTable& table, std::uint16_t id) noexcept {
  const std::int32_t index = FindCommandIndex(table, id);
  return index < 0 ? nullptr : &table[index];
}

std::uint32_t OverwriteCommandRecord(CommandTable& table, std::uint16_t id, const CommandRecord& record) noexcept {
  CommandRecord* target = FindCommand(table, id);
  if (target == nullptr) return kStatusUnknownCommand;
  // The caller's copy may be the record itself.
  if (target != &record) std::memmove(target, &record, sizeof record);
  target->id = id;
  return kStatusOk;
}

std::uint32_t EnabledFlags(std::uint32_t flags, bool enable) noexcept {
  return enable ? flags | kCommandEnabled : flags & ~(kCommandEnabled | kCommandHot | kCommandPressed);
}

std::uint32_t CheckedFlags(std::uint32_t flags, bool checked) noexcept {
  return checked ? flags | kCommandChecked : flags & ~kCommandChecked;
}

std::uint32_t EnteredFlags(std::uint32_t flags, bool buttonHeldOverItem) noexcept {
  const bool keepsPressed = (flags & kCommandKeepsPressed) != 0;
  const std::uint32_t state = kCommandHot | (!keepsPressed && buttonHeldOverItem ? kCommandPressed : 0u);
  const std::uint32_t cleared = keepsPressed ? kCommandHot : kCommandHot | kCommandPressed;
  return ItemStateFlags(flags, state, cleared);
}

std::uint32_t PressedFlags(std::uint32_t flags, bool isPopupItem, bool onArrowZone) noexcept {
  if (isPopupItem && (flags & kCommandSplitPopup) != 0 && onArrowZone) {
    return ItemStateFlags(flags, kCommandArrowPressed, kCommandPressed);
  }
  return ItemStateFlags(flags, kCommandPressed, isPopupItem ? kCommandArrowPressed : 0u);
}

std::uint32_t LeftFlags(std::uint32_t flags, bool isPopupItem) noexcept {
  std::uint32_t clear = kCommandHot;
  if ((flags & kCommandKeepsPressed) == 0) clear |= kCommandPressed;
  if (isPopupItem) clear |= kCommandArrowPressed;
  return ItemStateFlags(flags, 0, clear);
}

std::uint32_t ReleasedFlags(std::uint32_t flags, bool isPopupItem) noexcept {
  return ItemStateFlags(flags, 0, kCommandPressed | (isPopupItem ? kCommandArrowPressed : 0u));
}

bool PopupOpensOnClick(std::uint32_t flags, bool arrowPressed, bool ownerAsked) noexcept {
  return (flags & kCommandSplitPopup) == 0 || arrowPressed || ownerAsked;
}
