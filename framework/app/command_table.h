// The command table and the application services that work on the lists of
// framework windows, bars and items.
#pragma once

#include <windows.h>

class CUIItem;

// Sends to the active framework window (the last with the main-window flag,
// else the first); -1 when there is none.
LRESULT SendToActiveWindow(UINT message, WPARAM wParam, LPARAM lParam);

// The size cursor of a resize zone (1 to 8).
void SetSizingCursor(int zone);

// Keyboard menu navigation: 0 start, 1 next, -1 previous, 2 end.
int NavigateBarItems(int mode);

// Closes the popup open in the item's window, or with null every popup and
// the navigation through them.
void* ClosePopupMenu(CUIItem* item);
