// A dock bay: the child window along one edge of a framework window that
// holds the bars docked on that side. Declared here as far as the command
// table's lookup uses it.
#pragma once

#include <windows.h>

#include <cstdint>

class CFrameWindow;

class CDockBay {
 public:
  HWND window = nullptr;
  CFrameWindow* frame = nullptr;
  std::uint16_t bayId = 0;  // side + frame id x 256; bars name their bay by it
  std::uint16_t frameId = 0;
};
