#include "framework/app/file_dialogs_core.h"

#include <cstring>

bool DefaultExtensionOfFilter(const char* filter, int filterIndex, char* out, std::size_t outSize) noexcept {
  if (out == nullptr || outSize == 0) return false;
  out[0] = '\0';
  if (filter == nullptr || filterIndex < 0) return false;
  const char* p = filter;
  // Each pair is two strings; the list ends at the first empty description
  // or pattern.
  for (int pair = 0; pair < filterIndex; ++pair) {
    for (int part = 0; part < 2; ++part) {
      if (*p == '\0') return false;
      p += std::strlen(p) + 1;
    }
  }
  if (*p == '\0') return false;
  p += std::strlen(p) + 1;  // the description
  if (p[0] != '*' || p[1] != '.') return false;
  p += 2;
  std::size_t n = 0;
  while (p[n] != '\0' && p[n] != ';') {
    if (p[n] == '*' || p[n] == '?' || p[n] == '.' || p[n] == ' ') return false;
    ++n;
  }
  if (n == 0 || n >= outSize) return false;
  std::memcpy(out, p, n);
  out[n] = '\0';
  return true;
}
