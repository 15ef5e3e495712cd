// A framework window: the framework's top-level window of class
// "OrvoWindow" with its placement, flags, dock bays, tray icon, status texts
// and the popup menu open over it. Declared here as far as the command table,
// the help and the tray icon use it.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/util/grow_array.h"
#include "framework/util/win_handles.h"

class CDockBay;
class CUIItem;

inline constexpr std::uint32_t kFrameMainWindow = 0x400;

class CFrameWindow {
 public:
  HWND window = nullptr;
  std::uint16_t id = 0xFFFF;
  std::uint32_t flags = 0;
  CIconHandle trayIcon;  // the icon of the tray icon carrying this window's id
  CGrowArray<CDockBay*> dockBays;  // index = side
  CUIItem* openPopup = nullptr;    // the popup menu open over this window

  // 0, or the result of a wait for the status lock that did not succeed.
  std::uint32_t SetStatusText(std::int32_t key, const char* text) noexcept;
  // Sends WM_SIZE with the current client size twice.
  void Relayout() noexcept;
};
