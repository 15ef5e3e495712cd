#include "framework/ui/menu_item.h"

#include "framework/object/application.h"
#include "framework/app/command_table_core.h"
#include "framework/app/commands.h"
#include "framework/base/framework_messages.h"
#include "framework/theme/draw.h"
#include "framework/theme/theme.h"
#include "framework/ui/item_commands.h"
#include "framework/ui/menu_core.h"
#include "framework/util/monitors.h"

namespace {

constexpr DWORD kCornerPreference = 33;  // DWMWA_WINDOW_CORNER_PREFERENCE
constexpr DWORD kRoundSmall = 3;         // DWMWCP_ROUNDSMALL
constexpr int kProbeDistance = 5;

bool gPopupShown = false;

CMenu* MenuOf(HWND popup) noexcept { return reinterpret_cast<CMenu*>(GetWindowLongPtrA(popup, GWLP_USERDATA)); }

const CommandRecord* CommandOf(const CUIItem* item) noexcept {
  return item != nullptr ? FindCommand(gApp.commands, static_cast<std::uint16_t>(item->id)) : nullptr;
}
std::uint32_t LiveFlags(const CUIItem* item) noexcept {
  const CommandRecord* record = CommandOf(item);
  return record != nullptr ? record->flags : 0;
}

// Rounded corners where the system has them; the function is looked up once
// and its answer does not matter.
void RoundPopupCorners(HWND window) noexcept {
  using SetAttribute = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
  static const SetAttribute set = []() -> SetAttribute {
    HMODULE dwm = LoadLibraryA("dwmapi.dll");  // kept for the life of the process
    if (dwm == nullptr) return nullptr;
    return reinterpret_cast<SetAttribute>(reinterpret_cast<void*>(GetProcAddress(dwm, "DwmSetWindowAttribute")));
  }();
  if (set == nullptr) return;
  const DWORD preference = kRoundSmall;
  (void)set(window, kCornerPreference, &preference, sizeof preference);
}

bool RegisterPopupClass() noexcept {
  static bool registered = false;
  if (registered) return true;
  WNDCLASSA wc{};
  wc.style = CS_DROPSHADOW;
  wc.lpfnWndProc = &MenuPopupWndProc;
  wc.hInstance = gApp.ResourceInstance();
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = kMenuPopupClass;
  registered = RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  if (!registered) {
    // Without drop shadows where the system refuses them.
    wc.style = 0;
    registered = RegisterClassA(&wc) != 0;
  }
  return registered;
}

// An item of kind 99 belongs to the caller, which made it: the popup only
// takes its window back.
bool IsCallerItem(const CUIItem* item) noexcept {
  const CommandRecord* record = CommandOf(item);
  return record != nullptr && record->kind == static_cast<std::uint16_t>(CommandKind::kCallerItem);
}

bool IsNavigable(const CUIItem* item) noexcept {
  const CommandRecord* record = CommandOf(item);
  return record != nullptr && record->id != kSeparatorCommandId &&
         record->kind != static_cast<std::uint16_t>(CommandKind::kSeparator) && (record->flags & kCommandEnabled) != 0;
}

// Another menu item stacked directly above or below this one in the same
// parent: its popup then opens to the side, like a submenu's.
bool StackedOnAnotherMenu(const CMenu& menu) noexcept {
  RECT r;
  if (menu.window == nullptr || !GetWindowRect(menu.window, &r)) return false;
  const HWND parent = GetParent(menu.window);
  const LONG cx = r.left + (r.right - r.left) / 2;
  for (const POINT probe : {POINT{cx, r.bottom + kProbeDistance}, POINT{cx, r.top - kProbeDistance}}) {
    const HWND hit = WindowFromPoint(probe);
    if (hit == nullptr || hit == menu.window || GetParent(hit) != parent) continue;
    for (const CUIItem* item : gApp.items) {
      if (item != &menu && item->window == hit && item->type == kMenuItemType) return true;
    }
  }
  return false;
}

}  // namespace

// ---- keyboard navigation of the open popups ------------------------------------------

namespace {

CMenu* OpenRoot() noexcept { return dynamic_cast<CMenu*>(gApp.openPopupItem); }

// A made-up move (lParam -1) makes the entry hot as the pointer would.
void MoveTo(const CMenu* level, int index) noexcept {
  if (level == nullptr || index < 0 || index >= level->entries.Count()) return;
  if (const HWND w = level->entries[index]->window) SendMessageA(w, WM_MOUSEMOVE, 0, -1);
}

}  // namespace

