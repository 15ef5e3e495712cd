// The three pages of the settings dialog: showing the selected profile,
// reading the user's changes back, the enable rules and the curve preview.
#include <windows.h>
#include <commctrl.h>

#include <initializer_list>

#include "framework/app/dialog_setup.h"
#include "framework/text/text_table.h"
#include "framework/util/dialog_fields.h"
#include "scrolling/options/wheel_curve.h"
#include "scrolling/settings/res/settings_ids.h"
#include "scrolling/settings/settings_state.h"

namespace {

HWND PageWindow(SettingsPage page) noexcept { return Settings().pages[static_cast<int>(page)]; }

void FillModeList(HWND page, int id, int textId, int count) noexcept {
  for (int i = 0; i < count; ++i) {
    const char* text = GetText(static_cast<unsigned>(textId), static_cast<unsigned>(i));
    SendDlgItemMessageA(page, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text != nullptr ? text : ""));
  }
}

void ShowField(HWND page, SettingsPage which, const Profile& p, const PageField& f) noexcept {
  switch (f.kind) {
    case FieldKind::Check: CheckDlgButton(page, f.id, FieldInt(p, f) != 0 ? BST_CHECKED : BST_UNCHECKED); break;
    case FieldKind::Radio: CheckDlgButton(page, f.id, FieldInt(p, f) == f.min ? BST_CHECKED : BST_UNCHECKED); break;
    case FieldKind::Double: SetDlgItemDouble(page, f.id, FieldDouble(p, f)); break;
    case FieldKind::Int: SetDlgItemIntText(page, f.id, FieldInt(p, f)); break;
    case FieldKind::Mode: SendDlgItemMessageA(page, f.id, CB_SETCURSEL, static_cast<WPARAM>(FieldInt(p, f)), 0); break;
    case FieldKind::Text: SetDlgItemTextA(page, f.id, FieldText(p, f)); break;
    case FieldKind::HotKey:
      if (CHotKeyEdit* edit = PageHotKeyEdit(which, f.id)) edit->SetHotKey(static_cast<std::uint16_t>(FieldInt(p, f)));
      break;
  }
}

bool IsChangeOf(FieldKind kind, UINT code) noexcept {
  switch (kind) {
    case FieldKind::Check:
    case FieldKind::Radio: return code == BN_CLICKED;
    case FieldKind::Mode: return code == CBN_SELCHANGE;
    default: return code == EN_CHANGE;
  }
}

// Only the control that changed is read: a rounded value shown by another
// control (a speed factor) is never written back over the exact one.
void ReadField(HWND page, SettingsPage which, Profile& p, const PageField& f) noexcept {
  switch (f.kind) {
    case FieldKind::Check: SetFieldInt(p, f, IsDlgButtonChecked(page, f.id) == BST_CHECKED ? 1 : 0); break;
    case FieldKind::Radio:
      if (IsDlgButtonChecked(page, f.id) == BST_CHECKED) SetFieldInt(p, f, f.min);
      break;
    case FieldKind::Double:
      SetFieldDouble(p, f, GetDlgItemDouble(page, f.id, kSpeedFactorMin, kSpeedFactorMax, 0));
      break;
    case FieldKind::Int: SetFieldInt(p, f, GetDlgItemIntRange(page, f.id, f.min, f.max, 0)); break;
    case FieldKind::Mode: {
      const LRESULT item = SendDlgItemMessageA(page, f.id, CB_GETCURSEL, 0, 0);
      if (item >= 0 && item < f.max) SetFieldInt(p, f, static_cast<std::int32_t>(item));
      break;
    }
    case FieldKind::Text: GetDlgItemTextA(page, f.id, FieldText(p, f), static_cast<int>(f.size)); break;
    case FieldKind::HotKey:
      if (CHotKeyEdit* edit = PageHotKeyEdit(which, f.id)) SetFieldInt(p, f, edit->GetHotKey());
      break;
  }
}

void OnPageCommand(HWND page, SettingsPage which, int id, UINT code) noexcept {
  const PageField* field = FindPageField(which, id);
  Profile* p = SelectedProfile();
  if (Settings().showing || field == nullptr || p == nullptr || !IsChangeOf(field->kind, code)) return;
  ReadField(page, which, *p, *field);
  if (which == SettingsPage::Wheel && id == IDC_WHL_WSMED) {
    SendDlgItemMessageA(page, IDC_WHL_WSMED_SLIDER, TBM_SETPOS, TRUE, p->iWSmed);
  }
  EnablePageControls(which);
}

