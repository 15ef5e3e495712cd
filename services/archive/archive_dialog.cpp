#include "services/archive/archive_dialog.h"

#include <cstring>

#include "framework/object/application.h"
#include "framework/app/dialog_setup.h"
#include "framework/app/file_dialogs.h"
#include "framework/app/help.h"
#include "framework/app/message_box.h"
#include "framework/ui/window_list.h"
#include "framework/util/dialog_fields.h"
#include "framework/util/monitors.h"
#include "framework/util/text_util.h"
#include "services/archive/archiving.h"
#include "services/archive/res/archive_dialog_ids.h"

namespace {

constexpr unsigned kArchiveTexts = 0xF00F;
constexpr unsigned kTextChooseFolder = 0;
constexpr unsigned kTextArchived = 1;
constexpr unsigned kTextInvalidPath = 2;
constexpr unsigned kTextInvalidName = 3;
constexpr unsigned kTextNotArchived = 4;
constexpr unsigned kTextRunInProgress = 5;
constexpr std::uint32_t kErrorBox = kMsgBoxBoldFirstLine | kMsgBoxOk | kMsgBoxError;
constexpr std::uint32_t kInformationBox = kMsgBoxBoldFirstLine | kMsgBoxOk | kMsgBoxAsterisk;
// The main window opens the help topic that belongs to "About".
constexpr char kHelpTopic[] = "About";

void Tell(HWND dialog, unsigned index, std::uint32_t flags) noexcept {
  const char* text = GetText(kArchiveTexts, index);
  (void)ShowMessageBox(gApp, dialog, gApp.appName, "%s", flags, 0, text != nullptr ? text : "");
}

// The edit's text expanded into out (260 characters): false when it is empty
// or does not expand.
bool ExpandEdit(HWND dialog, int id, char* out) noexcept {
  char pattern[MAX_PATH];
  GetDlgItemTextA(dialog, id, pattern, sizeof pattern);
  return pattern[0] != '\0' && ExpandPathTokens(pattern, out, MAX_PATH);
}

void ShowPreview(HWND dialog, int editId, int previewId) noexcept {
  char expanded[MAX_PATH];
  if (!ExpandEdit(dialog, editId, expanded)) expanded[0] = '\0';
  SetDlgItemTextA(dialog, previewId, expanded);
}

void EnableSchedule(HWND dialog) noexcept {
  EnableDlgItems(GetDlgCheck(dialog, IDC_ARCHIVE_ENABLED) == BST_CHECKED ? 1 : 0, dialog, IDC_ARCHIVE_INTERVAL,
                 IDC_ARCHIVE_DAYS_LABEL, 0);
}

// The kept number and the patterns from the controls into the record.
void TakePatterns(HWND dialog, ArchiveRecord& record) noexcept {
  record.keepCount = GetDlgItemIntRange(dialog, IDC_ARCHIVE_KEEP, 1, 999, 0);
  GetDlgItemTextA(dialog, IDC_ARCHIVE_PATH, record.pathPattern, sizeof record.pathPattern);
  GetDlgItemTextA(dialog, IDC_ARCHIVE_NAME, record.namePattern, sizeof record.namePattern);
}

void OnInit(HWND dialog) noexcept {
  (void)PrepareDialog(dialog);
  CenterWindow(dialog, nullptr, nullptr);
  SetFocus(dialog);
  LoadArchiveSettings();
  const ArchiveRecord record = GetArchiveSettings();
  (void)SetDlgCheck(dialog, IDC_ARCHIVE_ENABLED, record.enabled != 0 ? BST_CHECKED : BST_UNCHECKED);
  EnableSchedule(dialog);
  SetDlgItemIntText(dialog, IDC_ARCHIVE_INTERVAL, record.intervalDays);
  SetDlgItemIntText(dialog, IDC_ARCHIVE_KEEP, record.keepCount);
  SetDlgItemTextA(dialog, IDC_ARCHIVE_PATH, record.pathPattern);
  SetDlgItemTextA(dialog, IDC_ARCHIVE_NAME, record.namePattern);
  // The edits' change notifications fill the previews; text set to what the
  // edit already holds sends none.
  ShowPreview(dialog, IDC_ARCHIVE_PATH, IDC_ARCHIVE_PATH_PREVIEW);
  ShowPreview(dialog, IDC_ARCHIVE_NAME, IDC_ARCHIVE_NAME_PREVIEW);
  SetArchiveDialogWindow(dialog);
}

void OnBrowse(HWND dialog) noexcept {
  char folder[MAX_PATH];
  if (!ExpandEdit(dialog, IDC_ARCHIVE_PATH, folder)) folder[0] = '\0';
  const char* title = GetText(kArchiveTexts, kTextChooseFolder);
  if (BrowseForFolder(title != nullptr ? title : "", folder, true) == kFolderChosen) {
    SetDlgItemTextA(dialog, IDC_ARCHIVE_PATH, folder);
  }
}

void Close(HWND dialog) noexcept {
  SetArchiveDialogWindow(nullptr);
  EndDialog(dialog, IDCANCEL);
}

// Only the dialog's own fields go back: a run may have stored a newer last
// archive time since the dialog was opened.
void OnOk(HWND dialog) noexcept {
  ArchiveRecord record{};
  record.enabled = GetDlgCheck(dialog, IDC_ARCHIVE_ENABLED) == BST_CHECKED ? 1 : 0;
  record.intervalDays = GetDlgItemIntRange(dialog, IDC_ARCHIVE_INTERVAL, 1, 9999, 0);
  TakePatterns(dialog, record);
  char expanded[MAX_PATH];
  if (record.enabled != 0 && !ExpandEdit(dialog, IDC_ARCHIVE_PATH, expanded)) {
    Tell(dialog, kTextInvalidPath, kErrorBox);
    return;
  }
  if (!ExpandEdit(dialog, IDC_ARCHIVE_NAME, expanded)) {
    Tell(dialog, kTextInvalidName, kErrorBox);
    return;
  }
  (void)TakeArchiveDialogFields(record, true, true);
  // A schedule switched on whose interval has already passed archives now.
  ArchiveIfDue();
  Close(dialog);
}

void OnArchiveNow(HWND dialog) noexcept {
  ArchiveRecord record{};
  TakePatterns(dialog, record);
  (void)TakeArchiveDialogFields(record, false, false);
  // The run goes to the worker thread like a scheduled one; the dialog (or
  // one opened since) hears its end through kArchiveFinishedMessage and
  // stays responsive meanwhile.
  if (!StartArchiveRun(true)) {
    Tell(dialog, IsArchiveRunning() ? kTextRunInProgress : kTextNotArchived, kErrorBox);
    return;
  }
  EnableWindow(GetDlgItem(dialog, IDC_ARCHIVE_NOW), FALSE);
}

void OnArchiveFinished(HWND dialog, WPARAM result) noexcept {
  EnableWindow(GetDlgItem(dialog, IDC_ARCHIVE_NOW), TRUE);
  if (result == kArchiveDone) {
    Tell(dialog, kTextArchived, kInformationBox);
  } else {
    Tell(dialog, kTextNotArchived, kErrorBox);
  }
}

}  // namespace

