#include "framework/app/save_report.h"

#include <cstring>
#include <mutex>

#include "framework/app/message_box.h"
#include "framework/base/framework_messages.h"
#include "framework/object/application.h"
#include "framework/text/text_table.h"
#include "framework/util/file_replace.h"
#include "framework/util/text_util.h"

namespace {

// User actions whose box could not be shown at once are rare, and of the
// program's own saves one a run is told: a few places are plenty.
constexpr std::size_t kMaxPending = 4;

struct PendingReport {
  const char* format;
  char path[MAX_PATH];
  std::uint32_t error;
};

std::mutex gLock;
CSaveReportRules gRules;
PendingReport gPending[kMaxPending];
std::size_t gPendingCount = 0;
bool gShowingPending = false;  // main thread only

// The main thread, outside any message answered for another thread or
// program: a modal box there would hold up its sender, or dispatch posted
// messages in the middle of a wait for a held file.
bool CanShowHere() noexcept {
  const HWND app = gApp.appWindow;
  const DWORD mainThread = app != nullptr ? GetWindowThreadProcessId(app, nullptr) : gApp.appWindowThread;
  if (mainThread != 0 && mainThread != GetCurrentThreadId()) return false;
  return !IsAnsweringSentMessagesOnly() && !InSendMessage();
}

void Show(const char* format, const char* path, std::uint32_t error) noexcept {
  char reason[512];
  SystemErrorText(error, reason, sizeof reason);
  if (format == nullptr) format = GetText(kRecordNotSavedText, 0);
  (void)ShowMessageBox(gApp, nullptr, nullptr, format != nullptr ? format : "%s\n%s", kSaveFailedBoxFlags, 0, path,
                       reason);
}

}  // namespace

void ReportFailedSave(const char* format, const char* path, std::uint32_t error, SaveOccasion occasion) noexcept {
  SaveReportAction action;
  {
    const std::lock_guard<std::mutex> guard(gLock);
    action = gRules.OnFailure(occasion, CanShowHere());
    if (action == SaveReportAction::kShowFromLoop) {
      if (gPendingCount == kMaxPending) return;
      PendingReport& report = gPending[gPendingCount++];
      report.format = format;
      if (!CopyText(report.path, sizeof report.path, path != nullptr ? path : "")) report.path[0] = '\0';
      report.error = error;
    }
  }
  if (action == SaveReportAction::kShowNow) Show(format, path != nullptr ? path : "", error);
  // A window that is not made yet shows them once it is.
  if (action == SaveReportAction::kShowFromLoop) {
    if (const HWND app = gApp.appWindow) PostMessageA(app, WM_FW_SAVEFAILED, 0, 0);
  }
}

void ReportRecordWrite(const RecordWriteStatus& status, const char* name, int index, int allUsers,
                       SaveOccasion occasion, const char* format) noexcept {
  if (!status.Failed()) return;
  char path[MAX_PATH];
  (void)BuildConfigFilePath(name, index, path, allUsers);  // a name cut short still names the file
  ReportFailedSave(format, path, status.error, occasion);
}

void SystemErrorText(std::uint32_t error, char* out, std::size_t capacity) noexcept {
  if (out == nullptr || capacity == 0) return;
  out[0] = '\0';
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                      out, static_cast<DWORD>(capacity), nullptr);
  if (length == 0) {
    (void)wsprintfA(out, capacity >= 24 ? "Error %lu." : "", static_cast<unsigned long>(error));
    return;
  }
  // The system ends its texts with a line break; the box takes one line.
  for (char* c = out; *c != '\0'; ++c) {
    if (*c == '\r' || *c == '\n') *c = ' ';
  }
  for (std::size_t n = std::strlen(out); n > 0 && out[n - 1] == ' '; --n) out[n - 1] = '\0';
}

void QuietSaveReports() noexcept {
  const std::lock_guard<std::mutex> guard(gLock);
  gRules.Quiet();
  gPendingCount = 0;
}

void ShowPendingSaveReports() noexcept {
  // A box's own loop may dispatch the next notice: the outer call shows
  // every report, one after the other.
  if (gShowingPending) return;
  gShowingPending = true;
  for (;;) {
    PendingReport report;
    {
      const std::lock_guard<std::mutex> guard(gLock);
      if (gPendingCount == 0 || !gRules.MayShowFromLoop()) break;
      report = gPending[0];
      std::memmove(&gPending[0], &gPending[1], (gPendingCount - 1) * sizeof gPending[0]);
      --gPendingCount;
    }
    Show(report.format, report.path, report.error);
  }
  gShowingPending = false;
}

bool HasPendingSaveReports() noexcept {
  const std::lock_guard<std::mutex> guard(gLock);
  return gPendingCount > 0;
}
