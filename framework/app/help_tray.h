// Help, the popup menu at the cursor and the tray icon.
#pragma once

#include <windows.h>

#include <cstdint>

class CUIItem;

// Shows the popup menu of the popup command menuId at point (null: the
// cursor) for owner; the menu object, or null when it could not be shown.
CUIItem* ShowPopupMenu(std::uint16_t menuId, const POINT* point, HWND owner) noexcept;

// Shows, changes or (iconId -1) removes the tray icon of the framework
// window windowId; tipFormat null shows the product name.
int SetTrayIcon(std::uint16_t windowId, int iconId, const char* tipFormat, ...) noexcept;