HWND OpenRootPopupWindow() noexcept {
  const CMenu* root = OpenRoot();
  return root != nullptr && root->isOpen != 0 ? root->popup : nullptr;
}

bool InsideOpenPopups(HWND window) noexcept {
  const HWND top = window != nullptr ? GetAncestor(window, GA_ROOT) : nullptr;
  for (const CMenu* level = OpenRoot(); level != nullptr && top != nullptr; level = level->openChild) {
    if (level->popup == top) return true;
  }
  return false;
}

void HandlePopupKey(PopupKey key) noexcept {
  CMenu* root = OpenRoot();
  if (root == nullptr) return;
  // The level is the popup that holds the hot entry: the deepest reached
  // while the levels above have none.
  CMenu* level = root;
  while (HotEntryIndex(level) < 0 && level->openChild != nullptr) level = level->openChild;
  const int hot = HotEntryIndex(level);
  switch (key) {
    case PopupKey::kEnter:
      if (hot >= 0 && level->entries[hot]->window != nullptr) {
        SendMessageA(level->entries[hot]->window, WM_LBUTTONUP, 0, -1);
      }
      break;
    case PopupKey::kEscape:
      if (level == root) {
        (void)NavigateBarItems(kMenuNavigateEnd);
      } else {
        (void)ClosePopupMenu(level);
      }
      break;
    case PopupKey::kLeft:
      if (auto* parent = dynamic_cast<CMenu*>(level->holder)) {
        int opener = -1;
        for (int i = 0; i < parent->entries.Count(); ++i) {
          if (parent->entries[i] == level) opener = i;
        }
        MoveTo(parent, opener >= 0 ? opener : NextEntryIndex(parent, 0, 1));
      } else if (level->window != nullptr && IsWindowVisible(level->window)) {
        (void)NavigateBarItems(kMenuNavigatePrevious);
      }
      break;
    case PopupKey::kRight: {
      if (level->openChild == nullptr && hot >= 0 && (LiveFlags(level->entries[hot]) & kCommandSplitPopup) != 0) {
        CUIItem* split = level->entries[hot];
        RECT rect;
        if (split->window != nullptr && GetWindowRect(split->window, &rect)) (void)split->OpenPopup(rect);
      }
      if (CMenu* sub = level->openChild) {
        MoveTo(sub, NextEntryIndex(sub, -1, 1));
      } else if (level->window != nullptr && IsWindowVisible(level->window)) {
        (void)NavigateBarItems(kMenuNavigateNext);
      }
      break;
    }
    case PopupKey::kUp:
    case PopupKey::kDown:
      MoveTo(level, NextEntryIndex(level, hot, key == PopupKey::kUp ? -1 : 1));
      break;
    case PopupKey::kOther:
      break;
  }
}

namespace {

// ---- painting -----------------------------------------------------------------------------

RECT ArrowZone(const RECT& client, int arrowWidth) noexcept {
  return RECT{client.right - arrowWidth, client.top, client.right, client.bottom};
}

}  // namespace

bool IsPopupShown() noexcept { return gPopupShown; }
void ClearPopupShown() noexcept { gPopupShown = false; }

int HotEntryIndex(const CMenu* menu) noexcept {
  if (menu == nullptr) return -1;
  for (int i = 0; i < menu->entries.Count(); ++i) {
    if ((LiveFlags(menu->entries[i]) & kCommandHot) != 0) return i;
  }
  return -1;
}

int NextEntryIndex(const CMenu* menu, int index, int step) noexcept {
  if (menu == nullptr) return -1;
  const auto& entries = menu->entries;
  return StepToQualifying(
      entries.Count(), index, step, [&entries](std::int32_t i) { return IsNavigable(entries[i]); }, false);
}

CMenu::CMenu() noexcept {
  type = kMenuItemType;
  entries.SetGrowStep(-1);
}

CMenu::~CMenu() {
  CMenu::OnDestroy();
  entries.ArrayFree();
}

