// The engine's window-system operations on Win32, and the program-wide
// target selection that the main window, the drag, the wheel and the
// button handlers share.
#pragma once

#include <windows.h>

#include "hooklib/shared_memory.h"
#include "scrolling/engine/platform.h"
#include "scrolling/engine/target_selector.h"

class Win32EnginePlatform : public EnginePlatform {
 public:
  // sharedMemory may be null until start-up has created it; the flag is
  // then not written.
  explicit Win32EnginePlatform(SharedMemory* sharedMemory = nullptr) noexcept : shared_(sharedMemory) {}
  void SetSharedMemory(SharedMemory* sharedMemory) noexcept { shared_ = sharedMemory; }

  bool GetCursorPosition(ScreenPoint& out) override;
  WindowId WindowAtPoint(ScreenPoint point) override;
  bool GetWindowProcessPath(WindowId window, char* buffer, std::size_t size) override;
  void GetWindowCaption(WindowId window, char* buffer, std::size_t size) override;
  void GetWindowClass(WindowId window, char* buffer, std::size_t size) override;
  void SetSystemWheelScrollLines(std::int32_t lines) override;
  void WriteBackFwdFlag(std::uint32_t value) override;

 private:
  SharedMemory* shared_;
};

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

// Reads the system's wheel-scroll-lines value for the options' defaults and
// for restoring it at shut-down; 3 when the query fails.
void SaveSystemWheelScrollLines() noexcept;
