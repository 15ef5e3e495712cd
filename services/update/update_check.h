// The scheduled check for a newer version of the program: the record
// "(Orvo)UpdateCheck", the due test, one check at a time on a worker thread,
// and its news handed to the main thread, which owns every window of it.
//
// The main thread answers the mouse hooks of the whole desktop, so nothing
// here makes it wait for the worker: the worker posts that it has ended, and
// the main thread reads the result and shows it.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "framework/store/record_forms.h"

// In services/update/update_logic.h, which this header leaves out: its
// names would meet the archiving's where both are handed to the framework
// (services/scheduled_services.cpp).
struct UpdateCheckRecord;

// The daily due test (start-up and every 24th tick of the hidden window's
// hourly timer): reads the record and starts a check when it is switched on
// and more than its interval has passed since the last check.
void CheckForUpdateIfDue() noexcept;

// StartUpdateCheck's results.
inline constexpr int kUpdateCheckStarted = 0;
inline constexpr int kUpdateCheckQueued = 1;    // a check was running: see StartUpdateCheck
inline constexpr int kUpdateCheckNoThread = 3;  // no worker thread could be made

// Main thread only. Starts a check on a new worker thread and returns at
// once. While a check runs, that one is told to stop and a fresh check is
// started as soon as it has ended (kUpdateCheckQueued): the caller never
// waits, and the stopped check's failure is never shown.
[[nodiscard]] int StartUpdateCheck() noexcept;

// Main thread only. Tells a running check to stop at its next test of the
// cancel byte and drops a queued one; returns at once. The stopped check
// leaves the record as it was.
void CancelUpdateCheck() noexcept;

[[nodiscard]] bool IsUpdateCheckRunning() noexcept;

// Shut-down, main thread only, after CancelUpdateCheck: waits for the
// worker until the tick count untilTick at the latest. True when no worker
// is left.
[[nodiscard]] bool WaitForUpdateCheck(DWORD untilTick) noexcept;

// The worker; its parameter is the window that hears of its end (the hidden
// application window). Started only by StartUpdateCheck.
DWORD WINAPI UpdateCheckThread(void* notify);

// The form of the record, by which start-up judges a temporary of it that
// a cut write left.
[[nodiscard]] const RecordForm& UpdateCheckRecordForm() noexcept;

// The record in memory, shared by the main thread and the worker under a
// lock. Load reads the file over it and normalises it; both return a copy.
UpdateCheckRecord LoadUpdateCheckRecord() noexcept;
[[nodiscard]] UpdateCheckRecord GetUpdateCheckRecord() noexcept;

// The dialog's settings into the record (interval clamped to 7..9999), the
// record written and read back normalised. False when it did not land: a
// failure is told to the user at once, as the answer to their OK.
[[nodiscard]] bool SaveUpdateCheckSettings(bool enabled, int intervalDays) noexcept;

// Posted by the worker to the window it was given when it has ended. It
// carries nothing: the result waits under the lock, so the same message
// posted by anyone else finds none and does nothing. The hidden application
// window hands it to OnUpdateCheckFinished.
inline constexpr UINT kUpdateCheckFinishedMessage = WM_APP + 0x1A1;
void OnUpdateCheckFinished() noexcept;

// Sent by the main thread to the open update dialog: wParam is the status
// text to show (an index of text 0xF00C); for a finished check (found newer
// or not) the dialog also shows the stored reply and the "Update" button.
inline constexpr UINT kUpdateCheckNewsMessage = WM_APP + 0x1A2;

// Status texts, indexes of text 0xF00C.
inline constexpr unsigned kUpdateTexts = 0xF00C;
inline constexpr unsigned kUpdateStatusLastCheck = 0;
inline constexpr unsigned kUpdateStatusChecking = 1;
inline constexpr unsigned kUpdateStatusDownloadError = 2;
inline constexpr unsigned kUpdateStatusFormatError = 3;
inline constexpr unsigned kUpdateStatusNewer = 4;
inline constexpr unsigned kUpdateStatusNoUpdate = 5;
inline constexpr unsigned kUpdateStatusNoThread = 6;
inline constexpr unsigned kUpdateTextTitle = 11;

// The update dialog (resource 50101), which a check that finds a newer
// version than the one stored opens modeless when none is open: the product
// hands its procedure over, since the framework cannot link the dialog. Null
// (the default) opens none.
void SetUpdateDialogProcedure(DLGPROC procedure) noexcept;
// The lParam of a dialog opened that way.
inline constexpr LPARAM kUpdateDialogModeless = 2;

// The open update dialog (main thread only): set and cleared by the dialog.
void SetUpdateDialogWindow(HWND dialog) noexcept;
[[nodiscard]] HWND UpdateDialogWindow() noexcept;

// What a check takes from the system; tests set their own. A null member
// keeps the system's.
struct UpdateCheckEnvironment {
  // The user's local wall clock in seconds since 1970: the stored day is the
  // user's date, and the due test counts on the same clock.
  std::int64_t (*now)() noexcept;
  // GETs url into reply (at most capacity bytes, the length in *length); a
  // nonzero cancel byte stops it. 0 when the whole reply arrived, else the
  // HTTP client's error.
  int (*fetch)(const char* url, const std::atomic<std::uint8_t>* cancel, char* reply, std::size_t capacity,
               std::size_t* length) noexcept;
};
// Set while no check runs.
void SetUpdateCheckEnvironment(const UpdateCheckEnvironment& environment) noexcept;
