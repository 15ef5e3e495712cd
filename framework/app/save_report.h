// Telling the user that a save of what they set did not land: the file's
// path and the system's reason in the framework's message box, at the times
// that save_report_core.h gives. Callable from any thread: a report that is
// not shown at once is handed to the main thread's message loop through the
// hidden application window.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "framework/app/message_box_core.h"
#include "framework/app/save_report_core.h"
#include "framework/store/config_file.h"

// The framework's text for its own records: the path and the reason as two
// %s.
inline constexpr unsigned kRecordNotSavedText = 0xF011;
inline constexpr std::uint32_t kSaveFailedBoxFlags = kMsgBoxError | kMsgBoxOk | kMsgBoxBoldFirstLine;

// format: a text of the caller's own table with two %s, the file's path and
// the system's reason for error (null: the framework's text). It must live
// as long as the program, as the text tables do.
void ReportFailedSave(const char* format, const char* path, std::uint32_t error, SaveOccasion occasion) noexcept;

// A record of a data folder (as BuildConfigFilePath names it) whose write
// failed; nothing for one that landed or was left to a write under way
// below the caller, which reports it itself.
void ReportRecordWrite(const RecordWriteStatus& status, const char* name, int index, int allUsers,
                       SaveOccasion occasion, const char* format = nullptr) noexcept;

// The system's text for an error code on one line, into out.
void SystemErrorText(std::uint32_t error, char* out, std::size_t capacity) noexcept;

// The program quits or the session ends: nothing is shown from now on, also
// of what was handed to the loop.
void QuietSaveReports() noexcept;

// The hidden application window's, on WM_FW_SAVEFAILED and once it is made:
// shows the reports handed to the loop.
void ShowPendingSaveReports() noexcept;
[[nodiscard]] bool HasPendingSaveReports() noexcept;
