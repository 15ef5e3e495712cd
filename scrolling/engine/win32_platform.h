// The engine's window-system operations on Win32, and the program-wide
// target selection that the main window, the drag, the wheel and the
// button handlers share.
#pragma once

#include <windows.h>

#include "hooklib/shared_memory.h"
#include "scrolling/engine/platform.h"
#include "scrolling/engine/scroll_drag.h"
#include "scrolling/engine/target_selector.h"
#include "scrolling/engine/wheel_engine.h"

class Win32EnginePlatform : public EnginePlatform {
 public:
  // sharedMemory may be null until start-up has created it; the flag is
  // then not written.
  explicit Win32EnginePlatform(SharedMemory* sharedMemory = nullptr) noexcept : shared_(sharedMemory) {}
  void SetSharedMemory(SharedMemory* sharedMemory) noexcept { shared_ = sharedMemory; }
  [[nodiscard]] SharedMemory* Shared() const noexcept { return shared_; }
  // Whether the hooks ask about wheel turns at all (some profile acts on
  // the wheel); the back/forward flag beside it stays.
  void SetWheelReported(bool reported) noexcept;

  bool GetCursorPosition(ScreenPoint& out) override;
  WindowId WindowAtPoint(ScreenPoint point) override;
  bool GetWindowProcessPath(WindowId window, char* buffer, std::size_t size) override;
  void GetWindowCaption(WindowId window, char* buffer, std::size_t size) override;
  void GetWindowClass(WindowId window, char* buffer, std::size_t size) override;
  void SetSystemWheelScrollLines(std::int32_t lines, WheelLinesScope scope) override;
  void WriteBackFwdFlag(std::uint32_t value) override;

  bool IsKeyDown(int virtualKey) override;
  bool WindowVisible(WindowId window) override;
  std::uint32_t WindowStyle(WindowId window) override;
  bool WindowRect(WindowId window, ScreenRect& out) override;
  WindowId ParentWindow(WindowId window) override;
  void ForEachChildWindow(WindowId parent, WindowVisitor& visitor) override;
  void CaptureMouse(WindowId window) override;
  void ReleaseMouseCapture() override;
  void MoveCursor(ScreenPoint point) override;
  void SetBlankCursors(bool restore) override;
  void InjectMouseEvent(std::uint32_t flags, std::uint32_t mark) override;
  std::intptr_t SendWindowMessage(WindowId window, std::uint32_t message, std::uintptr_t wParam,
                                  std::intptr_t lParam) override;
  void BringToForeground(WindowId window) override;
  void ActivateForInput(WindowId window) override;
  void SendKeyInputs(const KeyInput* inputs, std::size_t count) override;
  void RunProgram(WindowId parent, const char* program, const char* arguments) override;
  void ReportWheelSpeed(std::int32_t messagesPerSecond) override;

  // The settings dialog while it is open (null otherwise): it shows the
  // wheel speed measured last.
  void SetSettingsDialog(HWND dialog) noexcept { settingsDialog_ = dialog; }

  // A change of the wheel lines is announced to every window from this
  // window's queue (kWmAnnounceWheelLines posted to it, whose handler calls
  // AnnounceWheelLines), after the answer to the hooked program that caused
  // it; null: announced at once.
  void SetAnnouncementWindow(HWND window) noexcept { announceWindow_ = window; }
  void AnnounceWheelLines() noexcept;

  // From now on the system's wheel lines are left as they are (shut-down has
  // put them back); a change not yet announced is announced now.
  void FreezeWheelLines() noexcept;

 private:
  SharedMemory* shared_;
  HWND settingsDialog_ = nullptr;
  HWND announceWindow_ = nullptr;
  bool announcePending_ = false;
  bool wheelLinesFrozen_ = false;
};

// Sent to the settings dialog with the wheel speed in messages per second.
inline constexpr UINT kWmWheelSpeedReport = 0x8001;
// Posted to the announcement window: a change of the wheel lines waits to
// be announced.
inline constexpr UINT kWmAnnounceWheelLines = 0x8005;

[[nodiscard]] inline HWND ToHwnd(WindowId id) noexcept { return reinterpret_cast<HWND>(id); }
[[nodiscard]] inline WindowId ToWindowId(HWND hwnd) noexcept { return reinterpret_cast<WindowId>(hwnd); }

// The full image path of the window's process; false (and an empty buffer)
// when the process cannot be opened or queried.
bool GetWindowProcessPath(HWND window, char* buffer, DWORD size) noexcept;

// Brings the window's top-level window to the front unless the window or
// one of its parents already is the foreground window.
void BringToForeground(HWND window) noexcept;

// The program's platform and selection, living for the whole run.
Win32EnginePlatform& EnginePlatformInstance() noexcept;
TargetSelector& EngineTargetSelector() noexcept;

// The target window under the cursor with its profile selected (see
// TargetSelector); the cursor position goes to cursor when given.
HWND FindTargetWindow(POINT* cursor) noexcept;

// Forgets the cached target (the hooks were re-installed).
void ResetTargetCache() noexcept;

// Puts gOpt.bDisabled in force at once, whatever switched it: switched off,
// the user's wheel lines are back; switched on, the window under the cursor
// is selected anew.
void ApplyProgramSwitch() noexcept;

// The program's drag and wheel engines, living for the whole run.
ScrollEngine& EngineScrollDrag() noexcept;
WheelEngine& EngineWheel() noexcept;

// Start-up hands over the shared memory (null at shut-down) and notes
// whether the mouse buttons are swapped.
void SetEngineSharedMemory(SharedMemory* shared) noexcept;
void NoteButtonsSwapped() noexcept;

// The answers to the hook messages: 1 (or nonzero for an application
// command) swallows the input.
LRESULT HandleMouseEvent(UINT message) noexcept;
LRESULT HandleMouseWheel(UINT message, HWND window) noexcept;
LRESULT HandleAppCommand(UINT command, HWND window) noexcept;

// Activates window and types the hot-key value into it.
void SendKeyCombination(WORD hotKey, HWND window) noexcept;
// Starts "program arguments" (or "\"program path\" arguments").
void RunCommandLine(const char* text, HWND window) noexcept;
// Hides the system cursors, or puts them back when restore is set.
void SetBlankCursors(bool restore) noexcept;

// Reads the system's wheel-scroll-lines value for the options' defaults and
// for restoring it at shut-down; 3 when the query fails.
void SaveSystemWheelScrollLines() noexcept;
// Shut-down: puts back the value read at start-up if the program changed it,
// announces it at once, and keeps any later selection from changing it.
void RestoreWheelLinesForGood() noexcept;
