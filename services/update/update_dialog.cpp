#include "services/update/update_dialog.h"

#include <cstdio>
#include <cstring>

#include "framework/object/application.h"
#include "framework/app/dialog_setup.h"
#include "framework/text/text_table.h"
#include "framework/ui/window_list.h"
#include "framework/util/dialog_fields.h"
#include "framework/util/monitors.h"
#include "framework/util/shell_util.h"
#include "services/update/http_url.h"
#include "services/update/res/update_dialog_ids.h"
#include "services/update/update_logic.h"
#include "services/update/update_check.h"

namespace {

// The main window opens the help topic that belongs to "About".
constexpr char kHelpTopic[] = "About";

// The dialog that had the handle when another one opened (from the product
// information while the one a check popped up is open): it hears of the
// checks again once the later one has closed.
HWND gEarlierDialog = nullptr;

void TakeDialogHandle(HWND dialog) noexcept {
  const HWND open = UpdateDialogWindow();
  if (open != nullptr && open != dialog) gEarlierDialog = open;
  SetUpdateDialogWindow(dialog);
}

void ReleaseDialogHandle(HWND dialog) noexcept {
  if (gEarlierDialog == dialog) gEarlierDialog = nullptr;
  if (UpdateDialogWindow() != dialog) return;
  const HWND earlier = gEarlierDialog;
  gEarlierDialog = nullptr;
  SetUpdateDialogWindow(earlier != nullptr && IsWindow(earlier) ? earlier : nullptr);
}

const char* StatusText(unsigned status) noexcept {
  const char* text = status < 16 ? GetText(kUpdateTexts, status) : nullptr;
  return text != nullptr ? text : "";
}

// The stored day is the user's local date (see UpdateCheckEnvironment), so
// it is shown as it is, without a time zone that could move it a day.
void ShowLastCheck(HWND dialog, std::int64_t day) noexcept {
  constexpr std::int64_t kUnixEpochSeconds = 11644473600;  // 1601-01-01 to 1970-01-01
  constexpr std::int64_t kLastSecond = 0x7FFFFFFFFFFFFFFF / 10000000 - kUnixEpochSeconds;
  SYSTEMTIME date{};
  if (day >= -kUnixEpochSeconds && day <= kLastSecond) {
    const std::uint64_t ticks = static_cast<std::uint64_t>(day + kUnixEpochSeconds) * 10000000;
    const FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    if (!FileTimeToSystemTime(&time, &date)) date = SYSTEMTIME{};
  }
  SetDlgItemTextFormat(dialog, IDC_UPDATE_STATUS, StatusText(kUpdateStatusLastCheck), date.wDay, date.wMonth,
                       date.wYear);
}

// The reply came from the network: its first line only, as plain text.
void ShowReply(HWND dialog, const UpdateCheckRecord& record) noexcept {
  char line[kUpdateReplySize];
  std::size_t n = 0;
  while (n < sizeof line - 1 && static_cast<unsigned char>(record.lastReply[n]) >= 0x20) {
    line[n] = record.lastReply[n];
    ++n;
  }
  line[n] = '\0';
  SetDlgItemTextA(dialog, IDC_UPDATE_REPLY, line);
  EnableWindow(GetDlgItem(dialog, IDC_UPDATE_DOWNLOAD), record.newerFound != 0 ? TRUE : FALSE);
}

// The versions and the state stand out in the dialog font, which the
// set-up chooses for the dialog's DPI.
void SetValueFont(HWND dialog, HFONT font) noexcept {
  for (const int id : {IDC_UPDATE_OWN_VERSION, IDC_UPDATE_REPLY, IDC_UPDATE_STATUS}) {
    SendDlgItemMessageA(dialog, id, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
}

void EnableInterval(HWND dialog) noexcept {
  EnableDlgItems(GetDlgCheck(dialog, IDC_UPDATE_ENABLED) == BST_CHECKED ? 1 : 0, dialog, IDC_UPDATE_INTERVAL,
                 IDC_UPDATE_DAYS_LABEL, 0);
}

void OnInit(HWND dialog, LPARAM parameter) noexcept {
  SetWindowLongPtrA(dialog, DWLP_USER, parameter);
  SetValueFont(dialog, PrepareDialog(dialog));
  CenterWindow(dialog, nullptr, nullptr);
  char title[300];
  std::snprintf(title, sizeof title, "%s %s", gApp.appName, StatusText(kUpdateTextTitle));
  SetWindowTextA(dialog, title);
  SetDlgItemTextFormat(dialog, IDC_UPDATE_OWN_VERSION, "%d.%d.%d", static_cast<int>(gApp.versionMajor),
                       static_cast<int>(gApp.versionMinor), static_cast<int>(gApp.versionBuild));
  const UpdateCheckRecord record = LoadUpdateCheckRecord();
  (void)SetDlgCheck(dialog, IDC_UPDATE_ENABLED, record.enabled != 0 ? BST_CHECKED : BST_UNCHECKED);
  EnableInterval(dialog);
  SetDlgItemIntText(dialog, IDC_UPDATE_INTERVAL, record.intervalDays);
  ShowReply(dialog, record);
  if (IsUpdateCheckRunning()) {
    SetDlgItemTextA(dialog, IDC_UPDATE_STATUS, StatusText(kUpdateStatusChecking));
  } else {
    ShowLastCheck(dialog, record.lastCheck);
  }
  TakeDialogHandle(dialog);
  // On OK, not on the first button: Enter must not open the download page.
  SetFocus(GetDlgItem(dialog, IDOK));
}

void OnNews(HWND dialog, unsigned status) noexcept {
  if (status == kUpdateStatusNewer || status == kUpdateStatusNoUpdate) ShowReply(dialog, GetUpdateCheckRecord());
  if (status == kUpdateStatusLastCheck) {
    ShowLastCheck(dialog, GetUpdateCheckRecord().lastCheck);
  } else {
    SetDlgItemTextA(dialog, IDC_UPDATE_STATUS, StatusText(status));
  }
}

void Close(HWND dialog, int result) noexcept {
  ReleaseDialogHandle(dialog);
  if (GetWindowLongPtrA(dialog, DWLP_USER) == kUpdateDialogModeless) {
    DestroyWindow(dialog);
  } else {
    EndDialog(dialog, result);
  }
}

// A check that is due now starts and is left to run: closing the dialog
// does not stop what OK has just started.
void OnOk(HWND dialog) noexcept {
  const bool enabled = GetDlgCheck(dialog, IDC_UPDATE_ENABLED) == BST_CHECKED;
  const int interval = GetDlgItemIntRange(dialog, IDC_UPDATE_INTERVAL, kMinUpdateIntervalDays,
                                          kMaxUpdateIntervalDays, 0);
  (void)SaveUpdateCheckSettings(enabled, interval);
  Close(dialog, IDOK);
  CheckForUpdateIfDue();
}

// Only a web address is handed to the shell: the page is opened in the
// browser, nothing is downloaded or run here.
void OpenDownloadPage() noexcept {
  char url[sizeof gApp.install.downloadUrl + 1];
  std::memcpy(url, gApp.install.downloadUrl, sizeof gApp.install.downloadUrl);
  url[sizeof url - 1] = '\0';
  HttpUrl parsed;
  if (!ParseHttpUrl(url, std::strlen(url), &parsed)) return;
  (void)ShellExecuteUnelevated(url, nullptr, nullptr, "open", SW_SHOWNORMAL);
}

}  // namespace

INT_PTR CALLBACK UpdateCheckDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInit(dialog, lParam);
      return FALSE;  // the focus is set
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_UPDATE_ENABLED:
          if (HIWORD(wParam) == BN_CLICKED) EnableInterval(dialog);
          return TRUE;
        case IDC_UPDATE_CHECK_NOW:
          (void)StartUpdateCheck();
          return TRUE;
        case IDC_UPDATE_DOWNLOAD:
          OpenDownloadPage();
          return TRUE;
        case IDOK:
          OnOk(dialog);
          return TRUE;
        case IDCANCEL:
          CancelUpdateCheck();
          Close(dialog, IDCANCEL);
          return TRUE;
        case IDC_UPDATE_HELP:
          RequestHelpTopic(kHelpTopic);
          return TRUE;
        default:
          return FALSE;
      }
    case kUpdateCheckNewsMessage:
      OnNews(dialog, static_cast<unsigned>(wParam));
      return TRUE;
    case WM_HELP:
      RequestHelpTopic(kHelpTopic);
      return TRUE;
    case WM_DPICHANGED:
      SetValueFont(dialog, OnDialogDpiChanged(dialog, wParam, lParam));
      return TRUE;
    case WM_DESTROY:
      ReleaseDialogHandle(dialog);
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR OpenUpdateDialog(HWND owner, LPARAM parameter) noexcept {
  return DialogBoxParamA(gApp.ResourceInstance(), MAKEINTRESOURCEA(IDD_UPDATE), owner, &UpdateCheckDialogProc,
                         parameter);
}