void OnWheelTrackbar(HWND page) noexcept {
  Profile* p = SelectedProfile();
  if (p == nullptr) return;
  p->iWSmed = static_cast<std::int32_t>(SendDlgItemMessageA(page, IDC_WHL_WSMED_SLIDER, TBM_GETPOS, 0, 0));
  const bool was = Settings().showing;
  Settings().showing = true;
  SetDlgItemIntText(page, IDC_WHL_WSMED, p->iWSmed);
  Settings().showing = was;
  EnablePageControls(SettingsPage::Wheel);
}

// The mode lists and the hot-key fields of a page come from its field table.
void InitPage(HWND page, SettingsPage which) noexcept {
  Settings().pages[static_cast<int>(which)] = page;
  (void)PrepareDialog(page);
  const PageFields fields = PageFieldsFor(which);
  for (std::size_t i = 0; i < fields.count; ++i) {
    const PageField& f = fields.fields[i];
    if (f.kind == FieldKind::Mode) FillModeList(page, f.id, f.min, f.max);
    if (CHotKeyEdit* keys = PageHotKeyEdit(which, f.id)) keys->AttachHotKeyEdit(GetDlgItem(page, f.id));
  }
  if (which == SettingsPage::Wheel) {
    SendDlgItemMessageA(page, IDC_WHL_WSMED_SLIDER, TBM_SETRANGE, FALSE, MAKELPARAM(1, 100));
  }
  ShowPage(which);
}

void DestroyPage(SettingsPage which) noexcept {
  const PageFields fields = PageFieldsFor(which);
  for (std::size_t i = 0; i < fields.count; ++i) {
    if (CHotKeyEdit* keys = PageHotKeyEdit(which, fields.fields[i].id)) keys->DetachHotKeyEdit();
  }
  Settings().pages[static_cast<int>(which)] = nullptr;
}

INT_PTR PageProc(SettingsPage which, HWND page, UINT message, WPARAM wParam, LPARAM) noexcept {
  switch (message) {
    case WM_INITDIALOG: InitPage(page, which); return FALSE;
    case WM_COMMAND:
      if (which == SettingsPage::Scroll) {
        ReadScrollPage(LOWORD(wParam), HIWORD(wParam));
      } else {
        OnPageCommand(page, which, LOWORD(wParam), HIWORD(wParam));
      }
      return TRUE;
    case WM_HSCROLL:
      if (which == SettingsPage::Wheel) OnWheelTrackbar(page);
      return TRUE;
    case WM_DPICHANGED: (void)ApplyDialogFontForDpi(page, LOWORD(wParam)); return TRUE;
    case WM_DESTROY: DestroyPage(which); return FALSE;
    default: return FALSE;
  }
}

}  // namespace

SettingsHotKeyEdits& HotKeyEdits() noexcept {
  static SettingsHotKeyEdits edits;
  static const bool created = [] {
    for (CHotKeyEdit* e : {&edits.enable, &edits.up, &edits.down, &edits.left, &edits.right, &edits.back,
                           &edits.forward, &edits.middle}) {
      (void)e->CreateHotKeyEdit();
    }
    return true;
  }();
  (void)created;
  return edits;
}

CHotKeyEdit* PageHotKeyEdit(SettingsPage page, int id) noexcept {
  SettingsHotKeyEdits& keys = HotKeyEdits();
  if (page == SettingsPage::Scroll) {
    switch (id) {
      case IDC_SCR_UP_KEYS: return &keys.up;
      case IDC_SCR_DOWN_KEYS: return &keys.down;
      case IDC_SCR_LEFT_KEYS: return &keys.left;
      case IDC_SCR_RIGHT_KEYS: return &keys.right;
      default: return nullptr;
    }
  }
  if (page == SettingsPage::Button) {
    switch (id) {
      case IDC_BTN_BACK_KEYS: return &keys.back;
      case IDC_BTN_FWD_KEYS: return &keys.forward;
      case IDC_BTN_MIDDLE_KEYS: return &keys.middle;
      default: return nullptr;
    }
  }
  return nullptr;
}

Profile* SelectedProfile() noexcept {
  const int i = Settings().selected;
  return i >= 0 && i < gOpt.iNumPar && i < kMaxProfiles ? &gOpt.Par[i] : nullptr;
}

void ShowPage(SettingsPage which) noexcept {
  const HWND page = PageWindow(which);
  const Profile* p = SelectedProfile();
  if (page == nullptr || p == nullptr) return;
  const bool was = Settings().showing;
  Settings().showing = true;
  const PageFields set = PageFieldsFor(which);
  for (std::size_t i = 0; i < set.count; ++i) ShowField(page, which, *p, set.fields[i]);
  if (which == SettingsPage::Wheel) {
    SendDlgItemMessageA(page, IDC_WHL_WSMED_SLIDER, TBM_SETRANGE, FALSE, MAKELPARAM(1, 100));
    SendDlgItemMessageA(page, IDC_WHL_WSMED_SLIDER, TBM_SETPOS, TRUE, p->iWSmed);
  }
  Settings().showing = was;
  EnablePageControls(which);
}

