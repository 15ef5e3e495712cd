#include "framework/ui/item_commands.h"

#include <new>

#include "framework/object/application.h"
#include "framework/base/framework_messages.h"
#include "framework/text/text_table.h"
#include "framework/ui/bar.h"
#include "framework/ui/dock_bay.h"
#include "framework/ui/frame_window.h"
#include "framework/ui/list_item.h"
#include "framework/ui/menu_item.h"
#include "framework/ui/plain_items.h"
#include "framework/ui/tree_item.h"
#include "framework/ui/ui_item.h"
#include "framework/ui/value_items.h"

namespace {

CommandRecord* CommandOf(const CUIItem* item) noexcept {
  return item != nullptr ? FindCommand(gApp.commands, static_cast<std::uint16_t>(item->id)) : nullptr;
}

// An item whose command is not in the table counts as neither enabled nor hot.
bool IsEnabledItem(const CUIItem* item) noexcept {
  const CommandRecord* record = CommandOf(item);
  return record != nullptr && (record->flags & kCommandEnabled) != 0;
}

bool IsNavigableItem(const CUIItem* item) noexcept {
  return item != nullptr && item->id != kSeparatorCommandId && IsEnabledItem(item);
}

bool IsPopupItem(const CUIItem* item) noexcept { return item->type == kMenuItemType; }

HWND ParentOf(const CUIItem* item) noexcept { return item->window != nullptr ? GetParent(item->window) : nullptr; }

// The popup open in a window (a bar, a framework window or a popup).
CUIItem* PopupOpenIn(HWND window) noexcept {
  return window != nullptr ? reinterpret_cast<CUIItem*>(SendMessageA(window, WM_FW_GETPOPUP, 0, 0)) : nullptr;
}

// The item lies in the popup, or in a popup below it.
bool LiesInside(const CUIItem* item, const CUIItem* popup) noexcept {
  for (const CUIItem* h = item->holder; h != nullptr; h = h->holder) {
    if (h == popup) return true;
  }
  return false;
}

void OpenPopupAtItem(CUIItem* item) noexcept {
  RECT rect;
  if (item->window != nullptr && GetWindowRect(item->window, &rect)) (void)item->OpenPopup(rect);
}

void ClearHintOf(CFrameWindow* frame) noexcept {
  if (frame != nullptr) (void)frame->SetStatusText(kStatusKeyHint, nullptr);
}

// Closes the application's open popup without ending keyboard navigation.
void CloseApplicationPopup() noexcept {
  CUIItem* open = gApp.openPopupItem;
  if (open == nullptr) return;
  open->ClosePopup();
  gApp.openPopupItem = nullptr;
  if (HWND parent = ParentOf(open)) SendMessageA(parent, WM_FW_SETPOPUP, 0, 0);
}

// Stores the item's command flags and, when they changed, redraws its items.
void ApplyItemFlags(CUIItem* item, std::uint32_t flags) noexcept {
  CommandRecord* record = CommandOf(item);
  if (record == nullptr || record->flags == flags) return;
  record->flags = flags;
  RefreshCommandItems(record->id, 0, -1);
}

using FlagChange = std::uint32_t (*)(std::uint32_t flags, bool on) noexcept;

// Sets or clears one flag of the command (change says how) and, when that
// changed its flags, redraws its items; clearHint first takes a hint off the
// open popup.
std::uint32_t ChangeCommandFlags(std::uint16_t id, FlagChange change, bool on, bool clearHint) noexcept {
  CommandRecord* record = FindCommand(gApp.commands, id);
  if (record == nullptr) return kStatusUnknownCommand;
  const std::uint32_t flags = change(record->flags, on);
  if (flags == record->flags) return kStatusOk;
  record->flags = flags;
  if (clearHint) ClearHintOf(FindWindowRecordById(gApp.openPopupWindowId));
  RefreshCommandItems(id, 0, -1);
  return kStatusOk;
}

bool ButtonHeld() noexcept {
  return GetAsyncKeyState(VK_LBUTTON) < 0 || GetAsyncKeyState(VK_MBUTTON) < 0 || GetAsyncKeyState(VK_RBUTTON) < 0;
}

bool UnderCursor(const CUIItem* item) noexcept {
  POINT cursor;
  return item->window != nullptr && GetCursorPos(&cursor) && WindowFromPoint(cursor) == item->window;
}

const char* HintText(const CUIItem* item, const CommandRecord& record) noexcept {
  if (record.textId == kTextFromOwner) {
    return item->owner != nullptr ? reinterpret_cast<const char*>(
                                        SendMessageA(item->owner, WM_FW_GETITEMTEXT, record.id, 2))
                                  : nullptr;
  }
  return GetText(record.textId, 2);
}

}  // namespace

