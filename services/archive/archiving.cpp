#include "services/archive/archiving.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <utility>

#include "framework/app/save_report.h"
#include "framework/object/application.h"
#include "framework/store/config_backup.h"
#include "framework/store/config_file.h"
#include "framework/text/text_table.h"
#include "framework/util/file_replace.h"
#include "framework/util/files.h"
#include "framework/util/grow_array.h"
#include "framework/util/text_util.h"
#include "framework/util/win_handles.h"
#include "services/archive/archive_folder.h"
#include "services/archive/file_finder.h"
#include "zip/win32/zip_win32.h"

namespace {

constexpr char kArchiveRecordName[] = "(Orvo)Archive";
// The archive texts' text for a record that was not saved.
constexpr unsigned kArchiveTexts = 0xF00F;
constexpr unsigned kTextSettingsNotSaved = 6;
constexpr std::size_t kExpansionLimit = 2048;
// The archive writer's results that leave an archive (config_backup.h).
constexpr std::uint32_t kWrittenWhole = 0;
constexpr std::uint32_t kWrittenWithoutSomeFiles = 5;

// The record is shared by the main thread (due tests, the dialog) and the
// worker. Its file is written without the lock (CRecordWrite): the main
// thread never waits on the lock for the worker's write of a file that
// another program holds; a save of the dialog that is handed to that write
// waits for its result, as long as the write's retries take at most.
std::mutex gRecordLock;
ArchiveRecord gArchiveRecord{};
// One run at a time: claimed by whoever starts a run, released at its end.
std::atomic<bool> gArchiveRunning{false};
// Set at shut-down: the run stops at its next step.
std::atomic<bool> gCancel{false};
// The last worker started, kept for shut-down to wait for (main thread).
CKernelHandle gWorker;
// The worker reports under the lock, and the dialog clears its handle under
// it: once cleared, nothing is posted to that window any more.
std::mutex gDialogLock;
HWND gArchiveDialog = nullptr;

bool IsAbsolute(const char* path) noexcept {
  return (path[0] != '\0' && path[1] == ':' && path[2] == '\\') || (path[0] == '\\' && path[1] == '\\');
}

// The tokens that stay the same for the whole run; version receives the
// version's text.
ArchiveTokenValues FixedTokenValues(char (&version)[40]) noexcept {
  std::snprintf(version, sizeof version, "%u.%u.%u", gApp.versionMajor, gApp.versionMinor, gApp.versionBuild);
  return ArchiveTokenValues{gApp.appName, ConfigDirToken(gApp.install.dataPath, gApp.dataFolder), version};
}

std::int64_t SystemUtcNow() noexcept {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const std::uint64_t ticks = (std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime;
  constexpr std::uint64_t kTicksPerSecond = 10000000;
  constexpr std::uint64_t kUnixEpochSeconds = 11644473600;  // 1601-01-01 to 1970-01-01
  return static_cast<std::int64_t>(ticks / kTicksPerSecond) - static_cast<std::int64_t>(kUnixEpochSeconds);
}

void SystemLocalNow(ArchiveDateTime* out) noexcept {
  SYSTEMTIME t;
  GetLocalTime(&t);
  *out = ArchiveDateTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

// The framework's writer packs a few small records and has no way to stop.
std::uint32_t SystemWriteArchive(const char* target, bool withRecords, const std::atomic<bool>*) noexcept {
  return WriteConfigurationArchive(target, withRecords);
}

ArchiveEnvironment gEnvironment{SystemUtcNow, SystemLocalNow, SystemWriteArchive};

// Under gRecordLock: the record as it is now, for write.Finish() once the
// lock is released.
bool StageRecordLocked(CRecordWrite& write) noexcept {
  return write.Stage(kArchiveRecordName, -1, &gArchiveRecord, sizeof gArchiveRecord, 0);
}

// A record write that was not staged failed for the thread's last error.
RecordWriteStatus StagingFailed() noexcept {
  return RecordWriteStatus{RecordWriteOutcome::kFailed, GetLastError()};
}

// A write that does not land is told to the user (save_report.h).
bool Told(const RecordWriteStatus& status, SaveOccasion occasion) noexcept {
  ReportRecordWrite(status, kArchiveRecordName, -1, 0, occasion, GetText(kArchiveTexts, kTextSettingsNotSaved));
  return status.Landed();
}

// An archive counts as made only when it can be listed and every entry reads
// back with its CRC-32 matching.
bool ArchiveReadsBack(const char* path) noexcept {
  ZipHandle* zip = OpenZipFile(path, nullptr);
  if (zip == nullptr) return false;
  ZipEntryInfo info{};
  bool ok = GetZipEntry(zip, -1, &info) == kZipOk && info.index > 0;
  const int count = ok ? info.index : 0;
  static char buffer[64 * 1024];  // the worker is the only reader: one run at a time
  for (int i = 0; ok && i < count && !gCancel.load(); ++i) {
    ok = GetZipEntry(zip, i, &info) == kZipOk;
    if (!ok || (info.attributes & kZipAttrDirectory) != 0) continue;
    ZipResult r;
    do {
      r = UnzipEntryToMemory(zip, i, buffer, sizeof buffer, nullptr);
    } while (r == kZipMoreData);
    ok = r == kZipOk;
  }
  CloseZip(zip);
  return ok;
}

std::uint64_t FileTimeValue(const FILETIME& t) noexcept {
  return (std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime;
}

// The full path of path, "." and ".." resolved, so that two names of one
// file compare equal. False when it does not fit.
bool FullPathOf(const char* path, char (&out)[MAX_PATH]) noexcept {
  const DWORD length = GetFullPathNameA(path, MAX_PATH, out, nullptr);
  if (length == 0 || length >= MAX_PATH) {
    out[0] = '\0';
    return false;
  }
  return true;
}

// The full path of the restore staged for the next start; empty when there
// is none to name.
void StagedRestorePath(char (&out)[MAX_PATH]) noexcept {
  char staged[MAX_PATH];
  if (!ComposeStagedRestorePath(staged, sizeof staged, gApp.dataFolder, gApp.appName) || !FullPathOf(staged, out)) {
    out[0] = '\0';
  }
}

// Deletes the oldest archives of folder (a full path ending in "\") beyond
// keepCount: files "*.BrindlexConfig" whose names hold the product name,
// never the staged restore, which may lie there when the folder is the data
// folder. The archive just made is never deleted, whatever the creation
// times claim.
void PruneArchives(const char* folder, std::int32_t keepCount, const char* justMade) noexcept {
  CFileFinder finder{};
  if (!InitFileFinder(finder, "%s*.%s", folder, kArchiveExtension)) return;
  char staged[MAX_PATH];
  StagedRestorePath(staged);
  CGrowArray<ArchiveListEntry> list;
  while (FindNextMatch(finder)) {
    if ((finder.findData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    ArchiveListEntry entry{};
    if (!CopyText(entry.path, sizeof entry.path, GetFoundFilePath(finder)) || entry.path[0] == '\0') continue;
    if (!IsPrunableArchive(entry.path, gApp.appName, staged)) continue;
    entry.creationTime = FileTimeValue(finder.findData.ftCreationTime);
    const std::size_t at = NewestFirstPosition(list.Data(), static_cast<std::size_t>(list.Count()), entry.creationTime);
    (void)list.InsertItems(&entry, static_cast<std::int32_t>(at), 1);
  }
  (void)CloseFileFinder(finder);
  for (std::int32_t i = keepCount; i < list.Count() && !gCancel.load(); ++i) {
    if (EqualNoCase(list[i].path, justMade)) continue;
    (void)DeleteFileA(list[i].path);
  }
}

// A complete archive waits out a reader of the one it replaces (a backup or
// sync tool); an incomplete one only ever takes a free name.
bool PutArchiveInPlace(const char* temp, const char* path, bool complete) noexcept {
  if (complete) return ReplaceFileRetrying(temp, path);
  return MoveFileExA(temp, path, MOVEFILE_WRITE_THROUGH) != FALSE;
}

// Writes the archive beside path under a name of its own and puts it in
// place only once it reads back: a complete archive replaces an older one of
// its name, one that misses some files only takes a free name, and nothing
// else ever replaces what lies there. True when a complete archive is there.
bool WriteArchiveInPlace(const char* path) noexcept {
  char temp[MAX_PATH];
  if (gCancel.load() || !ReserveTempFileBeside(path, temp, sizeof temp)) return false;
  const std::uint32_t written = gEnvironment.writeArchive(temp, true, &gCancel);
  const bool complete = written == kWrittenWhole;
  const bool readable = (complete || written == kWrittenWithoutSomeFiles) && ArchiveReadsBack(temp);
  if (!readable || gCancel.load() || !PutArchiveInPlace(temp, path, complete)) {
    (void)DeleteFileA(temp);
    return false;
  }
  return complete;
}

std::uint32_t MakeArchive() noexcept {
  const ArchiveRecord settings = GetArchiveSettings();
  if (settings.pathPattern[0] == '\0') return kArchiveNoPath;
  char expanded[MAX_PATH];
  char folder[MAX_PATH];
  if (!ExpandPathTokens(settings.pathPattern, expanded, sizeof expanded) || expanded[0] == '\0' ||
      !FullPathOf(expanded, folder)) {
    return kArchiveFailed;
  }
  AddTrailingBackslash(folder, sizeof folder);
  if (folder[std::strlen(folder) - 1] != '\\') return kArchiveFailed;
  (void)CreateDirectoryPath(folder, 1);
  char name[MAX_PATH];
  char path[MAX_PATH];
  char staged[MAX_PATH];
  StagedRestorePath(staged);
  // The staged restore is no archive of the schedule: writing over it would
  // make the next start restore today's configuration instead.
  if (!ExpandPathTokens(settings.namePattern, name, sizeof name) || name[0] == '\0' ||
      !ComposeArchivePath(path, sizeof path, folder, name) || EqualNoCase(path, staged)) {
    return kArchiveFailed;
  }
  if (!WriteArchiveInPlace(path)) return kArchiveFailed;
  CRecordWrite write;
  bool recordStaged = false;
  {
    std::lock_guard<std::mutex> guard(gRecordLock);
    gArchiveRecord.lastArchiveTime = ArchiveDayOf(gEnvironment.utcNow());
    recordStaged = StageRecordLocked(write);
  }
  (void)Told(recordStaged ? write.Finish() : StagingFailed(), SaveOccasion::kBackground);
  PruneArchives(folder, settings.keepCount, path);
  return kArchiveDone;
}

[[nodiscard]] bool ClaimRun() noexcept {
  bool idle = false;
  if (!gArchiveRunning.compare_exchange_strong(idle, true)) return false;
  gCancel.store(false);
  return true;
}

}  // namespace

void LoadArchiveSettings() noexcept {
  std::lock_guard<std::mutex> guard(gRecordLock);
  // While a write is on its way the file is older than the settings here.
  // No new one can start meanwhile: it is staged under the lock.
  if (!CRecordWrite::IsUnderWay(kArchiveRecordName, -1, 0)) {
    (void)ReadConfigFile(kArchiveRecordName, -1, &gArchiveRecord, sizeof gArchiveRecord, 0);
  }
  ApplyArchiveDefaults(gArchiveRecord);
}

ArchiveRecord GetArchiveSettings() noexcept {
  std::lock_guard<std::mutex> guard(gRecordLock);
  return gArchiveRecord;
}

void SetArchiveSettings(const ArchiveRecord& record) noexcept {
  std::lock_guard<std::mutex> guard(gRecordLock);
  gArchiveRecord = record;
}

const RecordForm& ArchiveRecordForm() noexcept {
  static constexpr RecordForm kForm{kArchiveRecordName, RecordFormKind::kFixedSize, sizeof(ArchiveRecord), false};
  return kForm;
}

bool SaveArchiveSettings() noexcept {
  CRecordWrite write;
  {
    std::lock_guard<std::mutex> guard(gRecordLock);
    if (!StageRecordLocked(write)) return Told(StagingFailed(), SaveOccasion::kBackground);
  }
  return Told(write.Finish(), SaveOccasion::kBackground);
}

bool TakeArchiveDialogFields(const ArchiveRecord& edited, bool withSchedule, bool save) noexcept {
  CRecordWrite write;
  {
    std::lock_guard<std::mutex> guard(gRecordLock);
    if (withSchedule) {
      gArchiveRecord.enabled = edited.enabled;
      gArchiveRecord.intervalDays = edited.intervalDays;
    }
    gArchiveRecord.keepCount = edited.keepCount;
    std::memcpy(gArchiveRecord.pathPattern, edited.pathPattern, sizeof gArchiveRecord.pathPattern);
    std::memcpy(gArchiveRecord.namePattern, edited.namePattern, sizeof gArchiveRecord.namePattern);
    if (!save) return true;
    if (!StageRecordLocked(write)) return Told(StagingFailed(), SaveOccasion::kUserAction);
  }
  return Told(write.Finish(), SaveOccasion::kUserAction);
}

void ArchiveIfDue() noexcept {
  LoadArchiveSettings();
  if (IsArchiveDue(GetArchiveSettings(), gEnvironment.utcNow())) (void)StartArchiveRun(false);
}

void SetArchiveDialogWindow(HWND dialog) noexcept {
  std::lock_guard<std::mutex> guard(gDialogLock);
  gArchiveDialog = dialog;
}

HWND ArchiveDialogWindow() noexcept {
  std::lock_guard<std::mutex> guard(gDialogLock);
  return gArchiveDialog;
}

bool StartArchiveRun(bool forDialog) noexcept {
  if (!ClaimRun()) return false;
  // The parameter only says whether the run reports: which dialog hears of
  // it is looked up at its end.
  void* parameter = forDialog ? &gArchiveDialog : nullptr;
  CKernelHandle thread(CreateThread(nullptr, 0, ArchiveConfigurationThread, parameter, 0, nullptr));
  if (!thread) {
    gArchiveRunning.store(false);
    return false;
  }
  gWorker = std::move(thread);
  return true;
}

std::uint32_t RunArchiveNow() noexcept {
  if (!ClaimRun()) return kArchiveBusy;
  const std::uint32_t result = MakeArchive();
  gArchiveRunning.store(false);
  return result;
}

bool IsArchiveRunning() noexcept { return gArchiveRunning.load(); }

void CancelArchiveRun() noexcept { gCancel.store(true); }

bool WaitForArchiveRun(DWORD untilTick) noexcept {
  return WaitAndReleaseUntil(gWorker, untilTick);
}

DWORD WINAPI ArchiveConfigurationThread(void* forDialog) {
  const std::uint32_t result = MakeArchive();
  // Released before the report, so that its receiver may start the next run.
  gArchiveRunning.store(false);
  if (forDialog != nullptr) {
    std::lock_guard<std::mutex> guard(gDialogLock);
    if (gArchiveDialog != nullptr) (void)PostMessageA(gArchiveDialog, kArchiveFinishedMessage, result, 0);
  }
  return result;
}

void SetArchiveEnvironment(const ArchiveEnvironment& environment) noexcept {
  gEnvironment.utcNow = environment.utcNow != nullptr ? environment.utcNow : SystemUtcNow;
  gEnvironment.localNow = environment.localNow != nullptr ? environment.localNow : SystemLocalNow;
  gEnvironment.writeArchive = environment.writeArchive != nullptr ? environment.writeArchive : SystemWriteArchive;
}

bool ExpandPathTokens(const char* pattern, char* out, std::size_t capacity) noexcept {
  if (out == nullptr || capacity == 0) return false;
  out[0] = '\0';
  if (pattern == nullptr) return false;
  const std::size_t size = capacity < kExpansionLimit ? capacity : kExpansionLimit;
  char work[kExpansionLimit];
  if (!CopyText(work, size, pattern)) return false;
  char version[40];
  const ArchiveTokenValues values = FixedTokenValues(version);
  ArchiveDateTime now{};
  gEnvironment.localNow(&now);
  if (!ReplaceArchiveTokens(work, size, values, now)) return false;
  const DWORD length = ExpandEnvironmentStringsA(work, out, static_cast<DWORD>(size));
  if (length == 0 || length > size) {
    out[0] = '\0';
    return false;
  }
  return true;
}

void GetScheduledArchiveFolder(char* out, std::size_t capacity) noexcept {
  if (out == nullptr || capacity == 0) return;
  out[0] = '\0';
  // The path pattern leads the record; a missing or short record leaves it empty.
  char pattern[sizeof ArchiveRecord::pathPattern] = {};
  (void)ReadConfigFile(kArchiveRecordName, -1, pattern, sizeof pattern - 1, 0);
  if (pattern[0] == '\0') (void)CopyText(pattern, sizeof pattern, kDefaultArchivePathPattern);
  char version[40];
  const ArchiveTokenValues values = FixedTokenValues(version);
  char folder[MAX_PATH];
  if (!CopyText(folder, sizeof folder, pattern) || !ReplaceFixedArchiveTokens(folder, sizeof folder, values)) {
    return;
  }
  char expanded[MAX_PATH];
  const DWORD length = ExpandEnvironmentStringsA(folder, expanded, sizeof expanded);
  if (length == 0 || length > sizeof expanded) return;
  CutToFixedFolder(expanded);
  if (IsAbsolute(expanded)) (void)CopyText(out, capacity, expanded);
}
