#include "services/update/update_check.h"

#include <cstring>
#include <mutex>
#include <utility>

#include "framework/app/save_report.h"
#include "framework/object/application.h"
#include "framework/store/config_file.h"
#include "framework/text/text_table.h"
#include "framework/util/win_handles.h"
#include "services/update/http_request.h"
#include "services/update/res/update_dialog_ids.h"
#include "services/update/update_logic.h"

namespace {

constexpr char kRecordName[] = "(Orvo)UpdateCheck";
// The update texts' text for a record that was not saved.
constexpr unsigned kUpdateTexts = 0xF00C;
constexpr unsigned kTextSettingsNotSaved = 12;
// Enough of a reply for its version numbers and for the stored text.
constexpr std::size_t kReplyPrefix = 1024;

struct Outcome {
  bool ready;
  bool popUp;  // newer, and not the reply already stored
  unsigned status;
};

// The record and the last outcome are shared with the worker. The lock is
// never held across the network nor a write of the record's file
// (CRecordWrite): the main thread never waits on the lock for the worker; a
// save of the dialog that is handed to the worker's write waits for its
// result, as long as the write's retries take at most.
std::mutex gLock;
UpdateCheckRecord gRecord{};
Outcome gOutcome{};

std::atomic<bool> gRunning{false};
std::atomic<std::uint8_t> gCancel{0};

// The main thread's own.
CKernelHandle gWorker;  // the last worker started, for shut-down to wait for
bool gRestartQueued = false;
HWND gDialog = nullptr;
DLGPROC gDialogProcedure = nullptr;

std::int64_t SystemLocalNow() noexcept {
  SYSTEMTIME local;
  GetLocalTime(&local);
  FILETIME asIfUtc;
  if (!SystemTimeToFileTime(&local, &asIfUtc)) return 0;
  const std::uint64_t ticks = (std::uint64_t{asIfUtc.dwHighDateTime} << 32) | asIfUtc.dwLowDateTime;
  constexpr std::uint64_t kTicksPerSecond = 10000000;
  constexpr std::int64_t kUnixEpochSeconds = 11644473600;  // 1601-01-01 to 1970-01-01
  return static_cast<std::int64_t>(ticks / kTicksPerSecond) - kUnixEpochSeconds;
}

int HttpFetch(const char* url, const std::atomic<std::uint8_t>* cancel, char* reply, std::size_t capacity,
              std::size_t* length) noexcept {
  *length = 0;
  CHttpRequest request;
  request.SetCancelFlagPointer(cancel);
  const int result = request.HttpGet(url, false, nullptr, nullptr, nullptr, false);
  if (result != kHttpOk) return result;
  const CGrowArray<std::uint8_t>& body = request.Response();
  std::size_t n = body.Count() > 0 ? static_cast<std::size_t>(body.Count()) : 0;
  if (n > capacity) n = capacity;
  if (n > 0) std::memcpy(reply, body.Data(), n);
  *length = n;
  return kHttpOk;
}

UpdateCheckEnvironment gEnvironment{SystemLocalNow, HttpFetch};

// Under gLock: the record from its file into gRecord. A missing or short
// file reads as zeros, which normalise to a check every 7 days. While a
// write is on its way the file is older than gRecord, which stays; no new
// write can start meanwhile, since each is staged under the lock.
void ReadRecordLocked() noexcept {
  if (CRecordWrite::IsUnderWay(kRecordName, -1, 0)) return;
  UpdateCheckRecord record{};
  (void)ReadConfigFile(kRecordName, -1, &record, sizeof record, 0);
  NormalizeUpdateCheckRecord(&record);
  gRecord = record;
}

// Under gLock: gRecord as it is now, for write.Finish() once the lock is
// released.
bool StageRecordLocked(CRecordWrite& write) noexcept {
  return write.Stage(kRecordName, -1, &gRecord, sizeof gRecord, 0);
}

// A write that does not land is told to the user (save_report.h); staged
// false: it failed for the thread's last error.
bool Told(bool staged, CRecordWrite& write, SaveOccasion occasion) noexcept {
  const RecordWriteStatus status =
      staged ? write.Finish() : RecordWriteStatus{RecordWriteOutcome::kFailed, GetLastError()};
  ReportRecordWrite(status, kRecordName, -1, 0, occasion, GetText(kUpdateTexts, kTextSettingsNotSaved));
  return status.Landed();
}

void ShowStatus(unsigned status) noexcept {
  if (gDialog != nullptr) SendMessageA(gDialog, kUpdateCheckNewsMessage, status, 0);
}

Outcome RunCheck(const char* url) noexcept {
  char reply[kReplyPrefix];
  std::size_t length = 0;
  if (gEnvironment.fetch(url, &gCancel, reply, sizeof reply, &length) != kHttpOk) {
    return Outcome{true, false, kUpdateStatusDownloadError};
  }
  if (length > sizeof reply) length = sizeof reply;
  ProgramVersion version{};
  if (!ParseVersionText(reply, length, &version)) return Outcome{true, false, kUpdateStatusFormatError};
  const ProgramVersion own{static_cast<std::int32_t>(gApp.versionMajor), static_cast<std::int32_t>(gApp.versionMinor),
                           static_cast<std::int32_t>(gApp.versionBuild)};
  const bool newer = IsNewerVersion(version, own);
  CRecordWrite write;
  bool popUp = false;
  bool staged = false;
  {
    // Only memory under the lock: gRecord was read before the check started
    // (the due test, the dialog) and is changed only here and by the dialog.
    std::lock_guard<std::mutex> guard(gLock);
    // Compared as it will be stored, so that a reply cut on storing is the
    // same reply the next time and pops nothing up again.
    popUp = newer && !IsStoredUpdateReply(reply, length, gRecord.lastReply);
    gRecord.newerFound = newer ? 1 : 0;
    gRecord.lastCheck = StartOfUtcDay(gEnvironment.now());
    StoreUpdateReply(reply, length, gRecord.lastReply);
    staged = StageRecordLocked(write);
  }
  (void)Told(staged, write, SaveOccasion::kBackground);
  return Outcome{true, popUp, newer ? kUpdateStatusNewer : kUpdateStatusNoUpdate};
}

}  // namespace

