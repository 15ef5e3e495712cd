// The notification-area icon of a framework window, and the popup menu at the
// cursor that such an icon opens.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstdint>

class CUIItem;

// Shows the popup menu of the popup command menuId at point (screen; null:
// the cursor) for owner, which receives its commands. The menu object, or
// null with the reason as the thread's last error.
CUIItem* ShowPopupMenu(std::uint16_t menuId, const POINT* point, HWND owner) noexcept;

// Shows, changes or removes the notification-area icon of the framework
// window windowId: the program's icon resource iconId (-1: none, which
// removes it) with the printf tip (null: the product name). 1 when the
// shell took the change, else 0.
int SetTrayIcon(std::uint16_t windowId, int iconId, const char* tipFormat, ...) noexcept;
int SetTrayIconV(std::uint16_t windowId, int iconId, const char* tipFormat, va_list args) noexcept;

inline constexpr UINT kTrayIconSize = 64;
