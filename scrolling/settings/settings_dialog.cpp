// The settings dialog: the general options, the profile list with its
// buttons, the tabs over the three pages, and OK, Apply and Cancel.
#include "scrolling/settings/settings_dialog.h"

#include <commctrl.h>

#include <cstring>
#include <initializer_list>

#include "framework/object/application.h"
#include "framework/app/autostart_shortcut.h"
#include "framework/app/dialog_setup.h"
#include "framework/app/help.h"
#include "framework/app/message_box.h"
#include "framework/text/text_table.h"
#include "framework/ui/product_info.h"
#include "framework/util/dialog_fields.h"
#include "scrolling/engine/win32_platform.h"
#include "scrolling/options/options_file.h"
#include "scrolling/settings/profile_dialog.h"
#include "scrolling/settings/res/settings_ids.h"
#include "scrolling/settings/settings_state.h"

namespace {

SettingsHost gHost;
SettingsState gState;
Options gOptionsCopy;  // 3 MB: static storage, never the stack
ProfileDialogRunner gRunner = &RunProfileDialog;

constexpr int kHotKeyId = 1;
constexpr int kWindowsVista = 6;
constexpr std::uint32_t kHotKeyErrorText = 5011;
constexpr std::uint32_t kHotKeyErrorFlags = 0x11;
constexpr int kFirstTabTextId = 100;
constexpr char kHelpFile[] = "Veltrano.chm";

const int kPageResources[kSettingsPageCount] = {IDD_SCROLL_PAGE, IDD_WHEEL_PAGE, IDD_BUTTON_PAGE};
const DLGPROC kPageProcs[kSettingsPageCount] = {&ScrollPageDlgProc, &WheelPageDlgProc, &ButtonPageDlgProc};

const char* ProductName() noexcept {
  const char* name = GetText(0, 0);
  return name != nullptr ? name : "";
}

HWND MainWindowOfHost() noexcept { return gHost.mainWindow != nullptr ? gHost.mainWindow() : nullptr; }

bool RegisterProgramHotKey(std::int32_t value) noexcept {
  const auto v = static_cast<std::uint32_t>(value) & 0xFFFFu;
  return v == 0 || RegisterHotKey(MainWindowOfHost(), kHotKeyId, (v >> 8) & 0xFFu, v & 0xFFu) != FALSE;
}

void ShowTab(int tab) noexcept {
  for (int i = 0; i < kSettingsPageCount; ++i) {
    if (gState.pages[i] != nullptr) ShowWindow(gState.pages[i], i == tab ? SW_SHOWNA : SW_HIDE);
  }
}

// Pages over a tab control take the tab's themed background where the
// system draws themes; elsewhere (or without the library) they stay plain.
void UseTabBackground(HWND page) noexcept {
  using EnableTextureFunction = HRESULT(WINAPI*)(HWND, DWORD);
  constexpr DWORD kEnableTab = 6;  // ETDT_ENABLETAB
  static const auto enable = [] {
    const HMODULE theme = LoadLibraryA("uxtheme.dll");
    return theme != nullptr ? reinterpret_cast<EnableTextureFunction>(
                                  reinterpret_cast<void*>(GetProcAddress(theme, "EnableThemeDialogTexture")))
                            : nullptr;
  }();
  if (enable != nullptr) (void)enable(page, kEnableTab);
}

void CreatePages(HWND dialog) noexcept {
  const HWND place = GetDlgItem(dialog, IDC_SET_PAGE_PLACE);
  RECT r{};
  if (place != nullptr) {
    GetWindowRect(place, &r);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&r), 2);
    DestroyWindow(place);
  }
  // Each page goes just above the tab control, so that it is drawn over it
  // and its controls follow the tab in the Tab order.
  const HWND tabs = GetDlgItem(dialog, IDC_SET_TABS);
  const HWND above = tabs != nullptr ? GetWindow(tabs, GW_HWNDPREV) : nullptr;
  for (int i = 0; i < kSettingsPageCount; ++i) {
    const HWND page =
        CreateDialogParamA(gApp.ResourceInstance(), MAKEINTRESOURCEA(kPageResources[i]), dialog, kPageProcs[i], 0);
    if (page == nullptr) continue;
    UseTabBackground(page);
    SetWindowPos(page, above != nullptr ? above : HWND_TOP, r.left, r.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  }
  ShowTab(gState.tab);
}

