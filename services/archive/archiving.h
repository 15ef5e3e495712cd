// The scheduled archive of the configuration: the settings record
// "(Orvo)Archive", the due test, the run on a worker thread and the pruning
// of the oldest archives.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "framework/store/record_forms.h"
#include "services/archive/archive_core.h"

// Reads "(Orvo)Archive" over the settings in memory (a missing or short file
// leaves what it does not cover) and applies the defaults.
void LoadArchiveSettings() noexcept;

// A copy of the settings in memory, and their replacement (memory only). The
// worker thread reads and updates them too, so they are never handed out by
// reference.
[[nodiscard]] ArchiveRecord GetArchiveSettings() noexcept;
void SetArchiveSettings(const ArchiveRecord& record) noexcept;

// The form of "(Orvo)Archive", by which start-up judges a temporary of it
// that a cut write left.
[[nodiscard]] const RecordForm& ArchiveRecordForm() noexcept;

// Writes the settings in memory to "(Orvo)Archive". False when it did not
// land; a failure is told to the user once a run (save_report.h).
[[nodiscard]] bool SaveArchiveSettings() noexcept;

// The fields that the archive dialog edits, taken from edited into the
// settings in memory: the kept number and both patterns, withSchedule also
// the switch and the interval. The last archive time stays what a run may
// have stored meanwhile. With save, the record is written in the same step,
// as the user's action: a failure is told to the user at once. False when it
// was to be written and did not land.
[[nodiscard]] bool TakeArchiveDialogFields(const ArchiveRecord& edited, bool withSchedule, bool save) noexcept;

// The daily due test: starts an archive run on the worker thread when
// automatic archiving is on and more than the interval has passed since the
// last archive, unless a run is in progress.
void ArchiveIfDue() noexcept;

// Results of a run.
inline constexpr std::uint32_t kArchiveDone = 0;
inline constexpr std::uint32_t kArchiveNoPath = 1;  // the path pattern is empty
inline constexpr std::uint32_t kArchiveFailed = 2;  // an expansion, the archive or its check failed
inline constexpr std::uint32_t kArchiveBusy = 3;    // refused: another run is in progress

// Posted to the archive dialog when a run started for it has ended, if a
// dialog is open then; wParam is the run's result.
inline constexpr UINT kArchiveFinishedMessage = WM_APP + 0x1A0;

// The open archive dialog: set by the dialog, and cleared before it goes,
// so that a run never reports to a window that no longer exists.
void SetArchiveDialogWindow(HWND dialog) noexcept;
[[nodiscard]] HWND ArchiveDialogWindow() noexcept;

// Main thread only. Starts a run on a new thread; forDialog: its end is
// reported to the archive dialog. False, with nothing started, when a run is
// in progress or no thread can be made. The caller never waits for the run.
[[nodiscard]] bool StartArchiveRun(bool forDialog) noexcept;

// One run on the calling thread, for callers that want its result at once:
// kArchiveBusy when another run is in progress.
[[nodiscard]] std::uint32_t RunArchiveNow() noexcept;

[[nodiscard]] bool IsArchiveRunning() noexcept;

// Shut-down, main thread only: tells a run in progress to stop at its next
// step (an archive it has not yet put in place is dropped), and waits for
// the worker until the tick count untilTick at the latest. True when no
// worker is left.
void CancelArchiveRun() noexcept;
[[nodiscard]] bool WaitForArchiveRun(DWORD untilTick) noexcept;

// The worker thread's procedure; its parameter is non-null when the run was
// started for the dialog. Started only by StartArchiveRun, which has claimed
// the run for it.
DWORD WINAPI ArchiveConfigurationThread(void* forDialog);

// Replaces the path tokens (%PROGRAM%, %YEAR%, ...) of pattern, then its
// environment variables, into out. False when any step fails, an expansion
// that does not fit included: out is then no usable path.
[[nodiscard]] bool ExpandPathTokens(const char* pattern, char* out, std::size_t capacity) noexcept;

// The folder of the scheduled archives from the archive settings "(Orvo)Archive"
// (their default when there are none), its date and time part left out (see
// CutToFixedFolder). Empty when it names no absolute folder: a restore then
// has no archive folder to spare.
void GetScheduledArchiveFolder(char* out, std::size_t capacity) noexcept;

// What a run takes from the system; tests set a clock and an archive writer
// of their own. A null member keeps the system's.
struct ArchiveEnvironment {
  std::int64_t (*utcNow)() noexcept;                  // seconds since 1970
  void (*localNow)(ArchiveDateTime* out) noexcept;    // for the tokens
  // 0 done, 5 some files missing; a writer that can stop early does so
  // once *cancel is set.
  std::uint32_t (*writeArchive)(const char* target, bool withRecords, const std::atomic<bool>* cancel) noexcept;
};
// Set before any run starts.
void SetArchiveEnvironment(const ArchiveEnvironment& environment) noexcept;
