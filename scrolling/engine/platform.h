// What the scrolling engine needs from the window system, as one interface,
// so that the engine's decisions run and are tested without Windows. The
// Win32 implementation lives in win32_platform.*; tests use fakes.
//
// New engine parts add their operations here (key state, messages, input
// injection, capture, cursors, ...); every operation is a plain call that
// reports failure by its result and never throws.
#pragma once

#include <cstddef>
#include <cstdint>

// A window handle as a number (an HWND's value); 0 is no window.
using WindowId = std::uintptr_t;

struct ScreenPoint {
  std::int32_t x;
  std::int32_t y;
};

// A window rectangle in screen coordinates; right and bottom are exclusive.
struct ScreenRect {
  std::int32_t left;
  std::int32_t top;
  std::int32_t right;
  std::int32_t bottom;
};

// Whether a wheel-scroll-lines value goes into the user's profile.
enum class WheelLinesScope { kThisRun, kSaved };

// One keyboard event of a synthesized key combination.
struct KeyInput {
  std::uint8_t virtualKey;
  bool keyUp;
};

// Visits windows one at a time during an enumeration.
class WindowVisitor {
 public:
  virtual void Visit(WindowId window) = 0;

 protected:
  ~WindowVisitor() = default;
};

// Flags of an injected mouse event, as the system's mouse_event takes them.
inline constexpr std::uint32_t kMouseLeftDown = 0x0002;
inline constexpr std::uint32_t kMouseLeftUp = 0x0004;
inline constexpr std::uint32_t kMouseRightDown = 0x0008;
inline constexpr std::uint32_t kMouseRightUp = 0x0010;
inline constexpr std::uint32_t kMouseMiddleDown = 0x0020;
inline constexpr std::uint32_t kMouseMiddleUp = 0x0040;

inline constexpr unsigned kForeignSendTimeoutMs = 200;

inline constexpr std::size_t kWindowPathSize = 260;    // process image path
inline constexpr std::size_t kWindowTextSize = 64;     // caption and class name

class EnginePlatform {
 public:
  virtual ~EnginePlatform() = default;

  // The cursor position in screen coordinates; false when it cannot be read.
  [[nodiscard]] virtual bool GetCursorPosition(ScreenPoint& out) = 0;

  // The window under a screen point as the framework's window finding gives
  // it: not the root window, but the smallest visible window there. 0: none.
  [[nodiscard]] virtual WindowId WindowAtPoint(ScreenPoint point) = 0;

  // The full image path of the window's process into buffer (NUL-terminated,
  // cut to size). False, with an empty buffer, when the process cannot be
  // opened or queried.
  [[nodiscard]] virtual bool GetWindowProcessPath(WindowId window, char* buffer, std::size_t size) = 0;

  // Caption and class name, NUL-terminated and cut to size; empty on failure.
  virtual void GetWindowCaption(WindowId window, char* buffer, std::size_t size) = 0;
  virtual void GetWindowClass(WindowId window, char* buffer, std::size_t size) = 0;

  // Sets the system's wheel-scroll-lines value and broadcasts it. A value
  // kept for this run only is not written to the user's profile, so that a
  // program that is killed cannot leave it there for good.
  virtual void SetSystemWheelScrollLines(std::int32_t lines, WheelLinesScope scope) = 0;

  // The shared memory's back/forward flag (offset 24) that the hook library
  // reads before it subclasses a window for an application command.
  virtual void WriteBackFwdFlag(std::uint32_t value) = 0;

  // --- Drag, wheel and button actions ---

  // The key is down now (the top bit of the asynchronous key state).
  [[nodiscard]] virtual bool IsKeyDown(int virtualKey) = 0;

  // Window facts; a window that no longer exists reads as invisible, with
  // style 0, no rectangle and no parent.
  [[nodiscard]] virtual bool WindowVisible(WindowId window) = 0;
  [[nodiscard]] virtual std::uint32_t WindowStyle(WindowId window) = 0;
  [[nodiscard]] virtual bool WindowRect(WindowId window, ScreenRect& out) = 0;
  [[nodiscard]] virtual WindowId ParentWindow(WindowId window) = 0;

  // Every descendant of parent, in the system's order.
  virtual void ForEachChildWindow(WindowId parent, WindowVisitor& visitor) = 0;

  virtual void CaptureMouse(WindowId window) = 0;
  virtual void ReleaseMouseCapture() = 0;
  virtual void MoveCursor(ScreenPoint point) = 0;

  // Replaces the system cursors by a blank one, or puts the originals back.
  virtual void SetBlankCursors(bool restore) = 0;

  // Injects one mouse button event (kMouse* flags) into the system's input,
  // with mark as its extra information (the hook library tells given-back
  // clicks by it).
  virtual void InjectMouseEvent(std::uint32_t flags, std::uint32_t mark) = 0;

  // Sends a message to another program's window; a window that does not
  // answer within kForeignSendTimeoutMs (or hangs) gives 0.
  virtual std::intptr_t SendWindowMessage(WindowId window, std::uint32_t message, std::uintptr_t wParam,
                                          std::intptr_t lParam) = 0;

  // Brings the window's top-level window to the front unless the window or
  // one of its parents already is the foreground window.
  virtual void BringToForeground(WindowId window) = 0;

  // Makes the window's top-level window active and gives the window the
  // keyboard focus, so that synthesized keys reach it.
  virtual void ActivateForInput(WindowId window) = 0;
  virtual void SendKeyInputs(const KeyInput* inputs, std::size_t count) = 0;

  // Starts a program (no verb, shown normally) with window as the parent of
  // any message the shell shows.
  virtual void RunProgram(WindowId parent, const char* program, const char* arguments) = 0;

  // The wheel speed just measured, for the settings dialog when it is open.
  virtual void ReportWheelSpeed(std::int32_t messagesPerSecond) = 0;

 protected:
  EnginePlatform() = default;
  EnginePlatform(const EnginePlatform&) = default;
  EnginePlatform& operator=(const EnginePlatform&) = default;
};
