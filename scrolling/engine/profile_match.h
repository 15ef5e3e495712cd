// Which profile applies to a window: the first, in list order, whose three
// patterns all occur in the window's process path, caption and class.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

#include "scrolling/options/options.h"

// ASCII case folding: bytes outside A-Z stay as they are.
[[nodiscard]] constexpr char FoldAscii(char c) noexcept {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The number of profiles in use: iNumPar clamped to the list.
[[nodiscard]] constexpr int ProfilesInUse(const Options& options) noexcept {
  return options.iNumPar < 0 ? 0 : options.iNumPar > kMaxProfiles ? kMaxProfiles : options.iNumPar;
}

// Case-insensitive (ASCII) substring test. An empty pattern occurs in every
// text.
[[nodiscard]] bool ContainsNoCase(std::string_view text, std::string_view pattern) noexcept;

// ASCII case-insensitive equality.
[[nodiscard]] bool EqualsNoCase(std::string_view a, std::string_view b) noexcept;

// The text of a fixed-size field, up to its NUL or its end: a record read
// from a damaged file may hold no NUL at all.
template <std::size_t N>
[[nodiscard]] std::string_view FieldText(const char (&field)[N]) noexcept {
  const void* end = std::memchr(field, '\0', N);
  return std::string_view(field, end != nullptr ? static_cast<std::size_t>(static_cast<const char*>(end) - field) : N);
}

// The three tests: each holds when the window's text is empty or the
// profile's pattern occurs in it.
[[nodiscard]] bool ProfileMatches(const Profile& profile, std::string_view path,
                                  std::string_view caption, std::string_view windowClass) noexcept;

// Index of the first matching profile among the first count (clamped to the
// list), or -1.
[[nodiscard]] int FindMatchingProfile(const Options& options, std::string_view path,
                                      std::string_view caption, std::string_view windowClass) noexcept;
