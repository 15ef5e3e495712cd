#include "framework/app/help_core.h"

#include <cstdio>
#include <cstring>

bool IsCompiledHelpName(const char* file) noexcept { return file != nullptr && std::strstr(file, ".chm") != nullptr; }

bool FormatHelpParameter(char* out, std::size_t capacity, const char* path, const char* topic) noexcept {
  if (out == nullptr || capacity == 0) return false;
  const bool withTopic = topic != nullptr && topic[0] != '\0';
  const int n = std::snprintf(out, capacity, "\"%s%s%s\"", path != nullptr ? path : "", withTopic ? "::/" : "",
                              withTopic ? topic : "");
  if (n < 0 || static_cast<std::size_t>(n) >= capacity) {
    out[0] = '\0';
    return false;
  }
  return true;
}
