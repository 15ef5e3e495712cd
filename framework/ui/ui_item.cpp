#include "framework/ui/ui_item.h"

#include <commctrl.h>

#include <cstdio>

#include "framework/object/application.h"
#include "framework/app/command_table_core.h"
#include "framework/base/framework_messages.h"
#include "framework/text/text_table.h"
#include "framework/theme/draw.h"
#include "framework/theme/theme.h"
#include "framework/ui/frame_window.h"
#include "framework/ui/item_commands.h"
#include "framework/util/monitors.h"

#if !defined(_WIN64)
static_assert(sizeof(TOOLINFOA) == 48, "the tool record of the 32-bit program");
#endif

namespace {

// The item toolkit's shared state (UI thread only): the item under the
// pointer, the item last pressed and each button's last press (ms ticks).
HWND gHotWindow = nullptr;
HWND gPressedWindow = nullptr;
std::uint64_t gLastPress[3] = {};
bool gClassRegistered = false;

CUIItem* ItemOf(HWND window) noexcept { return reinterpret_cast<CUIItem*>(GetWindowLongPtrA(window, GWLP_USERDATA)); }

// Whoever heard of the item synchronously (its owner, a command it ran) may
// have closed the popup that held it or destroyed it otherwise: the item is
// only touched afterwards while its window still lives and still names it.
bool ItemLives(const CUIItem* item, HWND window) noexcept { return IsWindow(window) && ItemOf(window) == item; }

// A window that is gone is neither hot nor pressed.
void ForgetWindow(HWND window) noexcept {
  if (window == nullptr) return;
  if (gHotWindow == window) gHotWindow = nullptr;
  if (gPressedWindow == window) gPressedWindow = nullptr;
}

// Detaches the item from its window before the window goes, so that no
// message of the destruction reaches an object that is being torn down.
void DetachAndDestroy(CUIItem* item, HWND window) noexcept {
  if (window == nullptr) return;
  if (ItemOf(window) == item) SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  ForgetWindow(window);
  DestroyWindow(window);
}

bool CursorOver(HWND window) noexcept {
  POINT cursor;
  return GetCursorPos(&cursor) && WindowFromPoint(cursor) == window;
}

int ButtonIndex(UINT message) noexcept {
  switch (message) {
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      return 1;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      return 2;
    default:
      return 0;
  }
}

UINT DoubleClickTime() noexcept { return gApp.doubleClickTime != 0 ? gApp.doubleClickTime : GetDoubleClickTime(); }

bool HasText(const char* text) noexcept { return text != nullptr && text[0] != '\0'; }

RECT ToRect(const PixelRect& r) noexcept { return RECT{r.left, r.top, r.right, r.bottom}; }

}  // namespace

bool RegisterUIItemClass() noexcept {
  if (gClassRegistered) return true;
  WNDCLASSA wc{};
  wc.lpfnWndProc = &UIItemWndProc;
  wc.hInstance = gApp.ResourceInstance();
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = kUIItemClass;
  gClassRegistered = RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  return gClassRegistered;
}

void ForgetItemPresses() noexcept {
  for (std::uint64_t& t : gLastPress) t = 0;
}

