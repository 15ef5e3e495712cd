#include "framework/app/message_box.h"

#include <cstdio>
#include <memory>
#include <new>

#include "framework/object/application.h"
#include "framework/app/commands.h"
#include "framework/app/dialog_setup.h"
#include "framework/app/dialog_setup_core.h"
#include "framework/text/text_table.h"
#include "framework/util/dialog_fields.h"
#include "framework/util/monitors.h"
#include "framework/util/win_handles.h"

namespace {

constexpr unsigned kButtonTitlesText = 0xF200;
constexpr int kProgramIconId = 2;
constexpr int kProgramIconSize = 32;
constexpr int kNormalSet = 0;
constexpr int kBoldSet = 1;
constexpr int kUiNormalSet = 4;
constexpr int kUiBoldSet = 5;

int gDefaultButton = 0;

// Keeps the modal depth raised while the box runs.
class ModalDepthScope {
 public:
  ModalDepthScope() { ChangeModalDepth(true); }
  ~ModalDepthScope() { ChangeModalDepth(false); }
  ModalDepthScope(const ModalDepthScope&) = delete;
  ModalDepthScope& operator=(const ModalDepthScope&) = delete;
};

const MessageBoxParams& ParamsOf(HWND dialog) noexcept {
  static const MessageBoxParams kEmpty{&gApp, nullptr, nullptr, 0};
  const auto* p = reinterpret_cast<const MessageBoxParams*>(GetWindowLongPtrA(dialog, DWLP_USER));
  return p != nullptr && p->app != nullptr ? *p : kEmpty;
}

// The DPI the box is laid out and drawn for.
int BoxDpi(HWND dialog) noexcept {
  const int dpi = DialogDpi(dialog);
  return DialogFontDpi(dpi > 0 ? dpi : GetWindowDpi(dialog));
}

PixelRect RectInDialog(HWND dialog, int id) noexcept {
  RECT r{};
  GetWindowRect(GetDlgItem(dialog, id), &r);
  MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&r), 2);
  return PixelRect{r.left, r.top, r.right, r.bottom};
}

