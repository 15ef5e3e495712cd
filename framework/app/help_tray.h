// Help, the popup menu at the cursor and the tray icon.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstdint>

class CUIItem;

enum class HelpResult : int {
  kStarted = 0,      // the viewer was started at the topic
  kNotHelpFile = 1,  // the name holds no ".chm"; nothing is shown
  kNoViewer = 2,     // no program is registered for the file
  kNoFile = 3,       // the file exists neither as named nor in the program folder
  kNotStarted = 4,   // the viewer could not be started
};

// Opens the compiled help file at a topic (empty or null: its start page).
// A file that does not exist as named is looked for in the program folder.
// Every failure but kNotHelpFile is also shown in a message box.
HelpResult ShowHelpTopic(const char* file, const char* topic) noexcept;

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