LRESULT CALLBACK UIItemWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (CUIItem* item = ItemOf(window)) return CUIItem::HandleMessage(item, window, message, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CUIItem::HandleMessage(CUIItem* item, HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (item->hook != nullptr) {
    (void)item->hook(window, message, wParam, lParam, item);
    if (!ItemLives(item, window)) return 0;
  }
  const CommandRecord* record = FindCommand(gApp.commands, static_cast<std::uint16_t>(item->id));
  const std::uint32_t liveFlags = record != nullptr ? record->flags : 0;
  const bool enabled = (liveFlags & kCommandEnabled) != 0;
  switch (message) {
    case WM_MOVE:
      InvalidateRect(window, nullptr, FALSE);
      break;
    case WM_SIZE:
      item->OnSize();
      break;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFOCUS:
      // A later activation gives the focus back to the window that had it,
      // not to the item.
      if (CFrameWindow* frame = FindWindowRecordByChild(window)) frame->focusWindow = reinterpret_cast<HWND>(wParam);
      break;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      if (HDC dc = BeginPaint(window, &ps)) {
        RECT client{};
        GetClientRect(window, &client);
        item->Paint(dc, client);
        EndPaint(window, &ps);
      }
      return 0;
    }
    case WM_DESTROY:
      item->RemoveTooltip();
      break;
    case WM_NCDESTROY:
      // Destroyed with its parent: the item must not destroy the handle
      // again, nor find a stranger's window under it later.
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      ForgetWindow(window);
      if (item->window == window) item->window = nullptr;
      break;
    case WM_MOUSEMOVE: {
      const auto position = static_cast<std::int32_t>(lParam);
      if (!enabled || item->inDragOut != 0 || position == item->lastMousePos) break;
      // -1 is a move made up by the keyboard navigation of the menus.
      const bool real = lParam != -1;
      if (real) item->lastMousePos = position;
      const bool over = CursorOver(window);
      if (gHotWindow != window) {
        const HWND previous = gHotWindow;
        gHotWindow = window;
        if (previous != nullptr && IsWindow(previous)) SendMessageA(previous, WM_MOUSELEAVE, 0, 0);
        if (over && real) {
          TRACKMOUSEEVENT track{};
          track.cbSize = sizeof track;
          track.dwFlags = TME_LEAVE;
          track.hwndTrack = window;
          TrackMouseEvent(&track);
        }
        ShowItemHint(item);
      }
      if ((liveFlags & kItemDragOut) != 0 && !over && gPressedWindow == window) {
        item->inDragOut = 1;
        if (item->owner != nullptr) SendMessageA(item->owner, WM_FW_DRAGOUT, item->id, 0);
        if (!ItemLives(item, window)) return 0;
        ReleaseCapture();
        item->inDragOut = 0;
        PostMessageA(window, WM_MOUSELEAVE, 0, 0);
      }
      EnterCommandItem(item);
      break;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      if (!enabled) break;
      gPressedWindow = window;
      MarkItemActive(item);
      SetCapture(window);
      const std::uint64_t now = GetTickCount64();
      std::uint64_t& last = gLastPress[ButtonIndex(message)];
      const bool doublePress = IsDoublePress(now, last, DoubleClickTime());
      last = now;
      if (doublePress) NotifyCommandOwner(item, GetMouseButtonMask(message));
      break;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      if (!enabled) break;
      const HWND pressed = gPressedWindow;
      gPressedWindow = nullptr;
      ReleaseCapture();
      POINT cursor{};
      // -1: activated by the Enter key in a menu, wherever the cursor is.
      const bool onItem =
          lParam == -1 || (pressed == window && GetCursorPos(&cursor) && WindowFromPoint(cursor) == window);
      if (onItem) ActivateCommandItem(item, GetMouseButtonMask(message));
      return ItemLives(item, window) ? DefWindowProcA(window, message, wParam, lParam) : 0;
    }
    case WM_MOUSELEAVE:
      LeaveCommandItem(item);
      if (enabled && item->inDragOut == 0 && gHotWindow == window) gHotWindow = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

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
    RemoveTooltip();
    DetachAndDestroy(this, window);
    window = nullptr;
  }
}

std::uint32_t CUIItem::Create(std::uint16_t commandId, HWND parent, HWND ownerWindow, CUIItem* holderMenu) {
  if (window != nullptr) Destroy();
  if (!RegisterUIItemClass()) return kStatusWindowNotCreated;
  window = CreateWindowExA(0, kUIItemClass, "", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(commandId)), gApp.ResourceInstance(), nullptr);
  if (window == nullptr) return kStatusWindowNotCreated;
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  id = commandId;
  owner = ownerWindow;
  holder = holderMenu;
  // A copy: OnCreate may add commands, which moves the table.
  CommandRecord command{};
  command.id = commandId;
  if (const CommandRecord* record = FindCommand(gApp.commands, commandId)) command = *record;
  AddTooltip(command, parent);
  if (OnCreate(command, parent, ownerWindow, holderMenu) != kStatusOk) return kStatusWindowNotCreated;
  Measure(command, 0);
  return kStatusOk;
}

std::uint32_t CUIItem::OnCreate(const CommandRecord&, HWND, HWND, CUIItem*) { return kStatusOk; }

void CUIItem::DestroyItemWindow(HWND& handle) noexcept {
  DetachAndDestroy(this, handle);
  handle = nullptr;
}

int CUIItem::Dpi() const noexcept { return GetWindowDpi(window); }

