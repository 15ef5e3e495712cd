// The command table of the application object and the services that work on
// the lists of framework windows, bars and items.
#pragma once

#include <cstdint>

#include "framework/app/command_record.h"

class CUIItem;

// Copies the record of id; 0, or kStatusUnknownCommand.
[[nodiscard]] std::uint32_t GetCommand(std::uint16_t id, CommandRecord* out) noexcept;
// Overwrites the record of id and redraws its items; 0, or kStatusUnknownCommand.
std::uint32_t ReplaceCommandRecord(std::uint16_t id, const CommandRecord& record) noexcept;
// 0, or kStatusUnknownCommand.
std::uint32_t EnableCommand(std::uint16_t id, bool enable) noexcept;
std::uint32_t SetCommandChecked(std::uint16_t id, bool checked) noexcept;
// Redraws every item bound to id (state -1: whatever their state).
void RefreshCommandItems(std::uint16_t id, int relayout, int state) noexcept;

// Closes the popup open in the item's window, or with null every popup and
// the navigation through them.
CUIItem* ClosePopupMenu(CUIItem* item) noexcept;
