#include "services/archive/archiving.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "framework/app/application.h"
#include "framework/store/config_backup.h"
#include "framework/store/config_file.h"
#include "framework/util/files.h"
#include "framework/util/grow_array.h"
#include "framework/util/text_util.h"
#include "services/archive/archive_folder.h"
#include "services/archive/file_finder.h"
#include "zip/win32/zip_win32.h"

namespace {

constexpr char kArchiveRecordName[] = "(Orvo)Archive";
constexpr std::size_t kExpansionLimit = 2048;

// The record is shared by the main thread (due tests, the dialog) and the
// worker; the lock also keeps their writes of the record file apart, since
// both would use the same temporary name.
std::mutex gRecordLock;
ArchiveRecord gArchiveRecord{};
// One run at a time: claimed by whoever starts a run, released at its end.
std::atomic<bool> gArchiveRunning{false};

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

std::uint32_t SystemWriteArchive(const char* target, bool withRecords) noexcept {
  return WriteConfigurationArchive(target, withRecords);
}

ArchiveEnvironment gEnvironment{SystemUtcNow, SystemLocalNow, SystemWriteArchive};

bool WriteRecordLocked() noexcept {
  return WriteConfigFile(kArchiveRecordName, -1, &gArchiveRecord, sizeof gArchiveRecord, 0) == sizeof gArchiveRecord;
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
  for (int i = 0; ok && i < count; ++i) {
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

// Deletes the oldest archives of folder (ending in "\") beyond keepCount:
// files "*.BrindlexConfig" whose names hold the product name. The archive
// just made is never deleted, whatever the creation times claim.
void PruneArchives(const char* folder, std::int32_t keepCount, const char* justMade) noexcept {
  CFileFinder finder{};
  if (!InitFileFinder(finder, "%s*.%s", folder, kArchiveExtension)) return;
  CGrowArray<ArchiveListEntry> list;
  while (FindNextMatch(finder)) {
    if ((finder.findData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    if (FindNoCase(finder.findData.cFileName, gApp.appName) == nullptr) continue;
    ArchiveListEntry entry{};
    if (!CopyText(entry.path, sizeof entry.path, GetFoundFilePath(finder)) || entry.path[0] == '\0') continue;
    entry.creationTime = FileTimeValue(finder.findData.ftCreationTime);
    const std::size_t at = NewestFirstPosition(list.Data(), static_cast<std::size_t>(list.Count()), entry.creationTime);
    (void)list.InsertItems(&entry, static_cast<std::int32_t>(at), 1);
  }
  (void)CloseFileFinder(finder);
  for (std::int32_t i = keepCount; i < list.Count(); ++i) {
    if (EqualNoCase(list[i].path, justMade)) continue;
    (void)DeleteFileA(list[i].path);
  }
}

std::uint32_t MakeArchive() noexcept {
  const ArchiveRecord settings = GetArchiveSettings();
  if (settings.pathPattern[0] == '\0') return kArchiveNoPath;
  char folder[MAX_PATH];
  if (!ExpandPathTokens(settings.pathPattern, folder, sizeof folder) || folder[0] == '\0') return kArchiveFailed;
  AddTrailingBackslash(folder, sizeof folder);
  if (folder[std::strlen(folder) - 1] != '\\') return kArchiveFailed;
  (void)CreateDirectoryPath(folder, 1);
  char name[MAX_PATH];
  char path[MAX_PATH];
  if (!ExpandPathTokens(settings.namePattern, name, sizeof name) || name[0] == '\0' ||
      !ComposeArchivePath(path, sizeof path, folder, name)) {
    return kArchiveFailed;
  }
  if (gEnvironment.writeArchive(path, true) != 0 || !ArchiveReadsBack(path)) return kArchiveFailed;
  {
    std::lock_guard<std::mutex> guard(gRecordLock);
    gArchiveRecord.lastArchiveTime = ArchiveDayOf(gEnvironment.utcNow());
    (void)WriteRecordLocked();
  }
  PruneArchives(folder, settings.keepCount, path);
  return kArchiveDone;
}

[[nodiscard]] bool ClaimRun() noexcept {
  bool idle = false;
  return gArchiveRunning.compare_exchange_strong(idle, true);
}

}  // namespace

void LoadArchiveSettings() noexcept {
  std::lock_guard<std::mutex> guard(gRecordLock);
  (void)ReadConfigFile(kArchiveRecordName, -1, &gArchiveRecord, sizeof gArchiveRecord, 0);
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

bool SaveArchiveSettings() noexcept {
  std::lock_guard<std::mutex> guard(gRecordLock);
  return WriteRecordLocked();
}

void ArchiveIfDue() noexcept {
  LoadArchiveSettings();
  if (IsArchiveDue(GetArchiveSettings(), gEnvironment.utcNow())) (void)StartArchiveRun(nullptr);
}

bool StartArchiveRun(HWND notify) noexcept {
  if (!ClaimRun()) return false;
  HANDLE thread = CreateThread(nullptr, 0, ArchiveConfigurationThread, notify, 0, nullptr);
  if (thread == nullptr) {
    gArchiveRunning.store(false);
    return false;
  }
  CloseHandle(thread);
  return true;
}

std::uint32_t RunArchiveNow() noexcept {
  if (!ClaimRun()) return kArchiveBusy;
  const std::uint32_t result = MakeArchive();
  gArchiveRunning.store(false);
  return result;
}

bool IsArchiveRunning() noexcept { return gArchiveRunning.load(); }

DWORD WINAPI ArchiveConfigurationThread(void* notify) {
  const std::uint32_t result = MakeArchive();
  // Released before the report, so that its receiver may start the next run.
  gArchiveRunning.store(false);
  if (notify != nullptr) (void)PostMessageA(static_cast<HWND>(notify), kArchiveFinishedMessage, result, 0);
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