void ShowPages() noexcept {
  ShowScrollPage();
  ShowWheelPage();
  ShowButtonPage();
}

namespace {

void ApplyEnables(SettingsPage which, const Profile& profile) noexcept {
  const HWND page = PageWindow(which);
  if (page == nullptr) return;
  const PageEnables enables = PageEnablesFor(which, profile);
  for (std::size_t i = 0; i < enables.count; ++i) {
    EnableWindow(GetDlgItem(page, enables.items[i].id), enables.items[i].enabled ? TRUE : FALSE);
  }
}

// A change of a field that decides the hook mask takes effect at once.
void InstallHooksForChange() noexcept {
  if (Host().installHooks != nullptr) (void)Host().installHooks(true);
}

}  // namespace

void EnableScrollPageControls(const Profile& profile) noexcept {
  ApplyEnables(SettingsPage::Scroll, profile);
  InstallHooksForChange();
}

void EnableWheelPageControls(Profile& profile) noexcept {
  ApplyEnables(SettingsPage::Wheel, profile);
  // The engine reads the curve, never the characteristic: keep them in step.
  ComputeWheelCurve(profile);
  if (const HWND curve = GetDlgItem(PageWindow(SettingsPage::Wheel), IDC_WHL_CURVE)) {
    InvalidateRect(curve, nullptr, TRUE);
  }
  InstallHooksForChange();
}

void EnableButtonPageControls(const Profile& profile) noexcept {
  ApplyEnables(SettingsPage::Button, profile);
  InstallHooksForChange();
}

void EnablePageControls(SettingsPage which) noexcept {
  Profile* p = SelectedProfile();
  if (p == nullptr) {
    InstallHooksForChange();
    return;
  }
  switch (which) {
    case SettingsPage::Scroll: EnableScrollPageControls(*p); break;
    case SettingsPage::Wheel: EnableWheelPageControls(*p); break;
    case SettingsPage::Button: EnableButtonPageControls(*p); break;
  }
}

void ShowScrollPage() noexcept { ShowPage(SettingsPage::Scroll); }
void ShowWheelPage() noexcept { ShowPage(SettingsPage::Wheel); }
void ShowButtonPage() noexcept { ShowPage(SettingsPage::Button); }

void ReadScrollPage(int id, UINT code) noexcept {
  OnPageCommand(PageWindow(SettingsPage::Scroll), SettingsPage::Scroll, id, code);
}

INT_PTR CALLBACK ScrollPageDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return PageProc(SettingsPage::Scroll, page, message, wParam, lParam);
}
INT_PTR CALLBACK WheelPageDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return PageProc(SettingsPage::Wheel, page, message, wParam, lParam);
}
INT_PTR CALLBACK ButtonPageDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return PageProc(SettingsPage::Button, page, message, wParam, lParam);
}

LRESULT CALLBACK CurvePreviewProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  const WNDPROC previous = Settings().curvePreviousProc;
  const LRESULT result = previous != nullptr ? CallWindowProcA(previous, control, message, wParam, lParam)
                                             : DefWindowProcA(control, message, wParam, lParam);
  if (message != WM_PAINT) return result;
  RECT r{};
  GetClientRect(control, &r);
  OffsetRect(&r, 1, 1);
  const HDC dc = GetWindowDC(control);
  if (dc == nullptr) return result;
  HPEN created = nullptr;
  if (!IsWindowEnabled(control)) {
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    created = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_GRAYTEXT));
  }
  const HGDIOBJ old = SelectObject(dc, created != nullptr ? static_cast<HGDIOBJ>(created) : GetStockObject(BLACK_PEN));
  if (const Profile* p = SelectedProfile()) {
    for (int i = 0; i < kCurvePoints; ++i) {
      const int x = static_cast<int>((r.right - 1) * (i / 100.0) + 1);
      const int y = static_cast<int>((1.0 - p->dTrafo[i]) * (r.bottom - 1) + 1);
      if (i == 0) {
        MoveToEx(dc, x, y, nullptr);
      } else {
        LineTo(dc, x, y);
      }
    }
  }
  SelectObject(dc, old);
  if (created != nullptr) DeleteObject(created);
  ReleaseDC(control, dc);
  return result;
}
