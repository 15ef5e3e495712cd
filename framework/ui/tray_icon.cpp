#include "framework/ui/tray_icon.h"

#include <shellapi.h>

#include <cstdio>

#include "framework/object/application.h"
#include "framework/base/framework_messages.h"
#include "framework/ui/frame_window.h"
#include "framework/ui/item_commands.h"
#include "framework/ui/menu_item.h"
#include "framework/util/text_util.h"
#include "framework/util/win_handles.h"

#if !defined(_WIN64)
static_assert(sizeof(NOTIFYICONDATAA) == 508, "the notification record of the 32-bit program");
#endif

namespace {

// The invisible anchor of the popup menu at the cursor. Its popup window
// goes as soon as the menu closes (the next menu makes its own): a hidden
// window owned by the owner would stay in the owner's way, and under Wine
// the owner then can no longer be made topmost.
class CPopupAnchor : public CMenu {
 public:
  void ClosePopup() override {
    CMenu::ClosePopup();
    OnDestroy();
  }
};

}  // namespace

CUIItem* ShowPopupMenu(std::uint16_t menuId, const POINT* point, HWND owner) noexcept {
  (void)ClosePopupMenu(nullptr);
  gApp.navigationItems.Clear();
  ClearPopupShown();
  // One anchor serves every popup menu at the cursor: an invisible menu item
  // in the owner, made again for each menu.
  static CPopupAnchor anchorMenu;
  anchorMenu.OnDestroy();
  std::uint32_t status = anchorMenu.Create(menuId, owner, owner, nullptr);
  if (status != kStatusOk) {
    SetLastError(status);
    return nullptr;
  }
  POINT at{};
  if (point != nullptr) {
    at = *point;
  } else {
    GetCursorPos(&at);
  }
  const RECT anchor{at.x, at.y, at.x, at.y};
  SetForegroundWindow(owner);
  status = anchorMenu.OpenPopup(anchor);
  SetLastError(status);
  if (status != kStatusOk) return nullptr;
  // The popup takes no activation: its keys reach it through the message
  // loop's navigation, and a click elsewhere closes it.
  if (anchorMenu.isOpen != 0) gApp.popupNavigation = 1;
  return &anchorMenu;
}

int SetTrayIconV(std::uint16_t windowId, int iconId, const char* tipFormat, va_list args) noexcept {
  char tip[260] = {};
  if (tipFormat == nullptr) {
    CopyText(tip, sizeof tip, gApp.appName);
  } else if (std::vsnprintf(tip, sizeof tip, tipFormat, args) < 0) {
    tip[0] = '\0';
  }

  CFrameWindow* frame = FindWindowRecordById(windowId);
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof data;
  data.hWnd = frame != nullptr && frame->window != nullptr ? frame->window : GetDesktopWindow();
  data.uID = windowId;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = WM_FW_TRAYNOTIFY;
  CopyText(data.szTip, sizeof data.szTip, tip);

  // An icon of our own (not a shared one): the window record destroys it when
  // the next one replaces it. The shell keeps a copy of its own.
  CIconHandle icon;
  if (iconId > 0 && iconId <= 0xFFFF) {
    icon.Reset(static_cast<HICON>(LoadImageA(gApp.ResourceInstance(), MAKEINTRESOURCEA(iconId), IMAGE_ICON,
                                             kTrayIconSize, kTrayIconSize, 0)));
  }
  data.hIcon = icon.Get();
  BOOL shown;
  if (!icon) {
    shown = Shell_NotifyIconA(NIM_DELETE, &data);
  } else {
    // Modify first: the same call adds the icon the first time and after the
    // taskbar came back, and changes it in place otherwise.
    shown = Shell_NotifyIconA(NIM_MODIFY, &data);
    if (!shown) shown = Shell_NotifyIconA(NIM_ADD, &data);
  }
  if (frame != nullptr) frame->trayIcon = std::move(icon);
  return shown ? 1 : 0;
}

int SetTrayIcon(std::uint16_t windowId, int iconId, const char* tipFormat, ...) noexcept {
  va_list args;
  va_start(args, tipFormat);
  const int result = SetTrayIconV(windowId, iconId, tipFormat, args);
  va_end(args);
  return result;
}
