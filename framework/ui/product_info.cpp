#include "framework/ui/product_info.h"

#include <cstdio>

#include "framework/app/exit_request.h"
#include "framework/app/app_services.h"
#include "framework/object/application.h"
#include "framework/app/backup_restore.h"
#include "framework/app/commands.h"
#include "framework/app/dialog_setup.h"
#include "framework/base/framework_messages.h"
#include "framework/app/message_box.h"
#include "framework/app/message_box_core.h"
#include "framework/app/res/framework_resource_ids.h"
#include "framework/text/text_table.h"
#include "framework/ui/window_list.h"
#include "framework/ui/frame_window.h"
#include "framework/ui/item_commands.h"
#include "framework/util/link_label.h"
#include "framework/util/win_handles.h"

namespace {

constexpr unsigned kProductText = 0xF005;  // version format, notice line, web address
constexpr unsigned kDoneText = 0xF00A;     // restored, backed up, reset
constexpr unsigned kRestartText = 0xF00B;
constexpr unsigned kRestoredIndex = 0;
constexpr unsigned kBackedUpIndex = 1;
constexpr unsigned kResetIndex = 2;
constexpr std::uint32_t kRestartPromptFlags = kMsgBoxQuestion | kMsgBoxOkCancel | kMsgBoxBoldFirstLine;  // 296
constexpr std::uint32_t kBackedUpFlags = kMsgBoxAsterisk | kMsgBoxOk | kMsgBoxBoldFirstLine;           // 276
constexpr int kRestartWithCurrentElevation = -1;
constexpr int kProgramIconId = 1;
constexpr LPARAM kOpenedFromProductInfo = 1;
constexpr char kHelpTopic[] = "About";

// One per process, as the dialog runs once at a time; each is detached when
// the dialog goes.
CLinkLabel gWebLink;
CLinkLabel gProgramFolderLink;
CLinkLabel gDataFolderLink;

const char* TextOr(unsigned id, unsigned index, const char* fallback) noexcept {
  const char* text = GetText(id, index);
  return text != nullptr ? text : fallback;
}

void SetVersionFont(HWND dialog, HFONT font) noexcept {
  SendDlgItemMessageA(dialog, FW_IDC_ABOUT_VERSION, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void EnableButton(HWND dialog, int id, bool enable) noexcept {
  EnableWindow(GetDlgItem(dialog, id), enable ? TRUE : FALSE);
}

BOOL OnInitDialog(HWND dialog) noexcept {
  SetVersionFont(dialog, PrepareDialog(dialog));
  SetWindowTextA(dialog, gApp.appName);
  char line[320];
  std::snprintf(line, sizeof line, TextOr(kProductText, 0, "%s v%d.%d.%d"), gApp.appName,
                static_cast<int>(gApp.versionMajor), static_cast<int>(gApp.versionMinor),
                static_cast<int>(gApp.versionBuild));
  SetDlgItemTextA(dialog, FW_IDC_ABOUT_VERSION, line);
  SetDlgItemTextA(dialog, FW_IDC_ABOUT_NOTICE, TextOr(kProductText, 1, ""));
  (void)AttachLinkLabel(gWebLink, dialog, FW_IDC_ABOUT_WEB, TextOr(kProductText, 2, ""), gApp.theme.uiFace);
  (void)AttachLinkLabel(gProgramFolderLink, dialog, FW_IDC_ABOUT_PROGRAM_FOLDER, gApp.programFolder, gApp.theme.uiFace);
  (void)AttachLinkLabel(gDataFolderLink, dialog, FW_IDC_ABOUT_DATA_FOLDER, gApp.dataFolder, gApp.theme.uiFace);
  EnableButton(dialog, IDHELP, FirstFrameWindowHandle() != nullptr);
  EnableButton(dialog, FW_IDC_ABOUT_ARCHIVE, HasServiceDialog(ServiceDialog::kArchive));
  EnableButton(dialog, FW_IDC_ABOUT_UPDATE, HasServiceDialog(ServiceDialog::kUpdate));
  // On OK rather than on the first link, which would show its focus frame.
  SetFocus(GetDlgItem(dialog, IDOK));
  return FALSE;
}

// A restore or reset takes effect at the next start: offered at once, and
// the program keeps running when the user declines.
void StageAndOfferRestart(HWND dialog, BackupMode mode, unsigned doneIndex) noexcept {
  if (BackupRestoreConfiguration(dialog, mode, nullptr) != kBackupDone) return;
  if (ShowMessageBox(gApp, dialog, nullptr, "%s\n%s", kRestartPromptFlags, 0, TextOr(kDoneText, doneIndex, ""),
                     TextOr(kRestartText, 0, "")) == IDOK) {
    (void)RequestExit(kRestartWithCurrentElevation, nullptr, 1);
  }
}

// The archive holds what is on disk: the framework's state and the
// product's options are written before the files are packed.
void Backup(HWND dialog) noexcept {
  SaveAppState();
  (void)SendToActiveWindow(WM_FW_SAVEOPTIONS, 0, 0);
  if (BackupRestoreConfiguration(dialog, BackupMode::kBackup, nullptr) == kBackupDone) {
    (void)ShowMessageBox(gApp, dialog, nullptr, "%s", kBackedUpFlags, 0, TextOr(kDoneText, kBackedUpIndex, ""));
  }
}

BOOL OnCommand(HWND dialog, int id) noexcept {
  switch (id) {
    case IDOK:
    case IDCANCEL:
      EndDialog(dialog, id);
      return TRUE;
    case IDHELP:
      RequestHelpTopic(kHelpTopic);
      return TRUE;
    case FW_IDC_ABOUT_RESTORE:
      StageAndOfferRestart(dialog, BackupMode::kRestore, kRestoredIndex);
      return TRUE;
    case FW_IDC_ABOUT_RESET:
      StageAndOfferRestart(dialog, BackupMode::kReset, kResetIndex);
      return TRUE;
    case FW_IDC_ABOUT_BACKUP:
      Backup(dialog);
      return TRUE;
    case FW_IDC_ABOUT_ARCHIVE:
      OpenServiceDialog(ServiceDialog::kArchive, dialog, kOpenedFromProductInfo);
      return TRUE;
    case FW_IDC_ABOUT_UPDATE:
      OpenServiceDialog(ServiceDialog::kUpdate, dialog, kOpenedFromProductInfo);
      return TRUE;
    default:
      return FALSE;
  }
}

// The program's icon at the item's top-left corner, as tall as the item
// (rounded down to an even size, which icons come in).
void DrawProgramIcon(const DRAWITEMSTRUCT& item) noexcept {
  const int size = (item.rcItem.bottom - item.rcItem.top) & ~1;
  if (size <= 0) return;
  const CIconHandle icon(static_cast<HICON>(
      LoadImageA(gApp.ResourceInstance(), MAKEINTRESOURCEA(kProgramIconId), IMAGE_ICON, size, size, 0)));
  if (icon) DrawIconEx(item.hDC, item.rcItem.left, item.rcItem.top, icon.Get(), size, size, 0, nullptr, DI_NORMAL);
}

}  // namespace

INT_PTR CALLBACK ProductInfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog(dialog);
    case WM_COMMAND:
      return OnCommand(dialog, LOWORD(wParam));
    case WM_HELP:
      RequestHelpTopic(kHelpTopic);
      return TRUE;
    case WM_DRAWITEM:
      if (wParam != FW_IDC_ABOUT_ICON || lParam == 0) return FALSE;
      DrawProgramIcon(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_DPICHANGED:
      SetVersionFont(dialog, OnDialogDpiChanged(dialog, wParam, lParam));
      return TRUE;
    case WM_DESTROY:
      DestroyLinkLabel(gWebLink);
      DestroyLinkLabel(gProgramFolderLink);
      DestroyLinkLabel(gDataFolderLink);
      return FALSE;
    default:
      return FALSE;
  }
}

std::uint32_t ShowProductInfo(HWND window, LPARAM parameter) noexcept {
  if (window == nullptr) window = GetOwnForegroundWindow();
  if (window != nullptr) {
    if (CFrameWindow* frame = FindWindowRecord(window)) {
      if ((frame->flags & kFrameKeptHidden) == 0) {
        frame->ShowFrame(SW_SHOW, false);
        SetForegroundWindow(window);
      }
    } else {
      ShowWindow(window, SW_SHOW);
      SetForegroundWindow(window);
    }
  }
  ChangeModalDepth(true);
  (void)DialogBoxParamA(gApp.ResourceInstance(), MAKEINTRESOURCEA(FW_IDD_PRODUCT_INFO), window,
                        &ProductInfoDialogProc, parameter);
  ChangeModalDepth(false);
  return GetLastError();
}