void Place(HWND control, const PixelRect& r) noexcept {
  SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetFont(HWND dialog, int id, HFONT font) noexcept {
  SendDlgItemMessageA(dialog, id, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

const char* SystemIconName(MsgBoxIcon icon) noexcept {
  switch (icon) {
    case MsgBoxIcon::kError: return IDI_HAND;
    case MsgBoxIcon::kExclamation: return IDI_EXCLAMATION;
    case MsgBoxIcon::kAsterisk: return IDI_ASTERISK;
    case MsgBoxIcon::kQuestion: return IDI_QUESTION;
    default: return nullptr;
  }
}

UINT IconSound(MsgBoxIcon icon) noexcept {
  switch (icon) {
    case MsgBoxIcon::kError: return MB_ICONHAND;
    case MsgBoxIcon::kExclamation: return MB_ICONASTERISK;
    case MsgBoxIcon::kAsterisk: return MB_ICONEXCLAMATION;
    default: return MB_ICONQUESTION;
  }
}

// The work area's width of the monitor at the centre of the owner (or of the
// desktop).
int WorkAreaWidth(HWND owner) noexcept {
  RECT r{};
  GetWindowRect(owner != nullptr ? owner : GetDesktopWindow(), &r);
  RECT area{};
  GetMonitorRectAt((r.left + r.right) / 2, (r.top + r.bottom) / 2, &area, 0, kWorkArea);
  return area.right - area.left;
}

// The height of a line drawn in the box's normal font with word breaks in
// the given width, as the text area draws it.
int WrappedHeight(CTheme& theme, const char* line, int width, int dpi) noexcept {
  const CDcHandle screen;
  if (screen.Get() == nullptr) return 0;
  const CSelectObject font(screen.Get(), ThemeGetFont(theme, kUiNormalSet, dpi));
  RECT r{0, 0, width, 0};
  DrawTextA(screen.Get(), line[0] != '\0' ? line : " ", -1, &r, DT_NOPREFIX | DT_CALCRECT | DT_WORDBREAK);
  return r.bottom;
}

// The fonts for the box's current DPI; also after a DPI change.
void ApplyFonts(HWND dialog) noexcept {
  const MessageBoxParams& params = ParamsOf(dialog);
  CTheme& theme = params.app->theme;
  const std::uint32_t flags = params.flags;
  const int dpi = BoxDpi(dialog);
  const bool bold = (flags & kMsgBoxBoldFirstLine) != 0;
  SetFont(dialog, kMsgBoxFirstLine, ThemeGetFont(theme, bold ? kUiBoldSet : kUiNormalSet, dpi));
  SetFont(dialog, kMsgBoxOtherLines, ThemeGetFont(theme, kUiNormalSet, dpi));
  for (int i = 0; i < kMsgBoxButtonCount; ++i) {
    const bool isDefault = i == gDefaultButton;
    const int id = kMsgBoxButtonIds[static_cast<std::size_t>(i)];
    SetFont(dialog, id, ThemeGetFont(theme, isDefault ? kBoldSet : kNormalSet, dpi));
    SendDlgItemMessageA(dialog, id, BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  }
}

void LayOut(HWND dialog, const MessageBoxParams& params) noexcept {
  const HWND owner = GetWindow(dialog, GW_OWNER);
  const bool bold = (params.flags & kMsgBoxBoldFirstLine) != 0;
  const int dpi = BoxDpi(dialog);

  MessageLines lines;
  SplitMessageLines(params.text, lines);
  LineSize sizes[kMsgBoxMaxLines];
  for (int i = 0; i < lines.count; ++i) {
    const char* line = lines.line[static_cast<std::size_t>(i)];
    (void)MeasureTextThemeFont(params.app->theme, line[0] != '\0' ? line : " ", &sizes[i].width, &sizes[i].height,
                               bold && i == 0, dpi);
  }

  // A line below the first that is wider than the text areas wraps there:
  // its area is as high as the wrapped line, so none of the text is cut off.
  const int textWidth = MessageTextWidth(sizes, lines.count, WorkAreaWidth(owner));
  for (int i = 1; i < lines.count; ++i) {
    LineSize& size = sizes[i];
    if (size.width + 8 > textWidth) size.height = WrappedHeight(params.app->theme, lines.line[i], textWidth, dpi);
  }

  MessageBoxTemplate resource;
  resource.iconArea = RectInDialog(dialog, kMsgBoxIconArea);
  const PixelRect first = RectInDialog(dialog, kMsgBoxFirstLine);
  resource.textOrigin = PixelPoint{first.left, first.top};
  const PixelRect ok = RectInDialog(dialog, IDOK);
  resource.buttonTop = ok.top;
  resource.buttonWidth = ok.right - ok.left;
  resource.buttonHeight = ok.bottom - ok.top;
  resource.workAreaWidth = WorkAreaWidth(owner);
  const MsgBoxButtons set = MessageBoxButtons(params.flags);
  const MessageBoxLayout layout = LayoutMessageBox(resource, sizes, lines.count, set);

  Place(GetDlgItem(dialog, kMsgBoxFirstLine), layout.firstLine);
  SetDlgItemTextA(dialog, kMsgBoxFirstLine, lines.line[0]);
  const HWND other = GetDlgItem(dialog, kMsgBoxOtherLines);
  if (!layout.hasOtherLines) {
    DestroyWindow(other);
  } else {
    Place(other, layout.otherLines);
    // Two lines show the second one; more show the caller's text from its
    // second line on, as it was given.
    SetWindowTextA(other, lines.count == 2 ? lines.line[1] : TextAfterFirstLine(params.text));
  }
  for (int i = 0; i < kMsgBoxButtonCount; ++i) {
    const HWND button = GetDlgItem(dialog, kMsgBoxButtonIds[static_cast<std::size_t>(i)]);
    const auto index = static_cast<std::size_t>(i);
    if (layout.shown[index]) {
      SetWindowPos(button, nullptr, layout.buttonLeft[index], layout.buttonTop, 0, 0,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
    }
    ShowWindow(button, layout.shown[index] ? SW_SHOW : SW_HIDE);
  }

  RECT window{};
  RECT client{};
  GetWindowRect(dialog, &window);
  GetClientRect(dialog, &client);
  const int width = layout.clientWidth + (window.right - window.left) - client.right;
  const int height = window.bottom - window.top + layout.growth;
  RECT placed{0, 0, width, height};
  CenterWindow(dialog, &placed, owner);
  SetWindowPos(dialog, nullptr, placed.left, placed.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void InitDialog(HWND dialog, const MessageBoxParams& params) noexcept {
  SetWindowTextA(dialog, params.caption != nullptr ? params.caption : "");
  PrepareDialog(dialog);
  if ((params.flags & kMsgBoxProgramIcon) != 0) {
    if (HANDLE icon = LoadImageA(params.app->ResourceInstance(), MAKEINTRESOURCEA(kProgramIconId), IMAGE_ICON,
                                 kProgramIconSize, kProgramIconSize, LR_SHARED)) {
      SetClassLongPtrA(dialog, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
    }
  }
  LayOut(dialog, params);

  const MsgBoxIcon icon = MessageBoxIcon(params.flags);
  if (icon != MsgBoxIcon::kNone) MessageBeep(IconSound(icon));
  gDefaultButton = NextDefaultButton(params.flags, gDefaultButton);
  for (int i = 0; i < kMsgBoxButtonCount; ++i) {
    const auto index = static_cast<std::size_t>(i);
    if (const char* title = GetText(kButtonTitlesText, kMsgBoxButtonTitleIndex[index])) {
      SetDlgItemTextA(dialog, kMsgBoxButtonIds[index], title);
    }
  }
  const int defaultId = kMsgBoxButtonIds[static_cast<std::size_t>(gDefaultButton)];
  SendMessageA(dialog, DM_SETDEFID, static_cast<WPARAM>(defaultId), 0);
  SetFocus(GetDlgItem(dialog, defaultId));
}

void DrawIcon(HWND dialog, const DRAWITEMSTRUCT& item) noexcept {
  const char* name = SystemIconName(MessageBoxIcon(ParamsOf(dialog).flags));
  if (name == nullptr) return;
  const int size = (item.rcItem.bottom - item.rcItem.top) & ~1;
  // Shared: the system owns the icon.
  const auto icon = static_cast<HICON>(LoadImageA(nullptr, name, IMAGE_ICON, size, size, LR_SHARED));
  if (icon != nullptr) DrawIconEx(item.hDC, item.rcItem.left, item.rcItem.top, icon, size, size, 0, nullptr, DI_NORMAL);
}

bool IsShown(HWND dialog, int id) noexcept {
  const HWND button = GetDlgItem(dialog, id);
  return button != nullptr && (GetWindowLongPtrA(button, GWL_STYLE) & WS_VISIBLE) != 0;
}

}  // namespace

int MessageBoxDefaultButton() noexcept { return gDefaultButton; }

INT_PTR CALLBACK MessageBoxDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      InitDialog(dialog, ParamsOf(dialog));
      return FALSE;  // the focus is on the default button
    case WM_SHOWWINDOW:
      if (wParam != 0) ApplyFonts(dialog);
      return FALSE;
    case WM_DRAWITEM:
      if (wParam != static_cast<WPARAM>(kMsgBoxIconArea) || lParam == 0) return FALSE;
      DrawIcon(dialog, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id != IDOK && id != IDCANCEL && id != IDYES && id != IDNO) return FALSE;
      // A button the set hides cannot answer (Enter on a default the set does
      // not show); Cancel always can, as Escape and the close box send it.
      if (id != IDCANCEL && !IsShown(dialog, id)) return TRUE;
      EndDialog(dialog, id);
      if (const HWND owner = GetWindow(dialog, GW_OWNER)) BringWindowToTop(owner);
      return TRUE;
    }
    case WM_DPICHANGED: {
      ApplyDialogFontForDpi(dialog, LOWORD(wParam));
      if (const auto* r = reinterpret_cast<const RECT*>(lParam)) {
        SetWindowPos(dialog, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      }
      ApplyFonts(dialog);
      return TRUE;
    }
    default: return FALSE;
  }
}

int ShowMessageBoxV(CApplication& app, HWND parent, const char* caption, const char* format, std::uint32_t flags,
                    int focusControlId, va_list args) {
  std::unique_ptr<char[]> text;
  if (format != nullptr) {
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length < 0) return kMsgBoxNoMemory;
    text.reset(new (std::nothrow) char[static_cast<std::size_t>(length) + 1]);
    if (!text) return kMsgBoxNoMemory;
    std::vsnprintf(text.get(), static_cast<std::size_t>(length) + 1, format, args);
  }

  const HWND focus = GetFocus();
  const HWND owner = parent != nullptr ? parent : GetOwnForegroundWindow();
  if (owner != nullptr) {
    ShowWindow(owner, IsIconic(owner) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(owner);
  }
  const MessageBoxParams params{&app, caption != nullptr ? caption : app.appName, text ? text.get() : "", flags};
  INT_PTR result;
  {
    ModalDepthScope modal;
    result = DialogBoxParamA(app.ResourceInstance(), MAKEINTRESOURCEA(kMsgBoxDialogId), owner, &MessageBoxDlgProc,
                             reinterpret_cast<LPARAM>(&params));
  }
  if (focusControlId != 0 && owner != nullptr) {
    FocusDlgEdit(owner, focusControlId);
  } else if (focus != nullptr && IsWindow(focus)) {
    SetFocus(focus);
  }
  return static_cast<int>(result);
}

int ShowMessageBox(CApplication& app, HWND parent, const char* caption, const char* format, std::uint32_t flags,
                   int focusControlId, ...) {
  va_list args;
  va_start(args, focusControlId);
  const int result = ShowMessageBoxV(app, parent, caption, format, flags, focusControlId, args);
  va_end(args);
  return result;
}
