// Real input and message pumping for the tests whose hooks run in other
// programs.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include "tests/support/win32/win_test_support.h"

// The hook messages arrive as sent messages: the waits pump.
using test_support::PumpUntil;

inline void SendMouse(DWORD flags, LONG x = 0, LONG y = 0, DWORD data = 0) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  input.mi.mouseData = data;
  if (flags & MOUSEEVENTF_ABSOLUTE) {
    input.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  }
  ASSERT_EQ(SendInput(1, &input, sizeof input), 1u);
}
