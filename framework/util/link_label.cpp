#include "framework/util/link_label.h"

#include <commctrl.h>

#include "framework/util/monitors.h"
#include "framework/util/shell_util.h"

namespace {

CLinkLabel* LinkOf(HWND window) noexcept {
  return reinterpret_cast<CLinkLabel*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// Gives the control back its own procedure; the object no longer reaches it.
void Unsubclass(CLinkLabel& link) noexcept {
  if (link.control != nullptr && link.previousProc != nullptr && IsWindow(link.control)) {
    SetWindowLongPtrA(link.control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(link.previousProc));
    SetWindowLongPtrA(link.control, GWLP_USERDATA, 0);
  }
}

void Detach(CLinkLabel& link) noexcept {
  link.control = nullptr;
  link.dialog = nullptr;
  link.controlId = 0;
  link.previousProc = nullptr;
}

void Paint(const CLinkLabel& link, HWND window) noexcept {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  if (dc == nullptr) return;
  RECT client{};
  GetClientRect(window, &client);

  // The face handed down at attach, at the link's own size for the dialog's
  // DPI; without one, the face of the control's font.
  LOGFONTA lf{};
  if (link.face[0] != '\0') {
    lstrcpynA(lf.lfFaceName, link.face, LF_FACESIZE);
  } else {
    LOGFONTA own{};
    const auto controlFont = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
    if (controlFont == nullptr || GetObjectA(controlFont, sizeof own, &own) == 0) {
      lstrcpynA(own.lfFaceName, "MS Shell Dlg 2", LF_FACESIZE);
    }
    lstrcpynA(lf.lfFaceName, own.lfFaceName, LF_FACESIZE);
  }
  lf.lfHeight = -MulDiv(12, GetWindowDpi(link.dialog != nullptr ? link.dialog : window), 96);
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  CFontHandle font(CreateFontIndirectA(&lf));

  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  {
    CSelectObject selected(dc, font.Get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kLinkColour);
    RECT textRect = client;
    DrawTextA(dc, link.text, -1, &textRect,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | link.alignment | link.ellipsis);
  }
  if (GetFocus() == window) {
    SetTextColor(dc, 0);
    DrawFocusRect(dc, &client);
  }
  EndPaint(window, &ps);
}

void Open(const CLinkLabel& link, HWND window) noexcept {
  InvalidateRect(window, nullptr, TRUE);
  // The shell tells the user itself when the target cannot be opened.
  static_cast<void>(ShellExecuteUnelevated(link.target, nullptr, nullptr, nullptr, SW_SHOWNORMAL));
}

}  // namespace

CLinkLabel::~CLinkLabel() { DestroyLinkLabel(*this); }

void InitLinkLabel(CLinkLabel& link) noexcept {
  DestroyLinkLabel(link);
  link.text[0] = '\0';
  link.target[0] = '\0';
  link.face[0] = '\0';
  link.ellipsis = 0;
  link.alignment = 0;
}

void DestroyLinkLabel(CLinkLabel& link) noexcept {
  // The tooltip subclasses the control after the link: it goes first, so
  // that the control's own procedure is the one put back.
  link.tooltip.Reset();
  const HWND control = link.control;
  Unsubclass(link);
  Detach(link);
  if (control != nullptr && IsWindow(control)) DestroyWindow(control);
}

bool AttachLinkLabel(CLinkLabel& link, HWND dialog, int controlId, const char* target, const char* face) noexcept {
  if (link.control != nullptr || link.tooltip) DestroyLinkLabel(link);
  const HWND control = dialog != nullptr ? GetDlgItem(dialog, controlId) : nullptr;
  if (control == nullptr) return false;

  link.text[0] = '\0';
  GetWindowTextA(control, link.text, kLinkTextSize);
  lstrcpynA(link.target, target != nullptr ? target : link.text, kLinkTextSize);
  if (link.text[0] == '\0' && target != nullptr) lstrcpynA(link.text, target, kLinkTextSize);
  lstrcpynA(link.face, face != nullptr ? face : "", LF_FACESIZE);

  const auto style = static_cast<DWORD>(GetWindowLongPtrA(control, GWL_STYLE));
  link.ellipsis = (style & SS_ELLIPSISMASK) == SS_PATHELLIPSIS ? DT_PATH_ELLIPSIS : 0;
  const DWORD kind = style & SS_TYPEMASK;
  link.alignment = kind == SS_CENTER ? DT_CENTER : kind == SS_RIGHT ? DT_RIGHT : DT_LEFT;
  // A static without SS_NOTIFY lets the mouse through to its dialog.
  if ((style & SS_NOTIFY) == 0) SetWindowLongPtrA(control, GWL_STYLE, static_cast<LONG_PTR>(style | SS_NOTIFY));

  link.controlId = controlId;
  link.control = control;
  link.dialog = dialog;
  SetWindowLongPtrA(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&link));
  link.previousProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LinkLabelWndProc)));

  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
  link.tooltip.Reset(CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr,
                                     instance, nullptr));
  if (link.tooltip) {
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = link.target;
    SendMessageA(link.tooltip.Get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
  return true;
}

LRESULT CALLBACK LinkLabelWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CLinkLabel* link = LinkOf(window);
  if (link == nullptr || link->control != window) return DefWindowProcA(window, message, wParam, lParam);
  const WNDPROC previous = link->previousProc;
  switch (message) {
    case WM_PAINT:
      // The control's own procedure then finds nothing left to paint.
      Paint(*link, window);
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_SETCURSOR:
      SetCursor(LoadCursor(nullptr, IDC_HAND));
      return 1;
    case WM_LBUTTONDOWN:
      SetFocus(window);
      break;
    case WM_LBUTTONUP:
      if (GetFocus() == window) Open(*link, window);
      break;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE && GetFocus() == window) Open(*link, window);
      break;
    case WM_NCDESTROY:
      // Destroyed with its dialog: the object lets go of it and its tooltip.
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      Detach(*link);
      link->tooltip.Reset();
      break;
    default:
      break;
  }
  return CallWindowProcA(previous, window, message, wParam, lParam);
}
