#include "framework/app/dialog_setup.h"

#include <cstdint>
#include <cstring>

#include "framework/object/application.h"
#include "framework/app/dialog_setup_core.h"
#include "framework/util/monitors.h"

namespace {

constexpr int kBoldFontSet = 1;
constexpr std::uint32_t kButtonTypeMask = 0xF;
constexpr std::uint32_t kGroupBoxType = 7;  // BS_GROUPBOX

HFONT gDialogFont = nullptr;

// Per-window marks kept as properties under atoms of their own: an atom key
// costs no reference per window, so a window that goes with its marks still
// on it leaks nothing.
ATOM DpiAtom() noexcept {
  static const ATOM atom = GlobalAddAtomA("OrvoDialogDpi");
  return atom;
}
ATOM WidenedAtom() noexcept {
  static const ATOM atom = GlobalAddAtomA("OrvoCheckBoxWidened");
  return atom;
}

void SetMark(HWND window, ATOM atom, int value) noexcept {
  if (atom != 0) SetPropA(window, MAKEINTATOM(atom), reinterpret_cast<HANDLE>(static_cast<INT_PTR>(value)));
}
int Mark(HWND window, ATOM atom) noexcept {
  return atom != 0 ? static_cast<int>(reinterpret_cast<INT_PTR>(GetPropA(window, MAKEINTATOM(atom)))) : 0;
}

PixelRect ToPixelRect(const RECT& r) noexcept { return PixelRect{r.left, r.top, r.right, r.bottom}; }

// The child's window rectangle in its parent's client coordinates.
PixelRect RectInParent(HWND child, HWND parent) noexcept {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  return ToPixelRect(r);
}

bool HasClass(HWND window, const char* name) noexcept {
  char cls[32] = {};
  GetClassNameA(window, cls, sizeof cls);
  return std::strcmp(cls, name) == 0;
}

// The dialog manager of newer systems re-lays out a dialog's controls at a
// DPI change by itself; ours does it instead, the same on every system.
void DisableSystemRelayout(HWND dialog) noexcept {
  using SetBehaviorFn = BOOL(WINAPI*)(HWND, int, int);
  constexpr int kDisableControlRelayout = 4;  // DDC_DISABLE_CONTROL_RELAYOUT
  static const auto fn = [] {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 != nullptr
               ? reinterpret_cast<SetBehaviorFn>(GetProcAddress(user32, "SetDialogDpiChangeBehavior"))
               : nullptr;
  }();
  if (fn != nullptr) fn(dialog, kDisableControlRelayout, kDisableControlRelayout);
}

void MoveControlsForDpi(HWND dialog, int fromDpi, int toDpi) noexcept {
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    PixelRect r = ScaleRectForDpi(RectInParent(child, dialog), fromDpi, toDpi);
    int height = r.bottom - r.top;
    if (HasClass(child, "ComboBox")) {
      // A combo box is sized with its list dropped down.
      RECT dropped{};
      if (SendMessageA(child, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped))) {
        const PixelRect list = ScaleRectForDpi(ToPixelRect(dropped), fromDpi, toDpi);
        if (list.bottom - list.top > height) height = list.bottom - list.top;
      }
    }
    SetWindowPos(child, nullptr, r.left, r.top, r.right - r.left, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

HFONT ApplyDialogFont(HWND dialog, int dpi, LPARAM focus) noexcept {
  gDialogFont = ThemeGetFont(gApp.theme, kBoldFontSet, DialogFontDpi(dpi));
  const LRESULT defId = SendMessageA(dialog, DM_GETDEFID, 0, 0);
  const LPARAM defaultId = HIWORD(defId) == DC_HASDEFID ? LOWORD(defId) : 0;
  EnumChildWindows(dialog, &ApplyDialogFontProc, defaultId | focus);
  return gDialogFont;
}

}  // namespace

HFONT PrepareDialog(HWND dialog) noexcept {
  const int dpi = GetWindowDpi(dialog);
  SetMark(dialog, DpiAtom(), dpi);
  DisableSystemRelayout(dialog);
  const HFONT font = ApplyDialogFont(dialog, dpi, kDialogSetupFocus);
  const HINSTANCE instance = gApp.ResourceInstance();
  if (HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(gApp.appIconId))) {
    SetClassLongPtrA(dialog, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
  }
  SetFocus(dialog);
  CenterWindow(dialog, nullptr, nullptr);
  MatchParentTopmost(dialog);
  return font;
}

HFONT ApplyDialogFontForDpi(HWND dialog, int dpi) noexcept {
  const int laidOutFor = DialogDpi(dialog);
  if (dpi > 0 && laidOutFor > 0 && dpi != laidOutFor) {
    MoveControlsForDpi(dialog, laidOutFor, dpi);
    SetMark(dialog, DpiAtom(), dpi);
  }
  return ApplyDialogFont(dialog, dpi, 0);
}

BOOL CALLBACK ApplyDialogFontProc(HWND child, LPARAM defaultId) {
  if (!HasClass(child, "Button")) return TRUE;
  const HWND dialog = GetParent(child);
  const auto style = static_cast<std::uint32_t>(GetWindowLongPtrA(child, GWL_STYLE));
  const auto setFont = [child] { SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(gDialogFont), TRUE); };
  if (IsPlainCheckBox(style) && dialog != nullptr) {
    const PixelRect box = RectInParent(child, dialog);
    const POINT left{box.left - 1, box.top + (box.bottom - box.top) / 2};
    const HWND neighbour = ChildWindowFromPoint(dialog, left);
    if (neighbour != nullptr && neighbour != dialog &&
        FollowsSmallControl(box, RectInParent(neighbour, dialog),
                            static_cast<std::uint32_t>(GetWindowLongPtrA(neighbour, GWL_STYLE)))) {
      setFont();
      // Widened once: a later DPI change must not widen it again.
      if (Mark(child, WidenedAtom()) == 0) {
        SetMark(child, WidenedAtom(), 1);
        SetWindowPos(child, nullptr, 0, 0, WidenedCheckBoxWidth(box.right - box.left), box.bottom - box.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
    }
  }
  const int id = GetDlgCtrlID(child);
  if (id != 0 && id == static_cast<int>(LOWORD(defaultId))) {
    if ((defaultId & kDialogSetupFocus) != 0) SetFocus(child);
    setFont();
  }
  if ((style & kButtonTypeMask) == kGroupBoxType) setFont();
  return TRUE;
}

int DialogDpi(HWND dialog) noexcept { return dialog != nullptr ? Mark(dialog, DpiAtom()) : 0; }

HFONT DialogFont() noexcept { return gDialogFont; }

BOOL AdjustWindowRectDpi(RECT* rect, DWORD style, BOOL hasMenu, DWORD exStyle, int dpi) noexcept {
  using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto fn = [] {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 != nullptr
               ? reinterpret_cast<AdjustForDpiFn>(GetProcAddress(user32, "AdjustWindowRectExForDpi"))
               : nullptr;
  }();
  if (fn != nullptr && dpi > 0) return fn(rect, style, hasMenu, exStyle, static_cast<UINT>(dpi));
  return AdjustWindowRectEx(rect, style, hasMenu, exStyle);
}

HFONT OnDialogDpiChanged(HWND dialog, WPARAM wParam, LPARAM lParam) noexcept {
  const HFONT font = ApplyDialogFontForDpi(dialog, LOWORD(wParam));
  if (const auto* r = reinterpret_cast<const RECT*>(lParam)) {
    SetWindowPos(dialog, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return font;
}
