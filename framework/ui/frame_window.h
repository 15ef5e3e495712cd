// A framework window: the framework's top-level window with its placement,
// flags and dock bays.
#pragma once

#include <windows.h>

#include <cstdint>

class CFrameWindow {
 public:
  HWND window = nullptr;
  std::uint16_t id = 0xFFFF;
  std::uint32_t flags = 0;
  RECT placement{};  // the normal window rectangle, screen coordinates

  void MoveFrame(int x, int y, int width, int height, int show);
  void SetFramePos(const RECT& rect, int show);
  void SetFrameOpacityMode(int on);
  [[nodiscard]] bool MoveFocusToNextTabStop(int step);
  void SaveFramePlacement();
};
