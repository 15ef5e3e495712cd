#include "framework/ui/frame_input.h"

#include "framework/object/application.h"
#include "framework/ui/frame_core.h"
#include "framework/ui/frame_window.h"
#include "framework/ui/item_commands.h"
#include "framework/ui/menu_item.h"
#include "framework/util/monitors.h"

namespace {

// Resizing of borderless framework windows by their edges (main thread only).
struct ResizeState {
  CFrameWindow* target = nullptr;
  int zone = 0;
  bool resizing = false;
  ResizeGrip grip{};
};
ResizeState gResize;

PopupKey ToPopupKey(WPARAM key) noexcept {
  switch (key) {
    case VK_RETURN:
      return PopupKey::kEnter;
    case VK_ESCAPE:
      return PopupKey::kEscape;
    case VK_LEFT:
      return PopupKey::kLeft;
    case VK_RIGHT:
      return PopupKey::kRight;
    case VK_UP:
      return PopupKey::kUp;
    case VK_DOWN:
      return PopupKey::kDown;
    default:
      return PopupKey::kOther;
  }
}

bool TrackEdgeResize(const MSG& msg) noexcept {
  if (gResize.resizing) {
    SetSizingCursor(gResize.zone);
    POINT cursor;
    RECT rect;
    if (GetCursorPos(&cursor) && GetWindowRect(gResize.target->window, &rect)) {
      const MonitorRect r = ResizedRect(ToMonitorRect(rect), gResize.zone, gResize.grip, cursor.x, cursor.y);
      gResize.target->SetFramePos(ToRect(r), 0);
    }
    return true;
  }
  CFrameWindow* frame = FindWindowRecordByChild(WindowFromPoint(msg.pt));
  RECT rect;
  if (frame != nullptr && (frame->flags & (kFrameBorderless | kFrameLockSize)) == kFrameBorderless &&
      GetWindowRect(frame->window, &rect)) {
    const int x = msg.pt.x - rect.left;
    const int y = msg.pt.y - rect.top;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const int zone = ChooseResizeZone(x, y, width, height);
    if (zone != 0) {
      gResize.target = frame;
      gResize.zone = zone;
      gResize.grip = GripAt(x, y, width, height);
      SetSizingCursor(zone);
      return true;
    }
  }
  gResize.target = nullptr;
  return false;
}

}  // namespace

bool PreTranslatePopupNavigation(const MSG& msg) noexcept {
  switch (msg.message) {
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      // A click outside the open popups (an entry of a submenu is inside
      // them) closes them; the click itself still goes where it was aimed.
      POINT cursor;
      if (OpenRootPopupWindow() != nullptr && GetCursorPos(&cursor)) {
        if (!InsideOpenPopups(WindowFromPoint(cursor))) (void)ClosePopupMenu(nullptr);
      }
      return false;
    }
    case WM_KEYDOWN:
      if (OpenRootPopupWindow() == nullptr) return false;
      if (msg.wParam == VK_MENU) {
        (void)NavigateBarItems(kMenuNavigateEnd);
      } else {
        HandlePopupKey(ToPopupKey(msg.wParam));
      }
      return true;
    case WM_SYSKEYUP:
      if (msg.wParam == VK_MENU) (void)NavigateBarItems(kMenuNavigateEnd);
      return true;
    default:
      return false;
  }
}

bool PreTranslateFrameInput(const MSG& msg, HWND ownForeground) noexcept {
  switch (msg.message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
      return TrackEdgeResize(msg);
    case WM_LBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
      if (gResize.target == nullptr) return false;
      SetCapture(gResize.target->window);
      gResize.resizing = true;
      SetSizingCursor(gResize.zone);
      return true;
    case WM_LBUTTONUP:
    case WM_NCLBUTTONUP:
      if (!gResize.resizing) return false;
      ReleaseCapture();
      gResize.resizing = false;
      return true;
    case WM_KEYDOWN: {
      if (msg.wParam != VK_TAB) return false;
      CFrameWindow* frame = FindWindowRecordByChild(ownForeground);
      return frame != nullptr && frame->MoveFocusToNextTabStop(GetAsyncKeyState(VK_SHIFT) < 0 ? -1 : 1);
    }
    case WM_SYSKEYUP:
      return msg.wParam == VK_MENU && NavigateBarItems(kMenuNavigateStart) == 0;
    default:
      return false;
  }
}

void ForgetResizeTarget(const CFrameWindow* frame) noexcept {
  if (frame == nullptr || gResize.target != frame) return;
  gResize.target = nullptr;
  gResize.resizing = false;
}