INT_PTR CALLBACK ArchiveDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInit(dialog);
      return FALSE;  // the focus is set
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_ARCHIVE_ENABLED:
          if (HIWORD(wParam) == BN_CLICKED) EnableSchedule(dialog);
          return TRUE;
        case IDC_ARCHIVE_PATH:
          if (HIWORD(wParam) == EN_CHANGE) ShowPreview(dialog, IDC_ARCHIVE_PATH, IDC_ARCHIVE_PATH_PREVIEW);
          return TRUE;
        case IDC_ARCHIVE_NAME:
          if (HIWORD(wParam) == EN_CHANGE) ShowPreview(dialog, IDC_ARCHIVE_NAME, IDC_ARCHIVE_NAME_PREVIEW);
          return TRUE;
        case IDC_ARCHIVE_BROWSE:
          OnBrowse(dialog);
          return TRUE;
        case IDC_ARCHIVE_DEFAULT:
          SetDlgItemTextA(dialog, IDC_ARCHIVE_PATH, kDefaultArchivePathPattern);
          SetDlgItemTextA(dialog, IDC_ARCHIVE_NAME, kDefaultArchiveNamePattern);
          return TRUE;
        case IDC_ARCHIVE_NOW:
          OnArchiveNow(dialog);
          return TRUE;
        case IDOK:
          OnOk(dialog);
          return TRUE;
        case IDCANCEL:
          Close(dialog);
          return TRUE;
        case IDC_ARCHIVE_HELP:
          RequestHelpTopic(kHelpTopic);
          return TRUE;
        default:
          return FALSE;
      }
    case kArchiveFinishedMessage:
      OnArchiveFinished(dialog, wParam);
      return TRUE;
    case WM_HELP:
      RequestHelpTopic(kHelpTopic);
      return TRUE;
    case WM_DESTROY:
      // Also when the dialog goes without Cancel, with its owner at shut-down.
      if (ArchiveDialogWindow() == dialog) SetArchiveDialogWindow(nullptr);
      return FALSE;
    case WM_DPICHANGED:
      (void)OnDialogDpiChanged(dialog, wParam, lParam);
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR OpenArchiveDialog(HWND owner, LPARAM parameter) noexcept {
  return DialogBoxParamA(gApp.ResourceInstance(), MAKEINTRESOURCEA(IDD_ARCHIVE), owner, &ArchiveDialogProc,
                         parameter);
}
