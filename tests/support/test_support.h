// Helpers for every test, with or without Windows: see win_test_support.h
// for the Win32 ones.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace test_support {

// "0x" and the value in upper-case hex digits, as the logs of the tests and
// their helper programs write numbers, handles and messages.
inline std::string Hex(std::uint64_t v) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(v));
  return text;
}

}  // namespace test_support