std::uint32_t CMenu::OnCreate(const CommandRecord& command, HWND parent, HWND, CUIItem*) {
  entryIds = static_cast<const std::uint16_t*>(command.value);
  SetHook([](HWND, UINT message, WPARAM, LPARAM, CUIItem* item) -> int {
    // A split entry repaints when the pointer crosses into or out of its
    // arrow zone.
    if (message != WM_MOUSEMOVE || (LiveFlags(item) & kCommandSplitPopup) == 0) return 0;
    auto* menu = static_cast<CMenu*>(item);
    const std::uint8_t onArrow = menu->IsCursorOnSubmenuArrow() ? 1 : 0;
    if (onArrow != menu->arrowHot) {
      menu->arrowHot = onArrow;
      InvalidateRect(menu->window, nullptr, FALSE);
    }
    return 0;
  });
  if (popup == nullptr) {
    if (!RegisterPopupClass()) return kStatusWindowNotCreated;
    popup = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kMenuPopupClass, "",
                            WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0, 0, parent, nullptr,
                            gApp.ResourceInstance(), nullptr);
    if (popup == nullptr) return kStatusWindowNotCreated;
    SetWindowLongPtrA(popup, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  return kStatusOk;
}

void CMenu::MeasureExtra(const CommandRecord& command, int) {
  if ((command.flags & kCommandSplitPopup) != 0 || holder != nullptr)
    arrowWidth = 6 * ThemeSpaceWidth(gApp.theme, Dpi());
}

void CMenu::OnDestroy() {
  if (isOpen != 0 || entries.Count() > 0) ClosePopup();
  if (popup != nullptr) {
    const HWND w = popup;
    popup = nullptr;
    SetWindowLongPtrA(w, GWLP_USERDATA, 0);
    DestroyWindow(w);
  }
}

bool CMenu::IsCursorOnSubmenuArrow() const {
  POINT cursor;
  RECT client;
  if (window == nullptr || !GetCursorPos(&cursor) || !ScreenToClient(window, &cursor) ||
      !GetClientRect(window, &client)) {
    return false;
  }
  return cursor.x >= client.right - arrowWidth;
}

std::uint32_t CMenu::AbandonOpening(std::uint32_t status) noexcept {
  ClosePopup();
  return status;
}

std::uint32_t CMenu::FillEntries(const std::uint16_t* ids) noexcept {
  for (const std::uint16_t* id = ids; *id != kCommandListEnd; ++id) {
    CommandRecord command{};
    if (GetCommand(*id, &command) != kStatusOk) return kStatusUnknownCommand;
    CUIItem* entry = CreateUiItem(command.kind, static_cast<CUIItem*>(command.value));
    if (entry == nullptr) continue;  // a kind without a class has no entry
    const bool callers = command.kind == static_cast<std::uint16_t>(CommandKind::kCallerItem);
    if (entry->Create(*id, popup, owner, this) != kStatusOk || entries.Append(entry) < 0) {
      entry->Destroy();
      if (!callers) delete entry;
      return kStatusOutOfMemory;
    }
  }
  return kStatusOk;
}

std::uint32_t CMenu::OpenPopup(const RECT& anchor) {
  if (isOpen != 0 || entries.Count() > 0) ClosePopup();
  CommandRecord command{};
  if (GetCommand(static_cast<std::uint16_t>(id), &command) != kStatusOk) return kStatusUnknownCommand;
  if (popup == nullptr) return kStatusWindowNotCreated;
  SetWindowPos(popup, nullptr, anchor.left, anchor.top, 0, 0, SWP_NOACTIVATE | SWP_NOZORDER);
  const auto* ids = static_cast<const std::uint16_t*>(command.value);
  if (ids == nullptr && owner != nullptr) {
    ids = reinterpret_cast<const std::uint16_t*>(
        SendMessageA(owner, WM_FW_GETPOPUPLIST, id, reinterpret_cast<LPARAM>(FindWindowRecord(owner))));
  }
  if (ids == nullptr) return kStatusNoPopupList;
  entryIds = ids;

  if (window != nullptr) SendMessageA(GetParent(window), WM_FW_SETPOPUP, 0, reinterpret_cast<LPARAM>(this));
  if (gApp.openPopupItem == nullptr) gApp.openPopupItem = this;
  // From here on a popup that does not open must not stay the open root.
  if (const std::uint32_t status = FillEntries(ids); status != kStatusOk) return AbandonOpening(status);
  if (entries.Count() == 0) return AbandonOpening(kStatusOk);
  gPopupShown = true;

  CGrowArray<PopupEntrySize> sizes;
  for (const CUIItem* e : entries) {
    if (sizes.Append(PopupEntrySize{e->width, e->height, e->iconColumn}) < 0) return AbandonOpening(kStatusOutOfMemory);
  }
  const PopupLayout layout = LayoutPopupEntries(sizes.Data(), sizes.Count());
  iconColumn = layout.iconColumn;
  int y = kPopupMargin;
  for (CUIItem* e : entries) {
    e->SetItemBounds(kPopupMargin, y, layout.contentWidth, e->height);
    y += e->height;
  }

  const MonitorRect anchorRect = ToMonitorRect(anchor);
  const bool toSide = holder != nullptr || StackedOnAnotherMenu(*this);
  PopupPoint at = PopupStartPoint(anchorRect, toSide);
  RECT monitor{};
  (void)GetMonitorRectAt(at.x, at.y, &monitor, 0, kMonitorArea);
  at = FitPopupOnMonitor(anchorRect, at, layout.width, layout.height, toSide, ToMonitorRect(monitor));
  SetWindowPos(popup, HWND_TOPMOST, at.x, at.y, layout.width, layout.height,
               SWP_NOOWNERZORDER | SWP_SHOWWINDOW | SWP_NOACTIVATE);
  isOpen = 1;
  return kStatusOk;
}

void CMenu::DestroyEntries() noexcept {
  for (std::int32_t i = entries.Count() - 1; i >= 0; --i) {
    CUIItem* entry = entries[i];
    (void)entries.RemoveAt(i);
    if (entry == nullptr) continue;
    const bool callers = IsCallerItem(entry);
    entry->Destroy();
    if (!callers) delete entry;
  }
}

void CMenu::ClosePopup() {
  isOpen = 0;
  if (CMenu* child = openChild) {
    openChild = nullptr;
    child->ClosePopup();
  }
  if (popup != nullptr) ShowWindow(popup, SW_HIDE);
  DestroyEntries();
  if (gApp.openPopupItem == this) gApp.openPopupItem = nullptr;
  // However it closed (its owner, its own destruction), the window that
  // holds it must not keep it as its open popup.
  if (const HWND parent = window != nullptr ? GetParent(window) : nullptr) {
    if (reinterpret_cast<CMenu*>(SendMessageA(parent, WM_FW_GETPOPUP, 0, 0)) == this) {
      SendMessageA(parent, WM_FW_SETPOPUP, 0, 0);
    }
  }
  if (window != nullptr) InvalidateRect(window, nullptr, TRUE);
}

void CMenu::PaintMenuPopupBackground(HDC dc, int x, int y) noexcept {
  if (popup == nullptr || dc == nullptr) return;
  RECT client{};
  GetClientRect(popup, &client);
  OffsetRect(&client, -x, -y);
  const ColourSlots& slots = gApp.theme.slots;
  RECT strip = client;
  strip.right = client.left + iconColumn;
  GradientRect(dc, slots[36], slots[37], &strip, GRADIENT_FILL_RECT_H);
  RECT rest = client;
  rest.left = strip.right;
  FillSolidRect(dc, &rest, slots[38]);
  Draw3dEdge(dc, &client, 1, slots[2], slots[3]);
}

void CMenu::Paint(HDC dc, const RECT& client) {
  const CommandRecord* record = CommandOf(this);
  const std::uint32_t live = record != nullptr ? record->flags : 0;
  CTheme& theme = gApp.theme;
  CMemoryDC buffer;
  const bool buffered = BeginDoubleBuffer(theme, buffer, &dc, width + 1, height + 1);
  ItemDrawState state = GetItemDrawState(live);
  if (isOpen != 0 && state.frameStyle != 1) {
    state.frameStyle = 2;
    state.textColour = 2;
  }
  const int s = SpaceWidth();
  const bool inPopup = holder != nullptr;
  const int column = labelHeight + 2 * s;
  RECT arrow = ArrowZone(client, arrowWidth);
  if ((live & kCommandSplitPopup) != 0) {
    RECT main = client;
    main.right = client.right - arrowWidth + 1;
    int mainStyle = isOpen != 0 ? 2 : state.frameStyle;
    int arrowStyle = mainStyle;
    if ((live & kCommandHot) != 0) {
      const bool onArrow = IsCursorOnSubmenuArrow();
      mainStyle = onArrow ? 2 : 1;
      arrowStyle = onArrow ? 1 : 2;
    }
    if ((live & kCommandPressed) != 0) {
      mainStyle = arrowStyle = 2;
      state.pressedOffset = 1;
    }
    unsigned mainCorners = mainStyle != 0 ? 1u | 4u : 0u;
    int mainWidth = 0;
    if ((live & kCommandArrowPressed) != 0) {
      mainStyle = 2;
      mainCorners = 1u | 4u;
      state.pressedOffset = 0;
      OffsetRect(&arrow, 1, 1);
    } else if (mainStyle == 6) {
      mainCorners = 15u;
      mainWidth = column;
      arrowStyle = 0;
    }
    DrawItemFrame(theme, dc, &main, mainStyle, mainCorners, mainWidth, -1, -1, -1);
    const RECT arrowFrame = ArrowZone(client, arrowWidth);
    DrawItemFrame(theme, dc, &arrowFrame, arrowStyle, arrowStyle != 0 ? 2u | 8u : 0u, 0, -1, -1, -1);
  } else {
    DrawItemFrame(theme, dc, &client, state.frameStyle, state.frameStyle != 0 ? 15u : 0u, inPopup ? column : 0, -1, -1,
                  -1);
  }
  LayoutParts(client, state.pressedOffset, state.centre != 0, inPopup);
  const std::uint16_t iconId = record != nullptr ? record->iconId : 0;
  if (iconId != 0 && iconWidth > 0) {
    (void)DrawThemeIcon(theme, dc, iconId, (live & kCommandEnabled) != 0 ? 1 : 0, &iconRect);
  }
  const int dpi = Dpi();
  const auto colour = static_cast<std::uint32_t>(state.textColour);
  if (const char* label = GetItemText(kItemTextLabel); label != nullptr && label[0] != '\0') {
    (void)DrawTextFormat(theme, dc, dpi, "%s", colour, &labelRect, state.centre != 0 ? 1 : 0, state.bold, label);
  }
  if (inPopup) {
    if (const char* second = GetItemText(kItemTextSecond); second != nullptr && second[0] != '\0') {
      (void)DrawTextFormat(theme, dc, dpi, "%s", colour, &secondRect, 2, 0, second);
    }
    if ((iconId == 0 || iconWidth <= 0) && (live & kCommandChecked) != 0) {
      const int o = state.pressedOffset;
      const RECT check{o, o, column + o, height + o};
      DrawCheckGlyph(theme, dc, colour, &check);
    }
  }
  if (inPopup) {
    DrawTriangleGlyph(theme, dc, colour, 0, &arrow);
  } else if ((live & kCommandSplitPopup) != 0) {
    DrawTriangleGlyph(theme, dc, colour, 1, &arrow);
  }
  if (buffered) EndDoubleBuffer(theme, buffer);
}

LRESULT CALLBACK MenuPopupWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CMenu* menu = MenuOf(window);
  switch (message) {
    case WM_CREATE:
      RoundPopupCorners(window);
      break;
    case WM_MOUSEACTIVATE:
      // The popup never takes the activation from the window it serves.
      return MA_NOACTIVATE;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      if (HDC dc = BeginPaint(window, &ps)) {
        if (menu != nullptr) menu->PaintMenuPopupBackground(dc, 0, 0);
        EndPaint(window, &ps);
      }
      if (menu != nullptr && menu->entries.Count() > 0) gPopupShown = true;
      return 0;
    }
    case WM_FW_SETPOPUP:
      if (menu != nullptr) menu->openChild = reinterpret_cast<CMenu*>(lParam);
      return 0;
    case WM_FW_GETPOPUP:
      return menu != nullptr ? reinterpret_cast<LRESULT>(menu->openChild) : 0;
    case WM_FW_PAINTBACKGROUND:
      if (menu != nullptr) {
        menu->PaintMenuPopupBackground(reinterpret_cast<HDC>(wParam), static_cast<short>(LOWORD(lParam)),
                                       static_cast<short>(HIWORD(lParam)));
      }
      return 0;
    case WM_NCDESTROY:
      // Destroyed with the window that owns it: the menu forgets the handle.
      if (menu != nullptr) {
        menu->popup = nullptr;
        menu->isOpen = 0;
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      }
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
