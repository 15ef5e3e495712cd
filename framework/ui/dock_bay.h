// A dock bay: the child window of class "OrvoAppDockBay" along one edge of
// a framework window that holds the bars docked on that side, in up to 16
// rows. Its thickness is the sum of its rows, so a bay without bars is 0
// pixels thick and the frame's inner client area is its whole client area.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/ui/frame_core.h"

class CFrameWindow;

class CDockBay {
 public:
  CDockBay() noexcept { InitDockBay(); }
  ~CDockBay() { DestroyDockBayWindow(); }
  CDockBay(const CDockBay&) = delete;
  CDockBay& operator=(const CDockBay&) = delete;

  HWND window = nullptr;
  CFrameWindow* frame = nullptr;  // owns the bay and outlives it
  std::uint16_t bayId = 0;    // side + frame id x 256; bars name their bay by it
  std::uint16_t frameId = 0;
  int side = kBayTop;
  bool vertical = false;      // left and right: rows are columns
  std::int32_t rowSizes[kBayRowCount] = {};  // negative: a row with a splitter
  int gripMode = -1;          // -1 never, 0 possible, 1 shown
  int gripSize = 0;           // the window's DPI / 6
  int draggedRow = -1;
  int dragStartThickness = 0;
  POINT dragStart{};
  int previousWidth = 0;
  int previousHeight = 0;
  LPARAM lastSize = 0;

  void InitDockBay() noexcept;
  // Fills the bay for a side of the frame and creates its window. 0, or
  // kStatusWindowNotCreated.
  [[nodiscard]] std::uint32_t CreateDockBay(int baySide, CFrameWindow& frame) noexcept;
  void DestroyDockBayWindow() noexcept;
  // Lays the bay out along the given length and places it: the top bay down
  // from (x, y), the bottom bay up from it, the left bay right from it and
  // the right bay left from it.
  void PositionDockBay(int x, int y, int width, int height) noexcept;
  // Measures and places the rows along length; the bay's thickness.
  int LayoutDockBay(int length) noexcept;
  void MeasureDockBayRows() noexcept;
  // The row whose splitter is under the point (client coordinates; the
  // cursor when null), or -1; always -1 while the frame locks its bar sizes.
  [[nodiscard]] int DockBaySplitterHitTest(const POINT* point) const noexcept;
  void PaintDockBayToDc(HDC dc, int x, int y) const noexcept;
};

LRESULT CALLBACK DockBayWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

inline constexpr char kDockBayClass[] = "OrvoAppDockBay";
inline constexpr int kDockBaySlot = 35;  // the theme's colour of the bays
