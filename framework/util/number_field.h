// Reading and showing numbers in dialog fields, without the dialog: the
// Win32 field routines read the text and the user's separator and call these.
#pragma once

#include <cstddef>

// Longest field text that is read (the field routines read at most this many
// characters).
inline constexpr std::size_t kNumberFieldChars = 31;

// Parses a field text as a double with `separator` as the decimal separator
// that strtod accepts in the current numeric locale; the first "," and the
// first "." of the text are both taken as that separator. Empty text gives
// min; with strict set, text that does not parse whole gives min; "nan" gives
// min; the result is clamped into [min, max].
[[nodiscard]] double ParseDoubleField(const char* text, char separator, double min, double max,
                                      bool strict) noexcept;

// The same for a base-10 integer (no separator handling).
[[nodiscard]] int ParseIntField(const char* text, int min, int max, bool strict) noexcept;

// Shows a value with at most three decimals and no trailing zeros, using the
// user's decimal separator: 2.5 -> "2.5", 3.0 -> "3". Never writes past
// capacity; a value too large for fixed notation is shown in exponent form.
void FormatDoubleField(double value, char separator, char* out, std::size_t capacity) noexcept;