// ---- the records and their items -----------------------------------------------

std::uint32_t ReplaceCommandRecord(std::uint16_t id, const CommandRecord& record) noexcept {
  const std::uint32_t result = OverwriteCommandRecord(gApp.commands, id, record);
  if (result == kStatusOk) RefreshCommandItems(id, 0, -1);
  return result;
}

std::uint32_t EnableCommand(std::uint16_t id, bool enable) noexcept {
  // A command that becomes disabled takes its hint off the open popup.
  return ChangeCommandFlags(id, &EnabledFlags, enable, !enable);
}

std::uint32_t SetCommandChecked(std::uint16_t id, bool checked) noexcept {
  return ChangeCommandFlags(id, &CheckedFlags, checked, false);
}

void RefreshCommandItems(std::uint16_t id, int relayout, int state) noexcept {
  const CommandRecord* record = FindCommand(gApp.commands, id);
  const bool enabled = record != nullptr && (record->flags & kCommandEnabled) != 0;
  for (std::int32_t i = 0; i < gApp.items.Count(); ++i) {
    CUIItem* item = gApp.items[i];
    if (item->id != id) continue;
    if (state != -1 && enabled && !item->Refresh(state)) continue;
    if (relayout != 0 && item->bar != nullptr) item->bar->RefreshLayout();
    if (item->window != nullptr) RedrawWindow(item->window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  }
}

// ---- the items of a command ------------------------------------------------------

void EnterCommandItem(CUIItem* item) noexcept {
  const CommandRecord* record = CommandOf(item);
  if (record == nullptr) return;
  if (gApp.runningPopup != nullptr && !LiesInside(item, gApp.runningPopup)) return;
  const HWND parent = ParentOf(item);
  CUIItem* openHere = PopupOpenIn(parent);
  if (item->holder == nullptr || openHere != nullptr) {
    if (openHere == nullptr) {
      (void)ClosePopupMenu(nullptr);
    } else if (openHere != item) {
      (void)ClosePopupMenu(item);
    }
  }
  ApplyItemFlags(item, EnteredFlags(record->flags, UnderCursor(item) && ButtonHeld()));
  if (gApp.popupNavigation != 0 && IsPopupItem(item) && PopupOpenIn(parent) != item &&
      ((record->flags & kCommandSplitPopup) == 0 || item->IsCursorOnSubmenuArrow())) {
    OpenPopupAtItem(item);
  }
}

void MarkItemActive(CUIItem* item) noexcept {
  const CommandRecord* record = CommandOf(item);
  if (record == nullptr) return;
  ApplyItemFlags(item, PressedFlags(record->flags, IsPopupItem(item), item->IsCursorOnSubmenuArrow()));
}

void LeaveCommandItem(CUIItem* item) noexcept {
  const CommandRecord* record = CommandOf(item);
  if (record != nullptr) ApplyItemFlags(item, LeftFlags(record->flags, IsPopupItem(item)));
  if (item != nullptr && gApp.hintItem == item) {
    gApp.hintItem = nullptr;
    ClearHintOf(FindWindowRecordByChild(item->window));
  }
}

void ActivateCommandItem(CUIItem* item, std::uint32_t buttonMask) noexcept {
  const CommandRecord* record = CommandOf(item);
  if (record == nullptr) return;
  const std::uint16_t id = record->id;
  const std::uint32_t flags = record->flags;
  const bool arrowPressed = (flags & kCommandArrowPressed) != 0;
  ApplyItemFlags(item, ReleasedFlags(flags, IsPopupItem(item)));
  if (record->kind == static_cast<std::uint16_t>(CommandKind::kSeparator)) return;

  if (IsPopupItem(item)) {
    const bool ownerAsked =
        item->owner != nullptr && SendMessageA(item->owner, WM_FW_POPUPCLICK, id, static_cast<LPARAM>(buttonMask)) == 1;
    if (PopupOpensOnClick(flags, arrowPressed, ownerAsked)) {
      const CUIItem* open = ClosePopupMenu(item);
      // A click on the entry whose popup was open only closes it.
      if (open == item && item->holder == nullptr) return;
      OpenPopupAtItem(item);
      return;
    }
  }

  // Closing the popup destroys its entries, this item among them.
  const HWND owner = item->owner;
  (void)ClosePopupMenu(nullptr);
  if (gApp.runningPopup == nullptr) {
    if (owner != nullptr) SendMessageA(owner, WM_FW_COMMAND, MAKEWPARAM(id, buttonMask), 0);
  } else {
    gApp.chosenCommand = id;
  }
}

void NotifyCommandOwner(CUIItem* item, std::uint32_t buttonMask) noexcept {
  if (item == nullptr || item->owner == nullptr) return;
  SendMessageA(item->owner, WM_FW_DBLCLICK, MAKEWPARAM(static_cast<WORD>(item->id), buttonMask), 0);
}

void ShowItemHint(CUIItem* item) noexcept {
  const CommandRecord* record = CommandOf(item);
  if (record == nullptr) return;
  if (CFrameWindow* frame = FindWindowRecordByChild(item->window)) {
    (void)frame->SetStatusText(kStatusKeyHint, HintText(item, *record));
  }
  gApp.hintItem = item;
}

void SetItemStateFlags(CUIItem* item, std::uint32_t set, std::uint32_t clear) noexcept {
  if (const CommandRecord* record = CommandOf(item)) ApplyItemFlags(item, ItemStateFlags(record->flags, set, clear));
}

// ---- navigation ---------------------------------------------------------------------

int GetHotItemIndex(const CBar* bar) noexcept {
  if (bar == nullptr) return -1;
  for (std::int32_t i = 0; i < bar->items.Count(); ++i) {
    const CommandRecord* record = CommandOf(bar->items[i]);
    if (record != nullptr && (record->flags & kCommandHot) != 0) return i;
  }
  return -1;
}

int NextItemIndex(const CBar* bar, int index, int step) noexcept {
  if (bar == nullptr) return -1;
  const auto& items = bar->items;
  return StepToQualifying(
      items.Count(), index, step, [&items](std::int32_t i) { return IsNavigableItem(items[i]); }, false);
}

int NextNavigationItem(int index, int step) noexcept {
  const auto& items = gApp.navigationItems;
  return StepToQualifying(
      items.Count(), index, step,
      [&items](std::int32_t i) {
        return IsNavigableItem(items[i]) && items[i]->window != nullptr && IsWindowVisible(items[i]->window);
      },
      true);
}

int NavigateBarItems(int mode) noexcept {
  auto& list = gApp.navigationItems;
  if (mode == kMenuNavigateStart) list.Clear();
  if (list.Count() == 0) {
    CFrameWindow* frame = FindWindowRecordById(gApp.openPopupWindowId);
    if (frame == nullptr) {
      if (mode == kMenuNavigateEnd) (void)ClosePopupMenu(nullptr);
      return 1;
    }
    SendMessageA(frame->window, WM_FW_MENUNAVIGATE, 0, 0);
    for (CBar* bar : gApp.bars) {
      if (bar == nullptr || bar->frameId != frame->id) continue;
      for (CUIItem* item : bar->items) {
        const CommandRecord* record = CommandOf(item);
        if (record != nullptr && record->kind == static_cast<std::uint16_t>(CommandKind::kPopup) &&
            item->topLevelMenu != 0) {
          (void)list.Append(item);
        }
      }
    }
  }
  // Nothing to move through: navigation is over, so the key that asked for
  // it is not taken from the window.
  if (list.Count() == 0) {
    if (mode == kMenuNavigateEnd) {
      (void)ClosePopupMenu(nullptr);
    } else {
      gApp.popupNavigation = 0;
    }
    return 1;
  }

  CUIItem* open = gApp.openPopupItem;
  CloseApplicationPopup();
  std::int32_t current = list.Count();
  for (std::int32_t i = 0; i < list.Count(); ++i) {
    if (list[i] == open) current = i;
  }
  if (mode == kMenuNavigateEnd) {
    if (current < list.Count() && list[current]->window != nullptr) {
      SendMessageA(list[current]->window, WM_MOUSELEAVE, 0, -1);
    }
    list.Clear();
    (void)ClosePopupMenu(nullptr);
    return 0;
  }
  const int target = mode == kMenuNavigateStart ? NextNavigationItem(-1, 1)
                                            : NextNavigationItem(current, mode == kMenuNavigatePrevious ? -1 : 1);
  if (target < 0) {
    gApp.popupNavigation = 0;
    return 1;
  }
  CUIItem* item = list[target];
  gApp.popupNavigation = 1;
  OpenPopupAtItem(item);
  SendMessageA(item->window, WM_MOUSEMOVE, 0, -1);
  return 0;
}

CUIItem* ClosePopupMenu(CUIItem* item) noexcept {
  if (item != nullptr) {
    const HWND parent = ParentOf(item);
    CUIItem* open = PopupOpenIn(parent);
    if (open != nullptr) {
      open->ClosePopup();
      if (gApp.openPopupItem == open) gApp.openPopupItem = nullptr;
      SendMessageA(parent, WM_FW_SETPOPUP, 0, 0);
    }
    return open;
  }
  CloseApplicationPopup();
  ClearHintOf(FindWindowRecordById(gApp.openPopupWindowId));
  gApp.popupNavigation = 0;
  return nullptr;
}

// ---- the window and bar lists ------------------------------------------------------

LRESULT SendToActiveWindow(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  const std::int32_t count = gApp.windows.Count();
  if (count == 0) return -1;
  CFrameWindow* target = gApp.windows[0];
  for (std::int32_t i = count - 1; i >= 1; --i) {
    if ((gApp.windows[i]->flags & kFrameMainWindow) != 0) {
      target = gApp.windows[i];
      break;
    }
  }
  return SendMessageA(target->window, message, wParam, lParam);
}

void ShowBarWindow(CBar* bar, bool show) noexcept {
  if (bar == nullptr) return;
  bar->flags = show ? static_cast<std::uint16_t>(bar->flags | kBarVisible)
                    : static_cast<std::uint16_t>(bar->flags & ~kBarVisible);
  if (bar->window != nullptr) ShowWindow(bar->window, show ? SW_SHOW : SW_HIDE);
  for (CFrameWindow* frame : gApp.windows) frame->Relayout();
  if (CFrameWindow* frame = FindWindowRecordById(bar->frameId)) {
    SendMessageA(frame->window, WM_FW_BARSHOWN, show ? 1 : 0, reinterpret_cast<LPARAM>(bar));
  }
}

void SetSizingCursor(int zone) noexcept {
  LPCSTR shape = nullptr;
  switch (zone) {
    case 1:
    case 5:
      shape = IDC_SIZENWSE;
      break;
    case 3:
    case 7:
      shape = IDC_SIZENESW;
      break;
    case 2:
    case 6:
      shape = IDC_SIZEWE;
      break;
    case 4:
    case 8:
      shape = IDC_SIZENS;
      break;
    default:
      return;
  }
  SetCursor(LoadCursorA(nullptr, shape));
}

CUIItem* CreateUiItem(std::uint16_t kind, CUIItem* object) noexcept {
  // The item classes are made here by their kind as the program gets them.
  switch (static_cast<CommandKind>(kind)) {
    case CommandKind::kCallerItem:
      return object;
    case CommandKind::kList:
      return new (std::nothrow) CList();
    case CommandKind::kButton:
      return new (std::nothrow) CButton();
    case CommandKind::kStatic:
      return new (std::nothrow) CStatic();
    case CommandKind::kPopup:
      return new (std::nothrow) CMenu();
    case CommandKind::kSeparator:
      return new (std::nothrow) CSeparator();
    case CommandKind::kTree:
      return new (std::nothrow) CTree();
    case CommandKind::kSlider:
      return new (std::nothrow) CSlider();
    case CommandKind::kBrushSize:
      return new (std::nothrow) CBrushSize();
    case CommandKind::kColor:
      return new (std::nothrow) CColor();
    case CommandKind::kPalette:
      return new (std::nothrow) CPalette();
    default:
      return nullptr;
  }
}

CBar* FindBarById(std::uint16_t id) noexcept {
  for (CBar* bar : gApp.bars) {
    if (bar != nullptr && bar->id == id) return bar;
  }
  return nullptr;
}

CDockBay* FindDockBay(std::uint16_t bayId) noexcept {
  for (CFrameWindow* frame : gApp.windows) {
    for (CDockBay* bay : frame->dockBays) {
      if (bay != nullptr && bay->bayId == bayId) return bay;
    }
  }
  return nullptr;
}

CFrameWindow* FindWindowRecord(HWND window) noexcept {
  if (window == nullptr) return nullptr;
  for (CFrameWindow* frame : gApp.windows) {
    if (frame->window == window) return frame;
  }
  return nullptr;
}

CFrameWindow* FindWindowRecordById(std::uint16_t id) noexcept {
  for (CFrameWindow* frame : gApp.windows) {
    if (frame->id == id) return frame;
  }
  return nullptr;
}

CFrameWindow* FindWindowRecordByChild(HWND window) noexcept {
  for (HWND w = window; w != nullptr; w = GetParent(w)) {
    if (CFrameWindow* frame = FindWindowRecord(w)) return frame;
  }
  return nullptr;
}
