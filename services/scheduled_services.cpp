#include "services/scheduled_services.h"

#include "framework/store/config_backup.h"
#include "framework/util/text_util.h"
#include "services/archive/archive_dialog.h"
#include "services/archive/archiving.h"
#include "services/update/update_check.h"
#include "services/update/update_dialog.h"

namespace {

// The update check's worker posts its end to the hidden application window:
// its news and its dialog belong to the main thread.
bool OnWorkerReport(UINT message, WPARAM, LPARAM) noexcept {
  if (message != kUpdateCheckFinishedMessage) return false;
  OnUpdateCheckFinished();
  return true;
}

// The name proposed in the dialogs: the scheduled archives' file-name
// pattern with its tokens expanded, and the archive extension. Empty when
// that does not fit: the user then names the file alone.
void ProposedName(char* out, std::size_t capacity) noexcept {
  out[0] = '\0';
  LoadArchiveSettings();
  const ArchiveRecord settings = GetArchiveSettings();
  if (!ExpandPathTokens(settings.namePattern, out, capacity) || !AppendText(out, capacity, ".") ||
      !AppendText(out, capacity, kConfigArchiveExtension)) {
    out[0] = '\0';
  }
}

}  // namespace

AppServices ScheduledServices() noexcept {
  AppServices services;
  services.checkForUpdateIfDue = &CheckForUpdateIfDue;
  services.archiveIfDue = &ArchiveIfDue;
  services.onAppWindowMessage = &OnWorkerReport;
  services.scheduledArchiveFolder = &GetScheduledArchiveFolder;
  services.proposedArchiveName = &ProposedName;
  services.openArchiveDialog = &OpenArchiveDialog;
  services.openUpdateDialog = &OpenUpdateDialog;
  return services;
}
