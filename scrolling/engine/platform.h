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

  // Sets the system's wheel-scroll-lines value, saved and broadcast.
  virtual void SetSystemWheelScrollLines(std::int32_t lines) = 0;

  // The shared memory's back/forward flag (offset 24) that the hook library
  // reads before it subclasses a window for an application command.
  virtual void WriteBackFwdFlag(std::uint32_t value) = 0;

 protected:
  EnginePlatform() = default;
  EnginePlatform(const EnginePlatform&) = default;
  EnginePlatform& operator=(const EnginePlatform&) = default;
};
