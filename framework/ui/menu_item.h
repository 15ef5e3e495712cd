// The menu item: a UI item that opens a popup of entries (an entry of a bar,
// a submenu inside another popup, or the invisible anchor of the popup menu
// at the cursor). The popup is a top-level window of the class
// "OrvoAppMenuPopup" that never takes the activation and holds one UI item
// per entry command, made by the item factory from the entry's kind, so a
// popup holds buttons, texts, separators, value items and submenus alike.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/ui/ui_item.h"
#include "framework/util/grow_array.h"

inline constexpr char kMenuPopupClass[] = "OrvoAppMenuPopup";

class CMenu : public CUIItem {
 public:
  CMenu() noexcept;
  // Closes an open popup with its entries and destroys the popup window.
  ~CMenu() override;

  std::uint32_t OnCreate(const CommandRecord& command, HWND parent, HWND ownerWindow, CUIItem* holderMenu) override;
  void MeasureExtra(const CommandRecord& command, int orientation) override;
  void OnDestroy() override;
  void Paint(HDC dc, const RECT& client) override;

  // Fills the popup with the entries and shows it beside or below the anchor
  // (screen coordinates). 0 (also for an empty list, which shows nothing), or
  // kStatusNoPopupList, kStatusUnknownCommand, kStatusOutOfMemory; a popup
  // that does not open is closed again and is not left as the open root.
  std::uint32_t OpenPopup(const RECT& anchor) override;
  // Closes the open submenus below, hides the popup and destroys the entries.
  void ClosePopup() override;
  [[nodiscard]] bool IsCursorOnSubmenuArrow() const override;

  // Paints the popup's background into a DC whose origin is the popup's
  // point (x, y).
  void PaintMenuPopupBackground(HDC dc, int x, int y) noexcept;

  CMenu* openChild = nullptr;  // the entry whose own popup is open
  std::uint8_t isOpen = 0;
  std::uint8_t arrowHot = 0;  // split entry: the pointer was on the arrow zone
  const std::uint16_t* entryIds = nullptr;
  HWND popup = nullptr;
  CGrowArray<CUIItem*> entries;  // owned while the popup is open

 private:
  std::uint32_t FillEntries(const std::uint16_t* ids) noexcept;
  void DestroyEntries() noexcept;
  // Undoes the registration of a popup that did not open.
  std::uint32_t AbandonOpening(std::uint32_t status) noexcept;
};

LRESULT CALLBACK MenuPopupWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A popup with entries was opened or painted since the flag was last
// cleared (a command ran or a new popup menu started).
[[nodiscard]] bool IsPopupShown() noexcept;
void ClearPopupShown() noexcept;

// The first entry of the menu's open popup whose command is hot; -1 when
// none.
[[nodiscard]] int HotEntryIndex(const CMenu* menu) noexcept;
// From index, step (+1 or -1) through the popup's entries, wrapping, to the
// first enabled one that is no separator; after a whole round the index
// reached; -1 without entries.
[[nodiscard]] int NextEntryIndex(const CMenu* menu, int index, int step) noexcept;

// Keyboard navigation inside the open popup menus, which the message loop's
// pre-translation drives: the open popup's window (null when none is open),
// whether a window lies in one of the open popups (the root's or a
// submenu's), and the handling of one key in the current level (Enter,
// Escape, the arrow keys; other keys do nothing).
enum class PopupKey { kEnter, kEscape, kLeft, kRight, kUp, kDown, kOther };
[[nodiscard]] HWND OpenRootPopupWindow() noexcept;
[[nodiscard]] bool InsideOpenPopups(HWND window) noexcept;
void HandlePopupKey(PopupKey key) noexcept;
