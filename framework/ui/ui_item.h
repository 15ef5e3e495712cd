// The UI item base: the framework's small owner-drawn controls (menu
// entries, buttons, texts, separators, ...) each own one child window and
// are described by a command record that they look up by id whenever they
// need it, so a change of the record shows in every item bound to it.
//
// This is the part of the base that the command table works with: the
// fields, the global item list, refreshing and the popup operations. An
// item without a popup of its own cannot open one; the menu item overrides
// them.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/util/status_codes.h"

class CBar;
class CUIItem;

// Called first for every message of an item's window; its result is ignored.
using UIItemHook = int (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam, CUIItem* item);

inline constexpr int kMenuItemType = 3;  // the type code of the menu item (a popup entry)

class CUIItem {
 public:
  // Appends the item to the application's item list.
  CUIItem() noexcept;
  // Clears the hot and pressed state of its command, leaves the item list,
  // removes its tooltip and destroys its window.
  virtual ~CUIItem();
  CUIItem(const CUIItem&) = delete;
  CUIItem& operator=(const CUIItem&) = delete;

  // State 0 redraws the window at once; then whether ApplyState changed the
  // item's layout.
  virtual bool Refresh(int state);
  virtual bool ApplyState(int state);

  // The item's popup: opened at the anchor rectangle (screen coordinates),
  // closed with the chain below it, and whether the cursor is on the arrow
  // zone at the item's right edge.
  virtual std::uint32_t OpenPopup(const RECT& anchor);
  virtual void ClosePopup();
  [[nodiscard]] virtual bool IsCursorOnSubmenuArrow() const;

  HWND window = nullptr;
  HWND owner = nullptr;  // receives the item's notifications and text requests
  std::uint32_t id = 0xFFFF;
  std::uint32_t flags = 0;  // the command's flags when last measured
  std::int32_t type = 0;
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t iconWidth = 0;
  std::int32_t iconHeight = 0;
  std::int32_t extraWidth = 0;
  std::int32_t extraHeight = 0;
  std::int32_t labelWidth = 0;
  std::int32_t labelHeight = 0;
  std::int32_t secondWidth = 0;
  std::int32_t secondHeight = 0;
  std::int32_t arrowWidth = 0;
  CUIItem* holder = nullptr;  // the menu whose popup holds the item; null outside popups
  CBar* bar = nullptr;        // the bar that holds the item
  std::int32_t iconColumn = 0;
  std::uint8_t rowBreak = 0;
  std::int32_t lastMousePos = 0;
  std::uint8_t inDragOut = 0;
  RECT iconRect{};
  RECT labelRect{};
  RECT extraRect{};
  RECT secondRect{};
  UIItemHook hook = nullptr;
  // A menu entry of a menu bar: keyboard navigation of the menus moves
  // through these (set by the bar that holds it).
  std::uint8_t topLevelMenu = 0;
};
