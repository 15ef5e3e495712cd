// The window menu: the popup of framework commands that opens at the cursor
// when the right button is released over a framework window (always on top,
// taskbar button, caption, colours, font, locks, transparency, and the
// window's bars).
#pragma once

#include <cstdint>

#include "framework/base/app_records.h"

class CFrameWindow;

// Fills the window's window-menu list and sets the commands' checked and
// enabled states; count receives the number of entries before the end.
void BuildWindowMenu(CFrameWindow& frame, int* count) noexcept;

// Carries out a window-menu command (the id is taken as 16 bits); false when
// the id is none of the window menu's.
bool HandleFrameCommand(CFrameWindow& frame, unsigned id) noexcept;

// Builds the menu and shows it at the cursor, owned by the window.
void OpenWindowMenu(CFrameWindow& frame) noexcept;

// The saved custom colours by the menu's index (0 to 5).
[[nodiscard]] std::uint32_t CustomColour(const AppSettingsRecord& settings, int index) noexcept;
void SetCustomColour(AppSettingsRecord& settings, int index, std::uint32_t colour) noexcept;