int CUIItem::SpaceWidth() const noexcept {
  const int dpi = Dpi();
  (void)ThemeGetFont(gApp.theme, 4, dpi);  // the font record the width is read from
  return ThemeSpaceWidth(gApp.theme, dpi);
}

void CUIItem::Measure(const CommandRecord& command, int orientation) {
  const int dpi = Dpi();
  const int s = SpaceWidth();
  flags = command.flags;
  iconWidth = iconHeight = labelWidth = labelHeight = -1;
  extraWidth = extraHeight = secondWidth = secondHeight = arrowWidth = 0;
  MeasureExtra(command, orientation);
  if (iconWidth == -1) iconWidth = iconHeight = (flags & kItemDefaultIcon) != 0 ? 16 : 0;
  if (labelWidth == -1) {
    labelWidth = labelHeight = 0;
    if ((holder != nullptr && extraWidth == 0) || (flags & kItemMeasureLabel) != 0) {
      const char* text = GetItemText((flags & kItemWidthSample) != 0 ? kItemTextWidthSample : kItemTextLabel);
      if (text != nullptr)
        (void)MeasureTextThemeFont(gApp.theme, text, &labelWidth, &labelHeight, (flags & kItemBold) != 0, dpi);
    }
  }
  if (holder != nullptr) {
    if (const char* second = GetItemText(kItemTextSecond)) {
      (void)MeasureTextThemeFont(gApp.theme, second, &secondWidth, &secondHeight, 0, dpi);
    }
  }
  ItemPartSizes parts{iconWidth,   iconHeight,  extraWidth,   extraHeight, labelWidth,
                      labelHeight, secondWidth, secondHeight, arrowWidth};
  const ItemMeasure m = MeasureItemParts(parts, dpi, s, command.param1, command.param2);
  iconWidth = m.parts.iconWidth;
  iconHeight = m.parts.iconHeight;
  labelWidth = m.parts.labelWidth;
  labelHeight = m.parts.labelHeight;
  iconColumn = m.iconColumn;
  width = m.width;
  height = m.height;
}

void CUIItem::MeasureExtra(const CommandRecord&, int) {}

void CUIItem::Destroy() {
  OnDestroy();
  if (window == nullptr) return;
  RemoveTooltip();
  DetachAndDestroy(this, window);
  window = nullptr;
}

void CUIItem::OnDestroy() {}
// A plain item shows its command; classes paint their own way.
void CUIItem::Paint(HDC dc, const RECT& client) { PaintCommonItem(dc, client); }
void CUIItem::OnSize() {}
void CUIItem::DoNothing(std::uint32_t) {}

bool CUIItem::Refresh(int state) {
  if (state == 0 && window != nullptr) RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  return ApplyState(state);
}

bool CUIItem::ApplyState(int) { return false; }

std::uint32_t CUIItem::OpenPopup(const RECT&) { return kStatusWindowNotCreated; }

void CUIItem::ClosePopup() {}

bool CUIItem::IsCursorOnSubmenuArrow() const { return false; }

void CUIItem::SetItemBounds(int left, int top, int w, int h) noexcept {
  if (left != -1) x = left;
  if (top != -1) y = top;
  if (w != -1) width = w;
  if (h != -1) height = h;
  if (window != nullptr)
    SetWindowPos(window, nullptr, x, y, width, height, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOZORDER);
}

const char* CUIItem::GetItemText(int part) const noexcept {
  const CommandRecord* record = FindCommand(gApp.commands, static_cast<std::uint16_t>(id));
  if (record == nullptr) return nullptr;
  if (record->textId == kTextFromOwner) {
    if (owner == nullptr) return nullptr;
    return reinterpret_cast<const char*>(SendMessageA(owner, WM_FW_GETITEMTEXT, id, part));
  }
  return GetText(record->textId, static_cast<unsigned>(part));
}

ItemDrawState CUIItem::GetItemDrawState(std::uint32_t commandFlags) const noexcept {
  return ItemDrawStateFor(commandFlags, holder != nullptr);
}

void CUIItem::LayoutParts(const RECT& client, int offset, bool centre, bool inPopup) noexcept {
  const ItemPartSizes parts{iconWidth,   iconHeight,  extraWidth,   extraHeight, labelWidth,
                            labelHeight, secondWidth, secondHeight, arrowWidth};
  const ItemPartRects r =
      LayoutItemParts(parts, width, client.right, client.bottom, SpaceWidth(), offset, centre, inPopup,
                      holder != nullptr ? holder->iconColumn : 0, (flags & kItemStretchLabel) != 0);
  iconRect = ToRect(r.icon);
  labelRect = ToRect(r.label);
  extraRect = ToRect(r.extra);
  secondRect = ToRect(r.second);
}

