// Path and string routines shared by the whole program. All texts are 8-bit
// ANSI and live in fixed buffers; every routine here is bounded by the size
// it is given and never writes past it.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr std::size_t kMaxPathText = 260;

// Copies src into dst (capacity bytes, terminated). True when it fit whole;
// otherwise dst holds the cut text.
bool CopyText(char* dst, std::size_t capacity, const char* src) noexcept;

// Appends src to dst (capacity bytes). True when it fit whole; otherwise dst
// holds as much as fits.
bool AppendText(char* dst, std::size_t capacity, const char* src) noexcept;

// Composes "folder\name" into dst. False, with dst emptied, when the result
// would not fit: a cut path names another file, so callers skip it.
[[nodiscard]] bool JoinPath(char* dst, std::size_t capacity, const char* folder, const char* name) noexcept;

// Appends "\" to a non-empty path that does not end with one, when it fits.
void AddTrailingBackslash(char* path, std::size_t capacity = kMaxPathText) noexcept;

// Removes one trailing "\" if there is one.
void RemoveTrailingBackslash(char* path) noexcept;

// Cuts the text at its last "\" and returns a pointer to that position (now
// the terminator), or null when there is none.
char* CutAtLastBackslash(char* path) noexcept;

// ASCII case-insensitive comparison of at most n bytes (as _strnicmp).
int CompareNoCase(const char* a, const char* b, std::size_t n) noexcept;
[[nodiscard]] bool EqualNoCase(const char* a, const char* b) noexcept;

// Pointer to the suffix inside text when text ends with it (any case), else
// null; null also when either is empty or the suffix is longer.
const char* EndsWithNoCase(const char* text, const char* suffix) noexcept;

// First position of text where part starts (any case), or null.
const char* FindNoCase(const char* text, const char* part) noexcept;

// Replaces every occurrence of find in text (a buffer of capacity bytes) by
// replacement; inserted text is never searched again. Returns the number of
// replacements, or -1 when a string is missing, find is empty, the text does
// not fit its buffer, or a replacement does not fit and truncate is off (the
// replacements made so far stay). With truncate the replacement that does not
// fit is shortened so the text fills the buffer exactly.
int ReplaceAllInPlace(char* text, std::size_t capacity, const char* find, const char* replacement,
                      std::uint8_t truncate) noexcept;

// Clamps value into [min(a, b), max(a, b)]: -1 when it was raised, +1 when
// lowered, 0 when unchanged.
template <typename V>
int ClampToRange(V& value, V a, V b) noexcept {
  const V lo = a < b ? a : b;
  const V hi = a < b ? b : a;
  if (value < lo) {
    value = lo;
    return -1;
  }
  if (value > hi) {
    value = hi;
    return 1;
  }
  return 0;
}

// ORs mask into flags when the low byte of set is non-zero, else clears it.
inline void SetFlagBits(std::uint32_t& flags, std::uint32_t mask, std::uint32_t set) noexcept {
  if ((set & 0xFFu) != 0) {
    flags |= mask;
  } else {
    flags &= ~mask;
  }
}

// Takes the next item of a list separated by `separator` from *cursor into
// out (cut to capacity) and moves the cursor past it. False when the list
// has ended: at its end, or at an empty remainder after a separator.
bool NextListItem(const char*& cursor, char separator, char* out, std::size_t capacity) noexcept;
