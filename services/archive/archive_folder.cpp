#include "services/archive/archive_folder.h"

#include <cstring>

#include "framework/util/text_util.h"

bool ReplaceFixedArchiveTokens(char* pattern, std::size_t capacity, const ArchiveTokenValues& values) noexcept {
  const struct {
    const char* token;
    const char* value;
  } tokens[] = {{"%PROGRAM%", values.program}, {"%CONFIGDIR%", values.configDir}, {"%PROGVER%", values.version}};
  for (const auto& t : tokens) {
    if (ReplaceAllInPlace(pattern, capacity, t.token, t.value != nullptr ? t.value : "", 0) < 0) return false;
  }
  return true;
}

void CutToFixedFolder(char* folder) noexcept {
  char* open = std::strchr(folder, '%');
  if (open == nullptr || std::strchr(open + 1, '%') == nullptr) return;
  *open = '\0';
  if (CutAtLastBackslash(folder) == nullptr) folder[0] = '\0';
}