const RecordForm& UpdateCheckRecordForm() noexcept {
  static constexpr RecordForm kForm{kRecordName, RecordFormKind::kFixedSize, sizeof(UpdateCheckRecord), false};
  return kForm;
}

UpdateCheckRecord LoadUpdateCheckRecord() noexcept {
  std::lock_guard<std::mutex> guard(gLock);
  ReadRecordLocked();
  return gRecord;
}

UpdateCheckRecord GetUpdateCheckRecord() noexcept {
  std::lock_guard<std::mutex> guard(gLock);
  return gRecord;
}

bool SaveUpdateCheckSettings(bool enabled, int intervalDays) noexcept {
  CRecordWrite write;
  bool staged = false;
  {
    std::lock_guard<std::mutex> guard(gLock);
    ReadRecordLocked();
    gRecord.enabled = enabled ? 1 : 0;
    gRecord.intervalDays = intervalDays;
    NormalizeUpdateCheckRecord(&gRecord);
    staged = StageRecordLocked(write);
  }
  return Told(staged, write, SaveOccasion::kUserAction);
}

void CheckForUpdateIfDue() noexcept {
  const UpdateCheckRecord record = LoadUpdateCheckRecord();
  // A check in progress is left to finish: the due test never stops it.
  if (IsUpdateCheckDue(record, gEnvironment.now()) && !IsUpdateCheckRunning()) (void)StartUpdateCheck();
}

int StartUpdateCheck() noexcept {
  if (gRunning.load()) {
    // Its end is posted like any other; the fresh check starts from there.
    gRestartQueued = true;
    gCancel.store(1);
    return kUpdateCheckQueued;
  }
  gRestartQueued = false;
  {
    std::lock_guard<std::mutex> guard(gLock);
    gOutcome = Outcome{};  // an ended check's result not yet shown is old now
  }
  gCancel.store(0);
  gRunning.store(true);
  CKernelHandle thread(CreateThread(nullptr, 0, UpdateCheckThread, gApp.appWindow, 0, nullptr));
  if (!thread) {
    gRunning.store(false);
    ShowStatus(kUpdateStatusNoThread);
    return kUpdateCheckNoThread;
  }
  gWorker = std::move(thread);
  ShowStatus(kUpdateStatusChecking);
  return kUpdateCheckStarted;
}

void CancelUpdateCheck() noexcept {
  gRestartQueued = false;
  if (gRunning.load()) gCancel.store(1);
}

bool IsUpdateCheckRunning() noexcept { return gRunning.load(); }

bool WaitForUpdateCheck(DWORD untilTick) noexcept {
  return WaitAndReleaseUntil(gWorker, untilTick);
}

DWORD WINAPI UpdateCheckThread(void* notify) {
  // The installation record is read once at start-up and never written.
  char url[sizeof gApp.install.updateCheckUrl + 1];
  std::memcpy(url, gApp.install.updateCheckUrl, sizeof gApp.install.updateCheckUrl);
  url[sizeof url - 1] = '\0';
  const Outcome outcome = RunCheck(url);
  {
    std::lock_guard<std::mutex> guard(gLock);
    gOutcome = outcome;
  }
  // Cleared before the report, so that its receiver may start the next check.
  gRunning.store(false);
  if (notify != nullptr) (void)PostMessageA(static_cast<HWND>(notify), kUpdateCheckFinishedMessage, 0, 0);
  return 0;
}

void OnUpdateCheckFinished() noexcept {
  if (gRunning.load()) return;  // a check started since: its own report follows
  Outcome outcome;
  {
    std::lock_guard<std::mutex> guard(gLock);
    outcome = gOutcome;
    gOutcome = Outcome{};
  }
  if (!outcome.ready) return;
  if (gRestartQueued) {
    // The check that just ended was stopped for this one; its failure is
    // no news.
    (void)StartUpdateCheck();
    return;
  }
  if (gDialog == nullptr && outcome.popUp && gDialogProcedure != nullptr) {
    const HWND dialog = CreateDialogParamA(gApp.ResourceInstance(), MAKEINTRESOURCEA(IDD_UPDATE), nullptr,
                                           gDialogProcedure, kUpdateDialogModeless);
    if (dialog != nullptr) ShowWindow(dialog, SW_SHOW);
  }
  ShowStatus(outcome.status);
}

void SetUpdateDialogProcedure(DLGPROC procedure) noexcept { gDialogProcedure = procedure; }

void SetUpdateDialogWindow(HWND dialog) noexcept { gDialog = dialog; }

HWND UpdateDialogWindow() noexcept { return gDialog; }

void SetUpdateCheckEnvironment(const UpdateCheckEnvironment& environment) noexcept {
  gEnvironment.now = environment.now != nullptr ? environment.now : SystemLocalNow;
  gEnvironment.fetch = environment.fetch != nullptr ? environment.fetch : HttpFetch;
}
