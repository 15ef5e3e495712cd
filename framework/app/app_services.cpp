#include "framework/app/app_services.h"

namespace {

AppServices gServices;

using DialogOpener = INT_PTR (*)(HWND owner, LPARAM parameter) noexcept;

DialogOpener OpenerOf(ServiceDialog dialog) noexcept {
  return dialog == ServiceDialog::kArchive ? gServices.openArchiveDialog : gServices.openUpdateDialog;
}

void LeaveEmpty(char* out, std::size_t capacity) noexcept {
  if (out != nullptr && capacity > 0) out[0] = '\0';
}

}  // namespace

void SetAppServices(const AppServices& services) noexcept { gServices = services; }

void RunServiceDueTests() noexcept {
  if (gServices.checkForUpdateIfDue != nullptr) gServices.checkForUpdateIfDue();
  if (gServices.archiveIfDue != nullptr) gServices.archiveIfDue();
}

bool OnServiceMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  return gServices.onAppWindowMessage != nullptr && gServices.onAppWindowMessage(message, wParam, lParam);
}

void GetServiceArchiveFolder(char* out, std::size_t capacity) noexcept {
  LeaveEmpty(out, capacity);
  if (gServices.scheduledArchiveFolder != nullptr) gServices.scheduledArchiveFolder(out, capacity);
}

void GetProposedArchiveName(char* out, std::size_t capacity) noexcept {
  LeaveEmpty(out, capacity);
  if (gServices.proposedArchiveName != nullptr) gServices.proposedArchiveName(out, capacity);
}

const RecordForm* FindServiceRecordForm(const char* recordFileName, const char* extension) noexcept {
  return FindRecordForm(gServices.recordForms, gServices.recordFormCount, recordFileName, extension);
}

bool HasServiceDialog(ServiceDialog dialog) noexcept { return OpenerOf(dialog) != nullptr; }

void OpenServiceDialog(ServiceDialog dialog, HWND owner, LPARAM parameter) noexcept {
  if (const DialogOpener open = OpenerOf(dialog)) (void)open(owner, parameter);
}
