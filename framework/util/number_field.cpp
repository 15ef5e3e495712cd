#include "framework/util/number_field.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/util/text_util.h"

double ParseDoubleField(const char* text, char separator, double min, double max, bool strict) noexcept {
  if (text == nullptr || text[0] == '\0') return min;
  char buf[kNumberFieldChars + 1];
  CopyText(buf, sizeof buf, text);
  char* comma = std::strchr(buf, ',');
  char* point = std::strchr(buf, '.');
  if (comma != nullptr) *comma = separator;
  if (point != nullptr) *point = separator;
  char* end = nullptr;
  double value = std::strtod(buf, &end);
  if (strict && (end == buf || *end != '\0')) return min;
  if (std::isnan(value)) return min;
  ClampToRange(value, min, max);
  return value;
}

int ParseIntField(const char* text, int min, int max, bool strict) noexcept {
  if (text == nullptr || text[0] == '\0') return min;
  char buf[kNumberFieldChars + 1];
  CopyText(buf, sizeof buf, text);
  char* end = nullptr;
  errno = 0;
  // Parsed wider than int so that an out-of-range number clamps instead of
  // wrapping.
  long long value = std::strtoll(buf, &end, 10);
  if (strict && (end == buf || *end != '\0')) return min;
  ClampToRange<long long>(value, min, max);
  return static_cast<int>(value);
}

void FormatDoubleField(double value, char separator, char* out, std::size_t capacity) noexcept {
  if (capacity == 0) return;
  char buf[260];
  int n = std::snprintf(buf, sizeof buf, "%.3f", value);
  const bool fixed = n > 0 && static_cast<std::size_t>(n) < sizeof buf;
  if (!fixed) {
    std::snprintf(buf, sizeof buf, "%.6g", value);
  } else {
    std::size_t len = std::strlen(buf);
    while (len > 0 && buf[len - 1] == '0') buf[--len] = '\0';
    if (len > 0 && (buf[len - 1] == '.' || buf[len - 1] == ',' || buf[len - 1] == separator)) buf[--len] = '\0';
  }
  if (char* point = std::strchr(buf, '.')) *point = separator;
  if (char* comma = std::strchr(buf, ',')) *comma = separator;
  CopyText(out, capacity, buf);
}
