#pragma once

#include <windows.h>

#include <vector>

struct SentMessage {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
// What the hidden window sent to the active framework window, in order.
extern std::vector<SentMessage> gSentToActiveWindow;
