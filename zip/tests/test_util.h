// Shared helpers of the archive tests.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace ziptest {

inline std::vector<std::uint8_t> RandomBytes(std::size_t n, std::uint32_t start) {
  std::mt19937 rng(start);
  std::vector<std::uint8_t> v(n);
  for (auto& b : v) b = static_cast<std::uint8_t>(rng());
  return v;
}

// English-like text: words from a small vocabulary, so it compresses like text.
inline std::vector<std::uint8_t> TextBytes(std::size_t n, std::uint32_t start) {
  static const char* const kWords[] = {"the ",  "scroll ", "window ", "profile ", "wheel ", "button ",
                                       "drag ", "of ",     "and ",    "to ",      "mouse ", "speed\n",
                                       "a ",    "setting ", "hook ",  "message "};
  std::mt19937 rng(start);
  std::vector<std::uint8_t> v;
  v.reserve(n + 16);
  while (v.size() < n) {
    const char* w = kWords[rng() % 16];
    while (*w && v.size() < n) v.push_back(static_cast<std::uint8_t>(*w++));
  }
  return v;
}

inline std::vector<std::uint8_t> RepetitiveBytes(std::size_t n) {
  std::vector<std::uint8_t> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>("abcabcabd"[i % 9]);
  return v;
}

}  // namespace ziptest
