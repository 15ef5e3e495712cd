// The services that work on the UI items, bars and framework windows bound
// to the application's commands (framework/app/commands.h): the states of the
// items of a command and their redraw, keyboard navigation of the menus, the
// item factory, and lookups in the window, bar and dock-bay lists.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/app/commands.h"

class CBar;
class CDockBay;
class CFrameWindow;
class CUIItem;

// ---- the records and their items ---------------------------------------------

// Overwrites the record of id (its id stays) and redraws its items; 0, or
// kStatusUnknownCommand.
std::uint32_t ReplaceCommandRecord(std::uint16_t id, const CommandRecord& record) noexcept;
// Disabling also drops hot and pressed and clears the hint of the window
// that owns the open popup. 0, or kStatusUnknownCommand.
std::uint32_t EnableCommand(std::uint16_t id, bool enable) noexcept;
std::uint32_t SetCommandChecked(std::uint16_t id, bool checked) noexcept;
// Redraws every item bound to id. With a state other than -1, an item of an
// enabled command is redrawn only when its Refresh(state) reports a change;
// with relayout, the bar of an item is laid out again.
void RefreshCommandItems(std::uint16_t id, int relayout, int state) noexcept;

// ---- the items of a command ---------------------------------------------------

// The pointer entered the item: it turns hot (and pressed with a button held
// over it); open popups give way; while the menus are navigated by keyboard
// a popup item opens its popup.
void EnterCommandItem(CUIItem* item) noexcept;
// A button went down on the item.
void MarkItemActive(CUIItem* item) noexcept;
// The pointer left the item; its hint goes.
void LeaveCommandItem(CUIItem* item) noexcept;
// The button was released on the item: a popup item opens or closes its
// popup, anything else but a separator runs its command.
void ActivateCommandItem(CUIItem* item, std::uint32_t buttonMask) noexcept;
// A double click on the item, reported to its owner.
void NotifyCommandOwner(CUIItem* item, std::uint32_t buttonMask) noexcept;
// The item's hint becomes the status text of its framework window.
void ShowItemHint(CUIItem* item) noexcept;
// flags = set OR (flags AND NOT clear), and the items redrawn when it changed.
void SetItemStateFlags(CUIItem* item, std::uint32_t set, std::uint32_t clear) noexcept;

// ---- navigation ----------------------------------------------------------------

// The first item of the bar whose command is hot; -1 when none.
[[nodiscard]] int GetHotItemIndex(const CBar* bar) noexcept;
// From index, step (+1 or -1) through the bar's items, wrapping, to the first
// enabled one that is no separator; after a whole round the index reached.
// -1 for a bar without items.
[[nodiscard]] int NextItemIndex(const CBar* bar, int index, int step) noexcept;
// The same over the keyboard-navigation list, also skipping items whose
// window is hidden; -1 when none qualifies.
[[nodiscard]] int NextNavigationItem(int index, int step) noexcept;

inline constexpr int kMenuNavigateStart = 0;
inline constexpr int kMenuNavigateNext = 1;
inline constexpr int kMenuNavigatePrevious = -1;
inline constexpr int kMenuNavigateEnd = 2;
// Keyboard navigation through the menus of the active framework window's
// bars. 0 when it runs (the key that asked is used), 1 when there is nothing
// to navigate: navigation is over and the key goes on as usual.
int NavigateBarItems(int mode) noexcept;

// With an item: closes the popup open in the item's parent window and
// returns it (null when none was open). With none: closes the application's
// open popup, clears the hint of its window and ends keyboard navigation.
CUIItem* ClosePopupMenu(CUIItem* item) noexcept;

// ---- the window and bar lists --------------------------------------------

// Sends to the last framework window (down to the second) with the
// main-window flag, else to the first; -1 when there is none.
LRESULT SendToActiveWindow(UINT message, WPARAM wParam, LPARAM lParam) noexcept;
// Shows or hides the bar, lays every framework window out again and tells
// the bar's window.
void ShowBarWindow(CBar* bar, bool show) noexcept;
// The size cursor of a resize zone (1 to 8; 0 and others change nothing).
void SetSizingCursor(int zone) noexcept;
// The item object of a command kind; kind 99 is the object passed. Null for
// a kind whose item class the program does not have, or without memory.
[[nodiscard]] CUIItem* CreateUiItem(std::uint16_t kind, CUIItem* object) noexcept;

[[nodiscard]] CBar* FindBarById(std::uint16_t id) noexcept;
[[nodiscard]] CDockBay* FindDockBay(std::uint16_t bayId) noexcept;
[[nodiscard]] CFrameWindow* FindWindowRecord(HWND window) noexcept;
[[nodiscard]] CFrameWindow* FindWindowRecordById(std::uint16_t id) noexcept;
// The framework window that the window is or lies in (parents and owners).
[[nodiscard]] CFrameWindow* FindWindowRecordByChild(HWND window) noexcept;
