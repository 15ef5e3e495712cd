// The framework's standard commands (separators, the bars' overflow popup,
// the window menu and its submenus) and their icons, in the order start-up
// registers them: each group's icon before its command or commands.
#pragma once

#include <cstdint>

#include "framework/app/command_table_core.h"

enum class StandardStep : std::uint8_t {
  kIcon,            // a theme icon `id` loaded from the program's icon resource `iconResource`
  kOwnerDrawnIcon,  // a theme icon `id` drawn by the first framework window
  kCommand,         // AddCommand with the remaining fields
};

struct StandardCommandStep {
  StandardStep step;
  std::uint16_t id;
  std::uint16_t iconResource;
  CommandKind kind;
  std::uint32_t flags;
  std::uint16_t iconId;
  std::uint16_t textId;
  std::uint16_t* entries;  // a popup's entry ids, ended by kCommandListEnd; null for none
};

// The steps in order; *count receives their number.
[[nodiscard]] const StandardCommandStep* StandardCommandSteps(int* count) noexcept;

// Width and height of the owner-drawn icons.
[[nodiscard]] int* OwnerDrawnIconSize() noexcept;
