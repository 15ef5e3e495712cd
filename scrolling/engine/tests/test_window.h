// Real windows of the test process, and the cursor moved over them.
#pragma once

#include <windows.h>

#include "tests/support/win32/win_test_support.h"

class Window {
 public:
  // Top-level windows are topmost, above any other program's windows.
  Window(const char* cls, const char* title, DWORD style, int x, int y, int w, int h, HWND parent = nullptr)
      : hwnd_(CreateWindowExA(parent == nullptr ? WS_EX_TOPMOST : 0, cls, title, style, x, y, w, h, parent, nullptr,
                              GetModuleHandleA(nullptr), nullptr)) {}
  ~Window() {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  }
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  HWND get() const { return hwnd_; }

 private:
  HWND hwnd_;
};

inline bool CursorTo(int x, int y) { return test_support::MoveCursorTo(x, y); }
