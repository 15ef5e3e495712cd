// A bar: a tool or menu bar of a framework window holding a row or column
// of UI items, docked in one of the window's bays or floating. The program
// makes no bars; the command table and the window menu walk the (empty)
// list of them, and read what is declared here.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/util/grow_array.h"

class CFrameWindow;
class CUIItem;

inline constexpr std::uint16_t kBarVisible = 0x20;

class CBar {
 public:
  HWND window = nullptr;
  HWND busyOverlay = nullptr;
  std::uint16_t id = 0;       // also the id of its command in the window menu
  std::uint16_t frameId = 0;  // the framework window it belongs to
  std::uint16_t bayId = 0;
  std::uint16_t row = 0;
  std::int16_t x = 0;
  std::int16_t y = 0;
  std::uint16_t length = 0;
  std::uint16_t thickness = 0;
  std::uint16_t minLength = 0;
  std::uint16_t preferredLength = 0;
  std::uint16_t minThickness = 0;
  std::uint16_t flags = 0;
  std::int32_t side = -1;  // 0 top, 1 bottom, 2 left, 3 right, -1 floating
  RECT inner{};
  RECT lastInner{};
  std::int32_t itemGap = 0;
  CGrowArray<CUIItem*> items;  // the overflow button last
  CFrameWindow* holder = nullptr;
  std::uint16_t* overflow = nullptr;  // ids of the items hidden for lack of room, ended by 0xFFFF
};
