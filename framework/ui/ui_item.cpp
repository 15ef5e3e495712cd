#include "framework/ui/ui_item.h"

#include <commctrl.h>

#include "framework/app/application.h"
#include "framework/app/command_table_core.h"

#if !defined(_WIN64)
static_assert(sizeof(TOOLINFOA) == 48, "the tool record of the 32-bit program");
#endif

CUIItem::CUIItem() noexcept { (void)gApp.items.Append(this); }

CUIItem::~CUIItem() {
  if (CommandRecord* record = FindCommand(gApp.commands, static_cast<std::uint16_t>(id))) {
    record->flags = ItemStateFlags(record->flags, 0, kCommandHot | kCommandPressed);
  }
  for (std::int32_t i = 0; i < gApp.items.Count(); ++i) {
    if (gApp.items[i] == this) {
      (void)gApp.items.RemoveAt(i);
      break;
    }
  }
  for (std::int32_t i = gApp.navigationItems.Count() - 1; i >= 0; --i) {
    if (gApp.navigationItems[i] == this) (void)gApp.navigationItems.RemoveAt(i);
  }
  // The application's state never points at an item that is gone.
  if (gApp.hintItem == this) gApp.hintItem = nullptr;
  if (gApp.openPopupItem == this) gApp.openPopupItem = nullptr;
  if (gApp.runningPopup == this) gApp.runningPopup = nullptr;
  if (window != nullptr) {
    if (gApp.tooltipWindow != nullptr) {
      TOOLINFOA tool{};
      tool.cbSize = sizeof tool;
      tool.uFlags = TTF_IDISHWND;
      tool.hwnd = GetParent(window);
      tool.uId = reinterpret_cast<UINT_PTR>(window);
      SendMessageA(gApp.tooltipWindow, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    DestroyWindow(window);
    window = nullptr;
  }
}

bool CUIItem::Refresh(int state) {
  if (state == 0 && window != nullptr) RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  return ApplyState(state);
}

bool CUIItem::ApplyState(int) { return false; }

std::uint32_t CUIItem::OpenPopup(const RECT&) { return kStatusWindowNotCreated; }

void CUIItem::ClosePopup() {}

bool CUIItem::IsCursorOnSubmenuArrow() const { return false; }
