// A framework window: the framework's top-level window of class
// "OrvoWindow", with its saved placement "(Orvo)Win<id>", four dock bays
// along its edges, the window menu and the status texts.
//
// The product does not subclass it in the usual way: it hands its own window
// procedure to CreateFrameWindow, which installs it as the window's
// procedure. That procedure sees every message first and passes each one that
// it does not consume on to FrameDefaultProc (never to DefWindowProcA
// itself); FrameWndProc ends in DefWindowProcA.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/base/framework_messages.h"
#include "framework/ui/frame_core.h"
#include "framework/util/grow_array.h"
#include "framework/util/win_handles.h"

class CDockBay;
class CUIItem;

// The client size of a window; 0 for no window.
inline int ClientWidth(HWND window) noexcept {
  RECT r{};
  return window != nullptr && GetClientRect(window, &r) ? r.right - r.left : 0;
}
inline int ClientHeight(HWND window) noexcept {
  RECT r{};
  return window != nullptr && GetClientRect(window, &r) ? r.bottom - r.top : 0;
}

class CFrameWindow {
 public:
  CFrameWindow() noexcept { InitFrameRecord(); }
  ~CFrameWindow() { DestroyFrame(); }
  CFrameWindow(const CFrameWindow&) = delete;
  CFrameWindow& operator=(const CFrameWindow&) = delete;

  HWND window = nullptr;
  HWND busyOverlay = nullptr;  // child "OrvoBusy" while a modal dialog runs
  HWND focusWindow = nullptr;  // the child that had the focus when the window was last deactivated
  std::uint16_t id = kNoFrameId;
  std::uint32_t flags = 0;
  RECT innerClient{};  // what the dock bays leave of the client area
  RECT placement{};    // the normal rectangle, screen coordinates; what the record keeps
  RECT moveRect{};     // the window rectangle after the last move or size
  std::uint16_t statusCommandId = 0xFFFF;
  std::uint8_t styleChanging = 0;  // moves and sizes leave the placement alone meanwhile
  int minTrackWidth = kFrameMinTrackWidth;
  int minTrackHeight = kFrameMinTrackHeight;
  CIconHandle trayIcon;  // the icon of the tray icon carrying this window's id
  int transparency = 0;  // 0, 10, ..., 90
  std::uint8_t ghostMode = 0;  // with a transparency, clicks go through
  int dpi = 0;  // 0 until the window is first shown
  std::uint16_t windowMenu[kWindowMenuSize] = {kMenuListEnd};
  CGrowArray<CDockBay*> dockBays;  // index = side
  CGrowArray<StatusEntry> statusTexts;
  CKernelHandle statusLock;
  CUIItem* openPopup = nullptr;  // the popup menu open over this window

  // Every field back to its empty state: id and status command none, the
  // minimum tracking size, grow step -1 for both arrays.
  void InitFrameRecord() noexcept;

  // Creates the window (hidden). 0 in x, y, width or height asks for the
  // default; a usable saved placement replaces the rectangle, the flags and
  // the transparency. 0, or kStatusWindowNotCreated; the caller then
  // destroys the object.
  [[nodiscard]] std::uint32_t CreateFrameWindow(std::uint16_t frameId, WNDPROC windowProc, const char* title,
                                                std::uint16_t iconId, std::uint32_t frameFlags, int x, int y,
                                                int width, int height) noexcept;

  // Destroys the bays, the lock and the window (which takes the tray icon of
  // its id with it). Safe to call again, and after the window was destroyed
  // by other means (its owner went first, or a caller's DestroyWindow).
  void DestroyFrame() noexcept;

  // Shows the window (re-laid out first) unless barsOnly, and the floating
  // bars of the window.
  void ShowFrame(int showCommand, bool barsOnly) noexcept;
  // Moves the window past its locks; a width of -1 only lays it out again.
  void MoveFrame(int x, int y, int width, int height, int show);
  // Moves the window within its locks.
  void SetFramePos(const RECT& rect, int show);
  // Sends WM_SIZE with the current client size twice.
  void Relayout() noexcept;

  void ApplyFrameStyleFlags(std::uint32_t captionBits) noexcept;
  void SetFrameFlagsAndRelayout(std::uint32_t bits, bool on) noexcept;
  void ToggleFrameFlagsAndRelayout(std::uint32_t bits) noexcept;
  void SetFrameTransparency(int percent) noexcept;
  void SetFrameOpacityMode(int on);

  // 0, or the result of a wait for the status lock that did not succeed.
  std::uint32_t SetStatusText(std::int32_t key, const char* text) noexcept;
  // Tab (1) or Shift+Tab (-1) among the window's tab stops; false when it
  // has none.
  [[nodiscard]] bool MoveFocusToNextTabStop(int step);
  void SaveFramePlacement();
  // The bay's index, or -1.
  int AddDockBay(int side) noexcept;

  // The window's part of WM_SIZE and WM_MOVE.
  void LayoutDockBays(WPARAM sizeType, LPARAM size) noexcept;
  void TrackFramePlacement() noexcept;
};

// The class procedure of "OrvoWindow".
LRESULT CALLBACK FrameWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Where the product's window procedure passes the messages that it does not
// consume: the procedure that CreateFrameWindow replaced (FrameWndProc).
LRESULT FrameDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

inline constexpr char kFrameWindowClass[] = "OrvoWindow";
inline constexpr char kBusyOverlayClass[] = "OrvoBusy";