void InitTabs(HWND dialog, HFONT font) noexcept {
  const HWND tabs = GetDlgItem(dialog, IDC_SET_TABS);
  SendMessageA(tabs, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMessageA(tabs, TCM_SETPADDING, 0, MAKELPARAM(4, 3));
  for (int i = 0; i < kSettingsPageCount; ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    const char* text = GetText(kFirstTabTextId, static_cast<unsigned>(i));
    item.pszText = const_cast<char*>(text != nullptr ? text : "");
    SendMessageA(tabs, TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
  if (gState.tab < 0 || gState.tab >= kSettingsPageCount) gState.tab = 0;
  SendMessageA(tabs, TCM_SETCURSEL, static_cast<WPARAM>(gState.tab), 0);
}

void SetInfoFont(HWND dialog, HFONT font) noexcept {
  for (const int id : {IDC_SET_VERSION, IDC_SET_INFO2}) {
    SendDlgItemMessageA(dialog, id, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
}

void OnInitDialog(HWND dialog) noexcept {
  gState.dialog = dialog;
  gState.hotKeyChanged = false;
  std::memcpy(&gOptionsCopy, &gOpt, sizeof(Options));
  const HFONT font = PrepareDialog(dialog);
  if (const HICON icon = LoadIconA(gApp.ResourceInstance(), MAKEINTRESOURCEA(1))) {
    SetClassLongPtrA(dialog, GCLP_HICONSM, reinterpret_cast<LONG_PTR>(icon));
  }
  SetDlgItemTextFormat(dialog, IDC_SET_VERSION, "%s V%d.%d.%d", ProductName(), static_cast<int>(gApp.versionMajor),
                       static_cast<int>(gApp.versionMinor), static_cast<int>(gApp.versionBuild));
  SetInfoFont(dialog, font);
  CheckDlgButton(dialog, IDC_SET_AUTOSTART, gOpt.bAutoStart != 0 ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_SET_ENABLED, gOpt.bDisabled == 0 ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_SET_TRAYICON, gOpt.bTrayIcon != 0 ? BST_CHECKED : BST_UNCHECKED);
  CHotKeyEdit& hotKey = HotKeyEdits().enable;
  hotKey.AttachHotKeyEdit(GetDlgItem(dialog, IDC_SET_HOTKEY));
  hotKey.SetHotKey(static_cast<std::uint16_t>(gOpt.iHotKeyEnable & 0xFFFF));
  InitTabs(dialog, font);
  CreatePages(dialog);
  FillProfileList();
  if (const HWND curve = GetDlgItem(gState.pages[static_cast<int>(SettingsPage::Wheel)], IDC_WHL_CURVE)) {
    gState.curvePreviousProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(curve, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CurvePreviewProc)));
  }
  SetFocus(GetDlgItem(dialog, IDC_SET_PROFILE_LIST));
  EnginePlatformInstance().SetSettingsDialog(dialog);
  gState.ready = true;
}

// Ends the modeless dialog; the pages go with it.
void CloseDialog(HWND dialog) noexcept {
  gState.ready = false;
  gState.dialog = nullptr;
  EnginePlatformInstance().SetSettingsDialog(nullptr);
  DestroyWindow(dialog);
}

// OK and Apply; false when the hot key could not be set (nothing is saved).
bool ApplySettings(HWND dialog) noexcept {
  gOpt.bAutoStart = IsDlgButtonChecked(dialog, IDC_SET_AUTOSTART) == BST_CHECKED ? 1 : 0;
  gOpt.bTrayIcon = IsDlgButtonChecked(dialog, IDC_SET_TRAYICON) == BST_CHECKED ? 1 : 0;
  if (gApp.osVersion < kWindowsVista && gOpt.bAutoStart != gOptionsCopy.bAutoStart) {
    (void)SetAutostartShortcut(gOpt.bAutoStart != 0, "-MINIMIZE", 1, nullptr, nullptr);
  }
  if (gHost.updateTrayIcon != nullptr) gHost.updateTrayIcon(gOpt.bTrayIcon != 0);
  const std::uint16_t value = HotKeyEdits().enable.GetHotKey();
  UnregisterHotKey(MainWindowOfHost(), kHotKeyId);
  if (!RegisterProgramHotKey(value)) {
    // The old key stays in force: a key that another program holds must not
    // leave the user without one.
    (void)RegisterProgramHotKey(gOpt.iHotKeyEnable);
    (void)ShowMessageBox(gApp, dialog, ProductName(), "%s", kHotKeyErrorFlags, IDC_SET_HOTKEY,
                         GetText(kHotKeyErrorText, 0));
    return false;
  }
  if (value != (gOpt.iHotKeyEnable & 0xFFFF)) gState.hotKeyChanged = true;
  gOpt.iHotKeyEnable = value;
  if (gHost.installHooks != nullptr) (void)gHost.installHooks(true);
  // The user's own action: a save that does not land is told at once.
  (void)SaveOptions(SaveOccasion::kUserAction);
  return true;
}

void CancelSettings(HWND dialog) noexcept {
  const std::int32_t appliedHotKey = gOpt.iHotKeyEnable;
  std::memcpy(&gOpt, &gOptionsCopy, sizeof(Options));
  NoteProfilesChanged();
  if (gState.hotKeyChanged && appliedHotKey != gOpt.iHotKeyEnable) {
    UnregisterHotKey(MainWindowOfHost(), kHotKeyId);
    (void)RegisterProgramHotKey(gOpt.iHotKeyEnable);
  }
  gState.hotKeyChanged = false;
  if (gHost.updateTrayIcon != nullptr) gHost.updateTrayIcon(gOpt.bTrayIcon != 0);
  CloseDialog(dialog);
  if (gHost.installHooks != nullptr) (void)gHost.installHooks(true);
  // The "Enabled" state went back with the rest.
  ApplyProgramSwitch();
}

void EditProfile(HWND dialog, bool copy) noexcept {
  if (gOpt.iNumPar >= kMaxProfiles) return;
  Profile scratch;
  if (copy) {
    const Profile* source = SelectedProfile();
    if (source == nullptr) return;
    scratch = *source;
  } else {
    SetProfileDefaults(scratch);
  }
  if (gRunner(dialog, scratch) != IDOK) return;
  if (InsertProfile(gOpt, gState.selected, scratch)) FillProfileList();
}

void OnListCommand(HWND dialog, UINT code) noexcept {
  const int item = static_cast<int>(SendDlgItemMessageA(dialog, IDC_SET_PROFILE_LIST, LB_GETCURSEL, 0, 0));
  if (code == LBN_SELCHANGE) {
    gState.selected = item;
    if (item < 0 || item >= gOpt.iNumPar) {
      gState.selected = 0;
      SendDlgItemMessageA(dialog, IDC_SET_PROFILE_LIST, LB_SETCURSEL, 0, 0);
    }
    ShowPages();
    EnableListButtons();
  } else if (code == LBN_DBLCLK && item >= 0 && item < gOpt.iNumPar) {
    const INT_PTR result = gRunner(dialog, gOpt.Par[item]);
    NoteProfilesChanged();
    if (result == IDOK) FillProfileList();
  }
}

void OnCommand(HWND dialog, int id, UINT code) noexcept {
  switch (id) {
    case IDOK:
    case IDC_SET_APPLY:
      if (ApplySettings(dialog) && id == IDOK) CloseDialog(dialog);
      break;
    case IDCANCEL: CancelSettings(dialog); break;
    case IDC_SET_QUIT:
      SendMessageA(dialog, WM_COMMAND, IDOK, 0);
      PostQuitMessage(0);
      break;
    case IDC_SET_ABOUT:
      (void)ShowProductInfo(dialog, 0);
      break;
    case IDC_SET_HELP: (void)ShowHelpTopic(kHelpFile, nullptr); break;
    case IDC_SET_NEW: EditProfile(dialog, false); break;
    case IDC_SET_COPY: EditProfile(dialog, true); break;
    case IDC_SET_DELETE:
      if (DeleteProfile(gOpt, gState.selected)) FillProfileList();
      break;
    case IDC_SET_UP:
      if (MoveProfileUp(gOpt, gState.selected)) FillProfileList();
      break;
    case IDC_SET_DOWN:
      if (MoveProfileDown(gOpt, gState.selected)) FillProfileList();
      break;
    case IDC_SET_PROFILE_LIST: OnListCommand(dialog, code); break;
    case IDC_SET_ENABLED:
      if (code == BN_CLICKED) {
        gOpt.bDisabled = IsDlgButtonChecked(dialog, IDC_SET_ENABLED) == BST_CHECKED ? 0 : 1;
        ApplyProgramSwitch();
        if (gHost.updateTrayIcon != nullptr) gHost.updateTrayIcon(gOpt.bTrayIcon != 0);
      }
      break;
    default: break;
  }
}

void OnDpiChanged(HWND dialog, WPARAM wParam, LPARAM lParam) noexcept {
  const int dpi = LOWORD(wParam);
  const HFONT font = ApplyDialogFontForDpi(dialog, dpi);
  SetInfoFont(dialog, font);
  SendDlgItemMessageA(dialog, IDC_SET_TABS, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  for (const HWND page : gState.pages) {
    if (page != nullptr) SendMessageA(page, WM_DPICHANGED, wParam, 0);
  }
  if (const auto* suggested = reinterpret_cast<const RECT*>(lParam)) {
    SetWindowPos(dialog, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

// While the maximum wheel speed has the focus, a faster measured speed
// raises it; the page reads the field from its change notification.
void OnWheelSpeed(WPARAM speed) noexcept {
  const HWND page = gState.pages[static_cast<int>(SettingsPage::Wheel)];
  if (!gState.ready || page == nullptr) return;
  const HWND field = GetDlgItem(page, IDC_WHL_WSMAX);
  if (field == nullptr || GetFocus() != field) return;
  const int measured = static_cast<int>(speed);
  if (GetDlgItemIntRange(page, IDC_WHL_WSMAX, 1, 1000, 0) < measured) {
    SetDlgItemTextFormat(page, IDC_WHL_WSMAX, "%d", measured);
  }
}

}  // namespace

SettingsState& Settings() noexcept { return gState; }
const SettingsHost& Host() noexcept { return gHost; }
Options& OptionsCopy() noexcept { return gOptionsCopy; }

void SetSettingsHost(const SettingsHost& host) noexcept { gHost = host; }

void SetProfileDialogRunner(ProfileDialogRunner runner) noexcept {
  gRunner = runner != nullptr ? runner : &RunProfileDialog;
}

HWND OpenSettingsDialog() noexcept {
  if (gState.dialog != nullptr) {
    SetForegroundWindow(gState.dialog);
    return gState.dialog;
  }
  (void)HotKeyEdits();
  const HWND dialog =
      CreateDialogParamA(gApp.ResourceInstance(), MAKEINTRESOURCEA(IDD_SETTINGS), nullptr, &SettingsDlgProc, 0);
  if (dialog == nullptr) return nullptr;
  ShowWindow(dialog, SW_SHOW);
  SetForegroundWindow(dialog);
  return gState.dialog;
}

HWND SettingsDialogWindow() noexcept { return gState.dialog; }

HWND SettingsPageWindow(int index) noexcept {
  return gState.dialog != nullptr && index >= 0 && index < kSettingsPageCount ? gState.pages[index] : nullptr;
}

void FillProfileList() noexcept {
  const HWND list = GetDlgItem(gState.dialog, IDC_SET_PROFILE_LIST);
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (int i = 0; i < gOpt.iNumPar && i < kMaxProfiles; ++i) {
    char name[kNameSize];
    std::memcpy(name, gOpt.Par[i].szParName, kNameSize);
    name[kNameSize - 1] = '\0';
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  }
  gState.selected = CorrectedSelection(gOpt.iNumPar, gState.selected);
  SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(gState.selected), 0);
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  ShowPages();
  EnableListButtons();
}

void EnableListButtons() noexcept {
  const ListButtons b = ListButtonsFor(gOpt.iNumPar, gState.selected);
  const HWND d = gState.dialog;
  EnableWindow(GetDlgItem(d, IDC_SET_NEW), b.newProfile);
  EnableWindow(GetDlgItem(d, IDC_SET_COPY), b.newProfile && b.remove);
  EnableWindow(GetDlgItem(d, IDC_SET_DELETE), b.remove);
  EnableWindow(GetDlgItem(d, IDC_SET_UP), b.up);
  EnableWindow(GetDlgItem(d, IDC_SET_DOWN), b.down);
}

INT_PTR CALLBACK SettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: OnInitDialog(dialog); return FALSE;
    case WM_COMMAND: OnCommand(dialog, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header != nullptr && header->idFrom == IDC_SET_TABS && header->code == static_cast<UINT>(TCN_SELCHANGE)) {
        gState.tab = static_cast<int>(SendDlgItemMessageA(dialog, IDC_SET_TABS, TCM_GETCURSEL, 0, 0));
        ShowTab(gState.tab);
      }
      return TRUE;
    }
    case WM_DPICHANGED: OnDpiChanged(dialog, wParam, lParam); return TRUE;
    case kWmWheelSpeedReport: OnWheelSpeed(wParam); return TRUE;
    case WM_DESTROY:
      HotKeyEdits().enable.DetachHotKeyEdit();
      if (gState.dialog == dialog) {
        gState.ready = false;
        gState.dialog = nullptr;
        EnginePlatformInstance().SetSettingsDialog(nullptr);
      }
      return FALSE;
    case WM_NCDESTROY: gState.curvePreviousProc = nullptr; return FALSE;
    default: return FALSE;
  }
}
