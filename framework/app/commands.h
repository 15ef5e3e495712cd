// The application's command table: its records in id order, their lookup and
// the framework's standard commands; beside it the application's modal depth
// and its own foreground window. What works on the items, bars and framework
// windows bound to the commands is framework/ui/item_commands.h.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/base/command_record.h"
#include "framework/app/command_table_core.h"

// ---- the table -------------------------------------------------------------

// Adds a command at its sorted place (iconId or textId 0xFFFF: the id
// itself; the flags gain enabled and may-overflow). The index, or -1 when
// the table cannot grow.
[[nodiscard]] std::int32_t AddCommand(std::uint16_t id, CommandKind kind, std::uint32_t flags, std::uint16_t iconId,
                                      std::uint16_t textId, void* value = nullptr, float param1 = 0.0f,
                                      float param2 = 0.0f) noexcept;
[[nodiscard]] std::int32_t FindCommandIndex(std::uint16_t id) noexcept;
// Copies the record of id; 0, or kStatusUnknownCommand.
[[nodiscard]] std::uint32_t GetCommand(std::uint16_t id, CommandRecord* out) noexcept;

// Start-up's standard commands and their icons, in order. 0, or
// kStatusStandardIconNotAdded / kStatusStandardCommandNotAdded.
[[nodiscard]] std::uint32_t RegisterStandardCommands() noexcept;

// ---- the application's windows ----------------------------------------------

// Raises or lowers the modal depth (never below 0) and tells the listener
// the new depth: the framework windows show it, and hand their listener over
// when the first of them is made (framework/ui/window_list.h).
void ChangeModalDepth(bool entering) noexcept;
using ModalDepthListener = void (*)(int depth) noexcept;
void SetModalDepthListener(ModalDepthListener listener) noexcept;

// The foreground window when it belongs to this process, else null.
[[nodiscard]] HWND GetOwnForegroundWindow() noexcept;