std::uint32_t CUIItem::GetMouseButtonMask(UINT message) noexcept {
  std::uint32_t mask = 0;
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      mask = kButtonLeft;
      break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      mask = kButtonRight;
      break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      mask = kButtonMiddle;
      break;
    default:
      break;
  }
  if (GetAsyncKeyState(VK_LBUTTON) < 0) mask |= kButtonLeft;
  if (GetAsyncKeyState(VK_RBUTTON) < 0) mask |= kButtonRight;
  if (GetAsyncKeyState(VK_MBUTTON) < 0) mask |= kButtonMiddle;
  return mask;
}

void CUIItem::AddTooltip(const CommandRecord& command, HWND parent) noexcept {
  if (gApp.tooltipWindow == nullptr || window == nullptr) return;
  if (holder != nullptr && (command.flags & kItemPopupTooltip) == 0) return;
  char text[260];
  const char* tip = GetItemText(kItemTextTooltip);
  if (HasText(tip)) {
    std::snprintf(text, sizeof text, "%s", tip);
  } else {
    // The label's copy is taken before the second text is asked for: an
    // owner may answer both from one buffer.
    const char* label = GetItemText(kItemTextLabel);
    if (!HasText(label)) return;
    std::snprintf(text, sizeof text, "%s", label);
    const char* second = GetItemText(kItemTextSecond);
    if (HasText(second)) {
      char labelCopy[260];
      std::snprintf(labelCopy, sizeof labelCopy, "%s", text);
      std::snprintf(text, sizeof text, "%s (%s)", labelCopy, second);
    }
  }
  TOOLINFOA tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = parent;
  tool.uId = reinterpret_cast<UINT_PTR>(window);
  tool.lpszText = text;
  SendMessageA(gApp.tooltipWindow, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void CUIItem::RemoveTooltip() noexcept {
  if (gApp.tooltipWindow == nullptr || window == nullptr) return;
  TOOLINFOA tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND;
  tool.hwnd = GetParent(window);
  tool.uId = reinterpret_cast<UINT_PTR>(window);
  SendMessageA(gApp.tooltipWindow, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void CUIItem::PaintCommonItem(HDC dc, const RECT& client) noexcept {
  const CommandRecord* record = FindCommand(gApp.commands, static_cast<std::uint16_t>(id));
  const std::uint32_t liveFlags = record != nullptr ? record->flags : 0;
  const std::uint16_t iconId = record != nullptr ? record->iconId : 0;
  CTheme& theme = gApp.theme;
  CMemoryDC buffer;
  const bool buffered = BeginDoubleBuffer(theme, buffer, &dc, width + 1, height + 1);
  const ItemDrawState state = GetItemDrawState(liveFlags);
  const int s = SpaceWidth();
  const bool inPopup = holder != nullptr;
  // In a popup the checked styles frame only the icon column.
  DrawItemFrame(theme, dc, &client, state.frameStyle, state.frameStyle != 0 ? 15u : 0u,
                inPopup ? labelHeight + 2 * s : 0, -1, -1, -1);
  LayoutParts(client, state.pressedOffset, state.centre != 0, inPopup);
  if (iconId != 0 && iconWidth > 0)
    (void)DrawThemeIcon(theme, dc, iconId, (liveFlags & kCommandEnabled) != 0 ? 1 : 0, &iconRect);
  const int dpi = Dpi();
  if (const char* label = GetItemText(kItemTextLabel); HasText(label)) {
    (void)DrawTextFormat(theme, dc, dpi, "%s", static_cast<std::uint32_t>(state.textColour), &labelRect,
                         state.centre != 0 ? 1 : 0, state.bold, label);
  }
  if (inPopup) {
    if (const char* second = GetItemText(kItemTextSecond); HasText(second)) {
      (void)DrawTextFormat(theme, dc, dpi, "%s", static_cast<std::uint32_t>(state.textColour), &secondRect, 2, 0,
                           second);
    }
  }
  if (buffered) EndDoubleBuffer(theme, buffer);
}
